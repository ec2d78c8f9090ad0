#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue_fixture.h"
#include "startup/report.h"

namespace {

struct Reported {
    int count = 0;
    std::string title, text;
};
Reported reported;

void recordReport(const char* title, const char* text) {
    ++reported.count;
    reported.title = title;
    reported.text = text;
}

// Captures reports for the lifetime of a test.
struct ReportCapture {
    ReportCapture() {
        reported = Reported{};
        setReporter(recordReport);
    }
    ~ReportCapture() { setReporter(nullptr); }
};

std::vector<std::string> fileNames(const CatalogueModel& model) {
    std::vector<std::string> names;
    for (const CryptItem& item : model.items) names.push_back(item.FileName);
    return names;
}

}  // namespace

TEST(CatalogueLoad, RecordFieldsKindsAndTotals) {
    ReportCapture capture;
    SectionBuilder b;
    b.root(1);
    b.add(RecordSpec(2, 1, KIND_FOLDER, 77, "Docs").withNote("a note").withNameText("a name").withIdNumber(42)
              .withEncFlags(0x40).withUserIds({5, 6}));
    b.add(RecordSpec(3, 2, KIND_FILE, 1000, "report.txt").withEncFlags(0xC0 | ENC_BITCRYPT).withUserIds({9})
              .withContent("data\\d1.bin", 512).withAux(7));
    b.add(RecordSpec(4, 1, KIND_FILE, 1048, "empty path.doc").withContent("", 99));
    b.folder(5, 1, "Odd kind", 8, 5);
    CatalogueModel model;
    ASSERT_EQ(CatalogueLoadResult::Ok, loadFrom(b, &model));
    EXPECT_EQ(0, reported.count);
    ASSERT_EQ(5u, model.items.size());

    const CryptItem& root = model.items[0];
    EXPECT_EQ("Orvanta", root.FileName);  // whatever name the root stores
    EXPECT_TRUE(root.hasFileName);
    EXPECT_FALSE(root.hasContentPath);

    const CryptItem& docs = model.items[1];
    EXPECT_EQ(2u, docs.Id);
    EXPECT_EQ(1u, docs.ParentId);
    EXPECT_EQ(77u, docs.Size);
    EXPECT_EQ(0x40u, docs.EncFlags);
    EXPECT_EQ(42, docs.IdNumber);
    EXPECT_EQ("a note", docs.Note);
    EXPECT_EQ("a name", docs.NameText);
    ASSERT_EQ(2u, docs.UserIdCount);
    EXPECT_EQ(5u, userIdsOf(model, docs)[0]);
    EXPECT_EQ(6u, userIdsOf(model, docs)[1]);
    EXPECT_FALSE(docs.hasContentPath);

    const CryptItem& report = model.items[2];
    EXPECT_EQ("report.txt", report.FileName);
    EXPECT_TRUE(report.hasContentPath);
    EXPECT_EQ("data\\d1.bin", report.ContentPath);
    EXPECT_EQ(512u, report.ContentOffset);
    EXPECT_EQ(7u, report.Aux);
    EXPECT_EQ(9u, userIdsOf(model, report)[0]);
    EXPECT_EQ(NO_NODE, report.TreeNode);

    const CryptItem& noPath = model.items[3];
    EXPECT_FALSE(noPath.hasContentPath);
    EXPECT_EQ(0u, noPath.ContentOffset);  // an offset without a path is dropped

    // Kind 8 is folder-like: a node, counted as a folder; files only count Kind without 0x329.
    EXPECT_NE(NO_NODE, model.items[4].TreeNode);
    EXPECT_EQ(2u, model.totals.folderCount);
    EXPECT_EQ(2u, model.totals.fileCount);
    EXPECT_EQ(2048u, model.totals.totalBytes);
}

