// The viewer's one process-wide state record and the routines every Win32 part shares.
#pragma once

#include <windows.h>

#include <cstdint>

#include "startup/payload.h"
#include "startup/storedvalues.h"
#include "ui/mainlayout.h"

struct UserAccount;

struct AppState {
    HINSTANCE instance = nullptr;
    char viewerPath[256] = {};
    PayloadHeader header = {};
    PayloadTrailer trailer = {};
    PayloadLayout sections = {};
    char* licenceText = nullptr;
    const UserAccount* currentUser = nullptr;
    int32_t cancelFlag = 0;

    HBITMAP background = nullptr;
    int32_t backgroundWidth = 0, backgroundHeight = 0;
    HBITMAP logo = nullptr;
    int32_t logoWidth = 0, logoHeight = 0;
    HBITMAP aboutPicture = nullptr;
    int32_t aboutWidth = 0, aboutHeight = 0;

    int32_t screenWidth = 0, screenHeight = 0;
    HICON icons[4] = {};  // root 119, folder 129, open folder 120, default file 121
    HBITMAP animationFrames[8] = {};

    HWND splashWindow = nullptr;

    // Main window.
    HWND mainWindow = nullptr;
    HWND treeView = nullptr;
    HWND fileList = nullptr;
    HWND statusBar = nullptr;
    MainLayout layout;
    HCURSOR splitterCursor = nullptr;
    HBITMAP headerBitmaps[3] = {};  // tree caption 125, list caption 124, end cap 126
    int32_t menuOrigin = 0;         // 2 tree, 3 file list, 0 none yet
    int32_t dragging = 0;
    HWND splitterGhost = nullptr;
    bool splitterClassRegistered = false;

    char fontsFolder[256] = {};
    char buildTimeText[32] = {};

    // The values the program carries scrambled; unscrambled in place at start-up.
    storedvalues::ScrambledValue<storedvalues::PASSWORD_CHECK_LENGTH> passwordCheck =
        storedvalues::scrambleValue<storedvalues::PASSWORD_CHECK_LENGTH>(storedvalues::plainPasswordCheck);
    storedvalues::ScrambledValue<storedvalues::PAYLOAD_KEY_LENGTH> payloadKey =
        storedvalues::scrambleValue<storedvalues::PAYLOAD_KEY_LENGTH>(storedvalues::plainPayloadKey);
    storedvalues::ScrambledValue<storedvalues::ABOUT_LINK_TARGET_LENGTH> aboutLinkTarget =
        storedvalues::scrambleValue<storedvalues::ABOUT_LINK_TARGET_LENGTH>(storedvalues::plainAboutLinkTarget);
};

extern AppState app;

// The error box: system-modal, question-mark icon, OK (0x1020); text cut at 1023 characters.
int showError(const char* title, const char* format, ...);
// The question box: as showError with Yes and No (0x1024); returns IDYES or IDNO.
int askYesNo(const char* title, const char* format, ...);
// True when the system reports attributes for path (file or folder).
bool pathExists(const char* path);
// The program's build time in 12-hour form, in a buffer of AppState.
const char* formatBuildTime();
// Routes the portable core's reports to showError.
void installErrorBoxReporter();
