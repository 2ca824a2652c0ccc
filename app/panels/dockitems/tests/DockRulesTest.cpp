#include "app/panels/dockitems/DockRules.h"

#include <gtest/gtest.h>

#include <vector>

using namespace dock;

namespace {

// A stepping loop that never settles ends here (and its tick count fails the
// test) instead of hanging it.
constexpr int kTickBound = 1000;

std::vector<ItemScale> Scales(std::vector<float> values) {
    std::vector<ItemScale> items;
    for (float v : values) {
        ItemScale s;
        s.scaleX = s.scaleY = v;
        items.push_back(s);
    }
    return items;
}

TEST(DockLayout, CellsGrowAroundTheirPlaceAndTheBarFollows) {
    struct Case {
        const char* name;
        std::vector<float> scales;
        std::vector<IntRect> cells;
        int itemsWidth;
        IntRect bar;  // on a 1280-wide work area at the top
    };
    const Case cases[] = {
        {"no items", {}, {}, 0, {606, 0, 674, 186}},
        {"one item", {1.0f}, {{34, 14, 94, 74}}, 60, {576, 0, 704, 186}},
        {"three items", {1.0f, 1.0f, 1.0f}, {{34, 14, 94, 74}, {100, 14, 160, 74}, {166, 14, 226, 74}}, 192,
         {510, 0, 770, 186}},
        {"magnified middle", {1.0f, 2.0f, 1.0f}, {{34, 14, 94, 74}, {70, 14, 190, 134}, {226, 14, 286, 74}}, 252,
         {480, 0, 800, 186}},
        {"half magnified first", {1.5f, 1.0f}, {{19, 14, 109, 104}, {130, 14, 190, 74}}, 156, {528, 0, 752, 186}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<IntRect> cells = LayoutCells(Scales(c.scales), 60.0f, 60.0f);
        EXPECT_EQ(cells, c.cells);
        EXPECT_EQ(ItemsWidth(cells), c.itemsWidth);
        EXPECT_EQ(BarRect(IntRect{0, 0, 1280, 994}, ItemsWidth(cells)), c.bar);
    }
}

TEST(DockLayout, BarSitsOnTheTopOfItsWorkAreaCentred) {
    const IntRect bar = BarRect(IntRect{1280, 40, 2560, 1024}, 60);
    EXPECT_EQ(bar, (IntRect{1856, 40, 1984, 226}));
    EXPECT_EQ(bar.Height(), 186);
    EXPECT_EQ(DockPoint(bar), (Point{1890, 48}));
}

// Two monitors side by side, the second one's work area below its own bar:
// a drag takes the work area of the monitor under the bar window, and the
// drop puts the bar centred on that work area's top edge.
TEST(DockMonitors, ADragTakesTheWorkAreaUnderTheBar) {
    const std::vector<MonitorArea> two = {
        {{0, 0, 1280, 1024}, {0, 0, 1280, 994}},
        {{1280, 0, 2560, 1024}, {1280, 40, 2560, 1024}},
    };
    const IntRect fallback{0, 0, 800, 600};
    struct Case {
        const char* name;
        IntRect window;
        IntRect work;
    };
    const Case cases[] = {
        {"wholly on the first", {576, 0, 704, 186}, two[0].work},
        {"wholly on the second", {1856, 40, 1984, 226}, two[1].work},
        {"mostly on the first", {1200, 0, 1328, 186}, two[0].work},
        {"mostly on the second", {1240, 0, 1368, 186}, two[1].work},
        {"half on each: the first", {1216, 0, 1344, 186}, two[0].work},
        {"above the second, off the screens", {2000, -400, 2128, -214}, two[1].work},
        {"left of the first, off the screens", {-500, 300, -372, 486}, two[0].work},
        {"right of the second, off the screens", {3000, 100, 3128, 286}, two[1].work},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(WorkAreaUnder(two, c.window, fallback), c.work);
    }
    EXPECT_EQ(WorkAreaUnder({}, IntRect{0, 0, 10, 10}, fallback), fallback);
    // Dropped mostly on the second monitor with two items (132 wide): the bar
    // on its top edge, centred.
    const IntRect dropped{1240, 300, 1500, 486};
    EXPECT_EQ(BarRect(WorkAreaUnder(two, dropped, fallback), 126), (IntRect{1823, 40, 2017, 226}));
    // And back on the first.
    EXPECT_EQ(BarRect(WorkAreaUnder(two, IntRect{100, 500, 294, 686}, fallback), 126), (IntRect{543, 0, 737, 186}));
}

// The dock menu opens without taking the front (menus never activate): it
// stays while the window in front is unchanged or is a menu, and closes when
// another window comes to the front.
TEST(DockMenu, StaysUntilAnotherWindowComesToTheFront) {
    struct Case {
        const char* name;
        bool foregroundIsMenu;
        std::uintptr_t atOpen, now;
        bool keeps;
    };
    const Case cases[] = {
        {"the same window in front", false, 0x100, 0x100, true},
        {"nothing in front, still nothing", false, 0, 0, true},
        {"another window in front", false, 0x100, 0x200, false},
        {"a window in front where there was none", false, 0, 0x200, false},
        {"a menu in front", true, 0x100, 0x300, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(KeepsDockMenu(c.foregroundIsMenu, c.atOpen, c.now), c.keeps);
    }
}

TEST(DockItemList, InsertionPositions) {
    struct Case {
        const char* name;
        size_t count;
        bool append;
        int position;
        size_t index;
    };
    const Case cases[] = {
        {"append flag", 3, true, 1, 3},      {"-1 tail", 3, false, -1, 3},
        {"-2 head", 3, false, -2, 0},        {"0 still appends at the tail", 3, false, 0, 3},
        {"1 second", 3, false, 1, 1},        {"2 third", 3, false, 2, 2},
        {"past the end", 3, false, 7, 3},    {"at the end", 3, false, 3, 3},
        {"empty list head", 0, false, -2, 0}, {"other negative", 3, false, -5, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(InsertionIndex(c.count, c.append, c.position), c.index);
    }
}

TEST(DockItemList, OnlyRemovingTheLastItemHidesTheBar) {
    EXPECT_TRUE(HidesAfterRemoval(0));
    EXPECT_FALSE(HidesAfterRemoval(1));  // a live item left must stay reachable
    EXPECT_FALSE(HidesAfterRemoval(2));
}

TEST(DockHitTest, CellsMovedByTheirGrowthAndWidened) {
    struct Case {
        const char* name;
        std::vector<float> scales;
        int widen, x, y;
        int hit;
        float offset;
    };
    const Case cases[] = {
        {"first cell", {1, 1, 1}, 0, 40, 20, 0, 6},
        {"gap between cells", {1, 1, 1}, 0, 96, 20, -1, 0},
        {"gap widened", {1, 1, 1}, 4, 96, 20, 0, 62},
        {"second cell", {1, 1, 1}, 0, 130, 40, 1, 30},
        {"below the cells", {1, 1, 1}, 0, 40, 80, -1, 0},
        {"left of all", {1, 1, 1}, 4, 10, 20, -1, 0},
        // A magnified cell (70..190) counts from its unmagnified left (100).
        {"magnified cell from its place", {1, 2, 1}, 0, 101, 20, 1, 1},
        {"magnified cell left half is the first", {1, 2, 1}, 0, 80, 20, 0, 46},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<ItemScale> items = Scales(c.scales);
        float offset = 0;
        EXPECT_EQ(HitTest(LayoutCells(items, 60, 60), items, 60, c.widen, 0, c.x, c.y, &offset), c.hit);
        if (c.hit >= 0) {
            EXPECT_FLOAT_EQ(offset, c.offset);
        }
    }
}

TEST(DockMagnify, TargetsAtPointerPositions) {
    struct Case {
        const char* name;
        size_t count;
        int hit;
        float offset;
        std::vector<float> targets;
        std::vector<bool> growing;
    };
    const Case cases[] = {
        {"middle of five, centre", 5, 2, 30, {1.22f, 1.75f, 2.0f, 1.75f, 1.28f}, {true, true, true, true, true}},
        {"middle of five, left edge", 5, 2, 0, {1.47f, 2.0f, 2.0f, 1.5f, 1.03f}, {true, true, true, true, true}},
        {"middle of five, right edge", 5, 2, 60, {1.0f, 1.5f, 2.0f, 2.0f, 1.53f}, {true, true, true, true, true}},
        {"first of four", 4, 0, 30, {2.0f, 1.75f, 1.28f, 1.0f}, {true, true, true, false}},
        {"last of three", 3, 2, 30, {1.22f, 1.75f, 2.0f}, {true, true, true}},
        {"no item", 3, -1, 0, {1.0f, 1.0f, 1.0f}, {false, false, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<ItemScale> items(c.count);
        for (auto& i : items) i.targetScale = 1.7f;  // left from an earlier hover
        MagnifyTargets(items, c.hit, c.offset);
        for (size_t i = 0; i < c.count; ++i) {
            EXPECT_NEAR(items[i].targetScale, c.targets[i], 1e-5) << "item " << i;
            EXPECT_EQ(items[i].growing, c.growing[i]) << "item " << i;
        }
    }
}

TEST(DockMagnify, OffsetCountsAtTheHitItemsScale) {
    // At scale 2 the pointer 60 pixels in is the middle of the picture.
    std::vector<ItemScale> items = Scales({1, 2, 1});
    MagnifyTargets(items, 1, 60);
    EXPECT_NEAR(items[0].targetScale, 1.75f, 1e-5);
    EXPECT_NEAR(items[2].targetScale, 1.75f, 1e-5);
}

TEST(DockAnimation, HitItemGrowsToTwoInFiveTicksAndHoldsThere) {
    std::vector<ItemScale> items(3);
    std::vector<float> seen;
    for (int tick = 0; tick < 8; ++tick) {
        MagnifyTargets(items, 1, 30 * items[1].scaleX);  // the pointer rests on the middle of the middle item
        ASSERT_EQ(AnimateItems(items, true, true, false, true), tick < 5) << "tick " << tick;
        seen.push_back(items[1].scaleX);
    }
    const std::vector<float> want{1.2f, 1.4f, 1.6f, 1.8f, 2.0f, 2.0f, 2.0f, 2.0f};
    for (size_t i = 0; i < want.size(); ++i) EXPECT_NEAR(seen[i], want[i], 1e-5) << "tick " << i;
    EXPECT_EQ(items[1].scaleX, 2.0f);
    EXPECT_EQ(items[1].scaleY, 2.0f);
    EXPECT_NEAR(items[0].scaleX, 1.75f, 1e-5);  // neighbours stop at their targets
}

TEST(DockAnimation, ItemsShrinkBackWhenThePointerLeaves) {
    std::vector<ItemScale> items(2);
    for (int i = 0; i < 5; ++i) {
        MagnifyTargets(items, 0, 30);
        AnimateItems(items, true, true, false, true);
    }
    MagnifyTargets(items, -1, 0);
    int ticks = 0;
    while (ticks < kTickBound && AnimateItems(items, false, false, false, true)) ++ticks;
    EXPECT_EQ(ticks, 5);
    EXPECT_EQ(items[0].scaleX, 1.0f);
    EXPECT_EQ(items[1].scaleX, 1.0f);
}

TEST(DockAnimation, ItemsAreStillOverABarWithoutMagnificationOrWithTheButtonDown) {
    std::vector<ItemScale> items = Scales({1.6f});
    items[0].shrinking = true;
    EXPECT_FALSE(AnimateItems(items, true, false, false, true));  // over the bar, nothing magnified
    EXPECT_FALSE(AnimateItems(items, false, false, false, false));  // button down
    EXPECT_FLOAT_EQ(items[0].scaleX, 1.6f);
    items[0].growing = true;
    items[0].shrinking = false;
    items[0].targetScale = 2.0f;
    EXPECT_TRUE(AnimateItems(items, false, true, true, true));  // a sliding bar shrinks its items
    EXPECT_NEAR(items[0].scaleX, 1.4f, 1e-5);
    EXPECT_FALSE(items[0].growing);
}

struct SlideTick {
    SlideInput in;
    float slideY;
    bool changed;
    bool slidingIn, slidingOut;
};

SlideInput InStrip(int fromTop) { return SlideInput{false, true, false, fromTop}; }
SlideInput Away() { return SlideInput{false, false, false, 300}; }

TEST(DockSlide, ShownHidingHiddenReshown) {
    Slide s;  // shown: starts above the edge
    std::vector<SlideTick> ticks;
    // Hidden: the pointer away keeps it at -86, every tick a frame.
    ticks.push_back({Away(), -86, true, false, false});
    // The pointer at the top 10 pixels of the strip: slides in by 4 a tick.
    ticks.push_back({InStrip(5), -82, true, true, false});
    for (int i = 0; i < 19; ++i) ticks.push_back({InStrip(5), -78.0f + 4 * i, true, true, false});
    ticks.push_back({InStrip(5), -2, true, true, false});
    ticks.push_back({InStrip(5), 0, true, false, false});  // -2 -> 0 ends the slide
    ticks.push_back({InStrip(5), 0, false, false, false});  // shown, nothing to do
    // Hiding: the pointer leaves.
    ticks.push_back({Away(), -4, true, false, true});
    for (int i = 0; i < 20; ++i) ticks.push_back({Away(), -8.0f - 4 * i, true, false, true});
    ticks.push_back({Away(), -86, true, false, false});  // -84 -> -86 ends the slide
    ticks.push_back({Away(), -86, true, false, false});  // hidden: still a frame a tick
    for (size_t i = 0; i < ticks.size(); ++i) {
        const SlideTick& t = ticks[i];
        EXPECT_EQ(StepSlide(s, t.in), t.changed) << "tick " << i;
        EXPECT_FLOAT_EQ(s.slideY, t.slideY) << "tick " << i;
        EXPECT_EQ(s.slidingIn, t.slidingIn) << "tick " << i;
        EXPECT_EQ(s.slidingOut, t.slidingOut) << "tick " << i;
    }
    EXPECT_FLOAT_EQ(s.offsetY, -96.0f);
}

TEST(DockSlide, ReshowNeedsTheTopOfTheStripTheButtonsUpAndNoSlideOut) {
    struct Case {
        const char* name;
        float slideY;
        bool slidingOut;
        SlideInput in;
        bool slidesIn;
    };
    const Case cases[] = {
        {"hidden, pointer low in the strip", -86, false, InStrip(40), false},
        {"hidden, pointer at the top", -86, false, InStrip(9), true},
        {"partly shown, pointer low", -72, false, InStrip(40), true},
        {"hidden, button down", -86, false, SlideInput{false, true, true, 2}, false},
        {"sliding out", -40, true, InStrip(2), false},
        {"pointer outside the strip", -86, false, Away(), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Slide s;
        s.slideY = c.slideY;
        s.slidingOut = c.slidingOut;
        StepSlide(s, c.in);
        EXPECT_EQ(s.slidingIn, c.slidesIn);
    }
}

TEST(DockSlide, WithoutAutoHideTheBarSlidesInAndStays) {
    Slide s;
    s.autoHide = false;
    int ticks = 0;
    while (ticks < kTickBound && StepSlide(s, Away())) ++ticks;
    EXPECT_EQ(ticks, 22);  // -86 to 0 in steps of 4 (the last step clamps)
    EXPECT_FLOAT_EQ(s.slideY, 0.0f);
    EXPECT_FALSE(StepSlide(s, Away()));
    EXPECT_FLOAT_EQ(s.offsetY, -10.0f);
}

TEST(DockSlide, DragShowsTheBarWithoutOffsets) {
    Slide s;
    s.slidingIn = true;
    EXPECT_FALSE(StepSlide(s, SlideInput{true, true, true, 0}));
    EXPECT_EQ(s.slideY, 0.0f);
    EXPECT_EQ(s.offsetY, 0.0f);
    EXPECT_FALSE(s.slidingIn);
}

TEST(DockLayout, PicturesFitTheirCellsKeepingTheirShape) {
    struct Case {
        const char* name;
        int width, height;
        IntRect cell;
        float x, y, w, h;
    };
    const Case cases[] = {
        {"square", 30, 30, {34, 14, 94, 74}, 34, 14, 60, 60},
        {"wide", 300, 150, {34, 14, 94, 74}, 34, 29, 60, 30},
        {"tall at scale 2", 50, 100, {70, 14, 190, 134}, 100, 14, 60, 120},
        {"no picture", 0, 10, {34, 14, 94, 74}, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const FloatRect r = FitPicture(c.width, c.height, c.cell);
        EXPECT_FLOAT_EQ(r.x, c.x);
        EXPECT_FLOAT_EQ(r.y, c.y);
        EXPECT_FLOAT_EQ(r.width, c.w);
        EXPECT_FLOAT_EQ(r.height, c.h);
    }
}

TEST(DockSlide, RedrawCountdownRunsNineTicks) {
    int countdown = kRedrawCountdownStart;
    int ticks = 0;
    while (ticks < kTickBound && StepCountdown(countdown)) ++ticks;
    EXPECT_EQ(ticks, 9);
    EXPECT_EQ(countdown, 0);
}

TEST(DockBackground, SlicesFillTheStrip) {
    struct Case {
        const char* name;
        int windowWidth;
        std::vector<Slice> slices;
    };
    const Case cases[] = {
        {"no items", 68, {{0, 32, 0, 32}, {40, 1, 32, 4}, {73, 32, 36, 32}}},
        {"one item", 128, {{0, 32, 0, 32}, {40, 20, 32, 20}, {40, 20, 52, 20}, {40, 20, 72, 20}, {40, 1, 92, 4},
                          {73, 32, 96, 32}}},
        {"exact fit", 104, {{0, 32, 0, 32}, {40, 20, 32, 20}, {40, 20, 52, 20}, {73, 32, 72, 32}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PlanBackground(105, c.windowWidth, 0), c.slices);
    }
    std::vector<Slice> plan = PlanBackground(105, 128, 0);
    int covered = 0;
    for (const Slice& s : plan) covered += s.dstWidth;
    EXPECT_EQ(covered, 128);
    EXPECT_TRUE(PlanBackground(30, 128, 0).empty());  // too small an image draws nothing
}

TEST(DockContents, ArchiveStringForm) {
    const std::vector<uint8_t> done = ArchiveStringBytes(u"AllDone");
    const std::vector<uint8_t> want{0xFF, 0xFE, 0xFF, 7,   'A', 0, 'l', 0, 'l', 0,
                                    'D',  0,    'o',  0, 'n', 0,   'e', 0};
    EXPECT_EQ(done, want);
    struct Case {
        size_t length;
        size_t header;
    };
    for (Case c : {Case{0, 4}, Case{254, 4}, Case{255, 6}, Case{0xFFFD, 6}, Case{0xFFFE, 10}}) {
        const std::u16string text(c.length, u'x');
        const std::vector<uint8_t> bytes = ArchiveStringBytes(text);
        EXPECT_EQ(bytes.size(), c.header + 2 * c.length) << c.length;
        std::u16string back;
        EXPECT_TRUE(ReadArchiveString(bytes, &back)) << c.length;
        EXPECT_EQ(back, text);
    }
    std::u16string back;
    EXPECT_FALSE(ReadArchiveString({0xFF, 0xFE, 0xFF, 7, 'A', 0}, &back));  // cut short
    EXPECT_FALSE(ReadArchiveString({7, 'A', 0}, &back));                    // no marker
    EXPECT_FALSE(ReadArchiveString({}, &back));
}

TEST(DockImports, IconFileNamesFromTheServer) {
    struct Case {
        const wchar_t* server;
        const wchar_t* local;
    };
    const Case cases[] = {
        {L"dock1.png", L"dock1.png"},
        {L"icons/dock1.png", L"dock1.png"},
        {L"..\\..\\Windows\\evil.png", L"evil.png"},
        {L"../evil.png", L"evil.png"},
        {L"a..b.png", L""},
        {L"C:evil.png", L""},
        {L"dock.png:stream", L""},
        {L"icons/", L""},
        {L"", L""},
        {L"..", L""},
        // Names Windows opens as devices, whatever the extension or case.
        {L"CON", L""},
        {L"icons/nul.png", L""},
        {L"COM1.png", L""},
        {L"Aux.x.gif", L""},
        {L"LPT9", L""},
        {L"prn .png", L""},
        {L"CONIN$", L""},
        {L"conout$.png", L""},
        {L"COM\u00B9.png", L""},
        {L"console.png", L"console.png"},
        {L"COM10.png", L"COM10.png"},
        {L"nullable.png", L"nullable.png"},
    };
    for (const Case& c : cases) EXPECT_EQ(IconFileName(c.server), c.local) << c.server;
}

TEST(DockImports, FlagTexts) {
    EXPECT_TRUE(FlagText(L"true"));
    EXPECT_TRUE(FlagText(L"TRUE"));
    EXPECT_TRUE(FlagText(L"True"));
    EXPECT_FALSE(FlagText(L""));
    EXPECT_FALSE(FlagText(L"1"));
    EXPECT_FALSE(FlagText(L"true "));
    EXPECT_FALSE(FlagText(L"false"));
}

}  // namespace