TEST(CatalogueLoad, StoredTexts) {
    ReportCapture capture;
    const std::string longName(300, 'n');
    const std::string longPath(400, 'p');
    SectionBuilder b;
    b.add(RecordSpec(1, 0, KIND_FILE, 0, ""));  // empty name
    b.add(RecordSpec(2, 0, KIND_FILE, 0, std::string("ab\0cd", 5)).withNote(std::string("no\0te", 5)));
    b.add(RecordSpec(3, 0, KIND_FILE, 0, std::string("\0x", 2)));  // zero first: empty
    b.add(RecordSpec(4, 0, KIND_FILE, 0, longName).withContent(longPath, 8));
    b.add(RecordSpec(5, 0, KIND_FILE, 0, "after").withIdNumber(11));  // read in step
    CatalogueModel model;
    ASSERT_EQ(CatalogueLoadResult::Ok, loadFrom(b, &model));
    ASSERT_EQ(5u, model.items.size());

    EXPECT_FALSE(model.items[0].hasFileName);
    EXPECT_EQ("", model.items[0].Note);  // length 0: present and empty
    EXPECT_EQ("ab", model.items[1].FileName);
    EXPECT_EQ("no", model.items[1].Note);
    EXPECT_FALSE(model.items[2].hasFileName);
    EXPECT_EQ(std::string(255, 'n'), model.items[3].FileName);
    EXPECT_EQ(std::string(255, 'p'), model.items[3].ContentPath);
    EXPECT_EQ(8u, model.items[3].ContentOffset);
    // The cut bytes were passed over, so the next record starts where it should.
    EXPECT_EQ("after", model.items[4].FileName);
    EXPECT_EQ(11, model.items[4].IdNumber);
}

TEST(CatalogueLoad, TreeShape) {
    ReportCapture capture;
    SectionBuilder b;
    b.root(1);                      // 0: top level, expanded
    b.folder(3, 2, "early");        // 1: parent 2 comes later -> top level
    b.folder(2, 1, "A");            // 2: under root
    b.folder(4, 2, "B");            // 3: under A
    b.folder(5, 2, "C");            // 4: under A, after B
    b.folder(6, 6, "self");         // 5: ParentId is its own Id -> top level
    b.root(7, 2);                   // 6: second root under A, collapsed
    b.file(8, 1, "f");              // 7: file, no node
    b.folder(9, 8, "under file");   // 8: parent is a file -> top level
    b.folder(2, 1, "A again");      // 9: shares Id 2; lookups keep finding the first
    b.folder(10, 2, "D");           // 10: under the first A
    CatalogueModel model;
    ASSERT_EQ(CatalogueLoadResult::Ok, loadFrom(b, &model));
    ASSERT_EQ(10u, model.nodes.size());

    auto nodeOf = [&](size_t item) { return model.items[item].TreeNode; };
    auto parentOf = [&](size_t item) { return model.nodes[nodeOf(item)].parent; };
    EXPECT_EQ(NO_NODE, parentOf(0));
    EXPECT_TRUE(model.nodes[nodeOf(0)].expanded);
    EXPECT_EQ(NO_NODE, parentOf(1));
    EXPECT_EQ(nodeOf(0), parentOf(2));
    EXPECT_EQ(nodeOf(2), parentOf(3));
    EXPECT_EQ(nodeOf(2), parentOf(4));
    EXPECT_EQ(NO_NODE, parentOf(5));
    EXPECT_EQ(nodeOf(2), parentOf(6));
    EXPECT_FALSE(model.nodes[nodeOf(6)].expanded);
    EXPECT_EQ("Orvanta", model.items[6].FileName);
    EXPECT_EQ(NO_NODE, nodeOf(7));
    EXPECT_EQ(NO_NODE, parentOf(8));
    EXPECT_EQ(nodeOf(0), parentOf(9));
    EXPECT_EQ(nodeOf(2), parentOf(10));

    // Children of A in insertion order: B, C, second root, D.
    std::vector<int32_t> children;
    for (int32_t c = model.nodes[nodeOf(2)].firstChild; c != NO_NODE; c = model.nodes[c].nextSibling) {
        children.push_back(c);
    }
    EXPECT_EQ((std::vector<int32_t>{nodeOf(3), nodeOf(4), nodeOf(6), nodeOf(10)}), children);
    // Top level in insertion order.
    std::vector<int32_t> top;
    for (int32_t c = model.firstTopNode; c != NO_NODE; c = model.nodes[c].nextSibling) top.push_back(c);
    EXPECT_EQ((std::vector<int32_t>{nodeOf(0), nodeOf(1), nodeOf(5), nodeOf(8)}), top);

    EXPECT_EQ(&model.items[2], findItemById(model, 2));
    EXPECT_EQ(nodeOf(2), treeNodeOfItemId(model, 2));
    EXPECT_EQ(NO_NODE, treeNodeOfItemId(model, 8));  // a file has no node
    EXPECT_EQ(nullptr, findItemById(model, 99));
    EXPECT_EQ(NO_NODE, treeNodeOfItemId(model, 99));
    EXPECT_EQ(&model.items[9], itemOfNode(model, nodeOf(9)));
    EXPECT_EQ(nullptr, itemOfNode(model, 1000));

    // Children by ParentId, catalogue order, whatever their kind.
    const ItemRange ofA = childItemsOfId(model, 2);
    EXPECT_EQ((std::vector<uint32_t>{1, 3, 4, 6, 10}), std::vector<uint32_t>(ofA.begin, ofA.end));
}

