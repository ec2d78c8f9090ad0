// Export: the selected rows of the file list straight into a chosen folder, or a folder of the
// tree (the root: the whole disc) with its whole sub-tree, behind the animated "Exporting..."
// dialog that runs on a thread of its own. The walk itself is planned by the portable core.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "catalogue/catalogue_win.h"
#include "extract/extract.h"
#include "extract/imaging_win.h"
#include "extract/openitem_win.h"
#include "resource.h"
#include "startup/appstate_win.h"
#include "startup/users.h"
#include "ui/commands_win.h"
#include "ui/panes_win.h"

namespace {

constexpr UINT WM_EXPORT_DONE = WM_USER + 100;  // 1124: closes the progress dialog
constexpr UINT_PTR ANIMATION_TIMER = 1;
constexpr UINT ANIMATION_PERIOD_MS = 200;
constexpr int FRAME_X = 50, FRAME_Y = 0, FRAME_WIDTH = 200, FRAME_HEIGHT = 75;
constexpr int32_t FRAME_COUNT = 7;
// The ANSI file functions take MAX_PATH characters with the terminator; CreateDirectoryA keeps
// room for an 8.3 name inside the folder it creates.
constexpr size_t FILE_PATH_LIMIT = MAX_PATH - 1;
constexpr size_t FOLDER_PATH_LIMIT = MAX_PATH - 12 - 1;
constexpr DWORD PROGRESS_THREAD_WAIT_MS = 5000;
const char BROWSE_TITLE[] = "Choose the directory to export too:";

// Shared with the progress thread, one 32-bit value each. The handle is cleared for every
// export, so that the closing message never goes to an earlier export's dialog.
volatile int32_t exportAbortFlag = 0;
PVOID volatile exportProgressWindow = nullptr;
volatile LONG exportFinished = 0;
int32_t animationFrameIndex = 0;  // progress thread only; goes on from export to export
char exportFolderResult[MAX_PATH] = {};

enum class WalkEnd { Finished, Aborted, NotRun };

// "C:\\" as the browser returns a drive: names are joined with their own backslash.
std::string withoutTrailingBackslash(const char* folder) {
    std::string path = folder;
    while (path.size() > 1 && path.back() == '\\') path.pop_back();
    return path;
}

// A name from the disc as a message can show it: control characters become '?'.
std::string shownName(const CryptItem& item) {
    std::string name = nameOf(item);
    for (char& c : name)
        if (static_cast<unsigned char>(c) < 32 || c == 127) c = '?';
    return name;
}

// ---- the progress dialog (progress thread) ----

INT_PTR progressDialogOnInit(HWND dialog) {
    InterlockedExchangePointer(&exportProgressWindow, dialog);
    SetTimer(dialog, ANIMATION_TIMER, ANIMATION_PERIOD_MS, nullptr);
    // The export may have ended before this dialog stored its handle; it then saw no window to
    // close, so the dialog closes itself.
    if (InterlockedCompareExchange(&exportFinished, 0, 0)) PostMessageA(dialog, WM_EXPORT_DONE, 0, 0);
    return TRUE;
}

void progressDialogOnTimer(HWND dialog) {
    RECT frame = {FRAME_X, FRAME_Y, FRAME_X + FRAME_WIDTH, FRAME_Y + FRAME_HEIGHT};
    InvalidateRect(dialog, &frame, FALSE);
    UpdateWindow(dialog);
}

void progressDialogOnPaint(HWND dialog) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(dialog, &ps);
    if (app.animationFrames[animationFrameIndex]) drawBitmap(dc, app.animationFrames[animationFrameIndex], FRAME_X, FRAME_Y);
    animationFrameIndex = (animationFrameIndex + 1) % FRAME_COUNT;
    EndPaint(dialog, &ps);
}

void progressDialogClose(HWND dialog, bool aborted) {
    KillTimer(dialog, ANIMATION_TIMER);
    // Only the Abort button stops the export; the closing message comes after its end.
    if (aborted) exportAbortFlag = 1;
    InterlockedCompareExchangePointer(&exportProgressWindow, nullptr, dialog);
    EndDialog(dialog, 1);
}

INT_PTR CALLBACK progressDialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG: return progressDialogOnInit(dialog);
    case WM_TIMER: progressDialogOnTimer(dialog); return TRUE;
    case WM_PAINT: progressDialogOnPaint(dialog); return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDCANCEL) progressDialogClose(dialog, true);
        return TRUE;
    case WM_EXPORT_DONE: progressDialogClose(dialog, false); return TRUE;
    }
    return FALSE;
}

