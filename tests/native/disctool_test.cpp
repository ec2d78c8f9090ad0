// The disc tool's writer: catalogue record bytes, the password check block and user keys as the
// login uses them, content encryption undone by the viewer's stream routines, folder catalogues,
// and refusal of content paths that leave the disc folder.
#include <gtest/gtest.h>

#include "testfiles.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "discreader.h"
#include "discwriter.h"
#include "startup/payload.h"
#include "startup/scramble.h"
#include "startup/storedvalues.h"
#include "startup/users.h"

namespace fs = std::filesystem;

namespace {

const char* const KEY = storedvalues::plainPayloadKey;

const uint8_t* u8(const std::string& s) {
    return reinterpret_cast<const uint8_t*>(s.data());
}


// The master test of the password dialog: the stored field, folded (indexed) with what was
// typed plus the salt, must read as passwordCheck.
bool masterLoginAccepts(const PayloadHeader& h, const std::string& typed) {
    char scratch[TEXT_FIELD_SIZE];
    std::memcpy(scratch, h.contentKey, sizeof scratch);
    const std::string t = typed + PASSWORD_SALT;
    xorFoldIndexed(t.c_str(), reinterpret_cast<uint8_t*>(scratch), storedvalues::PASSWORD_CHECK_LENGTH);
    return std::strncmp(scratch, storedvalues::plainPasswordCheck, sizeof scratch) == 0;
}

// Decrypts one item's content from its data file with the viewer's own stream routines.
std::string viewerDecrypt(const fs::path& folder, const DiscEntry& e, const std::string& key) {
    std::string hostPath;
    EXPECT_TRUE(contentPathUnder(folder.string(), e.contentPath, &hostPath));
    FILE* in = std::fopen(hostPath.c_str(), "rb");
    EXPECT_NE(nullptr, in);
    if (!in) return {};
    std::fseek(in, static_cast<long>(e.contentOffset), SEEK_SET);
    FILE* out = std::tmpfile();
    if (e.encFlags & ENC_BITCRYPT)
        EXPECT_EQ(StreamResult::Done, decryptXorStream(key.c_str(), out, in, e.size));
    else if (e.encFlags & ENC_SCRAMBLE)
        EXPECT_EQ(StreamResult::Done, decryptBlockStream(key.c_str(), out, in, e.size));
    else {
        std::string plain(e.size, '\0');
        EXPECT_EQ(e.size, std::fread(&plain[0], 1, e.size, in));
        std::fwrite(plain.data(), 1, plain.size(), out);
    }
    std::fclose(in);
    std::string result(e.size, '\0');
    std::rewind(out);
    EXPECT_EQ(e.size, std::fread(&result[0], 1, e.size, out));
    std::fclose(out);
    return result;
}

std::string pattern(size_t n, uint32_t seed) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) {
        seed = seed * 1103515245u + 12345u;
        s[i] = static_cast<char>(seed >> 16);
    }
    return s;
}

}  // namespace

TEST(CatalogueRecord, FileAndFolderBytes) {
    DiscEntry file;
    file.id = 0x10;
    file.parentId = 0x02;
    file.kind = KIND_FILE;
    file.size = 0x1234;
    file.aux = 7;
    file.encFlags = 0x1C0;
    file.idNumber = -1;
    file.userIds = {5, 6};
    file.fileName = "a.txt";
    file.note = "";
    file.nameText = "N";
    file.contentPath = "d.dat";
    file.contentOffset = 0x01020304;
    const unsigned char expected[] = {
        0x10, 0, 0, 0,                 // Id
        0x02, 0, 0, 0,                 // ParentId
        0x02, 0, 0, 0,                 // Kind: file
        0x34, 0x12, 0, 0,              // Size
        0x07, 0, 0, 0,                 // Aux
        0xC0, 0x01, 0, 0,              // EncFlags
        0xFF, 0xFF, 0xFF, 0xFF,        // IdNumber -1
        0x02, 0, 0, 0,                 // UserIdCount
        5, 0, 0, 0, 'a', '.', 't', 'x', 't',  // file name
        0, 0, 0, 0,                    // note, empty
        1, 0, 0, 0, 'N',               // name text
        5, 0, 0, 0, 6, 0, 0, 0,        // user IDs
        5, 0, 0, 0, 'd', '.', 'd', 'a', 't',  // content path
        0x04, 0x03, 0x02, 0x01,        // content offset
    };
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(expected), sizeof expected),
              encodeCatalogueRecord(file));

    // Root and folder-like kinds carry no content path or offset, whatever the entry holds.
    for (uint32_t kind : {KIND_ROOT, KIND_FOLDER, 0x8u, 0x100u, 0x200u}) {
        SCOPED_TRACE(kind);
        DiscEntry folder = file;
        folder.kind = kind;
        folder.userIds.clear();
        EXPECT_EQ(32u + 9 + 4 + 5, encodeCatalogueRecord(folder).size());
    }
}

