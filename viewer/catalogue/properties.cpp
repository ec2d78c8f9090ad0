#include "catalogue/properties.h"

#include <vector>

#include "catalogue/textformat.h"

namespace {

void addDirectChildren(const CatalogueModel& model, const CryptItem& folder, FolderTotals* totals) {
    const ItemRange children = childItemsOfId(model, folder.Id);
    for (const uint32_t* at = children.begin; at != children.end; ++at) {
        const CryptItem& child = model.items[*at];
        if (child.Kind != KIND_FOLDER) totals->bytes += child.Size;
        if (child.Kind == KIND_FILE) ++totals->files;
    }
}

void fillItemTexts(const CryptItem& item, PropertiesTexts* texts) {
    texts->found = true;
    texts->hasIdNumber = item.IdNumber != -1;
    if (texts->hasIdNumber) texts->idNumber = formatText("%ld", static_cast<long>(item.IdNumber));
    texts->hasNote = true;
    texts->note = item.Note;
    texts->hasNameText = true;
    texts->nameText = item.NameText;
    texts->encryption = encryptionText(item.EncFlags);
    texts->name = isRootKind(item.Kind) ? WHOLE_CD_TEXT : item.FileName;
}

}  // namespace

FolderTotals computeFolderTotals(const CatalogueModel& model, int32_t node) {
    FolderTotals totals{0, 0, 0};
    const CryptItem* item = itemOfNode(model, node);
    if (!item) return totals;
    if (isRootKind(item->Kind)) {
        totals.subFolders = model.totals.folderCount;
        totals.files = model.totals.fileCount;
        totals.bytes = model.totals.totalBytes;
        return totals;
    }
    addDirectChildren(model, *item, &totals);
    // Depth first without recursion, so that a deeply nested catalogue cannot exhaust the stack.
    std::vector<int32_t> pending;
    for (int32_t child = model.nodes[node].firstChild; child != NO_NODE; child = model.nodes[child].nextSibling) {
        pending.push_back(child);
    }
    while (!pending.empty()) {
        const int32_t at = pending.back();
        pending.pop_back();
        ++totals.subFolders;
        addDirectChildren(model, model.items[model.nodes[at].item], &totals);
        for (int32_t child = model.nodes[at].firstChild; child != NO_NODE; child = model.nodes[child].nextSibling) {
            pending.push_back(child);
        }
    }
    return totals;
}

std::string encryptionText(uint32_t encFlags) {
    if (!(encFlags & ENC_ENCRYPTED)) return "Not encrypted.";
    std::string text;
    if (encFlags & ENC_BITCRYPT) text += "BitCrypt ";
    if (encFlags & ENC_SCRAMBLE) text += "SCRAMBLE ";
    if (encFlags & ENC_PGP) text += "PGP ";
    if (encFlags & ENC_BLOWFISH) text += "BlowFish ";
    if (encFlags & ENC_2FISH) text += "2Fish ";
    text += (encFlags & ENC_FULL) ? " - ( FULL )" : " - ( FAST )";
    return text;
}

std::string folderTotalsText(const FolderTotals& totals) {
    const double bytes = static_cast<double>(totals.bytes);
    return formatText("Total %lld Bytes ( %.2f KB/%.2f MB) - Files: %lld - Sub Folders: %lld",
                      static_cast<long long>(totals.bytes), bytes / 1024, bytes / 1024 / 1024,
                      static_cast<long long>(totals.files), static_cast<long long>(totals.subFolders));
}

std::string fileSizeText(uint32_t size) {
    const double bytes = static_cast<double>(size);
    return formatText("%lld Bytes ( %.2f KB/%.2f MB)", static_cast<long long>(size), bytes / 1024, bytes / 1024 / 1024);
}

PropertiesTexts treeNodeProperties(const CatalogueModel& model, int32_t node) {
    PropertiesTexts texts{};
    const CryptItem* item = itemOfNode(model, node);
    if (!item) return texts;
    texts.type = isRootKind(item->Kind) ? WHOLE_CD_TEXT : FOLDER_TYPE_TEXT;
    texts.size = folderTotalsText(computeFolderTotals(model, node));
    fillItemTexts(*item, &texts);
    return texts;
}

PropertiesTexts fileItemProperties(const CryptItem* item) {
    PropertiesTexts texts{};
    if (!item) return texts;
    texts.type = FILE_TYPE_TEXT;
    texts.size = fileSizeText(item->Size);
    fillItemTexts(*item, &texts);
    return texts;
}
