#include "app/selection/skin/FloatingWinLayout.h"

bool KeepsBackBuffer(int haveWidth, int haveHeight, int width, int height, bool exact) {
    if (exact) return haveWidth == width && haveHeight == height;
    return haveWidth >= width && haveHeight >= height;
}

uint8_t ConstantAlpha(double alpha) {
    if (!(alpha > 0.0)) return 0;
    if (alpha >= 255.0) return 255;
    return static_cast<uint8_t>(alpha);
}

IntRect RedrawArea(float x, float y, float width, float height) {
    IntRect r;
    r.left = static_cast<int>(x - 0.5f);
    r.top = static_cast<int>(y - 0.5f);
    r.right = static_cast<int>(x + width + 0.5f);
    r.bottom = static_cast<int>(y + height + 0.5f);
    return r;
}

bool RectsIntersect(const IntRect& a, const IntRect& b) {
    int l = a.left > b.left ? a.left : b.left;
    int r = a.right < b.right ? a.right : b.right;
    int t = a.top > b.top ? a.top : b.top;
    int btm = a.bottom < b.bottom ? a.bottom : b.bottom;
    return l < r && t < btm;
}

namespace {
IntRect At(int left, int top, int width, int height) { return IntRect{left, top, left + width, top + height}; }
}  // namespace

MonitorFit FitOnMonitor(const IntRect& window, int width, int height, const IntRect& area, const IntRect* avoid) {
    MonitorFit fit;
    IntRect r = window;
    for (int pass = 0; pass < 2; ++pass) {
        int dx = 0, dy = 0;
        if (r.right > area.right)
            dx = area.right - r.right - 4;
        else if (r.left < area.left)
            dx = area.left - r.left + 4;
        if (r.bottom > area.bottom)
            dy = area.bottom - r.bottom - 4;
        else if (r.top < area.top)
            dy = area.top - r.top + 4;
        if (dx || dy) {
            r = At(r.left + dx, r.top + dy, width, height);
            fit.moved = true;
        }
        fit.dx = dx;
        fit.dy = dy;
        if (!avoid || !RectsIntersect(r, *avoid)) break;
        // Overlapping the rectangle to avoid: put the window right above it
        // once and clamp again; a second overlap stays.
        fit.dx = fit.dy = 0;
        if (pass == 1) break;
        r = At(r.left, avoid->top - height, width, height);
        fit.moved = true;
    }
    fit.rect = r;
    return fit;
}
