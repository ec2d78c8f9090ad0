#include "startup/font_win.h"

#include <cstdio>
#include <cstring>

#include "startup/appstate_win.h"
#include "startup/paths.h"
#include "startup/safename.h"

const char* getFontsFolder() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                      0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return nullptr;
    DWORD size = sizeof app.fontsFolder - 1;
    DWORD type = 0;
    std::memset(app.fontsFolder, 0, sizeof app.fontsFolder);
    const LONG result = RegQueryValueExA(key, "Fonts", nullptr, &type,
                                         reinterpret_cast<BYTE*>(app.fontsFolder), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || app.fontsFolder[0] == 0) return nullptr;
    return app.fontsFolder;
}

void installFont(const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Fonts", 0,
                      KEY_ALL_ACCESS, &key) != ERROR_SUCCESS &&
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", 0,
                      KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
        showError("Error:(67345526)", "Cannot set custom font.");
        return;
    }
    if (!fileNameOf(path)) {
        RegCloseKey(key);
        showError("Error:(67345524)", "cannot get fontfilename from path.");
        return;
    }
    RegSetValueExA(key, app.header.fontFaceName, 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(app.header.fontFileName), TEXT_FIELD_SIZE);
    RegCloseKey(key);
    AddFontResourceA(path);
    SendMessageA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0);
}

void writeCustomFont(const unsigned char* bytes, unsigned size) {
    const char* folder = getFontsFolder();
    // Without a Fonts folder there is nowhere to put the font: the splash falls back to the
    // face the system gives.
    if (!folder) return;
    char name[TEXT_FIELD_SIZE + 1] = {};
    std::memcpy(name, app.header.fontFileName, TEXT_FIELD_SIZE);
    // The name comes from the disc: anything but a plain file name could write outside the
    // Fonts folder, so such a font is skipped like one that cannot be created.
    if (!isSafeFileName(name)) return;
    char path[MAX_PATH];
    const int n = std::snprintf(path, sizeof path, "%s\\%s", folder, name);
    if (n < 0 || n >= static_cast<int>(sizeof path)) return;
    if (pathExists(path)) return;
    FILE* out = std::fopen(path, "wb");
    if (!out) return;
    const size_t written = std::fwrite(bytes, 1, size, out);
    const bool closed = std::fclose(out) == 0;
    if (written != size || !closed) {
        // A half-written font would stop every later start from writing it properly.
        DeleteFileA(path);
        return;
    }
    installFont(path);
}
