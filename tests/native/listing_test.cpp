#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "catalogue/listing.h"
#include "catalogue_fixture.h"

namespace {

std::vector<std::string> rowNames(const FileListRows& list) {
    std::vector<std::string> names;
    for (const LIST_ITEM& row : list.rows) names.push_back(row.FileName);
    return names;
}

FileListRows rowsOf(const CatalogueModel& model, uint32_t folderId) {
    FileListRows list;
    buildFolderRows(model, *findItemById(model, folderId), &list);
    return list;
}

}  // namespace

TEST(FolderRows, WhichItemsAreRows) {
    SectionBuilder b;
    b.root(1);
    b.file(10, 2, "before its folder");  // files may come before their folder
    b.folder(2, 1, "Docs");
    b.file(11, 2, "x.txt", 5);
    b.folder(12, 2, "sub");                  // Kind 1: reached through the tree only
    b.folder(13, 2, "kind eight", 8, 40);    // folder-like without bit 0x01: a row
    b.folder(14, 2, "root bit", KIND_ROOT | 8);
    b.add(RecordSpec(15, 2, 0x4, 0, "other kind").withContent("p", 0));  // neither bit: a row
    b.file(16, 3, "elsewhere");
    b.folder(3, 1, "Only folders");
    b.folder(17, 3, "inner");
    CatalogueModel model;
    ASSERT_EQ(CatalogueLoadResult::Ok, loadFrom(b, &model));

    const FileListRows docs = rowsOf(model, 2);
    EXPECT_EQ((std::vector<std::string>{"before its folder", "kind eight", "other kind", "x.txt"}), rowNames(docs));
    EXPECT_EQ(4u, listItemCount(docs));
    for (size_t k = 0; k < docs.rows.size(); ++k) {
        EXPECT_EQ(static_cast<int32_t>(k), docs.rows[k].Key);
        EXPECT_EQ(NO_INDEX, docs.rows[k].Index);
    }
    EXPECT_EQ(&model.items[5], docs.rows[1].Item);
    EXPECT_EQ(40u, docs.rows[1].Size);

    EXPECT_EQ(1u, listItemCount(rowsOf(model, 3)));  // "elsewhere"; the folder "inner" is no row
    EXPECT_EQ(0u, listItemCount(rowsOf(model, 17)));
    EXPECT_EQ(0u, listItemCount(rowsOf(model, 1)));  // the root holds only folders
}

