#include <gtest/gtest.h>

#include "ui/mainlayout.h"

namespace {
void expectRect(const PaneRect& r, int32_t x, int32_t y, int32_t w, int32_t h) {
    EXPECT_EQ(x, r.x);
    EXPECT_EQ(y, r.y);
    EXPECT_EQ(w, r.width);
    EXPECT_EQ(h, r.height);
}
}  // namespace

TEST(MainLayout, CreationSplitsTheClientArea) {
    MainLayout l;
    layoutOnCreate(l, 801, 600);
    expectRect(l.status, 0, 0, 801, 16);
    expectRect(l.tree, 0, 21, 395, 570);
    expectRect(l.list, 400, 21, 395, 570);
    expectRect(l.splitter, 395, 21, 5, 570);
}

TEST(MainLayout, NewWidthRecentresUnchangedWidthKeepsTheBar) {
    MainLayout l;
    layoutOnCreate(l, 800, 600);
    layoutOnSize(l, 1000, 700);
    expectRect(l.splitter, 495, 21, 5, 649);
    expectRect(l.tree, 0, 21, 495, 649);
    expectRect(l.list, 500, 21, 500, 649);
    expectRect(l.status, 0, 670, 999, 16);

    l.splitter.x = 300;  // where a drag left it
    layoutOnSize(l, 1000, 650);
    expectRect(l.tree, 0, 21, 300, 599);
    expectRect(l.list, 305, 21, 695, 599);
    EXPECT_EQ(599, l.splitter.height);

    layoutOnSize(l, 0, 0);  // minimized: counts as a new width
    layoutOnSize(l, 1000, 650);
    EXPECT_EQ(495, l.splitter.x);
}

TEST(MainLayout, SplitterHitTestAndDragLimits) {
    MainLayout l;
    layoutOnCreate(l, 800, 600);
    layoutOnSize(l, 800, 600);  // bar at 395..400, rows 21..570
    struct Case {
        int32_t x, y;
        bool on;
    } hits[] = {{395, 21, true}, {400, 570, true}, {394, 100, false}, {401, 100, false}, {397, 20, false}, {397, 571, false}};
    for (const Case& c : hits) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        EXPECT_EQ(c.on, isOnSplitter(l, c.x, c.y));
    }
    EXPECT_TRUE(splitterMayMoveTo(l, 0));
    EXPECT_FALSE(splitterMayMoveTo(l, -1));
    EXPECT_TRUE(splitterMayMoveTo(l, 725));   // list right edge 800 minus 75
    EXPECT_FALSE(splitterMayMoveTo(l, 726));
}
