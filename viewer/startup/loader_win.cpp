#include "startup/loader_win.h"

#include <io.h>
#include <fcntl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "extract/imaging_win.h"
#include "resource.h"
#include "startup/appstate_win.h"
#include "startup/font_win.h"
#include "startup/paths.h"
#include "startup/safename.h"
#include "startup/scramble.h"

UserList userList;

namespace {

const char* payloadKey() {
    return app.payloadKey.bytes;
}

bool seekTo(FILE* file, uint64_t offset) {
    return _fseeki64(file, static_cast<__int64>(offset), SEEK_SET) == 0;
}

bool readExactly(FILE* file, uint64_t offset, void* buffer, uint32_t size) {
    return seekTo(file, offset) && std::fread(buffer, 1, size, file) == size;
}

void showCorrupt() {
    showError("Error: (53673224)", "Corrupt! - re-build your Orvanta.");
}

// Opens a new file for writing without ever replacing one that exists: a disc names its
// pictures, and an existing file of that name in the Windows folder must survive the load.
FILE* createNewFile(const char* path) {
    HANDLE handle = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY | _O_WRONLY);
    if (fd < 0) {
        CloseHandle(handle);
        return nullptr;
    }
    FILE* file = _fdopen(fd, "wb");
    if (!file) _close(fd);
    return file;
}

struct PictureSection {
    const SectionSpan* span;
    const char* storedPath;  // field of the header, 255 bytes
    const char* title;
    const char* text;
};

// Writes the section to a temporary file named after the stored picture, loads it and deletes
// the file. The Windows folder comes first; a user who may not write there gets the user's
// temporary folder.
bool loadPicture(FILE* viewer, const PictureSection& section, HBITMAP* bitmap, int32_t* width, int32_t* height) {
    char stored[TEXT_FIELD_SIZE + 1] = {};
    std::memcpy(stored, section.storedPath, TEXT_FIELD_SIZE);
    const char* name = fileNameOf(stored);
    if (!name) name = stored;
    // An unsafe name (".." or one holding "/" or ":") would put the file elsewhere: a fixed
    // name keeps the last letter that tells a bitmap from other formats.
    char safeName[32];
    if (!isSafeFileName(name)) {
        const size_t len = std::strlen(name);
        const bool bitmapName = len > 0 && (name[len - 1] == 'p' || name[len - 1] == 'P');
        std::snprintf(safeName, sizeof safeName, "orvanta-picture.%s", bitmapName ? "bmp" : "img");
        name = safeName;
    }

    char folders[2][MAX_PATH] = {};
    GetWindowsDirectoryA(folders[0], 255);
    GetTempPathA(sizeof folders[1], folders[1]);
    size_t tempLength = std::strlen(folders[1]);
    if (tempLength > 0 && folders[1][tempLength - 1] == '\\') folders[1][tempLength - 1] = 0;

    char path[MAX_PATH] = {};
    FILE* out = nullptr;
    for (const char* folder : folders) {
        if (!folder[0]) continue;
        const int n = std::snprintf(path, sizeof path, "%s\\%s", folder, name);
        if (n < 0 || n >= static_cast<int>(sizeof path)) continue;
        out = createNewFile(path);
        if (out) break;
    }
    if (!out) {
        showError(section.title, section.text, path);
        return false;
    }
    const bool copied = seekTo(viewer, section.span->offset) &&
                        decryptXorStream(payloadKey(), out, viewer, section.span->size) == StreamResult::Done;
    std::fclose(out);

    if (copied) {
        const size_t len = std::strlen(path);
        if (len > 0 && (path[len - 1] == 'P' || path[len - 1] == 'p')) {
            *bitmap = static_cast<HBITMAP>(LoadImageA(nullptr, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
            if (*bitmap) {
                clearAlphaBytes(*bitmap);
                BITMAP info = {};
                GetObjectA(*bitmap, sizeof info, &info);
                *width = info.bmWidth;
                *height = info.bmHeight;
            }
        } else {
            *bitmap = loadPictureFile(path, width, height);
        }
    }
    DeleteFileA(path);
    return true;
}

bool readUsers(FILE* viewer) {
    if (app.trailer.userCount == 0) return true;
    std::vector<uint8_t> section(app.sections.users.size);
    if (!readExactly(viewer, app.sections.users.offset, section.data(), app.sections.users.size)) return false;
    std::vector<ParsedUser> records;
    if (parseUserSection(section.data(), app.sections.users.size, app.trailer.userCount, payloadKey(), &records) !=
        UserParseResult::Ok)
        return false;
    for (const ParsedUser& record : records) addUser(userList, record);
    return true;
}

bool readLicence(FILE* viewer) {
    const uint32_t size = app.sections.licence.size;
    app.licenceText = static_cast<char*>(std::malloc(static_cast<size_t>(size) + 50));
    if (!app.licenceText) {
        showError("Error: (135235)", "Cannot Allocate EULA.");
        return false;
    }
    std::memset(app.licenceText, 0, static_cast<size_t>(size) + 40);
    if (!readExactly(viewer, app.sections.licence.offset, app.licenceText, size)) {
        showCorrupt();
        return false;
    }
    xorFold(payloadKey(), reinterpret_cast<uint8_t*>(app.licenceText), static_cast<int32_t>(size));
    return true;
}

bool readFont(FILE* viewer) {
    const uint32_t size = app.sections.font.size;
    unsigned char* bytes = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(size) + 50));
    if (!bytes) {
        showError("Error: (135235)", "Cannot Allocate Custom Font.");
        return false;
    }
    std::memset(bytes, 0, static_cast<size_t>(size) + 40);
    if (!readExactly(viewer, app.sections.font.offset, bytes, size)) {
        std::free(bytes);
        showCorrupt();
        return false;
    }
    xorFold(payloadKey(), bytes, static_cast<int32_t>(size));
    writeCustomFont(bytes, size);
    std::free(bytes);
    return true;
}

