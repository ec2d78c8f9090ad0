#include "ui/panes_win.h"

#include <shellapi.h>
#include <objbase.h>

#include "catalogue/catalogue_win.h"
#include "extract/openitem_win.h"
#include "startup/appstate_win.h"
#include "ui/mainwindow_win.h"

FileListRows fileRows;

namespace {

constexpr int ICON_CACHE_SIZE = 4000;
constexpr int32_t EMPTY_ENTRY = 9999;

struct IconCacheEntry {
    int32_t shellIndex, imageIndex;
};

IconCacheEntry iconCache[ICON_CACHE_SIZE];
HIMAGELIST fileImages = nullptr;
int32_t defaultImage = -1;

HTREEITEM treeNodeUnderCursor(const CryptItem** item) {
    POINT p;
    GetCursorPos(&p);
    ScreenToClient(app.treeView, &p);
    TVHITTESTINFO hit = {};
    hit.pt = p;
    HTREEITEM node = TreeView_HitTest(app.treeView, &hit);
    if (!node) return nullptr;
    if (nodeOfTreeItem(node) == NO_NODE) return nullptr;
    *item = itemOfTreeNode(node);
    TreeView_SelectItem(app.treeView, node);
    return node;
}

const LIST_ITEM* rowUnderCursor() {
    POINT p;
    GetCursorPos(&p);
    ScreenToClient(app.fileList, &p);
    LVHITTESTINFO hit = {};
    hit.pt = p;
    const int row = ListView_HitTest(app.fileList, &hit);
    const LIST_ITEM* entry = findListItemByKey(fileRows, row);
    if (!entry) return nullptr;
    ListView_SetSelectionMark(app.fileList, row);
    return entry;
}

void showContextMenu(bool withOpenCommands) {
    HMENU menu = CreatePopupMenu();
    if (withOpenCommands) {
        AppendMenuA(menu, MF_STRING, CMD_OPEN, "View/Open");
        AppendMenuA(menu, MF_STRING, CMD_OPEN_WITH, "View/Open With...");
    }
    const UINT exportState = (app.header.flags & FLAG_EXPORT_DISABLED) ? (MF_GRAYED | MF_DISABLED) : 0;
    AppendMenuA(menu, MF_STRING | exportState, CMD_EXPORT, "Export");
    AppendMenuA(menu, MF_STRING, CMD_PROPERTIES, "Properties");
    POINT p;
    GetCursorPos(&p);
    TrackPopupMenu(menu, TPM_RIGHTBUTTON, p.x, p.y, 0, app.mainWindow, nullptr);
    DestroyMenu(menu);
}

// The row's picture: one image-list entry per distinct shell icon, shared through the cache.
int32_t imageForName(const char* name) {
    SHFILEINFOA info = {};
    const DWORD_PTR ok = SHGetFileInfoA(name, FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                                        SHGFI_USEFILEATTRIBUTES | SHGFI_ICON | SHGFI_SMALLICON);
    // No icon at all for the name: the default file icon stands in.
    if (!ok || !info.hIcon) return defaultImage;
    const int32_t s = info.iIcon;
    int32_t image = defaultImage;
    if (s < 0 || s >= ICON_CACHE_SIZE) {
        // The cache has no entry for such an index; the default icon is shown instead.
        showError("WARNING (642456L):", "Icon index has been exceeded.");
    } else if (iconCache[s].shellIndex == s) {
        image = iconCache[s].imageIndex;
    } else {
        const int added = ImageList_AddIcon(fileImages, info.hIcon);
        if (added != -1) {
            image = added;
            iconCache[s] = {s, added};
        }
    }
    DestroyIcon(info.hIcon);
    return image;
}

}  // namespace

bool insertFileListColumns() {
    LVCOLUMNA column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = 200;
    column.pszText = const_cast<char*>("File Name");
    column.iSubItem = 0;
    if (SendMessageA(app.fileList, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column)) == -1) {
        showError("Error: 34", "Cannot set current directory...");
        return false;
    }
    column.cx = 70;
    column.pszText = const_cast<char*>("File Size");
    column.iSubItem = 1;
    if (SendMessageA(app.fileList, LVM_INSERTCOLUMNA, 1, reinterpret_cast<LPARAM>(&column)) == -1) {
        showError("Error: 35", "Cannot set current directory...");
        return false;
    }
    return true;
}

