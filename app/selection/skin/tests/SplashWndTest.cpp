// The splash window under Wine: its class, styles and size around the image,
// the back buffer's pixels, and the fade driven by timer 878 on a clock of
// the test's own (the window's timer calls are recorded, its ticks sent).
#include "app/selection/skin/SplashWnd.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fx/GdiPlus.h"
#include "tests/support/GdiplusTestEnv.h"
#include "fx/Window.h"

namespace {

constexpr Gdiplus::ARGB kImageColour = 0xFF2080C0;

// A 30 by 20 opaque image.
fx::GdiplusPtr<Gdiplus::Bitmap> SplashImage() {
    fx::GdiplusPtr<Gdiplus::Bitmap> image(new Gdiplus::Bitmap(30, 20, PixelFormat32bppARGB));
    Gdiplus::Graphics g(image.get());
    g.Clear(Gdiplus::Color(kImageColour));
    return image;
}

// The splash with its timer replaced by a record of the calls.
class ClockedSplash : public SplashWnd {
public:
    std::vector<std::string> timer;

protected:
    void StartAnimationTimer() override {
        timer.push_back("start " + std::to_string(SplashAnimation::kTimerId) + " every " +
                        std::to_string(SplashAnimation::kTimerPeriodMs));
    }
    void StopAnimationTimer() override { timer.push_back("stop " + std::to_string(SplashAnimation::kTimerId)); }
};

// Creates the splash as the application does: a class of no style, cursor,
// brush or icon, an empty title, the overlapped-window style.
bool CreateLikeTheApp(SplashWnd& splash) {
    return splash.Create(fx::RegisterWindowClass(0).c_str(), L"", WS_OVERLAPPEDWINDOW);
}

void ShowLikeTheApp(SplashWnd& splash) {
    ::GetWindowRect(splash.hwnd(), &splash.m_WindowRect);
    ::ShowWindow(splash.hwnd(), SW_SHOWNOACTIVATE);
}

void Tick(SplashWnd& splash, WPARAM id = SplashAnimation::kTimerId) {
    ::SendMessageW(splash.hwnd(), WM_TIMER, id, 0);
}

// A splash on the test's clock, created as the application does around a
// 30 by 20 image.
class SplashWithImage : public ::testing::Test {
protected:
    void SetUp() override {
        splash.SetImage(image.get());
        ASSERT_TRUE(CreateLikeTheApp(splash));
    }
    fx::GdiplusPtr<Gdiplus::Bitmap> image = SplashImage();
    ClockedSplash splash;
};

TEST_F(SplashWithImage, LayeredTopMostToolWindowAroundTheImage) {
    const DWORD exStyle = static_cast<DWORD>(::GetWindowLongPtrW(splash.hwnd(), GWL_EXSTYLE));
    EXPECT_EQ(exStyle & SplashWnd::kExStyle, SplashWnd::kExStyle) << std::hex << exStyle;
    const DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(splash.hwnd(), GWL_STYLE));
    // A bare pop-up: no caption, frame or menu.
    EXPECT_EQ(style & (WS_POPUP | WS_CHILD | WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_VISIBLE),
              static_cast<DWORD>(WS_POPUP))
        << std::hex << style;
    RECT r{};
    ::GetWindowRect(splash.hwnd(), &r);
    EXPECT_EQ(r.right - r.left, 50);
    EXPECT_EQ(r.bottom - r.top, 40);
    EXPECT_EQ(splash.m_Width, 50);
    EXPECT_EQ(splash.m_Height, 40);
    EXPECT_EQ(splash.m_Alpha, 0.0);
    EXPECT_TRUE(splash.m_OffscreenReady);
    EXPECT_TRUE(splash.timer.empty());

    // The image at the 10-pixel margin, transparent around it.
    ASSERT_TRUE(splash.m_pBackBuffer);
    const fx::BackBuffer& b = *splash.m_pBackBuffer;
    EXPECT_EQ(b.width(), 50);
    EXPECT_EQ(b.height(), 40);
    EXPECT_EQ(b.Pixel(10, 10), kImageColour);
    EXPECT_EQ(b.Pixel(39, 29), kImageColour);
    EXPECT_EQ(b.Pixel(9, 10), 0u);
    EXPECT_EQ(b.Pixel(10, 9), 0u);
    EXPECT_EQ(b.Pixel(40, 29), 0u);
    EXPECT_EQ(b.Pixel(39, 30), 0u);
}

