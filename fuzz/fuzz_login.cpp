// Fuzzes the login decision. The input is the header's 255-byte contentKey field, a typed
// password (one length byte, then its bytes), a 32-bit user count and a stored user section.
// The master test must agree with the check block the disc tool writes for the typed text, and
// a user login must pick the account the lookups name, with a key that fits the key field.
#include <cstdint>
#include <string>
#include <vector>

#include "discwriter.h"
#include "fuzzcheck.h"
#include "startup/payload.h"
#include "startup/users.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    quietReports();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    reportLog().titles.clear();
    FuzzInput in{data, size};
    char field[TEXT_FIELD_SIZE] = {};
    const std::string fieldBytes = in.bytes(TEXT_FIELD_SIZE);
    std::memcpy(field, fieldBytes.data(), fieldBytes.size());
    const std::string typedBytes = in.bytes(in.u8());
    const std::string typed = typedBytes.c_str();  // a dialog's text ends at its first zero
    const uint32_t count = in.u32();
    ExactBytes section(in.data, in.size);

    std::vector<ParsedUser> parsed;
    parseUserSection(section.p, static_cast<uint32_t>(section.n), count, payloadKey(), &parsed);
    UserList users;
    for (const ParsedUser& u : parsed) addUser(users, u);

    const char* check = storedvalues::plainPasswordCheck;
    const LoginDecision d = decideLogin(field, check, typed.c_str(), users);
    const std::string salted = typed + PASSWORD_SALT;

    // The master test passes exactly when the field starts with the block written for this
    // password, followed by a zero byte.
    const std::string block = passwordCheckBlock(typed);
    const bool master = std::memcmp(field, block.data(), block.size()) == 0 && field[block.size()] == 0;
    FUZZ_CHECK((d.outcome == LoginOutcome::Master) == master);

    FUZZ_CHECK(d.newContentKey.size() < CONTENT_KEY_CAPACITY);
    FUZZ_CHECK(d.newContentKey.find('\0') == std::string::npos);

    const UserAccount* firstMatch = nullptr;
    for (const UserAccount& a : users) {
        if (a.hasPasswordText && a.passwordText == salted) {
            firstMatch = &a;
            break;
        }
    }
    switch (d.outcome) {
    case LoginOutcome::Master:
        FUZZ_CHECK(d.user == nullptr);
        FUZZ_CHECK(d.newContentKey == salted.substr(0, CONTENT_KEY_CAPACITY - 1));
        break;
    case LoginOutcome::User:
    case LoginOutcome::UserWithoutKey: {
        // The first account with the password names an ID; the first account with that ID logs in.
        FUZZ_CHECK(firstMatch && d.user == findUserById(users, firstMatch->userId));
        const bool hasKey = d.user->hasKey && !d.user->key.empty();
        FUZZ_CHECK(hasKey == (d.outcome == LoginOutcome::User));
        if (hasKey) FUZZ_CHECK(d.newContentKey == d.user->key.substr(0, CONTENT_KEY_CAPACITY - 1));
        else FUZZ_CHECK(d.newContentKey.empty());
        break;
    }
    case LoginOutcome::Wrong:
        FUZZ_CHECK(!firstMatch && d.user == nullptr && d.newContentKey.empty());
        break;
    }
    return 0;
}
