// A small program with known windows for the driver's self-tests: a message box, a dialog with an
// edit and buttons, and a main window with a tree view, a list view with texts given on demand,
// a status bar and a context menu. Each user action is echoed into the status bar.
//   fixture_app.exe          the main window; File > Exit ends with code 0
//   fixture_app.exe msgbox   only a message box; exits with 10 + the button's result
//   fixture_app.exe quiet    exits at once with code 5, showing nothing
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "fixture_app_win.h"

namespace {

const int ID_STATUS = 1;
const int ID_TREE = 2;
const int ID_LIST = 3;

HINSTANCE instance;
HWND mainWindow;
HWND statusBar;
HWND tree;
HWND list;
char lastDialogText[256];

struct Row {
    const char* name;
    const char* size;
};
const Row rows[] = {{"b.txt", "10"}, {"A.doc", "2000"}, {"c.bin", "3"}};

void setStatus(const char* format, const char* value) {
    char text[512];
    snprintf(text, sizeof text, format, value);
    SendMessageA(statusBar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text));
}

HTREEITEM addNode(HTREEITEM parent, const char* label) {
    TVINSERTSTRUCTA insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = const_cast<char*>(label);
    return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

void fillTree() {
    HTREEITEM root = addNode(TVI_ROOT, "Root");
    HTREEITEM alpha = addNode(root, "Alpha");
    addNode(alpha, "Alpha One");
    addNode(alpha, "Alpha Two");
    addNode(root, "Beta");
    HTREEITEM gamma = addNode(root, "Gamma");
    addNode(gamma, "Gamma One");
    SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
    SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(alpha));
    SendMessageA(tree, TVM_SELECTITEM, TVGN_DROPHILITE, reinterpret_cast<LPARAM>(gamma));
}

void fillList() {
    const char* headings[] = {"File Name", "File Size"};
    for (int i = 0; i < 2; ++i) {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = const_cast<char*>(headings[i]);
        column.cx = i == 0 ? 200 : 70;
        column.iSubItem = i;
        SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&column));
    }
    for (int i = 0; i < 3; ++i) {
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = i;
        item.pszText = LPSTR_TEXTCALLBACKA;
        item.lParam = i;
        SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
}

// As the viewer does: the node under the pointer, wherever the click came from.
HTREEITEM treeNodeUnderPointer(char* label, int capacity) {
    POINT point;
    GetCursorPos(&point);
    ScreenToClient(tree, &point);
    TVHITTESTINFO hit = {};
    hit.pt = point;
    HTREEITEM node = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (!node) {
        return nullptr;
    }
    TVITEMA item = {};
    item.mask = TVIF_TEXT | TVIF_HANDLE;
    item.hItem = node;
    item.pszText = label;
    item.cchTextMax = capacity;
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(node));
    return node;
}

int listRowUnderPointer() {
    POINT point;
    GetCursorPos(&point);
    ScreenToClient(list, &point);
    LVHITTESTINFO hit = {};
    hit.pt = point;
    return static_cast<int>(SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
}

char menuNodeLabel[256];

void showTreeMenu(HWND owner) {
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING | MF_GRAYED, CMD_FIXTURE_EXPORT, "Export");
    AppendMenuA(menu, MF_STRING, CMD_FIXTURE_PROPERTIES, "Properties");
    POINT point;
    GetCursorPos(&point);
    TrackPopupMenu(menu, TPM_RIGHTBUTTON, point.x, point.y, 0, owner, nullptr);
    DestroyMenu(menu);
}

LRESULT treeOnNotify(NMHDR* header) {
    char label[256] = "";
    switch (header->code) {
    case NM_CLICK:
        if (treeNodeUnderPointer(label, sizeof label)) {
            setStatus("Tree click: %s", label);
        }
        return 0;
    case NM_DBLCLK:
        if (treeNodeUnderPointer(label, sizeof label)) {
            setStatus("Tree double click: %s", label);
        }
        return 0;
    case NM_RCLICK:
        if (treeNodeUnderPointer(menuNodeLabel, sizeof menuNodeLabel)) {
            showTreeMenu(mainWindow);
        }
        return 1;
    }
    return 0;
}

LRESULT listOnNotify(NMHDR* header) {
    char text[64];
    int row;
    switch (header->code) {
    case LVN_GETDISPINFOA: {
        NMLVDISPINFOA* info = reinterpret_cast<NMLVDISPINFOA*>(header);
        if ((info->item.mask & LVIF_TEXT) && info->item.iItem >= 0 && info->item.iItem < 3) {
            const Row& r = rows[info->item.iItem];
            lstrcpynA(info->item.pszText, info->item.iSubItem == 0 ? r.name : r.size, info->item.cchTextMax);
        }
        return 0;
    }
    case NM_CLICK:
        snprintf(text, sizeof text, "%d", listRowUnderPointer());
        setStatus("List click: row %s", text);
        return 0;
    case NM_DBLCLK:
        row = listRowUnderPointer();
        if (row >= 0 && row < 3) {
            setStatus("List double click: %s", rows[row].name);
        }
        return 0;
    }
    return 0;
}