TEST_F(SplashWithImage, FadesOnTimer878AndHidesOnThe34thTick) {
    ShowLikeTheApp(splash);
    ASSERT_EQ(splash.timer, (std::vector<std::string>{"start 878 every 50"}));

    const double alphas[34] = {45,  90,  135, 180, 225, 255, 255, 255, 255, 255, 255, 255,
                               255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255,
                               255, 255, 220, 185, 150, 115, 80,  45,  10,  0};
    for (int tick = 1; tick <= 34; ++tick) {
        // Another timer's tick moves nothing.
        Tick(splash, 5);
        EXPECT_EQ(splash.m_Alpha, tick == 1 ? 0.0 : alphas[tick - 2]) << "tick " << tick;
        Tick(splash);
        EXPECT_EQ(splash.m_Alpha, alphas[tick - 1]) << "tick " << tick;
        EXPECT_EQ(::IsWindowVisible(splash.hwnd()) != FALSE, tick < 34) << "tick " << tick;
    }
    // Hiding itself stopped the timer: 34 ticks of 50 ms, 1.70 s.
    EXPECT_EQ(splash.timer, (std::vector<std::string>{"start 878 every 50", "stop 878"}));
}

TEST_F(SplashWithImage, HiddenFromOutsideItStopsAndResumesWhereItWas) {
    ShowLikeTheApp(splash);
    for (int i = 0; i < 10; ++i) Tick(splash);
    EXPECT_EQ(splash.m_Animation.m_HoldCount, 5);
    ::ShowWindow(splash.hwnd(), SW_HIDE);
    EXPECT_EQ(splash.timer.back(), "stop 878");
    ::ShowWindow(splash.hwnd(), SW_SHOWNOACTIVATE);
    EXPECT_EQ(splash.timer.back(), "start 878 every 50");
    Tick(splash);
    EXPECT_EQ(splash.m_Alpha, 255.0);
    EXPECT_EQ(splash.m_Animation.m_HoldCount, 6);
    // The remaining 23 ticks of the 34.
    for (int i = 0; i < 22; ++i) Tick(splash);
    EXPECT_TRUE(::IsWindowVisible(splash.hwnd()));
    Tick(splash);
    EXPECT_FALSE(::IsWindowVisible(splash.hwnd()));
    EXPECT_EQ(splash.m_Alpha, 0.0);
}

TEST(SplashWnd, WithoutAnImageAnEmptyWindow) {
    ClockedSplash splash;
    ASSERT_TRUE(CreateLikeTheApp(splash));
    RECT r{};
    ::GetWindowRect(splash.hwnd(), &r);
    EXPECT_EQ(r.right - r.left, 20);
    EXPECT_EQ(r.bottom - r.top, 20);
    ASSERT_TRUE(splash.m_pBackBuffer);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) ASSERT_EQ(splash.m_pBackBuffer->Pixel(x, y), 0u);
    ShowLikeTheApp(splash);
    splash.m_Animation.m_ScatterRadius = 5.0;
    for (int i = 0; i < 34; ++i) Tick(splash);
    EXPECT_FALSE(::IsWindowVisible(splash.hwnd()));
}

// A radius above 0 scatters the drawn splash image (not an empty buffer):
// each pixel takes that of a neighbour at most two pixels away (block 4), so
// the image's inside keeps its colour, the far ground stays clear, and along
// the image's edges pixels change sides: image colour just outside it, clear
// ground just inside it (each of the hundred edge pixels changes with a chance
// of one in four or better).
TEST_F(SplashWithImage, ScatterEffectScattersTheImage) {
    splash.m_Animation.m_ScatterRadius = 4.0;
    ASSERT_TRUE(splash.m_Animation.Scatters());
    splash.Render(0, true);
    const fx::BackBuffer& b = *splash.m_pBackBuffer;
    int outsideColoured = 0, insideCleared = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 50; ++x) {
            const uint32_t p = b.Pixel(x, y);
            ASSERT_TRUE(p == 0u || p == kImageColour) << std::hex << p << " at " << std::dec << x << "," << y;
            const bool inImage = x >= 10 && x < 40 && y >= 10 && y < 30;
            const bool farInside = x >= 13 && x <= 36 && y >= 13 && y <= 26;
            const bool farOutside = x < 8 || x > 41 || y < 8 || y > 31;
            if (farInside) {
                ASSERT_EQ(p, kImageColour) << x << "," << y;
            }
            if (farOutside) {
                ASSERT_EQ(p, 0u) << x << "," << y;
            }
            if (!inImage && p != 0u) ++outsideColoured;
            if (inImage && p == 0u) ++insideCleared;
        }
    EXPECT_GT(outsideColoured, 0);
    EXPECT_GT(insideCleared, 0);
}

// The real timer: once shown, ticks arrive and the fade begins.
TEST(SplashWnd, ShownItStartsItsOwnTimer) {
    auto image = SplashImage();
    SplashWnd splash;
    splash.SetImage(image.get());
    ASSERT_TRUE(CreateLikeTheApp(splash));
    ShowLikeTheApp(splash);
    const DWORD start = ::GetTickCount();
    MSG msg;
    while (splash.m_Alpha == 0.0 && ::GetTickCount() - start < 5000) {
        if (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&msg);
        else
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    EXPECT_EQ(splash.m_Alpha, 45.0);
    splash.Close();
    EXPECT_FALSE(splash.m_pBackBuffer);
}

}  // namespace
