#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "startup/report.h"
#include "startup/scramble.h"
#include "startup/storedvalues.h"
#include "startup/users.h"

namespace {

const char* check = storedvalues::plainPasswordCheck;

// The header field of a disc whose master password is master: the check value folded with the
// salted password, then a zero byte.
void makeCheckBlock(const char* master, char (&field)[TEXT_FIELD_SIZE]) {
    std::memset(field, 0, sizeof field);
    std::memcpy(field, check, std::strlen(check));
    const std::string salted = std::string(master) + PASSWORD_SALT;
    xorFoldIndexed(salted.c_str(), reinterpret_cast<uint8_t*>(field), static_cast<int32_t>(std::strlen(check)));
}

ParsedUser user(uint32_t id, const char* name, const char* password, const char* key, uint32_t flags = 0) {
    ParsedUser u = {};
    u.userId = id;
    u.flags = flags;
    u.hasName = true;
    u.name = name;
    u.hasPasswordText = password != nullptr;
    if (password) u.passwordText = std::string(password) + PASSWORD_SALT;
    u.hasKey = key != nullptr && key[0];
    if (key) u.key = key;
    return u;
}

}  // namespace

TEST(Login, DecidesMasterUsersAndWrongPasswords) {
    char field[TEXT_FIELD_SIZE];
    makeCheckBlock("Master1", field);
    UserList users;
    addUser(users, user(10, "ann", "annpw", "KEY-A"));
    addUser(users, user(11, "bob", "same", "KEY-B"));
    addUser(users, user(12, "cid", "same", "KEY-C"));        // same password as bob: bob wins
    addUser(users, user(10, "dup", "duppw", "KEY-D"));       // same ID as ann: ann is used
    addUser(users, user(13, "eve", "Master1", "KEY-E"));     // equals the master: master wins
    addUser(users, user(14, "nok", "nokey", nullptr));       // key missing at load
    addUser(users, user(15, "nop", nullptr, "KEY-P"));       // no password text at all

    struct Case {
        const char* name;
        const char* typed;
        LoginOutcome outcome;
        const char* user;
        const char* key;
    } cases[] = {
        {"master", "Master1", LoginOutcome::Master, nullptr, "Master1Qm4z"},
        {"master is case-sensitive", "master1", LoginOutcome::Wrong, nullptr, ""},
        {"user", "annpw", LoginOutcome::User, "ann", "KEY-A"},
        {"same password: first account", "same", LoginOutcome::User, "bob", "KEY-B"},
        {"same ID: first account with it", "duppw", LoginOutcome::User, "ann", "KEY-A"},
        {"salt is appended by the viewer", "annpwQm4z", LoginOutcome::Wrong, nullptr, ""},
        {"user without key cannot log in", "nokey", LoginOutcome::UserWithoutKey, "nok", ""},
        {"empty text", "", LoginOutcome::Wrong, nullptr, ""},
        {"wrong", "nothing", LoginOutcome::Wrong, nullptr, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const LoginDecision d = decideLogin(field, check, c.typed, users);
        EXPECT_EQ(c.outcome, d.outcome);
        EXPECT_EQ(std::string(c.key), d.newContentKey);
        if (c.user) {
            ASSERT_NE(nullptr, d.user);
            EXPECT_EQ(std::string(c.user), d.user->name);
        }
    }
}

TEST(Login, NoAccountsOnlyMasterOpens) {
    char field[TEXT_FIELD_SIZE];
    makeCheckBlock("pw", field);
    UserList none;
    EXPECT_EQ(LoginOutcome::Master, decideLogin(field, check, "pw", none).outcome);
    EXPECT_EQ(LoginOutcome::Wrong, decideLogin(field, check, "pw2", none).outcome);
}

TEST(Login, OverLongTextsAreCutToTheirBuffers) {
    char field[TEXT_FIELD_SIZE];
    const std::string longMaster(2000, 'm');
    makeCheckBlock(longMaster.substr(0, TYPED_PASSWORD_CAPACITY - 1 - 4).c_str(), field);
    const LoginDecision d = decideLogin(field, check, longMaster.c_str(), UserList());
    EXPECT_EQ(LoginOutcome::Master, d.outcome);
    EXPECT_EQ(CONTENT_KEY_CAPACITY - 1, d.newContentKey.size());
    EXPECT_EQ(TYPED_PASSWORD_CAPACITY - 1, saltedPassword(longMaster.c_str()).size());

    UserList users;
    addUser(users, user(1, "long", "pw", std::string(600, 'k').c_str()));
    makeCheckBlock("other", field);
    const LoginDecision u = decideLogin(field, check, "pw", users);
    EXPECT_EQ(LoginOutcome::User, u.outcome);
    EXPECT_EQ(CONTENT_KEY_CAPACITY - 1, u.newContentKey.size());
}

TEST(Expiry, ComparesYearMonthDayInOrder) {
    struct Case {
        const char* name;
        int ey, em, ed, flags, y, m, d;
        bool expired;
    } cases[] = {
        {"expiry day itself still grants access", 2026, 12, 31, USER_HAS_EXPIRY, 2026, 12, 31, false},
        {"day after", 2026, 12, 31, USER_HAS_EXPIRY, 2027, 1, 1, true},
        {"far ahead", 2027, 3, 10, USER_HAS_EXPIRY, 2026, 6, 1, false},
        {"earlier month same year", 2026, 5, 31, USER_HAS_EXPIRY, 2026, 6, 1, true},
        {"earlier day same month", 2026, 6, 1, USER_HAS_EXPIRY, 2026, 6, 2, true},
        {"no expiry flag", 2000, 1, 1, USER_MAY_EXPORT, 2026, 6, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UserAccount a;
        a.flags = static_cast<uint32_t>(c.flags);
        a.expiry[0] = static_cast<uint16_t>(c.ey);
        a.expiry[1] = static_cast<uint16_t>(c.em);
        a.expiry[3] = static_cast<uint16_t>(c.ed);
        EXPECT_EQ(c.expired, isExpiredOn(&a, c.y, c.m, c.d));
    }
    EXPECT_FALSE(isExpiredOn(nullptr, 2026, 1, 1));
}
