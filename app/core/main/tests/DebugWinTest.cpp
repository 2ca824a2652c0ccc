// The debug window as the application makes it: its size, styles and panes,
// the panes' halves after a resize, the copy on a double click, the hide on a
// press above the client area, the mouse-leave request and the layered-update
// step giving back every device context it takes.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/core/main/DebugWin.h"
#include "app/core/main/PondrelApp.h"
#include "tests/support/TestSupport.h"

namespace {

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[64] = {};
    ::GetClassNameW(hwnd, name, 64);
    return name;
}

std::wstring TitleOf(HWND hwnd) {
    wchar_t text[64] = {};
    ::GetWindowTextW(hwnd, text, 64);
    return text;
}

// A child's rectangle in its parent's client coordinates.
RECT ChildRect(HWND child) {
    RECT r{};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

::testing::AssertionResult RectIs(const RECT& r, int left, int top, int right, int bottom) {
    if (r.left == left && r.top == top && r.right == right && r.bottom == bottom)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << r.left << "," << r.top << "," << r.right << "," << r.bottom
                                         << ") instead of (" << left << "," << top << "," << right << ","
                                         << bottom << ")";
}

// The clipboard's Unicode text ("" when it holds none or cannot be opened).
std::wstring ClipboardText(HWND owner) {
    std::wstring text;
    // Another program may hold it open for a moment.
    if (!testsupport::WaitFor([&] { return ::OpenClipboard(owner) != FALSE; }, 2000)) return text;
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (auto* p = static_cast<const wchar_t*>(::GlobalLock(data))) {
            text = p;
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return text;
}

class DebugWindow : public testing::Test {
protected:
    void SetUp() override {
        theApp.CreateDebugWindow();
        ASSERT_TRUE(theApp.m_pDebugWin);
        win_ = theApp.m_pDebugWin.get();
        ASSERT_TRUE(win_->hwnd());
    }
    void TearDown() override { theApp.m_pDebugWin.reset(); }

    DebugWin* win_ = nullptr;
};

// Shown, titled "Debug", 549 x 400, a tool window without the overlapped
// window's frame bits it was asked for; two rich-edit panes of id 0xE900
// sharing the client area in halves.
TEST_F(DebugWindow, SizeStyleAndPanes) {
    HWND hwnd = win_->hwnd();
    EXPECT_TRUE(::IsWindowVisible(hwnd));
    EXPECT_EQ(TitleOf(hwnd), L"Debug");
    RECT window{};
    ::GetWindowRect(hwnd, &window);
    EXPECT_EQ(window.right - window.left, 549);
    EXPECT_EQ(window.bottom - window.top, 400);
    EXPECT_TRUE(::GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_EQ(::GetWindowLongPtrW(hwnd, GWL_STYLE) & (WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
    EXPECT_EQ(::GetParent(hwnd), nullptr);

    HWND upper = win_->UpperPane().hwnd(), lower = win_->LowerPane().hwnd();
    ASSERT_TRUE(upper && lower);
    for (HWND pane : {upper, lower}) {
        EXPECT_EQ(::GetParent(pane), hwnd);
        EXPECT_EQ(::GetDlgCtrlID(pane), 0xE900);
        EXPECT_EQ(ClassOf(pane), L"RichEdit20W");
        EXPECT_TRUE(::GetWindowLongPtrW(pane, GWL_STYLE) & ES_READONLY);
    }
    RECT client{};
    ::GetClientRect(hwnd, &client);
    const int half = client.bottom / 2;
    EXPECT_TRUE(RectIs(ChildRect(upper), 0, 0, client.right, half));
    EXPECT_TRUE(RectIs(ChildRect(lower), 0, half, client.right, half + half + 1));
}

// Each resize lays the panes out again: the upper one over the top half, the
// lower one from there with one pixel more.
TEST_F(DebugWindow, ResizingKeepsThePanesInHalves) {
    const SIZE sizes[] = {{300, 200}, {549, 401}, {640, 333}, {200, 121}};
    for (const SIZE& s : sizes) {
        ASSERT_TRUE(::SetWindowPos(win_->hwnd(), nullptr, 0, 0, s.cx, s.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
        RECT client{};
        ::GetClientRect(win_->hwnd(), &client);
        const int half = client.bottom / 2;
        SCOPED_TRACE(testing::Message() << "client " << client.right << " x " << client.bottom);
        EXPECT_TRUE(RectIs(ChildRect(win_->UpperPane().hwnd()), 0, 0, client.right, half));
        EXPECT_TRUE(RectIs(ChildRect(win_->LowerPane().hwnd()), 0, half, client.right, 2 * half + 1));
    }
}

// A double click on a pane puts its whole text on the clipboard (then the
// control's own double click selects the word under the pointer).
TEST_F(DebugWindow, ADoubleClickCopiesThePanesText) {
    struct Row {
        DebugTextView* pane;
        const wchar_t* text;
    } rows[] = {
        {&win_->UpperPane(), L"upper pane: pond life 1"},
        {&win_->LowerPane(), L"lower pane: pond life, the second"},
    };
    for (const Row& r : rows) ::SetWindowTextW(r.pane->hwnd(), r.text);
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << ::GetDlgCtrlID(r.pane->hwnd()));
        ::SendMessageW(r.pane->hwnd(), EM_SETSEL, 0, 0);
        ::SendMessageW(r.pane->hwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(4, 4));
        EXPECT_EQ(ClipboardText(win_->hwnd()), r.text);
    }
}

// A press above the client area (y < 0) hides the window; one inside it
// does not.
TEST_F(DebugWindow, APressAboveTheClientAreaHidesIt) {
    struct Row {
        short x, y;
        bool visibleAfter;
    } rows[] = {{10, 0, true}, {10, 200, true}, {-5, 3, true}, {10, -1, false}, {10, -30000, false}};
    for (const Row& r : rows) {
        ::ShowWindow(win_->hwnd(), SW_SHOWNOACTIVATE);
        ::SendMessageW(win_->hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.x, r.y));
        EXPECT_EQ(::IsWindowVisible(win_->hwnd()) != FALSE, r.visibleAfter) << r.x << "," << r.y;
    }
}

// The first move asks for a mouse-leave notification and later moves do not
// ask again; the leave clears the request.
TEST_F(DebugWindow, MouseLeaveIsRequestedOnce) {
    EXPECT_FALSE(win_->m_LeaveRequested);
    ::SendMessageW(win_->hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(win_->m_LeaveRequested);
    ::SendMessageW(win_->hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(6, 5));
    EXPECT_TRUE(win_->m_LeaveRequested);
    ::SendMessageW(win_->hwnd(), WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(win_->m_LeaveRequested);
}

// The layered-update step records the window rectangle less one pixel, and
// gives back the device context it takes each time: after more updates than
// the process has device-context handles the window still gets one.
TEST_F(DebugWindow, TheLayeredUpdateGivesBackItsDeviceContexts) {
    ASSERT_TRUE(::SetWindowPos(win_->hwnd(), nullptr, 40, 50, 549, 400, SWP_NOZORDER | SWP_NOACTIVATE));
    for (int i = 0; i < 70000; ++i) win_->Render(0, false);
    EXPECT_TRUE(RectIs(win_->m_WindowRect, 40, 50, 40 + 548, 50 + 399));
    HDC dc = ::GetDC(win_->hwnd());
    EXPECT_NE(dc, nullptr) << "the device contexts ran out";
    if (dc) ::ReleaseDC(win_->hwnd(), dc);
}

}  // namespace
