// The payload parsing of the loader: trailer and section layout, header block, user records,
// on byte fixtures, on payloads written by the disc tool, and on damaged and truncated files.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "discwriter.h"
#include "startup/payload.h"
#include "startup/report.h"
#include "startup/scramble.h"
#include "startup/storedvalues.h"

namespace {

const char* const KEY = storedvalues::plainPayloadKey;

std::vector<std::string> reports;
void recordReport(const char* title, const char* text) {
    reports.push_back(std::string(title) + " | " + text);
}

struct ReportCapture {
    ReportCapture() {
        reports.clear();
        setReporter(recordReport);
    }
    ~ReportCapture() { setReporter(nullptr); }
};

void put32(std::string* out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out->push_back(static_cast<char>(v >> (8 * i)));
}

std::string trailerBytes(const std::vector<uint32_t>& t) {
    std::string out;
    for (uint32_t v : t) put32(&out, v);
    return out;
}

const uint8_t* u8(const std::string& s) {
    return reinterpret_cast<const uint8_t*>(s.data());
}

LayoutResult layoutOf(const std::string& file, PayloadTrailer* t, PayloadLayout* l) {
    const uint8_t* tail = file.size() >= TRAILER_SIZE ? u8(file) + file.size() - TRAILER_SIZE : nullptr;
    return payloadLayout(tail, file.size(), t, l);
}

// What the loader does with a whole file: layout, then header and users from their spans.
// Returns "ok", "badmagic", "damaged" or "users-damaged".
std::string loadLikeViewer(const std::string& file) {
    PayloadTrailer t;
    PayloadLayout l;
    const LayoutResult r = layoutOf(file, &t, &l);
    if (r == LayoutResult::BadMagic) return "badmagic";
    if (r == LayoutResult::Damaged) return "damaged";
    PayloadHeader h;
    unfoldHeader(u8(file) + l.header.offset, KEY, &h);
    std::vector<ParsedUser> users;
    if (parseUserSection(u8(file) + l.users.offset, l.users.size, t.userCount, KEY, &users) !=
        UserParseResult::Ok)
        return "users-damaged";
    return "ok";
}

// A disc that uses every part of the format.
DiscSpec fullSpec() {
    DiscSpec s;
    s.flags = FLAG_BG_CENTRED | FLAG_LOGO_AT_POSITION | FLAG_LOGO_TRANSPARENT | FLAG_TEXT_SHADOW;
    s.textFlags = TEXT_BOTTOM_CENTRE;
    s.splashColour = 0x00112233;
    s.logoKeyColour = 0x00FF00FF;
    s.textColour = 0x00FFFFFF;
    s.shadowColour = 0x00404040;
    s.fontHeight = -24;
    s.shadowX = 2;
    s.shadowY = -3;
    s.textX = 40;
    s.textY = 500;
    s.logoX = 17;
    s.logoY = 19;
    s.splashText = "Line one\r\nLine two";
    s.aboutLines[0] = "About one";
    s.aboutLines[2] = "About three";
    s.password = "Master";
    s.licence = "Licence text\r\nsecond line";
    s.background = {std::string("BMback-bytes"), "C:\\art\\Back.BMP"};
    s.logo = {std::string("\xFF\xD8logo", 6), "C:\\art\\logo.jpg"};
    s.about = {std::string("about-picture"), "C:\\art\\about.gif"};
    s.font = {std::string("font-file-bytes"), "disc.ttf", "Disc Face"};

    DiscUser ann;
    ann.word0 = 11;
    ann.userId = 7;
    ann.flags = 0x7;
    ann.word3 = 13;
    const uint16_t expiry[8] = {2027, 3, 3, 10, 1, 2, 3, 4};
    std::memcpy(ann.expiry, expiry, sizeof expiry);
    ann.name = "Ann";
    ann.password = "annpw";
    ann.note = "Hello Ann";
    DiscUser bob;
    bob.userId = 8;
    bob.name = "Bob";
    bob.password = "bobpw";
    s.users = {ann, bob};

    DiscEntry root;
    root.id = 1;
    root.kind = KIND_ROOT;
    root.fileName = "Disc";
    DiscEntry folder;
    folder.id = 2;
    folder.parentId = 1;
    folder.kind = KIND_FOLDER;
    folder.fileName = "Docs";
    folder.userIds = {7};
    DiscEntry file;
    file.id = 3;
    file.parentId = 2;
    file.size = 1234;
    file.aux = 5;
    file.encFlags = encFlagsOf(ContentMethod::Scramble);
    file.idNumber = 42;
    file.userIds = {7, 8};
    file.fileName = "a.txt";
    file.note = "a note";
    file.nameText = "name text";
    file.contentPath = "data\\disc1.dat";
    file.contentOffset = 99;
    s.entries = {root, folder, file};
    addPresenceFlags(&s);
    return s;
}

std::string stub(size_t n) {
    std::string s(n, '\0');
    s[0] = 'M';
    s[1] = 'Z';
    return s;
}

std::string unfoldedSection(const std::string& file, const SectionSpan& span) {
    std::string bytes = file.substr(span.offset, span.size);
    foldWithPayloadKey(&bytes);
    return bytes;
}

}  // namespace

