// The application's tray: the icon's creation and balloons, its notifications
// (the program's side of the tray, TrayHost), the connection state and the
// tray looks, and the flush of input queued while the thread was busy.
#include <windows.h>

#include "app/core/common/AppMessages.h"
#include "app/core/common/Resource.h"
#include "app/core/frame/ControllerOps.h"
#include "app/core/main/PondrelApp.h"
#include "app/core/main/PondrelDoc.h"
#include "app/core/net/HttpRoutines.h"

namespace {

class AppTrayHost : public TrayHost {
public:
    bool FlushingInput() override { return theApp.m_TrayReady; }
    bool IsReady() override { return theApp.IsReady(); }
    bool BalloonStartsUpdate() override { return theApp.m_BalloonStartsUpdate; }
    void StartSetupDownload() override { theApp.StartSetupDownload(true); }
    void OpenTrayMenu(POINT cursor) override {
        if (ControllerOps* controller = theApp.m_pDoc ? theApp.m_pDoc->GetController() : nullptr)
            controller->ShowTrayMenu(cursor);
    }
    HWND CommandTarget() override { return theApp.m_pMainWnd ? theApp.m_pMainWnd->hwnd() : nullptr; }
    void ShowLook(bool connecting) override {
        if (connecting)
            theApp.ShowConnectingState();
        else
            theApp.UpdateTrayIcon();
    }
};

AppTrayHost g_TrayHost;

// Removes every message of the range for hwnd from the thread's queue
// (bounded: input keeps arriving only as fast as it is made).
void DropQueued(HWND hwnd, UINT first, UINT last) {
    if (!hwnd) return;
    MSG msg;
    for (int i = 0; i < 100000 && ::PeekMessageW(&msg, hwnd, first, last, PM_REMOVE); ++i) {
    }
}

}  // namespace

// The tray icon: string 101 as tooltip, icon 150; false ends start-up.
bool CPondrelApp::CreateTrayIcon() {
    m_Tray.Initialise();
    m_Tray.SetEnabled(tray::WindowsMajorVersion() >= 4);
    if (!m_Tray.Enabled()) return false;
    m_Tray.SetHost(&g_TrayHost);
    m_Tray.SetIconModule(m_hInstance);
    // The texts are not loaded yet: the string table's own.
    wchar_t tip[128] = L"";
    ::LoadStringW(m_hInstance, IDS_TRAY_TIP, tip, 128);
    HICON icon = ::LoadIconW(m_hInstance, MAKEINTRESOURCEW(IDI_TRAY));
    return m_Tray.Create(m_pMainWnd ? m_pMainWnd->hwnd() : nullptr, tip, icon);
}

void CPondrelApp::HideTrayIcon() { m_Tray.HideIcon(); }

void CPondrelApp::ShowTrayBalloon(const wchar_t* text, const wchar_t* title, HICON icon) {
    m_Tray.ShowBalloon(text, title, icon);
}

// The first-run balloon: text string 134, title string 133, icon 146.
void CPondrelApp::ShowFirstRunBalloon() {
    m_Tray.ShowBalloon(Text(IDS_INSTALLED_TEXT).c_str(), Text(IDS_INSTALLED_TITLE).c_str(), m_hIconBalloon);
}

LRESULT CPondrelApp::OnTrayNotification(WPARAM wp, LPARAM lp) { return m_Tray.OnTrayNotification(wp, lp); }

namespace {
bool RouteUp() { return theApp.m_RouteTest ? theApp.m_RouteTest() : IsNetworkUp(); }
}  // namespace

tray::StateFlags CPondrelApp::TrayFlags() const {
    tray::StateFlags f;
    f.online = m_Online;
    f.settingsLoaded = m_SettingsLoaded;
    f.downloadTried = m_DownloadTried;
    f.starting = m_Starting;
    f.disabled = m_Disabled;
    return f;
}

bool CPondrelApp::IsReady() const { return tray::IsReady(TrayFlags()); }

// Takes a route test into the online flags and acts on the route's return.
// notify: a lost route shows the balloon, once per offline period.
void CPondrelApp::UpdateConnectionState(bool notify) {
    tray::Connection c{m_Online, m_WasOnline, m_OfflineNoticeShown};
    tray::ConnectionStep step =
        tray::TakeRouteTest(c, RouteUp(), notify, m_pDoc != nullptr, m_SettingsLoaded, m_ReloadRunning);
    m_Online = c.online;
    m_WasOnline = c.wasOnline;
    m_OfflineNoticeShown = c.offlineNoticeShown;
    if (step.showOfflineBalloon) {
        m_BalloonStartsUpdate = false;
        ShowTrayBalloon(Text(IDS_LOST_CONNECTION).c_str(), L"PondRel", m_hIconApp);
    }
    if (step.onReturn == tray::OnReturn::ResendBestGuess) RefreshBestGuessSettings();
    if (step.onReturn == tray::OnReturn::ReloadSettings) ReloadSettings();
}

// Going offline shows nothing here: the balloon is the notifying update's.
void CPondrelApp::PollConnection() {
    DWORD now = ::GetTickCount();
    if (now - m_ConnCheckTick <= m_ConnCheckInterval) return;
    UpdateConnectionState(false);
    UpdateTrayIcon();
    m_ConnCheckTick = now;
}

void CPondrelApp::ShowTrayLook(const tray::Look& look) {
    // Text 109 carries the init URL since the texts were loaded.
    m_Tray.SetIcon(look.icon);
    m_Tray.SetTooltipText(Text(look.tooltip).c_str());
}

void CPondrelApp::UpdateTrayIcon() {
    if (!m_Tray.OnOwnThread()) {
        m_Tray.PostLookRequest(false);
        return;
    }
    if (m_Disabled)
        ShowDisabledTrayState();
    else
        ShowEnabledTrayState();
}

void CPondrelApp::ShowEnabledTrayState() {
    if (!m_Tray.OnOwnThread()) {
        m_Tray.PostLookRequest(false);
        return;
    }
    if (m_Disabled) return;
    ShowTrayLook(tray::EnabledLook(TrayFlags()));
}

void CPondrelApp::ShowDisabledTrayState() {
    if (!m_Tray.OnOwnThread()) {
        m_Tray.PostLookRequest(false);
        return;
    }
    ShowTrayLook(tray::DisabledLook(TrayFlags()));
}

// Shown while a request to the server opens, from whichever thread makes it.
void CPondrelApp::ShowConnectingState() {
    if (!m_Tray.OnOwnThread()) {
        m_Tray.PostLookRequest(true);
        return;
    }
    ShowTrayLook(tray::ConnectingLook(m_Starting));
}

// Drops the tray clicks and commands queued while start-up or a reload kept
// the thread busy; notifications arriving meanwhile are ignored.
void CPondrelApp::FlushPendingMessages() {
    m_TrayReady = true;
    HWND main = m_pMainWnd ? m_pMainWnd->hwnd() : nullptr;
    DropQueued(m_Tray.hwnd(), frame_msg::kTrayCallback, frame_msg::kTrayCallback);
    DropQueued(m_Tray.hwnd(), WM_MOUSEFIRST, 0x020D);
    DropQueued(main, WM_COMMAND, WM_COMMAND);
    DropQueued(main, frame_msg::kTrayCallback, frame_msg::kTrayCallback);
    m_TrayReady = false;
}
