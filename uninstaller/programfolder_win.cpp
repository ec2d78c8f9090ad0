// The program folder: the folder that holds the uninstaller. It is emptied and removed unless
// it is one of the machine's own folders; the uninstaller's file and the folder then go at the
// next start of Windows.
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "uninstall_policy.h"
#include "uninstaller_win.h"

namespace {

// The long form of a path, so that "C:\\PROGRA~1" and "C:\\Program Files" compare equal.
std::string longPathOf(const char* path) {
    char longPath[MAX_PATH];
    const DWORD n = GetLongPathNameA(path, longPath, sizeof longPath);
    if (n == 0 || n >= sizeof longPath) return path;
    return longPath;
}

void addFolder(std::vector<std::string>* list, const char* path) {
    if (path[0] != '\0') list->push_back(longPathOf(path));
}

void addSystemFolder(std::vector<std::string>* list, UINT (WINAPI *get)(LPSTR, UINT)) {
    char path[MAX_PATH];
    const UINT n = get(path, sizeof path);
    if (n > 0 && n < sizeof path) addFolder(list, path);
}

void addShellFolder(std::vector<std::string>* list, int csidl) {
    char path[MAX_PATH];
    if (SUCCEEDED(SHGetFolderPathA(nullptr, csidl, nullptr, 0, path))) addFolder(list, path);
}

void addRegistryFolder(std::vector<std::string>* list, HKEY root, const char* keyName, const char* valueName) {
    HKEY key;
    if (RegOpenKeyExA(root, keyName, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return;
    }
    char path[MAX_PATH];
    DWORD size = sizeof path - 1;
    if (RegQueryValueExA(key, valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(path), &size) == ERROR_SUCCESS) {
        path[size] = '\0';
        addFolder(list, path);
    }
    RegCloseKey(key);
}

ProtectedFolders machineFolders() {
    ProtectedFolders guard;
    addSystemFolder(&guard.systemFolders, GetWindowsDirectoryA);
    addSystemFolder(&guard.systemFolders, GetSystemWindowsDirectoryA);
    addSystemFolder(&guard.systemFolders, GetSystemDirectoryA);
    addSystemFolder(&guard.systemFolders, GetSystemWow64DirectoryA);
    const int userFolders[] = {
        CSIDL_PROGRAM_FILES,   CSIDL_PROGRAM_FILES_COMMON,    CSIDL_PROFILE,      CSIDL_PERSONAL,
        CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_COMMON_DOCUMENTS, CSIDL_APPDATA,
        CSIDL_LOCAL_APPDATA,   CSIDL_COMMON_APPDATA,          CSIDL_STARTMENU,    CSIDL_COMMON_STARTMENU,
        CSIDL_PROGRAMS,        CSIDL_COMMON_PROGRAMS,         CSIDL_MYMUSIC,      CSIDL_MYPICTURES,
        CSIDL_MYVIDEO,         CSIDL_FAVORITES,               CSIDL_INTERNET_CACHE,
    };
    for (int csidl : userFolders) addShellFolder(&guard.userFolders, csidl);
    // A 32-bit program on 64-bit Windows is told the "(x86)" folder; the other one is in the registry.
    const char* currentVersion = "Software\\Microsoft\\Windows\\CurrentVersion";
    addRegistryFolder(&guard.userFolders, HKEY_LOCAL_MACHINE, currentVersion, "ProgramFilesDir");
    addRegistryFolder(&guard.userFolders, HKEY_LOCAL_MACHINE, currentVersion, "ProgramW6432Dir");
    addRegistryFolder(&guard.userFolders, HKEY_LOCAL_MACHINE, currentVersion, "CommonFilesDir");
    // Downloads has no folder number of its own; the shell keeps its path under its known id.
    addRegistryFolder(&guard.userFolders, HKEY_CURRENT_USER,
                      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                      "{374DE290-123F-4565-9164-39C4925E467B}");
    char temp[MAX_PATH];
    const DWORD n = GetTempPathA(sizeof temp, temp);
    if (n > 0 && n < sizeof temp) addFolder(&guard.userFolders, temp);
    return guard;
}

// The running uninstaller cannot delete its own file. Windows deletes it, and then the folder
// if it is empty by then, when it next starts; this needs administrator rights and is silently
// skipped without them. Nothing but these two exact paths is ever named.
void removeAfterRestart(const char* exePath, const char* folder) {
    if (GetFileAttributesA(exePath) != INVALID_FILE_ATTRIBUTES) {
        MoveFileExA(exePath, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
    if (GetFileAttributesA(folder) != INVALID_FILE_ATTRIBUTES) {
        MoveFileExA(folder, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
}

}  // namespace

void removeProgramFolder() {
    char exePath[PATH_TEXT_SIZE];
    const DWORD n = GetModuleFileNameA(nullptr, exePath, sizeof exePath);
    // A cut module path would name some other folder.
    if (n == 0 || n >= sizeof exePath) return;
    const std::string folder = folderOfPath(exePath);
    if (folder.empty()) return;
    // The uninstaller may have been copied anywhere: a drive's root or a folder of the system or
    // of the user is never emptied, whatever file sits in it.
    // Both spellings are judged: "C:" alone would read as the drive's current folder in long form.
    const ProtectedFolders guard = machineFolders();
    if (mustNotEmpty(folder, guard) || mustNotEmpty(longPathOf(folder.c_str()), guard)) return;
    emptyFolder(folder.c_str());
    SetCurrentDirectoryA("\\");
    removeEmptiedFolder(folder.c_str());
    removeAfterRestart(exePath, folder.c_str());
}
