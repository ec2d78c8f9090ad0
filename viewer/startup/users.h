// User accounts of a disc and the rules that decide a login and an account's expiry. Portable:
// the dialogs only collect the typed text and show what these functions decide.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "startup/payload.h"

constexpr uint32_t USER_MAY_EXPORT = 0x1;
constexpr uint32_t USER_HAS_EXPIRY = 0x2;
constexpr uint32_t USER_HAS_NOTE = 0x4;

// Capacities of the buffers the login works in (each with its terminator).
constexpr size_t TYPED_PASSWORD_CAPACITY = 1024;  // typed text with the salt
constexpr size_t CONTENT_KEY_CAPACITY = 255;      // the header's contentKey field

struct UserAccount {
    uint32_t word0 = 0;
    uint32_t userId = 0;
    uint32_t flags = 0;
    uint32_t word3 = 0;
    uint16_t expiry[8] = {};  // year, month, day of week, day, ...
    bool hasName = false, hasPasswordText = false, hasKey = false, hasNote = false;
    std::string name, passwordText, key, note;
};

// Accounts in payload order. A deque keeps every account at its address while more are
// appended, so the logged-in account can be referred to directly.
using UserList = std::deque<UserAccount>;

void addUser(UserList& users, const ParsedUser& record);

// The first account whose password text equals text byte for byte; accounts without a password
// text are skipped. Returns false when none does.
bool findUserByPassword(const UserList& users, const char* text, uint32_t* userId);

// The first account with that ID, or none.
const UserAccount* findUserById(const UserList& users, uint32_t userId);

// The typed password followed by the salt, cut so that it fits the typed-text buffer.
std::string saltedPassword(const char* typed);

enum class LoginOutcome {
    Master,       // contentKey becomes the salted password; no current user
    User,         // contentKey becomes the account's key; the account is the current user
    UserWithoutKey,  // the password matched an account whose key was missing at load
    Wrong,
};

struct LoginDecision {
    LoginOutcome outcome = LoginOutcome::Wrong;
    const UserAccount* user = nullptr;
    std::string newContentKey;  // at most CONTENT_KEY_CAPACITY - 1 bytes
};

// Decides a login: the master test on a copy of the stored contentKey field first, then the
// user lookup. storedContentKey is the 255-byte field as loaded; passwordCheck the plain check.
LoginDecision decideLogin(const char (&storedContentKey)[TEXT_FIELD_SIZE], const char* passwordCheck,
                          const char* typed, const UserList& users);

// True when the account has USER_HAS_EXPIRY and its expiry date lies before today (UTC).
bool isExpiredOn(const UserAccount* user, int year, int month, int day);