TEST(CatalogueLoad, ZeroRecords) {
    ReportCapture capture;
    CatalogueModel model;
    EXPECT_EQ(CatalogueLoadResult::Ok, loadCatalogueRecords(nullptr, 0, 0, &model));
    EXPECT_TRUE(model.items.empty());
    EXPECT_TRUE(model.nodes.empty());
    EXPECT_EQ(NO_NODE, model.firstTopNode);
    EXPECT_EQ(nullptr, findItemById(model, 0));
    EXPECT_EQ(0, reported.count);
}

// Every cut of a section, and lengths that cannot be right, stop the reading with a report and
// keep exactly the whole records before the damage.
TEST(CatalogueLoad, DamagedSectionKeepsWholeRecords) {
    ReportCapture capture;
    const RecordSpec aFile = RecordSpec(3, 2, KIND_FILE, 10, "a.txt").withNote("note").withNameText("name")
                                 .withIdNumber(5).withEncFlags(0x40).withUserIds({1, 2, 3}).withContent("d.bin", 4);
    SectionBuilder b;
    b.root(1);
    b.folder(2, 1, "Docs");
    b.add(aFile);
    b.file(4, 2, "b.txt", 20);
    std::vector<size_t> ends;  // where each record ends
    {
        SectionBuilder probe;
        probe.root(1);
        ends.push_back(probe.bytes().size());
        probe.folder(2, 1, "Docs");
        ends.push_back(probe.bytes().size());
        probe.add(aFile);
        ends.push_back(probe.bytes().size());
    }
    CatalogueModel full;
    ASSERT_EQ(CatalogueLoadResult::Ok, loadFrom(b, &full));

    for (size_t length = 0; length < b.bytes().size(); ++length) {
        SCOPED_TRACE("section cut to " + std::to_string(length) + " bytes");
        // A copy of exactly that length, so a read past it is caught by the address checker.
        std::vector<uint8_t> cut(b.bytes().begin(), b.bytes().begin() + static_cast<long>(length));
        reported = Reported{};
        CatalogueModel model;
        EXPECT_EQ(CatalogueLoadResult::Damaged, loadCatalogueRecords(cut.data(), cut.size(), b.count(), &model));
        size_t whole = 0;
        while (whole < ends.size() && ends[whole] <= length) ++whole;
        ASSERT_EQ(whole, model.items.size());
        EXPECT_EQ(1, reported.count);
        EXPECT_EQ("Error: (14303)", reported.title);
        EXPECT_EQ("Catalogue damaged: read " + std::to_string(whole) + " of 4 items.", reported.text);
        for (size_t i = 0; i < whole; ++i) EXPECT_EQ(full.items[i].FileName, model.items[i].FileName);
        // What was read is usable: lookups and listings work on it.
        if (whole >= 3) {
            EXPECT_EQ(&model.items[2], findItemById(model, 3));
        }
        if (whole >= 2) {
            EXPECT_EQ(model.items[1].TreeNode, treeNodeOfItemId(model, 2));
        }
    }

    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        uint32_t count;
        size_t kept;
    };
    auto withTail = [&](std::initializer_list<uint32_t> words) {
        SectionBuilder t;
        t.root(1);
        for (uint32_t w : words) t.u32(w);
        return t.bytes();
    };
    const std::vector<Case> cases = {
        {"count larger than the section holds", b.bytes(), 9, 4},
        // head: Id 2, ParentId 1, Kind file, Size, Aux, EncFlags, IdNumber, UserIdCount huge;
        // then three empty texts and nothing more.
        {"user ID count beyond the section", withTail({2, 1, 2, 0, 0, 0, 0, 0x40000000u, 0, 0, 0}), 2, 1},
        {"user ID count that wraps when multiplied by 4", withTail({2, 1, 2, 0, 0, 0, 0, 0xFFFFFFFFu, 0, 0, 0}), 2, 1},
        // head, then a file name length far past the end.
        {"file name length beyond the section", withTail({2, 1, 2, 0, 0, 0, 0, 0, 0xFFFFFFF0u}), 2, 1},
        // head, empty texts, then a content path length past the end.
        {"content path length beyond the section", withTail({2, 1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 100, 0}), 2, 1},
        {"content offset missing", withTail({2, 1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0}), 2, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        reported = Reported{};
        CatalogueModel model;
        EXPECT_EQ(CatalogueLoadResult::Damaged, loadCatalogueRecords(c.bytes.data(), c.bytes.size(), c.count, &model));
        EXPECT_EQ(c.kept, model.items.size());
        EXPECT_EQ(1, reported.count);
        EXPECT_EQ("Catalogue damaged: read " + std::to_string(c.kept) + " of " + std::to_string(c.count) + " items.",
                  reported.text);
    }
}

