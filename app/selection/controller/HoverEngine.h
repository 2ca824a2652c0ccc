// The hover engine: at every controller tick it decides whether the hotspot
// stands beside a selection piece or a link hot spot, keeps the text menu
// open while the cursor is near it, hides the hotspot once the cursor has
// been away from its target too long and closes the menu panel when the
// cursor leaves it.  Also the decision the raw-input handler asks: whether a
// point lies over one of the program's pop-ups.
//
// Plain code: the pointer, the clock, the windows' state and every step that
// touches a window or a record come through HoverHost, so the decisions are
// tested in tables.  All positions are screen pixels, times tick counts in
// milliseconds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace hover {

struct Point {
    int32_t x = 0;
    int32_t y = 0;
};
inline bool operator==(const Point& a, const Point& b) { return a.x == b.x && a.y == b.y; }
inline bool operator!=(const Point& a, const Point& b) { return !(a == b); }

// A rectangle with the system's conventions: left and top inside, right and
// bottom outside; empty when right <= left or bottom <= top.
struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};
inline bool operator==(const Rect& a, const Rect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool IsEmpty(const Rect& r);
bool Contains(const Rect& r, Point p);
Rect Inflate(Rect r, int32_t d);
// The smallest rectangle holding both; an empty one does not count.
Rect Union(const Rect& a, const Rect& b);
Rect Offset(Rect r, int32_t dx, int32_t dy);

// What the controller's current link points at: nothing, its own copy of the
// hovered selection piece, or a record of the hot-spot list.
struct Target {
    enum Kind { None, HoverSelection, HotSpot };
    Kind kind = None;
    size_t index = 0;  // HotSpot: the record's place in the hot-spot list
};
inline bool operator==(const Target& a, const Target& b) {
    return a.kind == b.kind && (a.kind != Target::HotSpot || a.index == b.index);
}
inline bool operator!=(const Target& a, const Target& b) { return !(a == b); }

// The hover state the engine keeps between ticks (the observer's members).
struct Marks {
    Point m_LastPoint{-1, -1};
    uint32_t m_LastMoveTick = 0;
    uint32_t m_MenuTick = 0;
    Rect m_Anchor{};  // the current target: the piece's rectangle or a box round the cursor
};

class HoverHost {
public:
    virtual ~HoverHost() = default;

    // Seams: the pointer and the clock.
    virtual Point CursorPos() = 0;
    virtual bool LeftButtonDown() = 0;
    virtual uint32_t Now() = 0;

    // The windows' state.
    virtual bool Disabled() = 0;
    virtual bool SearchOrAppMenuVisible() = 0;
    virtual bool TextMenuVisible() = 0;
    virtual Rect TextMenuRect() = 0;
    // The text menu's open sub-menu's window rectangle; false when none.
    virtual bool TextSubMenuRect(Rect& r) = 0;
    virtual int32_t& TextMenuCountdown() = 0;
    virtual bool HotspotVisible() = 0;
    virtual Rect HotspotRect() = 0;         // the hotspot window's rectangle
    virtual bool HotspotSelectionMode() = 0;
    virtual Rect HotspotTargetRect() = 0;
    virtual bool MenuPanelOpen() = 0;
    // The menu panel's rectangle when the panel reports itself created (read
    // under the panel-launch lock); false otherwise.
    virtual bool CreatedPanelRect(Rect& r) = 0;

    // The records of the last collection and the current link.
    virtual bool NewSelection() = 0;
    virtual std::vector<Rect> SelectionRects() = 0;
    virtual size_t HotSpotCount() = 0;
    virtual Rect HotSpotRect(size_t i) = 0;
    virtual int32_t& HotSpotCountdown(size_t i) = 0;
    virtual Target Current() = 0;
    virtual void SetCurrent(Target t) = 0;
    virtual Rect CurrentRect() = 0;  // the current record's rectangle
    virtual Marks& HoverMarks() = 0;

    // Steps.
    virtual void HideTextMenuWindow() = 0;  // a plain hide, when visible
    virtual void HideTextMenu() = 0;        // clears the press flags too
    virtual void HideHotspot() = 0;         // forgets the current link
    virtual void CloseMenuEcp() = 0;
    virtual void ShowHotspot(const Rect& anchor) = 0;
    // Selection piece i becomes the hover target: its text, context and best
    // guess into the hover state and the controller's selection copy (its
    // rectangle moved left by 5), logged.
    virtual void TakeSelection(size_t i) = 0;
    // Hot spot i becomes the hover target: its panel id and token set, copied
    // into the controller's link copy.
    virtual void TakeLink(size_t i) = 0;
    // The hotspot's target members; its link record is the selection copy in
    // selection mode, the link copy otherwise.
    virtual void SetHotspotTarget(const Rect& rect, bool selectionMode) = 0;
    virtual void SetHotspotGuessesRequested(bool value) = 0;
    // The text menu's best-guess request for the selection copy (forLink
    // false) or hot spot i.
    virtual void RequestGuesses(bool forLink, size_t i) = 0;
    virtual void Log(const std::wstring& line) = 0;
};

// The record of `records` at pt, or -1.  A record is found within 6 pixels
// of its rectangle, or (hotspotRect given: the hotspot shows a selection)
// within the hotspot's rectangle grown by 8, 6 more downwards and 10 more to
// the left.  With newSelection the first record is taken at once.
int FindLinkAt(const std::vector<Rect>& records, Point pt, bool newSelection, const Rect* hotspotRect);

// The anchor the hotspot is placed beside for a selection piece: a 5-pixel
// wide box ending 3 pixels left of the piece's right edge, 18 pixels high,
// ending at the piece's top.
Rect SelectionAnchor(const Rect& piece);
// The anchor for a link: a box round the cursor, above it.
Rect LinkAnchor(Point pt);

// The time the cursor may be away from a link's hotspot before it hides.
constexpr uint32_t kLinkAwayMs = 400;

class HoverEngine {
public:
    // One tick of hover tracking.
    void TrackHover(HoverHost& host);

private:
    void SelectionMode(HoverHost& host, Point pt);
    void LinkMode(HoverHost& host, Point pt);
    void EnterLink(HoverHost& host, size_t i, Point pt);
    void PanelCheck(HoverHost& host, Point pt);
};

// IsPointOverPopup's decision: the press flags it leaves and its answer.
struct PopupPress {
    bool downOverPopup = false;
    bool buttonDownSeen = false;
};
// overPanel: the point hits the menu panel's mask; overSubMenuClass: the
// window under the point has the sub-menu window class.  Both are asked only
// while a menu panel is open.  downOverPopup is left as it was where the
// rule keeps it.
bool DecidePointOverPopup(bool menuPanelOpen, bool overPanel, bool overSubMenuClass, bool buttonDown,
                          PopupPress& press);

}  // namespace hover
