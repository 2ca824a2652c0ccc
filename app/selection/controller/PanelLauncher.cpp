// The launcher: every content panel opens here (BrowserTreeView::LaunchEcp),
// and the controller's side of the launch handshake and of the panel list.
#include <string>

#include "app/core/common/GlobalLocks.h"
#include "app/core/common/Resource.h"
#include "app/core/config/Settings.h"
#include "app/core/config/UserSetting.h"
#include "app/core/main/PondrelApp.h"
#include "app/core/main/PondrelDoc.h"
#include "app/panels/thread/LaunchRules.h"
#include "app/core/common/AppMessages.h"
#include "app/selection/controller/BrowserTreeView.h"
#include "app/selection/menus/SearchMenu.h"
#include "app/selection/controller/ControllerMessages.h"
#include "fx/Lock.h"
#include "log/PondrelLog.h"

namespace {

std::wstring ResourceString(UINT id, const wchar_t* fallback) {
    const wchar_t* text = nullptr;
    int n = ::LoadStringW(::GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
    return n > 0 && text ? std::wstring(text, static_cast<size_t>(n)) : std::wstring(fallback);
}

std::wstring MaskFile() { return theApp.m_TempDir + L"mask" + L".jpg"; }

}  // namespace

HWND BrowserTreeView::LaunchEcp(const RECT& anchor, UserSetting* record, const std::wstring&, const std::wstring& title,
                                DWORD flags) {
    if (!record) return nullptr;
    record->m_RunValue += 1;
    const bool searchPanel = record->m_SearchPanel != 0;
    const bool singleInstance = record->m_SingleInstance != 0;
    if (searchPanel && m_Observer.m_Selections.GetCount() > 0)
        m_PanelStrings.Lock()->m_SearchText = m_Observer.m_Selections.GetHead()->m_Text;
    if (singleInstance && ReshowSingleInstance(*record)) return nullptr;

    const size_t running = m_Panels.GetCount();
    LogLine((L"ActiveECP Count: " + std::to_wstring(running)).c_str());
    if (running >= static_cast<size_t>(panels::kMaxPanels)) {
        RefuseSeventeenthPanel();
        return nullptr;
    }
    flags = panels::LaunchFlags(flags, record->m_Placement);
    LogLine((L"Launch ECP GUID: " + record->m_Id).c_str());
    // One menu panel at a time: the older one is asked to close and
    // forgotten.  Nothing more happens here: the full close (menus hidden, a
    // rescan and a whole heartbeat) would run inside this launch.
    if (panels::IsMenuPanelLaunch(flags) && m_pMenuPanel) {
        if (m_hMenuPanel) ::PostMessageW(m_hMenuPanel, panel_msg::kCloseNow, 0, 0);
        m_pMenuPanel = nullptr;
        m_hMenuPanel = nullptr;
    }

    std::unique_ptr<panels::PanelThread> made = m_MakePanelThread ? m_MakePanelThread() : nullptr;
    if (!made) {
        LogLine(L"The panel thread could not be started");
        return nullptr;
    }
    {
        auto launch = m_Launch.Lock();
        launch->m_PanelCreated = launch->m_PanelGo = launch->m_PanelReady = false;
        launch->m_LaunchToken = made.get();
    }
    made->m_pHost = this;
    made->m_Current.CopyFrom(*record);
    made->m_TemplateUrl = panels::TemplateUrl(theApp.m_TemplatesUrl, record->m_Skin);
    made->m_TemplateBase = record->m_TemplateBaseUrl;
    made->m_Title = title;
    panels::PanelThread* thread = m_Panels.Add(std::move(made), *record);
    if (searchPanel) HandOverSearchText(*thread);
    thread->m_Next.CopyFrom(*record);
    thread->m_Flags = flags;
    thread->m_Anchor = anchor;

    m_pMenuPanelMask.reset();
    if (panels::WantsMask(flags)) {
        ::DeleteFileW(MaskFile().c_str());  // never the mask of an earlier panel
        thread->m_SaveMask = true;
    }
    thread->Resume();
    if (!WaitForLaunch(thread, &LaunchHandshake::m_PanelCreated, L"created")) return nullptr;
    m_pMenuPanelMask.reset();
    m_Launch.Lock()->m_PanelGo = true;
    HWND panel = thread->PanelWindow();
    m_Panels.SetWindow(thread, panel);
    ::PostMessageW(panel, panel_msg::kReady, 0, 0);
    if (!WaitForLaunch(thread, &LaunchHandshake::m_PanelReady, L"ready")) return nullptr;
    m_Launch.Lock()->m_LaunchToken = nullptr;
    if (panels::WantsMask(flags)) LoadMenuPanelMask();
    ::PostMessageW(panel, panels::FinalLaunchMessage(flags), 0, 0);
    if (panels::IsMenuPanelLaunch(flags)) {
        m_pMenuPanel = thread;
        m_hMenuPanel = panel;
    }
    m_MenuPanelSticky = panels::IsStickyMenuPanel(singleInstance, flags);
    return panel;
}

// An open panel of a single-instance record is shown again (to the front)
// instead of a second one; its window is read under the panel-list lock (a
// panel without a window yet is not found).
bool BrowserTreeView::ReshowSingleInstance(const UserSetting& record) {
    HWND window = nullptr;
    if (!m_Panels.FindByGuid(record.m_Id, &window)) return false;
    ::PostMessageW(window, panel_msg::kShow, 0, 1);
    if (record.m_SearchPanel) {
        ::PostMessageW(window, panel_msg::kPublishUrl, 0, 0);
        ::PostMessageW(window, panel_msg::kReady, 0, 0);
    }
    return true;
}

void BrowserTreeView::RefuseSeventeenthPanel() {
    HideTextMenu();
    ::SetForegroundWindow(hwnd());
    std::wstring caption = ResourceString(IDS_TOO_MANY_CAPTION, L"To many PondRels!");
    std::wstring text = ResourceString(IDS_TOO_MANY_TEXT,
                                       L"You must close some of the PondRels in the dockbar or on your desktop before "
                                       L"more can be opened.");
    ::MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_ICONEXCLAMATION);
}

