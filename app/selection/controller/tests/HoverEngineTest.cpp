// The hover engine's decisions over a recording host: pointer, clock, the
// windows' rectangles and the records are plain values; the steps it takes
// are recorded in order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/selection/controller/HoverEngine.h"

using namespace hover;

namespace {

std::string Str(const Rect& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

struct RecordingHost : HoverHost {
    Point cursor{};
    bool leftDown = false;
    uint32_t now = 1000;
    bool disabled = false, searchOrAppMenu = false;
    bool textMenu = false;
    Rect textMenuRect{};
    bool subMenu = false;
    Rect subMenuRect{};
    int32_t textCountdown = 0;
    bool hotspot = false;
    Rect hotspotRect{};
    bool selectionMode = false;
    Rect targetRect{};
    bool guessesRequested = false;
    bool panel = false, panelCreated = false;
    Rect panelRect{};
    bool newSelection = false;
    std::vector<Rect> selections;
    std::vector<Rect> hotSpots;
    std::vector<int32_t> countdowns;
    Target current;
    Rect hoverSelectionRect{};
    Marks marks;
    bool requestClearsFlag = false;  // the request switches the hotspot to launch mode
    std::vector<std::string> steps;

    Point CursorPos() override { return cursor; }
    bool LeftButtonDown() override { return leftDown; }
    uint32_t Now() override { return now; }
    bool Disabled() override { return disabled; }
    bool SearchOrAppMenuVisible() override { return searchOrAppMenu; }
    bool TextMenuVisible() override { return textMenu; }
    Rect TextMenuRect() override { return textMenuRect; }
    bool TextSubMenuRect(Rect& r) override {
        r = subMenuRect;
        return subMenu;
    }
    int32_t& TextMenuCountdown() override { return textCountdown; }
    bool HotspotVisible() override { return hotspot; }
    Rect HotspotRect() override { return hotspotRect; }
    bool HotspotSelectionMode() override { return selectionMode; }
    Rect HotspotTargetRect() override { return targetRect; }
    bool MenuPanelOpen() override { return panel; }
    bool CreatedPanelRect(Rect& r) override {
        r = panelRect;
        return panelCreated;
    }
    bool NewSelection() override { return newSelection; }
    std::vector<Rect> SelectionRects() override { return selections; }
    size_t HotSpotCount() override { return hotSpots.size(); }
    Rect HotSpotRect(size_t i) override { return hotSpots.at(i); }
    int32_t& HotSpotCountdown(size_t i) override {
        countdowns.resize(hotSpots.size());
        return countdowns.at(i);
    }
    Target Current() override { return current; }
    void SetCurrent(Target t) override { current = t; }
    Rect CurrentRect() override {
        if (current.kind == Target::HoverSelection) return hoverSelectionRect;
        if (current.kind == Target::HotSpot) return hotSpots.at(current.index);
        return Rect{};
    }
    Marks& HoverMarks() override { return marks; }
    void HideTextMenuWindow() override {
        if (textMenu) steps.push_back("hideTextMenuWindow");
        textMenu = false;
    }
    void HideTextMenu() override {
        steps.push_back("hideTextMenu");
        textMenu = false;
    }
    void HideHotspot() override {
        if (!hotspot) return;
        steps.push_back("hideHotspot");
        hotspot = false;
        current = Target{};
    }
    void CloseMenuEcp() override {
        steps.push_back("closeMenuEcp");
        panel = false;
    }
    void ShowHotspot(const Rect& anchor) override {
        steps.push_back("show " + Str(anchor));
        hotspot = true;
    }
    void TakeSelection(size_t i) override {
        steps.push_back("takeSelection " + std::to_string(i));
        hoverSelectionRect = Offset(selections.at(i), -5, 0);
    }
    void TakeLink(size_t i) override { steps.push_back("takeLink " + std::to_string(i)); }
    void SetHotspotTarget(const Rect& rect, bool selection) override {
        steps.push_back("target " + Str(rect) + (selection ? " selection" : " link"));
        targetRect = rect;
        selectionMode = selection;
    }
    void SetHotspotGuessesRequested(bool value) override {
        steps.push_back(value ? "menuMode" : "launchMode");
        guessesRequested = value;
    }
    void RequestGuesses(bool forLink, size_t i) override {
        steps.push_back(forLink ? "requestGuesses link " + std::to_string(i) : "requestGuesses selection");
        if (requestClearsFlag) guessesRequested = false;
    }
    void Log(const std::wstring& line) override { steps.push_back("log " + std::string(line.begin(), line.end())); }
};

std::string Join(const std::vector<std::string>& v) {
    std::string s;
    for (const auto& x : v) s += (s.empty() ? "" : "; ") + x;
    return s;
}

}  // namespace

TEST(HoverGeometry, FindLinkAtMarginsAndTheHotspotsEnlargedRectangle) {
    const Rect piece{100, 50, 200, 70};
    const Rect hotspot{200, 40, 220, 56};  // enlarged: 182,32 .. 228,70
    struct Case {
        const char* name;
        std::vector<Rect> records;
        Point pt;
        bool newSelection;
        const Rect* hotspot;
        int expected;
    };
    const Case cases[] = {
        {"6 px left of the left edge", {piece}, {94, 60}, false, nullptr, 0},
        {"7 px left of the left edge", {piece}, {93, 60}, false, nullptr, -1},
        {"5 px right of the last column", {piece}, {205, 60}, false, nullptr, 0},
        {"6 px right of the last column", {piece}, {206, 60}, false, nullptr, -1},
        {"6 px above", {piece}, {150, 44}, false, nullptr, 0},
        {"7 px above", {piece}, {150, 43}, false, nullptr, -1},
        {"7 px left, the hotspot shows elsewhere", {piece}, {93, 60}, false, &hotspot, -1},
        {"on the hotspot's enlarged rectangle", {piece}, {227, 69}, false, &hotspot, 0},
        {"just outside it downwards", {piece}, {227, 70}, false, &hotspot, -1},
        {"its extra 10 px to the left", {Rect{0, 0, 10, 10}}, {182, 40}, false, &hotspot, 0},
        {"new selection: the first piece at once", {Rect{0, 0, 10, 10}, piece}, {500, 500}, true, nullptr, 0},
        {"the second piece", {Rect{0, 0, 10, 10}, piece}, {150, 60}, false, nullptr, 1},
        {"no pieces", {}, {150, 60}, true, nullptr, -1},
    };
    for (const Case& c : cases) EXPECT_EQ(FindLinkAt(c.records, c.pt, c.newSelection, c.hotspot), c.expected) << c.name;
}

TEST(HoverGeometry, Anchors) {
    // The hotspot's left edge lands on the piece's right edge (anchor right
    // + 3) and its middle 9 px above the piece's top (anchor 18 high).
    Rect a = SelectionAnchor(Rect{100, 50, 200, 70});
    EXPECT_EQ(Str(a), "192,32,197,50");
    EXPECT_EQ(a.right + 3, 200);
    EXPECT_EQ(a.top + (a.bottom - a.top) / 2, 50 - 9);
    EXPECT_EQ(Str(LinkAnchor(Point{300, 400})), "295,385,305,394");
}

TEST(HoverEngine, SelectionModeSteps) {
    const Rect piece{100, 50, 200, 70};
    struct Case {
        const char* name;
        Point cursor;
        bool leftDown, textMenu, hotspot, newSelection;
        Target current;
        std::string expected;
    };
    const std::string take =
        "takeSelection 0; show 192,32,197,50; target 100,50,200,70 selection; menuMode; requestGuesses selection";
    const Case cases[] = {
        {"cursor on the piece", {150, 60}, false, false, false, false, {}, take},
        {"6 px left of it", {94, 60}, false, false, false, false, {}, take},
        {"new selection, cursor elsewhere", {900, 900}, false, false, false, true, {}, take},
        {"nothing under the cursor", {900, 900}, false, false, true, false, {}, "hideHotspot"},
        {"nothing under the cursor, a link target stays", {900, 900}, false, false, true, false,
         {Target::HotSpot, 0}, ""},
        {"button down on the piece", {150, 60}, true, true, true, false, {Target::HoverSelection, 0},
         "hideTextMenuWindow; hideHotspot"},
        {"already showing the selection", {150, 60}, false, false, true, false, {Target::HoverSelection, 0},
         "log Hover is visible  !"},
        {"text menu open", {150, 60}, false, true, true, false, {}, ""},
    };
    for (const Case& c : cases) {
        RecordingHost host;
        host.selections = {piece};
        host.cursor = c.cursor;
        host.leftDown = c.leftDown;
        host.textMenu = c.textMenu;
        host.textMenuRect = Rect{600, 600, 780, 700};
        host.hotspot = c.hotspot;
        host.hotspotRect = Rect{200, 40, 220, 56};
        host.newSelection = c.newSelection;
        host.current = c.current;
        host.now = 5000;
        HoverEngine().TrackHover(host);
        EXPECT_EQ(Join(host.steps), c.expected) << c.name;
        if (c.expected == take) {
            EXPECT_EQ(host.current.kind, Target::HoverSelection) << c.name;
            EXPECT_EQ(host.marks.m_Anchor, piece) << c.name;
        }
        if (c.textMenu || c.current.kind == Target::HoverSelection) {
            if (!c.leftDown) {
                EXPECT_EQ(host.marks.m_MenuTick, 5000u) << c.name;
            }
        }
    }
}

TEST(HoverEngine, NothingWhileDisabledOrTheSearchOrApplicationMenuShows) {
    for (int which = 0; which < 2; ++which) {
        RecordingHost host;
        host.selections = {Rect{100, 50, 200, 70}};
        host.cursor = {150, 60};
        host.textCountdown = 300;
        (which ? host.disabled : host.searchOrAppMenu) = true;
        HoverEngine().TrackHover(host);
        EXPECT_TRUE(host.steps.empty());
        EXPECT_EQ(host.textCountdown, 300);
    }
}

TEST(HoverEngine, TextMenuKeepOpenZone) {
    // Menu at 300,100 .. 480,200: the zone reaches 5 px round it and 21 px
    // above its top; the open sub-menu joins it with 10 px round both.
    struct Case {
        const char* name;
        Point cursor;
        bool subMenu;
        bool stays;
    };
    const Case cases[] = {
        {"on the menu", {350, 150}, false, true},
        {"4 px below", {350, 204}, false, true},
        {"5 px below", {350, 205}, false, false},
        {"21 px above", {350, 79}, false, true},
        {"22 px above", {350, 78}, false, false},
        {"5 px left", {295, 150}, false, true},
        {"6 px left", {294, 150}, false, false},
        {"near the open sub-menu", {605, 150}, true, true},
        {"between menu and sub-menu", {540, 150}, true, true},
        {"beyond the sub-menu's margin", {611, 150}, true, false},
    };
    for (const Case& c : cases) {
        RecordingHost host;
        host.textMenu = true;
        host.textMenuRect = Rect{300, 100, 480, 200};
        host.subMenu = c.subMenu;
        host.subMenuRect = Rect{500, 120, 600, 180};
        host.cursor = c.cursor;
        host.textCountdown = 250;
        HoverEngine().TrackHover(host);
        EXPECT_EQ(host.textCountdown, 150) << c.name;
        EXPECT_EQ(host.textMenu, c.stays) << c.name;  // leaving the zone over no piece hides it
    }
}

TEST(HoverEngine, GuessRequestOutcomeIsNotOverwritten) {
    // The request for a link finds held results that are not menu items and
    // switches the hotspot to launching the best guess; that must stay.  A
    // selection's hotspot is never switched (nothing names a panel for it
    // to launch): it opens the text menu.
    for (bool link : {false, true}) {
        RecordingHost host;
        host.requestClearsFlag = link;
        host.cursor = {150, 60};
        (link ? host.hotSpots : host.selections) = {Rect{100, 50, 200, 70}};
        HoverEngine().TrackHover(host);
        EXPECT_TRUE(host.hotspot) << link;
        EXPECT_EQ(host.guessesRequested, !link) << link;
    }
}

TEST(HoverEngine, EnteringALink) {
    RecordingHost host;
    host.hotSpots = {Rect{10, 10, 50, 20}, Rect{100, 50, 200, 70}};
    host.countdowns = {250, 50};
    host.textMenu = true;
    host.textMenuRect = Rect{600, 600, 700, 700};
    host.cursor = {150, 60};
    host.now = 7000;
    HoverEngine().TrackHover(host);
    EXPECT_EQ(Join(host.steps),
              "hideTextMenu; takeLink 1; target 100,50,200,70 link; show 145,45,155,54; menuMode; "
              "requestGuesses link 1");
    EXPECT_EQ(host.current, (Target{Target::HotSpot, 1}));
    EXPECT_EQ(Str(host.marks.m_Anchor), "145,45,155,54");
    EXPECT_EQ(host.marks.m_LastPoint, (Point{150, 60}));
    EXPECT_EQ(host.marks.m_LastMoveTick, 7000u);
    EXPECT_EQ(host.countdowns[0], 150);
    EXPECT_EQ(host.countdowns[1], 0);
}

// A link's hotspot over successive ticks; every tick collects the records
// anew, so the current link is null at its start.
TEST(HoverEngine, LinkHotspotHidesMoreThan400msAfterTheCursorLeft) {
    const Rect link{100, 50, 200, 70};
    struct TickCase {
        uint32_t now;
        Point cursor;
        bool visible;
    };
    const TickCase ticks[] = {
        {1000, {150, 60}, true},   // entered
        {1200, {160, 60}, true},   // still on the link
        {1400, {400, 60}, true},   // left it
        {1500, {150, 66}, true},   // on the hotspot's margin (hotspot 145,45..165,61 + 6)
        {1600, {400, 300}, true},  // away again
        {1800, {400, 300}, true},
        {1900, {400, 300}, true},  // exactly 400 ms
        {1901, {400, 300}, false}, // more than 400 ms
    };
    RecordingHost host;
    host.hotSpots = {link};
    for (const TickCase& t : ticks) {
        host.now = t.now;
        host.cursor = t.cursor;
        host.current = Target{};  // a new collection
        HoverEngine().TrackHover(host);
        if (host.hotspot) host.hotspotRect = Rect{145, 45, 165, 61};
        EXPECT_EQ(host.hotspot, t.visible) << t.now;
    }
}

TEST(HoverEngine, LinkHotspotOnTheSameTickAsTheEntry) {
    // Within one tick (no new collection): leaving the link forgets it; the
    // hotspot waits for the 400 ms.
    RecordingHost host;
    host.hotSpots = {Rect{100, 50, 200, 70}};
    host.cursor = {150, 60};
    HoverEngine().TrackHover(host);
    host.hotspotRect = Rect{145, 45, 165, 61};
    host.cursor = {500, 500};
    host.now += 100;
    host.steps.clear();
    HoverEngine().TrackHover(host);
    EXPECT_TRUE(host.hotspot);
    EXPECT_EQ(host.current.kind, Target::None);
    host.now += 301;
    HoverEngine().TrackHover(host);
    EXPECT_FALSE(host.hotspot);
}

TEST(HoverEngine, MenuPanelClosesWhenTheCursorIsMoreThan6pxOutside) {
    struct Case {
        const char* name;
        Point cursor;
        bool created;
        bool closes;
    };
    const Case cases[] = {
        {"inside", {500, 500}, true, false},
        {"6 px right of the last column", {605, 500}, true, false},
        {"7 px right", {606, 500}, true, true},
        {"6 px left", {394, 500}, true, false},
        {"7 px left", {393, 500}, true, true},
        {"far, panel not reported created", {10, 10}, false, false},
    };
    for (const Case& c : cases) {
        RecordingHost host;
        host.hotSpots = {Rect{1000, 1000, 1100, 1020}};
        host.panel = true;
        host.panelCreated = c.created;
        host.panelRect = Rect{400, 400, 600, 600};
        host.cursor = c.cursor;
        HoverEngine().TrackHover(host);
        EXPECT_EQ(!host.steps.empty() && host.steps[0] == "closeMenuEcp", c.closes) << c.name << ": "
                                                                                    << Join(host.steps);
    }
}

TEST(HoverEngine, MenuPanelOpenRecordsTheMoveAndStays) {
    RecordingHost host;
    host.hotSpots = {Rect{1000, 1000, 1100, 1020}};
    host.panel = true;
    host.current = Target{Target::HoverSelection, 0};
    host.cursor = {10, 10};
    host.now = 4242;
    HoverEngine().TrackHover(host);
    EXPECT_TRUE(host.steps.empty());
    EXPECT_EQ(host.marks.m_LastMoveTick, 4242u);
}

TEST(HoverEngine, PointOverPopupFlags) {
    struct Case {
        const char* name;
        bool panel, overPanel, overClass, down, before;
        bool answer, downOver, seen;
    };
    const Case cases[] = {
        {"move, no panel", false, false, false, false, true, false, false, false},
        {"move over the panel", true, true, false, false, true, false, false, false},
        {"press over the panel's mask", true, true, false, true, false, true, true, true},
        {"press over a sub-menu window", true, false, true, true, false, true, true, true},
        {"press outside", true, false, false, true, true, false, false, true},
        {"press, no panel: flag kept", false, true, true, true, true, false, true, true},
    };
    for (const Case& c : cases) {
        PopupPress press;
        press.downOverPopup = c.before;
        press.buttonDownSeen = true;
        EXPECT_EQ(DecidePointOverPopup(c.panel, c.overPanel, c.overClass, c.down, press), c.answer) << c.name;
        EXPECT_EQ(press.downOverPopup, c.downOver) << c.name;
        EXPECT_EQ(press.buttonDownSeen, c.seen) << c.name;
    }
}
