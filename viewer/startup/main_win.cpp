// The viewer's entry point: unscramble the carried values, load the payload, run the splash
// phase, refuse an expired account, then run the main window.
#include <windows.h>

#include "startup/appstate_win.h"
#include "startup/loader_win.h"
#include "startup/login_win.h"
#include "ui/mainwindow_win.h"
#include "ui/splash_win.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    app.instance = instance;
    unscrambleStoredValues();
    installErrorBoxReporter();
    if (!loadPayload()) return 0;
    if (!runSplashScreen()) return 0;
    if (isAccountExpired()) {
        showError("User expired.", "Sorry, your access has expired.");
        return 0;
    }
    runMainWindow();
    return 0;
}