DWORD WINAPI progressThread(LPVOID) {
    DialogBoxParamA(app.instance, MAKEINTRESOURCEA(IDD_EXPORTING), nullptr, progressDialogProc, 0);
    return 0;
}

HANDLE startProgressDialog() {
    InterlockedExchangePointer(&exportProgressWindow, nullptr);
    InterlockedExchange(&exportFinished, 0);
    DWORD id = 0;
    return CreateThread(nullptr, 0, progressThread, nullptr, 0, &id);
}

// Waits, bounded, for the progress thread to end, letting through the messages it may send to
// this thread's windows while its dialog goes away.
void waitForProgressThread(HANDLE thread) {
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= PROGRESS_THREAD_WAIT_MS) return;
        const DWORD r = MsgWaitForMultipleObjects(1, &thread, FALSE, PROGRESS_THREAD_WAIT_MS - elapsed, QS_SENDMESSAGE);
        if (r != WAIT_OBJECT_0 + 1) return;
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    }
}

void closeProgressDialog(HANDLE thread) {
    InterlockedExchange(&exportFinished, 1);
    HWND dialog = static_cast<HWND>(InterlockedCompareExchangePointer(&exportProgressWindow, nullptr, nullptr));
    // Posted, not sent: a dialog that Abort already closed cannot hold up the GUI thread, and the
    // wait below is bounded.
    if (dialog) PostMessageA(dialog, WM_EXPORT_DONE, 0, 0);
    if (!thread) return;
    waitForProgressThread(thread);
    CloseHandle(thread);
}

// ---- the folder browser ----

int CALLBACK browseCallback(HWND browser, UINT msg, LPARAM lp, LPARAM) {
    char path[MAX_PATH];
    switch (msg) {
    case BFFM_INITIALIZED: {
        const DWORD n = GetCurrentDirectoryA(sizeof path, path);
        if (n > 0 && n < sizeof path) SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(path));
        break;
    }
    case BFFM_SELCHANGED:
        if (SHGetPathFromIDListA(reinterpret_cast<LPCITEMIDLIST>(lp), path))
            SendMessageA(browser, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(path));
        break;
    }
    return 0;
}

// The chosen folder, or an empty text when the user cancelled.
std::string browseForFolder(const char* title) {
    IMalloc* allocator = nullptr;
    if (FAILED(SHGetMalloc(&allocator)) || !allocator) return std::string();
    BROWSEINFOA info = {};
    info.lpszTitle = title;
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT | BIF_NEWDIALOGSTYLE;
    info.lpfn = browseCallback;
    CoInitialize(nullptr);
    std::string result;
    LPITEMIDLIST chosen = SHBrowseForFolderA(&info);
    if (chosen) {
        char path[MAX_PATH] = {};
        if (SHGetPathFromIDListA(chosen, path)) {
            std::memcpy(exportFolderResult, path, sizeof exportFolderResult);
            result = exportFolderResult;
        }
        allocator->Free(chosen);
    }
    allocator->Release();
    return result;
}

// ---- exporting ----

void reportRefused(const ExportStep& step) {
    const std::string name = shownName(*step.item);
    const bool folder = step.item->Kind != KIND_FILE;
    if (step.kind == ExportStepKind::RefusedName) {
        if (folder)
            showError("Error:", "\"%s\" cannot be used as a folder name on this system. The folder and everything in it were not exported.", name.c_str());
        else
            showError("Error:", "\"%s\" cannot be used as a file name on this system. The file was not exported.", name.c_str());
    } else {
        if (folder)
            showError("Error:", "The path of the folder \"%s\" in %s would be too long. The folder and everything in it were not exported.", name.c_str(), step.path.c_str());
        else
            showError("Error:", "The path of \"%s\" in %s would be too long. The file was not exported.", name.c_str(), step.path.c_str());
    }
}

// Writes one item to target with the messages of an export; the result tells an abort apart.
ExtractResult exportFileTo(const CryptItem& item, const std::string& target) {
    const ExtractResult result = extractItemContent(&item, target.c_str(), &exportAbortFlag);
    switch (result) {
    case ExtractResult::Done:
    case ExtractResult::Aborted: break;
    case ExtractResult::ContentNotOpened: showError("Error:(345634)", "Cannot open .dat file."); break;
    case ExtractResult::TargetNotCreated: showError("Error:(34565)", "Cannot create new export file."); break;
    default: reportExtractFailure(result, item); break;
    }
    return result;
}

bool exportFile(const CryptItem* item, const char* folder) {
    if (!item) {
        showError("Error:", "CryptItem was NULL. Aborting.");
        return false;
    }
    if (!folder) {
        showError("Error:", "Could not set destination folder. Aborting.");
        return false;
    }
    const ExportStep step = planFileExport(*item, withoutTrailingBackslash(folder), '\\', FILE_PATH_LIMIT);
    if (step.kind != ExportStepKind::WriteFile) {
        reportRefused(step);
        return false;
    }
    return exportFileTo(*item, step.path) == ExtractResult::Done;
}

