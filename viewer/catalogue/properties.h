// What the Properties dialog shows for a tree node or a file row: folder totals over the tree,
// the size and totals texts, the encryption text, and every control's text in one record.
// Portable: the dialog itself, menuOrigin and the controls belong to the Win32 layer.
#pragma once

#include <cstdint>
#include <string>

#include "catalogue/catalogue.h"

struct FolderTotals {
    uint64_t subFolders;
    uint64_t files;
    uint64_t bytes;
};

// Totals of the folder a node shows. For the root: the whole-disc load totals. Otherwise the
// direct children of the node's item and of every node below it: bytes = Size of children whose
// Kind is not exactly 1, files = children whose Kind is exactly 2, subFolders = nodes below.
// Costs the size of the subtree plus the children of its folders. A bad node gives zeros.
FolderTotals computeFolderTotals(const CatalogueModel& model, int32_t node);

// "Not encrypted." without bit 0x40; else the method names ("BitCrypt ", "SCRAMBLE ", "PGP ",
// "BlowFish ", "2Fish ", in this order) and " - ( FULL )" or " - ( FAST )".
std::string encryptionText(uint32_t encFlags);
// "Total %I64Ld Bytes ( %0.2I64f KB/%0.2I64f MB) - Files: %I64Ld - Sub Folders: %I64Ld"
std::string folderTotalsText(const FolderTotals& totals);
// "%I64Ld Bytes ( %0.2I64f KB/%0.2I64f MB)"
std::string fileSizeText(uint32_t size);

constexpr char WHOLE_CD_TEXT[] = "Whole CD";
constexpr char FOLDER_TYPE_TEXT[] = "Folder";
constexpr char FILE_TYPE_TEXT[] = "File";

// Control texts of the dialog; a control whose has* flag is false keeps its template text.
struct PropertiesTexts {
    bool found;           // false: no item, every control keeps its template text
    std::string name;     // control 1002
    std::string type;     // control 1000
    std::string size;     // control 1004
    std::string encryption;  // control 1003
    bool hasIdNumber;     // IdNumber is not -1
    std::string idNumber;    // control 1006, "%ld"
    bool hasNameText;
    std::string nameText;    // control 1007
    bool hasNote;
    std::string note;        // control 1008
};

// For the tree's selected node (menuOrigin 2).
PropertiesTexts treeNodeProperties(const CatalogueModel& model, int32_t node);
// For the file list's first selected row's item (menuOrigin 3); nullptr gives found = false.
PropertiesTexts fileItemProperties(const CryptItem* item);
