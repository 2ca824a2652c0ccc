#include "app/selection/skin/FloatingWinLayout.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(FloatingWinLayout, BackBufferKeptOrReplaced) {
    struct Case {
        const char* what;
        int haveW, haveH, w, h;
        bool exact, keeps;
    } cases[] = {
        {"grow: same size", 100, 50, 100, 50, false, true},
        {"grow: smaller keeps the larger", 100, 50, 80, 40, false, true},
        {"grow: wider", 100, 50, 101, 50, false, false},
        {"grow: higher", 100, 50, 100, 51, false, false},
        {"grow: none yet", 0, 0, 1, 1, false, false},
        {"resize: same size", 100, 50, 100, 50, true, true},
        {"resize: smaller replaces", 100, 50, 80, 40, true, false},
        {"resize: larger replaces", 100, 50, 120, 50, true, false},
    };
    for (const Case& c : cases) EXPECT_EQ(KeepsBackBuffer(c.haveW, c.haveH, c.w, c.h, c.exact), c.keeps) << c.what;
}

TEST(FloatingWinLayout, ConstantAlphaTruncatedAndClamped) {
    struct Case {
        double alpha;
        int expected;
    } cases[] = {{255.0, 255}, {127.9, 127}, {0.0, 0}, {0.99, 0}, {-5.0, 0}, {300.0, 255}, {255.5, 255},
                 {1e300, 255}, {-1e300, 0}, {NAN, 0}};
    for (const Case& c : cases) EXPECT_EQ(ConstantAlpha(c.alpha), c.expected) << c.alpha;
}

TEST(FloatingWinLayout, RedrawAreaOfAFloatRectangle) {
    EXPECT_EQ(RedrawArea(10, 20, 30, 40), (IntRect{9, 19, 40, 60}));
    EXPECT_EQ(RedrawArea(10.7f, 0.2f, 5, 5), (IntRect{10, 0, 16, 5}));
}

TEST(FloatingWinLayout, KeepOnMonitor) {
    const IntRect area{0, 0, 1000, 800};
    struct Case {
        const char* what;
        IntRect window;
        bool hasAvoid;
        IntRect avoid;
        IntRect rect;
        int dx, dy;
        bool moved;
    } cases[] = {
        {"inside stays", {100, 100, 200, 150}, false, {}, {100, 100, 200, 150}, 0, 0, false},
        {"10 over the right edge moves left by 14", {910, 100, 1010, 150}, false, {}, {896, 100, 996, 150}, -14, 0, true},
        {"over the left edge", {-20, 100, 80, 150}, false, {}, {4, 100, 104, 150}, 24, 0, true},
        {"over the bottom edge", {100, 790, 200, 840}, false, {}, {100, 746, 200, 796}, 0, -44, true},
        {"over the top edge", {100, -5, 200, 45}, false, {}, {100, 4, 200, 54}, 0, 9, true},
        {"over a corner", {950, 780, 1050, 830}, false, {}, {896, 746, 996, 796}, -54, -34, true},
        {"on the edge exactly stays", {900, 750, 1000, 800}, false, {}, {900, 750, 1000, 800}, 0, 0, false},
        {"clear of the avoided rectangle", {100, 100, 200, 150}, true, {300, 300, 400, 400}, {100, 100, 200, 150},
         0, 0, false},
        {"overlapping: put above it", {100, 100, 200, 150}, true, {150, 120, 400, 400}, {100, 70, 200, 120}, 0, 0,
         true},
        {"above it crosses the top: clamped, the second overlap stays", {100, 10, 200, 60}, true,
         {150, 30, 400, 400}, {100, 4, 200, 54}, 0, 0, true},
        {"right edge, then above the avoided rectangle", {950, 300, 1050, 350}, true, {0, 320, 1000, 400},
         {896, 270, 996, 320}, 0, 0, true},
    };
    for (const Case& c : cases) {
        MonitorFit f = FitOnMonitor(c.window, c.window.Width(), c.window.Height(), area,
                                    c.hasAvoid ? &c.avoid : nullptr);
        EXPECT_EQ(f.rect, c.rect) << c.what;
        EXPECT_EQ(f.dx, c.dx) << c.what;
        EXPECT_EQ(f.dy, c.dy) << c.what;
        EXPECT_EQ(f.moved, c.moved) << c.what;
    }
    // A window larger than the area is aligned to the right and bottom edges.
    MonitorFit big = FitOnMonitor({-10, -10, 1190, 890}, 1200, 900, area);
    EXPECT_EQ(big.rect, (IntRect{-204, -104, 996, 796}));
    // The layered size, not the window's, makes the moved rectangle.
    MonitorFit sized = FitOnMonitor({1000, -5, 1010, 5}, 40, 30, area);
    EXPECT_EQ(sized.rect, (IntRect{986, 4, 1026, 34}));
}

}  // namespace
