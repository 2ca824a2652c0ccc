// The controller's side of hover tracking: the hover engine's questions
// answered from the windows and records, its steps carried out on them; the
// hotspot's shows and hides; the menu panel's close and hit test.
#include <windows.h>

#include "app/core/common/GlobalLocks.h"
#include "app/core/graphics/ImageRoutines.h"
#include "app/core/graphics/SharedGraphics.h"
#include "app/core/main/PondrelApp.h"
#include "app/core/main/PondrelDoc.h"
#include "app/core/config/Settings.h"
#include "app/core/net/UrlEncodeUtf8.h"
#include "app/core/config/UserSetting.h"
#include "app/selection/controller/BrowserTreeView.h"
#include "app/selection/controller/ControllerSteps.h"
#include "app/selection/controller/ControllerHover.h"
#include "log/PondrelLog.h"

namespace {


hover::Rect ToHover(const RECT& r) { return hover::Rect{r.left, r.top, r.right, r.bottom}; }
RECT ToRect(const hover::Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

RECT WindowRect(HWND hwnd) {
    RECT r{};
    if (hwnd) ::GetWindowRect(hwnd, &r);
    return r;
}

bool Visible(const fx::Window* w) { return w && w->hwnd() && ::IsWindowVisible(w->hwnd()); }

class ControllerHoverHost : public hover::HoverHost {
public:
    explicit ControllerHoverHost(BrowserTreeView& v) : v_(v) {}

    hover::Point CursorPos() override {
        POINT p = v_.m_CursorPos();
        return hover::Point{p.x, p.y};
    }
    bool LeftButtonDown() override { return v_.m_LeftButtonDown(); }
    uint32_t Now() override { return v_.m_Clock(); }
    bool Disabled() override { return theApp.m_Disabled; }
    bool SearchOrAppMenuVisible() override { return Visible(v_.m_pSearchMenu.get()) || Visible(v_.m_pAppMenu.get()); }
    bool TextMenuVisible() override { return Visible(v_.m_pTextMenu.get()); }
    hover::Rect TextMenuRect() override { return ToHover(WindowRect(v_.m_pTextMenu->hwnd())); }
    bool TextSubMenuRect(hover::Rect& r) override {
        TxMenuWin* sub = v_.m_pTextMenu ? v_.m_pTextMenu->m_pOpenSubMenu : nullptr;
        if (!sub || !sub->hwnd()) return false;
        r = ToHover(WindowRect(sub->hwnd()));
        return true;
    }
    int32_t& TextMenuCountdown() override {
        static int32_t none = 0;
        return v_.m_pTextMenu ? v_.m_pTextMenu->m_HideCountdown : none;
    }
    bool HotspotVisible() override { return v_.m_pHotspot->IsVisible(); }
    hover::Rect HotspotRect() override { return ToHover(WindowRect(v_.m_pHotspot->hwnd())); }
    bool HotspotSelectionMode() override { return v_.m_pHotspot->m_SelectionMode; }
    hover::Rect HotspotTargetRect() override { return ToHover(v_.m_pHotspot->m_TargetRect); }
    bool MenuPanelOpen() override { return v_.m_pMenuPanel != nullptr; }
    bool CreatedPanelRect(hover::Rect& r) override {
        auto launch = v_.m_Launch.Lock();
        if (!launch->m_PanelCreated) return false;
        r = ToHover(launch->m_MenuPanelRect);
        return true;
    }
    bool NewSelection() override { return v_.m_NewSelection; }
    std::vector<hover::Rect> SelectionRects() override {
        std::vector<hover::Rect> rects;
        const LinkList& list = v_.m_Observer.m_Selections;
        for (size_t i = 0; i < list.GetCount(); ++i) rects.push_back(ToHover(list.GetAt(i)->m_Rect));
        return rects;
    }
    size_t HotSpotCount() override { return v_.m_Observer.m_HotSpots.GetCount(); }
    hover::Rect HotSpotRect(size_t i) override { return ToHover(v_.m_Observer.m_HotSpots.GetAt(i)->m_Rect); }
    int32_t& HotSpotCountdown(size_t i) override { return v_.m_Observer.m_HotSpots.GetAt(i)->m_Countdown; }
    hover::Target Current() override {
        LinkInfo* cur = v_.m_pCurrentLink;
        if (!cur) return hover::Target{};
        if (cur == &v_.m_HoverSelection) return hover::Target{hover::Target::HoverSelection, 0};
        const LinkList& spots = v_.m_Observer.m_HotSpots;
        for (size_t i = 0; i < spots.GetCount(); ++i)
            if (spots.GetAt(i) == cur) return hover::Target{hover::Target::HotSpot, i};
        return hover::Target{};
    }
    void SetCurrent(hover::Target t) override {
        switch (t.kind) {
            case hover::Target::None: v_.m_pCurrentLink = nullptr; break;
            case hover::Target::HoverSelection: v_.m_pCurrentLink = &v_.m_HoverSelection; break;
            case hover::Target::HotSpot: v_.m_pCurrentLink = v_.m_Observer.m_HotSpots.GetAt(t.index); break;
        }
    }
    hover::Rect CurrentRect() override {
        return v_.m_pCurrentLink ? ToHover(v_.m_pCurrentLink->m_Rect) : hover::Rect{};
    }
    hover::Marks& HoverMarks() override { return v_.m_Observer; }

    void HideTextMenuWindow() override {
        if (Visible(v_.m_pTextMenu.get())) ::ShowWindow(v_.m_pTextMenu->hwnd(), SW_HIDE);
    }
    void HideTextMenu() override { v_.HideTextMenu(); }
    void HideHotspot() override { v_.HideHotspot(); }
    void CloseMenuEcp() override { v_.CloseMenuEcp(); }
    void ShowHotspot(const hover::Rect& anchor) override { v_.ShowHotspot(ToRect(anchor)); }
    void TakeSelection(size_t i) override {
        const LinkInfo& s = *v_.m_Observer.m_Selections.GetAt(i);
        Observer& o = v_.m_Observer;
        o.m_HoverText = s.m_Text;
        o.m_HoverContext = s.m_Context;
        o.m_HoverGuess = s.m_BestGuess;
        LogWithPrefix(L"AddBestGuesses: %s", o.m_HoverText.c_str());
        v_.m_HoverSelection.m_Token = o.m_HoverText;
        v_.m_HoverSelection.m_Rect = s.m_Rect;
        ::OffsetRect(&v_.m_HoverSelection.m_Rect, -5, 0);
    }
    void TakeLink(size_t i) override {
        LinkInfo& link = *v_.m_Observer.m_HotSpots.GetAt(i);
        link.m_EcpId = theApp.m_DefaultBestGuessEcp;
        link.m_Token = link.m_Text;
        v_.m_HoverLink.CopyFrom(link);
    }
    void SetHotspotTarget(const hover::Rect& rect, bool selectionMode) override {
        v_.m_pHotspot->SetTarget(ToRect(rect), selectionMode, selectionMode ? &v_.m_HoverSelection : &v_.m_HoverLink);
    }
    void SetHotspotGuessesRequested(bool value) override { v_.m_pHotspot->m_GuessesRequested = value; }
    void RequestGuesses(bool forLink, size_t i) override {
        if (!v_.m_pTextMenu) return;
        if (forLink) {
            const LinkInfo& l = *v_.m_Observer.m_HotSpots.GetAt(i);
            v_.m_pTextMenu->RequestGuesses(l.m_Text, &l.m_Context, l.m_BestGuess, true);
        } else {
            const Observer& o = v_.m_Observer;
            v_.m_pTextMenu->RequestGuesses(o.m_HoverText, &o.m_HoverContext, o.m_HoverGuess, true);
        }
    }
    void Log(const std::wstring& line) override { LogLine(line.c_str()); }

private:
    BrowserTreeView& v_;
};

}  // namespace

std::unique_ptr<hover::HoverHost> MakeHoverHost(BrowserTreeView& view) {
    return std::make_unique<ControllerHoverHost>(view);
}

TxSelWin::Images BrowserTreeView::HotspotImages() {
    SharedGraphics& shared = theApp.m_Graphics;
    TxSelWin::Images images;
    images.normal = shared.hotspotNormal.get();
    images.over = shared.hotspotOver.get();
    images.target1 = shared.hotspot[0].get();
    images.target2 = shared.hotspot[1].get();
    images.target3 = shared.hotspot[2].get();
    return images;
}

void BrowserTreeView::ShowHotspot(const RECT& anchor) {
    m_pHotspot->PlaceBesideSelection(anchor);
    LogLine(L"******ShowMini****");
    LogWithPrefix(L"Top: %s", std::to_wstring(anchor.top).c_str());
    m_pHotspot->FadeIn();
}

void BrowserTreeView::OpenTextMenuFromHotspot(const RECT& anchor, const LinkInfo& record) {
    if (!m_pTextMenu) return;
    m_Observer.m_HoverText = record.m_Token;
    CountUsage(L"1000.0");
    CountUsage(m_GuessLaunchMode ? L"1008.0" : L"1009.0");
    m_pTextMenu->CountShownGuesses();
    m_pTextMenu->ShowAt(anchor, this, &m_Observer);
}

void BrowserTreeView::LaunchBestGuess(const RECT& anchor, const LinkInfo& record) {
    Settings* settings = theApp.m_pDoc ? theApp.m_pDoc->GetSettingsView() : nullptr;
    UserSetting* ecp = settings ? settings->FindEcp(record.m_EcpId) : nullptr;
    LogLine(L"Hover Target triggered");
    LogWithPrefix(L"Trying to launch GUID:%s", record.m_EcpId.c_str());
    if (!ecp) {
        LogLine(L"************** Could not find ecp for GUID!");
        return;
    }
    ecp->m_QueryText = record.m_Token;
    ecp->m_CurrentUrl = record.m_Token;
    const std::wstring token = record.m_Token;  // the record may go with the hide below
    LaunchEcp(anchor, ecp, UrlEncodeUtf8(token), L"Best Guess", 0x12);
    HideHotspot();
}

void BrowserTreeView::LoadMenuPanelMask() {
    m_pMenuPanelMask = LoadImageFile(theApp.m_TempDir + L"mask.jpg", 0, 0);
}

bool BrowserTreeView::HitTestMenuEcp(POINT pt) {
    if (!m_pMenuPanel || !m_pMenuPanelMask || !m_hMenuPanel) return false;
    const RECT panel = m_Launch.Lock()->m_MenuPanelRect;
    POINT p = pt;
    ::ScreenToClient(m_hMenuPanel, &p);
    if (p.x < 0 || p.y < 0 || p.x >= panel.right - panel.left || p.y >= panel.bottom - panel.top) return false;
    Gdiplus::Color color;
    if (m_pMenuPanelMask->GetPixel(p.x, p.y, &color) != Gdiplus::Ok) return false;
    return color.GetAlpha() > 0;
}

