// The desktop overlay under Wine: its layered attributes read back, its size
// from the rectangle to cover, its message answers and its fill colour.
#include "app/selection/skin/DeskTopOverLayWin.h"

#include <gtest/gtest.h>

#include <cstring>

#include "fx/GdiPlus.h"
#include "tests/support/GdiplusTestEnv.h"
#include "fx/Handle.h"

namespace {

TEST(DeskTopOverLayWin, ConstantAlphaLayeredWindowOverTheRectangle) {
    DeskTopOverLayWin overlay;
    overlay.m_WindowRect = RECT{10, 20, 210, 120};
    ASSERT_TRUE(overlay.Create(nullptr, L"", WS_OVERLAPPEDWINDOW));
    EXPECT_EQ(overlay.m_Width, 200);
    EXPECT_EQ(overlay.m_Height, 100);
    RECT r{};
    ::GetWindowRect(overlay.hwnd(), &r);
    EXPECT_EQ(r.right - r.left, 200);
    EXPECT_EQ(r.bottom - r.top, 100);
    const DWORD exStyle = static_cast<DWORD>(::GetWindowLongPtrW(overlay.hwnd(), GWL_EXSTYLE));
    EXPECT_EQ(exStyle & DeskTopOverLayWin::kExStyle, DeskTopOverLayWin::kExStyle) << std::hex << exStyle;
    const DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(overlay.hwnd(), GWL_STYLE));
    EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME), 0u) << std::hex << style;

    COLORREF key = 1;
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(::GetLayeredWindowAttributes(overlay.hwnd(), &key, &alpha, &flags));
    EXPECT_EQ(alpha, 99);
    EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA));
    EXPECT_EQ(key, 0u);
    // The base's client creation made its (unused) back buffer.
    ASSERT_TRUE(overlay.m_pBackBuffer);
    EXPECT_EQ(overlay.m_pBackBuffer->width(), 232);

    // Shown and painted, the attributes stay.
    ::ShowWindow(overlay.hwnd(), SW_SHOWNOACTIVATE);
    ::UpdateWindow(overlay.hwnd());
    ASSERT_TRUE(::GetLayeredWindowAttributes(overlay.hwnd(), &key, &alpha, &flags));
    EXPECT_EQ(alpha, 99);
    overlay.Close();
    EXPECT_FALSE(overlay.m_pBackBuffer);
}

TEST(DeskTopOverLayWin, NeverActivatedAndNoFrame) {
    DeskTopOverLayWin overlay;
    overlay.m_WindowRect = RECT{0, 0, 60, 40};
    ASSERT_TRUE(overlay.Create(nullptr, L"", WS_OVERLAPPEDWINDOW));
    ::ShowWindow(overlay.hwnd(), SW_SHOWNOACTIVATE);
    EXPECT_EQ(::SendMessageW(overlay.hwnd(), WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(overlay.hwnd()),
                             MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
              MA_NOACTIVATE);
    EXPECT_EQ(::SendMessageW(overlay.hwnd(), WM_ERASEBKGND, 0, 0), TRUE);
    EXPECT_EQ(::SendMessageW(overlay.hwnd(), WM_NCACTIVATE, FALSE, 0), TRUE);
    EXPECT_EQ(::SendMessageW(overlay.hwnd(), WM_NCHITTEST, 0, MAKELPARAM(30, 20)), HTCLIENT);
    // No frame: the client area is the whole window.
    RECT client{};
    ::GetClientRect(overlay.hwnd(), &client);
    EXPECT_EQ(client.right, 60);
    EXPECT_EQ(client.bottom, 40);
    EXPECT_NE(::GetForegroundWindow(), overlay.hwnd());
}

// The fill is grey 0x37 at alpha 200, and the window's own 99 comes on top:
// over the desktop the grey shows 99/255 x 200/255 opaque in all.  The fill
// is drawn over a black and a white ground as the window's painting does,
// and the window's alpha, read back from a real overlay, blends each result
// over the same ground as the screen would.
TEST(DeskTopOverLayWin, FillsWithTranslucentGrey) {
    DeskTopOverLayWin overlay;
    overlay.m_WindowRect = RECT{0, 0, 8, 4};
    ASSERT_TRUE(overlay.Create(nullptr, L"", WS_OVERLAPPEDWINDOW));
    COLORREF key = 0;
    BYTE windowAlpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(::GetLayeredWindowAttributes(overlay.hwnd(), &key, &windowAlpha, &flags));
    ASSERT_EQ(flags, static_cast<DWORD>(LWA_ALPHA));
    overlay.Close();
    for (uint8_t ground : {0x00, 0xFF}) {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = 8;
        bi.bmiHeader.biHeight = -4;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        fx::GdiObject<HBITMAP> dib(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
        ASSERT_TRUE(dib && bits);
        std::memset(bits, ground, 8 * 4 * 4);
        fx::MemoryDC dc;
        ASSERT_TRUE(dc.CreateCompatible());
        fx::SelectObjectScope select(dc.get(), dib.get());
        DeskTopOverLayWin::FillOverlay(dc.get(), RECT{0, 0, 8, 4});
        ::GdiFlush();
        const uint32_t pixel = static_cast<const uint32_t*>(bits)[2 * 8 + 3];
        const int expected = (0x37 * 200 + ground * 55 + 127) / 255;
        for (int shift : {0, 8, 16}) EXPECT_NEAR(static_cast<int>((pixel >> shift) & 0xFF), expected, 2) << std::hex << pixel;

        // On the screen: the window's pixels at its constant alpha over the
        // ground.  The grey's share of the result is its opacity in all.
        const double filled = static_cast<double>(pixel & 0xFF);
        const double shown = (filled * windowAlpha + ground * (255.0 - windowAlpha)) / 255.0;
        const double opacity = (shown - ground) / (0x37 - ground);
        EXPECT_NEAR(opacity, (99.0 / 255.0) * (200.0 / 255.0), 0.01) << "over ground " << int{ground};
    }
}

}  // namespace
