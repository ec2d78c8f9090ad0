// Emptying a folder tree with full paths: files are deleted, sub-folders emptied and removed,
// links removed as links. What cannot be deleted stays, and so do the folders above it.
#include <windows.h>

#include <cstring>

#include "uninstall_policy.h"
#include "uninstaller_win.h"

void removeEmptiedFolder(const char* folder) {
    const DWORD attrs = GetFileAttributesA(folder);
    if (attrs == INVALID_FILE_ATTRIBUTES) return;
    // A read-only folder refuses removal on Windows, yet its read-only bit is only a shell
    // marker: clear it, and restore it if the folder stays for another reason.
    const bool readOnly = (attrs & FILE_ATTRIBUTE_READONLY) != 0;
    if (readOnly) SetFileAttributesA(folder, attrs & ~FILE_ATTRIBUTE_READONLY);
    if (!RemoveDirectoryA(folder) && readOnly) SetFileAttributesA(folder, attrs);
}

namespace {

void emptyFolderTree(const char* folder) {
    char pattern[PATH_TEXT_SIZE];
    if (!formatPath(pattern, sizeof pattern, "%s\\*.*", folder)) return;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(pattern, &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        char entry[PATH_TEXT_SIZE];
        // An entry whose full path would not fit stays rather than being reached by a cut path.
        if (!joinPath(entry, sizeof entry, folder, found.cFileName)) continue;
        const DWORD attrs = found.dwFileAttributes;
        if (attrs & FILE_ATTRIBUTE_REPARSE_POINT) {
            // A junction or symbolic link is never followed: emptying through it would delete
            // files of a folder outside this tree. Removing it leaves its target untouched.
            if (attrs & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveDirectoryA(entry);
            } else {
                DeleteFileA(entry);
            }
        } else if (attrs & FILE_ATTRIBUTE_DIRECTORY) {
            if (found.cFileName[0] == '.') continue;
            emptyFolderTree(entry);
            removeEmptiedFolder(entry);
        } else {
            DeleteFileA(entry);
        }
    } while (FindNextFileA(find, &found));
    FindClose(find);
}

}  // namespace

void emptyFolder(const char* folder) {
    // Full paths instead of walking the current directory: the walk needs no drive change, works
    // for share paths, and leaves the process's current directory as it was.
    char start[PATH_TEXT_SIZE];
    const size_t len = std::strlen(folder);
    if (len == 0 || len >= sizeof start) return;
    std::memcpy(start, folder, len + 1);
    for (size_t end = len; end > 0 && start[end - 1] == '\\'; --end) start[end - 1] = '\0';
    const DWORD attrs = GetFileAttributesA(start);
    if (attrs == INVALID_FILE_ATTRIBUTES || !(attrs & FILE_ATTRIBUTE_DIRECTORY)) return;
    emptyFolderTree(start);
}
