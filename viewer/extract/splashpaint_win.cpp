#include "extract/splashpaint_win.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "extract/imaging_win.h"
#include "extract/splashlayout.h"
#include "startup/appstate_win.h"

void paintSplash(HDC dc) {
    if (app.background) drawSplashBackground(dc);
    if (app.logo) drawSplashLogo(dc);
    if (app.header.flags & FLAG_TEXT_SHOWN) drawSplashText(dc);
}

void drawSplashBackground(HDC dc) {
    const uint32_t flags = app.header.flags;
    if ((flags & FLAG_BG_TILED) && !(flags & FLAG_BG_QUARTERS)) {
        // The same tiles as one copy per tile, without a draw call per tile: a tiny picture
        // would otherwise cost millions of copies on every paint.
        HBRUSH tiles = CreatePatternBrush(app.background);
        if (tiles) {
            SetBrushOrgEx(dc, 0, 0, nullptr);
            RECT screen = {0, 0, app.screenWidth, app.screenHeight};
            FillRect(dc, &screen, tiles);
            DeleteObject(tiles);
            return;
        }
    }
    for (const Placement& p : backgroundPlacements(app.header.flags, app.screenWidth, app.screenHeight,
                                                   app.backgroundWidth, app.backgroundHeight))
        drawBitmapStretched(dc, app.background, p.x, p.y, p.width, p.height);
}

void drawSplashLogo(HDC dc) {
    const Placement p = logoPlacement(app.header.flags, app.screenWidth, app.screenHeight, app.logoWidth,
                                      app.logoHeight, app.header.logoX, app.header.logoY);
    if (app.header.flags & FLAG_LOGO_TRANSPARENT)
        drawTransparentBitmap(dc, app.logo, p.x, p.y, app.header.logoKeyColour);
    else
        drawBitmap(dc, app.logo, p.x, p.y);
}

void drawSplashText(HDC dc) {
    const PayloadHeader& h = app.header;
    const int W = GetSystemMetrics(SM_CXSCREEN);
    const int H = GetSystemMetrics(SM_CYSCREEN);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, h.textColour);
    SetBkColor(dc, h.splashColour);

    char face[TEXT_FIELD_SIZE + 1] = "Arial";
    if (h.textFlags & TEXT_CUSTOM_FONT) {
        std::memcpy(face, h.fontFaceName, TEXT_FIELD_SIZE);
        face[LF_FACESIZE - 1] = 0;  // a face name longer than the system takes is cut
    }
    HFONT font = CreateFontA(h.fontHeight, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS | DEFAULT_PITCH, face);
    HGDIOBJ oldFont = SelectObject(dc, font);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);

    char text[SPLASH_TEXT_SIZE + 1] = {};
    std::memcpy(text, h.splashText, SPLASH_TEXT_SIZE);
    const Placement origin = splashTextOrigin(h.textFlags, W, H, metrics.tmHeight, metrics.tmAveCharWidth,
                                              measureSplashText(text), h.textX, h.textY);
    const int64_t pitch = splashLinePitch(metrics.tmHeight);
    int64_t advance = 0;
    // The offsets come from the disc: sums are taken in 64 bits and held to what GDI takes.
    auto at = [](int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
    for (const std::string& line : splashLines(text)) {
        const int length = static_cast<int>(line.size());
        if (h.flags & FLAG_TEXT_SHADOW) {
            SetTextColor(dc, h.shadowColour);
            TextOutA(dc, at(int64_t{origin.x} + h.shadowX), at(int64_t{origin.y} + h.shadowY + advance), line.c_str(),
                     length);
            SetTextColor(dc, h.textColour);
        }
        TextOutA(dc, origin.x, at(origin.y + advance), line.c_str(), length);
        advance += pitch;
    }
    SelectObject(dc, oldFont);
    DeleteObject(font);
}
