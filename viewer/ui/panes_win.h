// The folder tree and the file list: clicks, double clicks, context menus, the file list's
// columns, row texts on demand and shell icons by file type.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "catalogue/listing.h"

extern FileListRows fileRows;

// Calls fn with each selected row of the file list, in list order.
template <typename Fn>
void forEachSelectedRow(HWND fileList, Fn fn) {
    for (int row = ListView_GetNextItem(fileList, -1, LVNI_SELECTED); row != -1;
         row = ListView_GetNextItem(fileList, row, LVNI_SELECTED))
        fn(row);
}

bool insertFileListColumns();
// Empties the file list and lists the file items directly inside folder.
void fillFileList(const CryptItem* folder);
// Lists the root folder after the catalogue was loaded.
void showRootFolder();

LRESULT fileListOnNotify(NMHDR* header);
void treeOnRightClick();
void treeOnDoubleClick();
void treeOnClick();
