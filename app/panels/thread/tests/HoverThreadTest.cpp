// The real panel thread and window under Wine, with a recording host in
// place of the controller: the window's class and styles, its placement, its
// drawn back buffer, the fades and the close path back to the host.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/core/graphics/Monitors.h"
#include "app/core/main/PondrelApp.h"
#include "app/panels/thread/HoverThread.h"
#include "app/panels/thread/HoverThreadList.h"
#include "app/core/common/AppMessages.h"
#include "app/panels/window/MegaWin.h"
#include "app/panels/window/PanelGeometry.h"
#include "app/selection/skin/FloatingWinLayout.h"
#include "app/tests/support/RecordingPanelHost.h"
#include "tests/support/GdiplusTestEnv.h"
#include "tests/support/TestSupport.h"

namespace {

using panels::HoverThread;
using panels::MegaWin;
using testsupport::WaitFor;

class RealPanel : public testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        // A temp directory of this program's own: the mask file has one name.
        theApp.m_TempDir = std::wstring(temp) + L"hover_thread_tests\\";
        ::CreateDirectoryW(theApp.m_TempDir.c_str(), nullptr);
        theApp.PublishSnapshot();  // the panel thread reads the published values
    }
    HoverThread* Start(uint32_t flags, int width = 300, int height = 200) {
        std::unique_ptr<panels::PanelThread> made = panels::MakeHoverThread();
        EXPECT_TRUE(made);
        auto* t = static_cast<HoverThread*>(made.get());
        t->m_pHost = &host_;
        t->m_Current.m_Id = L"REAL-1";
        t->m_Current.m_Width = width;
        t->m_Current.m_Height = height;
        t->m_Flags = flags;
        t->m_Anchor = RECT{100, 100, 140, 120};
        UserSetting record;
        record.m_Id = L"REAL-1";
        host_.list.Add(std::move(made), record);
        t->Resume();
        EXPECT_TRUE(WaitFor([&] { return host_.created.load(); }, 10000));
        return t;
    }
    static bool Visible(HoverThread* t) { return t->PanelWindow() && ::IsWindowVisible(t->PanelWindow()); }
    static uint32_t Alpha(HoverThread* t, int x, int y) { return t->Window()->m_pBackBuffer->Pixel(x, y) >> 24; }
    // The panel left the list, its thread ended and its last report (11139)
    // reached the host.
    bool Ended(HoverThread* t) {
        return WaitFor(
            [&] {
                auto events = host_.Events();
                return host_.list.GetCount() == 0 && !t->IsRunning() && !events.empty() && events.back() == L"11139";
            },
            10000);
    }

    // The controller's part: the go given at once unless a test holds it.
    apptest::RecordingPanelHost host_;
};

TEST_F(RealPanel, WindowClassStylesAndCentredPlacement) {
    host_.go = false;
    HoverThread* t = Start(0x01);
    HWND w = t->PanelWindow();
    ASSERT_TRUE(w);
    wchar_t name[64] = {};
    ::GetClassNameW(w, name, 64);
    EXPECT_STREQ(name, L"BackWin777");
    EXPECT_EQ(static_cast<DWORD>(::GetWindowLongPtrW(w, GWL_EXSTYLE)), 0x08080088u);
    EXPECT_FALSE(::IsWindowVisible(w));  // hidden until the go

    RECT work{};
    CMonitor::PrimaryMonitor().GetWorkAreaRect(&work);
    RECT rc{};
    ::GetWindowRect(w, &rc);
    IntRect centred = panels::CenterIn(IntRect{0, 0, 300, 200}, IntRect{work.left, work.top, work.right, work.bottom});
    EXPECT_EQ(rc.left, centred.left);
    EXPECT_EQ(rc.top, centred.top);
    EXPECT_EQ(rc.right - rc.left, 300);
    EXPECT_EQ(host_.CreatedRect().left, rc.left);

    host_.go = true;
    ASSERT_TRUE(WaitFor([&] { return Visible(t); }, 5000));
    // The first tick of timer 878 drops the no-activate style; its job done,
    // the timer stops (once the panel thread has handled what was before).
    EXPECT_TRUE(WaitFor([&] { return ::GetWindowLongPtrW(w, GWL_EXSTYLE) == 0x80088; }, 5000));
    DWORD_PTR answer = 0;
    ASSERT_TRUE(::SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer));
    EXPECT_FALSE(t->Window()->IsTimerRunning(MegaWin::kTimer));
    ::PostMessageW(w, panel_msg::kCloseNow, 0, 0);
    EXPECT_TRUE(Ended(t));
}

// Flag 0x80: the panel goes to the notification area's rectangle, kept on
// the work area; the window keeps its bare style.
TEST_F(RealPanel, TrayPlacementKeptOnTheWorkArea) {
    host_.go = false;
    HoverThread* t = Start(0x80);
    HWND w = t->PanelWindow();
    ASSERT_TRUE(w);
    // No caption, no frame (the system keeps every top-level window's
    // clip-siblings bit).
    EXPECT_EQ(0, ::GetWindowLongPtrW(w, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_CLIPSIBLINGS));
    RECT work{};
    CMonitor::FromRect(t->Window()->m_Anchor).GetWorkAreaRect(&work);
    const RECT tray = t->Window()->GetTrayRect();
    const IntRect at{tray.left, tray.top, tray.left + 300, tray.top + 200};
    const MonitorFit fit = FitOnMonitor(at, 300, 200, IntRect{work.left, work.top, work.right, work.bottom}, nullptr);
    RECT rc{};
    ::GetWindowRect(w, &rc);
    EXPECT_EQ(rc.left, fit.rect.left);
    EXPECT_EQ(rc.top, fit.rect.top);
    EXPECT_EQ(rc.right - rc.left, 300);
    EXPECT_EQ(rc.bottom - rc.top, 200);
    host_.go = true;
    ASSERT_TRUE(WaitFor([&] { return Visible(t); }, 5000));
    ::PostMessageW(w, panel_msg::kCloseNow, 0, 0);
    EXPECT_TRUE(Ended(t));
}