TEST(FolderRows, FirstLetterOrder) {
    struct Case {
        const char* name;
        std::vector<std::string> catalogue;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases = {
        {"letters ignore case, equal letters keep catalogue order",
         {"beta", "Alpha", "b2", "apple"}, {"Alpha", "apple", "beta", "b2"}},
        {"bytes from 0x80 first, then the empty name, then the rest",
         {"zeta", "", "\xE9t\xE9", "1st", "\x80x", "_under", "{brace"},
         {"\x80x", "\xE9t\xE9", "", "1st", "zeta", "_under", "{brace"}},
        {"only the first byte counts", {"bz", "Ba", "ba", "BB"}, {"bz", "Ba", "ba", "BB"}},
        // '[' (0x5B) sorts after 'Z' and before '_' (0x5F); 'a' counts as 'A' (0x41), '`' stays 0x60.
        {"bytes around the letters", {"`q", "[q", "aq", "@q"}, {"@q", "aq", "[q", "`q"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SectionBuilder b;
        b.root(1);
        uint32_t id = 100;
        for (const std::string& name : c.catalogue) b.file(id++, 1, name);
        CatalogueModel model;
        ASSERT_EQ(CatalogueLoadResult::Ok, loadFrom(b, &model));
        const FileListRows list = rowsOf(model, 1);
        EXPECT_EQ(c.expected, rowNames(list));
        for (size_t k = 0; k < list.rows.size(); ++k) EXPECT_EQ(static_cast<int32_t>(k), list.rows[k].Key);
    }
}

TEST(FolderRows, LookupsByKeyAndIndex) {
    FileListRows list;
    for (const char* name : {"c", "a", "b"}) addListItem(&list, nullptr, name, 1, 0);
    sortListItems(&list);
    ASSERT_EQ("a", findListItemByKey(list, 0)->FileName);
    EXPECT_EQ(nullptr, findListItemByKey(list, 3));
    EXPECT_EQ(nullptr, findListItemByKey(list, -1));

    // The list control may hand back any index; the first row (by Key) holding it is found.
    setListItemIndex(&list, 0, 2);
    setListItemIndex(&list, 1, 0);
    setListItemIndex(&list, 2, 2);
    EXPECT_EQ("a", findListItemByIndex(list, 2)->FileName);
    EXPECT_EQ("b", findListItemByIndex(list, 0)->FileName);
    EXPECT_EQ(nullptr, findListItemByIndex(list, 1));
    EXPECT_EQ(nullptr, findListItemByIndex(list, NO_INDEX));
    setListItemIndex(&list, 0, 7);  // moved away: the next holder of 2 answers
    EXPECT_EQ("c", findListItemByIndex(list, 2)->FileName);
    EXPECT_EQ("a", findListItemByIndex(list, 7)->FileName);

    freeListItems(&list);
    EXPECT_EQ(0u, listItemCount(list));
    EXPECT_EQ(nullptr, findListItemByIndex(list, 0));
}

TEST(FolderRows, RowTexts) {
    FileListRows list;
    addListItem(&list, nullptr, "size.txt", 1536, 0x40);
    addListItem(&list, nullptr, "up", 7, 0x4 | 0x8 | 0x2);
    addListItem(&list, nullptr, "drive", 7, 0x8 | 0x2);
    addListItem(&list, nullptr, "dir", 7, 0x2);
    addListItem(&list, nullptr, "", 0, 0);
    addListItem(&list, nullptr, "big", 3221225472u, 0);
    struct Case {
        int32_t row, column;
        size_t capacity;
        const char* expected;
    };
    const Case cases[] = {
        {0, 0, 64, "size.txt"},
        {0, 1, 64, "1536 bytes ( 1.50 kb/0.00 MB )"},
        {1, 1, 64, "-Up Directory-"},
        {2, 1, 64, "-Drive Root-"},
        {3, 1, 64, "-directory-"},
        {4, 0, 64, ""},
        {4, 1, 64, "0 bytes ( 0.00 kb/0.00 MB )"},
        // Sizes from 2 GiB up are shown unsigned, not as negative counts.
        {5, 1, 64, "3221225472 bytes ( 3145728.00 kb/3072.00 MB )"},
        {6, 0, 64, "not found"},
        {6, 1, 64, "0"},
        {-1, 0, 64, "not found"},
        {0, 0, 5, "size"},
        {0, 1, 11, "1536 bytes"},
        {0, 0, 1, ""},
        {0, 2, 64, "untouched"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("row " + std::to_string(c.row) + " column " + std::to_string(c.column) + " capacity " +
                     std::to_string(c.capacity));
        char buffer[80] = "untouched";
        buffer[c.capacity] = 'X';  // the byte past the capacity stays as it was
        rowText(list, c.row, c.column, buffer, c.capacity);
        if (c.capacity < 64) {
            EXPECT_STREQ(c.expected, buffer);
        } else {
            EXPECT_EQ(std::string(c.expected), std::string(buffer, strnlen(buffer, c.capacity)));
        }
        EXPECT_EQ('X', buffer[c.capacity]);
    }
    char untouched = 'Y';
    rowText(list, 0, 0, &untouched, 0);
    EXPECT_EQ('Y', untouched);
}

// The first-letter order is the one that repeated exchanges of adjacent rows give: a pass over
// the rows that swaps a pair when the later key is smaller, made once per row.
TEST(FolderRows, OrderEqualsAdjacentExchanges) {
    const char letters[] = {'a', 'A', 'b', 'B', '\xE9', '\x80', '1', '_', 'z', 0};
    uint32_t seed = 7;
    for (int round = 0; round < 200; ++round) {
        FileListRows list;
        std::vector<std::string> names;
        const int count = round % 17;
        for (int i = 0; i < count; ++i) {
            seed = seed * 1103515245u + 12345u;
            const char first = letters[(seed >> 8) % sizeof letters];
            names.push_back(first ? std::string(1, first) + std::to_string(i) : std::string());
            addListItem(&list, nullptr, names.back(), 0, 0);
        }
        auto key = [](const std::string& s) {
            char c = s.empty() ? 0 : s[0];
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
            return static_cast<int8_t>(c);
        };
        for (size_t pass = 0; pass < names.size(); ++pass) {
            for (size_t i = 0; i + 1 < names.size(); ++i) {
                if (key(names[i + 1]) < key(names[i])) std::swap(names[i], names[i + 1]);
            }
        }
        sortListItems(&list);
        EXPECT_EQ(names, rowNames(list));
    }
}
