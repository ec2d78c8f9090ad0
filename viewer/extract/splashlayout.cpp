#include "extract/splashlayout.h"

#include "startup/payload.h"

std::vector<Placement> backgroundPlacements(uint32_t flags, int32_t W, int32_t H, int32_t w, int32_t h) {
    std::vector<Placement> out;
    if (flags & FLAG_BG_QUARTERS) {
        const int32_t hw = W / 2, hh = H / 2;
        out = {{0, 0, hw, hh}, {hw, 0, hw, hh}, {0, H - hh, hw, hh}, {hw, H - hh, hw, hh}};
    } else if (flags & FLAG_BG_TILED) {
        if (w <= 0 || h <= 0) return out;
        for (int32_t y = 0; y < H; y += h)
            for (int32_t x = 0; x < W; x += w) out.push_back({x, y, w, h});
    } else if (flags & FLAG_BG_TOP_LEFT) {
        out.push_back({0, 0, w, h});
    } else if (flags & FLAG_BG_TOP_CENTRE) {
        out.push_back({W / 2 - w / 2, 0, w, h});
    } else if (flags & FLAG_BG_BOTTOM_CENTRE) {
        out.push_back({W / 2 - w / 2, H - h, w, h});
    } else if (flags & FLAG_BG_BOTTOM_LEFT) {
        out.push_back({0, H - h, w, h});
    } else if (flags & FLAG_BG_CENTRED) {
        out.push_back({W / 2 - w / 2, H / 2 - h / 2, w, h});
    } else {
        out.push_back({0, 0, W, H});
    }
    return out;
}

Placement logoPlacement(uint32_t flags, int32_t W, int32_t H, int32_t w, int32_t h, int32_t logoX, int32_t logoY) {
    if (flags & FLAG_LOGO_TOP_LEFT) return {0, 0, w, h};
    if (flags & FLAG_LOGO_TOP_CENTRE) return {W / 2 - w / 2, 0, w, h};
    if (flags & FLAG_LOGO_BOTTOM_CENTRE) return {W / 2 - w / 2, H - h, w, h};
    if (flags & FLAG_LOGO_BOTTOM_LEFT) return {0, H - h, w, h};
    if (flags & FLAG_LOGO_CENTRED) return {W / 2 - w / 2, H / 2 - h / 2, w, h};
    if (flags & FLAG_LOGO_AT_POSITION) return {logoX, logoY, w, h};
    return {0, 0, w, h};
}

TextExtent measureSplashText(const char* text) {
    TextExtent extent = {0, 0};
    if (!text) return extent;
    int32_t run = 0;
    for (const char* p = text; *p; ++p) {
        if (*p == '\r') {
            ++extent.lineCount;
            if (run > extent.widestLine) extent.widestLine = run;
            run = 0;  // the CR itself starts the next stretch
        }
        ++run;
    }
    return extent;
}

int32_t splashLinePitch(int32_t fontHeight) {
    return static_cast<int32_t>(fontHeight + 0.1 * fontHeight);
}

Placement splashTextOrigin(uint32_t textFlags, int32_t W, int32_t H, int32_t fontHeight, int32_t averageWidth,
                           const TextExtent& extent, int32_t textX, int32_t textY) {
    const double pitch = fontHeight + 0.1 * fontHeight;
    const int32_t t = extent.widestLine * averageWidth;
    const int32_t n = extent.lineCount;
    if (textFlags & TEXT_TOP_LEFT) return {0, 0, 0, 0};
    if (textFlags & TEXT_TOP_CENTRE) return {W / 2 - t / 2, 0, 0, 0};
    if (textFlags & TEXT_BOTTOM_LEFT) return {0, static_cast<int32_t>(H - pitch * n), 0, 0};
    if (textFlags & TEXT_BOTTOM_CENTRE) return {W / 2 - t / 2, static_cast<int32_t>(H - pitch * n), 0, 0};
    if (textFlags & TEXT_CENTRED) return {W / 2 - t / 2, static_cast<int32_t>(H / 2 - pitch * n / 2), 0, 0};
    return {textX, textY, 0, 0};
}

std::vector<std::string> splashLines(const char* text) {
    constexpr size_t LINE_CAPACITY = 1023;
    std::vector<std::string> lines;
    if (!text) return lines;
    std::string line;
    for (const char* p = text; *p; ++p) {
        if (*p == '\r' || *p == '\n') {
            if (!line.empty()) lines.push_back(line);
            line.clear();
        } else if (line.size() < LINE_CAPACITY) {
            // The line buffer holds 1023 characters: the rest of a longer line is not drawn.
            line.push_back(*p);
        }
    }
    return lines;
}
