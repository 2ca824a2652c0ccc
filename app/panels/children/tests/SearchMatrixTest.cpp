// The search-matrix window under Wine with the real WebBrowser control in its
// view (Wine fires no DocumentComplete, so the test calls the view's handler
// as the control would): a hidden, transparent, layered tool window of class
// "SearchMatrix777" whose view is a web view that lets every navigation go
// on; shown without text it moves to the kept rectangle and fades in at the
// document's end, shown with text it stays at its own rectangle; hidden it
// forgets its text and turns transparent; its timer hides it when another
// window is in front unless click-outs are off.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/core/common/AppMessages.h"
#include "app/core/main/PondrelApp.h"
#include "app/panels/children/SearchMatrixWin.h"
#include "fx/UiThread.h"
#include "tests/httpserver/LoopbackServer.h"
#include "tests/support/GdiplusTestEnv.h"
#include "tests/support/TestSupport.h"

namespace {

using testsupport::RunOn;
using testsupport::WaitFor;

BYTE AlphaOf(HWND w) {
    BYTE alpha = 99;
    DWORD flags = 0;
    ::GetLayeredWindowAttributes(w, nullptr, &alpha, &flags);
    return alpha;
}

RECT RectOf(HWND w) {
    RECT r{};
    ::GetWindowRect(w, &r);
    return r;
}

bool Same(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class SearchMatrix : public testing::Test {
protected:
    void SetUp() override {
        loopback::Clear();
        theApp.m_ClickOutsOff = false;
        ASSERT_TRUE(thread_.Start(fx::Apartment::Sta, false));
        ASSERT_TRUE(RunOn(thread_, [&] {
            win_ = std::make_unique<panels::SearchMatrixWin>();
            win_->m_KeptRect = kKept;
            made_ = win_->CreateAt(kOwn);
        }));
        ASSERT_TRUE(made_);
    }
    void TearDown() override {
        EXPECT_TRUE(RunOn(thread_, [&] { win_.reset(); }));
        EXPECT_TRUE(thread_.Quit(5000));
        theApp.m_ClickOutsOff = false;
    }
    // Shows or hides the window on its thread.
    void Show(bool show) {
        ASSERT_TRUE(RunOn(thread_, [&] { ::ShowWindow(win_->hwnd(), show ? SW_SHOWNA : SW_HIDE); }));
    }
    HWND Window() const { return win_->hwnd(); }

    static constexpr RECT kOwn{100, 100, 500, 400};
    static constexpr RECT kKept{40, 50, 240, 200};
    fx::UiThread thread_;
    std::unique_ptr<panels::SearchMatrixWin> win_;
    bool made_ = false;
};

TEST_F(SearchMatrix, HiddenTransparentLayeredWindowWithAWebView) {
    HWND w = Window();
    wchar_t name[64] = {};
    ::GetClassNameW(w, name, 64);
    EXPECT_STREQ(L"SearchMatrix777", name);
    EXPECT_EQ(0x80088u, static_cast<DWORD>(::GetWindowLongPtrW(w, GWL_EXSTYLE)));
    EXPECT_FALSE(::IsWindowVisible(w));
    EXPECT_EQ(0, AlphaOf(w));
    panels::SearchMatrixView& view = win_->View();
    ASSERT_TRUE(view.hwnd());
    EXPECT_EQ(w, ::GetParent(view.hwnd()));
    EXPECT_EQ(panels::SearchMatrixWin::kViewId, ::GetDlgCtrlID(view.hwnd()));
    EXPECT_TRUE(view.HasBrowser()) << "no WebBrowser control in the view";
    EXPECT_EQ(thread_.threadId(), view.CreatingThread());
}

// Every navigation goes on: the server hears the page, command keys and all.
TEST_F(SearchMatrix, EveryNavigationGoesOn) {
    const std::wstring url = loopback::Url(L"/files/ecp/?type=matrix&pqwindow=cancel&pqecpx=400");
    ASSERT_TRUE(RunOn(thread_, [&] { EXPECT_EQ(S_OK, win_->View().Navigate2(url)); }));
    EXPECT_TRUE(WaitFor(
        [&] {
            for (const loopback::Request& r : loopback::Requests())
                if (r.target == "/files/ecp/?type=matrix&pqwindow=cancel&pqecpx=400") return true;
            return false;
        },
        20000));
}

// Without text: at the kept rectangle, marked, and opaque with the focus once
// the document is complete; hidden again: transparent, the text forgotten.
// With text: at its own rectangle, unmarked, and the document's end changes
// nothing.
TEST_F(SearchMatrix, ShownWithoutTextFadesInAtTheDocumentsEnd) {
    Show(true);
    EXPECT_TRUE(Same(kKept, RectOf(Window())));
    panels::SearchMatrixView& view = win_->View();
    ASSERT_TRUE(RunOn(thread_, [&] {
        EXPECT_TRUE(view.m_FadeIn);
        EXPECT_EQ(0, AlphaOf(Window()));
        view.OnDocumentComplete(nullptr, L"about:blank");
        EXPECT_EQ(255, AlphaOf(Window()));
        EXPECT_FALSE(view.m_FadeIn);
        HWND focus = ::GetFocus();
        EXPECT_TRUE(focus == view.hwnd() || ::IsChild(view.hwnd(), focus));
    }));

    Show(false);
    EXPECT_EQ(0, AlphaOf(Window()));
    ASSERT_TRUE(RunOn(thread_, [&] { win_->m_Text = L"pond life"; }));
    Show(true);
    EXPECT_TRUE(Same(kOwn, RectOf(Window())));
    ASSERT_TRUE(RunOn(thread_, [&] {
        EXPECT_FALSE(view.m_FadeIn);
        view.OnDocumentComplete(nullptr, L"about:blank");
        EXPECT_EQ(0, AlphaOf(Window()));
    }));
    Show(false);
    ASSERT_TRUE(RunOn(thread_, [&] { EXPECT_EQ(L"", win_->m_Text); }));
}

// Timer 880: with another window in front the matrix hides, unless the
// click-outs are off; the countdown runs down to zero.
TEST_F(SearchMatrix, TimerHidesItWhenAnotherWindowIsInFront) {
    theApp.m_ClickOutsOff = true;
    Show(true);
    ASSERT_TRUE(RunOn(thread_, [&] {
        win_->View().m_Countdown = 2;
        ::SendMessageW(Window(), WM_TIMER, timer_id::kSearchMatrix, 0);
        ::SendMessageW(Window(), WM_TIMER, timer_id::kSearchMatrix, 0);
    }));
    EXPECT_TRUE(::IsWindowVisible(Window()));
    ASSERT_TRUE(RunOn(thread_, [&] { EXPECT_EQ(0, win_->View().m_Countdown); }));

    theApp.m_ClickOutsOff = false;
    HWND other = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                   nullptr);
    ::SetForegroundWindow(other);
    wchar_t front[64] = {};
    ::GetClassNameW(::GetForegroundWindow(), front, 64);
    ASSERT_STRNE(L"SearchMatrix777", front);
    ASSERT_TRUE(RunOn(thread_, [&] { ::SendMessageW(Window(), WM_TIMER, timer_id::kSearchMatrix, 0); }));
    EXPECT_FALSE(::IsWindowVisible(Window()));
    EXPECT_EQ(0, AlphaOf(Window()));
    ::DestroyWindow(other);
}

}  // namespace
