#include "ui/mainlayout.h"

void layoutOnCreate(MainLayout& layout, int32_t W, int32_t H) {
    layout.clientWidth = W;
    layout.clientHeight = H;
    layout.status = {1, 0, 0, W, 16};
    layout.tree = {2, 0, PANE_TOP, W / 2 - 5, H - 30};
    layout.list = {3, W / 2, PANE_TOP, W / 2 - 5, H - 30};
    layout.splitter = {4, layout.tree.x + layout.tree.width, layout.tree.y, SPLITTER_WIDTH, layout.tree.height};
}

void layoutOnSize(MainLayout& layout, uint32_t W, uint32_t H) {
    const int32_t w = static_cast<int32_t>(W), h = static_cast<int32_t>(H);
    if (w != layout.clientWidth) layout.splitter.x = static_cast<int32_t>(W / 2) - 5;
    layout.splitter.height = h - 51;
    layout.clientHeight = h;
    layout.tree = {2, 0, PANE_TOP, layout.splitter.x, h - 51};
    layout.clientWidth = w;
    layout.list = {3, layout.splitter.x + SPLITTER_WIDTH, PANE_TOP, w - layout.splitter.x - SPLITTER_WIDTH, h - 51};
    layout.status = {1, 0, h - 30, w - 1, 16};
}

bool isOnSplitter(const MainLayout& layout, int32_t x, int32_t y) {
    const PaneRect& s = layout.splitter;
    return s.x <= x && x <= s.x + s.width && s.y <= y && y <= s.y + s.height;
}

bool splitterMayMoveTo(const MainLayout& layout, int32_t x) {
    return !(x < layout.tree.x || x > layout.list.x + layout.list.width - SPLITTER_RIGHT_MARGIN);
}
