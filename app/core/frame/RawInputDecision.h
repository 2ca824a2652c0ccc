// What the main frame does with one raw input event: the dismissal rules for
// the hotspot, the pop-up menus and the menu panel, as a pure decision over
// the event, the windows under the cursor and the program's state.  The frame
// (MainFrame.cpp) gathers these inputs and carries out the actions on the
// controller.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace rawinput {

enum class InputType { Mouse, Keyboard, Other };

// One raw event, as the frame read it.
struct Event {
    InputType type = InputType::Other;
    USHORT virtualKey = 0;    // keyboard
    USHORT buttonFlags = 0;   // mouse: usButtonFlags
    LONG lastX = 0;           // mouse: lLastX (motion, or position when absolute)
    LONG lastY = 0;
    bool absolute = false;    // mouse: MOUSE_MOVE_ABSOLUTE data
};

// The earlier absolute position, for telling motion in absolute data.
struct AbsoluteTrack {
    bool known = false;
    LONG x = 0;
};

// Whether the event counts as motion: relative data when lLastX is non-zero
// (vertical motion is not looked at); absolute data when its X differs from
// the previous absolute X (the first absolute event only sets the track).
// Updates the track.
bool IsMotion(const Event& e, AbsoluteTrack& track);

// The program's state the rules read, taken when the event arrives.
struct State {
    bool starting = false;            // start-up or a settings reload runs
    bool menuPanelOpen = false;       // the controller tracks a menu panel
    bool menuPanelSticky = false;     // it stays open on outside clicks
    RECT menuPanelRect{};             // its window rectangle
    bool hotspotVisible = false;
    RECT hotspotRect{};               // the hotspot window's rectangle
    bool hotspotGuessesRequested = false;  // hovering opens the text menu
    bool textMenuVisible = false;
    RECT textMenuRect{};
    bool subMenuOpen = false;         // the text menu has an open sub-menu
    RECT subMenuRect{};
};

// Where the cursor is: its position and the classes of the window under it
// followed by those of its parents, nearest first (empty: no window there).
struct Pointer {
    POINT cursor{};
    std::vector<std::wstring> classChain;
};

enum class Action {
    AdvanceHotspotFade,      // the hotspot's fade animation, one step
    HideHotspot,
    HideMenus,               // the search menu included
    HideMenusKeepSearch,     // the text, application and tray menus only
    CloseMenuEcp,
    PostWheelToMenuPanel,    // 11209 to the menu panel's window
    FocusWindowUnderCursor,  // foreground and focus to the window under the cursor
    Rescan,                  // re-collect without a tick (no hover tracking)
    RescanWithTick,          // re-collect, then a whole tick (with hover tracking)
    AskPointOverPopup,       // query: the controller's IsPointOverPopup(cursor, pressed)
    PollOnce,                // query: the controller's PollOnce
};

// The answers to the queries asked so far, in the order they were asked.
struct Answers {
    bool askedOverPopup = false;
    bool overPopup = false;       // IsPointOverPopup's answer
    bool buttonDownSeen = false;  // the controller's press state after it
    bool downOverPopup = false;
    std::vector<int> polls;       // PollOnce results
};

// The actions for the event, in order.  When the last action is a query
// whose answer is not in `answers` yet, the decision stops there: the caller
// carries out the new actions, asks the query, adds its answer and decides
// again (the earlier actions come out the same).
std::vector<Action> Decide(const Event& e, bool moved, const Pointer& p, const State& s, const Answers& answers);

// The class names the rules know.
extern const wchar_t* const kWebViewClass;  // "Internet Explorer_Server"
extern const wchar_t* const kPanelClass;    // "BackWin777"
extern const wchar_t* const kTailClass;     // "TailWin777"
extern const wchar_t* const kMenuClass;     // "PondMenu"

// Mouse button-down flags (left, right, middle, button 4, button 5) and the
// wheel flag of usButtonFlags.
constexpr USHORT kButtonDownFlags = 0x155;
constexpr USHORT kWheelFlag = 0x400;

}  // namespace rawinput
