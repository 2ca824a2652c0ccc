#include "app/panels/window/PanelGeometry.h"

#include <gtest/gtest.h>

#include <vector>

using namespace panels;

namespace {

const IntRect kWork{0, 0, 1280, 994};
const IntRect kTray{1100, 994, 1280, 1024};
const IntRect kAnchor{100, 100, 200, 140};
const IntRect kNoKept{kNoKeptRect, 0, 0, 0};

struct PlaceCase {
    const char* name;
    uint32_t flags;
    IntRect kept;
    IntRect work;
    IntRect anchor;  // expected new anchor
    int x, y;
};

TEST(PanelPlacement, FlagsChooseTheTargetInOrder) {
    const PlaceCase cases[] = {
        {"tray", 0x80, kNoKept, kWork, kTray, 1100, 994},
        {"tray before centre", 0x81, kNoKept, kWork, kTray, 1100, 994},
        {"centre in the work area", 0x01, kNoKept, kWork, {490, 397, 790, 597}, 490, 397},
        {"centre on a work area not at 0", 0x01, kNoKept, {1280, 40, 2560, 1024}, {1770, 432, 2070, 632}, 1770, 432},
        {"at the anchor", 0x02, kNoKept, kWork, kAnchor, 100, 100},
        {"centred on the anchor", 0x20, kNoKept, kWork, {0, 20, 100, 60}, 0, 20},
        {"bottom right by default", 0x00, kNoKept, kWork, {975, 794, 1275, 994}, 975, 794},
        {"menu panel beside the anchor", 0x12, kNoKept, kWork, kAnchor, 195, 100 - (100 + 59)},
        {"menu panel centred takes no tail place", 0x11, kNoKept, kWork, {490, 397, 790, 597}, 490, 397},
        {"kept search-panel rectangle wins", 0x81, {50, 60, 350, 260}, kWork, {50, 60, 350, 260}, 50, 60},
    };
    for (const PlaceCase& c : cases) {
        Placement p = ChoosePlacement(c.flags, c.kept, kAnchor, kTray, c.work, 300, 200);
        EXPECT_EQ(p.anchor, c.anchor) << c.name;
        EXPECT_EQ(p.x, c.x) << c.name;
        EXPECT_EQ(p.y, c.y) << c.name;
    }
}

TEST(PanelPlacement, CenterInKeepsTheSize) {
    EXPECT_EQ(CenterIn({5, 5, 105, 55}, {0, 0, 300, 200}), (IntRect{100, 75, 200, 125}));
    EXPECT_EQ(CenterIn({0, 0, 100, 50}, {-1280, 100, 0, 1124}), (IntRect{-690, 587, -590, 637}));
}

TEST(TrayRect, ClockNarrowsTheNotificationArea) {
    const IntRect taskbar{0, 994, 1280, 1024};
    struct Case {
        const char* name;
        std::vector<ChildWindow> children;
        IntRect expected;
    } cases[] = {
        {"clock at the bottom: off the right",
         {{L"Start", {0, 994, 50, 1024}}, {L"TrayNotifyWnd", {1000, 994, 1280, 1024}},
          {L"TrayClockWClass", {1200, 996, 1276, 1022}}},
         {1000, 994, 1200, 1024}},
        {"clock above the bottom: off the top",
         {{L"TrayNotifyWnd", {0, 800, 60, 1000}}, {L"TrayClockWClass", {0, 940, 60, 960}}},
         {0, 960, 60, 1000}},
        {"clock exactly 5 above: off the right",
         {{L"TrayNotifyWnd", {0, 800, 60, 1000}}, {L"TrayClockWClass", {10, 940, 60, 995}}},
         {0, 800, 10, 1000}},
        {"no notification area: the taskbar", {{L"Start", {0, 994, 50, 1024}}}, taskbar},
        {"children after the clock are not read",
         {{L"TrayNotifyWnd", {1000, 994, 1280, 1024}}, {L"TrayClockWClass", {1200, 996, 1276, 1022}},
          {L"TrayNotifyWnd", {1, 2, 3, 4}}},
         {1000, 994, 1200, 1024}},
    };
    for (const Case& c : cases) EXPECT_EQ(TrayRectFromChildren(taskbar, c.children), c.expected) << c.name;
}

TEST(TrayRect, AppBarEdgeAndFallback) {
    EXPECT_EQ(TrayRectFromAppBar({0, 0, 60, 1024}, 0), (IntRect{0, 924, 60, 1008}));
    EXPECT_EQ(TrayRectFromAppBar({1220, 0, 1280, 1024}, 2), (IntRect{1220, 924, 1280, 1008}));
    EXPECT_EQ(TrayRectFromAppBar({0, 0, 1280, 30}, 1), (IntRect{1180, 0, 1264, 30}));
    EXPECT_EQ(TrayRectFromAppBar({0, 994, 1280, 1024}, 3), (IntRect{1180, 994, 1264, 1024}));
    EXPECT_EQ(TrayRectFallback(kWork), (IntRect{1130, 964, 1280, 994}));
}

IntRect Box(int left, int top) { return IntRect{left, top, left + 200, top + 100}; }

TEST(EdgeSnap, SticksWithinNinePixelsAndLeavesAfterTen) {
    EdgeSnap snap;
    snap.Begin({20, 10});
    const Edges none;
    // Dragged up to 5 pixels below the top: stuck at the top.
    IntRect proposed = Box(500, 4);
    EXPECT_TRUE(snap.OnMoving(proposed, Box(500, 5), kWork, none, {520, 14}));
    EXPECT_EQ(proposed, Box(500, 0));
    EXPECT_EQ(snap.vertical, EdgeSnap::kVerticalStuck);
    EXPECT_EQ(snap.horizontal, EdgeSnap::kFree);
    // The cursor 9 pixels below where it held the panel: it stays.
    proposed = Box(503, 9);
    snap.OnMoving(proposed, Box(500, 0), kWork, none, {523, 19});
    EXPECT_EQ(proposed.top, 0);
    EXPECT_EQ(proposed.left, 503);  // the free axis follows
    EXPECT_EQ(snap.vertical, EdgeSnap::kVerticalStuck);
    // 10 pixels: it follows the cursor again.
    proposed = Box(503, 10);
    EXPECT_TRUE(snap.OnMoving(proposed, Box(503, 0), kWork, none, {523, 20}));
    EXPECT_EQ(proposed, Box(503, 10));
    EXPECT_EQ(snap.vertical, EdgeSnap::kFree);
    // Far from the edges: nothing changes.
    proposed = Box(600, 300);
    EXPECT_FALSE(snap.OnMoving(proposed, Box(590, 290), kWork, none, {620, 310}));
    EXPECT_EQ(proposed, Box(600, 300));
    EXPECT_EQ(snap.lastGrab.x, 620);
    EXPECT_EQ(snap.lastGrab.y, 310);
}

TEST(EdgeSnap, EachEdgeWithTheTemplateEdges) {
    const Edges edges{3, 4, 5, 6};
    struct Case {
        const char* name;
        IntRect current;
        IntRect expected;
        int vertical, horizontal;
    } cases[] = {
        {"top", Box(500, 10), Box(500, 3), EdgeSnap::kVerticalStuck, EdgeSnap::kFree},
        {"bottom", Box(500, 880), Box(500, 994 - 5 - 100), EdgeSnap::kVerticalStuck, EdgeSnap::kFree},
        {"left", Box(12, 400), Box(4, 400), EdgeSnap::kFree, EdgeSnap::kHorizontalStuck},
        {"right", Box(1070, 400), Box(1280 - 6 - 200, 400), EdgeSnap::kFree, EdgeSnap::kHorizontalStuck},
        {"corner", Box(10, 10), Box(4, 3), EdgeSnap::kVerticalStuck, EdgeSnap::kHorizontalStuck},
        {"ten pixels off stays free", Box(500, 13), Box(500, 13), EdgeSnap::kFree, EdgeSnap::kFree},
    };
    for (const Case& c : cases) {
        EdgeSnap snap;
        snap.Begin({5, 5});
        IntRect proposed = c.current;
        snap.OnMoving(proposed, c.current, kWork, edges, {c.current.left + 5, c.current.top + 5});
        EXPECT_EQ(proposed, c.expected) << c.name;
        EXPECT_EQ(snap.vertical, c.vertical) << c.name;
        EXPECT_EQ(snap.horizontal, c.horizontal) << c.name;
    }
}

TEST(ResizeDrag, DirectionsGrowTheGrabbedEdgeAndStopAt150) {
    const Size start{300, 200};
    struct Case {
        int direction, dx, dy;
        Size expected;
    } cases[] = {
        {1, 10, 20, {290, 180}}, {2, 10, 20, {300, 180}}, {3, 10, 20, {310, 180}}, {4, 10, 20, {310, 200}},
        {5, 10, 20, {310, 220}}, {6, 10, 20, {300, 220}}, {7, 10, 20, {290, 220}}, {8, 10, 20, {290, 200}},
        {5, -500, -500, {150, 150}}, {1, 400, 30, {150, 170}}, {0, 10, 20, {300, 200}},
    };
    for (const Case& c : cases) EXPECT_EQ(ResizedSize(c.direction, start, c.dx, c.dy), c.expected) << c.direction;
}

TEST(PanelSize, HeldToTheWorkAreaOfItsMonitor) {
    // Left of the primary monitor, with a taskbar at its top: 1280 x 984.
    const IntRect monitor{-1280, 0, 0, 1024}, work{-1280, 40, 0, 1024};
    // A monitor with no taskbar: the work area is the whole monitor.
    const IntRect bare{0, 0, 1280, 1024};
    struct Case {
        IntRect work, monitor;
        Size asked, held;
    } cases[] = {
        {work, monitor, {420, 360}, {420, 360}},
        {work, monitor, {1280, 984}, {1280, 984}},
        {work, monitor, {1281, 360}, {1280, 360}},
        {work, monitor, {420, 985}, {420, 984}},
        {work, monitor, {2147483647, 2147483647}, {1280, 984}},
        {work, monitor, {0, -5}, {0, -5}},  // no size is left to the callers' minimum
        // Filling a bare monitor whole, the panel is one pixel less high.
        {bare, bare, {2147483647, 2147483647}, {1280, 1023}},
        {bare, bare, {1280, 1024}, {1280, 1023}},
        {bare, bare, {1280, 1023}, {1280, 1023}},
        {bare, bare, {1279, 5000}, {1279, 1024}},
        {bare, bare, {5000, 300}, {1280, 300}},
        // A monitor that cannot be read trims nothing.
        {bare, IntRect{}, {5000, 6000}, {1280, 1024}},
        // A work area without size holds nothing.
        {IntRect{}, IntRect{}, {5000, 6000}, {5000, 6000}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HeldToWorkArea(c.asked, c.work, c.monitor), c.held)
            << c.asked.width << "x" << c.asked.height << " on " << c.monitor.Width() << "x" << c.monitor.Height();
}

TEST(ResizeDrag, CursorPerDirection) {
    const Cursor expected[] = {Cursor::Arrow,   Cursor::SizeNwSe, Cursor::SizeNs, Cursor::SizeNeSw, Cursor::SizeWe,
                               Cursor::SizeNwSe, Cursor::SizeNs,   Cursor::SizeNeSw, Cursor::SizeWe};
    for (int d = 0; d <= 8; ++d) EXPECT_EQ(ResizeCursor(d), expected[d]) << d;
}

// A fade on a clock stepped every 10 ms (the rounds' sleep) from a start
// close to the tick counter's wrap.
std::vector<float> FadeSteps(float from, float to, uint32_t start) {
    Fade fade(from, to, start);
    std::vector<float> seen;
    for (uint32_t t = start + Fade::kRoundSleepMs; !fade.Done() && seen.size() < 100; t += Fade::kRoundSleepMs)
        seen.push_back(fade.Step(t));
    return seen;
}

TEST(PanelFade, RunsFromKeyToKeyInAbout233Ms) {
    for (uint32_t start : {1000u, 0xFFFFFF00u}) {
        std::vector<float> in = FadeSteps(0.0f, 1.0f, start);
        ASSERT_EQ(in.size(), 24u) << start;  // 7 units at 30 per second: the round at 240 ms ends it
        EXPECT_NEAR(in[0], 10 * 30.0f / 1000 / 7, 1e-4);
        for (size_t i = 1; i < in.size(); ++i) EXPECT_GE(in[i], in[i - 1]);
        EXPECT_FLOAT_EQ(in.back(), 1.0f);
        EXPECT_NEAR(in[11], 0.5f, 0.03f);  // 120 ms: half way

        std::vector<float> out = FadeSteps(1.0f, 0.0f, start);
        ASSERT_EQ(out.size(), 24u);
        for (size_t i = 1; i < out.size(); ++i) EXPECT_LE(out[i], out[i - 1]);
        EXPECT_FLOAT_EQ(out.back(), 0.0f);
    }
}

TEST(PanelHitTest, Decisions) {
    struct Case {
        const char* name;
        HitInput in;
        HitDecision out;
    };
    auto in = [](auto f) {
        HitInput h;
        f(h);
        return h;
    };
    auto out = [](auto f) {
        HitDecision d;
        f(d);
        return d;
    };
    const Case cases[] = {
        {"over nothing: arrow, client", in([](HitInput&) {}), out([](HitDecision& d) { d.cursor = Cursor::Arrow; })},
        {"over a windowed element: no cursor", in([](HitInput& h) { h.overWindowed = true; }),
         out([](HitDecision&) {})},
        {"over a resize handle", in([](HitInput& h) { h.resizeDirection = 3; }),
         out([](HitDecision& d) { d.cursor = Cursor::SizeNeSw; })},
        {"press on a move area starts the move",
         in([](HitInput& h) { h.overMoveArea = h.leftDown = true; }), out([](HitDecision& d) {
             d.cursor = Cursor::Arrow;
             d.caption = d.hideMenus = d.startMove = d.raiseChildren = true;
         })},
        {"already moving continues anywhere", in([](HitInput& h) { h.leftDown = h.moving = true; }),
         out([](HitDecision& d) {
             d.cursor = Cursor::Arrow;
             d.caption = d.hideMenus = d.raiseChildren = true;
         })},
        {"press on a control never moves",
         in([](HitInput& h) { h.overControl = h.overMoveArea = h.leftDown = true; }),
         out([](HitDecision& d) { d.cursor = Cursor::Arrow; })},
        {"tail dropped by a drag", in([](HitInput& h) { h.hasTail = h.overMoveArea = h.leftDown = true; }),
         out([](HitDecision& d) {
             d.cursor = Cursor::Arrow;
             d.dropTail = d.caption = d.hideMenus = d.startMove = d.raiseChildren = true;
         })},
        {"tail kept by the close control",
         in([](HitInput& h) { h.hasTail = h.overControl = h.overClose = h.leftDown = true; }),
         out([](HitDecision& d) { d.cursor = Cursor::Arrow; })},
        {"tail dropped by another control", in([](HitInput& h) { h.hasTail = h.overControl = h.leftDown = true; }),
         out([](HitDecision& d) {
             d.cursor = Cursor::Arrow;
             d.dropTail = true;
         })},
        {"release after a move of a search panel",
         in([](HitInput& h) { h.moving = h.hasSearch = true; }), out([](HitDecision& d) {
             d.cursor = Cursor::Arrow;
             d.raiseChildren = d.endMove = d.focusSearch = d.panelReady = true;
         })},
        {"release of a menu search panel: no focus",
         in([](HitInput& h) {
             h.moving = h.hasSearch = true;
             h.flags = kFlagMenuPanel;
         }),
         out([](HitDecision& d) {
             d.cursor = Cursor::Arrow;
             d.raiseChildren = d.endMove = d.panelReady = true;
         })},
        {"release while closing", in([](HitInput& h) { h.moving = h.hasSearch = h.closing = true; }),
         out([](HitDecision& d) {
             d.cursor = Cursor::Arrow;
             d.raiseChildren = d.endMove = true;
         })},
    };
    for (const Case& c : cases) {
        HitDecision d = DecideHit(c.in);
        EXPECT_EQ(d.caption, c.out.caption) << c.name;
        EXPECT_EQ(d.cursor, c.out.cursor) << c.name;
        EXPECT_EQ(d.dropTail, c.out.dropTail) << c.name;
        EXPECT_EQ(d.hideMenus, c.out.hideMenus) << c.name;
        EXPECT_EQ(d.startMove, c.out.startMove) << c.name;
        EXPECT_EQ(d.endMove, c.out.endMove) << c.name;
        EXPECT_EQ(d.raiseChildren, c.out.raiseChildren) << c.name;
        EXPECT_EQ(d.focusSearch, c.out.focusSearch) << c.name;
        EXPECT_EQ(d.panelReady, c.out.panelReady) << c.name;
    }
}

// The plain face's close area: 16 pixels square, 4 from the top and right
// edges, never outside a panel too small for it.
TEST(PlainFace, CloseAreaInTheTopRightCorner) {
    struct Case {
        int width, height;
        IntRect expected;
    } cases[] = {
        {420, 360, {400, 4, 416, 20}},
        {150, 150, {130, 4, 146, 20}},
        {10, 12, {0, 4, 6, 12}},
        {0, 100, {}},
    };
    for (const Case& c : cases) {
        const IntRect r = PlainCloseRect(c.width, c.height);
        EXPECT_TRUE(r == c.expected) << c.width << "x" << c.height << ": " << r.left << "," << r.top << "," << r.right
                                     << "," << r.bottom;
    }
}

TEST(PanelControls, ReleasedControlsPostTheirMessages) {
    using A = PanelAction;
    const A hide{A::Post, Target::Controller, 11136, 0, 0};
    struct Case {
        const char* name;
        Control control;
        bool shift, forward;
        std::vector<A> expected;
    } cases[] = {
        {"close", Control::Close, false, false, {hide, A{A::FadeOutAndClose, Target::Self, 0, 0, 0}}},
        {"share", Control::Share, false, false, {A{A::Post, Target::Self, 11210, 0, 0}}},
        {"submit", Control::SearchSubmit, false, false, {A{A::Post, Target::Self, 11202, 0, 1}}},
        {"dock", Control::Dock, false, false,
         {A{A::Post, Target::Dock, 11117, 0, 0}, hide, A{A::Post, Target::Self, 11203, 0, 0}}},
        {"dock with shift docks all", Control::Dock, true, false,
         {A{A::Post, Target::Dock, 11117, 0, 0}, hide, A{A::Post, Target::Controller, 11142, 0, 0}}},
        {"forward", Control::NextBack, false, true, {A{A::Post, Target::Children, 11311, 0, 0}}},
        {"back", Control::NextBack, false, false, {A{A::Post, Target::Children, 11312, 0, 0}}},
        {"browser", Control::OpenInBrowser, false, false, {hide, A{A::OpenInBrowser, Target::Self, 0, 0, 0}}},
        {"none", Control::None, true, true, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(ButtonUpActions(c.control, c.shift, c.forward), c.expected) << c.name;
}

}  // namespace

TEST(DockFlight, WindowHoldsPanelAndDockPointWithAWindowBeyond) {
    const IntRect panel{100, 100, 400, 300};  // 300 x 200
    struct Case {
        Point point;
        IntRect expected;
    } cases[] = {
        {{250, 900}, {100, 100, 400, 1100}},  // below: one height beyond
        {{250, 10}, {100, -190, 400, 300}},   // above
        {{900, 200}, {100, 100, 1200, 300}},  // right
        {{20, 900}, {-280, 100, 400, 1100}},  // left and below
        {{250, 200}, {100, 100, 400, 300}},   // inside: as it is
    };
    for (const Case& c : cases) {
        IntRect r = DockFlightRect(panel, c.point);
        EXPECT_EQ(r.left, c.expected.left) << c.point.x << "," << c.point.y;
        EXPECT_EQ(r.top, c.expected.top) << c.point.x << "," << c.point.y;
        EXPECT_EQ(r.right, c.expected.right) << c.point.x << "," << c.point.y;
        EXPECT_EQ(r.bottom, c.expected.bottom) << c.point.x << "," << c.point.y;
    }
}
