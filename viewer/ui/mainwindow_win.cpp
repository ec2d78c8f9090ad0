#include "ui/mainwindow_win.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "catalogue/catalogue_win.h"
#include "extract/imaging_win.h"
#include "extract/tempfiles_win.h"
#include "resource.h"
#include "startup/appstate_win.h"
#include "startup/loader_win.h"
#include "ui/commands_win.h"
#include "ui/panes_win.h"
#include "ui/splitter_win.h"

namespace {

constexpr int TREE_CAPTION_WIDTH = 78, LIST_CAPTION_TEXT_WIDTH = 52, CAPTION_END_WIDTH = 4, CAPTION_HEIGHT = 19;

void mainWindowOnCreate() {
    const int ids[3] = {IDB_CAPTION_FOLDERS, IDB_CAPTION_FILES, IDB_CAPTION_END};
    const char* titles[3] = {"Error: 211", "Error: 212", "Error: 213"};
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    for (int i = 0; i < 3; ++i) {
        HBITMAP art = LoadBitmapA(app.instance, MAKEINTRESOURCEA(ids[i]));
        app.headerBitmaps[i] = composeOnColour(art, face);
        if (art) DeleteObject(art);
        if (!app.headerBitmaps[i]) showError(titles[i], "Cannot load bitmap 1");
    }
}

void movePane(HWND wnd, const PaneRect& r) {
    MoveWindow(wnd, r.x, r.y, r.width, r.height, TRUE);
}

void mainWindowOnSize(HWND wnd, uint32_t width, uint32_t height) {
    layoutOnSize(app.layout, width, height);
    movePane(app.treeView, app.layout.tree);
    movePane(app.fileList, app.layout.list);
    movePane(app.statusBar, app.layout.status);
    InvalidateRect(wnd, nullptr, TRUE);
    UpdateWindow(wnd);
}

void mainWindowOnPaint(HWND wnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(wnd, &ps);
    const PaneRect& tree = app.layout.tree;
    const PaneRect& list = app.layout.list;
    HBRUSH bar = CreateSolidBrush(RGB(63, 121, 221));
    drawBitmap(dc, app.headerBitmaps[0], 0, 0);
    RECT treeBar = {TREE_CAPTION_WIDTH, 0, tree.width - CAPTION_END_WIDTH, CAPTION_HEIGHT};
    FillRect(dc, &treeBar, bar);
    drawBitmap(dc, app.headerBitmaps[2], tree.width - CAPTION_END_WIDTH, 0);
    drawBitmap(dc, app.headerBitmaps[1], list.x - 1, 0);
    RECT listBar = {list.x + LIST_CAPTION_TEXT_WIDTH, 0, list.x + list.width - CAPTION_END_WIDTH, CAPTION_HEIGHT};
    FillRect(dc, &listBar, bar);
    drawBitmap(dc, app.headerBitmaps[2], list.x + list.width - CAPTION_END_WIDTH, 0);
    DeleteObject(bar);
    EndPaint(wnd, &ps);
}

INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG: {
        char line[128];
        std::snprintf(line, sizeof line, "Build: %s %s", formatBuildTime(), __DATE__);
        SetDlgItemTextA(dialog, IDC_ABOUT_BUILD, line);
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDOK:
        case IDCANCEL:  // Esc and the close box close it too, as users expect of an About box
            EndDialog(dialog, 1);
            break;
        case IDC_ABOUT_LINK:
            ShellExecuteA(nullptr, "open", app.aboutLinkTarget.bytes, nullptr, nullptr, SW_SHOWNORMAL);
            break;
        }
        return TRUE;
    }
    return FALSE;
}

void customAboutOnSize(HWND dialog) {
    if (!app.aboutPicture) return;
    const int w = app.aboutWidth, h = app.aboutHeight;
    const int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
    MoveWindow(dialog, screenW / 2 - (w + 15) / 2, screenH / 2 - (h + 130) / 2, w + 15, h + 130, TRUE);
    for (int i = 0; i < 3; ++i)
        MoveWindow(GetDlgItem(dialog, IDC_CUSTOMABOUT_LINE1 + i), 5, h + 10 + 16 * i, w + 50, 16, TRUE);
    MoveWindow(GetDlgItem(dialog, IDOK), w - 40, h + 64, 40, 25, TRUE);
}

INT_PTR CALLBACK customAboutDialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        for (int i = 0; i < 3; ++i) {
            char line[TEXT_FIELD_SIZE + 1] = {};
            std::memcpy(line, app.header.aboutLines[i], TEXT_FIELD_SIZE);
            if (line[0]) SetDlgItemTextA(dialog, IDC_CUSTOMABOUT_LINE1 + i, line);
        }
        SendMessageA(dialog, WM_SIZE, 0, 0);
        return TRUE;
    case WM_SIZE:
        customAboutOnSize(dialog);
        return TRUE;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(dialog, &ps);
        drawBitmap(dc, app.aboutPicture, 5, 5);
        EndPaint(dialog, &ps);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) EndDialog(dialog, 1);
        return TRUE;
    }
    return FALSE;
}

