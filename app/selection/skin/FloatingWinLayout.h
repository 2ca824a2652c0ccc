// The arithmetic of the floating windows, apart from any window: when a back
// buffer is kept, the constant alpha of the layered update, the rectangle a
// float redraw covers and where KeepOnMonitor puts a window.
#pragma once

#include <cstdint>

struct IntRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const IntRect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

// Whether a back buffer of have by have is kept when width by height is
// asked for: growing keeps one at least that large, resizing only an exact fit.
bool KeepsBackBuffer(int haveWidth, int haveHeight, int width, int height, bool exact);

// The constant alpha of a layered update: the window's alpha truncated and
// held within 0..255 (NaN counts as 0).
uint8_t ConstantAlpha(double alpha);

// The window area a float rectangle's redraw covers: half a pixel wider on
// every side, each edge truncated toward zero.
IntRect RedrawArea(float x, float y, float width, float height);

// True when the two rectangles share a non-empty area.
bool RectsIntersect(const IntRect& a, const IntRect& b);

// KeepOnMonitor's placement of a window whose rectangle is `window` and whose
// layered size is width by height, on the monitor area `area`, away from
// `avoid` when given.  The window crossing an edge moves back inside with a
// 4-pixel margin on that side; when it then overlaps `avoid` it is put once
// above that rectangle and clamped again.
struct MonitorFit {
    IntRect rect;       // where the window ends up
    bool moved = false; // whether it has to move at all
    int dx = 0, dy = 0; // the last correction (KeepOnMonitor's answer)
};
MonitorFit FitOnMonitor(const IntRect& window, int width, int height, const IntRect& area,
                        const IntRect* avoid = nullptr);
