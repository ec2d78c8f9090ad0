#include "startup/users.h"

#include <cstring>

#include "startup/scramble.h"

void addUser(UserList& users, const ParsedUser& record) {
    UserAccount account;
    account.word0 = record.word0;
    account.userId = record.userId;
    account.flags = record.flags;
    account.word3 = record.word3;
    std::memcpy(account.expiry, record.expiry, sizeof account.expiry);
    account.hasName = record.hasName;
    account.hasPasswordText = record.hasPasswordText;
    account.hasKey = record.hasKey;
    account.hasNote = record.hasNote;
    account.name = record.name;
    account.passwordText = record.passwordText;
    account.key = record.key;
    account.note = record.note;
    users.push_back(std::move(account));
}

bool findUserByPassword(const UserList& users, const char* text, uint32_t* userId) {
    for (const UserAccount& account : users) {
        if (account.hasPasswordText && account.passwordText == text) {
            *userId = account.userId;
            return true;
        }
    }
    return false;
}

const UserAccount* findUserById(const UserList& users, uint32_t userId) {
    for (const UserAccount& account : users)
        if (account.userId == userId) return &account;
    return nullptr;
}

std::string saltedPassword(const char* typed) {
    std::string text(typed ? typed : "");
    const size_t saltLength = sizeof PASSWORD_SALT - 1;
    // The typed text and the salt share a 1024-byte buffer: a longer text is cut, never written past it.
    const size_t room = TYPED_PASSWORD_CAPACITY - 1 - saltLength;
    if (text.size() > room) text.resize(room);
    return text + PASSWORD_SALT;
}

namespace {
std::string cutToContentKey(const std::string& key) {
    const size_t cut = std::strlen(key.c_str());
    return key.substr(0, cut < CONTENT_KEY_CAPACITY - 1 ? cut : CONTENT_KEY_CAPACITY - 1);
}
}  // namespace

LoginDecision decideLogin(const char (&storedContentKey)[TEXT_FIELD_SIZE], const char* passwordCheck,
                          const char* typed, const UserList& users) {
    LoginDecision decision;
    const std::string salted = saltedPassword(typed);

    char scratch[TEXT_FIELD_SIZE + 1] = {};
    std::memcpy(scratch, storedContentKey, TEXT_FIELD_SIZE);
    xorFoldIndexed(salted.c_str(), reinterpret_cast<uint8_t*>(scratch),
                   static_cast<int32_t>(std::strlen(passwordCheck)));
    if (std::strcmp(scratch, passwordCheck) == 0) {
        decision.outcome = LoginOutcome::Master;
        decision.newContentKey = cutToContentKey(salted);
        return decision;
    }

    uint32_t id = 0;
    if (!findUserByPassword(users, salted.c_str(), &id)) return decision;
    const UserAccount* account = findUserById(users, id);
    if (!account) return decision;
    decision.user = account;
    // An account whose key was missing at load would leave the viewer decrypting with a key it
    // does not have; it cannot log in.
    if (!account->hasKey || account->key.empty()) {
        decision.outcome = LoginOutcome::UserWithoutKey;
        return decision;
    }
    decision.outcome = LoginOutcome::User;
    decision.newContentKey = cutToContentKey(account->key);
    return decision;
}

bool isExpiredOn(const UserAccount* user, int year, int month, int day) {
    if (!user || !(user->flags & USER_HAS_EXPIRY)) return false;
    const int y = user->expiry[0], m = user->expiry[1], d = user->expiry[3];
    if (y != year) return y < year;
    if (m != month) return m < month;
    return d < day;
}