TEST(PayloadLayout, TrailerFixtureLocatesEverySection) {
    // T0..T12; every size distinct so that a wrong sum shows.
    const std::string trailer = trailerBytes({
        100,            // T0 catalogue offset
        10,             // T1 catalogue size
        3,              // T2 item count
        20,             // T3 user size
        1,              // T4 user count
        30,             // T5 licence size
        HEADER_SIZE,    // T6 header size
        40,             // T7 background size
        50,             // T8 logo size
        60,             // T9 About size
        70,             // T10 font size
        0xDEADBEEF,     // T11 not read
        PAYLOAD_MAGIC,  // T12
    });
    const uint64_t fileSize = 100 + 10 + 20 + 30 + HEADER_SIZE + 40 + 50 + 60 + 70 + TRAILER_SIZE;
    PayloadTrailer t;
    PayloadLayout l;
    ASSERT_EQ(LayoutResult::Ok, payloadLayout(u8(trailer), fileSize, &t, &l));
    EXPECT_EQ(3u, t.itemCount);
    EXPECT_EQ(1u, t.userCount);
    EXPECT_EQ(0xDEADBEEFu, t.unused11);
    EXPECT_EQ(100u, l.catalogue.offset);
    EXPECT_EQ(110u, l.users.offset);
    EXPECT_EQ(130u, l.licence.offset);
    EXPECT_EQ(160u, l.header.offset);
    EXPECT_EQ(160u + HEADER_SIZE, l.background.offset);
    EXPECT_EQ(200u + HEADER_SIZE, l.logo.offset);
    EXPECT_EQ(250u + HEADER_SIZE, l.about.offset);
    EXPECT_EQ(310u + HEADER_SIZE, l.font.offset);
    EXPECT_EQ(70u, l.font.size);

    // One byte less and the font reaches into the trailer.
    EXPECT_EQ(LayoutResult::Damaged, payloadLayout(u8(trailer), fileSize - 1, &t, &l));
}

TEST(PayloadLayout, DamagedAndForeignTrailers) {
    struct Case {
        const char* name;
        std::vector<uint32_t> trailer;
        uint64_t fileSize;
        LayoutResult expected;
    };
    const uint32_t M = PAYLOAD_MAGIC, H = HEADER_SIZE;
    const uint64_t exact = 8 + H + TRAILER_SIZE;
    const Case cases[] = {
        {"fits exactly", {8, 0, 0, 0, 0, 0, H, 0, 0, 0, 0, 0, M}, exact, LayoutResult::Ok},
        {"magic off by one", {8, 0, 0, 0, 0, 0, H, 0, 0, 0, 0, 0, M + 1}, exact, LayoutResult::BadMagic},
        {"nothing appended", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, exact, LayoutResult::BadMagic},
        {"catalogue past the end", {8, 1, 0, 0, 0, 0, H, 0, 0, 0, 0, 0, M}, exact, LayoutResult::Damaged},
        {"unread font still counted", {8, 0, 0, 0, 0, 0, H, 0, 0, 0, 1, 0, M}, exact, LayoutResult::Damaged},
        // The stored header size is small, but the viewer still reads 5652 bytes from its start.
        {"header shorter than its block", {8, 0, 0, 0, 0, 0, 100, 0, 0, 0, 0, 0, M}, 8 + 100 + TRAILER_SIZE,
         LayoutResult::Damaged},
        {"first offset past the end", {0xFFFFFFF0u, 0, 0, 0, 0, 0, H, 0, 0, 0, 0, 0, M}, exact,
         LayoutResult::Damaged},
        // In 32 bits 0xFFFFFF00 + 0x100 + ... would wrap round to small offsets.
        {"sum wraps 32 bits", {0xFFFFFF00u, 0x100, 0, 0, 0, 0, H, 0, 0, 0, 0, 0, M}, exact,
         LayoutResult::Damaged},
        {"every size maximal", {8, 0xFFFFFFFFu, 0, 0xFFFFFFFFu, 0, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu,
          0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0, M}, exact, LayoutResult::Damaged},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string tail = trailerBytes(c.trailer);
        PayloadTrailer t;
        PayloadLayout l;
        EXPECT_EQ(c.expected, payloadLayout(u8(tail), c.fileSize, &t, &l));
    }

    PayloadTrailer t;
    PayloadLayout l;
    const std::string tail = trailerBytes({8, 0, 0, 0, 0, 0, H, 0, 0, 0, 0, 0, M});
    for (uint64_t size : {0u, 1u, 51u}) {
        SCOPED_TRACE(size);
        EXPECT_EQ(LayoutResult::BadMagic, payloadLayout(u8(tail), size, &t, &l));
    }
    EXPECT_EQ(LayoutResult::BadMagic, payloadLayout(nullptr, 0, &t, &l));
}

