// Fuzzes the header block: the input is the stored (folded) 5652 bytes, zero-padded when shorter.
// Then the splash text is measured and cut into lines, and its origin is placed on a few screens
// with the header's own numbers, as the splash painting does.
#include <cstdint>
#include <string>
#include <vector>

#include "extract/splashlayout.h"
#include "fuzzcheck.h"
#include "startup/paths.h"
#include "startup/payload.h"
#include "startup/safename.h"
#include "startup/scramble.h"

namespace {

size_t fieldLength(const char* field, size_t size) {
    const void* zero = std::memchr(field, 0, size);
    return zero ? static_cast<size_t>(static_cast<const char*>(zero) - field) : size;
}

void checkFields(const uint8_t* stored, const PayloadHeader& h) {
    // Unfolding XORs every byte with the same key byte; the header's layout is its byte layout,
    // and only the last byte of each text field may differ (it becomes the terminator).
    uint8_t plain[HEADER_SIZE];
    std::memcpy(plain, stored, HEADER_SIZE);
    xorFold(payloadKey(), plain, static_cast<int32_t>(HEADER_SIZE));
    PayloadHeader expected;
    std::memcpy(&expected, plain, HEADER_SIZE);
    char* texts[] = {expected.fontFileName, expected.fontFaceName, expected.backgroundPath, expected.logoPath,
                     expected.aboutPath, expected.aboutLines[0], expected.aboutLines[1], expected.aboutLines[2],
                     expected.contentKey};
    for (char* t : texts) t[TEXT_FIELD_SIZE - 1] = 0;
    expected.splashText[SPLASH_TEXT_SIZE - 1] = 0;
    FUZZ_CHECK(std::memcmp(&expected, &h, HEADER_SIZE) == 0);

    const char* fields[] = {h.fontFileName, h.fontFaceName, h.backgroundPath, h.logoPath, h.aboutPath,
                            h.aboutLines[0], h.aboutLines[1], h.aboutLines[2], h.contentKey};
    for (const char* f : fields) FUZZ_CHECK(fieldLength(f, TEXT_FIELD_SIZE) < TEXT_FIELD_SIZE);
    FUZZ_CHECK(fieldLength(h.splashText, SPLASH_TEXT_SIZE) < SPLASH_TEXT_SIZE);
}

void checkSplashText(const char* text) {
    const size_t length = std::strlen(text);
    size_t breaks = 0, crs = 0;
    for (size_t i = 0; i < length; ++i) {
        breaks += text[i] == '\r' || text[i] == '\n';
        crs += text[i] == '\r';
    }

    const TextExtent extent = measureSplashText(text);
    FUZZ_CHECK(extent.lineCount == static_cast<int32_t>(crs));
    FUZZ_CHECK(extent.widestLine >= 0 && static_cast<size_t>(extent.widestLine) <= length);

    // Every drawn line is a non-empty stretch between line breaks, cut at 1023 characters; the
    // text after the last break is not drawn.
    const std::vector<std::string> lines = splashLines(text);
    FUZZ_CHECK(lines.size() <= breaks);
    std::vector<std::string> expected;
    std::string run;
    for (size_t i = 0; i < length; ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (!run.empty()) expected.push_back(run.substr(0, 1023));
            run.clear();
        } else {
            run.push_back(text[i]);
        }
    }
    FUZZ_CHECK(lines == expected);
}

void checkPlacement(const PayloadHeader& h, const char* text) {
    const TextExtent extent = measureSplashText(text);
    struct Screen {
        int32_t W, H;
    };
    const Screen screens[] = {{640, 480}, {1920, 1080}, {7680, 4320}};
    // The header asks for a font height; the system's font may come out as large as asked.
    const int32_t halfHeight = h.fontHeight / 2;
    const int32_t averageWidths[] = {8, halfHeight < 0 ? -(halfHeight + 1) : halfHeight};
    const uint32_t positionBits = TEXT_TOP_LEFT | TEXT_TOP_CENTRE | TEXT_BOTTOM_LEFT | TEXT_BOTTOM_CENTRE | TEXT_CENTRED;
    for (const Screen& s : screens) {
        for (int32_t averageWidth : averageWidths) {
            const Placement p =
                splashTextOrigin(h.textFlags, s.W, s.H, h.fontHeight, averageWidth, extent, h.textX, h.textY);
            if (h.textFlags & TEXT_TOP_LEFT) FUZZ_CHECK(p.x == 0 && p.y == 0);
            if (!(h.textFlags & positionBits)) FUZZ_CHECK(p.x == h.textX && p.y == h.textY);
        }
    }
    const int32_t pitch = splashLinePitch(h.fontHeight);
    if (h.fontHeight >= 0) FUZZ_CHECK(pitch >= h.fontHeight);
    if (h.fontHeight <= 0) FUZZ_CHECK(pitch <= h.fontHeight);
}

// A name from the header that passes as safe joins a folder as one plain name: the pictures'
// temporary files and the font file.
void checkNamesFromHeader(const PayloadHeader& h) {
    std::vector<std::string> names = {h.fontFileName};
    for (const char* path : {h.backgroundPath, h.logoPath, h.aboutPath}) {
        const char* name = fileNameOf(path);
        FUZZ_CHECK(!name || (name > path && name[-1] == '\\' && std::strchr(name, '\\') == nullptr));
        names.push_back(name ? name : path);
    }
    for (const std::string& name : names) {
        if (!isSafeFileName(name.c_str())) continue;
        FUZZ_CHECK(name.find_first_of("\\/:") == std::string::npos && name != "." && name != "..");
        FUZZ_CHECK(!namesDevice(name));
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    quietReports();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    reportLog().titles.clear();
    uint8_t stored[HEADER_SIZE] = {};
    std::memcpy(stored, data, size < HEADER_SIZE ? size : HEADER_SIZE);
    PayloadHeader header;
    unfoldHeader(stored, payloadKey(), &header);
    checkFields(stored, header);
    checkSplashText(header.splashText);
    checkPlacement(header, header.splashText);
    checkNamesFromHeader(header);
    return 0;
}
