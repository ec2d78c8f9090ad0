#include <gtest/gtest.h>

#include "extract/splashlayout.h"
#include "startup/payload.h"

namespace {
constexpr int32_t W = 1024, H = 768;
}

TEST(SplashLayout, BackgroundByFirstLayoutBit) {
    struct Case {
        const char* name;
        uint32_t flags;
        std::vector<Placement> expect;
    } cases[] = {
        {"quarters", FLAG_BG_QUARTERS, {{0, 0, 512, 384}, {512, 0, 512, 384}, {0, 384, 512, 384}, {512, 384, 512, 384}}},
        {"quarters win over tiles", FLAG_BG_QUARTERS | FLAG_BG_TILED,
         {{0, 0, 512, 384}, {512, 0, 512, 384}, {0, 384, 512, 384}, {512, 384, 512, 384}}},
        {"top left", FLAG_BG_TOP_LEFT, {{0, 0, 300, 201}}},
        {"top centre", FLAG_BG_TOP_CENTRE, {{362, 0, 300, 201}}},
        {"bottom centre before bottom left", FLAG_BG_BOTTOM_CENTRE | FLAG_BG_BOTTOM_LEFT, {{362, 567, 300, 201}}},
        {"bottom left", FLAG_BG_BOTTOM_LEFT, {{0, 567, 300, 201}}},
        {"centred", FLAG_BG_CENTRED, {{362, 284, 300, 201}}},
        {"no bit: stretched over the screen", FLAG_BACKGROUND, {{0, 0, W, H}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<Placement> got = backgroundPlacements(c.flags, W, H, 300, 201);
        ASSERT_EQ(c.expect.size(), got.size());
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(c.expect[i].x, got[i].x);
            EXPECT_EQ(c.expect[i].y, got[i].y);
            EXPECT_EQ(c.expect[i].width, got[i].width);
            EXPECT_EQ(c.expect[i].height, got[i].height);
        }
    }
}

TEST(SplashLayout, QuartersOfAnOddScreenMeetAtTheBottom) {
    const std::vector<Placement> got = backgroundPlacements(FLAG_BG_QUARTERS, 1023, 767, 10, 10);
    EXPECT_EQ(384, got[2].y);  // H - H/2 with H/2 rounded down
    EXPECT_EQ(511, got[1].x);
    EXPECT_EQ(383, got[3].height);
}

TEST(SplashLayout, TilesCoverTheScreenWithCutTiles) {
    const std::vector<Placement> got = backgroundPlacements(FLAG_BG_TILED, W, H, 300, 200);
    ASSERT_EQ(4u * 4u, got.size());  // 4 columns (0, 300, 600, 900) by 4 rows (0..600)
    EXPECT_EQ(900, got.back().x);
    EXPECT_EQ(600, got.back().y);
    EXPECT_TRUE(backgroundPlacements(FLAG_BG_TILED, W, H, 0, 5).empty());
}

TEST(SplashLayout, LogoByFirstPositionBit) {
    struct Case {
        const char* name;
        uint32_t flags;
        int32_t x, y;
    } cases[] = {
        {"top left", FLAG_LOGO_TOP_LEFT | FLAG_LOGO_CENTRED, 0, 0},
        {"top centre", FLAG_LOGO_TOP_CENTRE, 462, 0},
        {"bottom centre before bottom left", FLAG_LOGO_BOTTOM_CENTRE | FLAG_LOGO_BOTTOM_LEFT, 462, 688},
        {"bottom left", FLAG_LOGO_BOTTOM_LEFT, 0, 688},
        {"centred", FLAG_LOGO_CENTRED, 462, 344},
        {"own position", FLAG_LOGO_AT_POSITION, -7, 33},
        {"no bit: top left", FLAG_LOGO, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Placement p = logoPlacement(c.flags, W, H, 100, 80, -7, 33);
        EXPECT_EQ(c.x, p.x);
        EXPECT_EQ(c.y, p.y);
    }
}

TEST(SplashLayout, TextExtentCountsCarriageReturns) {
    struct Case {
        const char* text;
        int32_t lines, widest;
    } cases[] = {
        {"", 0, 0},
        {"no line end", 0, 0},
        {"abc\r\nde\r\n", 2, 4},        // "abc", then "\r\nde" (CR included)
        {"a\r\nlonger line\r\ntail", 2, 13},
        {"\n\n", 0, 0},                  // LF alone does not count
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const TextExtent e = measureSplashText(c.text);
        EXPECT_EQ(c.lines, e.lineCount);
        EXPECT_EQ(c.widest, e.widestLine);
    }
}

TEST(SplashLayout, TextOriginByFirstPlacementBit) {
    const TextExtent two = {2, 10};
    struct Case {
        const char* name;
        uint32_t textFlags;
        int32_t x, y;
    } cases[] = {
        {"top left", TEXT_TOP_LEFT | TEXT_CENTRED, 0, 0},
        {"top centre", TEXT_TOP_CENTRE, 512 - 40, 0},
        {"bottom left: H - 44 for height 20", TEXT_BOTTOM_LEFT, 0, H - 44},
        {"bottom centre", TEXT_BOTTOM_CENTRE, 472, H - 44},
        {"centred", TEXT_CENTRED, 472, 384 - 22},
        {"own position", 0, 15, -3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Placement p = splashTextOrigin(c.textFlags, W, H, 20, 8, two, 15, -3);
        EXPECT_EQ(c.x, p.x);
        EXPECT_EQ(c.y, p.y);
    }
    EXPECT_EQ(22, splashLinePitch(20));
    EXPECT_EQ(14, splashLinePitch(13));  // 14.3 truncated
}

TEST(SplashLayout, LinesEndAtCrOrLfAndSkipEmptyOnes) {
    using Lines = std::vector<std::string>;
    EXPECT_EQ((Lines{"one", "two"}), splashLines("one\r\ntwo\r\n"));
    EXPECT_EQ((Lines{"one", "two"}), splashLines("one\r\n\r\ntwo\n"));
    EXPECT_EQ((Lines{}), splashLines("no line end"));
    EXPECT_EQ((Lines{"kept"}), splashLines("kept\rdropped tail"));

    const std::string longLine = std::string(1500, 'x') + "\r\n";
    const Lines cut = splashLines(longLine.c_str());
    ASSERT_EQ(1u, cut.size());
    EXPECT_EQ(1023u, cut[0].size());
}
