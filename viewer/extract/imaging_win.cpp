#include "extract/imaging_win.h"

#include <ole2.h>
#include <olectl.h>

#include <vector>

namespace {

SIZE bitmapSize(HBITMAP bitmap) {
    BITMAP info = {};
    GetObjectA(bitmap, sizeof info, &info);
    return SIZE{info.bmWidth, info.bmHeight};
}

}  // namespace

// Loaders leave an opaque alpha byte in 32-bit pixels, and the transparent draw's colour-to-mask
// copy compares whole pixels: clear the byte so that the key colour matches.
void clearAlphaBytes(HBITMAP bitmap) {
    BITMAP info = {};
    if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) return;
    const int width = info.bmWidth, height = info.bmHeight;
    if (info.bmBitsPixel != 32 || width <= 0 || height <= 0) return;
    HDC screen = GetDC(nullptr);
    BITMAPINFO layout = {};
    layout.bmiHeader.biSize = sizeof layout.bmiHeader;
    layout.bmiHeader.biWidth = width;
    layout.bmiHeader.biHeight = -height;
    layout.bmiHeader.biPlanes = 1;
    layout.bmiHeader.biBitCount = 32;
    layout.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    if (GetDIBits(screen, bitmap, 0, height, pixels.data(), &layout, DIB_RGB_COLORS)) {
        for (uint32_t& p : pixels) p &= 0x00FFFFFF;
        SetDIBits(screen, bitmap, 0, height, pixels.data(), &layout, DIB_RGB_COLORS);
    }
    ReleaseDC(nullptr, screen);
}

HBITMAP loadPictureFile(const char* path, int32_t* width, int32_t* height) {
    WCHAR widePath[260] = {};
    MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, path, -1, widePath, 260);
    widePath[259] = 0;

    IPicture* picture = nullptr;
    const HRESULT hr = OleLoadPicturePath(widePath, nullptr, 0, 0, IID_IPicture,
                                          reinterpret_cast<void**>(&picture));
    if (FAILED(hr) || !picture) {
        MessageBoxA(nullptr, "OleLoad FAILED!", "ERROR:", MB_OK);
        return nullptr;
    }

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    OLE_XSIZE_HIMETRIC himetricWidth = 0;
    OLE_YSIZE_HIMETRIC himetricHeight = 0;
    picture->get_Width(&himetricWidth);
    picture->get_Height(&himetricHeight);
    const int pixelWidth = MulDiv(GetDeviceCaps(screen, LOGPIXELSX), himetricWidth, 2540);
    const int pixelHeight = MulDiv(GetDeviceCaps(screen, LOGPIXELSY), himetricHeight, 2540);

    HBITMAP bitmap = CreateCompatibleBitmap(screen, pixelWidth, pixelHeight);
    HGDIOBJ old = SelectObject(memory, bitmap);
    // The picture's y axis runs upwards: start at its top and render with a negative extent.
    picture->Render(memory, 0, 0, pixelWidth, pixelHeight, 0, himetricHeight, himetricWidth,
                    -himetricHeight, nullptr);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    clearAlphaBytes(bitmap);
    picture->Release();

    *width = pixelWidth;
    *height = pixelHeight;
    return bitmap;
}

HBITMAP composeOnColour(HBITMAP bitmap, COLORREF colour) {
    if (!bitmap) return nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, bitmap);
    SetMapMode(memory, GetMapMode(screen));
    const SIZE size = bitmapSize(bitmap);

    HBITMAP result = CreateCompatibleBitmap(screen, size.cx, size.cy);
    if (result) {
        SelectObject(memory, result);
        HBRUSH brush = CreateSolidBrush(colour);
        RECT all = {0, 0, size.cx, size.cy};
        FillRect(memory, &all, brush);
        DeleteObject(brush);
        drawTransparentBitmap(memory, bitmap, 0, 0, KEY_MAGENTA);
    }
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return result;
}

namespace {

// A memory context holding bitmap with dc's mapping mode, and the bitmap's size and origin in
// logical units; released by its destructor.
struct BitmapSource {
    HDC memory;
    HGDIOBJ old;
    POINT extent, origin;

