// The six window classes share one class record.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/core/main/PondrelApp.h"

namespace {

TEST(WindowClasses, AllSixAreRegisteredWithTheSameRecord) {
    HINSTANCE inst = ::GetModuleHandleW(nullptr);
    RegisterPondrelWindowClasses(inst);
    const wchar_t* want[] = {L"PondMenu", L"SearchMatrix777", L"HoverWin", L"BackWin777", L"PondrelKid777", L"TailWin777"};
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        EXPECT_STREQ(kPondrelWindowClasses[i], want[i]);
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        ASSERT_TRUE(::GetClassInfoExW(inst, want[i], &wc));
        EXPECT_EQ(wc.style, 0xBu);
        EXPECT_EQ(wc.cbClsExtra, 0);
        EXPECT_EQ(wc.cbWndExtra, 0);
        EXPECT_TRUE(wc.hIcon != nullptr) << "icon 128";
        EXPECT_EQ(wc.hCursor, ::LoadCursorW(nullptr, IDC_ARROW));
        EXPECT_EQ(wc.hbrBackground, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
        EXPECT_EQ(wc.lpszMenuName, nullptr);
        // The class procedure is the default one: a window made of it and
        // not bound to any object behaves as DefWindowProcW.
        HWND h = ::CreateWindowExW(0, want[i], L"t", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, inst, nullptr);
        ASSERT_TRUE(h);
        EXPECT_EQ(reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(h, GWLP_WNDPROC)), ::DefWindowProcW);
        ::DestroyWindow(h);
    }
}

}  // namespace
