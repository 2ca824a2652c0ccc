// The panel window over a recording stand-in for its panel thread, on the
// test's thread (the window's own), linked without the panel thread: which
// panel messages reach which of the thread's handlers, which of them still
// run once the panel is closing, and the close that needs two requests.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/core/common/AppMessages.h"
#include "app/panels/window/MegaWin.h"
#include "app/panels/window/PanelThreadOps.h"
#include "tests/support/GdiplusTestEnv.h"

namespace {

using Calls = std::vector<std::wstring>;

std::wstring Of(const wchar_t* name, WPARAM wp, LPARAM lp) {
    return std::wstring(name) + L" " + std::to_wstring(wp) + L" " + std::to_wstring(lp);
}

// Notes every call the window makes of its thread.
class RecordingThread : public panels::PanelThreadOps {
public:
    Calls calls;
    bool closeNeedsTwo = false;
    bool closeArmed = false;
    UserSetting record;

    ElementPanel* Elements() const override { return nullptr; }
    UserSetting& CurrentRecord() override { return record; }
    uint32_t LaunchFlags() const override { return 0; }
    bool IsSearchPanel() const override { return false; }
    panels::Size TemplateSize() const override { return panels::Size{300, 200}; }
    void ResizePanel(int width, int height, int direction) override {
        calls.push_back(L"ResizePanel " + std::to_wstring(width) + L" " + std::to_wstring(height) + L" " +
                        std::to_wstring(direction));
    }
    bool MaskRequested() const override { return false; }
    void ClearMaskRequest() override { calls.push_back(L"ClearMaskRequest"); }
    bool CloseNeedsTwo() const override { return closeNeedsTwo; }
    bool CloseArmed() const override { return closeArmed; }
    void SetCloseArmed(bool armed) override {
        closeArmed = armed;
        calls.push_back(armed ? L"arm" : L"disarm");
    }
    std::wstring ChildUrl() override { return std::wstring(); }
    bool TakeSnapshot(const std::wstring&) override { return false; }
    void PostToChildren(UINT msg, WPARAM, LPARAM) override { calls.push_back(L"children " + std::to_wstring(msg)); }
    void OpenInBrowser() override { calls.push_back(L"OpenInBrowser"); }
    bool HasController() const override { return false; }
    void PostToController(UINT msg, WPARAM, LPARAM) override { calls.push_back(L"controller " + std::to_wstring(msg)); }
    void ReportPanelReady() override { calls.push_back(L"ReportPanelReady"); }
    void OfferSearchMenu(const RECT&, HWND, const std::wstring&) override { calls.push_back(L"OfferSearchMenu"); }

    void OnNavigate(WPARAM wp, LPARAM lp) override { calls.push_back(Of(L"Navigate", wp, lp)); }
    void OnReload(WPARAM wp, LPARAM lp) override { calls.push_back(Of(L"Reload", wp, lp)); }
    void OnDockAnimate() override { calls.push_back(L"DockAnimate"); }
    void OnUndockAnimate() override { calls.push_back(L"UndockAnimate"); }
    void OnCloseNow() override { calls.push_back(L"CloseNow"); }
    void OnStoreUrl() override { calls.push_back(L"StoreUrl"); }
    void OnHide() override { calls.push_back(L"Hide"); }
    void OnShow(LPARAM foreground) override { calls.push_back(L"Show " + std::to_wstring(foreground)); }
    void OnOpenWithToken() override { calls.push_back(L"OpenWithToken"); }
    void OnRaise() override { calls.push_back(L"Raise"); }
    void OnClose() override { calls.push_back(L"Close"); }
    void OnReady() override { calls.push_back(L"Ready"); }
    void OnRefreshSearch() override { calls.push_back(L"RefreshSearch"); }
    void OnResize(int width, int height) override {
        calls.push_back(L"Resize " + std::to_wstring(width) + L" " + std::to_wstring(height));
    }
    void OnLoadContentUrl() override { calls.push_back(L"LoadContentUrl"); }
    void PublishUrl() override { calls.push_back(L"PublishUrl"); }
};

class PanelWindow : public testing::Test {
protected:
    void SetUp() override {
        // The fades' rounds on a clock of the test's own: each pause moves it on.
        window_.m_Clock = [this] { return now_; };
        window_.m_Sleep = [this](DWORD ms) { now_ += ms; };
        ASSERT_TRUE(window_.CreatePanel(RECT{0, 0, 300, 200}));
    }
    void TearDown() override { window_.Destroy(); }
    Calls Send(UINT msg, WPARAM wp = 0, LPARAM lp = 0) {
        thread_.calls.clear();
        ::SendMessageW(window_.hwnd(), msg, wp, lp);
        return thread_.calls;
    }