// A search panel opens with the selection's text, where the last one was
// left, and with the inner panel last shown in it.
void BrowserTreeView::HandOverSearchText(panels::PanelThread& thread) {
    UserSetting& r = thread.m_Current;
    {
        auto strings = m_PanelStrings.Lock();
        r.m_QueryText = strings->m_SearchText;
        r.m_CurrentUrl = strings->m_SearchText;
        r.m_RunInt1 = strings->m_LastPanelRect.left;
        r.m_RunInt2 = strings->m_LastPanelRect.top;
        r.m_RunInt3 = strings->m_LastPanelRect.right;
        r.m_RunInt4 = strings->m_LastPanelRect.bottom;
    }
    Settings* settings = theApp.m_pDoc ? theApp.m_pDoc->GetSettingsView() : nullptr;
    fx::ScopedLock hold(g_PanelRecordLock);
    if (m_LastInnerEcp.empty()) m_LastInnerEcp = theApp.m_DefaultEcp;
    if (m_LastInnerEcp.empty()) return;
    r.m_Id = m_LastInnerEcp;
    thread.m_InnerEcp = m_LastInnerEcp;
    if (UserSetting* inner = settings ? settings->FindEcp(m_LastInnerEcp) : nullptr) {
        r.m_IconUrl = inner->m_IconUrl;
        r.m_Version = inner->m_Version;
        r.m_Action = inner->m_Action;
        r.m_Searchable = inner->m_Searchable;
    }
}

// One step of the handshake, bounded; messages other threads send to this
// one are handled meanwhile, posted ones wait.  On time-out the launch is
// given up: a late report of that panel no longer counts, its node leaves the
// running panels (it no longer counts toward the limit, and a single-instance
// record opens anew), and a window it made is asked to close at once.
bool BrowserTreeView::WaitForLaunch(const panels::PanelThread* thread, bool LaunchHandshake::*flag,
                                    const wchar_t* what) {
    bool done = fx::PollDispatchingSent(
        [&] {
            auto launch = m_Launch.Lock();
            return launch->m_LaunchToken == thread && (*launch).*flag;
        },
        m_LaunchWaitMs, 50);
    if (done) return true;
    LogLine((L"The panel did not report " + std::wstring(what) + L" within " + std::to_wstring(m_LaunchWaitMs) +
             L" ms: launch given up")
                .c_str());
    m_Launch.Lock()->m_LaunchToken = nullptr;
    HWND window = thread->PanelWindow();
    m_Panels.Abandon(thread);
    if (window) ::PostMessageW(window, panel_msg::kCloseNow, 0, 0);
    return false;
}

