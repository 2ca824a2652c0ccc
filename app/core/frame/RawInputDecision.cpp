#include "app/core/frame/RawInputDecision.h"

#include "app/core/common/WindowClasses.h"
#include "hosts/HostWindowClasses.h"

namespace rawinput {

const wchar_t* const kWebViewClass = host_class::kIEServer;
const wchar_t* const kPanelClass = window_class::kBackWin;
const wchar_t* const kTailClass = window_class::kTailWin;
const wchar_t* const kMenuClass = window_class::kPondMenu;

namespace {

bool Contains(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

RECT Grown(RECT r, LONG by) {
    r.left -= by;
    r.top -= by;
    r.right += by;
    r.bottom += by;
    return r;
}

bool IsEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

// The smallest rectangle holding both; an empty one adds nothing.
RECT United(const RECT& a, const RECT& b) {
    if (IsEmpty(a)) return b;
    if (IsEmpty(b)) return a;
    RECT u{a.left < b.left ? a.left : b.left, a.top < b.top ? a.top : b.top,
           a.right > b.right ? a.right : b.right, a.bottom > b.bottom ? a.bottom : b.bottom};
    return u;
}

// The class that decides: the window's own, or, for an embedded web view,
// the first parent of class `stopAt` (or the topmost parent when none is).
std::wstring DecidingClass(const std::vector<std::wstring>& chain, const wchar_t* stopAt) {
    if (chain.empty()) return L"";
    size_t i = 0;
    if (chain[0] == kWebViewClass) {
        while (i + 1 < chain.size()) {
            ++i;
            if (chain[i] == stopAt) break;
        }
    }
    return chain[i];
}

class Decision {
public:
    Decision(const Answers& a) : answers_(a) {}
    std::vector<Action> out;

    void Do(Action a) { out.push_back(a); }
    // Asks the next query; false when its answer is still missing.
    bool AskOverPopup() {
        out.push_back(Action::AskPointOverPopup);
        return answers_.askedOverPopup;
    }
    bool Poll(int& result) {
        out.push_back(Action::PollOnce);
        if (pollsUsed_ >= answers_.polls.size()) return false;
        result = answers_.polls[pollsUsed_++];
        return true;
    }
    const Answers& answers() const { return answers_; }

private:
    const Answers& answers_;
    size_t pollsUsed_ = 0;
};

void Keyboard(const Event& e, const State& s, Decision& d) {
    switch (e.virtualKey) {
        case 16:   // Shift
        case 17:   // Control
        case 44:   // Print Screen
        case 255:
            return;
        default:
            break;
    }
    d.Do(Action::HideHotspot);
    d.Do(Action::HideMenus);
    if (s.menuPanelOpen && !s.menuPanelSticky) d.Do(Action::CloseMenuEcp);
}

void WithMenuPanel(bool moved, bool pressed, bool wheel, const Pointer& p, const State& s, Decision& d) {
    bool onPanel = false, onTail = false;
    if (pressed || wheel) {
        std::wstring result = DecidingClass(p.classChain, kPanelClass);
        onPanel = result == kPanelClass;
        onTail = result == kTailClass;
        if (!onPanel && !onTail && result != kMenuClass) {
            d.Do(Action::HideMenus);
            d.Do(Action::HideHotspot);
        }
    }
    if (wheel) {
        if (onPanel) {
            d.Do(Action::PostWheelToMenuPanel);
            if (!p.classChain.empty()) d.Do(Action::FocusWindowUnderCursor);
        } else {
            d.Do(Action::CloseMenuEcp);
        }
    } else {
        if (!d.AskOverPopup()) return;
        const Answers& a = d.answers();
        if (pressed && !a.overPopup && a.buttonDownSeen && !a.downOverPopup && !onTail) d.Do(Action::CloseMenuEcp);
    }
    if (moved && !s.hotspotGuessesRequested) {
        RECT r = s.menuPanelRect;
        bool inside = Contains(r, p.cursor);
        r = Grown(r, 50);
        RECT h = s.hotspotRect;
        if (!inside) inside = Contains(h, p.cursor);
        h = Grown(h, 20);
        r = United(r, h);
        if (!Contains(r, p.cursor)) {
            d.Do(Action::CloseMenuEcp);
        } else if (!inside) {
            int result = 0;
            if (!d.Poll(result)) return;
            if (result == 4 && !d.Poll(result)) return;
            if (result & 0x02) d.Do(Action::CloseMenuEcp);
        }
    }
}

void WithoutMenuPanel(bool moved, bool pressed, bool wheel, const Pointer& p, const State& s, Decision& d) {
    bool ownWindow = true, onPanel = false;
    if ((pressed || (moved && s.hotspotVisible)) && !p.classChain.empty()) {
        std::wstring result = DecidingClass(p.classChain, kMenuClass);
        ownWindow = result == kMenuClass;
        onPanel = result == kPanelClass;
    }
    if (pressed && !ownWindow) {
        d.Do(onPanel ? Action::HideMenusKeepSearch : Action::HideMenus);
        d.Do(Action::HideHotspot);
        d.Do(Action::Rescan);
    } else if (wheel) {
        d.Do(Action::HideMenus);
        d.Do(Action::HideHotspot);
        d.Do(Action::Rescan);
    } else if (moved && !ownWindow) {
        int result = 0;
        if (!d.Poll(result)) return;
        if (result > 0) {
            d.Do(Action::HideMenus);
            d.Do(Action::HideHotspot);
            d.Do(Action::RescanWithTick);
        } else if (s.textMenuVisible) {
            RECT r = Grown(s.textMenuRect, 50);
            if (s.subMenuOpen) r = United(r, Grown(s.subMenuRect, 50));
            r = United(r, Grown(s.hotspotRect, 20));
            if (!Contains(r, p.cursor)) d.Do(Action::HideMenus);
        }
    }
}

}  // namespace

bool IsMotion(const Event& e, AbsoluteTrack& track) {
    if (!e.absolute) return e.lastX != 0;
    bool moved = track.known && e.lastX != track.x;
    track.known = true;
    track.x = e.lastX;
    return moved;
}

std::vector<Action> Decide(const Event& e, bool moved, const Pointer& p, const State& s, const Answers& answers) {
    Decision d(answers);
    if (s.starting) return d.out;
    if (e.type == InputType::Keyboard) {
        Keyboard(e, s, d);
    } else if (e.type == InputType::Mouse) {
        d.Do(Action::AdvanceHotspotFade);
        bool pressed = (e.buttonFlags & kButtonDownFlags) != 0;
        bool wheel = (e.buttonFlags & kWheelFlag) != 0;
        if (s.menuPanelOpen)
            WithMenuPanel(moved, pressed, wheel, p, s, d);
        else
            WithoutMenuPanel(moved, pressed, wheel, p, s, d);
    }
    return d.out;
}

}  // namespace rawinput
