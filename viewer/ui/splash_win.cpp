#include "ui/splash_win.h"

#include <cstdlib>

#include "extract/splashpaint_win.h"
#include "startup/appstate_win.h"
#include "startup/login_win.h"
#include "startup/users.h"

namespace {

constexpr UINT_PTR SPLASH_TIMER = 1;

void runStartupDialogs() {
    if (app.header.flags & FLAG_PASSWORD) runPasswordDialog();
    // Tested once: a user who declines the licence still sees the note.
    if (app.cancelFlag == 0) {
        if (app.header.flags & FLAG_LICENCE) runLicenceDialog();
        if (app.currentUser && (app.currentUser->flags & USER_HAS_NOTE) && app.currentUser->hasNote)
            runUserNoteDialog();
    }
}

void splashOnTimer(HWND wnd) {
    KillTimer(wnd, SPLASH_TIMER);
    runStartupDialogs();
    DestroyWindow(wnd);
    PostQuitMessage(0);
}

void splashOnPaint(HWND wnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(wnd, &ps);
    paintSplash(dc);
    EndPaint(wnd, &ps);
}

LRESULT CALLBACK splashWindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE: SetTimer(wnd, SPLASH_TIMER, 200, nullptr); return 0;
    case WM_PAINT: splashOnPaint(wnd); return 0;
    case WM_TIMER: splashOnTimer(wnd); return 0;
    }
    return DefWindowProcA(wnd, msg, wp, lp);
}

void releaseSplashResources(HBRUSH brush) {
    DeleteObject(brush);
    std::free(app.licenceText);
    app.licenceText = nullptr;
    if (app.background) DeleteObject(app.background);
    if (app.logo) DeleteObject(app.logo);
    app.background = app.logo = nullptr;
}

}  // namespace

int runSplashScreen() {
    HBRUSH brush = CreateSolidBrush(app.header.splashColour);
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = splashWindowProc;
    wc.hInstance = app.instance;
    wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    wc.hIconSm = LoadIconA(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = brush;
    wc.lpszClassName = "ScreenOneClass";
    const bool registered = RegisterClassExA(&wc) != 0;

    app.screenWidth = GetSystemMetrics(SM_CXSCREEN);
    app.screenHeight = GetSystemMetrics(SM_CYSCREEN);
    app.splashWindow = registered ? CreateWindowExA(0, "ScreenOneClass", "", WS_POPUP, 0, 0, app.screenWidth,
                                                    app.screenHeight, nullptr, nullptr, app.instance, nullptr)
                                  : nullptr;
    if (app.splashWindow) {
        UpdateWindow(app.splashWindow);
        ShowWindow(app.splashWindow, SW_SHOWNORMAL);
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    } else {
        // Without a splash window the phase still has to decide who gets in.
        runStartupDialogs();
    }
    releaseSplashResources(brush);
    return app.cancelFlag == 0 ? 1 : 0;
}
