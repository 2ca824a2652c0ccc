// The hotspot window under Wine: creation, placement, the fade on an
// injected clock with its timer, the back buffer's alpha, the z-order among
// panel windows, the target image's fallback, and empty image slots.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/core/main/PondrelApp.h"
#include "app/selection/hotspot/TxSelWin.h"
#include "fx/GdiPlus.h"
#include "tests/support/GdiplusTestEnv.h"
#include "tests/support/TestSupport.h"

namespace {

// The program's window classes; the menus' shared drawing objects go before
// GDI+ (the shared environment, registered first, shuts it down last).
class WindowClassesEnv : public ::testing::Environment {
public:
    void SetUp() override { RegisterPondrelWindowClasses(::GetModuleHandleW(nullptr)); }
    void TearDown() override { }
};
const auto* const kEnv = ::testing::AddGlobalTestEnvironment(new WindowClassesEnv);

std::unique_ptr<Gdiplus::Bitmap> Solid(int w, int h, Gdiplus::Color color) {
    auto b = std::make_unique<Gdiplus::Bitmap>(w, h, PixelFormat32bppARGB);
    Gdiplus::Graphics g(b.get());
    g.Clear(color);
    return b;
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[256] = {};
    ::GetClassNameW(hwnd, name, 256);
    return name;
}

uint32_t Alpha(uint32_t pixel) { return pixel >> 24; }

class Hotspot : public testing::Test {
protected:
    void SetUp() override {
        normal_ = Solid(30, 26, Gdiplus::Color(255, 0, 0, 255));
        over_ = Solid(20, 16, Gdiplus::Color(255, 0, 255, 0));
        target1_ = Solid(30, 26, Gdiplus::Color(128, 255, 0, 0));
        images_.normal = normal_.get();
        images_.over = over_.get();
        images_.target1 = target1_.get();
        hotspot_.m_Clock = [this] { return now_; };
        ASSERT_TRUE(hotspot_.CreateHotspot(L"PondMenu", nullptr, images_));
    }
    void TearDown() override {
        for (HWND w : others_) ::DestroyWindow(w);
    }
    HWND Window(const wchar_t* cls, DWORD exStyle, int x) {
        HWND w = ::CreateWindowExW(exStyle, cls, L"", WS_POPUP | WS_VISIBLE, x, 300, 50, 50, nullptr, nullptr,
                                   nullptr, nullptr);
        others_.push_back(w);
        return w;
    }

