// Where the built viewer.exe lies, seen from a Windows-side test program of the same tree.
#pragma once

#include <windows.h>

#include <string>

inline std::string viewerPath() {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string path(self);
    path.resize(path.find_last_of("\\/") + 1);
    return path + "..\\..\\viewer\\viewer.exe";
}
