#include "app/selection/controller/HoverEngine.h"

#include <algorithm>

namespace hover {

bool IsEmpty(const Rect& r) { return r.right <= r.left || r.bottom <= r.top; }

bool Contains(const Rect& r, Point p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

Rect Inflate(Rect r, int32_t d) { return Rect{r.left - d, r.top - d, r.right + d, r.bottom + d}; }

Rect Union(const Rect& a, const Rect& b) {
    if (IsEmpty(a)) return IsEmpty(b) ? Rect{} : b;
    if (IsEmpty(b)) return a;
    return Rect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

Rect Offset(Rect r, int32_t dx, int32_t dy) { return Rect{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; }

int FindLinkAt(const std::vector<Rect>& records, Point pt, bool newSelection, const Rect* hotspotRect) {
    for (size_t i = 0; i < records.size(); ++i) {
        Rect near = Inflate(records[i], 6);
        Rect other = records[i];
        if (hotspotRect) {
            other = Inflate(*hotspotRect, 8);
            other.bottom += 6;
            other.left -= 10;
        }
        if (newSelection) return static_cast<int>(i);
        if (Contains(near, pt) || Contains(other, pt)) return static_cast<int>(i);
    }
    return -1;
}

Rect SelectionAnchor(const Rect& piece) { return Rect{piece.right - 8, piece.top - 18, piece.right - 3, piece.top}; }

Rect LinkAnchor(Point pt) { return Rect{pt.x - 5, pt.y - 15, pt.x + 5, pt.y - 6}; }

namespace {

bool MoreThanSince(uint32_t now, uint32_t since, uint32_t ms) { return static_cast<uint32_t>(now - since) > ms; }

void CountDown(int32_t& countdown) { countdown = countdown > 100 ? countdown - 100 : 0; }

}  // namespace

void HoverEngine::TrackHover(HoverHost& host) {
    if (host.Disabled() || host.SearchOrAppMenuVisible()) return;
    Point pt = host.CursorPos();
    CountDown(host.TextMenuCountdown());

    // The text menu stays open while the cursor is on it, a little round it
    // or in the strip above it towards the hotspot, or on its open sub-menu.
    if (host.TextMenuVisible()) {
        Rect zone = Inflate(host.TextMenuRect(), 5);
        zone.top -= 16;
        if (Contains(zone, pt)) return;
        Rect sub;
        if (host.TextSubMenuRect(sub) && Contains(Inflate(Union(sub, zone), 10), pt)) return;
    }

    if (host.HotSpotCount() == 0)
        SelectionMode(host, pt);
    else
        LinkMode(host, pt);
}

void HoverEngine::SelectionMode(HoverHost& host, Point pt) {
    std::vector<Rect> pieces = host.SelectionRects();
    Rect hotspot;
    const Rect* shown = nullptr;
    if (host.HotspotVisible() && host.HotspotSelectionMode()) {
        hotspot = host.HotspotRect();
        shown = &hotspot;
    }
    int s = FindLinkAt(pieces, pt, host.NewSelection(), shown);

    Target cur = host.Current();
    if (s < 0 || host.LeftButtonDown()) {
        host.HideTextMenuWindow();
        if (cur.kind == Target::HoverSelection || cur.kind == Target::None) {
            host.HideHotspot();
            host.SetCurrent(Target{});
        }
        return;
    }
    if (cur.kind == Target::HoverSelection) host.Log(L"Hover is visible  !");
    if (host.TextMenuVisible() || cur.kind == Target::HoverSelection) {
        host.HoverMarks().m_MenuTick = host.Now();
        return;
    }

    // The piece becomes the target; the hotspot stands beside its top right.
    const Rect piece = pieces[static_cast<size_t>(s)];
    host.TakeSelection(static_cast<size_t>(s));
    host.HoverMarks().m_Anchor = piece;
    host.SetCurrent(Target{Target::HoverSelection, 0});
    host.ShowHotspot(SelectionAnchor(piece));
    // The hotspot opens the text menu for a selection; the request's outcome
    // (which may switch the hotspot to launching a best guess) is not
    // overwritten afterwards.
    host.SetHotspotTarget(piece, true);
    host.SetHotspotGuessesRequested(true);
    host.RequestGuesses(false, 0);
}

void HoverEngine::LinkMode(HoverHost& host, Point pt) {
    Marks& marks = host.HoverMarks();
    const uint32_t now = host.Now();

    // The hotspot of a link stays while the cursor is on the link or on the
    // hotspot, and hides once the cursor has been elsewhere for more than
    // kLinkAwayMs since the last time it was seen there.  (The records are
    // collected anew at every poll, so the current link is usually null
    // here and cannot tell whether the cursor left.)
    if (host.HotspotVisible() && !host.HotspotSelectionMode() && !host.MenuPanelOpen()) {
        Point at = pt;
        if (Contains(host.HotspotTargetRect(), at) || Contains(Inflate(host.HotspotRect(), 6), at)) {
            marks.m_LastPoint = pt;
            marks.m_LastMoveTick = now;
        } else if (MoreThanSince(now, marks.m_LastMoveTick, kLinkAwayMs)) {
            host.HideHotspot();
            host.SetCurrent(Target{});
        }
    }

    const size_t count = host.HotSpotCount();
    for (size_t i = 0; i < count; ++i) {
        CountDown(host.HotSpotCountdown(i));
        const Target cur = host.Current();
        const Target self{Target::HotSpot, i};
        const bool visible = host.HotspotVisible();
        const bool panel = host.MenuPanelOpen();
        const Rect link = host.HotSpotRect(i);
        const Rect h = visible ? Inflate(host.HotspotRect(), 6) : Rect{};

        if (cur == self && !Contains(link, pt) && !Contains(h, pt)) {  // the cursor left this link
            if (panel) PanelCheck(host, pt);
            host.SetCurrent(Target{});
            continue;
        }
        if (cur.kind == Target::None) {
            if (panel) {
                PanelCheck(host, pt);
                host.SetCurrent(Target{});
                continue;
            }
            if (visible) {
                host.SetCurrent(Target{});
                continue;
            }
        } else if (cur == self && (panel || visible)) {
            continue;
        }
        if (Contains(link, pt)) {
            EnterLink(host, i, pt);
            return;
        }
        if (panel) {
            marks.m_LastMoveTick = now;
            return;
        }
        if (!visible) continue;
        if (cur.kind != Target::None && !Contains(host.CurrentRect(), pt)) {
            if (MoreThanSince(now, marks.m_LastMoveTick, kLinkAwayMs)) {
                if (cur.kind == Target::HoverSelection)
                    host.SetCurrent(Target{});
                else
                    host.HideHotspot();
            }
            continue;
        }
        marks.m_LastPoint = pt;
        marks.m_LastMoveTick = now;
    }
}

void HoverEngine::EnterLink(HoverHost& host, size_t i, Point pt) {
    Marks& marks = host.HoverMarks();
    host.HideTextMenu();
    if (pt != marks.m_LastPoint) {
        marks.m_LastPoint = pt;
        marks.m_LastMoveTick = host.Now();
    }
    host.TakeLink(i);
    host.SetCurrent(Target{Target::HotSpot, i});
    host.SetHotspotTarget(host.HotSpotRect(i), false);
    marks.m_Anchor = LinkAnchor(pt);
    host.ShowHotspot(marks.m_Anchor);
    // Menu mode first; the request may switch the hotspot to launching the
    // best guess at once, and that stays.
    host.SetHotspotGuessesRequested(true);
    host.RequestGuesses(true, i);
    marks.m_LastMoveTick = host.Now();
}

void HoverEngine::PanelCheck(HoverHost& host, Point pt) {
    Rect panel;
    if (!host.CreatedPanelRect(panel)) return;
    if (!Contains(Inflate(panel, 6), pt)) host.CloseMenuEcp();
}

bool DecidePointOverPopup(bool menuPanelOpen, bool overPanel, bool overSubMenuClass, bool buttonDown,
                          PopupPress& press) {
    press.buttonDownSeen = false;
    bool over = menuPanelOpen && (overPanel || overSubMenuClass);
    if (!buttonDown) {
        press.downOverPopup = false;
        return false;
    }
    press.buttonDownSeen = true;
    if (menuPanelOpen) press.downOverPopup = over;
    return over;
}

}  // namespace hover