    std::unique_ptr<Gdiplus::Bitmap> normal_, over_, target1_;
    TxSelWin::Images images_;
    uint32_t now_ = 1000;
    TxSelWin hotspot_;
    std::vector<HWND> others_;
};

TEST_F(Hotspot, ClassNameStylesAndSize) {
    HWND w = hotspot_.hwnd();
    EXPECT_EQ(ClassOf(w), L"PondMenu");
    wchar_t title[64] = {};
    ::GetWindowTextW(w, title, 64);
    EXPECT_STREQ(title, L"HoverHotspot");
    EXPECT_EQ(static_cast<DWORD>(::GetWindowLongPtrW(w, GWL_EXSTYLE)) & 0x08080088u, 0x08080088u);
    EXPECT_EQ(::GetWindowLongPtrW(w, GWL_STYLE) & (WS_CAPTION | WS_CHILD | WS_THICKFRAME), 0);
    EXPECT_FALSE(::IsWindowVisible(w));
    EXPECT_EQ(hotspot_.m_Width, 30);  // the size of the normal image
    EXPECT_EQ(hotspot_.m_Height, 26);
}

TEST_F(Hotspot, PlacedBesideTheAnchor) {
    hotspot_.PlaceBesideSelection(RECT{100, 50, 200, 70});
    RECT r{};
    ::GetWindowRect(hotspot_.hwnd(), &r);
    EXPECT_EQ(r.left, 203);
    EXPECT_EQ(r.top, 52);
}

TEST_F(Hotspot, FadesInOnItsTimerAndStops) {
    hotspot_.FadeIn();
    ASSERT_TRUE(hotspot_.IsVisible());
    EXPECT_TRUE(::KillTimer(hotspot_.hwnd(), TxSelWin::kAnimationTimer)) << "timer 333 runs during the fade";
    ::SetTimer(hotspot_.hwnd(), TxSelWin::kAnimationTimer, TxSelWin::kAnimationPeriodMs, nullptr);
    EXPECT_EQ(hotspot_.m_Animation.fade, 0.0f);

    now_ = 1117;
    hotspot_.AnimationStep();
    EXPECT_NEAR(hotspot_.m_Animation.fade, 0.5f, 0.01f);
    // The icon's alpha (128) times the fade.
    EXPECT_NEAR(static_cast<int>(Alpha(hotspot_.m_pBackBuffer->Pixel(5, 5))), 64, 2);

    hotspot_.FadeIn();  // already visible: the fade goes on as it was
    EXPECT_NEAR(hotspot_.m_Animation.fade, 0.5f, 0.01f);

    now_ = 1234;
    hotspot_.AnimationStep();
    EXPECT_EQ(hotspot_.m_Animation.fade, 1.0f);
    EXPECT_NEAR(static_cast<int>(Alpha(hotspot_.m_pBackBuffer->Pixel(5, 5))), 128, 1);
    EXPECT_FALSE(::KillTimer(hotspot_.hwnd(), TxSelWin::kAnimationTimer)) << "killed at the fade's end";
}

// The application whose selection the hotspot marks stays in front: its
// enhancer reports a selection only while it is the foreground window.
TEST_F(Hotspot, ShowingLeavesTheForegroundWhereItWas) {
    HWND app = Window(L"Static", 0, 500);
    ::SetForegroundWindow(app);
    ASSERT_TRUE(testsupport::WaitFor([&] { return ::GetForegroundWindow() == app; }, 5000));
    hotspot_.FadeIn();
    EXPECT_TRUE(::IsWindowVisible(hotspot_.hwnd()));
    // A deliberate observation window, not a wait for something: for 200 ms
    // of this thread's messages the front must not move.
    EXPECT_FALSE(testsupport::WaitFor([&] { return ::GetForegroundWindow() != app; }, 200));
    EXPECT_EQ(::GetForegroundWindow(), app);
}

TEST_F(Hotspot, GoesDirectlyBelowTheLowestVisiblePanel) {
    HWND plain = Window(L"STATIC", 0, 0);                     // a browser, not top-most
    HWND panelHigh = Window(L"BackWin777", WS_EX_TOPMOST, 60);
    HWND panelLow = Window(L"BackWin777", WS_EX_TOPMOST, 120);
    ::SetWindowPos(panelLow, panelHigh, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    HWND hidden = Window(L"BackWin777", WS_EX_TOPMOST, 180);
    ::ShowWindow(hidden, SW_HIDE);
    hotspot_.FadeIn();
    EXPECT_EQ(::GetWindow(panelLow, GW_HWNDNEXT), hotspot_.hwnd());
    EXPECT_TRUE(::GetWindowLongPtrW(hotspot_.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    // Above the browser window.
    bool browserBelow = false;
    for (HWND w = ::GetWindow(hotspot_.hwnd(), GW_HWNDNEXT); w; w = ::GetWindow(w, GW_HWNDNEXT))
        browserBelow = browserBelow || w == plain;
    EXPECT_TRUE(browserBelow);
}

TEST_F(Hotspot, WithoutPanelsItStaysTopMost) {
    Window(L"STATIC", 0, 0);
    hotspot_.FadeIn();
    EXPECT_TRUE(::GetWindowLongPtrW(hotspot_.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(Hotspot, TargetImageFallsBackWithoutDownloadForAnEmptyName) {
    std::vector<std::wstring> cached, files;
    hotspot_.m_LoadCached = [&](const std::wstring& url, const std::wstring&) {
        cached.push_back(url);
        return nullptr;
    };
    hotspot_.m_LoadFile = [&](const std::wstring& file) -> Gdiplus::Image* {
        files.push_back(file);
        return new Gdiplus::Bitmap(4, 4, PixelFormat32bppARGB);
    };
    theApp.m_ImagesUrl = L"http://127.0.0.1:9/images/";
    theApp.m_InstallDir = L"C:\\PondRel\\";
    hotspot_.LoadTargetImage(L"");
    EXPECT_TRUE(cached.empty()) << "no download for an empty name";
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0], L"C:\\PondRel\\Images\\target2.png");
    EXPECT_TRUE(hotspot_.m_pTargetImage);

    hotspot_.LoadTargetImage(L"guess.png");
    ASSERT_EQ(cached.size(), 1u);
    EXPECT_EQ(cached[0], L"http://127.0.0.1:9/images/guess.png");
    EXPECT_EQ(files.size(), 2u);
}

TEST(HotspotImages, EmptySlotsNeverCrashARender) {
    TxSelWin hotspot;
    ASSERT_TRUE(hotspot.CreateHotspot(L"PondMenu", nullptr, TxSelWin::Images{}));
    EXPECT_EQ(hotspot.m_Width, 34);  // the size before creation
    EXPECT_EQ(hotspot.m_Height, 30);
    hotspot.PlaceBesideSelection(RECT{0, 0, 10, 10});
    hotspot.FadeIn();
    hotspot.StartHighlight();
    hotspot.AnimationStep();
    hotspot.Render(0, true);
    hotspot.Render(0, false);
    EXPECT_TRUE(hotspot.IsVisible());
}

}  // namespace