// Seeded byte flips: whatever the bytes say, the loader stops inside the section.
TEST(CatalogueLoad, FlippedBytesNeverReadPastTheSection) {
    ReportCapture capture;
    SectionBuilder b;
    b.root(1);
    for (uint32_t i = 0; i < 6; ++i) {
        b.add(RecordSpec(10 + i, 1, i % 2 ? KIND_FOLDER : KIND_FILE, i, "item" + std::to_string(i))
                  .withNote("n").withNameText("t").withUserIds({i}).withContent("p", i));
    }
    uint32_t seed = 12345;
    for (int round = 0; round < 2000; ++round) {
        std::vector<uint8_t> bytes = b.bytes();
        for (int flips = 0; flips < 3; ++flips) {
            seed = seed * 1103515245u + 12345u;
            bytes[(seed >> 8) % bytes.size()] ^= static_cast<uint8_t>(1u << ((seed >> 4) % 8));
        }
        CatalogueModel model;
        loadCatalogueRecords(bytes.data(), bytes.size(), b.count(), &model);
        EXPECT_LE(model.items.size(), b.count());
        for (const CryptItem& item : model.items) {
            EXPECT_LE(item.FileName.size(), 255u);
            if (item.TreeNode != NO_NODE) {
                EXPECT_EQ(&item, itemOfNode(model, item.TreeNode));
            }
        }
    }
}

TEST(CatalogueLoad, ReloadReplacesTheModel) {
    ReportCapture capture;
    SectionBuilder first;
    first.root(1).folder(2, 1, "x").file(3, 2, "y", 5);
    SectionBuilder second;
    second.root(7).file(8, 7, "z", 9);
    CatalogueModel model;
    loadFrom(first, &model);
    loadFrom(second, &model);
    EXPECT_EQ((std::vector<std::string>{"Orvanta", "z"}), fileNames(model));
    EXPECT_EQ(nullptr, findItemById(model, 2));
    EXPECT_EQ(0u, model.totals.folderCount);
    EXPECT_EQ(9u, model.totals.totalBytes);
    freeCatalogue(&model);
    EXPECT_TRUE(model.items.empty());
    EXPECT_EQ(nullptr, findItemById(model, 7));
}

TEST(CatalogueTotalsLine, Texts) {
    struct Case {
        const char* name;
        CatalogueTotals totals;
        const char* expected;
    };
    const Case cases[] = {
        {"small", {1, 2, 2048}, "2048 Bytes : 2.00 KB : 0.00 MB : 0.00 GB : 1 Folders : 2 Files"},
        {"just below 1 MiB", {0, 1, 1048575}, "1048575 Bytes : 1024.00 KB : 0.00 MB : 0.00 GB : 0 Folders : 1 Files"},
        {"3 MiB", {0, 3, 3145728}, "3145728 Bytes : 3072.00 KB : 3.00 MB : 0.00 GB : 0 Folders : 3 Files"},
        {"above 4 GiB", {5, 70000, 6442450944ull},
         "6442450944 Bytes : 6291456.00 KB : 6144.00 MB : 6.00 GB : 5 Folders : 70000 Files"},
        {"empty", {0, 0, 0}, "0 Bytes : 0.00 KB : 0.00 MB : 0.00 GB : 0 Folders : 0 Files"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.expected, catalogueTotalsLine(c.totals));
    }
}
