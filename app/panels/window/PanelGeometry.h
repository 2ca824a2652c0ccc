// The panel window's arithmetic, apart from any window: where a panel is
// placed when it opens (near the tray, centred, at or beside its anchor), the
// tray rectangle derived from the taskbar, centring in a work area, the edge
// snapping while a panel is dragged, the size of a resize drag, the fades'
// alpha, the hit test's decisions and what a released control asks for.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/selection/skin/FloatingWinLayout.h"
#include "app/selection/skin/KeyFrame.h"

namespace panels {

// The launch flags word a panel is opened with.
constexpr uint32_t kFlagCentre = 0x01;          // centred in the primary work area
constexpr uint32_t kFlagAtAnchor = 0x02;        // placed at the anchor rectangle
constexpr uint32_t kFlagNoShow = 0x04;          // placement does not show the window
constexpr uint32_t kFlagHidden = 0x08;          // never shown; the launch ends with close-at-once
constexpr uint32_t kFlagMenuPanel = 0x10;       // menu panel with a tail toward the anchor
constexpr uint32_t kFlagCentreOnAnchor = 0x20;  // centred on the anchor's centre
constexpr uint32_t kFlagMask = 0x40;            // the launcher wants the mask image
constexpr uint32_t kFlagTray = 0x80;            // placed at the notification area
constexpr uint32_t kFlagTwoCloses = 0x100;      // the first fade-out request only arms the close

// A kept panel rectangle whose left is this is no rectangle.
constexpr int kNoKeptRect = -9999;

// Where PlaceNearTaskbar puts a window of width x height before the work-area
// check: `anchor` is the rectangle the placement is made against afterwards
// (the new anchor), (x, y) the window's new top-left.
struct Placement {
    IntRect anchor;
    int x = 0, y = 0;
};
// kept: a search panel's kept rectangle (left kNoKeptRect when none); tray:
// the notification area; work: the primary monitor's work area.
Placement ChoosePlacement(uint32_t flags, const IntRect& kept, const IntRect& anchor, const IntRect& tray,
                          const IntRect& work, int width, int height);

// The notification area from the taskbar's children, walked in order: a
// "TrayNotifyWnd" gives the rectangle; the first "TrayClockWClass" ends the
// walk and takes the clock off it (off the top when the clock's bottom lies
// more than 5 pixels above the rectangle's bottom, else off the right).
struct ChildWindow {
    std::wstring className;
    IntRect rect;
};
IntRect TrayRectFromChildren(const IntRect& taskbar, const std::vector<ChildWindow>& children);
// Without a taskbar window: the rectangle from the shell's app-bar position
// (edge 0 left, 1 top, 2 right, 3 bottom).
IntRect TrayRectFromAppBar(const IntRect& taskbar, unsigned edge);
// Without either: the primary work area's bottom-right 150 x 30 pixels.
IntRect TrayRectFallback(const IntRect& work);

// A rectangle of the same size centred in a work area.
IntRect CenterIn(const IntRect& rect, const IntRect& work);

// Edge snapping while a panel is dragged by one of its move areas.
struct Edges {
    int top = 0, left = 0, bottom = 0, right = 0;
};
struct Point {
    int x = 0, y = 0;
};
class EdgeSnap {
public:
    static constexpr int kFree = -1;
    static constexpr int kVerticalStuck = 0;
    static constexpr int kHorizontalStuck = 1;
    static constexpr int kSnapDistance = 9;    // pixels from an edge that snap to it
    static constexpr int kLeaveDistance = 10;  // cursor pixels that pull a panel off an edge

    // A drag starts: the cursor's point in the window, both axes free.
    void Begin(Point grab);
    // One WM_MOVING: proposed is the rectangle the system proposes, current
    // the panel's rectangle, work the work area of the proposed rectangle's
    // monitor, cursor the screen cursor.  Returns whether the proposed
    // rectangle was rewritten.
    bool OnMoving(IntRect& proposed, const IntRect& current, const IntRect& work, const Edges& edges, Point cursor);

