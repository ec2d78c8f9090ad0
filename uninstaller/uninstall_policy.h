// Path rules of the uninstaller, free of Win32: building paths in the program's 255-character
// buffers without ever cutting them, and deciding which folders must never be emptied.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Every path the uninstaller builds fits 255 characters and a terminator.
constexpr size_t PATH_TEXT_SIZE = 256;

// Fills out with pattern, whose one "%s" is replaced by folder. A result that would not fit
// outSize is refused: out becomes empty and the answer is false.
bool formatPath(char* out, size_t outSize, const char* pattern, const char* folder);

// folder + "\\" + name, refused like formatPath when it would not fit.
bool joinPath(char* out, size_t outSize, const char* folder, const char* name);

// The folder part of a file's full path: everything before its last backslash, or "" when
// there is none. "C:\\Prog\\uninstaller.exe" gives "C:\\Prog", "C:\\u.exe" gives "C:".
std::string folderOfPath(const std::string& path);

// A drive path "X:\\..." or a share path "\\\\server\\share...": the only forms whose
// meaning does not depend on the current drive or directory.
bool isAbsolutePath(const std::string& path);

// A shell-folder value as read from the registry: size bytes in data. It is usable only when
// it holds a terminated, non-empty, absolute path.
bool isUsableShellFolder(const char* data, size_t size);

// The folders of a machine that an uninstaller must never empty.
struct ProtectedFolders {
    // The Windows and system folders: neither they, nor a folder inside them, nor one above them.
    std::vector<std::string> systemFolders;
    // Program Files, the user's profile and the like: neither they nor a folder above them.
    std::vector<std::string> userFolders;
};

// True when emptying folder could destroy data that is not the product's: a drive's root, a
// share's root, a protected folder or one above or (for system folders) below it, and any path
// whose form cannot be judged (relative, device namespace, "." or ".." parts, a part ending in a
// dot or space, which Windows drops). Letters compare case-insensitively; trailing backslashes
// and forward slashes are allowed.
bool mustNotEmpty(const std::string& folder, const ProtectedFolders& guard);
