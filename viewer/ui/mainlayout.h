// The main window's layout arithmetic: header strip, tree and list panes, splitter bar and
// status bar, as the window is created, resized and the bar dragged.
#pragma once

#include <cstdint>

constexpr int32_t PANE_TOP = 21;
constexpr int32_t SPLITTER_WIDTH = 5;
constexpr int32_t SPLITTER_RIGHT_MARGIN = 75;

struct PaneRect {
    int32_t id, x, y, width, height;
};

struct MainLayout {
    PaneRect status{1, 0, 0, 0, 0};
    PaneRect tree{2, 0, 0, 0, 0};
    PaneRect list{3, 0, 0, 0, 0};
    PaneRect splitter{4, 0, 0, 0, 0};
    int32_t clientWidth = 0, clientHeight = 0;
};

// The areas as the window is created with a client area of W x H.
void layoutOnCreate(MainLayout& layout, int32_t W, int32_t H);

// A size message: a new width re-centres the splitter, an unchanged one keeps it where the user
// put it; the panes and the status bar follow.
void layoutOnSize(MainLayout& layout, uint32_t W, uint32_t H);

// True when (x, y) lies on the splitter bar, both edges included.
bool isOnSplitter(const MainLayout& layout, int32_t x, int32_t y);

// True when a drag may move the bar to x: not left of the tree, not within 75 pixels of the
// list's right edge.
bool splitterMayMoveTo(const MainLayout& layout, int32_t x);
