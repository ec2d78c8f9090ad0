// Paints into memory contexts with the real GDI and reads the pixels back.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <cstring>

#include "extract/imaging_win.h"
#include "extract/splashpaint_win.h"
#include "startup/appstate_win.h"

namespace {

// A 32-bit top-down DIB section we can read pixel by pixel.
struct Canvas {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    uint32_t* pixels = nullptr;
    int width = 0, height = 0;

    Canvas(int w, int h, COLORREF fill) : width(w), height(h) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = w;
        info.bmiHeader.biHeight = -h;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        HDC screen = GetDC(nullptr);
        dc = CreateCompatibleDC(screen);
        ReleaseDC(nullptr, screen);
        void* bits = nullptr;
        bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        pixels = static_cast<uint32_t*>(bits);
        old = SelectObject(dc, bitmap);
        HBRUSH brush = CreateSolidBrush(fill);
        RECT all = {0, 0, w, h};
        FillRect(dc, &all, brush);
        DeleteObject(brush);
    }
    ~Canvas() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    COLORREF at(int x, int y) const {
        GdiFlush();
        const uint32_t p = pixels[y * width + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
};

// A display-compatible bitmap: left half magenta, right half the given colour.
HBITMAP halfMagenta(int w, int h, COLORREF right) {
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    HBRUSH magenta = CreateSolidBrush(KEY_MAGENTA);
    HBRUSH other = CreateSolidBrush(right);
    RECT left = {0, 0, w / 2, h}, rest = {w / 2, 0, w, h};
    FillRect(dc, &left, magenta);
    FillRect(dc, &rest, other);
    DeleteObject(magenta);
    DeleteObject(other);
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

}  // namespace

TEST(Imaging, TransparentDrawKeepsTheDestinationUnderTheKeyColour) {
    Canvas canvas(40, 20, RGB(10, 200, 30));
    HBITMAP logo = halfMagenta(20, 10, RGB(0, 0, 255));
    drawTransparentBitmap(canvas.dc, logo, 5, 5, KEY_MAGENTA);
    EXPECT_EQ(RGB(10, 200, 30), canvas.at(6, 6));     // key colour: destination shows
    EXPECT_EQ(RGB(0, 0, 255), canvas.at(20, 6));      // other pixels drawn
    EXPECT_EQ(RGB(10, 200, 30), canvas.at(30, 6));    // outside the bitmap
    EXPECT_EQ(RGB(10, 200, 30), canvas.at(20, 16));

    // The bitmap itself is left as it was.
    Canvas check(20, 10, RGB(0, 0, 0));
    drawBitmap(check.dc, logo, 0, 0);
    EXPECT_EQ(KEY_MAGENTA, check.at(1, 1));
    DeleteObject(logo);
}

TEST(Imaging, PictureLoaderResultKeepsItsKeyColourTransparent) {
    // An 8 x 4 GIF: left half magenta, right half blue.
    const unsigned char gif[] = {
        0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x08, 0x00, 0x04, 0x00, 0xf0, 0x00, 0x00, 0x00, 0x00, 0xff, 0xff,
        0x00, 0xff, 0x21, 0xf9, 0x04, 0x00, 0x00, 0x00, 0x00, 0x00, 0x2c, 0x00, 0x00, 0x00, 0x00, 0x08, 0x00,
        0x04, 0x00, 0x00, 0x02, 0x08, 0x8c, 0x03, 0x09, 0x87, 0xca, 0xba, 0x0e, 0x2c, 0x00, 0x3b};
    char path[MAX_PATH];
    GetTempPathA(sizeof path, path);
    std::strcat(path, "orvanta-key.gif");
    FILE* f = std::fopen(path, "wb");
    ASSERT_NE(nullptr, f);
    std::fwrite(gif, 1, sizeof gif, f);
    std::fclose(f);

    CoInitialize(nullptr);
    int32_t w = 0, h = 0;
    HBITMAP logo = loadPictureFile(path, &w, &h);
    DeleteFileA(path);
    ASSERT_NE(nullptr, logo);
    EXPECT_EQ(8, w);
    EXPECT_EQ(4, h);
    Canvas canvas(20, 10, RGB(0, 128, 0));
    drawTransparentBitmap(canvas.dc, logo, 2, 2, KEY_MAGENTA);
    EXPECT_EQ(RGB(0, 128, 0), canvas.at(3, 3));
    EXPECT_EQ(RGB(0, 0, 255), canvas.at(8, 3));
    DeleteObject(logo);
}

TEST(Imaging, ComposeOnColourReplacesMagentaOnly) {
    HBITMAP art = halfMagenta(16, 8, RGB(200, 100, 50));
    HBITMAP composed = composeOnColour(art, RGB(212, 208, 200));
    ASSERT_NE(nullptr, composed);
    Canvas canvas(16, 8, RGB(0, 0, 0));
    drawBitmap(canvas.dc, composed, 0, 0);
    EXPECT_EQ(RGB(212, 208, 200), canvas.at(2, 2));
    EXPECT_EQ(RGB(200, 100, 50), canvas.at(12, 2));
    DeleteObject(art);
    DeleteObject(composed);
}

TEST(Imaging, StretchedDrawFillsTheTarget) {
    HBITMAP art = halfMagenta(4, 4, RGB(255, 255, 0));
    Canvas canvas(40, 40, RGB(0, 0, 0));
    drawBitmapStretched(canvas.dc, art, 0, 0, 40, 20);
    EXPECT_EQ(KEY_MAGENTA, canvas.at(5, 5));
    EXPECT_EQ(RGB(255, 255, 0), canvas.at(35, 15));
    EXPECT_EQ(RGB(0, 0, 0), canvas.at(35, 25));
    DeleteObject(art);
}

TEST(Imaging, SplashPaintsBackgroundLogoAndShadowedText) {
    app = AppState();
    app.screenWidth = GetSystemMetrics(SM_CXSCREEN);
    app.screenHeight = GetSystemMetrics(SM_CYSCREEN);
    const int W = app.screenWidth, H = app.screenHeight;
    Canvas canvas(W, H, RGB(1, 2, 3));

    app.background = halfMagenta(8, 8, RGB(0, 128, 0));  // tiled: magenta and green stripes
    app.backgroundWidth = app.backgroundHeight = 8;
    app.logo = halfMagenta(40, 40, RGB(255, 0, 0));
    app.logoWidth = app.logoHeight = 40;
    app.header.flags = FLAG_BACKGROUND | FLAG_BG_TILED | FLAG_LOGO | FLAG_LOGO_CENTRED | FLAG_LOGO_TRANSPARENT |
                       FLAG_TEXT_SHOWN | FLAG_TEXT_SHADOW;
    app.header.logoKeyColour = KEY_MAGENTA;
    app.header.textFlags = TEXT_TOP_LEFT;
    app.header.textColour = RGB(255, 255, 255);
    app.header.shadowColour = RGB(0, 0, 0);
    app.header.shadowX = app.header.shadowY = 2;
    app.header.fontHeight = -40;
    std::strcpy(app.header.splashText, "MMMM\r\n");
    paintSplash(canvas.dc);

    EXPECT_EQ(KEY_MAGENTA, canvas.at(W - 7, H - 7));  // a tile's left half
    EXPECT_EQ(RGB(0, 128, 0), canvas.at(W - 3, H - 7));
    // Logo centred: its key half lets the tiles through, its other half is red.
    EXPECT_EQ(RGB(255, 0, 0), canvas.at(W / 2 + 10, H / 2));
    int keyX = W / 2 - 20;
    while (keyX % 8 >= 4) ++keyX;  // a magenta stripe of the tiles under the logo's key half
    EXPECT_EQ(KEY_MAGENTA, canvas.at(keyX, H / 2 - 19));
    EXPECT_EQ(RGB(0, 128, 0), canvas.at(keyX + 4, H / 2 - 19));

    int white = 0, black = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 200; ++x) {
            const COLORREF c = canvas.at(x, y);
            white += c == RGB(255, 255, 255);
            black += c == RGB(0, 0, 0);
        }
    EXPECT_GT(white, 50);  // the text
    EXPECT_GT(black, 50);  // its shadow

    DeleteObject(app.background);
    DeleteObject(app.logo);
    app = AppState();
}
