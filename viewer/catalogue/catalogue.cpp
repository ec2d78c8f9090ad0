#include "catalogue/catalogue.h"

#include <cstring>
#include <utility>

#include "catalogue/textformat.h"
#include "startup/report.h"

namespace {

// One stored record, unfolded, all integers little-endian:
//   0  Id            uint32
//   4  ParentId      uint32
//   8  Kind          uint32
//  12  Size          uint32
//  16  Aux           uint32
//  20  EncFlags      uint32
//  24  IdNumber      int32, -1 = none
//  28  UserIdCount   uint32
//  32  file name     uint32 length + bytes
//      note          uint32 length + bytes
//      name text     uint32 length + bytes
//      user IDs      UserIdCount x uint32
//      content path  uint32 length + bytes   only when Kind has none of the bits 0x329
//      content offset uint32                 likewise
// Texts carry no terminator; a zero byte inside one ends it.

struct Cursor {
    const uint8_t* at;
    size_t left;
};

uint32_t readLe32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

bool takeU32(Cursor* c, uint32_t* value) {
    if (c->left < 4) return false;
    *value = readLe32(c->at);
    c->at += 4;
    c->left -= 4;
    return true;
}

// Takes a length word and that many bytes; keeps the bytes before the first zero, at most limit.
bool takeText(Cursor* c, size_t limit, std::string* text) {
    uint32_t length = 0;
    if (!takeU32(c, &length) || length > c->left) return false;
    const void* zero = std::memchr(c->at, 0, length);
    size_t kept = zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - c->at) : length;
    if (kept > limit) kept = limit;
    text->assign(reinterpret_cast<const char*>(c->at), kept);
    c->at += length;
    c->left -= length;
    return true;
}

// Ids are often multiples of a round number; mixing every bit into the low ones keeps them
// from piling into a few slots.
uint32_t slotOf(uint32_t id, size_t mask) {
    uint32_t h = id;
    h ^= h >> 16;
    h *= 0x85EBCA6Bu;
    h ^= h >> 13;
    h *= 0xC2B2AE35u;
    h ^= h >> 16;
    return static_cast<uint32_t>(h & mask);
}

const IdSlot* findSlot(const CatalogueModel& model, uint32_t id) {
    if (model.idSlots.empty()) return nullptr;
    const size_t mask = model.idSlots.size() - 1;
    for (uint32_t s = slotOf(id, mask);; s = static_cast<uint32_t>((s + 1) & mask)) {
        const IdSlot& slot = model.idSlots[s];
        if (slot.firstItem == NO_ITEM) return nullptr;
        if (slot.id == id) return &slot;
    }
}

void growIdSlots(CatalogueModel* model, size_t capacity) {
    std::vector<IdSlot> old;
    old.swap(model->idSlots);
    model->idSlots.assign(capacity, IdSlot{0, NO_ITEM, 0, 0});
    const size_t mask = capacity - 1;
    for (const IdSlot& slot : old) {
        if (slot.firstItem == NO_ITEM) continue;
        uint32_t s = slotOf(slot.id, mask);
        while (model->idSlots[s].firstItem != NO_ITEM) s = static_cast<uint32_t>((s + 1) & mask);
        model->idSlots[s] = slot;
    }
}

// Records the item as the first of its Id unless an earlier item has that Id.
void registerId(CatalogueModel* model, uint32_t id, uint32_t item) {
    if ((model->idCount + 1) * 2 > model->idSlots.size()) {
        size_t capacity = model->idSlots.empty() ? 16 : model->idSlots.size() * 2;
        growIdSlots(model, capacity);
    }
    const size_t mask = model->idSlots.size() - 1;
    uint32_t s = slotOf(id, mask);
    while (model->idSlots[s].firstItem != NO_ITEM) {
        if (model->idSlots[s].id == id) return;
        s = static_cast<uint32_t>((s + 1) & mask);
    }
    model->idSlots[s] = IdSlot{id, item, 0, 0};
    ++model->idCount;
}

