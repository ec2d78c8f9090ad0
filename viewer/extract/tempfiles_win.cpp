#include "extract/tempfiles_win.h"

#include <string>
#include <vector>

#include "startup/appstate_win.h"

namespace {
std::vector<std::string> tempFileList;
}

void rememberTempFile(const char* path) {
    tempFileList.emplace_back(path);
}

void deleteTempFiles() {
    for (const std::string& path : tempFileList)
        if (pathExists(path.c_str())) DeleteFileA(path.c_str());
    tempFileList.clear();
}