INT_PTR CALLBACK dialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM) {
    char text[256] = "";
    char echo[300];
    switch (msg) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDC_FIXTURE_APPLY:
            GetDlgItemTextA(dialog, IDC_FIXTURE_EDIT, text, sizeof text);
            snprintf(echo, sizeof echo, "Applied: %s", text);
            SetDlgItemTextA(dialog, IDC_FIXTURE_ECHO, echo);
            return TRUE;
        case IDOK:
            GetDlgItemTextA(dialog, IDC_FIXTURE_EDIT, lastDialogText, sizeof lastDialogText);
            EndDialog(dialog, IDOK);
            return TRUE;
        case IDCANCEL:
            lastDialogText[0] = '\0';
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

void mainWindowOnCommand(int id) {
    char text[32];
    switch (id) {
    case IDM_FIXTURE_EXIT:
        DestroyWindow(mainWindow);
        return;
    case IDM_FIXTURE_DIALOG:
        if (DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_FIXTURE_DIALOG), nullptr, dialogProc, 0) == IDOK) {
            setStatus("Dialog OK: %s", lastDialogText);
        } else {
            setStatus("Dialog cancelled%s", "");
        }
        return;
    case IDM_FIXTURE_BOX:
        snprintf(text, sizeof text, "%d", MessageBoxA(nullptr, "Fixture text.", "Fixture box", MB_SYSTEMMODAL | MB_ICONQUESTION));
        setStatus("Box answered %s", text);
        return;
    case CMD_FIXTURE_PROPERTIES:
        setStatus("Properties: %s", menuNodeLabel);
        return;
    case CMD_FIXTURE_EXPORT:
        setStatus("Export: %s", menuNodeLabel);
        return;
    }
}

void mainWindowOnCreate(HWND window) {
    statusBar = CreateStatusWindowA(WS_CHILD | WS_VISIBLE, "Ready.", window, ID_STATUS);
    tree = CreateWindowExA(WS_EX_CLIENTEDGE, WC_TREEVIEWA, "",
                           WS_CHILD | WS_VISIBLE | TVS_HASLINES | TVS_HASBUTTONS | TVS_SHOWSELALWAYS,
                           0, 0, 200, 300, window, reinterpret_cast<HMENU>(ID_TREE), instance, nullptr);
    list = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                           WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS,
                           205, 0, 300, 300, window, reinterpret_cast<HMENU>(ID_LIST), instance, nullptr);
    fillTree();
    fillList();
}

void mainWindowOnSize(int width, int height) {
    SendMessageA(statusBar, WM_SIZE, 0, 0);
    MoveWindow(tree, 0, 0, width / 2 - 3, height - 24, TRUE);
    MoveWindow(list, width / 2 + 2, 0, width - width / 2 - 2, height - 24, TRUE);
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE:
        mainWindowOnCreate(window);
        return 0;
    case WM_SIZE:
        mainWindowOnSize(LOWORD(lp), HIWORD(lp));
        return 0;
    case WM_COMMAND:
        mainWindowOnCommand(LOWORD(wp));
        return 0;
    case WM_NOTIFY: {
        NMHDR* header = reinterpret_cast<NMHDR*>(lp);
        if (header->idFrom == ID_TREE) return treeOnNotify(header);
        if (header->idFrom == ID_LIST) return listOnNotify(header);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, msg, wp, lp);
}

int runMainWindow() {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = mainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszMenuName = MAKEINTRESOURCEA(IDR_FIXTURE_MENU);
    windowClass.lpszClassName = "FixtureMain";
    RegisterClassA(&windowClass);
    mainWindow = CreateWindowExA(0, "FixtureMain", "Fixture", WS_OVERLAPPEDWINDOW, 40, 40, 600, 400,
                                 nullptr, nullptr, instance, nullptr);
    if (!mainWindow) {
        return 2;
    }
    ShowWindow(mainWindow, SW_SHOW);
    UpdateWindow(mainWindow);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR commandLine, int) {
    instance = inst;
    if (strcmp(commandLine, "quiet") == 0) {
        return 5;
    }
    if (strcmp(commandLine, "msgbox") == 0) {
        return 10 + MessageBoxA(nullptr, "Fixture text.", "Fixture box", MB_SYSTEMMODAL | MB_ICONQUESTION);
    }
    return runMainWindow();
}