    RecordingThread thread_;
    panels::MegaWin window_{&thread_};
    uint32_t now_ = 1000;
};

// What each panel message asks of the thread, and whether it still does so
// once the panel is closing (the close, the immediate close, the resize and
// 11219-11224, the fades' messages with the URL's publishing among them,
// always run; the rest are dropped).
struct Routed {
    UINT msg;
    WPARAM wp;
    LPARAM lp;
    Calls calls;
    bool runsWhileClosing;
};

const std::vector<Routed>& RoutedMessages() {
    using namespace panel_msg;
    static const std::vector<Routed> cases = {
        {kNavigate, 3, 4, {L"Navigate 3 4"}, false},
        {kReload, 0, 1, {L"Reload 0 1"}, false},
        {kDockAnimate, 0, 0, {L"DockAnimate"}, false},
        {kUndockAnimate, 0, 0, {L"UndockAnimate"}, false},
        {kCloseNow, 0, 0, {L"CloseNow"}, true},
        {kStoreUrl, 0, 0, {L"StoreUrl"}, false},
        {kHide, 0, 0, {L"Hide"}, false},
        {kShow, 0, 1, {L"disarm", L"Show 1"}, false},
        {kHideTail, 0, 0, {L"children 11307"}, false},
        {kOpenWithToken, 0, 0, {L"OpenWithToken"}, false},
        {kRaise, 0, 0, {L"Raise"}, false},
        {kClose, 0, 0, {L"Close"}, true},
        {kReady, 0, 0, {L"Ready"}, false},
        {kRepaint, 0, 0, {}, false},
        {kRefreshSearch, 0, 0, {L"RefreshSearch"}, false},
        {kResize, 320, 240, {L"Resize 320 240"}, true},
        {kCenter, 1, 0, {}, false},
        {kLoadContentUrl, 0, 0, {L"LoadContentUrl"}, false},
        {kRedraw, 0, 0, {}, false},
        {kNavButtonState, 1, 2, {}, false},
        {kPublishUrl, 0, 0, {L"PublishUrl"}, true},
    };
    return cases;
}

TEST_F(PanelWindow, EachPanelMessageReachesItsHandlerOnTheThread) {
    for (const Routed& c : RoutedMessages()) {
        SCOPED_TRACE(c.msg);
        EXPECT_EQ(Send(c.msg, c.wp, c.lp), c.calls);
    }
}

TEST_F(PanelWindow, AClosingPanelDropsTheOtherMessages) {
    window_.m_Closing = true;
    for (const Routed& c : RoutedMessages()) {
        SCOPED_TRACE(c.msg);
        EXPECT_EQ(Send(c.msg, c.wp, c.lp), c.runsWhileClosing ? c.calls : Calls{});
    }
}

// Flag 0x100: the first fade-out only arms the close; the second fades out
// and asks the children thread to close (11302), which ends the panel.
// 11224 arms and closes at once.
TEST_F(PanelWindow, ACloseThatNeedsTwoRequestsIsArmedByTheFirst) {
    thread_.closeNeedsTwo = true;
    EXPECT_EQ(Send(panel_msg::kFadeOutAndClose), (Calls{L"arm"}));
    EXPECT_FALSE(window_.m_Closing);
    EXPECT_EQ(Send(panel_msg::kFadeOutAndClose), (Calls{L"children 11302"}));
    EXPECT_TRUE(window_.m_Closing);
    EXPECT_FLOAT_EQ(window_.m_FadeAlpha, 0.0f);
    // Closing: no second close request reaches the children.
    EXPECT_EQ(Send(panel_msg::kArmAndClose), (Calls{L"arm"}));
}

TEST_F(PanelWindow, ArmAndCloseFadesOutAndClosesAtOnce) {
    thread_.closeNeedsTwo = true;
    EXPECT_EQ(Send(panel_msg::kArmAndClose), (Calls{L"arm", L"children 11302"}));
    EXPECT_TRUE(window_.m_Closing);
}

}  // namespace
