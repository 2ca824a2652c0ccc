// The floating window under Wine: its creation styles, the back buffer's
// premultiplied pixels read from the DIB section (the virtual display draws
// partial alpha opaque, so the screen is not asked), the buffer's growth and
// the monitor clamp on a real window.
#include "app/selection/skin/FloatingWin.h"

#include <gtest/gtest.h>

#include "fx/GdiPlus.h"
#include "tests/support/GdiplusTestEnv.h"

namespace {

constexpr DWORD kHotspotExStyle = 0x08080088;  // no-activate, layered, tool window, top-most

// A window like the hotspot: 40 by 30, painting a half-transparent red
// square on a transparent ground.
class TestWin : public FloatingWin {
public:
    TestWin() { m_Width = 40, m_Height = 30; }
    int renders = 0;
    bool pushed = false;
    int pushedAlpha = -1;  // the constant alpha of the last layered update

    void Render(int, bool initial) override {
        ++renders;
        if (!m_pBackBuffer) return;
        m_pBackBuffer->Clear();
        {
            Gdiplus::Graphics g(m_pBackBuffer->bitmap());
            Gdiplus::SolidBrush half(Gdiplus::Color(128, 255, 0, 0));
            g.FillRectangle(&half, 10, 10, 10, 10);
            Gdiplus::SolidBrush blue(Gdiplus::Color(255, 0, 0, 255));
            g.FillRectangle(&blue, 0, 0, 2, 2);
        }
        if (initial && !m_OffscreenReady) MakeOffscreen();
        ::GetWindowRect(hwnd(), &m_WindowRect);
        pushed = UpdateLayered();
    }

protected:
    bool PushToScreen(POINT at, SIZE size, HDC source, BYTE constantAlpha) override {
        pushedAlpha = constantAlpha;
        return FloatingWin::PushToScreen(at, size, source, constantAlpha);
    }
    void PreCreateWindow(CREATESTRUCTW& cs) override {
        cs.cx = m_Width;
        cs.cy = m_Height;
        cs.x = 100;
        cs.y = 120;
        cs.style = 0;
        cs.dwExStyle = kHotspotExStyle;
    }
};

TEST(FloatingWin, StartsWithItsDefaults) {
    FloatingWin w;
    EXPECT_EQ(w.m_Alpha, 255.0);
    EXPECT_EQ(w.m_ScaleX, 1.0f);
    EXPECT_EQ(w.m_ScaleY, 1.0f);
    EXPECT_FALSE(w.m_OffscreenReady);
    EXPECT_FALSE(w.m_pBackBuffer);
    EXPECT_EQ(w.m_Width, 0);
}

TEST(FloatingWin, CreatedWithThePreCreateStylesAndABackBuffer) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"PondMenu";
    ::RegisterClassW(&wc);

    TestWin w;
    ASSERT_TRUE(w.Create(L"PondMenu", L"HoverHotspot"));
    wchar_t cls[64] = {};
    ::GetClassNameW(w.hwnd(), cls, 64);
    EXPECT_STREQ(cls, L"PondMenu");
    EXPECT_EQ(static_cast<DWORD>(::GetWindowLongPtrW(w.hwnd(), GWL_EXSTYLE)) & kHotspotExStyle, kHotspotExStyle);
    // Style 0: an overlapped window without frame, menu or parent (the
    // system adds its caption bit, which the layered pixels cover).
    EXPECT_EQ(static_cast<DWORD>(::GetWindowLongPtrW(w.hwnd(), GWL_STYLE)) &
                  (WS_POPUP | WS_CHILD | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX),
              0u);
    EXPECT_EQ(::GetParent(w.hwnd()), nullptr);
    // The first layered update gives the window its pixel size.
    w.Render(0, true);
    RECT r{};
    ::GetWindowRect(w.hwnd(), &r);
    EXPECT_EQ(r.right - r.left, 40);
    EXPECT_EQ(r.bottom - r.top, 30);
    // The client creation made the buffer 32 pixels wider than the window.
    ASSERT_TRUE(w.m_pBackBuffer);
    EXPECT_EQ(w.m_pBackBuffer->width(), 72);
    EXPECT_EQ(w.m_pBackBuffer->height(), 30);

    // A window of the base's own class.
    FloatingWin plain;
    ASSERT_TRUE(plain.Create(nullptr, L"plain", 0));
    EXPECT_TRUE(::IsWindow(plain.hwnd()));
    HWND h = w.hwnd();
    w.Destroy();
    EXPECT_FALSE(::IsWindow(h));
}

TEST(FloatingWin, BackBufferHoldsPremultipliedPixelsAfterARender) {
    TestWin w;
    ASSERT_TRUE(w.Create(nullptr, L"hotspot"));
    ::ShowWindow(w.hwnd(), SW_SHOWNOACTIVATE);
    w.Render(0, true);
    EXPECT_TRUE(w.m_OffscreenReady);
    EXPECT_TRUE(w.pushed);
    const fx::BackBuffer& b = *w.m_pBackBuffer;
    // BGRA words: half-transparent red premultiplied is A=0x80, R=0x80.
    uint32_t red = b.Pixel(15, 15);
    EXPECT_EQ(red >> 24, 0x80u) << std::hex << red;
    EXPECT_NEAR(static_cast<int>((red >> 16) & 0xFF), 0x80, 1) << std::hex << red;
    EXPECT_EQ(red & 0xFFFF, 0u) << std::hex << red;
    EXPECT_EQ(b.Pixel(0, 0), 0xFF0000FFu);
    EXPECT_EQ(b.Pixel(5, 5), 0u);
    EXPECT_EQ(b.Pixel(39, 29), 0u);
    // The layered update moved the window to m_WindowRect.
    RECT r{};
    ::GetWindowRect(w.hwnd(), &r);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 120);
}

