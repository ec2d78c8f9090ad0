// The uninstaller's entry point and main sequence: confirmation, warning, registry entry,
// shortcuts, Start-menu folders, program folder, completion. It has no window of its own.
#include <windows.h>
#include <shlwapi.h>

#include "uninstall_policy.h"
#include "uninstaller_win.h"

namespace {

const char CONFIRM_TEXT[] = "Are you sure you want to remove Orvanta 4.0 from your computer?";
const char CONFIRM_TITLE[] = "Are you Sure?";
const char WARNING_TEXT[] = "Please make sure Orvanta 4 is not curently running";
const char DONE_TEXT[] = "Orvanta 4 has been removed from your computer";
const char INFO_TITLE[] = "INFO:";
const char UNINSTALL_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Orvanta4";
const char SHELL_FOLDERS_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// Both shell-folder paths live for the whole run.
char desktopFolder[PATH_TEXT_SIZE];
char startMenuFolder[PATH_TEXT_SIZE];

}  // namespace

const char* getShellFolder(const char* valueName, char* buffer, size_t bufferSize) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SHELL_FOLDERS_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS) return nullptr;
    DWORD size = static_cast<DWORD>(bufferSize - 1);
    const LONG result = RegQueryValueExA(key, valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) return nullptr;
    // The registry does not promise a terminator, and an empty or relative value would make
    // the built paths point at the current drive's root or folder: such a value counts as missing.
    buffer[size] = '\0';
    if (!isUsableShellFolder(buffer, size + 1)) {
        buffer[0] = '\0';
        return nullptr;
    }
    return buffer;
}

namespace {

void deleteFileAt(const char* pattern, const char* folder) {
    char path[PATH_TEXT_SIZE];
    if (formatPath(path, sizeof path, pattern, folder)) DeleteFileA(path);
}

void removeProductMenuFolder(const char* startMenu) {
    char folder[PATH_TEXT_SIZE];
    if (!formatPath(folder, sizeof folder, "%s\\Halvercot Software\\Orvanta4", startMenu)) return;
    const DWORD attrs = GetFileAttributesA(folder);
    if (attrs == INVALID_FILE_ATTRIBUTES) return;
    // A link in place of the folder is removed as a link: its target is not ours to empty.
    if (!(attrs & FILE_ATTRIBUTE_REPARSE_POINT)) {
        SetFileAttributesA(folder, FILE_ATTRIBUTE_NORMAL);
        emptyFolder(folder);
    }
    SetCurrentDirectoryA("\\");
    RemoveDirectoryA(folder);
}

void removeMakerMenuFolder(const char* startMenu) {
    char folder[PATH_TEXT_SIZE];
    if (!formatPath(folder, sizeof folder, "%s\\Halvercot Software", startMenu)) return;
    SetCurrentDirectoryA("\\");
    RemoveDirectoryA(folder);  // only when empty: another product of the maker keeps it
}

}  // namespace

void removeShortcutsAndMenuFolders() {
    if (getShellFolder("Desktop", desktopFolder, sizeof desktopFolder)) {
        deleteFileAt("%s\\Orvanta4.lnk", desktopFolder);
    }
    if (getShellFolder("Start Menu", startMenuFolder, sizeof startMenuFolder)) {
        deleteFileAt("%s\\Orvanta4\\Orvanta4.lnk", startMenuFolder);
        removeProductMenuFolder(startMenuFolder);
        removeMakerMenuFolder(startMenuFolder);
    }
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (MessageBoxA(nullptr, CONFIRM_TEXT, CONFIRM_TITLE, MB_YESNO) != IDYES) return 0;
    MessageBoxA(nullptr, WARNING_TEXT, INFO_TITLE, MB_OK);
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY);
    removeShortcutsAndMenuFolders();
    removeProgramFolder();
    MessageBoxA(nullptr, DONE_TEXT, INFO_TITLE, MB_OK);
    return 0;
}