TEST(CatalogueRecord, ReaderRefusesEveryTruncation) {
    DiscEntry root;
    root.id = 1;
    root.kind = KIND_ROOT;
    root.fileName = "root";
    DiscEntry file;
    file.id = 2;
    file.parentId = 1;
    file.userIds = {3, 4, 5};
    file.fileName = "f";
    file.contentPath = "disc1.dat";
    const std::string bytes = encodeCatalogueRecord(root) + encodeCatalogueRecord(file);

    std::vector<DiscEntry> entries;
    std::string error;
    ASSERT_TRUE(readCatalogueRecords(u8(bytes), uint32_t(bytes.size()), 2, &entries, &error));
    ASSERT_EQ(2u, entries.size());
    EXPECT_EQ(file.userIds, entries[1].userIds);
    EXPECT_EQ("disc1.dat", entries[1].contentPath);

    for (size_t n = 0; n < bytes.size(); ++n) {
        std::vector<uint8_t> heap(bytes.begin(), bytes.begin() + n);
        entries.clear();
        EXPECT_FALSE(readCatalogueRecords(heap.data(), uint32_t(n), 2, &entries, &error)) << n;
    }
    // A user ID count far beyond the section is refused before any ID is read.
    std::string huge = encodeCatalogueRecord(file);
    huge[28] = huge[29] = huge[30] = huge[31] = '\xFF';
    entries.clear();
    EXPECT_FALSE(readCatalogueRecords(u8(huge), uint32_t(huge.size()), 1, &entries, &error));
}

TEST(Password, MasterCheckBlockAndUserKeys) {
    DiscSpec spec;
    spec.password = "Open Sesame";
    DiscUser u;
    u.userId = 3;
    u.name = "Una";
    u.password = "una-pw";
    spec.users = {u};
    addPresenceFlags(&spec);
    PayloadHeader h;
    std::string error;
    ASSERT_TRUE(encodeHeader(spec, &h, &error)) << error;
    EXPECT_TRUE(h.flags & FLAG_PASSWORD);
    EXPECT_EQ(0, h.contentKey[storedvalues::PASSWORD_CHECK_LENGTH]);

    EXPECT_TRUE(masterLoginAccepts(h, "Open Sesame"));
    for (const char* wrong : {"Open Sesame ", "una-pw", "", "OPEN Sesame"}) {
        SCOPED_TRACE(wrong);
        EXPECT_FALSE(masterLoginAccepts(h, wrong));
    }
    // The check folds to one byte, so some other texts pass as well: exactly those whose
    // indexed fold with the salt equals the master's (an even number of case changes keeps it).
    auto foldOf = [](const std::string& typed) {
        uint8_t b = 0;
        xorFoldIndexed((typed + PASSWORD_SALT).c_str(), &b, 1);
        return b;
    };
    for (const char* other : {"open sesame", "OPEN SESAME", "x", "Open Sesamf", "una-pw"}) {
        SCOPED_TRACE(other);
        EXPECT_EQ(foldOf(other) == foldOf("Open Sesame"), masterLoginAccepts(h, other));
    }
    // A master login leaves typed + salt in contentKey: that is the key the content uses.
    EXPECT_EQ("Open SesameQm4z", discContentKey(spec));

    // The user's record gives back the same content key after both folds.
    const std::string stored = encodeUserRecord(u, discContentKey(spec));
    std::vector<ParsedUser> users;
    ASSERT_EQ(UserParseResult::Ok, parseUserSection(u8(stored), uint32_t(stored.size()), 1, KEY, &users));
    ASSERT_EQ(1u, users.size());
    EXPECT_EQ("una-pwQm4z", users[0].passwordText);
    EXPECT_EQ(discContentKey(spec), users[0].key);
    // Without the password-text fold the key would not come back.
    std::string keyOnlyOnce = discContentKey(spec);
    xorFold(users[0].passwordText.c_str(), reinterpret_cast<uint8_t*>(&keyOnlyOnce[0]), int32_t(keyOnlyOnce.size()));
    EXPECT_NE(discContentKey(spec), keyOnlyOnce);

    // A disc without password stores its content key itself.
    DiscSpec open;
    open.contentKey = "plain key";
    ASSERT_TRUE(encodeHeader(open, &h, &error)) << error;
    EXPECT_STREQ("plain key", h.contentKey);
    EXPECT_EQ("plain key", discContentKey(open));
}

