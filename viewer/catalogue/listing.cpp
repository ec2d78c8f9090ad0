#include "catalogue/listing.h"

#include <algorithm>

#include "catalogue/textformat.h"

namespace {

int8_t firstLetterKey(const std::string& name) {
    uint8_t first = name.empty() ? 0 : static_cast<uint8_t>(name[0]);
    if (first >= 'a' && first <= 'z') first = static_cast<uint8_t>(first - 'a' + 'A');
    return static_cast<int8_t>(first);
}

}  // namespace

void freeListItems(FileListRows* list) {
    list->rows.clear();
    list->keyOfIndex.clear();
}

void addListItem(FileListRows* list, const CryptItem* item, const std::string& fileName, uint32_t size,
                 uint32_t flags) {
    const int32_t key = static_cast<int32_t>(list->rows.size());
    list->rows.push_back(LIST_ITEM{NO_INDEX, key, size, flags, item, fileName});
}

void sortListItems(FileListRows* list) {
    // A stable sort on the first letter gives exactly the order of the repeated adjacent
    // exchanges the list was first ordered with, in O(n log n).
    std::stable_sort(list->rows.begin(), list->rows.end(), [](const LIST_ITEM& a, const LIST_ITEM& b) {
        return firstLetterKey(a.FileName) < firstLetterKey(b.FileName);
    });
    for (size_t k = 0; k < list->rows.size(); ++k) list->rows[k].Key = static_cast<int32_t>(k);
    list->keyOfIndex.clear();
}

void buildFolderRows(const CatalogueModel& model, const CryptItem& folder, FileListRows* list) {
    freeListItems(list);
    const ItemRange children = childItemsOfId(model, folder.Id);
    list->rows.reserve(static_cast<size_t>(children.end - children.begin));
    for (const uint32_t* at = children.begin; at != children.end; ++at) {
        const CryptItem& item = model.items[*at];
        if (!canOpenKind(item.Kind)) continue;
        addListItem(list, &item, item.FileName, item.Size, item.EncFlags);
    }
    sortListItems(list);
}

const LIST_ITEM* findListItemByKey(const FileListRows& list, int32_t key) {
    if (key < 0 || static_cast<size_t>(key) >= list.rows.size()) return nullptr;
    return &list.rows[static_cast<size_t>(key)];
}

const LIST_ITEM* findListItemByIndex(const FileListRows& list, int32_t index) {
    if (index == NO_INDEX) return nullptr;
    if (index >= 0 && static_cast<size_t>(index) < list.keyOfIndex.size()) {
        // The slot holds the lowest Key ever given this index; it is the answer while that
        // row still holds it. Anything else is looked for row by row.
        const int32_t key = list.keyOfIndex[static_cast<size_t>(index)];
        if (key != NO_INDEX && list.rows[static_cast<size_t>(key)].Index == index) {
            return &list.rows[static_cast<size_t>(key)];
        }
    }
    for (const LIST_ITEM& row : list.rows) {
        if (row.Index == index) return &row;
    }
    return nullptr;
}

void setListItemIndex(FileListRows* list, int32_t key, int32_t index) {
    if (key < 0 || static_cast<size_t>(key) >= list->rows.size()) return;
    list->rows[static_cast<size_t>(key)].Index = index;
    if (index < 0 || static_cast<size_t>(index) >= list->rows.size()) return;
    if (list->keyOfIndex.size() < list->rows.size()) list->keyOfIndex.resize(list->rows.size(), NO_INDEX);
    int32_t& slot = list->keyOfIndex[static_cast<size_t>(index)];
    if (slot == NO_INDEX || key < slot) slot = key;
}

void rowText(const FileListRows& list, int32_t row, int32_t column, char* buffer, size_t capacity) {
    const LIST_ITEM* entry = findListItemByKey(list, row);
    if (column == 0) {
        copyCut(entry ? entry->FileName : std::string("not found"), buffer, capacity);
    } else if (column == 1) {
        if (!entry) copyCut("0", buffer, capacity);
        else if (entry->Flags & 0x4) copyCut("-Up Directory-", buffer, capacity);
        else if (entry->Flags & 0x8) copyCut("-Drive Root-", buffer, capacity);
        else if (entry->Flags & 0x2) copyCut("-directory-", buffer, capacity);
        else {
            // The original printed Size as a signed count, so files from 2 GiB up showed a
            // negative size; it is an unsigned 32-bit count.
            copyCut(formatText("%lu bytes ( %.2f kb/%.2f MB )", static_cast<unsigned long>(entry->Size),
                               static_cast<double>(entry->Size) / 1024, static_cast<double>(entry->Size) / 1048576),
                    buffer, capacity);
        }
    }
}
