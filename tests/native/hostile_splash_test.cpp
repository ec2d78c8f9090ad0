// Splash text placement with the header numbers of a hostile disc: a font height near the 32-bit
// limits must give positions at those limits, not values wrapped to the other side of the screen.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "extract/splashlayout.h"
#include "startup/payload.h"

namespace {
constexpr int32_t W = 1024, H = 768;
}

TEST(HostileSplash, LinePitchSaturatesAtTheLimits) {
    EXPECT_EQ(26, splashLinePitch(24));
    EXPECT_EQ(-26, splashLinePitch(-24));
    EXPECT_EQ(INT32_MAX, splashLinePitch(INT32_MAX));
    EXPECT_EQ(INT32_MAX, splashLinePitch(0x7FFFFFF0));
    EXPECT_EQ(INT32_MIN, splashLinePitch(INT32_MIN));
}

TEST(HostileSplash, TextOriginOfAHugeFontStaysOnItsSide) {
    // Three lines, the widest 1500 characters, drawn with a font as high as the header asks.
    std::string text = "\r" + std::string(1499, 'w') + "\r\rtail";
    const TextExtent extent = measureSplashText(text.c_str());
    ASSERT_EQ(3, extent.lineCount);
    ASSERT_EQ(1500, extent.widestLine);

    struct Case {
        const char* name;
        uint32_t textFlags;
        int32_t fontHeight, averageWidth;
        int32_t x, y;
    } cases[] = {
        // Far above the top, far to the left: never wrapped round to a positive position.
        {"bottom left, huge font", TEXT_BOTTOM_LEFT, INT32_MAX, 8, 0, INT32_MIN},
        {"centred, huge font and width", TEXT_CENTRED, 0x7FFFFFF0, 0x3FFFFFF8, INT32_MIN, INT32_MIN},
        {"top centre, huge width", TEXT_TOP_CENTRE, 24, 0x3FFFFFF8, INT32_MIN, 0},
        {"bottom centre, negative font", TEXT_BOTTOM_CENTRE, INT32_MIN, 8, W / 2 - 6000, INT32_MAX},
        // Ordinary numbers keep their old results.
        {"bottom centre, ordinary", TEXT_BOTTOM_CENTRE, 20, 7, W / 2 - 5250, H - 66},
        {"centred, ordinary", TEXT_CENTRED, 20, 7, W / 2 - 5250, H / 2 - 33},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Placement p = splashTextOrigin(c.textFlags, W, H, c.fontHeight, c.averageWidth, extent, 5, 6);
        EXPECT_EQ(c.x, p.x);
        EXPECT_EQ(c.y, p.y);
    }
}