TEST(FloatingWin, NothingToPushWithoutBufferOrMemoryDC) {
    TestWin w;
    ASSERT_TRUE(w.Create(nullptr, L"hotspot"));
    EXPECT_FALSE(w.UpdateLayered());  // no memory DC yet
    w.MakeOffscreen();
    w.m_pBackBuffer.reset();
    EXPECT_FALSE(w.UpdateLayered());
    w.Render(0, false);  // a subclass tests the buffer before painting
    EXPECT_FALSE(w.pushed);
}

TEST(FloatingWin, GrowAndResizeTheBackBuffer) {
    FloatingWin w;
    struct Step {
        const char* what;
        bool exact;
        int w, h;
        int haveW, haveH;
        bool same;  // the buffer object was kept
    } steps[] = {
        {"grow from none", false, 100, 50, 100, 50, false},
        {"grow smaller keeps", false, 80, 40, 100, 50, true},
        {"grow wider replaces", false, 120, 40, 120, 40, false},
        {"resize same keeps", true, 120, 40, 120, 40, true},
        {"resize smaller replaces", true, 60, 20, 60, 20, false},
    };
    for (const Step& s : steps) {
        // A mark in the old buffer tells a kept buffer from a new one.
        if (w.m_pBackBuffer) w.m_pBackBuffer->bitmap()->SetPixel(0, 0, Gdiplus::Color(255, 1, 2, 3));
        if (s.exact)
            w.ResizeBackBuffer(s.w, s.h);
        else
            w.GrowBackBuffer(s.w, s.h);
        ASSERT_TRUE(w.m_pBackBuffer) << s.what;
        EXPECT_EQ(w.m_pBackBuffer->width(), s.haveW) << s.what;
        EXPECT_EQ(w.m_pBackBuffer->height(), s.haveH) << s.what;
        EXPECT_EQ(w.m_pBackBuffer->Pixel(0, 0) != 0, s.same) << s.what;
    }
    w.ResizeBackBuffer(0, 10);  // no such buffer: null, and a later paint skips
    EXPECT_FALSE(w.m_pBackBuffer);
}

TEST(FloatingWin, ResizeAndRedrawSizesWindowAndBuffer) {
    TestWin w;
    ASSERT_TRUE(w.Create(nullptr, L"hotspot"));
    w.m_Width = 64;
    w.m_Height = 48;
    w.ResizeAndRedraw();
    EXPECT_EQ(w.renders, 2);  // the first render makes the memory DC
    ASSERT_TRUE(w.m_pBackBuffer);
    EXPECT_EQ(w.m_pBackBuffer->width(), 64);
    EXPECT_EQ(w.m_pBackBuffer->height(), 48);
    RECT r{};
    ::GetWindowRect(w.hwnd(), &r);
    EXPECT_EQ(r.right - r.left, 64);
    EXPECT_EQ(r.bottom - r.top, 48);
}

TEST(FloatingWin, KeepOnMonitorMovesTheWindow) {
    TestWin w;
    ASSERT_TRUE(w.Create(nullptr, L"hotspot"));
    w.Render(0, true);  // 40 by 30 at (100, 120)
    RECT area{0, 0, 130, 400};  // the window (100..140) is 10 over the right edge
    POINT shift = w.KeepOnMonitor(area);
    EXPECT_EQ(shift.x, -14);
    EXPECT_EQ(shift.y, 0);
    EXPECT_EQ(w.m_MonitorShift.x, -14);
    RECT r{};
    ::GetWindowRect(w.hwnd(), &r);
    EXPECT_EQ(r.left, 86);
    EXPECT_EQ(r.top, 120);
    // Overlapping a rectangle to avoid: put above it.
    RECT avoid{0, 130, 400, 400};
    w.KeepOnMonitor(RECT{0, 0, 1000, 1000}, &avoid);
    ::GetWindowRect(w.hwnd(), &r);
    EXPECT_EQ(r.top, 100);
    EXPECT_EQ(r.bottom, 130);
}

TEST(FloatingWin, HitTestRegion) {
    TestWin w;
    ASSERT_TRUE(w.Create(nullptr, L"hotspot"));
    POINT inside{5, 5}, outside{25, 25};
    ::ClientToScreen(w.hwnd(), &inside);
    ::ClientToScreen(w.hwnd(), &outside);
    EXPECT_FALSE(w.HitTestRegion(inside));  // hidden
    ::ShowWindow(w.hwnd(), SW_SHOWNOACTIVATE);
    EXPECT_FALSE(w.HitTestRegion(inside));  // no region
    w.m_hRegion.reset(::CreateRectRgn(0, 0, 10, 10));
    EXPECT_TRUE(w.HitTestRegion(inside));
    EXPECT_FALSE(w.HitTestRegion(outside));
}

TEST(FloatingWin, ConstantAlphaOfTheUpdate) {
    // Wine answers no attributes for an UpdateLayeredWindow window, so the
    // constant alpha is read where the update hands it to the system: the
    // window's alpha truncated and held within 0..255, pushed at every value.
    TestWin w;
    ASSERT_TRUE(w.Create(nullptr, L"hotspot"));
    struct Case {
        double alpha;
        int pushed;
    } cases[] = {{0.0, 0}, {127.9, 127}, {254.99, 254}, {255.0, 255}, {400.0, 255}, {-3.0, 0}, {1.0, 1}};
    for (const Case& c : cases) {
        w.m_Alpha = c.alpha;
        w.pushedAlpha = -1;
        w.Render(0, true);
        EXPECT_TRUE(w.pushed) << c.alpha;
        EXPECT_EQ(w.pushedAlpha, c.pushed) << c.alpha;
    }
}

}  // namespace
