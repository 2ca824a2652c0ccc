// The application's hidden dialog takes its keys as dialog keys through the
// user-interface thread's pre-translate: Tab moves the focus between its
// buttons, keys of other windows pass on, and once the dialog is gone its
// filter is too.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/core/main/PondrelApp.h"

namespace {

MSG KeyDown(HWND to, WPARAM key) {
    MSG msg{};
    msg.hwnd = to;
    msg.message = WM_KEYDOWN;
    msg.wParam = key;
    msg.time = ::GetTickCount();
    return msg;
}

TEST(HiddenDialog, TakesItsDialogKeysThroughTheThreadsPreTranslate) {
    theApp.CreateHiddenDialog();
    const HWND dialog = theApp.m_HiddenDialog.hwnd();
    ASSERT_TRUE(dialog);
    EXPECT_FALSE(::IsWindowVisible(dialog)) << "never shown";
    const HWND ok = ::GetDlgItem(dialog, IDOK), cancel = ::GetDlgItem(dialog, IDCANCEL);
    ASSERT_TRUE(ok && cancel);
    ::SetFocus(ok);
    ASSERT_EQ(::GetFocus(), ok);

    MSG tab = KeyDown(ok, VK_TAB);
    EXPECT_TRUE(theApp.PreTranslateMessage(tab)) << "the dialog's key";
    EXPECT_EQ(::GetFocus(), cancel) << "Tab went on to the next button";

    const HWND other = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(other);
    MSG elsewhere = KeyDown(other, VK_TAB);
    EXPECT_FALSE(theApp.PreTranslateMessage(elsewhere)) << "another window's key passes";
    ::DestroyWindow(other);

    theApp.DestroyHiddenDialog();
    EXPECT_FALSE(::IsWindow(dialog));
    EXPECT_FALSE(theApp.m_HiddenDialog.hwnd());
    MSG late = KeyDown(dialog, VK_TAB);
    EXPECT_FALSE(theApp.PreTranslateMessage(late)) << "no filter is left for the gone dialog";
}

}  // namespace
