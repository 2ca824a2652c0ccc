// The splash on the application object as start-up uses it: created hidden
// with the splash image, shown centred on the screen, it fades on its
// own timer and hides itself after 34 ticks of 50 ms.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/core/main/PondrelApp.h"

namespace {

TEST(SplashStart, CreatedHiddenShownCentredAndGoneByItself) {
    ASSERT_TRUE(theApp.m_Gdiplus.Startup());
    fx::GdiplusPtr<Gdiplus::Bitmap> image(new Gdiplus::Bitmap(60, 40, PixelFormat32bppARGB));
    {
        Gdiplus::Graphics g(image.get());
        g.Clear(Gdiplus::Color(0xFF336699));
    }
    theApp.m_Splash.SetImage(image.get());

    theApp.CreateSplashWindow();
    const HWND splash = theApp.m_Splash.hwnd();
    ASSERT_TRUE(::IsWindow(splash));
    EXPECT_FALSE(::IsWindowVisible(splash));
    EXPECT_EQ(theApp.m_Splash.m_Alpha, 0.0);
    ASSERT_TRUE(theApp.m_Splash.m_pBackBuffer);
    EXPECT_EQ(theApp.m_Splash.m_pBackBuffer->Pixel(10, 10), 0xFF336699u);
    // Nothing creates the overlay's window.
    EXPECT_EQ(theApp.m_Overlay.hwnd(), nullptr);

    const DWORD shown = ::GetTickCount();
    theApp.ShowSplashWindow();
    EXPECT_TRUE(::IsWindowVisible(splash));
    RECT r{};
    ::GetWindowRect(splash, &r);
    EXPECT_EQ(r.right - r.left, 80);
    EXPECT_EQ(r.bottom - r.top, 60);
    EXPECT_EQ(r.left, (::GetSystemMetrics(SM_CXSCREEN) - 80) / 2);
    EXPECT_EQ(r.top, (::GetSystemMetrics(SM_CYSCREEN) - 60) / 2);
    EXPECT_TRUE(::EqualRect(&r, &theApp.m_Splash.m_WindowRect));

    // Its own timer fades it and hides it (1.70 s; a bound well above).
    MSG msg;
    while (::IsWindowVisible(splash) && ::GetTickCount() - shown < 15000) {
        if (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageW(&msg);
        else
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    EXPECT_FALSE(::IsWindowVisible(splash));
    EXPECT_GE(::GetTickCount() - shown, 1600u);
    EXPECT_EQ(theApp.m_Splash.m_Alpha, 0.0);
    EXPECT_EQ(theApp.m_Splash.m_Animation.m_HoldCount, 21);

    // Shutdown closes it before GDI+ ends.
    theApp.m_Splash.Close();
    EXPECT_FALSE(::IsWindow(splash));
    image.reset();
    theApp.m_Gdiplus.Shutdown();
}

}  // namespace