TEST(PayloadLayout, OffsetsBeyond32BitsDoNotWrap) {
    const uint32_t F = 0xFFFFFFFFu;
    const std::string tail = trailerBytes({F, F, 0, F, 0, F, F, F, F, F, F, 0, PAYLOAD_MAGIC});
    PayloadTrailer t;
    PayloadLayout l;
    ASSERT_EQ(LayoutResult::Ok, payloadLayout(u8(tail), uint64_t(1) << 40, &t, &l));
    EXPECT_EQ(uint64_t(F) * 8, l.font.offset);
    EXPECT_EQ(uint64_t(F) * 4, l.header.offset);
}

TEST(PayloadHeader, UnfoldsFieldsAndEndsEveryTextInItsField) {
    uint8_t stored[HEADER_SIZE];
    std::memset(stored, 'x', sizeof stored);  // no zero byte anywhere: every text fills its field
    const uint8_t words[8] = {0x01, 0x00, 0x00, 0x01, 0xE8, 0xFF, 0xFF, 0xFF};  // flags, then -24
    std::memcpy(stored, words, 4);
    std::memcpy(stored + 24, words + 4, 4);
    xorFold(KEY, stored, HEADER_SIZE);

    PayloadHeader h;
    unfoldHeader(stored, KEY, &h);
    EXPECT_EQ(0x01000001u, h.flags);
    EXPECT_EQ(-24, h.fontHeight);
    EXPECT_EQ(254u, std::strlen(h.fontFileName));
    EXPECT_EQ(254u, std::strlen(h.aboutLines[0]));
    EXPECT_EQ(254u, std::strlen(h.aboutLines[2]));
    EXPECT_EQ(SPLASH_TEXT_SIZE - 1, std::strlen(h.splashText));
    EXPECT_EQ(254u, std::strlen(h.contentKey));
    EXPECT_EQ('x', h.unused5140[511]);
}

namespace {

// One user record written piece by piece, as stored (every piece folded on its own).
std::string userRecordFixture(const std::string& name, const std::string& passwordText,
                              const std::string& plainKey, const std::string& note) {
    std::string fixed;
    put32(&fixed, 1);        // word0
    put32(&fixed, 42);       // user ID
    put32(&fixed, 0x3);      // flags: may export, has expiry
    put32(&fixed, 4);        // word3
    for (uint16_t v : {2026, 12, 4, 31, 0, 0, 0, 0}) {  // expiry SYSTEMTIME
        fixed.push_back(static_cast<char>(v));
        fixed.push_back(static_cast<char>(v >> 8));
    }
    std::string key = plainKey;
    if (!key.empty()) xorFold(passwordText.c_str(), reinterpret_cast<uint8_t*>(&key[0]), int32_t(key.size()));
    std::string out;
    auto piece = [&](std::string bytes) {
        foldWithPayloadKey(&bytes);
        out += bytes;
    };
    piece(fixed);
    const std::string* texts[4] = {&name, &passwordText, &key, &note};
    for (const std::string* text : texts) {
        std::string length;
        put32(&length, static_cast<uint32_t>(text->size()));
        piece(length);
        piece(*text);
    }
    return out;
}

}  // namespace

