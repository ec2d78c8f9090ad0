// The rows of one folder in the file list: which items become rows, their first-letter order,
// the lookups from a row number or a list-control index to a row, and the row texts. Portable:
// the Win32 layer inserts one list row per LIST_ITEM in order and records the returned index.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"

constexpr int32_t NO_INDEX = -1;

struct LIST_ITEM {
    int32_t Index;  // list-control row index, NO_INDEX until setListItemIndex
    int32_t Key;    // position in the rows: 0, 1, 2, ... after sorting
    uint32_t Size;
    uint32_t Flags;  // the item's EncFlags
    const CryptItem* Item;  // not owned; lives as long as the model
    std::string FileName;   // copy of the item's FileName (empty when absent)
};

struct FileListRows {
    std::vector<LIST_ITEM> rows;  // rows[k].Key == k
    std::vector<int32_t> keyOfIndex;  // list index -> first Key holding it, for 0 <= index < rows
};

// Empties the rows (listItemCount becomes 0).
void freeListItems(FileListRows* list);

// Rebuilds list with the rows of folder: the items whose ParentId equals folder.Id and whose
// Kind has neither bit 0x01 nor 0x20, in catalogue order, then sorted by sortListItems.
void buildFolderRows(const CatalogueModel& model, const CryptItem& folder, FileListRows* list);

// Appends one row at the end with Key = its position.
void addListItem(FileListRows* list, const CryptItem* item, const std::string& fileName, uint32_t size,
                 uint32_t flags);

// Orders rows by the first byte of FileName (0 when empty) with a-z as A-Z, taken as a signed
// byte, keeping catalogue order among equal first letters; then renumbers Key.
void sortListItems(FileListRows* list);

// The row with this Key, or nullptr.
const LIST_ITEM* findListItemByKey(const FileListRows& list, int32_t key);
// The first row (in row order) whose Index equals index, or nullptr.
const LIST_ITEM* findListItemByIndex(const FileListRows& list, int32_t index);
// Records the list-control index returned when the row with this Key was inserted.
void setListItemIndex(FileListRows* list, int32_t key, int32_t index);

inline size_t listItemCount(const FileListRows& list) { return list.rows.size(); }

// The text of a row's column: 0 the file name, 1 the size; "not found" / "0" when no row has
// this Key. At most capacity - 1 bytes and a terminating zero. Other columns get nothing.
void rowText(const FileListRows& list, int32_t row, int32_t column, char* buffer, size_t capacity);
