#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/search.h"
#include "catalogue_fixture.h"

namespace {

// Root, a folder and files with ID numbers, name texts and file names to search for.
CatalogueModel searchCatalogue() {
    const std::string longName = std::string(300, 'x') + "needle";
    SectionBuilder b;
    b.root(1);
    b.add(RecordSpec(2, 1, KIND_FOLDER, 0, "Apple folder").withIdNumber(12).withNameText("apple"));
    b.add(RecordSpec(10, 2, KIND_FILE, 0, "apple.txt").withIdNumber(12).withNameText("Red Apple"));
    b.add(RecordSpec(11, 2, KIND_FILE, 0, "PINEAPPLE.DOC").withIdNumber(0).withNameText("fruit"));
    b.add(RecordSpec(12, 2, KIND_FILE, 0, "caf\xE9.txt").withNameText("CAF\xC9"));  // IdNumber -1
    b.add(RecordSpec(13, 2, KIND_FILE, 0, "").withIdNumber(-1).withNameText(longName));
    b.add(RecordSpec(14, 2, 8, 0, "apple kind 8").withIdNumber(12));  // folder-like: never a hit
    b.add(RecordSpec(15, 2, 0x4, 0, "apple kind 4").withIdNumber(12).withContent("p", 0));  // not exactly 2
    b.add(RecordSpec(10, 2, KIND_FILE, 0, "apple copy").withIdNumber(7));  // shares Id 10
    CatalogueModel model;
    loadFrom(b, &model);
    return model;
}

std::vector<uint32_t> hitIndices(const CatalogueModel& model, const char* text, int32_t mode) {
    std::vector<uint32_t> indices;
    for (const SearchHit& hit : runSearchMatch(model, text, mode)) {
        EXPECT_EQ(model.items[hit.itemIndex].Id, hit.ItemId);
        indices.push_back(hit.itemIndex);
    }
    return indices;
}

}  // namespace

TEST(Search, ReadsTheIdNumber) {
    struct Case {
        const char* text;
        int32_t expected;
    };
    const Case cases[] = {
        {"12", 12},          {"12abc", 12},         {"abc", 0},           {"", 0},
        {"  \t-1", -1},      {"+7", 7},             {"-", 0},             {"+-3", 0},
        {" 0042 ", 42},      {"2147483647", 2147483647},
        {"99999999999999999999", 2147483647},       {"-2147483648", -2147483647 - 1},
        {"-99999999999", -2147483647 - 1},          {"1 2", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("text \"") + c.text + "\"");
        EXPECT_EQ(c.expected, readSearchNumber(c.text));
    }
}

TEST(Search, MatchesFilesOnly) {
    const CatalogueModel model = searchCatalogue();
    struct Case {
        const char* name;
        const char* text;
        int32_t mode;
        std::vector<uint32_t> expected;  // item indices, catalogue order
    };
    const std::vector<Case> cases = {
        {"ID number", "12", SEARCH_BY_ID_NUMBER, {2}},
        {"ID number with trailing letters", "12abc", SEARCH_BY_ID_NUMBER, {2}},
        {"no digits look for 0", "abc", SEARCH_BY_ID_NUMBER, {3}},
        {"-1 finds files without ID number", "-1", SEARCH_BY_ID_NUMBER, {4, 5}},
        {"name text ignores the case of a-z", "apple", SEARCH_BY_NAME, {2}},
        {"file name ignores the case of a-z", "aPPle", SEARCH_BY_FILE_NAME, {2, 3, 8}},
        {"the letter a finds a and A anywhere", "a", SEARCH_BY_FILE_NAME, {2, 3, 4, 8}},
        {"accented letters match only themselves", "\xE9", SEARCH_BY_FILE_NAME, {4}},
        {"accented capital is another byte", "\xC9", SEARCH_BY_FILE_NAME, {}},
        {"accented capital in the name text", "caf\xC9", SEARCH_BY_NAME, {4}},
        {"long texts are matched whole", "NEEDLE", SEARCH_BY_NAME, {5}},
        {"absent file name contains nothing", "", SEARCH_BY_FILE_NAME, {2, 3, 4, 8}},
        {"no match", "zzz", SEARCH_BY_FILE_NAME, {}},
        {"text longer than every name", "apple.txt and more", SEARCH_BY_FILE_NAME, {}},
        {"unknown mode", "12", 4, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.expected, hitIndices(model, c.text, c.mode));
    }
    // A hit on the later of two items sharing an Id carries that Id; the results dialog shows
    // the first item with it.
    const std::vector<SearchHit> shared = runSearchMatch(model, "copy", SEARCH_BY_FILE_NAME);
    ASSERT_EQ(1u, shared.size());
    EXPECT_EQ(8u, shared[0].itemIndex);
    EXPECT_EQ(&model.items[2], findItemById(model, shared[0].ItemId));
}

TEST(Search, EmptyCatalogueHasNoHits) {
    CatalogueModel model;
    EXPECT_TRUE(runSearchMatch(model, "a", SEARCH_BY_FILE_NAME).empty());
}

TEST(Search, ResultTexts) {
    EXPECT_EQ("no items.", searchCountText(0));
    EXPECT_EQ("1 item ", searchCountText(1));
    EXPECT_EQ("3 items", searchCountText(3));
    CryptItem item{};
    item.FileName = "report.txt";
    EXPECT_EQ("file:     report.txt", searchResultRowText(item));
    EXPECT_EQ("file:     ", searchResultRowText(CryptItem{}));
}

TEST(Search, RowNamesCompareWholeIgnoringTheCaseOfAToZ) {
    struct Case {
        const char* a;
        const char* b;
        bool same;
    };
    const Case cases[] = {
        {"Report.TXT", "report.txt", true}, {"report.txt", "report.txt", true},
        {"report.txt", "report.txt2", false}, {"report", "report.txt", false},
        {"", "", true},                      {"caf\xE9", "CAF\xC9", false},
        {"caf\xE9", "CAF\xE9", true},        {"a[b", "A{B", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " / " + c.b);
        EXPECT_EQ(c.same, sameNameIgnoringCase(c.a, c.b));
        EXPECT_EQ(c.same, sameNameIgnoringCase(c.b, c.a));
    }
    EXPECT_FALSE(sameNameIgnoringCase(nullptr, ""));
}