// Everything read from the viewer file, in the loader's order; the caller closes the file.
bool readPayload(FILE* viewer) {
    _fseeki64(viewer, 0, SEEK_END);
    const __int64 fileSize = _ftelli64(viewer);
    uint8_t tail[TRAILER_SIZE] = {};
    const bool haveTail = fileSize >= TRAILER_SIZE &&
                          readExactly(viewer, static_cast<uint64_t>(fileSize) - TRAILER_SIZE, tail, TRAILER_SIZE);
    if (!haveTail || payloadLayout(tail, static_cast<uint64_t>(fileSize), &app.trailer, &app.sections) != LayoutResult::Ok) {
        showCorrupt();
        return false;
    }

    uint8_t stored[HEADER_SIZE];
    if (!readExactly(viewer, app.sections.header.offset, stored, HEADER_SIZE)) {
        showCorrupt();
        return false;
    }
    unfoldHeader(stored, payloadKey(), &app.header);

    if (!readUsers(viewer)) {
        showCorrupt();
        return false;
    }
    const uint32_t flags = app.header.flags;
    if ((flags & FLAG_LICENCE) && !readLicence(viewer)) return false;

    if (flags & FLAG_BACKGROUND) {
        const PictureSection s = {&app.sections.background, app.header.backgroundPath, "Error: (823409b)",
                                  "Cannot load background image [%s]. Aborting."};
        if (!loadPicture(viewer, s, &app.background, &app.backgroundWidth, &app.backgroundHeight)) return false;
    }
    if (flags & FLAG_LOGO) {
        const PictureSection s = {&app.sections.logo, app.header.logoPath, "Error: (823409c)",
                                  "Cannot load logo image [%s]. Aborting."};
        if (!loadPicture(viewer, s, &app.logo, &app.logoWidth, &app.logoHeight)) return false;
    }
    if ((flags & FLAG_CUSTOM_ABOUT) && (flags & FLAG_ABOUT_PICTURE)) {
        const PictureSection s = {&app.sections.about, app.header.aboutPath, "Error: (823409a)",
                                  "Cannot load logo image [%s]. Aborting."};
        if (!loadPicture(viewer, s, &app.aboutPicture, &app.aboutWidth, &app.aboutHeight)) return false;
    }
    if ((app.header.textFlags & TEXT_CUSTOM_FONT) && !readFont(viewer)) return false;
    return true;
}

bool loadOwnResources() {
    const int rootIcons[3] = {IDI_ROOT, IDI_FOLDER, IDI_FOLDER_OPEN};
    for (int i = 0; i < 3; ++i) {
        app.icons[i] = LoadIconA(app.instance, MAKEINTRESOURCEA(rootIcons[i]));
        if (!app.icons[i]) {
            showError("Error: 123", "Cannot load Root icon");
            return false;
        }
    }
    app.icons[3] = LoadIconA(app.instance, MAKEINTRESOURCEA(IDI_FILE));
    if (!app.icons[3]) {
        showError("Error: 124", "Cannot load icon 778");
        return false;
    }
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    for (int i = 0; i < IDB_ANIM_COUNT; ++i) {
        HBITMAP art = LoadBitmapA(app.instance, MAKEINTRESOURCEA(IDB_ANIM_FIRST + i));
        app.animationFrames[i] = composeOnColour(art, face);
        if (art) DeleteObject(art);
        if (!app.animationFrames[i]) {
            showError("Error: 91", "Cannot load bitmap 18");
            return false;
        }
    }
    return true;
}

}  // namespace

void unscrambleStoredValues() {
    xorFold(storedvalues::storeText, reinterpret_cast<uint8_t*>(app.passwordCheck.bytes),
            storedvalues::PASSWORD_CHECK_LENGTH);
    xorFold(storedvalues::storeText, reinterpret_cast<uint8_t*>(app.payloadKey.bytes),
            storedvalues::PAYLOAD_KEY_LENGTH);
    xorFold(storedvalues::storeText, reinterpret_cast<uint8_t*>(app.aboutLinkTarget.bytes),
            storedvalues::ABOUT_LINK_TARGET_LENGTH);
}

bool loadPayload() {
    std::memset(&app.header, 0, sizeof app.header);
    std::free(app.licenceText);
    app.licenceText = nullptr;

    const DWORD n = GetModuleFileNameA(nullptr, app.viewerPath, 255);
    app.viewerPath[n < 255 ? n : 255] = 0;
    FILE* viewer = n ? std::fopen(app.viewerPath, "rb") : nullptr;
    if (!viewer) {
        showError("Error: (522523)", "Cannot open viewer file for reading. Aborting.");
        return false;
    }
    const bool ok = readPayload(viewer);
    std::fclose(viewer);
    return ok && loadOwnResources();
}
