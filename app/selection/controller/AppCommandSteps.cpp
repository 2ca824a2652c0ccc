// The controller's command messages that open fixed panels, hide the menus,
// toggle a panel's context menu (11135) and open the bug-report panel
// (11137).  The fixed panels and the menus' hiding are the application's
// commands; the context menu and the report read what a panel left in the
// controller.
#include "app/core/common/GlobalLocks.h"
#include "app/core/config/Settings.h"
#include "app/core/config/UserSetting.h"
#include "app/core/main/PondrelApp.h"
#include "app/core/main/PondrelDoc.h"
#include "app/selection/controller/BrowserTreeView.h"
#include "app/selection/controller/ControllerSteps.h"
#include "log/PondrelLog.h"

void AppOpenDefaultPanel() { theApp.OnOpenDefaultPanel(); }
void AppOpenSettingsPanel() { theApp.OnOpenSettingsPanel(); }
void AppOpenPromoPanel() { theApp.OnOpenPromoPanel(); }
void AppOpenMobilePanel() { theApp.OnOpenMobilePanel(); }
void AppOpenMiniBrowser() { theApp.OnOpenMiniBrowser(); }
void AppHideMenus() { theApp.OnHideMenus(); }

namespace {

// The active window of the foreground window's thread (null when none).
HWND ForegroundThreadActiveWindow() {
    HWND foreground = ::GetForegroundWindow();
    if (!foreground) return nullptr;
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetGUIThreadInfo(::GetWindowThreadProcessId(foreground, nullptr), &info)) return nullptr;
    return info.hwndActive;
}

}  // namespace

// The same panel's key twice closes its context menu; another panel's key
// reopens it for that panel.
void AppToggleContextPanel(BrowserTreeView& view, LPARAM panelKey) {
    SearchMenu* menu = view.m_pSearchMenu.get();
    if (!menu) return;
    const LONG_PTR key = panelKey;
    if (menu->IsVisible() && key == theApp.m_ContextPanelKey) {
        theApp.OnHideMenus();
        theApp.m_ContextPanelKey = 0;
        return;
    }
    theApp.OnHideMenus();
    theApp.m_ContextPanelKey = key;
    const SearchMenuContext context = menu->m_Context.Copy();
    view.m_hActiveBeforeSearchMenu = ForegroundThreadActiveWindow();
    std::wstring query;
    {
        fx::ScopedLock lock(g_SearchTextLock);
        query = theApp.m_SearchQuery;
    }
    menu->m_hOwnerPanel = context.panel ? context.panel : reinterpret_cast<HWND>(panelKey);
    menu->m_Mode = context.mode;
    menu->RequestGuesses(query, nullptr, context.text, true);
    menu->ShowAt(context.anchor, &view, &view.m_Observer);
}

// The record a panel named opens with the panel's token and URL as its
// query text and context (its first and second run-time strings), at the
// rectangle the panel gave (tray placement); nothing when no record has that
// identifier.
void AppReportBug(BrowserTreeView& view) {
    std::wstring id, token, url;
    RECT anchor{};
    {
        fx::ScopedLock lock(g_PanelRecordLock);
        id = view.m_LastInnerEcp;
        token = view.m_ReportToken;
        url = view.m_ReportUrl;
        anchor = view.m_ReportRect;
    }
    Settings* settings = theApp.m_pDoc ? theApp.m_pDoc->GetSettingsView() : nullptr;
    UserSetting* record = settings ? settings->FindEcp(id) : nullptr;
    if (!record) {
        LogWithPrefix(L"Report: no panel record %s", id.c_str());
        return;
    }
    record->m_QueryText = token;
    record->m_Context = url;
    view.LaunchEcp(anchor, record, token, L"Report PondRel Bug", 0x80);
}
