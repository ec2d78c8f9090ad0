// Paints the splash window: background picture, logo, then the splash text over both.
#pragma once

#include <windows.h>

void paintSplash(HDC dc);
void drawSplashBackground(HDC dc);
void drawSplashLogo(HDC dc);
void drawSplashText(HDC dc);
