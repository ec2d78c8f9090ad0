// Fuzzes the user records: the input is a 32-bit record count (T4) and the stored user section.
// A plain walk over the length words tells where each record should end; the parsed records
// must agree with it, texts included, and the user list built from them must find the first
// account of each password.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzzcheck.h"
#include "startup/payload.h"
#include "startup/scramble.h"
#include "startup/users.h"

namespace {

// One text as the format stores it: the unfolded bytes (unfolded a second time with secondKey),
// cut at the first zero byte. False when the length word or the bytes run past the end.
bool storedText(const uint8_t* section, size_t size, size_t* at, const char* secondKey, std::string* text,
                bool* present) {
    if (size - *at < 4) return false;
    uint8_t word[4];
    std::memcpy(word, section + *at, 4);
    xorFold(payloadKey(), word, 4);
    const uint32_t length = le32(word);
    *at += 4;
    if (length > size - *at) return false;
    std::string bytes(reinterpret_cast<const char*>(section + *at), length);
    *at += length;
    for (char& c : bytes) {
        uint8_t b = static_cast<uint8_t>(c);
        xorFold(payloadKey(), &b, 1);
        if (secondKey) xorFold(secondKey, &b, 1);
        c = static_cast<char>(b);
    }
    *present = length != 0;
    *text = bytes.substr(0, bytes.find('\0'));
    return true;
}

// How many whole records the section holds (at most count), walking only the length words.
std::vector<ParsedUser> walk(const uint8_t* section, size_t size, uint32_t count) {
    std::vector<ParsedUser> users;
    size_t at = 0;
    for (uint32_t i = 0; i < count; ++i) {
        if (size - at < USER_FIXED_SIZE) break;
        ParsedUser u{};
        uint8_t fixed[USER_FIXED_SIZE];
        std::memcpy(fixed, section + at, USER_FIXED_SIZE);
        xorFold(payloadKey(), fixed, USER_FIXED_SIZE);
        u.userId = le32(fixed + 4);
        u.flags = le32(fixed + 8);
        at += USER_FIXED_SIZE;
        if (!storedText(section, size, &at, nullptr, &u.name, &u.hasName) ||
            !storedText(section, size, &at, nullptr, &u.passwordText, &u.hasPasswordText) ||
            !storedText(section, size, &at, u.passwordText.c_str(), &u.key, &u.hasKey) ||
            !storedText(section, size, &at, nullptr, &u.note, &u.hasNote))
            break;
        users.push_back(u);
    }
    return users;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    quietReports();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    reportLog().titles.clear();
    FuzzInput in{data, size};
    const uint32_t count = in.u32();
    ExactBytes section(in.data, in.size);
    const uint32_t sectionSize = static_cast<uint32_t>(section.n);

    std::vector<ParsedUser> users;
    const UserParseResult r = parseUserSection(section.p, sectionSize, count, payloadKey(), &users);
    const std::vector<ParsedUser> expected = walk(section.p, section.n, count);

    FUZZ_CHECK(users.size() == expected.size());
    FUZZ_CHECK((r == UserParseResult::Ok) == (users.size() == count));
    size_t keyless = 0;
    for (size_t i = 0; i < users.size(); ++i) {
        const ParsedUser& u = users[i];
        const ParsedUser& e = expected[i];
        FUZZ_CHECK(u.userId == e.userId && u.flags == e.flags);
        FUZZ_CHECK(u.hasName == e.hasName && u.name == e.name);
        FUZZ_CHECK(u.hasPasswordText == e.hasPasswordText && u.passwordText == e.passwordText);
        FUZZ_CHECK(u.hasKey == e.hasKey && u.key == e.key);
        FUZZ_CHECK(u.hasNote == e.hasNote && u.note == e.note);
        keyless += !u.hasKey;
    }
    // Every record without a key is reported once, and it is kept.
    FUZZ_CHECK(reportsTitled("ERROR: 98234v") == keyless);

    UserList list;
    for (const ParsedUser& u : users) addUser(list, u);
    FUZZ_CHECK(list.size() == users.size());
    for (size_t i = 0; i < users.size(); ++i) {
        if (!users[i].hasPasswordText) continue;
        uint32_t id = 0;
        FUZZ_CHECK(findUserByPassword(list, users[i].passwordText.c_str(), &id));
        size_t first = 0;
        while (!(list[first].hasPasswordText && list[first].passwordText == users[i].passwordText)) ++first;
        FUZZ_CHECK(first <= i && id == list[first].userId);
        const UserAccount* byId = findUserById(list, id);
        FUZZ_CHECK(byId && byId->userId == id);
    }
    return 0;
}
