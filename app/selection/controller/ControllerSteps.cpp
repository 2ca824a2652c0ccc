// The steps of ControllerSteps.h that belong to the controller's own pieces
// (hover tracking, the hotspot, the menus) and the heartbeat's hand-overs to
// the application.  The dock, usage, update and application-command steps have their
// own sources.
#include "app/selection/controller/ControllerSteps.h"

#include "app/core/common/AppMessages.h"
#include "app/core/common/GlobalLocks.h"
#include "app/core/common/SharedUtilities.h"
#include "app/core/main/PondrelApp.h"
#include "app/selection/controller/BrowserTreeView.h"
#include "app/selection/controller/ControllerHover.h"
#include "log/PondrelLog.h"

std::wstring DefaultBrowserPath() { return GetDefaultBrowserPath(); }

void AppPollConnection() { theApp.PollConnection(); }
void RefreshTrayState() { theApp.UpdateTrayIcon(); }

void PostToAllPanels11203(BrowserTreeView& view) { view.m_Panels.PostToAll11203(); }


void TrackHover(BrowserTreeView& view) {
    std::unique_ptr<hover::HoverHost> host = MakeHoverHost(view);
    view.m_HoverEngine.TrackHover(*host);
}

void HideHotspot(BrowserTreeView& view) {
    if (!view.m_pHotspot->IsVisible()) return;
    LogLine(L"Hover target has been hidden ");
    view.m_pCurrentLink = nullptr;
    ::ShowWindow(view.m_pHotspot->hwnd(), SW_HIDE);
}

void HideTextMenu(BrowserTreeView& view) {
    view.m_DownOverPopup = false;
    view.m_ButtonDownSeen = false;
    if (view.m_pTextMenu && view.m_pTextMenu->IsVisible()) view.m_pTextMenu->HideMenu();
}

void HideMenu(TxMenuWin& menu) { menu.HideMenu(); }

void RebuildMenu(TxMenuWin& menu) {
    menu.ClearItems();
    menu.BuildItems();
    menu.MeasureItems();
}

void AddGuessItems(BrowserTreeView& view, bool onSearchMenu) {
    TextRootMenu* menu = onSearchMenu ? view.m_pSearchMenu.get() : view.m_pTextMenu.get();
    if (menu) menu->AddGuessItems(true);
}

void RequestGuesses(BrowserTreeView& view) {
    static const std::wstring empty;
    if (view.m_pSearchMenu) view.m_pSearchMenu->RequestGuesses(empty, &empty, empty, true);
}

bool HotspotTargetIs(const BrowserTreeView& view, const RECT& rect) {
    return ::EqualRect(&view.m_pHotspot->m_TargetRect, &rect) != FALSE;
}

void CloseMenuEcp(BrowserTreeView& view) {
    if (!view.m_pMenuPanel) return;
    if (view.m_hMenuPanel) ::PostMessageW(view.m_hMenuPanel, panel_msg::kCloseNow, 0, 0);
    view.m_pMenuPanel = nullptr;
    view.HideHotspot();
    view.HideMenus(true);
    view.Rescan(true);
}

bool IsPointOverPopup(BrowserTreeView& view, POINT pt, bool buttonDown) {
    const bool open = view.m_pMenuPanel != nullptr;
    bool overPanel = false, overSubMenu = false;
    if (open) {
        overPanel = view.HitTestMenuEcp(pt);
        if (!overPanel) {
            wchar_t cls[256] = {};
            HWND under = ::WindowFromPoint(pt);
            if (under) ::GetClassNameW(under, cls, 256);
            overSubMenu = !theApp.m_MenuClassName.empty() && theApp.m_MenuClassName == cls;
        }
    }
    hover::PopupPress press{view.m_DownOverPopup, view.m_ButtonDownSeen};
    bool over = hover::DecidePointOverPopup(open, overPanel, overSubMenu, buttonDown, press);
    view.m_DownOverPopup = press.downOverPopup;
    view.m_ButtonDownSeen = press.buttonDownSeen;
    return over;
}

bool HotspotGuessesRequested(const BrowserTreeView& view) { return view.m_pHotspot->m_GuessesRequested; }

HWND TextSubMenuWindow(const BrowserTreeView& view) {
    TxMenuWin* sub = view.m_pTextMenu ? view.m_pTextMenu->m_pOpenSubMenu : nullptr;
    return sub ? sub->hwnd() : nullptr;
}

void AdvanceHotspotFade(BrowserTreeView& view) { view.m_pHotspot->AnimationStep(); }

void TakeBestGuessResult() {
    fx::ScopedLock lock(g_BestGuessLock);
    theApp.m_BestGuessCount = theApp.m_BestGuessShared.resultCount;
    theApp.m_BestGuessTitle = theApp.m_BestGuessShared.title;
}
