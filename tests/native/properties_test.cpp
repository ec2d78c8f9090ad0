#include <gtest/gtest.h>

#include <string>

#include "catalogue/properties.h"
#include "catalogue_fixture.h"

TEST(Properties, EncryptionText) {
    struct Case {
        uint32_t flags;
        const char* expected;
    };
    const Case cases[] = {
        {0, "Not encrypted."},
        {ENC_FULL | ENC_BITCRYPT, "Not encrypted."},  // without 0x40 nothing else counts
        {0x40 | 0x80 | 0x100, "BitCrypt  - ( FULL )"},
        {0x40 | 0x400, "SCRAMBLE  - ( FAST )"},
        {0x40, " - ( FAST )"},
        {0x40 | 0x1000 | 0x800 | 0x400 | 0x200 | 0x100, "BitCrypt SCRAMBLE PGP BlowFish 2Fish  - ( FAST )"},
        {0xFFFFFFFFu, "BitCrypt SCRAMBLE PGP BlowFish 2Fish  - ( FULL )"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        EXPECT_EQ(c.expected, encryptionText(c.flags));
    }
}

TEST(Properties, SizeTexts) {
    EXPECT_EQ("1536 Bytes ( 1.50 KB/0.00 MB)", fileSizeText(1536));
    EXPECT_EQ("4294967295 Bytes ( 4194304.00 KB/4096.00 MB)", fileSizeText(0xFFFFFFFFu));
    EXPECT_EQ("Total 150 Bytes ( 0.15 KB/0.00 MB) - Files: 2 - Sub Folders: 3",
              folderTotalsText(FolderTotals{3, 2, 150}));
    EXPECT_EQ("Total 6442450944 Bytes ( 6291456.00 KB/6144.00 MB) - Files: 3 - Sub Folders: 0",
              folderTotalsText(FolderTotals{0, 3, 6442450944ull}));
}

TEST(Properties, FolderTotals) {
    SectionBuilder b;
    b.root(1);
    b.folder(2, 1, "A");
    b.file(10, 2, "f1", 100);
    b.folder(3, 2, "B");
    b.folder(4, 2, "C");
    b.folder(5, 3, "D");
    b.file(11, 3, "f2", 50);
    b.folder(6, 1, "Big");
    for (uint32_t i = 0; i < 3; ++i) b.file(20 + i, 6, "huge", 0xC0000000u);  // 3 x 3 GiB
    b.folder(7, 1, "Odd");
    b.folder(8, 7, "kind eight", 8, 70);        // adds its Size, is no file, is a sub-folder
    b.add(RecordSpec(9, 7, 0x4, 30, "kind four").withContent("p", 0));  // adds its Size, no file
    b.folder(30, 7, "kind one", KIND_FOLDER, 1000);  // Kind exactly 1: its Size is not added
    b.folder(40, 1, "Empty");
    b.file(50, 99, "orphan", 7);  // counted in the disc totals, under no folder
    CatalogueModel model;
    ASSERT_EQ(CatalogueLoadResult::Ok, loadFrom(b, &model));

    struct Case {
        const char* name;
        uint32_t id;
        FolderTotals expected;  // subFolders, files, bytes
    };
    const Case cases[] = {
        {"A holds f1, B (D, f2) and C", 2, {3, 2, 150}},
        {"B", 3, {1, 1, 50}},
        {"above 4 GiB", 6, {0, 3, 3ull * 0xC0000000u}},
        {"folder-like kinds", 7, {2, 0, 100}},
        {"empty folder", 40, {0, 0, 0}},
        {"root copies the load totals, orphans included", 1,
         {model.totals.folderCount, model.totals.fileCount, model.totals.totalBytes}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const FolderTotals t = computeFolderTotals(model, treeNodeOfItemId(model, c.id));
        EXPECT_EQ(c.expected.subFolders, t.subFolders);
        EXPECT_EQ(c.expected.files, t.files);
        EXPECT_EQ(c.expected.bytes, t.bytes);
    }
    EXPECT_EQ(9u, model.totals.folderCount);
    EXPECT_EQ(7u, model.totals.fileCount);  // kind 4 counts as a file while loading
    const FolderTotals none = computeFolderTotals(model, NO_NODE);
    EXPECT_EQ(0u, none.subFolders + none.files + none.bytes);
}

TEST(Properties, ControlTexts) {
    SectionBuilder b;
    b.root(1);
    b.add(RecordSpec(2, 1, KIND_FOLDER, 0, "Docs").withIdNumber(-1).withEncFlags(0));
    b.add(RecordSpec(3, 2, KIND_FILE, 1536, "a.txt").withIdNumber(77).withEncFlags(0x40 | 0x400)
              .withNote("the note").withNameText("").withContent("d", 0));
    b.add(RecordSpec(4, 2, KIND_FILE, 0, "").withContent("d", 0));
    CatalogueModel model;
    ASSERT_EQ(CatalogueLoadResult::Ok, loadFrom(b, &model));

    const PropertiesTexts root = treeNodeProperties(model, treeNodeOfItemId(model, 1));
    EXPECT_TRUE(root.found);
    EXPECT_EQ("Whole CD", root.type);
    EXPECT_EQ("Whole CD", root.name);
    EXPECT_EQ("Total 1536 Bytes ( 1.50 KB/0.00 MB) - Files: 2 - Sub Folders: 1", root.size);

    const PropertiesTexts docs = treeNodeProperties(model, treeNodeOfItemId(model, 2));
    EXPECT_EQ("Folder", docs.type);
    EXPECT_EQ("Docs", docs.name);
    EXPECT_EQ("Not encrypted.", docs.encryption);
    EXPECT_FALSE(docs.hasIdNumber);  // -1 leaves the box empty

    const PropertiesTexts file = fileItemProperties(findItemById(model, 3));
    EXPECT_EQ("File", file.type);
    EXPECT_EQ("a.txt", file.name);
    EXPECT_EQ("1536 Bytes ( 1.50 KB/0.00 MB)", file.size);
    EXPECT_EQ("SCRAMBLE  - ( FAST )", file.encryption);
    EXPECT_TRUE(file.hasIdNumber);
    EXPECT_EQ("77", file.idNumber);
    EXPECT_TRUE(file.hasNote);
    EXPECT_EQ("the note", file.note);
    EXPECT_TRUE(file.hasNameText);
    EXPECT_EQ("", file.nameText);

    EXPECT_EQ("", fileItemProperties(findItemById(model, 4)).name);  // absent name shows empty
    EXPECT_FALSE(fileItemProperties(nullptr).found);
    EXPECT_FALSE(treeNodeProperties(model, 99).found);
}
