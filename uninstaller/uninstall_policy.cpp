// Path building with length checks and the rule of folders that must never be emptied.
#include "uninstall_policy.h"

#include <cstdio>
#include <cstring>

bool formatPath(char* out, size_t outSize, const char* pattern, const char* folder) {
    if (outSize == 0) return false;
    const int needed = std::snprintf(out, outSize, pattern, folder);
    if (needed < 0 || static_cast<size_t>(needed) >= outSize) {
        out[0] = '\0';
        return false;
    }
    return true;
}

bool joinPath(char* out, size_t outSize, const char* folder, const char* name) {
    const size_t folderLen = std::strlen(folder);
    const size_t nameLen = std::strlen(name);
    if (folderLen + 1 + nameLen + 1 > outSize) {
        if (outSize > 0) out[0] = '\0';
        return false;
    }
    std::memcpy(out, folder, folderLen);
    out[folderLen] = '\\';
    std::memcpy(out + folderLen + 1, name, nameLen + 1);
    return true;
}

std::string folderOfPath(const std::string& path) {
    const size_t cut = path.rfind('\\');
    if (cut == std::string::npos) return std::string();
    return path.substr(0, cut);
}

namespace {

bool isSeparator(char c) { return c == '\\' || c == '/'; }

bool isDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The path in one spelling: lower-case ASCII letters, backslashes, no trailing backslash; a
// drive root becomes "c:", a share root "\\\\server\\share". parts counts the names after the
// drive or share. False when the form cannot be judged safely.
bool canonicalFolder(const std::string& path, std::string* out, size_t* parts) {
    std::string p;
    p.reserve(path.size());
    for (char c : path) p += isSeparator(c) ? '\\' : lowerAscii(c);
    while (!p.empty() && p.back() == '\\') p.pop_back();

    size_t start;
    if (p.size() >= 2 && isDriveLetter(p[0]) && p[1] == ':') {
        if (p.size() > 2 && p[2] != '\\') return false;  // "c:name" is relative to the drive's current folder
        start = 2;
    } else if (p.size() >= 2 && p[0] == '\\' && p[1] == '\\') {
        if (p.size() >= 3 && (p[2] == '?' || p[2] == '.')) return false;  // device namespace
        start = 1;                                                        // server and share count as parts
    } else {
        return false;
    }

    size_t count = 0;
    size_t pos = start;
    while (pos < p.size()) {
        ++pos;  // the backslash before a part
        const size_t end = p.find('\\', pos);
        const std::string part = p.substr(pos, (end == std::string::npos ? p.size() : end) - pos);
        if (part.empty() || part == "." || part == "..") return false;
        if (part.back() == '.' || part.back() == ' ') return false;  // Windows drops these: "Windows." is "Windows"
        ++count;
        pos = (end == std::string::npos) ? p.size() : end;
    }
    if (start == 1) {
        if (count < 2) return false;  // "\\\\server" alone names no folder
        count -= 2;
    }
    *out = p;
    *parts = count;
    return true;
}

// a equals b, or a is a folder above b.
bool isSameOrAbove(const std::string& a, const std::string& b) {
    if (b.size() < a.size() || b.compare(0, a.size(), a) != 0) return false;
    return b.size() == a.size() || b[a.size()] == '\\';
}

}  // namespace

bool isAbsolutePath(const std::string& path) {
    std::string canonical;
    size_t parts = 0;
    return canonicalFolder(path, &canonical, &parts);
}

bool isUsableShellFolder(const char* data, size_t size) {
    const void* end = std::memchr(data, '\0', size);
    if (end == nullptr) return false;
    const std::string text(data);
    return !text.empty() && isAbsolutePath(text);
}

bool mustNotEmpty(const std::string& folder, const ProtectedFolders& guard) {
    std::string candidate;
    size_t parts = 0;
    if (!canonicalFolder(folder, &candidate, &parts)) return true;
    if (parts == 0) return true;  // a drive's or a share's root

    for (const std::string& f : guard.systemFolders) {
        std::string shielded;
        size_t shieldedParts = 0;
        if (!canonicalFolder(f, &shielded, &shieldedParts)) continue;
        if (isSameOrAbove(candidate, shielded) || isSameOrAbove(shielded, candidate)) return true;
    }
    for (const std::string& f : guard.userFolders) {
        std::string shielded;
        size_t shieldedParts = 0;
        if (!canonicalFolder(f, &shielded, &shieldedParts)) continue;
        if (isSameOrAbove(candidate, shielded)) return true;
    }
    return false;
}
