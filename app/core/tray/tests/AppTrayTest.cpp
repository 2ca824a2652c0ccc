// The application's tray against a recording shell and the loopback server:
// the offline balloon once per offline period, the settings reload when the
// route returns (never a second one during a reload), the looks' tooltips,
// looks asked from another thread and the flush of queued tray input.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/core/common/Resource.h"
#include "app/tests/support/RecordingShell.h"
#include "app/tests/support/AppFixture.h"
#include "TestSupport.h"
#include "tests/httpserver/LoopbackServer.h"

namespace {

std::wstring Root() { return testsupport::WinDir(TRAY_HTTP_ROOT); }

using apptest::Call;
using apptest::RecordingShell;

bool g_RouteUp = true;

class AppTrayTest : public coretest::AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        theApp.m_RouteTest = [] { return g_RouteUp; };
        g_RouteUp = true;
        theApp.m_Starting = false;
        theApp.m_Disabled = false;
        theApp.m_OfflineNoticeShown = false;
        theApp.m_UserId.clear();
        std::string server = testsupport::Utf8(loopback::Url(L"/files"));
        coretest::WriteFile(Root(), L"tray.xml", coretest::SampleSettings(server));
        theApp.m_InitUrl = loopback::Url(L"/files/tray.xml");
        theApp.m_InitUrl = loopback::Url(L"/files/tray.xml");
        theApp.LoadStringResources();  // text 109 ends with the init URL
        theApp.m_Tray.SetShell(&shell_);
        ASSERT_TRUE(theApp.CreateTrayIcon());
        theApp.m_Tray.SetIconModule(::GetModuleHandleW(nullptr));
        shell_.calls.clear();
        loopback::Clear();
    }
    void TearDown() override {
        theApp.m_Tray.RemoveIcon();
        theApp.m_Tray.SetShell(&RealTrayShell());
        theApp.m_Tray.Destroy();
        theApp.m_RouteTest = nullptr;
        AppFixture::TearDown();
    }
    int SettingsDownloads() {
        int n = 0;
        for (const auto& r : loopback::Requests()) n += r.target.rfind("/files/tray.xml", 0) == 0;
        return n;
    }
    std::vector<Call> Balloons() {
        std::vector<Call> out;
        for (const Call& c : shell_.calls)
            if (c.data.uFlags & NIF_INFO) out.push_back(c);
        return out;
    }
    std::wstring LastTooltip() {
        for (auto it = shell_.calls.rbegin(); it != shell_.calls.rend(); ++it)
            if (it->data.uFlags & NIF_TIP) return it->data.szTip;
        return L"(none)";
    }
    RecordingShell shell_;
};

TEST_F(AppTrayTest, OneOfflineBalloonPerOfflinePeriod) {
    if (!theApp.m_Tray.BalloonSupport()) GTEST_SKIP() << "no balloons on this platform";
    theApp.m_SettingsLoaded = true;  // a returning route then resends the best-guess settings only
    g_RouteUp = false;
    theApp.UpdateConnectionState(true);
    theApp.UpdateConnectionState(true);
    ASSERT_EQ(Balloons().size(), 1u);
    EXPECT_STREQ(Balloons()[0].data.szInfo, L"PondRel has lost connection to the server.");
    EXPECT_STREQ(Balloons()[0].data.szInfoTitle, L"PondRel");
    EXPECT_FALSE(theApp.m_Online);

    g_RouteUp = true;
    theApp.UpdateConnectionState(true);
    EXPECT_TRUE(theApp.m_Online);
    EXPECT_EQ(SettingsDownloads(), 0) << "settings loaded: no reload";
    g_RouteUp = false;
    theApp.UpdateConnectionState(true);
    EXPECT_EQ(Balloons().size(), 2u) << "a new offline period, a new balloon";
}

TEST_F(AppTrayTest, TheRouteBackWithoutSettingsReloadsThem) {
    theApp.m_Online = false;
    theApp.m_SettingsLoaded = false;
    theApp.UpdateConnectionState(true);
    EXPECT_TRUE(theApp.m_Online);
    EXPECT_EQ(SettingsDownloads(), 1);
    EXPECT_TRUE(theApp.m_SettingsLoaded);
}