TEST(UserSection, ParsesFixtureRecords) {
    ReportCapture capture;
    const std::string section = userRecordFixture(std::string("Al\0ce", 5), "pwQm4z", "content key", "") +
                                userRecordFixture("Cy", "cyQm4z", "", "a note");
    std::vector<ParsedUser> users;
    ASSERT_EQ(UserParseResult::Ok,
              parseUserSection(u8(section), uint32_t(section.size()), 2, KEY, &users));
    ASSERT_EQ(2u, users.size());

    const ParsedUser& a = users[0];
    EXPECT_EQ(1u, a.word0);
    EXPECT_EQ(42u, a.userId);
    EXPECT_EQ(3u, a.flags);
    EXPECT_EQ(4u, a.word3);
    EXPECT_EQ(2026, a.expiry[0]);
    EXPECT_EQ(12, a.expiry[1]);
    EXPECT_EQ(31, a.expiry[3]);
    EXPECT_EQ("Al", a.name);  // cut at the first zero byte
    EXPECT_EQ("pwQm4z", a.passwordText);
    EXPECT_TRUE(a.hasKey);
    EXPECT_EQ("content key", a.key);  // second fold with the password text undone
    EXPECT_FALSE(a.hasNote);

    const ParsedUser& c = users[1];
    EXPECT_FALSE(c.hasKey);
    EXPECT_TRUE(c.hasNote);
    EXPECT_EQ("a note", c.note);
    ASSERT_EQ(1u, reports.size());
    EXPECT_EQ("ERROR: 98234v | User Cy password corrupt.", reports[0]);
}

