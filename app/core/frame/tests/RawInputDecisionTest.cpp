// The main frame's dismissal rules for raw input, in one table: keys, clicks
// and wheel turns over our own and other windows, motion with and without an
// open menu panel, and the controller's answers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/core/frame/RawInputDecision.h"

namespace {

using rawinput::Action;
using A = Action;

const wchar_t* const kIe = L"Internet Explorer_Server";
const wchar_t* const kPanel = L"BackWin777";
const wchar_t* const kTail = L"TailWin777";
const wchar_t* const kMenu = L"PondMenu";
const wchar_t* const kOther = L"Notepad";

constexpr RECT kPanelRect{100, 100, 300, 300};
constexpr RECT kHotspotRect{400, 400, 420, 420};
constexpr RECT kTextMenuRect{600, 100, 700, 300};
constexpr RECT kSubMenuRect{700, 100, 800, 300};

rawinput::Event Key(USHORT vk) {
    rawinput::Event e;
    e.type = rawinput::InputType::Keyboard;
    e.virtualKey = vk;
    return e;
}

rawinput::Event Mouse(USHORT flags) {
    rawinput::Event e;
    e.type = rawinput::InputType::Mouse;
    e.buttonFlags = flags;
    return e;
}

rawinput::State NoPanel(bool hotspotVisible = true) {
    rawinput::State s;
    s.hotspotVisible = hotspotVisible;
    s.hotspotRect = kHotspotRect;
    return s;
}

rawinput::State TextMenuOpen(bool subMenu) {
    rawinput::State s = NoPanel();
    s.textMenuVisible = true;
    s.textMenuRect = kTextMenuRect;
    s.subMenuOpen = subMenu;
    s.subMenuRect = kSubMenuRect;
    return s;
}

rawinput::State Panel(bool sticky = false, bool guessesRequested = false) {
    rawinput::State s = NoPanel();
    s.menuPanelOpen = true;
    s.menuPanelSticky = sticky;
    s.menuPanelRect = kPanelRect;
    s.hotspotGuessesRequested = guessesRequested;
    return s;
}

rawinput::State Starting() {
    rawinput::State s = Panel();
    s.starting = true;
    return s;
}

rawinput::Answers Over(bool over, bool seen = true, bool downOver = false, std::vector<int> polls = {}) {
    rawinput::Answers a;
    a.askedOverPopup = true;
    a.overPopup = over;
    a.buttonDownSeen = seen;
    a.downOverPopup = downOver;
    a.polls = std::move(polls);
    return a;
}

rawinput::Answers Polls(std::vector<int> polls) {
    rawinput::Answers a;
    a.polls = std::move(polls);
    return a;
}

struct Row {
    const char* name;
    rawinput::Event event;
    bool moved;
    POINT cursor;
    std::vector<std::wstring> chain;
    rawinput::State state;
    rawinput::Answers answers;
    std::vector<Action> want;
};

constexpr USHORT kLeftDown = 0x0001, kLeftUp = 0x0002, kRightDown = 0x0004, kMiddleDown = 0x0010,
                 kButton4Down = 0x0040, kButton5Down = 0x0100, kWheel = 0x0400;
constexpr POINT kFar{1000, 900};

std::vector<Row> Rows() {
    return {
        // Keys: Shift, Control, Print Screen and 255 leave everything as it is.
        {"shift", Key(16), false, {}, {}, Panel(), {}, {}},
        {"control", Key(17), false, {}, {}, Panel(), {}, {}},
        {"print screen", Key(44), false, {}, {}, Panel(), {}, {}},
        {"key 255", Key(255), false, {}, {}, Panel(), {}, {}},
        {"letter, no panel", Key('A'), false, {}, {}, NoPanel(), {}, {A::HideHotspot, A::HideMenus}},
        {"alt, no panel", Key(18), false, {}, {}, NoPanel(), {}, {A::HideHotspot, A::HideMenus}},
        {"enter, panel", Key(13), false, {}, {}, Panel(), {}, {A::HideHotspot, A::HideMenus, A::CloseMenuEcp}},
        {"escape, sticky panel", Key(27), false, {}, {}, Panel(true), {}, {A::HideHotspot, A::HideMenus}},
        // While starting nothing is examined.
        {"key while starting", Key('A'), false, {}, {}, Starting(), {}, {}},
        {"click while starting", Mouse(kLeftDown), false, kFar, {kOther}, Starting(), {}, {}},

        // No menu panel: motion.
        {"vertical move only", Mouse(0), false, kFar, {kOther}, NoPanel(), {}, {A::AdvanceHotspotFade}},
        {"move, hotspot hidden", Mouse(0), true, kFar, {kOther}, NoPanel(false), {}, {A::AdvanceHotspotFade}},
        {"move over own menu", Mouse(0), true, kFar, {kMenu}, NoPanel(), {}, {A::AdvanceHotspotFade}},
        {"move over other, poll 0", Mouse(0), true, kFar, {kOther}, NoPanel(), Polls({0}),
         {A::AdvanceHotspotFade, A::PollOnce}},
        {"move over other, poll asked", Mouse(0), true, kFar, {kOther}, NoPanel(), {},
         {A::AdvanceHotspotFade, A::PollOnce}},
        {"move over other, poll 1", Mouse(0), true, kFar, {kOther}, NoPanel(), Polls({1}),
         {A::AdvanceHotspotFade, A::PollOnce, A::HideMenus, A::HideHotspot, A::RescanWithTick}},
        {"move far from text menu", Mouse(0), true, kFar, {kOther}, TextMenuOpen(false), Polls({0}),
         {A::AdvanceHotspotFade, A::PollOnce, A::HideMenus}},
        {"move within 50 of text menu", Mouse(0), true, {560, 200}, {kOther}, TextMenuOpen(false), Polls({0}),
         {A::AdvanceHotspotFade, A::PollOnce}},
        {"move near sub-menu", Mouse(0), true, {840, 200}, {kOther}, TextMenuOpen(true), Polls({0}),
         {A::AdvanceHotspotFade, A::PollOnce}},
        {"move near closed sub-menu", Mouse(0), true, {840, 200}, {kOther}, TextMenuOpen(false), Polls({0}),
         {A::AdvanceHotspotFade, A::PollOnce, A::HideMenus}},
        {"move near hotspot", Mouse(0), true, {435, 410}, {kOther}, TextMenuOpen(false), Polls({0}),
         {A::AdvanceHotspotFade, A::PollOnce}},
        // No menu panel: presses and the wheel.
        {"left down on other", Mouse(kLeftDown), false, kFar, {kOther}, NoPanel(), {},
         {A::AdvanceHotspotFade, A::HideMenus, A::HideHotspot, A::Rescan}},
        {"middle down on other", Mouse(kMiddleDown), false, kFar, {kOther}, NoPanel(), {},
         {A::AdvanceHotspotFade, A::HideMenus, A::HideHotspot, A::Rescan}},
        {"button 4 down", Mouse(kButton4Down), false, kFar, {kOther}, NoPanel(), {},
         {A::AdvanceHotspotFade, A::HideMenus, A::HideHotspot, A::Rescan}},
        {"button 5 down", Mouse(kButton5Down), false, kFar, {kOther}, NoPanel(), {},
         {A::AdvanceHotspotFade, A::HideMenus, A::HideHotspot, A::Rescan}},
        {"left up only", Mouse(kLeftUp), false, kFar, {kOther}, NoPanel(), {}, {A::AdvanceHotspotFade}},
        {"left down on own menu", Mouse(kLeftDown), false, kFar, {kMenu}, NoPanel(), {}, {A::AdvanceHotspotFade}},
        {"left down on hotspot", Mouse(kLeftDown), false, {410, 410}, {kMenu}, NoPanel(), {},
         {A::AdvanceHotspotFade}},
        {"right down in panel page", Mouse(kRightDown), false, kFar, {kIe, L"Shell Embedding", kPanel}, NoPanel(),
         {}, {A::AdvanceHotspotFade, A::HideMenusKeepSearch, A::HideHotspot, A::Rescan}},
        {"click in page inside a menu", Mouse(kLeftDown), false, kFar, {kIe, kMenu, kPanel}, NoPanel(), {},
         {A::AdvanceHotspotFade}},
        {"click in a foreign page", Mouse(kLeftDown), false, kFar, {kIe, L"Shell DocObject View", L"IEFrame"},
         NoPanel(), {}, {A::AdvanceHotspotFade, A::HideMenus, A::HideHotspot, A::Rescan}},
        {"click on the panel itself", Mouse(kLeftDown), false, kFar, {kPanel}, NoPanel(), {},
         {A::AdvanceHotspotFade, A::HideMenusKeepSearch, A::HideHotspot, A::Rescan}},
        {"click with no window there", Mouse(kLeftDown), false, kFar, {}, NoPanel(), {}, {A::AdvanceHotspotFade}},
        {"wheel anywhere", Mouse(kWheel), false, kFar, {kMenu}, NoPanel(), {},
         {A::AdvanceHotspotFade, A::HideMenus, A::HideHotspot, A::Rescan}},

        // Menu panel open: presses.
        {"click outside everything", Mouse(kLeftDown), false, kFar, {kOther}, Panel(), Over(false),
         {A::AdvanceHotspotFade, A::HideMenus, A::HideHotspot, A::AskPointOverPopup, A::CloseMenuEcp}},
        {"click outside, query pending", Mouse(kLeftDown), false, kFar, {kOther}, Panel(), {},
         {A::AdvanceHotspotFade, A::HideMenus, A::HideHotspot, A::AskPointOverPopup}},
        {"click on own menu", Mouse(kLeftDown), false, kFar, {kMenu}, Panel(), Over(true, true, true),
         {A::AdvanceHotspotFade, A::AskPointOverPopup}},
        {"click in panel page", Mouse(kLeftDown), false, {150, 150}, {kIe, L"Shell Embedding", kPanel}, Panel(),
         Over(true, true, true), {A::AdvanceHotspotFade, A::AskPointOverPopup}},
        {"click on panel's clear pixel", Mouse(kLeftDown), false, {150, 150}, {kPanel}, Panel(), Over(false),
         {A::AdvanceHotspotFade, A::AskPointOverPopup, A::CloseMenuEcp}},
        {"click on panel tail", Mouse(kLeftDown), false, kFar, {kTail}, Panel(), Over(false),
         {A::AdvanceHotspotFade, A::AskPointOverPopup}},
        {"click, no press recorded", Mouse(kLeftDown), false, kFar, {kOther}, Panel(), Over(false, false),
         {A::AdvanceHotspotFade, A::HideMenus, A::HideHotspot, A::AskPointOverPopup}},
        {"click, press was over popup", Mouse(kLeftDown), false, kFar, {kOther}, Panel(), Over(false, true, true),
         {A::AdvanceHotspotFade, A::HideMenus, A::HideHotspot, A::AskPointOverPopup}},
        {"sticky panel closes on a click too", Mouse(kLeftDown), false, kFar, {kOther}, Panel(true), Over(false),
         {A::AdvanceHotspotFade, A::HideMenus, A::HideHotspot, A::AskPointOverPopup, A::CloseMenuEcp}},
        {"no press closes nothing", Mouse(kLeftUp), false, kFar, {kOther}, Panel(), Over(false),
         {A::AdvanceHotspotFade, A::AskPointOverPopup}},
        // Menu panel open: the wheel.
        {"wheel over panel page", Mouse(kWheel), false, {150, 150}, {kIe, kPanel}, Panel(), {},
         {A::AdvanceHotspotFade, A::PostWheelToMenuPanel, A::FocusWindowUnderCursor}},
        {"wheel over other", Mouse(kWheel), false, kFar, {kOther}, Panel(), {},
         {A::AdvanceHotspotFade, A::HideMenus, A::HideHotspot, A::CloseMenuEcp}},
        {"wheel over own menu", Mouse(kWheel), false, kFar, {kMenu}, Panel(), {},
         {A::AdvanceHotspotFade, A::CloseMenuEcp}},
        // Menu panel open: motion in best-guess launch mode.
        {"move inside panel", Mouse(0), true, {150, 150}, {kPanel}, Panel(), Over(false),
         {A::AdvanceHotspotFade, A::AskPointOverPopup}},
        {"move inside hotspot", Mouse(0), true, {410, 410}, {kMenu}, Panel(), Over(true),
         {A::AdvanceHotspotFade, A::AskPointOverPopup}},
        {"move far away", Mouse(0), true, kFar, {kOther}, Panel(), Over(false),
         {A::AdvanceHotspotFade, A::AskPointOverPopup, A::CloseMenuEcp}},
        {"move far away, menu mode", Mouse(0), true, kFar, {kOther}, Panel(false, true), Over(false),
         {A::AdvanceHotspotFade, A::AskPointOverPopup}},
        {"vertical move far away", Mouse(0), false, kFar, {kOther}, Panel(), Over(false),
         {A::AdvanceHotspotFade, A::AskPointOverPopup}},
        {"move near panel, poll 0", Mouse(0), true, {320, 150}, {kOther}, Panel(), Over(false, false, false, {0}),
         {A::AdvanceHotspotFade, A::AskPointOverPopup, A::PollOnce}},
        {"move near panel, poll 2", Mouse(0), true, {320, 150}, {kOther}, Panel(), Over(false, false, false, {2}),
         {A::AdvanceHotspotFade, A::AskPointOverPopup, A::PollOnce, A::CloseMenuEcp}},
        {"move near panel, poll 6", Mouse(0), true, {320, 150}, {kOther}, Panel(), Over(false, false, false, {6}),
         {A::AdvanceHotspotFade, A::AskPointOverPopup, A::PollOnce, A::CloseMenuEcp}},
        {"move near panel, poll 4 then 2", Mouse(0), true, {320, 150}, {kOther}, Panel(),
         Over(false, false, false, {4, 2}),
         {A::AdvanceHotspotFade, A::AskPointOverPopup, A::PollOnce, A::PollOnce, A::CloseMenuEcp}},
        {"move near panel, poll 4 then 1", Mouse(0), true, {320, 150}, {kOther}, Panel(),
         Over(false, false, false, {4, 1}), {A::AdvanceHotspotFade, A::AskPointOverPopup, A::PollOnce, A::PollOnce}},
        {"move near hotspot", Mouse(0), true, {430, 430}, {kOther}, Panel(), Over(false, false, false, {0}),
         {A::AdvanceHotspotFade, A::AskPointOverPopup, A::PollOnce}},
        {"wheel and move far away", Mouse(kWheel), true, kFar, {kOther}, Panel(), {},
         {A::AdvanceHotspotFade, A::HideMenus, A::HideHotspot, A::CloseMenuEcp, A::CloseMenuEcp}},
    };
}

std::string Names(const std::vector<Action>& actions) {
    static const char* const names[] = {"AdvanceHotspotFade", "HideHotspot", "HideMenus", "HideMenusKeepSearch",
                                        "CloseMenuEcp", "PostWheelToMenuPanel", "FocusWindowUnderCursor",
                                        "Rescan", "RescanWithTick", "AskPointOverPopup", "PollOnce"};
    std::string s;
    for (Action a : actions) s += std::string(s.empty() ? "" : " ") + names[static_cast<int>(a)];
    return s;
}

TEST(RawInputDecision, TableOfCases) {
    for (const Row& row : Rows()) {
        SCOPED_TRACE(row.name);
        rawinput::Pointer p;
        p.cursor = row.cursor;
        p.classChain = row.chain;
        EXPECT_EQ(Names(rawinput::Decide(row.event, row.moved, p, row.state, row.answers)), Names(row.want));
    }
}

// Answering a query leaves the actions before it as they were.
TEST(RawInputDecision, AnsweringAQueryKeepsTheEarlierActions) {
    rawinput::Pointer p;
    p.cursor = POINT{320, 150};
    p.classChain = {kOther};
    rawinput::Event e = Mouse(kLeftDown);
    rawinput::Answers a;
    std::vector<Action> first = rawinput::Decide(e, true, p, Panel(), a);
    a = Over(false, true, false);
    std::vector<Action> second = rawinput::Decide(e, true, p, Panel(), a);
    a.polls = {4};
    std::vector<Action> third = rawinput::Decide(e, true, p, Panel(), a);
    a.polls = {4, 2};
    std::vector<Action> last = rawinput::Decide(e, true, p, Panel(), a);
    EXPECT_EQ(Names(first), "AdvanceHotspotFade HideMenus HideHotspot AskPointOverPopup");
    EXPECT_EQ(Names(second), Names(first) + " CloseMenuEcp PollOnce");
    EXPECT_EQ(Names(third), Names(second) + " PollOnce");
    EXPECT_EQ(Names(last), Names(third) + " CloseMenuEcp");
}

TEST(RawInputDecision, MotionOfRelativeAndAbsoluteData) {
    struct Case {
        const char* name;
        bool absolute;
        LONG x, y;
        bool want;
    };
    // One track through the cases, in order.
    const Case cases[] = {
        {"relative vertical only", false, 0, 7, false},
        {"relative right", false, 3, 0, true},
        {"relative left", false, -1, 2, true},
        {"first absolute event", true, 30000, 20000, false},
        {"absolute, same X, other Y", true, 30000, 10000, false},
        {"absolute, other X", true, 30010, 10000, true},
        {"absolute, same X again", true, 30010, 10000, false},
        {"relative zero between absolute", false, 0, 0, false},
        {"absolute, back to an earlier X", true, 30000, 10000, true},
    };
    rawinput::AbsoluteTrack track;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        rawinput::Event e = Mouse(0);
        e.absolute = c.absolute;
        e.lastX = c.x;
        e.lastY = c.y;
        EXPECT_EQ(rawinput::IsMotion(e, track), c.want);
    }
}

}  // namespace