TEST(Header, TextsThatDoNotFitAreRefused) {
    struct Case {
        const char* name;
        void (*set)(DiscSpec* s);
    };
    const Case cases[] = {
        {"font file name of 255", [](DiscSpec* s) { s->font.fileName.assign(255, 'f'); }},
        {"About line of 255", [](DiscSpec* s) { s->aboutLines[1].assign(255, 'a'); }},
        {"picture path of 300", [](DiscSpec* s) { s->logo.storedPath.assign(300, 'p'); }},
        {"splash text of 2789", [](DiscSpec* s) { s->splashText.assign(SPLASH_TEXT_SIZE, 't'); }},
        {"master password of 251", [](DiscSpec* s) { s->password.assign(251, 'm'); }},
        {"content key with a zero byte", [](DiscSpec* s) { s->contentKey = std::string("a\0b", 3); }},
        {"raw contentKey field of 256", [](DiscSpec* s) { s->contentKeyField = std::string(256, 'k'); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DiscSpec spec;
        c.set(&spec);
        PayloadHeader h;
        std::string error;
        EXPECT_FALSE(encodeHeader(spec, &h, &error));
        EXPECT_FALSE(error.empty());
    }
    DiscSpec longest;
    longest.password.assign(250, 'm');
    longest.splashText.assign(SPLASH_TEXT_SIZE - 1, 't');
    PayloadHeader h;
    std::string error;
    EXPECT_TRUE(encodeHeader(longest, &h, &error)) << error;
}

TEST(ContentPath, OnlyPathsInsideTheDiscFolder) {
    struct Case {
        const char* path;
        const char* expected;  // nullptr: refused
    };
    const Case cases[] = {
        {"disc1.dat", "/o/disc1.dat"},
        {"data\\disc1.dat", "/o/data/disc1.dat"},
        {"data/sub/d.dat", "/o/data/sub/d.dat"},
        {"", nullptr},
        {"..\\evil.dat", nullptr},
        {"data\\..\\..\\evil.dat", nullptr},
        {".\\d.dat", nullptr},
        {"\\root.dat", nullptr},
        {"/etc/passwd", nullptr},
        {"C:\\d.dat", nullptr},
        {"C:d.dat", nullptr},
        {"data\\\\d.dat", nullptr},
        {"data\\", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        std::string host;
        const bool ok = contentPathUnder("/o", c.path, &host);
        EXPECT_EQ(c.expected != nullptr, ok);
        if (c.expected && ok) {
            EXPECT_EQ(c.expected, host);
        }
    }

    TempFolder temp;
    DiscSpec spec;
    DiscEntry e;
    e.id = 1;
    e.fileName = "x";
    e.contentPath = "..\\escaped.dat";
    e.contentBytes = std::string("content");
    spec.entries = {e};
    std::string error;
    EXPECT_FALSE(writeContentFiles(&spec, (temp.path / "disc").string(), &error));
    EXPECT_NE(std::string::npos, error.find("escaped.dat"));
    EXPECT_FALSE(fs::exists(temp.path / "escaped.dat"));
}

TEST(WriteDisc, ViewerDecryptsEveryMethodAndSize) {
    TempFolder temp;
    const fs::path viewer = temp.path / "viewer.exe";
    writeFile(viewer, std::string("MZ") + std::string(998, '\x90'));

    DiscSpec spec;
    spec.password = "pw";
    DiscUser u;
    u.userId = 1;
    u.name = "U";
    u.password = "upw";
    spec.users = {u};
    addPresenceFlags(&spec);
    DiscEntry root;
    root.id = 1;
    root.kind = KIND_ROOT;
    spec.entries.push_back(root);

    const size_t sizes[] = {0, 1, 15, 16, 35, CHUNK_SIZE - 1, CHUNK_SIZE + 17};
    const ContentMethod methods[] = {ContentMethod::BitCrypt, ContentMethod::Scramble, ContentMethod::Plain};
    std::vector<std::string> contents;
    uint32_t id = 2;
    for (ContentMethod m : methods)
        for (size_t n : sizes) {
            DiscEntry e;
            e.id = id;
            e.parentId = 1;
            e.encFlags = encFlagsOf(m);
            e.fileName = "f" + std::to_string(id);
            e.contentPath = id % 2 ? "data\\odd.dat" : "even.dat";
            e.contentBytes = pattern(n, id);
            contents.push_back(*e.contentBytes);
            spec.entries.push_back(e);
            ++id;
        }
    // A source file on disk, streamed rather than given in memory.
    writeFile(temp.path / "src.bin", pattern(100000, 99));
    DiscEntry fromDisk;
    fromDisk.id = id;
    fromDisk.parentId = 1;
    fromDisk.encFlags = encFlagsOf(ContentMethod::Scramble);
    fromDisk.contentPath = "even.dat";
    fromDisk.sourcePath = (temp.path / "src.bin").string();
    spec.entries.push_back(fromDisk);
    contents.push_back(pattern(100000, 99));

    const fs::path out = temp.path / "out";
    std::string error;
    ASSERT_TRUE(writeDisc(&spec, viewer.string(), out.string(), &error)) << error;

    // Log in as the user, as the password dialog would, and take the key from the record.
    const std::string disc = readFile(out / "viewer.exe");
    PayloadTrailer t;
    PayloadLayout l;
    ASSERT_EQ(LayoutResult::Ok,
              payloadLayout(u8(disc) + disc.size() - TRAILER_SIZE, disc.size(), &t, &l));
    EXPECT_EQ(1000u, t.catalogueOffset);
    EXPECT_EQ(disc.substr(0, 1000), readFile(viewer));
    std::vector<ParsedUser> users;
    ASSERT_EQ(UserParseResult::Ok, parseUserSection(u8(disc) + l.users.offset, l.users.size, t.userCount, KEY, &users));
    ASSERT_EQ(1u, users.size());
    const std::string contentKey = users[0].key;

    std::string catalogue = disc.substr(l.catalogue.offset, l.catalogue.size);
    foldWithPayloadKey(&catalogue);
    std::vector<DiscEntry> entries;
    ASSERT_TRUE(readCatalogueRecords(u8(catalogue), uint32_t(catalogue.size()), t.itemCount, &entries, &error)) << error;
    ASSERT_EQ(spec.entries.size(), entries.size());
    for (size_t i = 1; i < entries.size(); ++i) {
        SCOPED_TRACE(entries[i].fileName + " size " + std::to_string(contents[i - 1].size()));
        EXPECT_EQ(contents[i - 1].size(), entries[i].size);
        if (entries[i].encFlags != 0 && entries[i].size >= 16)
        {
            std::string dataPath;
            ASSERT_TRUE(contentPathUnder(out.string(), entries[i].contentPath, &dataPath));
            EXPECT_NE(contents[i - 1].substr(0, 16), readFile(dataPath).substr(entries[i].contentOffset, 16));
        }
        EXPECT_EQ(contents[i - 1], viewerDecrypt(out, entries[i], contentKey));
    }

    // The dump reads it all back without complaint.
    FILE* sink = std::tmpfile();
    EXPECT_TRUE(dumpDisc(disc, sink, &error)) << error;
    std::fclose(sink);

    // Writing the output over the viewer it copies is refused.
    EXPECT_FALSE(writeDisc(&spec, viewer.string(), temp.path.string(), &error));
    EXPECT_EQ(readFile(viewer).size(), 1000u);
}

TEST(FolderCatalogue, ParentsFirstInNameOrderWithDataFileSplit) {
    TempFolder temp;
    const fs::path src = temp.path / "src";
    writeFile(src / "b.txt", std::string(600, 'b'));
    writeFile(src / "a" / "z.txt", std::string(500, 'z'));
    writeFile(src / "a" / "deep" / "x.csv", "1,2\n");
    writeFile(src / "c.bin", std::string(10, 'c'));
    fs::create_directories(src / "empty");
    fs::create_symlink(src / "a", src / "link-to-a");

    FolderOptions options;
    options.method = ContentMethod::Scramble;
    options.dataFileLimit = 1000;
    options.firstIdNumber = 100;
    options.userIds = {4, 9};
    std::vector<EntryExtras> extras(1);
    extras[0].relativePath = "a/deep/x.csv";
    extras[0].idNumber = 7;
    extras[0].nameText = "Table";
    extras[0].note = "numbers";
    std::vector<DiscEntry> entries;
    std::string error;
    ASSERT_TRUE(buildFolderCatalogue(src.string(), options, extras, &entries, &error)) << error;

    struct Expect {
        const char* name;
        uint32_t id, parentId, kind;
        const char* contentPath;
        int32_t idNumber;
    };
    const Expect expected[] = {
        {"Orvanta", 1, 0, KIND_ROOT, "", -1},
        {"a", 2, 1, KIND_FOLDER, "", -1},
        {"deep", 3, 2, KIND_FOLDER, "", -1},
        {"x.csv", 4, 3, KIND_FILE, "data\\disc1.dat", 7},
        {"z.txt", 5, 2, KIND_FILE, "data\\disc1.dat", 100},
        {"b.txt", 6, 1, KIND_FILE, "data\\disc2.dat", 101},  // 4 + 500 + 600 passes 1000
        {"c.bin", 7, 1, KIND_FILE, "data\\disc2.dat", 102},
        {"empty", 8, 1, KIND_FOLDER, "", -1},
    };
    ASSERT_EQ(std::size(expected), entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(expected[i].name, entries[i].fileName);
        EXPECT_EQ(expected[i].id, entries[i].id);
        EXPECT_EQ(expected[i].parentId, entries[i].parentId);
        EXPECT_EQ(expected[i].kind, entries[i].kind);
        EXPECT_EQ(expected[i].contentPath, entries[i].contentPath);
        EXPECT_EQ(expected[i].idNumber, entries[i].idNumber);
        EXPECT_EQ(options.userIds, entries[i].userIds);
        EXPECT_EQ(entries[i].kind == KIND_FILE ? encFlagsOf(ContentMethod::Scramble) : 0u, entries[i].encFlags);
    }
    EXPECT_EQ("Table", entries[3].nameText);
    EXPECT_EQ("numbers", entries[3].note);

    EXPECT_FALSE(buildFolderCatalogue((temp.path / "missing").string(), options, {}, &entries, &error));
    EXPECT_FALSE(error.empty());
}

TEST(Password, ViewerLoginOpensWrittenDiscs) {
    DiscSpec spec;
    spec.password = "Master pw";
    DiscUser a;
    a.userId = 21;
    a.name = "Ann";
    a.password = "ann";
    DiscUser b = a;
    b.userId = 22;
    b.name = "Ben";
    b.password = "ben";
    spec.users = {a, b};
    addPresenceFlags(&spec);
    PayloadParts parts;
    std::string error;
    ASSERT_TRUE(buildPayloadParts(spec, &parts, &error)) << error;
    const std::string file = std::string(16, 'M') + assemblePayload(parts, 16);

    PayloadTrailer t;
    PayloadLayout l;
    ASSERT_EQ(LayoutResult::Ok, payloadLayout(u8(file) + file.size() - TRAILER_SIZE, file.size(), &t, &l));
    PayloadHeader h;
    unfoldHeader(u8(file) + l.header.offset, KEY, &h);
    std::vector<ParsedUser> records;
    ASSERT_EQ(UserParseResult::Ok, parseUserSection(u8(file) + l.users.offset, l.users.size, t.userCount, KEY, &records));
    UserList users;
    for (const ParsedUser& r : records) addUser(users, r);

    const LoginDecision master = decideLogin(h.contentKey, storedvalues::plainPasswordCheck, "Master pw", users);
    EXPECT_EQ(LoginOutcome::Master, master.outcome);
    EXPECT_EQ(discContentKey(spec), master.newContentKey);

    const LoginDecision ben = decideLogin(h.contentKey, storedvalues::plainPasswordCheck, "ben", users);
    ASSERT_EQ(LoginOutcome::User, ben.outcome);
    EXPECT_EQ(22u, ben.user->userId);
    EXPECT_EQ(discContentKey(spec), ben.newContentKey);

    EXPECT_EQ(LoginOutcome::Wrong, decideLogin(h.contentKey, storedvalues::plainPasswordCheck, "Ben", users).outcome);
}