TEST(UserSection, DamagedSectionsAreRefused) {
    const std::string one = userRecordFixture("Ann", "pwQm4z", "key", "note");
    // Offset of the name's length word, and of the note's (after name, password text, key).
    const size_t nameLength = USER_FIXED_SIZE;
    const size_t noteLength = USER_FIXED_SIZE + 4 + 3 + 4 + 6 + 4 + 3;
    auto withLength = [&](size_t at, uint32_t value) {
        std::string s = one;
        std::string word;
        put32(&word, value);
        foldWithPayloadKey(&word);
        s.replace(at, 4, word);
        return s;
    };
    struct Case {
        const char* name;
        std::string section;
        uint32_t count;
        size_t recordsKept;
    };
    const Case cases[] = {
        {"count larger than the section", one + one, 3, 2},
        {"fixed part cut", one.substr(0, USER_FIXED_SIZE - 1), 1, 0},
        {"length word cut", one.substr(0, USER_FIXED_SIZE + 2), 1, 0},
        {"note cut by one byte", one.substr(0, one.size() - 1), 1, 0},
        {"name length past the section", withLength(nameLength, 1000), 1, 0},
        {"name length 0xFFFFFFFF", withLength(nameLength, 0xFFFFFFFFu), 1, 0},
        {"note length one too many", withLength(noteLength, 5), 1, 0},
        {"empty section", "", 1, 0},
        {"huge count", one, 0xFFFFFFFFu, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<ParsedUser> users;
        EXPECT_EQ(UserParseResult::Damaged,
                  parseUserSection(u8(c.section), uint32_t(c.section.size()), c.count, KEY, &users));
        EXPECT_EQ(c.recordsKept, users.size());
    }
    std::vector<ParsedUser> users;
    EXPECT_EQ(UserParseResult::Ok, parseUserSection(nullptr, 0, 0, KEY, &users));
    EXPECT_TRUE(users.empty());
}

TEST(UserSection, SeededByteFlipsNeverReadOutside) {
    ReportCapture capture;
    const std::string section = userRecordFixture("Ann", "pwQm4z", "key", "note") +
                                userRecordFixture("Bob", "bobQm4z", "key", "");
    std::mt19937 rng(1234);
    for (int round = 0; round < 2000; ++round) {
        std::string s = section;
        const int flips = 1 + round % 4;
        for (int i = 0; i < flips; ++i) s[rng() % s.size()] ^= static_cast<char>(1 + rng() % 255);
        // An exact-size copy on the heap, so that a read past the end is caught by ASan.
        std::vector<uint8_t> heap(s.begin(), s.end());
        std::vector<ParsedUser> users;
        parseUserSection(heap.data(), uint32_t(heap.size()), 2, KEY, &users);
        EXPECT_LE(users.size(), 2u);
    }
}

TEST(PayloadRoundTrip, WrittenDiscParsesBackAsTheLoaderExpects) {
    ReportCapture capture;
    DiscSpec spec = fullSpec();
    PayloadParts parts;
    std::string error;
    ASSERT_TRUE(buildPayloadParts(spec, &parts, &error)) << error;
    const std::string base = stub(3000);
    const std::string file = base + assemblePayload(parts, uint32_t(base.size()));

    PayloadTrailer t;
    PayloadLayout l;
    ASSERT_EQ(LayoutResult::Ok, layoutOf(file, &t, &l));
    EXPECT_EQ(3000u, t.catalogueOffset);
    EXPECT_EQ(3u, t.itemCount);
    EXPECT_EQ(2u, t.userCount);
    EXPECT_EQ(HEADER_SIZE, t.headerSize);
    EXPECT_EQ(0u, t.unused11);
    EXPECT_EQ(PAYLOAD_MAGIC, t.magic);
    // The sections lie back to back and the trailer follows the font.
    EXPECT_EQ(l.catalogue.offset + t.catalogueSize, l.users.offset);
    EXPECT_EQ(l.font.offset + t.fontSize, file.size() - TRAILER_SIZE);

    PayloadHeader h;
    unfoldHeader(u8(file) + l.header.offset, KEY, &h);
    EXPECT_EQ(spec.flags, h.flags);
    EXPECT_EQ(FLAG_BACKGROUND | FLAG_LOGO | FLAG_CUSTOM_ABOUT | FLAG_ABOUT_PICTURE | FLAG_TEXT_SHOWN |
                  FLAG_PASSWORD | FLAG_LICENCE,
              h.flags & (FLAG_BACKGROUND | FLAG_LOGO | FLAG_CUSTOM_ABOUT | FLAG_ABOUT_PICTURE |
                         FLAG_TEXT_SHOWN | FLAG_PASSWORD | FLAG_LICENCE));
    EXPECT_EQ(TEXT_BOTTOM_CENTRE | TEXT_CUSTOM_FONT, h.textFlags);
    EXPECT_EQ(0x00112233u, h.splashColour);
    EXPECT_EQ(0x00FF00FFu, h.logoKeyColour);
    EXPECT_EQ(0x00FFFFFFu, h.textColour);
    EXPECT_EQ(0x00404040u, h.shadowColour);
    EXPECT_EQ(-24, h.fontHeight);
    EXPECT_EQ(2, h.shadowX);
    EXPECT_EQ(-3, h.shadowY);
    EXPECT_EQ(40, h.textX);
    EXPECT_EQ(500, h.textY);
    EXPECT_EQ(17, h.logoX);
    EXPECT_EQ(19, h.logoY);
    EXPECT_STREQ("disc.ttf", h.fontFileName);
    EXPECT_STREQ("Disc Face", h.fontFaceName);
    EXPECT_STREQ("C:\\art\\Back.BMP", h.backgroundPath);
    EXPECT_STREQ("C:\\art\\logo.jpg", h.logoPath);
    EXPECT_STREQ("C:\\art\\about.gif", h.aboutPath);
    EXPECT_STREQ("About one", h.aboutLines[0]);
    EXPECT_STREQ("", h.aboutLines[1]);
    EXPECT_STREQ("About three", h.aboutLines[2]);
    EXPECT_STREQ("Line one\r\nLine two", h.splashText);
    EXPECT_EQ(0, h.contentKey[storedvalues::PASSWORD_CHECK_LENGTH]);

    std::vector<ParsedUser> users;
    ASSERT_EQ(UserParseResult::Ok,
              parseUserSection(u8(file) + l.users.offset, l.users.size, t.userCount, KEY, &users));
    ASSERT_EQ(2u, users.size());
    EXPECT_EQ(11u, users[0].word0);
    EXPECT_EQ(7u, users[0].userId);
    EXPECT_EQ(7u, users[0].flags);
    EXPECT_EQ(13u, users[0].word3);
    EXPECT_EQ(2027, users[0].expiry[0]);
    EXPECT_EQ(10, users[0].expiry[3]);
    EXPECT_EQ(4, users[0].expiry[7]);
    EXPECT_EQ("Ann", users[0].name);
    EXPECT_EQ("annpwQm4z", users[0].passwordText);
    EXPECT_EQ("MasterQm4z", users[0].key);  // what a master login leaves in contentKey
    EXPECT_EQ("Hello Ann", users[0].note);
    EXPECT_EQ("bobpwQm4z", users[1].passwordText);
    EXPECT_EQ("MasterQm4z", users[1].key);
    EXPECT_FALSE(users[1].hasNote);
    EXPECT_TRUE(reports.empty());

    EXPECT_EQ(spec.licence, unfoldedSection(file, l.licence));
    EXPECT_EQ(spec.background.bytes, unfoldedSection(file, l.background));
    EXPECT_EQ(spec.logo.bytes, unfoldedSection(file, l.logo));
    EXPECT_EQ(spec.about.bytes, unfoldedSection(file, l.about));
    EXPECT_EQ(spec.font.bytes, unfoldedSection(file, l.font));

    std::string catalogue;
    for (const DiscEntry& e : spec.entries) catalogue += encodeCatalogueRecord(e);
    EXPECT_EQ(catalogue, unfoldedSection(file, l.catalogue));
}

TEST(PayloadRoundTrip, UnreadSectionsStillMoveTheFont) {
    // No logo bytes: the font follows the background directly. A logo that is stored but not
    // flagged as read still counts.
    DiscSpec spec = fullSpec();
    spec.logo.bytes.clear();
    PayloadParts parts;
    std::string error;
    ASSERT_TRUE(buildPayloadParts(spec, &parts, &error)) << error;
    std::string file = stub(64) + assemblePayload(parts, 64);
    PayloadTrailer t;
    PayloadLayout l;
    ASSERT_EQ(LayoutResult::Ok, layoutOf(file, &t, &l));
    EXPECT_EQ(0u, t.logoSize);
    EXPECT_EQ(l.background.offset + t.backgroundSize + t.aboutSize, l.font.offset);
    EXPECT_EQ(spec.font.bytes, unfoldedSection(file, l.font));

    spec = fullSpec();
    spec.flags &= ~FLAG_LOGO;
    ASSERT_TRUE(buildPayloadParts(spec, &parts, &error)) << error;
    file = stub(64) + assemblePayload(parts, 64);
    ASSERT_EQ(LayoutResult::Ok, layoutOf(file, &t, &l));
    EXPECT_EQ(6u, t.logoSize);
    EXPECT_EQ(spec.font.bytes, unfoldedSection(file, l.font));
}

TEST(PayloadRoundTrip, TruncationSweepGivesAClearFailure) {
    ReportCapture capture;
    DiscSpec spec = fullSpec();
    PayloadParts parts;
    std::string error;
    ASSERT_TRUE(buildPayloadParts(spec, &parts, &error)) << error;
    const std::string base = stub(200);
    const std::string payload = assemblePayload(parts, uint32_t(base.size()));
    const std::string file = base + payload;
    const std::string trailer = file.substr(file.size() - TRAILER_SIZE);
    ASSERT_EQ("ok", loadLikeViewer(file));

    // The file cut at every length: no trailer any more.
    for (size_t n = 0; n < file.size(); ++n) {
        const std::string cut = file.substr(0, n);
        const std::string result = loadLikeViewer(cut);
        if (result != "badmagic" && result != "damaged") {
            ADD_FAILURE() << "cut at " << n << " gave " << result;
            break;
        }
    }
    // The payload body shortened by every count while the trailer stays: the sections run past.
    const size_t body = file.size() - TRAILER_SIZE;
    for (size_t drop = 1; drop <= body - base.size(); ++drop) {
        const std::string shortened = file.substr(0, body - drop) + trailer;
        if (loadLikeViewer(shortened) != "damaged") {
            ADD_FAILURE() << "dropping " << drop << " bytes was not seen";
            break;
        }
    }
}

TEST(PayloadRoundTrip, PatchedTrailerAndUserSection) {
    ReportCapture capture;
    DiscSpec spec = fullSpec();
    PayloadParts parts;
    std::string error;
    ASSERT_TRUE(buildPayloadParts(spec, &parts, &error)) << error;

    struct Case {
        const char* name;
        void (*patch)(PayloadParts* p);
        std::string expected;
    };
    const Case cases[] = {
        {"user count larger than the section", [](PayloadParts* p) { p->userCount = 5; }, "users-damaged"},
        {"user section one byte short",
         [](PayloadParts* p) { p->users.pop_back(); p->licence.insert(0, 1, 'x'); }, "users-damaged"},
        {"key length 0 still loads",
         [](PayloadParts* p) {
             DiscUser u;
             u.userId = 9;
             u.name = "Nokey";
             u.password = "pw";
             u.key = std::string();
             p->users += encodeUserRecord(u, "unused");
             p->userCount += 1;
         },
         "ok"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PayloadParts p = parts;
        c.patch(&p);
        EXPECT_EQ(c.expected, loadLikeViewer(stub(10) + assemblePayload(p, 10)));
    }
    ASSERT_EQ(1u, reports.size());
    EXPECT_EQ("ERROR: 98234v | User Nokey password corrupt.", reports[0]);
}