void mainWindowOnCommand(WORD command) {
    switch (command) {
    case CMD_PROPERTIES: runPropertiesCommand(); break;
    case CMD_OPEN_WITH: runOpenWithCommand(); break;
    case CMD_EXPORT: runExportCommand(); break;
    case CMD_OPEN: runOpenCommand(); break;
    case IDM_EXIT: exitViewer();
    case IDM_ABOUT:
        if (app.header.flags & FLAG_CUSTOM_ABOUT)
            DialogBoxParamA(app.instance, MAKEINTRESOURCEA(IDD_CUSTOMABOUT), nullptr, customAboutDialogProc, 0);
        else
            DialogBoxParamA(app.instance, MAKEINTRESOURCEA(IDD_ABOUT), nullptr, aboutDialogProc, 0);
        break;
    case IDM_SEARCH: runSearchCommand(); break;
    }
}

LRESULT mainWindowOnNotify(NMHDR* header) {
    if (header->idFrom == 3) return fileListOnNotify(header);
    if (header->idFrom == 2) {
        switch (header->code) {
        case NM_RCLICK: treeOnRightClick(); break;
        case NM_DBLCLK: treeOnDoubleClick(); break;
        case NM_CLICK: treeOnClick(); break;
        }
    }
    return 0;
}

LRESULT CALLBACK mainWindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE: mainWindowOnCreate(); return 0;
    case WM_SIZE: mainWindowOnSize(wnd, LOWORD(lp), HIWORD(lp)); return 0;
    case WM_PAINT: mainWindowOnPaint(wnd); return 0;
    case WM_CLOSE: exitViewer();
    case WM_NOTIFY: return mainWindowOnNotify(reinterpret_cast<NMHDR*>(lp));
    case WM_COMMAND: mainWindowOnCommand(LOWORD(wp)); return 0;
    case WM_MOUSEMOVE: splitterOnMouseMove(wnd, static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))); return 0;
    case WM_LBUTTONDOWN: splitterOnLeftButtonDown(wnd, static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))); return 0;
    case WM_LBUTTONUP: splitterOnLeftButtonUp(wnd); return 0;
    }
    return DefWindowProcA(wnd, msg, wp, lp);
}

HBRUSH mainClassBrush = nullptr;

bool createChildren(HWND wnd) {
    RECT client;
    GetClientRect(wnd, &client);
    layoutOnCreate(app.layout, client.right, client.bottom);
    app.splitterCursor = LoadCursorA(app.instance, MAKEINTRESOURCEA(IDC_SPLITTER));
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);

    app.statusBar = CreateStatusWindowA(WS_CHILD | WS_VISIBLE, "Ready.", wnd, 1);
    if (!app.statusBar) {
        showError("Error: 31", "Cannot create status window.");
        return false;
    }
    const PaneRect& t = app.layout.tree;
    app.treeView = CreateWindowExA(0, WC_TREEVIEWA, "",
                                   WS_CHILD | WS_VISIBLE | WS_BORDER | TVS_HASLINES | TVS_HASBUTTONS,
                                   t.x, t.y, t.width, t.height, wnd, reinterpret_cast<HMENU>(2), app.instance, nullptr);
    if (!app.treeView) {
        showError("Error: 30", "Cannot create Orvanta tree window.");
        return false;
    }
    TreeView_SetBkColor(app.treeView, RGB(240, 240, 255));
    TreeView_SetTextColor(app.treeView, RGB(0, 0, 255));
    TreeView_SetLineColor(app.treeView, RGB(100, 100, 255));

    const PaneRect& l = app.layout.list;
    app.fileList = CreateWindowExA(0, WC_LISTVIEWA, "",
                                   WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | LVS_REPORT | LVS_SHOWSELALWAYS,
                                   l.x, l.y, l.width, l.height, wnd, reinterpret_cast<HMENU>(3), app.instance, nullptr);
    if (!app.fileList) {
        showError("Error: 378", "Cannot create Orvanta filelist window.");
        return false;
    }
    registerSplitterClass();
    insertFileListColumns();
    return true;
}

}  // namespace

int runMainWindow() {
    mainClassBrush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = mainWindowProc;
    wc.hInstance = app.instance;
    wc.hIcon = LoadIconA(app.instance, MAKEINTRESOURCEA(IDI_APP));
    wc.hIconSm = static_cast<HICON>(LoadImageA(app.instance, MAKEINTRESOURCEA(IDI_APP), IMAGE_ICON, 16, 16, 0));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = mainClassBrush;
    wc.lpszMenuName = MAKEINTRESOURCEA(IDR_MAINMENU);
    wc.lpszClassName = "ScreenTwoClass";
    RegisterClassExA(&wc);

    app.mainWindow = CreateWindowExA(0, "ScreenTwoClass", "Viewer", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                     CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, app.instance, nullptr);
    if (!app.mainWindow) {
        showError("Error: 30", "Cannot create viewer window.");
        return 0;
    }
    if (!createChildren(app.mainWindow)) return 0;
    UpdateWindow(app.mainWindow);
    ShowWindow(app.mainWindow, SW_SHOWMAXIMIZED);

    if (!loadCatalogue()) return 0;
    showRootFolder();

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    DeleteObject(mainClassBrush);
    return 1;
}

void exitViewer() {
    if (app.header.flags & FLAG_CLEAR_RECENT_DOCS) SHAddToRecentDocs(SHARD_PATHA, nullptr);
    deleteTempFiles();
    destroyTreeImageList();
    freeCatalogue();
    userList.clear();
    for (HBITMAP& b : app.headerBitmaps) {
        if (b) DeleteObject(b);
        b = nullptr;
    }
    if (app.aboutPicture) DeleteObject(app.aboutPicture);
    app.aboutPicture = nullptr;
    PostQuitMessage(0);
    std::exit(0);
}
