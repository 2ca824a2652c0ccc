#include "app/panels/window/PanelGeometry.h"

#include <algorithm>
#include <cstdlib>

#include "app/core/common/AppMessages.h"

namespace panels {

namespace {

IntRect At(int left, int top, int width, int height) { return IntRect{left, top, left + width, top + height}; }

}  // namespace

Placement ChoosePlacement(uint32_t flags, const IntRect& kept, const IntRect& anchor, const IntRect& tray,
                          const IntRect& work, int width, int height) {
    Placement p;
    if (kept.left != kNoKeptRect) {
        p.anchor = kept;
        p.x = kept.left;
        p.y = kept.top;
        return p;
    }
    if (flags & kFlagTray) {
        p.anchor = tray;
    } else if (flags & kFlagCentre) {
        p.anchor = CenterIn(At(work.left, work.top, width, height), work);
    } else if (flags & kFlagAtAnchor) {
        p.anchor = anchor;
    } else if (flags & kFlagCentreOnAnchor) {
        int cx = anchor.left + anchor.Width() / 2;
        int cy = anchor.top + anchor.Height() / 2;
        p.anchor = At(cx - width / 2, cy - height / 2, anchor.Width(), anchor.Height());
    } else {
        p.anchor = At(work.right - 5 - width, work.bottom - height, width, height);
    }
    if ((flags & kFlagMenuPanel) && !(flags & kFlagCentre)) {
        p.x = p.anchor.right - 5;
        p.y = p.anchor.top - (height / 2 + 59);
    } else {
        p.x = p.anchor.left;
        p.y = p.anchor.top;
    }
    return p;
}

IntRect TrayRectFromChildren(const IntRect& taskbar, const std::vector<ChildWindow>& children) {
    IntRect r = taskbar;
    for (const ChildWindow& child : children) {
        if (child.className == L"TrayNotifyWnd") r = child.rect;
        if (child.className == L"TrayClockWClass") {
            if (child.rect.bottom < r.bottom - 5)
                r.top = child.rect.bottom;
            else
                r.right = child.rect.left;
            break;
        }
    }
    return r;
}

IntRect TrayRectFromAppBar(const IntRect& tb, unsigned edge) {
    if (edge == 0 || edge == 2) return IntRect{tb.left, tb.bottom - 100, tb.right, tb.bottom - 16};
    return IntRect{tb.right - 100, tb.top, tb.right - 16, tb.bottom};
}

IntRect TrayRectFallback(const IntRect& work) { return IntRect{work.right - 150, work.bottom - 30, work.right, work.bottom}; }

IntRect CenterIn(const IntRect& rect, const IntRect& work) {
    return At(work.left + (work.Width() - rect.Width()) / 2, work.top + (work.Height() - rect.Height()) / 2,
              rect.Width(), rect.Height());
}

void EdgeSnap::Begin(Point at) {
    grab = at;
    vertical = horizontal = kFree;
}

bool EdgeSnap::OnMoving(IntRect& proposed, const IntRect& current, const IntRect& work, const Edges& edges,
                        Point cursor) {
    const bool wasVertical = vertical != kFree, wasHorizontal = horizontal != kFree;
    IntRect r = proposed;
    bool changed = false;
    auto moveTop = [&](int top) {
        int h = r.Height();
        r.top = top;
        r.bottom = top + h;
        changed = true;
    };
    auto moveLeft = [&](int left) {
        int w = r.Width();
        r.left = left;
        r.right = left + w;
        changed = true;
    };

    if (vertical == kFree) {
        int toTop = current.top - edges.top - work.top;
        int toBottom = current.bottom + edges.bottom - work.bottom;
        if (toTop == 0) {
            vertical = kVerticalStuck;
        } else if (std::abs(toTop) <= kSnapDistance) {
            moveTop(work.top + edges.top);
            vertical = kVerticalStuck;
        } else if (toBottom == 0) {
            vertical = kVerticalStuck;
        } else if (std::abs(toBottom) <= kSnapDistance) {
            moveTop(work.bottom - edges.bottom - r.Height());
            vertical = kVerticalStuck;
        }
    }
    if (horizontal == kFree) {
        int toLeft = current.left - edges.left - work.left;
        int toRight = current.right + edges.right - work.right;
        if (toLeft == 0) {
            horizontal = kHorizontalStuck;
        } else if (std::abs(toLeft) <= kSnapDistance) {
            moveLeft(work.left + edges.left);
            horizontal = kHorizontalStuck;
        } else if (toRight == 0) {
            horizontal = kHorizontalStuck;
        } else if (std::abs(toRight) <= kSnapDistance) {
            moveLeft(work.right - edges.right - r.Width());
            horizontal = kHorizontalStuck;
        }
    }
    // On an edge since an earlier message: the panel stays until the cursor
    // has gone kLeaveDistance pixels from where it held the panel.
    if (wasVertical) {
        if (std::abs(cursor.y - lastGrab.y) < kLeaveDistance) {
            if (r.top != current.top) moveTop(current.top);
        } else {
            moveTop(cursor.y - grab.y);
            vertical = kFree;
        }
    }
    if (wasHorizontal) {
        if (std::abs(cursor.x - lastGrab.x) < kLeaveDistance) {
            if (r.left != current.left) moveLeft(current.left);
        } else {
            moveLeft(cursor.x - grab.x);
            horizontal = kFree;
        }
    }
    if (changed) proposed = r;
    lastGrab = Point{proposed.left + grab.x, proposed.top + grab.y};
    return changed;
}

Size HeldToWorkArea(Size size, const IntRect& work, const IntRect& monitor) {
    const int width = work.Width(), height = work.Height();
    if (width > 0 && size.width > width) size.width = width;
    if (height > 0 && size.height > height) size.height = height;
    if (monitor.Height() > 1 && size.width >= monitor.Width() && size.height >= monitor.Height())
        size.height = monitor.Height() - 1;
    return size;
}

Size ResizedSize(int direction, Size start, int dx, int dy) {
    int gx = 0, gy = 0;
    switch (direction) {
        case 1: gx = -dx; gy = -dy; break;
        case 2: gy = -dy; break;
        case 3: gx = dx; gy = -dy; break;
        case 4: gx = dx; break;
        case 5: gx = dx; gy = dy; break;
        case 6: gy = dy; break;
        case 7: gx = -dx; gy = dy; break;
        case 8: gx = -dx; break;
        default: break;
    }
    Size s{start.width + gx, start.height + gy};
    if (s.width < kMinPanelSize) s.width = kMinPanelSize;
    if (s.height < kMinPanelSize) s.height = kMinPanelSize;
    return s;
}

Cursor ResizeCursor(int direction) {
    switch (direction) {
        case 1: case 5: return Cursor::SizeNwSe;
        case 3: case 7: return Cursor::SizeNeSw;
        case 2: case 6: return Cursor::SizeNs;
        case 4: case 8: return Cursor::SizeWe;
        default: return Cursor::Arrow;
    }
}

Fade::Fade(float from, float to, uint32_t now) {
    list_.Start(now);
    list_.Add(0.0f, from);
    list_.Add(kEndTime, to);
}

float Fade::Step(uint32_t now) { return list_.Advance(now); }

HitDecision DecideHit(const HitInput& in) {
    HitDecision d;
    const bool overAny = in.overControl || in.overMoveArea || in.resizeDirection != 0 || in.overWindowed;
    if (in.hasTail && overAny && in.leftDown && !in.overClose) d.dropTail = true;
    if (!overAny)
        d.cursor = Cursor::Arrow;
    else if (in.overWindowed)
        d.cursor = Cursor::None;
    else if (in.resizeDirection != 0)
        d.cursor = ResizeCursor(in.resizeDirection);
    else
        d.cursor = Cursor::Arrow;

    if (in.leftDown && !in.overControl && (in.overMoveArea || in.moving)) {
        d.hideMenus = true;
        d.startMove = !in.moving;
        d.raiseChildren = true;
        d.caption = true;
    } else if (!in.leftDown && in.moving) {
        d.raiseChildren = true;
        d.endMove = true;
        if (in.hasSearch && !in.closing) {
            d.focusSearch = !(in.flags & kFlagMenuPanel);
            d.panelReady = true;
        }
    }
    return d;
}

IntRect PlainCloseRect(int width, int height) {
    if (width <= 0 || height <= 0) return IntRect{};
    const int right = std::max(0, width - kPlainCloseInset);
    const int left = std::max(0, right - kPlainCloseSize);
    const int top = std::min(kPlainCloseInset, height);
    return IntRect{left, top, right, std::min(height, top + kPlainCloseSize)};
}

std::vector<PanelAction> ButtonUpActions(Control control, bool shiftDown, bool forward) {
    using A = PanelAction;
    const A hideMenus{A::Post, Target::Controller, controller_msg::kHideMenus, 0, 0};
    switch (control) {
        case Control::Close: return {hideMenus, A{A::FadeOutAndClose, Target::Self, 0, 0, 0}};
        case Control::Share: return {A{A::Post, Target::Self, panel_msg::kOpenWithToken, 0, 0}};
        case Control::SearchSubmit: return {A{A::Post, Target::Self, panel_msg::kReload, 0, 1}};
        case Control::Dock: {
            const A showDock{A::Post, Target::Dock, dock_msg::kShowOrHide, 0, 0};
            if (shiftDown) return {showDock, hideMenus, A{A::Post, Target::Controller, controller_msg::kDockAnimation, 0, 0}};
            return {showDock, hideMenus, A{A::Post, Target::Self, panel_msg::kDockAnimate, 0, 0}};
        }
        case Control::NextBack:
            return {A{A::Post, Target::Children, forward ? children_msg::kGoForward : children_msg::kGoBack, 0, 0}};
        case Control::OpenInBrowser: return {hideMenus, A{A::OpenInBrowser, Target::Self, 0, 0, 0}};
        case Control::None: break;
    }
    return {};
}

IntRect DockFlightRect(const IntRect& panel, Point dockPoint) {
    const int w = panel.right - panel.left, h = panel.bottom - panel.top;
    IntRect r = panel;
    if (dockPoint.x < panel.left) r.left = dockPoint.x - w;
    if (dockPoint.x >= panel.right) r.right = dockPoint.x + w;
    if (dockPoint.y < panel.top) r.top = dockPoint.y - h;
    if (dockPoint.y >= panel.bottom) r.bottom = dockPoint.y + h;
    return r;
}

}  // namespace panels
