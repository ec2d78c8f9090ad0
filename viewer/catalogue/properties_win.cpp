// The Properties dialog: shows the tree's selected folder or the file list's first selected row,
// whichever pane's context menu was opened last. It only displays; the texts come from the
// portable properties core.
#include <windows.h>
#include <commctrl.h>

#include "catalogue/catalogue_win.h"
#include "catalogue/properties.h"
#include "resource.h"
#include "startup/appstate_win.h"
#include "ui/commands_win.h"
#include "ui/panes_win.h"

namespace {

constexpr int32_t MENU_ORIGIN_TREE = 2;
constexpr int32_t MENU_ORIGIN_LIST = 3;

PropertiesTexts propertiesOfMenuOrigin() {
    if (app.menuOrigin == MENU_ORIGIN_TREE) {
        HTREEITEM selected = TreeView_GetSelection(app.treeView);
        if (!selected) return PropertiesTexts{};
        return treeNodeProperties(catalogue, nodeOfTreeItem(selected));
    }
    if (app.menuOrigin == MENU_ORIGIN_LIST) {
        const int row = ListView_GetNextItem(app.fileList, -1, LVNI_SELECTED);
        if (row < 0) return PropertiesTexts{};
        const LIST_ITEM* entry = findListItemByKey(fileRows, row);
        return fileItemProperties(entry ? entry->Item : nullptr);
    }
    return PropertiesTexts{};
}

void propertiesDialogOnInit(HWND dialog) {
    const PropertiesTexts texts = propertiesOfMenuOrigin();
    if (!texts.found) return;
    SetDlgItemTextA(dialog, IDC_PROP_TYPE, texts.type.c_str());
    SetDlgItemTextA(dialog, IDC_PROP_SIZE, texts.size.c_str());
    if (texts.hasIdNumber) SetDlgItemTextA(dialog, IDC_PROP_IDNUMBER, texts.idNumber.c_str());
    if (texts.hasNote) SetDlgItemTextA(dialog, IDC_PROP_NOTE, texts.note.c_str());
    if (texts.hasNameText) SetDlgItemTextA(dialog, IDC_PROP_NAMETEXT, texts.nameText.c_str());
    SetDlgItemTextA(dialog, IDC_PROP_ENCRYPTION, texts.encryption.c_str());
    SetDlgItemTextA(dialog, IDC_PROP_NAME, texts.name.c_str());
}

INT_PTR CALLBACK propertiesDialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG: propertiesDialogOnInit(dialog); return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) EndDialog(dialog, 1);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

void runPropertiesCommand() {
    DialogBoxParamA(app.instance, MAKEINTRESOURCEA(IDD_PROPERTIES), nullptr, propertiesDialogProc, 0);
}
