// Where the splash elements go: background copies, logo position, text origin and lines, all
// computed from the screen size, picture sizes and header flags. Drawing is done elsewhere.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Placement {
    int32_t x, y, width, height;
};

// The copies of a background of w x h on a W x H screen, by the first layout bit set.
std::vector<Placement> backgroundPlacements(uint32_t flags, int32_t W, int32_t H, int32_t w, int32_t h);

// The logo's top-left corner, by the first position bit set.
Placement logoPlacement(uint32_t flags, int32_t W, int32_t H, int32_t w, int32_t h, int32_t logoX, int32_t logoY);

struct TextExtent {
    int32_t lineCount;   // number of CR characters
    int32_t widestLine;  // characters from one CR (included) to the next, the first from the start
};

TextExtent measureSplashText(const char* text);

// The origin of the first line. fontHeight and averageWidth are the selected font's metrics.
Placement splashTextOrigin(uint32_t textFlags, int32_t W, int32_t H, int32_t fontHeight, int32_t averageWidth,
                           const TextExtent& extent, int32_t textX, int32_t textY);

// The vertical distance between drawn lines: height plus a tenth, truncated.
int32_t splashLinePitch(int32_t fontHeight);

// The lines that get drawn: text ended by CR or LF, empty lines dropped, characters after the
// last CR or LF not drawn, each line cut at 1023 characters.
std::vector<std::string> splashLines(const char* text);
