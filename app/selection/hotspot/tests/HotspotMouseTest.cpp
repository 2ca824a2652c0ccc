// The hotspot's mouse move under Wine, with the controller's own pop-ups and
// its launcher recorded: in menu mode it opens the text menu at its place,
// in launch mode it opens the best-guess panel at once, and a panel that
// cannot be found is looked for once per target (the log read back).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "ViewerLog.h"
#include "app/core/config/Settings.h"
#include "app/core/config/UserSetting.h"
#include "app/tests/support/LaunchRecorder.h"
#include "app/core/main/PondrelApp.h"
#include "app/core/main/PondrelDoc.h"
#include "app/selection/controller/BrowserTreeView.h"
#include "app/selection/controller/tests/ControllerWindow.h"
#include "app/selection/controller/tests/PanelTestSetup.h"
#include "log/Logger.h"
#include "tests/support/GdiplusTestEnv.h"

namespace {

using RecordingView = LaunchRecorder<BrowserTreeView>;

class HotspotMouse : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(StartPanelTest(log_, L"hotspot_mouse_tests"));
        theApp.m_Starting = true;  // the controller's own ticks do nothing
        doc_ = std::make_unique<CPondrelDoc>();
        doc_->CreateProvidersPane();
        theApp.m_pDoc = doc_.get();
        auto record = std::make_unique<UserSetting>();
        record->m_Id = L"GUESS-PANEL";
        std::wstring defaultEcp = L"x";
        record_ = doc_->GetSettingsView()->AddRecord(std::move(record), L"", defaultEcp);
        view_ = std::make_unique<RecordingView>();
        ASSERT_TRUE(MakeControllerWindow(parent_, *view_));
        hotspot_ = view_->Hotspot();
        theApp.m_Stats.m_Count1000 = theApp.m_Stats.m_Count1008 = theApp.m_Stats.m_Count1009 = 0;
    }
    void TearDown() override {
        view_.reset();
        if (parent_) ::DestroyWindow(parent_);
        theApp.m_pDoc = nullptr;
        doc_.reset();
        delete g_pLogger;
        g_pLogger = nullptr;
        ::CoUninitialize();
    }
    // The hotspot shown for a link whose record names `panel`.
    void ShowForLink(const std::wstring& panel, bool menuMode) {
        view_->m_HoverLink.m_EcpId = panel;
        view_->m_HoverLink.m_Token = L"pond life";
        hotspot_->SetTarget(RECT{100, 50, 200, 70}, false, &view_->m_HoverLink);
        hotspot_->m_GuessesRequested = menuMode;
        view_->ShowHotspot(RECT{145, 45, 155, 54});
        ASSERT_TRUE(hotspot_->IsVisible());
    }
    void MoveOverHotspot() { ::SendMessageW(hotspot_->hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3)); }
    int Logged(const std::wstring& text) {
        std::vector<std::wstring> lines = log_.ReadAll();
        return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::wstring& line) {
            return line.find(text) != std::wstring::npos;
        }));
    }

    ViewerLog log_;
    std::unique_ptr<CPondrelDoc> doc_;
    UserSetting* record_ = nullptr;
    HWND parent_ = nullptr;
    std::unique_ptr<RecordingView> view_;
    TxSelWin* hotspot_ = nullptr;
};

TEST_F(HotspotMouse, MenuModeOpensTheTextMenuAtTheHotspotOnce) {
    view_->m_HoverSelection.m_Token = L"pond life";
    hotspot_->SetTarget(RECT{100, 50, 200, 70}, true, &view_->m_HoverSelection);
    hotspot_->m_GuessesRequested = true;
    view_->ShowHotspot(RECT{192, 32, 197, 50});
    view_->m_GuessLaunchMode = true;
    TextRootMenu* menu = view_->TextMenu();
    menu->AddItem(L"Category", L"c", 0);
    MoveOverHotspot();
    ASSERT_TRUE(menu->IsVisible());
    RECT hotspot{}, shown{};
    ::GetWindowRect(hotspot_->hwnd(), &hotspot);
    ::GetWindowRect(menu->hwnd(), &shown);
    EXPECT_EQ(shown.left, hotspot.left);
    EXPECT_EQ(shown.top, hotspot.bottom);  // below the hotspot
    EXPECT_EQ(view_->m_Observer.m_HoverText, L"pond life");
    EXPECT_EQ(theApp.m_Stats.m_Count1000, 1);
    EXPECT_EQ(theApp.m_Stats.m_Count1008, 1);
    EXPECT_EQ(theApp.m_Stats.m_Count1009, 0);
    // With the menu open further moves only move.
    MoveOverHotspot();
    EXPECT_EQ(theApp.m_Stats.m_Count1000, 1);
    EXPECT_TRUE(view_->launches.empty());
    menu->HideMenu();
}

TEST_F(HotspotMouse, LaunchModeOpensTheBestGuessPanelAndHidesTheHotspot) {
    ShowForLink(L"GUESS-PANEL", false);
    RECT hotspot{};
    ::GetWindowRect(hotspot_->hwnd(), &hotspot);
    MoveOverHotspot();
    ASSERT_EQ(view_->launches.size(), 1u);
    const RecordingView::Launch& l = view_->launches[0];
    EXPECT_EQ(l.record, record_);
    EXPECT_EQ(l.title, L"Best Guess");
    EXPECT_EQ(l.flags, 0x12u);
    EXPECT_EQ(l.text, L"%70%6f%6e%64%20%6c%69%66%65");
    EXPECT_TRUE(::EqualRect(&l.anchor, &hotspot));
    EXPECT_EQ(record_->m_QueryText, L"pond life");
    EXPECT_FALSE(hotspot_->IsVisible());
    EXPECT_FALSE(view_->TextMenu()->IsVisible());
    EXPECT_EQ(theApp.m_Stats.m_Count1000, 0);
}

// A panel id that names no record: the failed look-up is logged at the first
// move only, and again for the next target.
TEST_F(HotspotMouse, LaunchModeLooksForAMissingPanelOncePerTarget) {
    ShowForLink(L"NO-SUCH-PANEL", false);
    for (int i = 0; i < 3; ++i) MoveOverHotspot();
    EXPECT_EQ(Logged(L"Hover Target triggered"), 1);
    EXPECT_EQ(Logged(L"Trying to launch GUID:NO-SUCH-PANEL"), 1);
    EXPECT_EQ(Logged(L"************** Could not find ecp for GUID!"), 1);
    EXPECT_TRUE(view_->launches.empty());
    EXPECT_TRUE(hotspot_->IsVisible());

    ShowForLink(L"NO-SUCH-PANEL", false);  // a new target
    MoveOverHotspot();
    MoveOverHotspot();
    EXPECT_EQ(Logged(L"Trying to launch GUID:NO-SUCH-PANEL"), 2);
}

}  // namespace