    BitmapSource(HDC dc, HBITMAP bitmap) : memory(CreateCompatibleDC(dc)) {
        old = SelectObject(memory, bitmap);
        SetMapMode(memory, GetMapMode(dc));
        const SIZE size = bitmapSize(bitmap);
        extent = {size.cx, size.cy};
        DPtoLP(dc, &extent, 1);
        origin = {0, 0};
        DPtoLP(memory, &origin, 1);
    }
    ~BitmapSource() {
        SelectObject(memory, old);
        DeleteDC(memory);
    }
};

}  // namespace

void drawBitmap(HDC dc, HBITMAP bitmap, int x, int y) {
    if (!bitmap) return;
    const BitmapSource source(dc, bitmap);
    BitBlt(dc, x, y, source.extent.x, source.extent.y, source.memory, source.origin.x, source.origin.y, SRCCOPY);
}

void drawBitmapStretched(HDC dc, HBITMAP bitmap, int x, int y, int width, int height) {
    if (!bitmap) return;
    const BitmapSource source(dc, bitmap);
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, x, y, width, height, source.memory, source.origin.x, source.origin.y, source.extent.x,
               source.extent.y, SRCCOPY);
}

void drawTransparentBitmap(HDC dc, HBITMAP bitmap, int x, int y, COLORREF keyColour) {
    if (!bitmap) return;
    x = static_cast<short>(x);
    y = static_cast<short>(y);

    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ oldSource = SelectObject(source, bitmap);
    const SIZE size = bitmapSize(bitmap);
    SetMapMode(source, GetMapMode(dc));

    HDC maskDc = CreateCompatibleDC(dc);
    HDC inverseDc = CreateCompatibleDC(dc);
    HDC workDc = CreateCompatibleDC(dc);
    HDC savedDc = CreateCompatibleDC(dc);
    HBITMAP mask = CreateBitmap(size.cx, size.cy, 1, 1, nullptr);
    HBITMAP inverse = CreateBitmap(size.cx, size.cy, 1, 1, nullptr);
    HBITMAP work = CreateCompatibleBitmap(dc, size.cx, size.cy);
    HBITMAP saved = CreateCompatibleBitmap(dc, size.cx, size.cy);
    HGDIOBJ oldMask = SelectObject(maskDc, mask);
    HGDIOBJ oldInverse = SelectObject(inverseDc, inverse);
    HGDIOBJ oldWork = SelectObject(workDc, work);
    HGDIOBJ oldSaved = SelectObject(savedDc, saved);

    BitBlt(savedDc, 0, 0, size.cx, size.cy, source, 0, 0, SRCCOPY);
    const COLORREF oldBack = SetBkColor(source, keyColour);
    BitBlt(maskDc, 0, 0, size.cx, size.cy, source, 0, 0, SRCCOPY);
    SetBkColor(source, oldBack);
    BitBlt(inverseDc, 0, 0, size.cx, size.cy, maskDc, 0, 0, NOTSRCCOPY);
    BitBlt(workDc, 0, 0, size.cx, size.cy, dc, x, y, SRCCOPY);
    BitBlt(workDc, 0, 0, size.cx, size.cy, maskDc, 0, 0, SRCAND);
    BitBlt(source, 0, 0, size.cx, size.cy, inverseDc, 0, 0, SRCAND);
    BitBlt(workDc, 0, 0, size.cx, size.cy, source, 0, 0, SRCPAINT);
    BitBlt(dc, x, y, size.cx, size.cy, workDc, 0, 0, SRCCOPY);
    BitBlt(source, 0, 0, size.cx, size.cy, savedDc, 0, 0, SRCCOPY);

    SelectObject(maskDc, oldMask);
    SelectObject(inverseDc, oldInverse);
    SelectObject(workDc, oldWork);
    SelectObject(savedDc, oldSaved);
    SelectObject(source, oldSource);
    DeleteObject(mask);
    DeleteObject(inverse);
    DeleteObject(work);
    DeleteObject(saved);
    DeleteDC(maskDc);
    DeleteDC(inverseDc);
    DeleteDC(workDc);
    DeleteDC(savedDc);
    DeleteDC(source);
}