// Groups item indices by ParentId (only parents that exist as items can be asked for), each
// group in catalogue order: count, place the group ends, then fill backwards.
void buildChildIndex(CatalogueModel* model) {
    const size_t mask = model->idSlots.size() - 1;
    auto slotFor = [&](uint32_t id) -> IdSlot* {
        if (model->idSlots.empty()) return nullptr;
        for (uint32_t s = slotOf(id, mask);; s = static_cast<uint32_t>((s + 1) & mask)) {
            IdSlot& slot = model->idSlots[s];
            if (slot.firstItem == NO_ITEM) return nullptr;
            if (slot.id == id) return &slot;
        }
    };
    for (const CryptItem& item : model->items) {
        if (IdSlot* slot = slotFor(item.ParentId)) ++slot->childCount;
    }
    uint32_t end = 0;
    for (IdSlot& slot : model->idSlots) {
        if (slot.firstItem == NO_ITEM) continue;
        end += slot.childCount;
        slot.childBegin = end;
    }
    model->childItems.assign(end, 0);
    for (size_t i = model->items.size(); i-- > 0;) {
        if (IdSlot* slot = slotFor(model->items[i].ParentId)) {
            model->childItems[--slot->childBegin] = static_cast<uint32_t>(i);
        }
    }
}

void appendNode(CatalogueModel* model, uint32_t item, int32_t parent, bool expanded) {
    const int32_t node = static_cast<int32_t>(model->nodes.size());
    model->nodes.push_back(CatalogueNode{item, parent, NO_NODE, NO_NODE, NO_NODE, expanded});
    if (parent == NO_NODE) {
        if (model->lastTopNode == NO_NODE) model->firstTopNode = node;
        else model->nodes[model->lastTopNode].nextSibling = node;
        model->lastTopNode = node;
    } else {
        CatalogueNode& p = model->nodes[parent];
        if (p.lastChild == NO_NODE) p.firstChild = node;
        else model->nodes[p.lastChild].nextSibling = node;
        p.lastChild = node;
    }
    model->items[item].TreeNode = node;
}

// Reads one whole record; nothing of it is kept unless all of it lies inside the section.
bool readRecord(Cursor* c, CatalogueModel* model, CryptItem* item) {
    if (c->left < CATALOGUE_HEAD_SIZE) return false;
    uint32_t head[8];
    for (uint32_t& word : head) takeU32(c, &word);
    item->Id = head[0];
    item->ParentId = head[1];
    item->Kind = head[2];
    item->Size = head[3];
    item->Aux = head[4];
    item->EncFlags = head[5];
    item->IdNumber = static_cast<int32_t>(head[6]);
    item->UserIdCount = head[7];
    if (!takeText(c, CATALOGUE_TEXT_LIMIT, &item->FileName)) return false;
    if (!takeText(c, SIZE_MAX, &item->Note)) return false;
    if (!takeText(c, SIZE_MAX, &item->NameText)) return false;
    // Compared as a byte count so that a huge count cannot wrap.
    if (static_cast<uint64_t>(item->UserIdCount) * 4 > c->left) return false;
    const bool hasContent = (item->Kind & KIND_NO_CONTENT_MASK) == 0;
    item->ContentPath.clear();
    item->ContentOffset = 0;
    Cursor after = *c;
    after.at += static_cast<size_t>(item->UserIdCount) * 4;
    after.left -= static_cast<size_t>(item->UserIdCount) * 4;
    if (hasContent) {
        if (!takeText(&after, CATALOGUE_TEXT_LIMIT, &item->ContentPath)) return false;
        if (!takeU32(&after, &item->ContentOffset)) return false;
    }
    item->userIdFirst = static_cast<uint32_t>(model->userIds.size());
    for (uint32_t i = 0; i < item->UserIdCount; ++i) model->userIds.push_back(readLe32(c->at + 4 * i));
    *c = after;
    item->hasFileName = !item->FileName.empty();
    item->hasContentPath = !item->ContentPath.empty();
    if (!item->hasContentPath) item->ContentOffset = 0;
    item->TreeNode = NO_NODE;
    return true;
}

}  // namespace

void freeCatalogue(CatalogueModel* model) {
    *model = CatalogueModel{};
}

