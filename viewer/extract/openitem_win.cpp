#include "extract/openitem_win.h"

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <direct.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>

#include "extract/tempfiles_win.h"
#include "startup/appstate_win.h"
#include "startup/paths.h"
#include "ui/panes_win.h"

namespace {

constexpr size_t TEMP_PATH_CAPACITY = 255;

void openSelectedRows(const char* program) {
    forEachSelectedRow(app.fileList, [program](int row) {
        const LIST_ITEM* entry = findListItemByKey(fileRows, row);
        if (!entry) return;
        ListView_SetSelectionMark(app.fileList, row);
        if (entry->Item && canOpenKind(entry->Item->Kind)) openItem(entry->Item, program);
    });
}

}  // namespace

void enterFolder(const char* path) {
    if (!path || !path[0]) return;
    char letter = path[0];
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    if (letter >= 'A' && letter <= 'Z') _chdrive(letter - 64);
    SetCurrentDirectoryA(path);
}

void enterViewerFolder() {
    char folder[sizeof app.viewerPath];
    std::memcpy(folder, app.viewerPath, sizeof folder);
    cutAtFileName(folder);
    enterFolder(folder);
}

bool makeDirectoryPath(const char* path) {
    std::string built;
    bool first = true;
    const char* p = path;
    // A network path's root is "\\server\share", which is neither tested nor created; taken
    // apart at every backslash it would become a path relative to the current directory.
    if (p[0] == '\\' && p[1] == '\\') {
        p += 2;
        for (int part = 0; part < 2; ++part) {
            while (*p == '\\') ++p;
            while (*p && *p != '\\') ++p;
        }
        built.assign(path, p);
        first = false;
    }
    while (*p) {
        while (*p == '\\') ++p;
        const char* start = p;
        while (*p && *p != '\\') ++p;
        if (p == start) break;
        const std::string component(start, p);
        if (first) {
            built = component;  // the drive is neither tested nor created
            first = false;
            continue;
        }
        built += '\\';
        built += component;
        if (!pathExists(built.c_str()) && !CreateDirectoryA(built.c_str(), nullptr)) {
            MessageBoxA(nullptr, built.c_str(), "Error Making Dir...(4311)", MB_OK);
            return false;
        }
    }
    return true;
}

ExtractResult extractItemContent(const CryptItem* item, const char* target, const volatile int32_t* abortFlag) {
    enterViewerFolder();
    const char* contentPath = item->hasContentPath ? item->ContentPath.c_str() : "";
    return extractItemContentTo(*item, contentPath, app.header.contentKey, target, abortFlag);
}

void reportExtractFailure(ExtractResult result, const CryptItem& item) {
    switch (result) {
    case ExtractResult::ContentNotOpened:
        // The original opened nothing and said nothing when the data file was missing.
        showError("Error:(345634)", "Cannot open .dat file.");
        break;
    case ExtractResult::ContentTooShort:
        showError("Error:", "The data file of \"%s\" ends before its content. Nothing was written.", nameOf(item));
        break;
    case ExtractResult::UnsupportedMethod:
        showError("Error:", "\"%s\" is encrypted with a method this viewer cannot undo. Nothing was written.",
                  nameOf(item));
        break;
    case ExtractResult::WriteFailed:
        showError("Error:", "Cannot write \"%s\" (is the disk full?). Nothing was kept.", nameOf(item));
        break;
    default:
        break;
    }
}

void openItem(const CryptItem* item, const char* program) {
    if (!item) return;
    char temp[MAX_PATH] = {};
    GetWindowsDirectoryA(temp, 255);
    std::strncat(temp, "\\Temp", sizeof temp - std::strlen(temp) - 1);
    if (!pathExists(temp) && !makeDirectoryPath(temp)) return;

    // The name comes from the disc: only a plain file name may join the temporary folder, and a
    // path too long for the buffer is refused rather than cut.
    const ExportStep target = planFileExport(*item, temp, '\\', TEMP_PATH_CAPACITY);
    if (target.kind == ExportStepKind::RefusedName) {
        showError("Error:", "The file name \"%s\" cannot be used on this system. The file was not opened.", nameOf(*item));
        return;
    }
    if (target.kind == ExportStepKind::RefusedLength) {
        showError("Error:", "The file name \"%s\" is too long to open. The file was not opened.", nameOf(*item));
        return;
    }
    rememberTempFile(target.path.c_str());
    const ExtractResult result = extractItemContent(item, target.path.c_str());
    if (result != ExtractResult::Done) {
        reportExtractFailure(result, *item);
        return;
    }
    if (program)
        ShellExecuteA(nullptr, "open", program, target.path.c_str(), nullptr, SW_SHOWNORMAL);
    else
        ShellExecuteA(nullptr, "open", target.path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

const char* chooseProgram() {
    static char result[1024];
    static OPENFILENAMEA ofn;
    std::memset(result, 0, sizeof result);
    std::memset(&ofn, 0, sizeof ofn);
    ofn.lStructSize = 76;  // the structure without the fields added later, as older systems expect
    ofn.hInstance = app.instance;
    ofn.lpstrFilter = "Program Files (*.exe)\0*.exe\0\0";
    ofn.lpstrFile = result;
    ofn.nMaxFile = 260;
    ofn.lpstrDefExt = "*";
    ofn.Flags = OFN_HIDEREADONLY | OFN_NODEREFERENCELINKS;
    GetOpenFileNameA(&ofn);
    return result;
}

void runOpenCommand() {
    openSelectedRows(nullptr);
}

void runOpenWithCommand() {
    char program[260] = {};
    std::snprintf(program, sizeof program, "%s", chooseProgram());
    if (!program[0]) return;
    openSelectedRows(program);
}
