// Fuzzes the catalogue records and everything the viewer derives from them. The input is a
// 32-bit record count (T2), one byte that picks extra search texts, and the unfolded section.
// Then: lookups by Id, the tree, the totals, every folder's listing and row texts, folder
// totals, Properties texts and search in all modes, each checked against what it must mean.
#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "catalogue/listing.h"
#include "catalogue/properties.h"
#include "catalogue/search.h"
#include "fuzzcheck.h"

namespace {

std::string upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

void checkItems(const CatalogueModel& model, uint32_t count, CatalogueLoadResult r) {
    FUZZ_CHECK(model.items.size() <= count);
    FUZZ_CHECK((r == CatalogueLoadResult::Ok) == (model.items.size() == count));
    FUZZ_CHECK((r == CatalogueLoadResult::Damaged) == (reportsTitled("Error: (14303)") == 1));

    CatalogueTotals totals{};
    size_t nodesWanted = 0;
    std::map<uint32_t, size_t> firstOfId;
    for (size_t i = 0; i < model.items.size(); ++i) {
        const CryptItem& item = model.items[i];
        firstOfId.emplace(item.Id, i);
        FUZZ_CHECK(item.FileName.size() <= CATALOGUE_TEXT_LIMIT && item.FileName.find('\0') == std::string::npos);
        FUZZ_CHECK(item.ContentPath.size() <= CATALOGUE_TEXT_LIMIT);
        FUZZ_CHECK(item.ContentPath.find('\0') == std::string::npos);
        FUZZ_CHECK(item.Note.find('\0') == std::string::npos && item.NameText.find('\0') == std::string::npos);
        FUZZ_CHECK(item.hasContentPath == !item.ContentPath.empty());
        if (!item.hasContentPath) FUZZ_CHECK(item.ContentOffset == 0);
        if ((item.Kind & KIND_NO_CONTENT_MASK) != 0) FUZZ_CHECK(!item.hasContentPath);
        if (isRootKind(item.Kind)) {
            FUZZ_CHECK(item.FileName == ROOT_LABEL && item.hasFileName);
        } else {
            FUZZ_CHECK(item.hasFileName == !item.FileName.empty());
        }
        if (item.UserIdCount) {
            FUZZ_CHECK(static_cast<uint64_t>(item.userIdFirst) + item.UserIdCount <= model.userIds.size());
            FUZZ_CHECK(userIdsOf(model, item) != nullptr);
        }
        if (isRootKind(item.Kind) || isFolderLikeKind(item.Kind)) {
            ++nodesWanted;
            FUZZ_CHECK(item.TreeNode >= 0 && static_cast<size_t>(item.TreeNode) < model.nodes.size());
            FUZZ_CHECK(model.nodes[item.TreeNode].item == i);
        } else {
            FUZZ_CHECK(item.TreeNode == NO_NODE);
        }
        if (isFolderLikeKind(item.Kind)) ++totals.folderCount;
        if (!isRootKind(item.Kind) && !isFolderLikeKind(item.Kind)) {
            ++totals.fileCount;
            totals.totalBytes += item.Size;
        }
        FUZZ_CHECK(itemIndexOf(model, &item) == i);
    }
    FUZZ_CHECK(model.nodes.size() == nodesWanted);
    FUZZ_CHECK(totals.folderCount == model.totals.folderCount);
    FUZZ_CHECK(totals.fileCount == model.totals.fileCount);
    FUZZ_CHECK(totals.totalBytes == model.totals.totalBytes);

    // The first item of an Id answers for it, in catalogue order.
    for (const auto& [id, index] : firstOfId) {
        FUZZ_CHECK(findItemById(model, id) == &model.items[index]);
        FUZZ_CHECK(treeNodeOfItemId(model, id) == model.items[index].TreeNode);
        const ItemRange children = childItemsOfId(model, id);
        uint32_t previous = 0;
        bool first = true;
        for (const uint32_t* c = children.begin; c != children.end; ++c) {
            FUZZ_CHECK(*c < model.items.size() && model.items[*c].ParentId == id);
            FUZZ_CHECK(first || *c > previous);
            previous = *c;
            first = false;
        }
    }
    for (uint32_t probe : {0u, 1u, 0xFFFFFFFFu, 0x80000000u})
        if (!firstOfId.count(probe)) FUZZ_CHECK(findItemById(model, probe) == nullptr);
}

// A parent node is always made before its children, so the tree cannot loop.
void checkTree(const CatalogueModel& model) {
    size_t reached = 0;
    std::vector<int32_t> pending;
    for (int32_t n = model.firstTopNode; n != NO_NODE; n = model.nodes[n].nextSibling) {
        FUZZ_CHECK(model.nodes[n].parent == NO_NODE);
        pending.push_back(n);
    }
    while (!pending.empty()) {
        const int32_t n = pending.back();
        pending.pop_back();
        FUZZ_CHECK(++reached <= model.nodes.size());
        for (int32_t c = model.nodes[n].firstChild; c != NO_NODE; c = model.nodes[c].nextSibling) {
            FUZZ_CHECK(c > n && model.nodes[c].parent == n);
            pending.push_back(c);
        }
    }
    FUZZ_CHECK(reached == model.nodes.size());
}

void checkListing(const CatalogueModel& model, const CryptItem& folder) {
    FileListRows list;
    buildFolderRows(model, folder, &list);
    std::vector<const CryptItem*> expected;
    const ItemRange children = childItemsOfId(model, folder.Id);
    for (const uint32_t* c = children.begin; c != children.end; ++c)
        if (canOpenKind(model.items[*c].Kind)) expected.push_back(&model.items[*c]);
    FUZZ_CHECK(listItemCount(list) == expected.size());

    auto letter = [](const std::string& name) {
        int c = name.empty() ? 0 : static_cast<uint8_t>(name[0]);
        if (c >= 'a' && c <= 'z') c -= 'a' - 'A';
        return static_cast<int8_t>(c);
    };
    for (size_t k = 0; k < list.rows.size(); ++k) {
        const LIST_ITEM& row = list.rows[k];
        FUZZ_CHECK(row.Key == static_cast<int32_t>(k) && row.Item);
        FUZZ_CHECK(row.Item->ParentId == folder.Id && canOpenKind(row.Item->Kind));
        FUZZ_CHECK(row.FileName == row.Item->FileName);
        if (k > 0) {
            const LIST_ITEM& prev = list.rows[k - 1];
            FUZZ_CHECK(letter(prev.FileName) <= letter(row.FileName));
            if (letter(prev.FileName) == letter(row.FileName)) FUZZ_CHECK(prev.Item < row.Item);
        }
        FUZZ_CHECK(findListItemByKey(list, static_cast<int32_t>(k)) == &row);
    }
    FUZZ_CHECK(findListItemByKey(list, -1) == nullptr);
    FUZZ_CHECK(findListItemByKey(list, static_cast<int32_t>(list.rows.size())) == nullptr);

    // The list control gives indices in reverse here, to exercise the index table.
    const int32_t n = static_cast<int32_t>(list.rows.size());
    for (int32_t k = 0; k < n; ++k) setListItemIndex(&list, k, n - 1 - k);
    for (int32_t k = 0; k < n; ++k) {
        const LIST_ITEM* row = findListItemByIndex(list, n - 1 - k);
        FUZZ_CHECK(row && row->Key == k);
    }
    FUZZ_CHECK(findListItemByIndex(list, NO_INDEX) == nullptr);

    for (int32_t k = -1; k <= n && k < 64; ++k) {
        for (int32_t column = 0; column < 3; ++column) {
            for (size_t capacity : {size_t(1), size_t(9), size_t(300)}) {
                std::vector<char> buffer(capacity, 'x');
                rowText(list, k, column, buffer.data(), capacity);
                if (column < 2) FUZZ_CHECK(std::memchr(buffer.data(), 0, capacity) != nullptr);
            }
        }
    }
}

void checkFolderTotals(const CatalogueModel& model) {
    for (size_t n = 0; n < model.nodes.size() && n < 256; ++n) {
        const int32_t node = static_cast<int32_t>(n);
        const FolderTotals t = computeFolderTotals(model, node);
        const CryptItem* item = itemOfNode(model, node);
        FUZZ_CHECK(item);
        if (isRootKind(item->Kind)) {
            FUZZ_CHECK(t.subFolders == model.totals.folderCount && t.files == model.totals.fileCount);
        } else {
            size_t below = 0;
            std::vector<int32_t> pending{node};
            while (!pending.empty()) {
                const int32_t at = pending.back();
                pending.pop_back();
                for (int32_t c = model.nodes[at].firstChild; c != NO_NODE; c = model.nodes[c].nextSibling) {
                    ++below;
                    pending.push_back(c);
                }
            }
            FUZZ_CHECK(t.subFolders == below);
        }
        const PropertiesTexts texts = treeNodeProperties(model, node);
        FUZZ_CHECK(texts.found);
    }
    const FolderTotals none = computeFolderTotals(model, static_cast<int32_t>(model.nodes.size()));
    FUZZ_CHECK(none.subFolders == 0 && none.files == 0 && none.bytes == 0);
    FUZZ_CHECK(!treeNodeProperties(model, -1).found);
}

void checkSearch(const CatalogueModel& model, const std::string& text, int32_t mode) {
    const std::vector<SearchHit> hits = runSearchMatch(model, text.c_str(), mode);
    const std::string needle = upper(text.c_str());
    const int32_t number = readSearchNumber(text.c_str());
    size_t h = 0;
    for (size_t i = 0; i < model.items.size(); ++i) {
        const CryptItem& item = model.items[i];
        bool match = false;
        if (item.Kind == KIND_FILE) {
            if (mode == SEARCH_BY_ID_NUMBER) match = item.IdNumber == number;
            if (mode == SEARCH_BY_NAME) match = upper(item.NameText).find(needle) != std::string::npos;
            if (mode == SEARCH_BY_FILE_NAME)
                match = item.hasFileName && upper(item.FileName).find(needle) != std::string::npos;
        }
        if (!match) continue;
        FUZZ_CHECK(h < hits.size() && hits[h].itemIndex == i && hits[h].ItemId == item.Id);
        ++h;
    }
    FUZZ_CHECK(h == hits.size());
    for (const SearchHit& hit : hits) {
        FUZZ_CHECK(!searchResultRowText(model.items[hit.itemIndex]).empty());
    }
    FUZZ_CHECK(!searchCountText(static_cast<uint32_t>(hits.size())).empty());
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
    const uint8_t pick = in.u8();
    ExactBytes section(in.data, in.size);

    CatalogueModel model;
    const CatalogueLoadResult r = loadCatalogueRecords(section.p, section.n, count, &model);
    checkItems(model, count, r);
    checkTree(model);
    for (size_t i = 0; i < model.items.size() && i < 64; ++i) {
        const CryptItem& item = model.items[i];
        if (item.TreeNode != NO_NODE) checkListing(model, item);
        FUZZ_CHECK(fileItemProperties(&item).found);
    }
    checkFolderTotals(model);

    // Texts taken from the items themselves, so that searches find something.
    std::vector<std::string> texts = {"", "a", "-1", " +2147483648", std::string(1, static_cast<char>(pick))};
    for (size_t i = 0; i < model.items.size() && i < 8; ++i) {
        const CryptItem& item = model.items[(i + pick) % model.items.size()];
        texts.push_back(item.FileName.substr(std::min<size_t>(pick % 4, item.FileName.size())));
        texts.push_back(upper(item.NameText).substr(0, SEARCH_TEXT_LIMIT));
        texts.push_back(std::to_string(item.IdNumber));
    }
    for (const std::string& text : texts)
        for (int32_t mode = 0; mode <= 4; ++mode) checkSearch(model, text, mode);

    freeCatalogue(&model);
    FUZZ_CHECK(model.items.empty() && model.nodes.empty() && findItemById(model, 0) == nullptr);
    return 0;
}
