#include "startup/login_win.h"

#include <cstring>

#include "resource.h"
#include "startup/appstate_win.h"
#include "startup/paths.h"
#include "startup/report.h"
#include "startup/users.h"
#include "startup/loader_win.h"

namespace {

void endWithCancel(HWND dialog) {
    app.cancelFlag = 1;
    EndDialog(dialog, 1);
}

void passwordDialogOnOk(HWND dialog) {
    char typed[TYPED_PASSWORD_CAPACITY] = {};
    GetDlgItemTextA(dialog, IDC_PASSWORD_EDIT, typed, sizeof typed);
    const LoginDecision decision = decideLogin(app.header.contentKey, app.passwordCheck.bytes, typed, userList);
    switch (decision.outcome) {
    case LoginOutcome::Master:
    case LoginOutcome::User:
        std::memset(app.header.contentKey, 0, sizeof app.header.contentKey);
        std::memcpy(app.header.contentKey, decision.newContentKey.c_str(), decision.newContentKey.size());
        app.currentUser = decision.user;
        EndDialog(dialog, 1);
        return;
    case LoginOutcome::UserWithoutKey:
        // The account's key was missing at load: it cannot decrypt anything, so it cannot log in.
        showError("ERROR: 98234v", "User %s password corrupt.", decision.user->name.c_str());
        break;
    case LoginOutcome::Wrong:
        break;
    }
    if (askYesNo("Password Incorrect.",
                 "Password incorrect, do you want to try again?\r\n\r\n( case sensitive - make sure \"CAPS LOCK\" "
                 "is not on )") == IDNO)
        endWithCancel(dialog);
}

INT_PTR CALLBACK passwordDialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_PAINT:
        SetFocus(GetDlgItem(dialog, IDC_PASSWORD_EDIT));
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK) passwordDialogOnOk(dialog);
        else if (LOWORD(wp) == IDCANCEL) endWithCancel(dialog);
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK licenceDialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        SetDlgItemTextA(dialog, IDC_LICENCE_EDIT, app.licenceText ? app.licenceText : "");
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK) EndDialog(dialog, 1);
        else if (LOWORD(wp) == IDCANCEL) endWithCancel(dialog);
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK userNoteDialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        if (app.currentUser) {
            char greeting[256];
            formatCut(greeting, sizeof greeting, "Hello %s, the administrator left you this note:",
                          app.currentUser->name.c_str());
            SetDlgItemTextA(dialog, IDC_USERNOTE_GREETING, greeting);
            SetDlgItemTextA(dialog, IDC_USERNOTE_EDIT, app.currentUser->note.c_str());
        }
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) EndDialog(dialog, 1);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

void runPasswordDialog() {
    DialogBoxParamA(app.instance, MAKEINTRESOURCEA(IDD_PASSWORD), nullptr, passwordDialogProc, 0);
}

void runLicenceDialog() {
    DialogBoxParamA(app.instance, MAKEINTRESOURCEA(IDD_LICENCE), nullptr, licenceDialogProc, 0);
}

void runUserNoteDialog() {
    DialogBoxParamA(app.instance, MAKEINTRESOURCEA(IDD_USERNOTE), nullptr, userNoteDialogProc, 0);
}

bool isAccountExpired() {
    SYSTEMTIME now = {};
    GetSystemTime(&now);
    return isExpiredOn(app.currentUser, now.wYear, now.wMonth, now.wDay);
}
