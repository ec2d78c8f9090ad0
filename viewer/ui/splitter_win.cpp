#include "ui/splitter_win.h"

#include "startup/appstate_win.h"

namespace {

LRESULT CALLBACK ghostWindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(wnd, &ps);
        HBRUSH face = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
        // The black class background stays visible as a one-pixel frame.
        RECT inner = {1, 1, app.layout.splitter.width - 1, app.layout.splitter.height - 1};
        FillRect(dc, &inner, face);
        DeleteObject(face);
        EndPaint(wnd, &ps);
        return 0;
    }
    case WM_DESTROY:
        // Ends the drag loop, not the main loop: the drag loop is the one retrieving messages.
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(wnd, msg, wp, lp);
}

POINT toScreen(HWND wnd, int x, int y) {
    POINT p = {x, y};
    ClientToScreen(wnd, &p);
    return p;
}

}  // namespace

void registerSplitterClass() {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = ghostWindowProc;
    wc.hInstance = app.instance;
    wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    wc.hIconSm = LoadIconA(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = "SplitterWnd";
    app.splitterClassRegistered = RegisterClassExA(&wc) != 0;
    if (!app.splitterClassRegistered) showError("Error: 2552", "Cannot create Splitter Bar ( 1 )");
}

void splitterOnMouseMove(HWND mainWindow, int x, int y) {
    MainLayout& l = app.layout;
    if (app.dragging) {
        if (!splitterMayMoveTo(l, x)) return;
        const POINT p = toScreen(mainWindow, x, l.tree.y);
        if (app.splitterGhost)
            MoveWindow(app.splitterGhost, p.x, p.y, l.splitter.width, l.splitter.height, TRUE);
        l.splitter.x = x;
        return;
    }
    SetCursor(isOnSplitter(l, x, y) ? app.splitterCursor : LoadCursorA(nullptr, IDC_ARROW));
}

void splitterOnLeftButtonDown(HWND mainWindow, int x, int y) {
    if (app.dragging) return;
    MainLayout& l = app.layout;
    if (!isOnSplitter(l, x, y)) {
        app.dragging = 0;
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
        return;
    }
    app.dragging = 1;
    SetCursor(app.splitterCursor);
    SetCapture(mainWindow);

    const POINT p = toScreen(mainWindow, l.tree.x + l.tree.width, l.tree.y);
    app.splitterGhost = CreateWindowExA(WS_EX_TOOLWINDOW, "SplitterWnd", nullptr, WS_POPUP, p.x, p.y,
                                        l.splitter.width, l.splitter.height, mainWindow, nullptr, app.instance,
                                        nullptr);
    if (!app.splitterGhost) {
        showError("Error: 23456", "Cannot create Splitter Bar ( 2 )");
        return;
    }
    UpdateWindow(app.splitterGhost);
    ShowWindow(app.splitterGhost, SW_SHOW);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void splitterOnLeftButtonUp(HWND mainWindow) {
    if (!app.dragging) return;
    MainLayout& l = app.layout;
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    if (app.splitterGhost) {
        DestroyWindow(app.splitterGhost);
        app.splitterGhost = nullptr;
    }
    const int left = l.tree.x + l.tree.width;
    RECT gap = {left, l.tree.y, left + 4, l.tree.y + l.tree.height};
    InvalidateRect(mainWindow, &gap, TRUE);
    UpdateWindow(mainWindow);
    SendMessageA(mainWindow, WM_SIZE, 0, MAKELPARAM(l.clientWidth, l.clientHeight));
    app.dragging = 0;
    ReleaseCapture();
}