// The item of one file-list row, or none for a row without one.
const CryptItem* itemOfListRow(int row) {
    const LIST_ITEM* entry = findListItemByIndex(fileRows, row);
    return entry ? entry->Item : nullptr;
}

// The folder that the export of a tree item makes first, and whether it was made.
struct FolderWalk {
    std::string top;
    bool topMade;
};

bool walkMakeFolder(const std::string& path, void* context) {
    const bool made = makeDirectoryPath(path.c_str());
    if (made) enterFolder(path.c_str());
    FolderWalk* walk = static_cast<FolderWalk*>(context);
    if (made && path == walk->top) walk->topMade = true;
    return made;
}

ExtractResult walkWriteFile(const CryptItem& item, const std::string& target, void*) {
    return exportFileTo(item, target);
}

void walkRefused(const ExportStep& step, void*) {
    reportRefused(step);
}

WalkEnd exportFolder(const CryptItem* item, const char* destination) {
    if (!item) {
        showError("Error:", "item not found.");
        return WalkEnd::NotRun;
    }
    if (!destination) {
        showError("Error:", "No folder given for exporting too.");
        return WalkEnd::NotRun;
    }
    HANDLE progress = startProgressDialog();
    enterFolder(destination);
    makeDirectoryPath(destination);
    enterFolder(destination);
    WalkEnd end = WalkEnd::Finished;
    if (catalogue.items.empty())
        showError("Aborting.", "No root item found.");
    else {
        const std::vector<ExportStep> steps =
            planFolderExport(catalogue, *item, withoutTrailingBackslash(destination), '\\', FILE_PATH_LIMIT,
                             FOLDER_PATH_LIMIT);
        FolderWalk walk = {steps.empty() || steps[0].kind != ExportStepKind::MakeFolder ? std::string() : steps[0].path,
                           false};
        const ExportActions actions = {walkMakeFolder, walkWriteFile, walkRefused, &walk};
        if (runExportPlan(steps, actions, &exportAbortFlag) == ExportEnd::Aborted) end = WalkEnd::Aborted;
        // A folder whose own name was refused, or whose folder could not be made, was not
        // exported at all; the original still said it had been.
        else if (!walk.topMade) end = WalkEnd::NotRun;
    }
    closeProgressDialog(progress);
    return end;
}

void exportSelectedFolder() {
    HTREEITEM selected = TreeView_GetSelection(app.treeView);
    if (!selected) {
        showError("INFO:", "You must select a folder to export it.");
        return;
    }
    const CryptItem* item = itemOfTreeNode(selected);
    if (!item) return;
    const std::string folder = browseForFolder(BROWSE_TITLE);
    if (folder.empty()) return;
    switch (exportFolder(item, folder.c_str())) {
    case WalkEnd::Finished:
        showError("Finished:", "%s has been exported to %s.", nameOf(*item), folder.c_str());
        break;
    case WalkEnd::Aborted:
        showError("Aborted:", "The export was aborted; %s holds the files exported before.", folder.c_str());
        break;
    case WalkEnd::NotRun:
        showError("Error: (633834)", "Cannot export folder/files.");
        break;
    }
}

void exportSelectedRows() {
    const std::string folder = browseForFolder(BROWSE_TITLE);
    if (folder.empty()) return;
    // The rows are taken before the first file: the main window still takes clicks while a
    // message box waits, and a click in the tree refills the list.
    std::vector<const CryptItem*> items;
    forEachSelectedRow(app.fileList, [&items](int row) {
        if (const CryptItem* item = itemOfListRow(row)) items.push_back(item);
    });
    for (const CryptItem* item : items) exportFile(item, folder.c_str());
    showError("Finished:", "File(s) has been exported to %s.", folder.c_str());
}

}  // namespace

void runExportCommand() {
    if (app.currentUser && !(app.currentUser->flags & USER_MAY_EXPORT)) {
        showError("INFO:", "You do not have permissions to export.");
        return;
    }
    if (app.header.flags & FLAG_EXPORT_DISABLED) return;
    // A message box of a running export lets the main window take commands; a second export
    // would share the first one's progress dialog and abort flag.
    static bool exportRunning = false;
    if (exportRunning) {
        showError("INFO:", "An export is already running.");
        return;
    }
    exportRunning = true;
    exportAbortFlag = 0;
    if (app.menuOrigin == 3)
        exportSelectedRows();
    else
        exportSelectedFolder();
    exportRunning = false;
}