void fillFileList(const CryptItem* folder) {
    if (!folder) return;
    if (fileImages) {
        ListView_SetImageList(app.fileList, nullptr, LVSIL_SMALL);
        ImageList_Destroy(fileImages);
        fileImages = nullptr;
    }
    if (!ListView_DeleteAllItems(app.fileList)) {
        showError("Error: 63", "Cannot delete all image list items..");
        return;
    }
    buildFolderRows(catalogue, *folder, &fileRows);
    if (listItemCount(fileRows) == 0) return;

    CoInitialize(nullptr);
    for (IconCacheEntry& e : iconCache) e = {EMPTY_ENTRY, EMPTY_ENTRY};
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    fileImages = ImageList_Create(16, 16, ILC_COLOR, static_cast<int>(listItemCount(fileRows)), 4000);
    if (!fileImages) {
        showError("Error: 111336", "Cannot create image list ( file list - setup ).");
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
        return;
    }
    defaultImage = ImageList_AddIcon(fileImages, app.icons[3]);
    if (defaultImage == -1) showError("Error: 821a", "Cannot add icon. ");
    iconCache[ICON_CACHE_SIZE - 1] = {ICON_CACHE_SIZE - 1, defaultImage};
    ListView_SetImageList(app.fileList, fileImages, LVSIL_SMALL);

    SendMessageA(app.fileList, WM_SETREDRAW, FALSE, 0);
    for (const LIST_ITEM& row : fileRows.rows) {
        LVITEMA lv = {};
        lv.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_STATE;
        lv.iItem = row.Key;
        lv.pszText = LPSTR_TEXTCALLBACKA;
        lv.iImage = imageForName(row.FileName.c_str());
        lv.lParam = row.Key;
        const int index = static_cast<int>(SendMessageA(app.fileList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&lv)));
        if (index == -1) {
            showError("Error: 76", "Cannot add default icon.");
            break;
        }
        setListItemIndex(&fileRows, row.Key, index);
    }
    SendMessageA(app.fileList, WM_SETREDRAW, TRUE, 0);
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
}

void showRootFolder() {
    if (!catalogue.items.empty()) fillFileList(&catalogue.items[0]);
}

LRESULT fileListOnNotify(NMHDR* header) {
    switch (header->code) {
    case LVN_GETDISPINFOA: {
        NMLVDISPINFOA* info = reinterpret_cast<NMLVDISPINFOA*>(header);
        if (info->item.iItem == -1) return 0;
        if (info->item.mask & LVIF_TEXT)
            rowText(fileRows, info->item.iItem, info->item.iSubItem, info->item.pszText,
                    static_cast<size_t>(info->item.cchTextMax > 0 ? info->item.cchTextMax : 0));
        return 0;
    }
    case NM_RCLICK: {
        const LIST_ITEM* entry = rowUnderCursor();
        if (!entry || !entry->Item) return 0;
        app.menuOrigin = 3;
        showContextMenu(true);
        return 0;
    }
    case NM_DBLCLK: {
        const LIST_ITEM* entry = rowUnderCursor();
        if (entry && entry->Item && canOpenKind(entry->Item->Kind)) openItem(entry->Item, nullptr);
        return 0;
    }
    }
    return 0;
}

void treeOnRightClick() {
    const CryptItem* item = nullptr;
    if (!treeNodeUnderCursor(&item) || !item) return;
    app.menuOrigin = 2;
    showContextMenu(false);
}

void treeOnDoubleClick() {
    const CryptItem* item = nullptr;
    HTREEITEM node = treeNodeUnderCursor(&item);
    if (!node) return;
    if (item && canOpenKind(item->Kind)) openItem(item, nullptr);
    TreeView_Select(app.treeView, node, TVGN_DROPHILITE);
}

void treeOnClick() {
    const CryptItem* item = nullptr;
    HTREEITEM node = treeNodeUnderCursor(&item);
    if (!node) return;
    if (item) fillFileList(item);
    TreeView_Select(app.treeView, node, TVGN_DROPHILITE);
}
