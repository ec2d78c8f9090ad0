// The bitmap toolkit: loading JPEG/GIF through the system's picture loader, plain, stretched and
// transparent drawing, and flattening a magenta-keyed bitmap onto a solid colour.
#pragma once

#include <windows.h>

#include <cstdint>

constexpr COLORREF KEY_MAGENTA = RGB(255, 0, 255);

HBITMAP loadPictureFile(const char* path, int32_t* width, int32_t* height);
// Clears the alpha byte of a 32-bit bitmap's pixels, so that colour keys match whole pixels.
void clearAlphaBytes(HBITMAP bitmap);
HBITMAP composeOnColour(HBITMAP bitmap, COLORREF colour);
void drawBitmap(HDC dc, HBITMAP bitmap, int x, int y);
void drawBitmapStretched(HDC dc, HBITMAP bitmap, int x, int y, int width, int height);
void drawTransparentBitmap(HDC dc, HBITMAP bitmap, int x, int y, COLORREF keyColour);