TEST_F(RealPanel, FadesInDrawsTheBufferAndClosesThroughTheHost) {
    HoverThread* t = Start(0x01);
    HWND w = t->PanelWindow();
    ASSERT_TRUE(WaitFor([&] { return Visible(t); }, 5000));
    ::PostMessageW(w, panel_msg::kReady, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return host_.ready.load(); }, 5000));
    DWORD start = ::GetTickCount();
    ::PostMessageW(w, panel_msg::kFadeIn, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return t->Window()->m_FadeAlpha >= 1.0f; }, 5000));
    EXPECT_GE(::GetTickCount() - start, 200u);  // the key frames' 233 ms, not a spin
    EXPECT_TRUE(WaitFor([&] { return Alpha(t, 150, 100) == 255; }, 2000));
    EXPECT_EQ(Alpha(t, 0, 0), 255u);

    ::PostMessageW(w, panel_msg::kFadeOutAndClose, 0, 0);
    ASSERT_TRUE(Ended(t));
    EXPECT_EQ(host_.Events(), (std::vector<std::wstring>{L"11143 REAL-1", L"11139"}));
}

// With flag 0x100 the first fade-out request only arms the close; 11224
// always closes.
TEST_F(RealPanel, TwoRequestCloseAndArmedClose) {
    HoverThread* t = Start(0x101);
    HWND w = t->PanelWindow();
    ASSERT_TRUE(WaitFor([&] { return Visible(t); }, 5000));
    ::PostMessageW(w, panel_msg::kFadeOutAndClose, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return t->m_CloseArmed; }, 5000));
    EXPECT_EQ(host_.list.GetCount(), 1u);
    ::PostMessageW(w, panel_msg::kShow, 0, 0);  // a show disarms it
    ASSERT_TRUE(WaitFor([&] { return !t->m_CloseArmed; }, 5000));
    ::PostMessageW(w, panel_msg::kArmAndClose, 0, 0);
    EXPECT_TRUE(Ended(t));
}

// Once closing, the fades no longer run: a fade-in arriving after the close
// request shows nothing.
TEST_F(RealPanel, NoFadeAfterTheCloseRequest) {
    HoverThread* t = Start(0x09);
    HWND w = t->PanelWindow();
    EXPECT_FALSE(::IsWindowVisible(w));
    host_.go = true;
    ::PostMessageW(w, panel_msg::kCloseNow, 0, 0);
    ::PostMessageW(w, panel_msg::kFadeIn, 0, 0);
    ASSERT_TRUE(Ended(t));
    EXPECT_EQ(host_.Events(), (std::vector<std::wstring>{L"11143 REAL-1", L"11139"}));
}

// The mask the launcher asked for is PNG data (transparent pixels kept),
// whatever the file is called.
TEST_F(RealPanel, MaskIsSavedAsPng) {
    const std::wstring file = theApp.m_TempDir + L"mask.jpg";
    ::DeleteFileW(file.c_str());
    HoverThread* t = Start(0x01);
    t->m_SaveMask = true;
    ::PostMessageW(t->PanelWindow(), panel_msg::kRepaint, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !t->m_SaveMask.load(); }, 5000));
    std::string bytes = testsupport::ReadAll(std::string(file.begin(), file.end()));
    ASSERT_GE(bytes.size(), 8u);
    EXPECT_EQ(bytes.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    ::PostMessageW(t->PanelWindow(), panel_msg::kCloseNow, 0, 0);
    EXPECT_TRUE(Ended(t));
}

// A launcher that never gives the go: the panel closes itself after its
// bound and leaves the list.
TEST_F(RealPanel, NoGoClosesThePanel) {
    host_.go = false;
    std::unique_ptr<panels::PanelThread> made = panels::MakeHoverThread();
    auto* t = static_cast<HoverThread*>(made.get());
    t->m_pHost = &host_;
    t->m_Current.m_Id = L"NOGO";
    t->m_GoWaitMs = 300;
    UserSetting record;
    host_.list.Add(std::move(made), record);
    t->Resume();
    ASSERT_TRUE(Ended(t));
    EXPECT_EQ(host_.Events(), (std::vector<std::wstring>{L"11143 NOGO", L"11139"}));
}

// A panel still waiting for its launch's go (which never comes here; it
// reads no posted message meanwhile) ends on the exit's quit request instead
// of being terminated: with its window not yet known to the list, and with
// its launch given up.
TEST_F(RealPanel, AStartingPanelEndsOnTheExitsQuitRequest) {
    host_.go = false;
    for (bool givenUp : {false, true}) {
        SCOPED_TRACE(givenUp ? "its launch given up" : "its window not known to the list");
        host_.created = false;
        HoverThread* t = Start(0x01);
        ASSERT_TRUE(t->PanelWindow());
        if (givenUp) host_.list.Abandon(t);
        EXPECT_EQ(host_.list.HideAllAndTerminate(), 0u) << "the starting panel was terminated";
        EXPECT_FALSE(t->IsRunning());
        host_.list.ReapEnded();
        EXPECT_EQ(host_.list.GetCount(), 0u);
    }
}

}  // namespace