// A reload tests the route first; the route coming back there must not ask
// for a second reload, which would download the settings again.
TEST_F(AppTrayTest, TheRouteBackDuringAReloadStartsNoSecondReload) {
    theApp.m_Online = false;
    theApp.m_SettingsLoaded = false;
    ASSERT_TRUE(theApp.ReloadSettings());
    EXPECT_TRUE(theApp.m_Online);
    EXPECT_EQ(SettingsDownloads(), 1);
}

TEST_F(AppTrayTest, TheLooksTooltips) {
    struct Case {
        bool disabled, online, loaded, tried, starting;
        std::wstring tip;
    } cases[] = {
        {true, true, true, true, false, L"PondRel - Disabled and Online"},
        {false, true, true, true, false, L"PondRel - Enabled and Online"},
        {false, false, true, true, false, L"PondRel - Enabled and Offline"},
        {true, false, true, true, false, L"PondRel - Disabled and Offline"},
        {false, true, true, true, true, L"PondRel - Connecting..."},
        {false, true, false, true, false, L"Unable to connect to PondRel Server: " + theApp.m_InitUrl},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testsupport::Utf8(c.tip));
        theApp.m_Disabled = c.disabled;
        theApp.m_Online = c.online;
        theApp.m_SettingsLoaded = c.loaded;
        theApp.m_DownloadTried = c.tried;
        theApp.m_Starting = c.starting;
        shell_.calls.clear();
        theApp.UpdateTrayIcon();
        EXPECT_EQ(LastTooltip(), c.tip.substr(0, 127));
        ASSERT_FALSE(shell_.calls.empty());
        EXPECT_EQ(shell_.calls[0].data.uFlags, static_cast<UINT>(NIF_ICON));
    }
    // The enabled look shows nothing while disabled.
    theApp.m_Disabled = true;
    shell_.calls.clear();
    theApp.ShowEnabledTrayState();
    EXPECT_TRUE(shell_.calls.empty());
    theApp.m_Disabled = false;
    theApp.m_SettingsLoaded = false;
}

DWORD WINAPI ShowConnectingFromAnotherThread(void*) {
    theApp.ShowConnectingState();
    return 0;
}

TEST_F(AppTrayTest, ALookAskedFromAnotherThreadIsShownOnTheTraysThread) {
    HANDLE worker = ::CreateThread(nullptr, 0, &ShowConnectingFromAnotherThread, nullptr, 0, nullptr);
    ASSERT_NE(worker, nullptr);
    fx::UniqueHandle owner(worker);
    ASSERT_EQ(::WaitForSingleObject(worker, 10000), WAIT_OBJECT_0);
    EXPECT_TRUE(shell_.calls.empty());
    MSG msg;
    for (int i = 0; i < 100 && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) ::DispatchMessageW(&msg);
    ASSERT_EQ(shell_.calls.size(), 2u);
    for (const Call& c : shell_.calls) EXPECT_EQ(c.thread, ::GetCurrentThreadId());
    EXPECT_EQ(LastTooltip(), L"PondRel - Connecting...");
}

TEST_F(AppTrayTest, TheFlushDropsQueuedTrayClicks) {
    HWND tray = theApp.m_Tray.hwnd();
    ::PostMessageW(tray, 32778, 144, WM_LBUTTONUP);
    ::PostMessageW(tray, WM_LBUTTONDOWN, 0, 0);
    ::PostMessageW(tray, WM_APP + 1, 0, 0);  // not input: stays
    theApp.FlushPendingMessages();
    EXPECT_FALSE(theApp.m_TrayReady);
    MSG msg;
    EXPECT_FALSE(::PeekMessageW(&msg, tray, 32778, 32778, PM_REMOVE));
    EXPECT_FALSE(::PeekMessageW(&msg, tray, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE));
    EXPECT_TRUE(::PeekMessageW(&msg, tray, WM_APP + 1, WM_APP + 1, PM_REMOVE));
}

TEST_F(AppTrayTest, TheFirstRunBalloon) {
    if (!theApp.m_Tray.BalloonSupport()) GTEST_SKIP() << "no balloons on this platform";
    theApp.ShowFirstRunBalloon();
    ASSERT_EQ(Balloons().size(), 1u);
    EXPECT_STREQ(Balloons()[0].data.szInfo, L"Select any word or phrase to begin.");
    EXPECT_STREQ(Balloons()[0].data.szInfoTitle, L"PondRel is now installed.");
    EXPECT_EQ(Balloons()[0].data.hIcon, theApp.m_hIconBalloon);
}

}  // namespace