void BrowserTreeView::ReportCreated(const panels::PanelThread* panel, const RECT& panelRect) {
    auto launch = m_Launch.Lock();
    if (launch->m_LaunchToken != panel) return;
    launch->m_MenuPanelRect = panelRect;
    launch->m_PanelCreated = true;
}

bool BrowserTreeView::GoGiven(const panels::PanelThread* panel) {
    auto launch = m_Launch.Lock();
    return launch->m_LaunchToken == panel && launch->m_PanelGo;
}

void BrowserTreeView::ReportReady(const panels::PanelThread* panel) {
    auto launch = m_Launch.Lock();
    if (launch->m_LaunchToken == panel) launch->m_PanelReady = true;
}

void BrowserTreeView::PostUsage(const std::wstring& ecpId, DWORD openMs) { PostPanelUsage(hwnd(), ecpId, openMs); }

std::wstring BrowserTreeView::SearchText() { return m_PanelStrings.Lock()->m_SearchText; }

// Called by a panel's children thread as the panel ends.
void BrowserTreeView::LeavePanelUrl(const std::wstring& url) {
    m_PanelStrings.Lock()->m_LastPanelUrl = url;
}

// Called by a page's web view (children thread) before it posts 11137: the
// panel the page asked for, opened by the application with these values.
void BrowserTreeView::LeavePanelOpen(const std::wstring& ecpId, const std::wstring& token, const std::wstring& url,
                                     const RECT& screenRect) {
    UpdateReport([&](panels::PanelReport& report) { report = panels::PanelReport{ecpId, token, url, screenRect}; });
}

// A search panel closed (its thread, after its children thread left the
// final URL): the next search panel opens with that text, where this one was
// and with the record it showed last.
void BrowserTreeView::SearchPanelClosed(const std::wstring& lastRecord, const RECT& rect) {
    if (!lastRecord.empty()) {
        fx::ScopedLock hold(g_PanelRecordLock);
        m_LastInnerEcp = lastRecord;
    }
    auto strings = m_PanelStrings.Lock();
    strings->m_SearchText = strings->m_LastPanelUrl;
    strings->m_LastPanelRect = rect;
}

void BrowserTreeView::UpdateReport(const std::function<void(panels::PanelReport& report)>& change) {
    fx::ScopedLock hold(g_PanelRecordLock);
    panels::PanelReport report{m_LastInnerEcp, m_ReportToken, m_ReportUrl, m_ReportRect};
    change(report);
    m_LastInnerEcp = report.id;
    m_ReportToken = report.token;
    m_ReportUrl = report.url;
    m_ReportRect = report.rect;
}

// Called on a panel's thread: only the menu's context is written (the menu
// object lives as long as the controller).
void BrowserTreeView::OfferSearchMenu(const RECT& dropDown, HWND panel, const std::wstring& text) {
    if (!m_pSearchMenu) return;
    auto context = m_pSearchMenu->m_Context.Lock();
    context->anchor = dropDown;
    context->panel = panel;
    context->text = text;
}

// The search menu's choice: the owner panel is looked up among the running
// panels, so a panel closed meanwhile gets nothing.
bool BrowserTreeView::GiveNextRecord(HWND panel, const UserSetting& record, const std::wstring& queryText,
                                     bool counted) {
    panels::PanelThread* owner = m_Panels.FindByWindow(panel);
    if (!owner) return false;
    fx::ScopedLock lock(g_PanelRecordLock);
    owner->m_Next.CopyFrom(record);
    owner->m_Next.m_QueryText = queryText;
    owner->m_Next.m_Counted = counted ? 1 : 0;
    return true;
}

void BrowserTreeView::CloseAllPanels() {
    m_Panels.HideAllAndTerminate();
    // The usage reports of the panels that closed are taken before the
    // controller goes.
    MSG msg;
    while (::PeekMessageW(&msg, hwnd(), controller_msg::kPanelUsage, controller_msg::kPanelUsage, PM_REMOVE))
        OnPanelUsage(msg.wParam, msg.lParam);
    m_Panels.ReapEnded();
}
