// The catalogue model: one CryptItem per stored record in catalogue order, the folder tree of
// the root and folder-like items, the whole-disc totals, and the lookups by Id and by parent Id.
// Portable: it is built from the unfolded section bytes; the Win32 layer mirrors the tree nodes
// into its tree control and keeps no catalogue state of its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/cataloguetypes.h"

constexpr int32_t NO_NODE = -1;
constexpr uint32_t NO_ITEM = 0xFFFFFFFFu;
constexpr size_t CATALOGUE_TEXT_LIMIT = 255;  // file names and content paths are cut to this
constexpr char ROOT_LABEL[] = "Orvanta";

struct CryptItem {
    uint32_t Id;
    uint32_t ParentId;
    uint32_t Kind;
    uint32_t Size;
    uint32_t Aux;
    uint32_t EncFlags;
    int32_t IdNumber;  // -1: none
    uint32_t UserIdCount;
    bool hasFileName;  // false when stored empty; a root always has ROOT_LABEL
    std::string FileName;
    bool hasContentPath;  // files only, false when stored empty
    std::string ContentPath;
    uint32_t ContentOffset;  // 0 unless hasContentPath
    std::string Note;        // always present, possibly empty
    std::string NameText;    // always present, possibly empty
    int32_t TreeNode;        // index into CatalogueModel::nodes, or NO_NODE
    uint32_t userIdFirst;    // UserIdCount ids from CatalogueModel::userIds[userIdFirst]
};

// One node of the folder tree. Children and top-level nodes are chained in insertion order.
struct CatalogueNode {
    uint32_t item;  // index into CatalogueModel::items
    int32_t parent;  // NO_NODE at the top level
    int32_t firstChild;
    int32_t lastChild;
    int32_t nextSibling;
    bool expanded;  // only the first root read starts expanded
};

struct CatalogueTotals {
    uint64_t folderCount;
    uint64_t fileCount;
    uint64_t totalBytes;
};

// Id -> first item with that Id, and the range of its children (items whose ParentId is that
// Id) in CatalogueModel::childItems. Open addressing; slot.firstItem == NO_ITEM means empty.
struct IdSlot {
    uint32_t id;
    uint32_t firstItem;
    uint32_t childBegin;
    uint32_t childCount;
};

struct CatalogueModel {
    std::vector<CryptItem> items;      // catalogue order; index = stable position
    std::vector<CatalogueNode> nodes;  // creation order: a parent always precedes its children
    int32_t firstTopNode = NO_NODE;
    int32_t lastTopNode = NO_NODE;
    CatalogueTotals totals{};
    std::vector<uint32_t> userIds;     // all items' user IDs, back to back
    std::vector<IdSlot> idSlots;       // size is a power of two
    uint32_t idCount = 0;
    std::vector<uint32_t> childItems;  // item indices grouped by ParentId, catalogue order inside
};

enum class CatalogueLoadResult {
    Ok,
    Damaged,  // the section ended inside a record; the items before it were kept
};

// Turns recordCount records of the unfolded section (size bytes) into model, which is cleared
// first. Never reads past the section: a record that would run past its end (a count larger
// than the section holds included) stops the reading with "Error: (14303)" / "Catalogue
// damaged: read %u of %u items.", and the items read before it stay usable, tree and indexes
// included. Bytes after the last record are ignored. Lengths are trusted only as far as the
// section reaches: a file name or content path longer than 255 bytes is cut to 255 and the rest
// passed over; a count of user IDs larger than the rest of the section is damage.
CatalogueLoadResult loadCatalogueRecords(const uint8_t* bytes, size_t size, uint32_t recordCount,
                                         CatalogueModel* model);

// Empties the model (items, tree, totals, indexes).
void freeCatalogue(CatalogueModel* model);

// The first item in catalogue order whose Id equals id, or nullptr.
const CryptItem* findItemById(const CatalogueModel& model, uint32_t id);
// The node of the first item whose Id equals id; NO_NODE when there is none or it has no node.
int32_t treeNodeOfItemId(const CatalogueModel& model, uint32_t id);

// Index of an item of model.items (pointer arithmetic), or NO_ITEM for a foreign pointer.
uint32_t itemIndexOf(const CatalogueModel& model, const CryptItem* item);
// The CryptItem a node shows, or nullptr for a bad node index.
const CryptItem* itemOfNode(const CatalogueModel& model, int32_t node);

// The items whose ParentId equals parentId, in catalogue order, as indices into model.items.
struct ItemRange {
    const uint32_t* begin;
    const uint32_t* end;
};
ItemRange childItemsOfId(const CatalogueModel& model, uint32_t parentId);

// User IDs of an item, in stored order.
const uint32_t* userIdsOf(const CatalogueModel& model, const CryptItem& item);

// Item kinds as the rest of the viewer tests them.
inline bool isRootKind(uint32_t kind) { return (kind & KIND_ROOT) != 0; }
inline bool isFolderLikeKind(uint32_t kind) { return !isRootKind(kind) && (kind & KIND_FOLDER_MASK) != 0; }
// A row of a folder listing, and what View/Open accepts: neither folder bit 0x01 nor root bit.
inline bool canOpenKind(uint32_t kind) { return (kind & (KIND_FOLDER | KIND_ROOT)) == 0; }

// An item's FileName as a text; an absent name reads as the empty text.
inline const char* nameOf(const CryptItem& item) { return item.hasFileName ? item.FileName.c_str() : ""; }

// "%I64Ld Bytes : %0.2I64f KB : %0.2I64f MB : %0.2I64f GB : %I64Ld Folders : %I64Ld Files"
std::string catalogueTotalsLine(const CatalogueTotals& totals);
