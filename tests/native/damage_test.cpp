// The disc tool's damaged discs: each kind, read back through the viewer's own parsers, fails in
// the one way it should, and everything else about the disc stays whole.
#include <gtest/gtest.h>

#include "testfiles.h"

#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "damagecmd.h"
#include "extract/extract.h"
#include "startup/payload.h"
#include "startup/report.h"
#include "startup/scramble.h"
#include "startup/storedvalues.h"

namespace fs = std::filesystem;

namespace {

const char* const KEY = storedvalues::plainPayloadKey;
const char OPEN_DISC_KEY[] = "Orvanta open disc";

std::vector<std::string> reportedTexts;

void recordReport(const char*, const char* text) {
    reportedTexts.push_back(text);
}

struct ReportCapture {
    ReportCapture() {
        reportedTexts.clear();
        setReporter(recordReport);
    }
    ~ReportCapture() { setReporter(nullptr); }
};

// A source folder (Docs/a.txt, Docs/b.txt, Read me.txt) and a stand-in viewer file.
struct DamageFixture {
    TempFolder temp;
    fs::path source, viewer, out;
    DamageFixture() {
        source = temp.path / "source";
        viewer = temp.path / "viewer.exe";
        out = temp.path / "disc";
        writeFile(source / "Read me.txt", "Read me first.\r\n");
        writeFile(source / "Docs" / "a.txt", "first file, long enough to be cut in half\r\n");
        writeFile(source / "Docs" / "b.txt", "second file\r\n");
        writeFile(viewer, "MZ" + std::string(1022, '\x90'));
    }
    std::string write(DamageKind kind) {
        std::string description, error;
        EXPECT_TRUE(writeDamagedDisc(kind, viewer.string(), source.string(), out.string(), &description, &error))
            << error;
        EXPECT_FALSE(description.empty());
        return readFile(out / "viewer.exe");
    }
};

struct ReadBack {
    LayoutResult layout;
    PayloadTrailer trailer{};
    PayloadLayout sections{};
    UserParseResult users = UserParseResult::Ok;
    std::vector<ParsedUser> parsedUsers;
};

ReadBack readBack(const std::string& file) {
    ReadBack r;
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(file.data());
    r.layout = payloadLayout(bytes + file.size() - TRAILER_SIZE, file.size(), &r.trailer, &r.sections);
    if (r.layout == LayoutResult::Ok && r.trailer.userCount != 0)
        r.users = parseUserSection(bytes + r.sections.users.offset, r.sections.users.size, r.trailer.userCount, KEY,
                                   &r.parsedUsers);
    return r;
}

// The catalogue of a disc whose layout is whole, as the viewer builds it.
CatalogueLoadResult loadCatalogueOf(const std::string& file, CatalogueModel* model) {
    const ReadBack r = readBack(file);
    EXPECT_EQ(LayoutResult::Ok, r.layout);
    std::string section = file.substr(r.sections.catalogue.offset, r.sections.catalogue.size);
    xorFold(KEY, reinterpret_cast<uint8_t*>(&section[0]), static_cast<int32_t>(section.size()));
    return loadCatalogueRecords(reinterpret_cast<const uint8_t*>(section.data()), section.size(),
                                r.trailer.itemCount, model);
}

const CryptItem* itemNamed(const CatalogueModel& model, const std::string& name) {
    for (const CryptItem& item : model.items)
        if (item.FileName == name) return &item;
    return nullptr;
}

TEST(DamageCommand, PayloadKindsFailTheLoaderInTheirOwnPlace) {
    struct Case {
        const char* name;
        DamageKind kind;
        LayoutResult layout;
        UserParseResult users;
        size_t wholeUsers;
    } cases[] = {
        {"truncated", DamageKind::Truncated, LayoutResult::Damaged, UserParseResult::Ok, 0},
        {"trailer-past-end", DamageKind::TrailerPastEnd, LayoutResult::Damaged, UserParseResult::Ok, 0},
        {"user-length-past-section", DamageKind::UserLengthPastSection, LayoutResult::Ok, UserParseResult::Damaged, 0},
        {"user-count-too-large", DamageKind::UserCountTooLarge, LayoutResult::Ok, UserParseResult::Damaged, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DamageKind parsed;
        ASSERT_TRUE(parseDamageKind(c.name, &parsed));
        EXPECT_EQ(c.kind, parsed);
        DamageFixture f;
        const std::string file = f.write(c.kind);
        ASSERT_GT(file.size(), 1024u + TRAILER_SIZE);
        EXPECT_EQ(0, std::memcmp(file.data(), "MZ", 2)) << "the viewer part is kept";
        const ReadBack r = readBack(file);
        EXPECT_EQ(PAYLOAD_MAGIC, r.trailer.magic) << "the trailer stays a trailer";
        EXPECT_EQ(c.layout, r.layout);
        EXPECT_EQ(c.users, r.users);
        EXPECT_EQ(c.wholeUsers, r.parsedUsers.size());
        if (r.layout == LayoutResult::Ok) {
            CatalogueModel model;
            EXPECT_EQ(CatalogueLoadResult::Ok, loadCatalogueOf(file, &model)) << "only the users are damaged";
        }
    }
    DamageKind unused;
    EXPECT_FALSE(parseDamageKind("nothing", &unused));
}

TEST(DamageCommand, CatalogueCountTooLargeKeepsTheRecordsThatAreThere) {
    DamageFixture f;
    const std::string file = f.write(DamageKind::CatalogueCountTooLarge);
    ReportCapture capture;
    CatalogueModel model;
    EXPECT_EQ(CatalogueLoadResult::Damaged, loadCatalogueOf(file, &model));
    ASSERT_EQ(5u, model.items.size());  // root, Docs, a.txt, b.txt, Read me.txt
    ASSERT_EQ(1u, reportedTexts.size());
    EXPECT_EQ("Catalogue damaged: read 5 of 7 items.", reportedTexts[0]);
    EXPECT_EQ(3u, model.totals.fileCount);
}

TEST(DamageCommand, HostileNamesAreAllRefusedAndGoodTxtIsExported) {
    DamageFixture f;
    const std::string file = f.write(DamageKind::HostileNames);
    CatalogueModel model;
    ASSERT_EQ(CatalogueLoadResult::Ok, loadCatalogueOf(file, &model));
    const std::string longName(255, 'n');  // 300 bytes stored, 255 kept
    const std::set<std::string> refusedNames = {"..\\evil.txt", "C:\\absolute.txt", "\\\\server\\share.txt", "CON",
                                                "nul.txt",      "COM1.log",         "a/b.txt", "trailing.", ".."};
    for (const std::string& name : refusedNames) {
        SCOPED_TRACE(name);
        const CryptItem* item = itemNamed(model, name);
        ASSERT_NE(nullptr, item);
        EXPECT_FALSE(isUsableName(*item));
    }
    ASSERT_NE(nullptr, itemNamed(model, longName));
    EXPECT_NE(nullptr, itemNamed(model, "inside.txt"));

    const std::string destination = "/chosen";
    const std::vector<ExportStep> steps =
        planFolderExport(model, model.items[0], destination, '/', 260, 248);
    std::set<std::string> written, refused, tooLong;
    for (const ExportStep& step : steps) {
        EXPECT_EQ(0u, step.path.rfind(destination + "/", 0)) << step.path;
        if (step.kind == ExportStepKind::WriteFile) written.insert(step.path);
        if (step.kind == ExportStepKind::RefusedName) refused.insert(step.item->FileName);
        if (step.kind == ExportStepKind::RefusedLength) tooLong.insert(step.item->FileName);
    }
    EXPECT_EQ((std::set<std::string>{"/chosen/Orvanta/Read me.txt", "/chosen/Orvanta/good.txt",
                                     "/chosen/Orvanta/Docs/a.txt", "/chosen/Orvanta/Docs/b.txt"}),
              written);
    EXPECT_EQ(refusedNames, refused) << "inside.txt goes with its folder";
    EXPECT_EQ(std::set<std::string>{longName}, tooLong);
}

TEST(DamageCommand, DataFileKindsBreakOneFileOnly) {
    struct Case {
        const char* name;
        DamageKind kind;
        ExtractResult result;
    } cases[] = {
        {"short-data", DamageKind::ShortData, ExtractResult::ContentTooShort},
        {"missing-data", DamageKind::MissingData, ExtractResult::ContentNotOpened},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DamageFixture f;
        const std::string file = f.write(c.kind);
        CatalogueModel model;
        ASSERT_EQ(CatalogueLoadResult::Ok, loadCatalogueOf(file, &model));
        const fs::path target = f.temp.path / "target.txt";
        // The first file in catalogue order is damaged; every file has a data file of its own.
        const CryptItem* damaged = itemNamed(model, "a.txt");
        ASSERT_NE(nullptr, damaged);
        const std::string damagedPath = resolveContentPath(f.out.string(), damaged->ContentPath, '/');
        EXPECT_EQ(c.result, extractItemContentTo(*damaged, damagedPath.c_str(), OPEN_DISC_KEY, target.c_str()));
        EXPECT_FALSE(fs::exists(target)) << "no partial file is left";
        for (const char* name : {"b.txt", "Read me.txt"}) {
            const CryptItem* item = itemNamed(model, name);
            ASSERT_NE(nullptr, item);
            EXPECT_NE(damaged->ContentPath, item->ContentPath);
            const std::string path = resolveContentPath(f.out.string(), item->ContentPath, '/');
            EXPECT_EQ(ExtractResult::Done, extractItemContentTo(*item, path.c_str(), OPEN_DISC_KEY, target.c_str()));
            EXPECT_EQ(readFile(f.source / (std::string(name) == "b.txt" ? "Docs/b.txt" : name)), readFile(target));
        }
    }
}

}  // namespace