    int vertical = kFree;
    int horizontal = kFree;
    Point grab;      // client coordinates
    Point lastGrab;  // screen coordinates, as of the last WM_MOVING
};

// A resize drag: the new template size from the size at its start and the
// cursor's movement, for the handle's direction (1 north-west, then clockwise
// to 8 west), never below 150 x 150.
constexpr int kMinPanelSize = 150;
struct Size {
    int width = 0, height = 0;
    bool operator==(const Size& o) const { return width == o.width && height == o.height; }
};
Size ResizedSize(int direction, Size start, int dx, int dy);
// A panel's size as a record, a template or a page asks for it, held to the
// work area of the panel's monitor: neither side beyond the work area's (a
// work area without size holds nothing).  Where the work area is the whole
// monitor, a panel that would fill it is one pixel less high: a top-most
// window covering its monitor counts as a full-screen program (the taskbar
// steps back behind it, and Wine hands it to the window manager, so that
// each hide of it waits up to 2 s for one).
Size HeldToWorkArea(Size size, const IntRect& work, const IntRect& monitor = IntRect{});

// The cursor over a resize handle of a direction.
enum class Cursor { Arrow, SizeNwSe, SizeNeSw, SizeNs, SizeWe, None };
Cursor ResizeCursor(int direction);

// A fade: the panel's constant alpha from one value to another over 7.0 key
// frame units at 30 per second (about 233 ms), stepped on a tick clock.
class Fade {
public:
    static constexpr float kEndTime = 7.0f;
    static constexpr uint32_t kRoundSleepMs = 10;  // pause between two rounds
    Fade(float from, float to, uint32_t now);
    // The alpha after advancing to `now`.
    float Step(uint32_t now);
    bool Done() const { return list_.m_AtEnd; }

private:
    KeyFrameList list_;
};

// The hit test's decision (WM_NCHITTEST), from what lies under the point.
struct HitInput {
    bool overControl = false;  // close, share, context shift, dock, browser, submit, resize, next/back
    bool overClose = false;
    bool overMoveArea = false;
    int resizeDirection = 0;  // the handle under the point, 0 none
    bool overWindowed = false;
    bool hasTail = false;
    bool leftDown = false;
    bool moving = false;
    bool closing = false;
    bool hasSearch = false;
    uint32_t flags = 0;
};
struct HitDecision {
    bool caption = false;     // HTCAPTION (the system moves the window), else HTCLIENT
    Cursor cursor = Cursor::None;
    bool dropTail = false;    // has-tail cleared, 11307 to the children
    bool hideMenus = false;   // 11136 to the controller
    bool startMove = false;   // grab point kept, snapping free, moving set
    bool endMove = false;     // moving cleared
    bool raiseChildren = false;
    bool focusSearch = false; // 11309 to the children
    bool panelReady = false;  // the launch's readiness set
};
HitDecision DecideHit(const HitInput& in);

// A panel without a template (its plain face) has a close area in its
// top-right corner, kPlainCloseSize square, kPlainCloseInset from both edges,
// kept within the panel; the rest of the face moves the panel.
constexpr int kPlainCloseSize = 16;
constexpr int kPlainCloseInset = 4;
IntRect PlainCloseRect(int width, int height);

// The controls a released left button acts on, first match.
enum class Control { None, Close, Share, SearchSubmit, Dock, NextBack, OpenInBrowser };
enum class Target { Controller, Self, Children, Dock };
struct PanelAction {
    enum Kind { Post, FadeOutAndClose, OpenInBrowser } kind = Post;
    Target target = Target::Self;
    unsigned msg = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
    bool operator==(const PanelAction& o) const {
        return kind == o.kind && target == o.target && msg == o.msg && wParam == o.wParam && lParam == o.lParam;
    }
};
std::vector<PanelAction> ButtonUpActions(Control control, bool shiftDown, bool forward);

// The dock flight: the window grows to hold both the panel and the dock
// point, one window width (height) beyond the point on the side where it lies
// outside the panel.  The flight's key frames run over 14.0 units at 30 per
// second (about 467 ms), the scale from 1.0 to 0.2.
IntRect DockFlightRect(const IntRect& panel, Point dockPoint);
constexpr float kDockFlightEnd = 14.0f;
constexpr float kDockedScale = 0.2f;

}  // namespace panels
