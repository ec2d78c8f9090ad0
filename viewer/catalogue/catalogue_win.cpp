#include "catalogue/catalogue_win.h"

#include <cstdio>
#include <vector>

#include "startup/appstate_win.h"
#include "startup/scramble.h"

CatalogueModel catalogue;

namespace {

HIMAGELIST treeImages = nullptr;
std::vector<HTREEITEM> treeItems;  // tree view item of each model node

enum TreeImage { IMAGE_ROOT = 0, IMAGE_FOLDER = 1, IMAGE_OPEN_FOLDER = 2 };

bool createTreeImageList() {
    treeImages = ImageList_Create(16, 16, ILC_COLOR, 3, 4000);
    if (!treeImages) {
        showError("Error: 101", "Cannot create image list...");
        return false;
    }
    ImageList_SetBkColor(treeImages, RGB(255, 255, 255));
    for (int i = 0; i < 3; ++i) {
        if (ImageList_AddIcon(treeImages, app.icons[i]) == -1) {
            showError("Error: 36", "Cannot add icon...");
            return false;
        }
    }
    TreeView_SetImageList(app.treeView, treeImages, TVSIL_NORMAL);
    return true;
}

bool readSection(std::vector<uint8_t>* bytes) {
    FILE* viewer = std::fopen(app.viewerPath, "rb");
    if (!viewer) {
        showError("Error: 14301", "Cannot open viewer file to decrypt tree items...");
        return false;
    }
    const uint32_t size = app.sections.catalogue.size;
    bytes->assign(static_cast<size_t>(size) + 100, 0);
    // The section's span was checked against the file when the payload was loaded.
    const bool read = _fseeki64(viewer, static_cast<__int64>(app.sections.catalogue.offset), SEEK_SET) == 0 &&
                      std::fread(bytes->data(), 1, size, viewer) == size;
    std::fclose(viewer);
    if (!read) {
        showError("Error: 14301", "Cannot open viewer file to decrypt tree items...");
        return false;
    }
    xorFold(app.payloadKey.bytes, bytes->data(), static_cast<int32_t>(size));
    return true;
}

// Inserts every model node, parents before children (the model creates them in that order).
void fillTreeView() {
    treeItems.assign(catalogue.nodes.size(), nullptr);
    SendMessageA(app.treeView, WM_SETREDRAW, FALSE, 0);
    for (size_t n = 0; n < catalogue.nodes.size(); ++n) {
        const CatalogueNode& node = catalogue.nodes[n];
        const CryptItem& item = catalogue.items[node.item];
        const bool root = isRootKind(item.Kind);
        TVINSERTSTRUCTA ins = {};
        ins.hParent = node.parent == NO_NODE ? TVI_ROOT : treeItems[node.parent];
        ins.hInsertAfter = TVI_LAST;
        ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_STATE;
        ins.item.pszText = const_cast<char*>(item.hasFileName ? item.FileName.c_str() : "");
        ins.item.iImage = root ? IMAGE_ROOT : IMAGE_FOLDER;
        ins.item.iSelectedImage = root ? IMAGE_ROOT : IMAGE_OPEN_FOLDER;
        ins.item.state = node.expanded ? TVIS_EXPANDED : 0;
        ins.item.stateMask = TVIS_EXPANDED;
        ins.item.lParam = static_cast<LPARAM>(n);
        if (!ins.hParent && node.parent != NO_NODE) ins.hParent = TVI_ROOT;
        treeItems[n] = reinterpret_cast<HTREEITEM>(SendMessageA(app.treeView, TVM_INSERTITEMA, 0,
                                                                reinterpret_cast<LPARAM>(&ins)));
        if (!treeItems[n]) showError("Error: 100", "cannot add item...( load layout )");
    }
    SendMessageA(app.treeView, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(app.treeView, nullptr, TRUE);
}

}  // namespace

bool loadCatalogue() {
    if (!createTreeImageList()) return false;
    std::vector<uint8_t> bytes;
    if (!readSection(&bytes)) return false;
    loadCatalogueRecords(bytes.data(), app.sections.catalogue.size, app.trailer.itemCount, &catalogue);
    fillTreeView();
    if (!catalogue.items.empty())
        SendMessageA(app.statusBar, SB_SETTEXTA, 0,
                     reinterpret_cast<LPARAM>(catalogueTotalsLine(catalogue.totals).c_str()));
    return true;
}

void freeCatalogue() {
    ::freeCatalogue(&catalogue);
    treeItems.clear();
}

void destroyTreeImageList() {
    if (treeImages) ImageList_Destroy(treeImages);
    treeImages = nullptr;
}

int32_t nodeOfTreeItem(HTREEITEM item) {
    if (!item) return NO_NODE;
    TVITEMA tv = {};
    tv.mask = TVIF_PARAM;
    tv.hItem = item;
    if (!SendMessageA(app.treeView, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv))) return NO_NODE;
    const LPARAM n = tv.lParam;
    return n >= 0 && static_cast<size_t>(n) < catalogue.nodes.size() ? static_cast<int32_t>(n) : NO_NODE;
}

const CryptItem* itemOfTreeNode(HTREEITEM node) {
    return itemOfNode(catalogue, nodeOfTreeItem(node));
}

HTREEITEM treeItemOfNode(int32_t node) {
    return node >= 0 && static_cast<size_t>(node) < treeItems.size() ? treeItems[node] : nullptr;
}