CatalogueLoadResult loadCatalogueRecords(const uint8_t* bytes, size_t size, uint32_t recordCount,
                                         CatalogueModel* model) {
    freeCatalogue(model);
    // The smallest record is the head and three empty text lengths, which bounds what a
    // count can ask us to reserve.
    const size_t fits = size / (CATALOGUE_HEAD_SIZE + 12);
    const size_t expected = recordCount < fits ? recordCount : fits;
    model->items.reserve(expected);
    size_t capacity = 16;
    while (capacity < expected * 2) capacity *= 2;
    growIdSlots(model, capacity);

    Cursor cursor{bytes, bytes ? size : 0};
    bool firstRoot = true;
    uint32_t read = 0;
    CryptItem record{};
    for (; read < recordCount; ++read) {
        if (!readRecord(&cursor, model, &record)) break;
        bool makeNode = false;
        bool expanded = false;
        if (isRootKind(record.Kind)) {
            record.FileName = ROOT_LABEL;
            record.hasFileName = true;
            makeNode = true;
            expanded = firstRoot;
            firstRoot = false;
        } else if (record.Kind & KIND_FOLDER_MASK) {
            ++model->totals.folderCount;
            makeNode = true;
        } else {
            ++model->totals.fileCount;
            model->totals.totalBytes += record.Size;
        }
        const uint32_t index = static_cast<uint32_t>(model->items.size());
        model->items.push_back(std::move(record));
        record = CryptItem{};
        registerId(model, model->items[index].Id, index);
        // The item is already listed here, so one whose ParentId is its own Id, with no
        // earlier item of that Id, finds itself without a node and goes to the top level.
        if (makeNode) {
            appendNode(model, index, treeNodeOfItemId(*model, model->items[index].ParentId), expanded);
        }
    }
    buildChildIndex(model);
    if (read < recordCount) {
        // The original loader read on past the section; we stop and keep what was whole.
        report("Error: (14303)", "Catalogue damaged: read %u of %u items.", static_cast<unsigned>(read),
               static_cast<unsigned>(recordCount));
        return CatalogueLoadResult::Damaged;
    }
    return CatalogueLoadResult::Ok;
}

const CryptItem* findItemById(const CatalogueModel& model, uint32_t id) {
    const IdSlot* slot = findSlot(model, id);
    return slot ? &model.items[slot->firstItem] : nullptr;
}

int32_t treeNodeOfItemId(const CatalogueModel& model, uint32_t id) {
    const CryptItem* item = findItemById(model, id);
    return item ? item->TreeNode : NO_NODE;
}

uint32_t itemIndexOf(const CatalogueModel& model, const CryptItem* item) {
    if (!item || model.items.empty() || item < model.items.data() ||
        item >= model.items.data() + model.items.size()) {
        return NO_ITEM;
    }
    return static_cast<uint32_t>(item - model.items.data());
}

const CryptItem* itemOfNode(const CatalogueModel& model, int32_t node) {
    if (node < 0 || static_cast<size_t>(node) >= model.nodes.size()) return nullptr;
    return &model.items[model.nodes[node].item];
}

ItemRange childItemsOfId(const CatalogueModel& model, uint32_t parentId) {
    const IdSlot* slot = findSlot(model, parentId);
    if (!slot || slot->childCount == 0) return ItemRange{nullptr, nullptr};
    const uint32_t* begin = model.childItems.data() + slot->childBegin;
    return ItemRange{begin, begin + slot->childCount};
}

const uint32_t* userIdsOf(const CatalogueModel& model, const CryptItem& item) {
    if (item.UserIdCount == 0) return nullptr;
    return model.userIds.data() + item.userIdFirst;
}

std::string catalogueTotalsLine(const CatalogueTotals& totals) {
    const double kb = static_cast<double>(totals.totalBytes) / 1024;
    const double mb = totals.totalBytes >= 1048576 ? static_cast<double>(totals.totalBytes) / 1024 / 1024 : 0;
    const double gb = mb / 1024;
    return formatText("%lld Bytes : %.2f KB : %.2f MB : %.2f GB : %lld Folders : %lld Files",
                      static_cast<long long>(totals.totalBytes), kb, mb, gb,
                      static_cast<long long>(totals.folderCount), static_cast<long long>(totals.fileCount));
}
