// The dock bar's cost: one animation tick with 10 items magnified under the
// pointer (magnification, item steps, slide and a full frame), against the
// tick's 25 ms step; and the dock thread's CPU over a minute with the bar
// shown, first idle (the pointer away, the bar slid out), then magnifying
// (the pointer resting on an item, the mouse tracking running), beside the
// whole process's and the frames pushed; and where an idle tick's time goes
// (deciding, drawing, pushing to the screen).
#include <windows.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Bench.h"
#include "app/core/common/GlobalLocks.h"
#include "app/core/main/PondrelApp.h"
#include "app/core/net/HttpRoutines.h"
#include "app/panels/dock/DockBar.h"
#include "app/panels/dock/DockThread.h"
#include "tests/support/CpuTime.h"
#include "tests/support/PngFile.h"
#include "tests/support/TestSupport.h"

namespace {

using testsupport::SavePng;

std::wstring ScratchInstall() {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    std::wstring dir = std::wstring(temp) + L"pondrel-dock-bench\\";
    ::CreateDirectoryW(dir.c_str(), nullptr);
    ::CreateDirectoryW((dir + L"Images").c_str(), nullptr);
    Gdiplus::Bitmap back(105, 86, PixelFormat32bppARGB);
    for (int y = 0; y < 86; ++y)
        for (int x = 0; x < 105; ++x) back.SetPixel(x, y, Gdiplus::Color(190, 40, 70, 110));
    SavePng(back, dir + L"Images\\DockBack.png");
    Gdiplus::Bitmap item(200, 150, PixelFormat32bppARGB);
    for (int y = 0; y < 150; ++y)
        for (int x = 0; x < 200; ++x) item.SetPixel(x, y, Gdiplus::Color(255, x, y, 128));
    SavePng(item, dir + L"item.png");
    return dir;
}

using testsupport::WaitFor;

using testsupport::ProcessCpuSeconds;
using testsupport::ThreadCpuSeconds;

// A stretch of time: the dock thread's and the process's share of one core,
// and the frames the bar pushed per second.
struct Usage {
    double dockThread = 0, process = 0, pushesPerSecond = 0;
};

// The dock thread of the program with 10 settings' items, its bar shown.
struct ShownDock {
    std::unique_ptr<DockOps> dock;
    HWND bar = nullptr;

    bool Start() {
        RegisterPondrelWindowClasses(::GetModuleHandleW(nullptr));
        theApp.m_Gdiplus.Startup();
        const std::wstring dir = ScratchInstall();
        theApp.m_InstallDir = dir;
        theApp.m_ShowDockBar = true;
        theApp.PublishSnapshot();
        {
            auto imports = theApp.m_DockImportState.Lock();
            imports->m_DockImports.clear();
            for (int i = 0; i < 10; ++i)
                imports->m_DockImports.push_back(
                    DockItemImportNode{L"Item", L"ID-" + std::to_wstring(i), dir + L"item.png", L"", true, false});
        }
        dock = MakeDock(nullptr);
        if (!dock || !WaitFor([&] { return dock->Window() != nullptr; }, 10000)) return false;
        bar = dock->Window();
        ::PostMessageW(bar, dock_msg::kRebuildItems, 0, 0);
        return WaitFor([&] { return ::IsWindowVisible(bar) != FALSE; }, 10000);
    }
    DockBar& Bar() { return static_cast<DockThreadOps&>(*dock).Dock().m_Bar; }
    // The shares of one core over `seconds` (this thread sleeps meanwhile).
    Usage Over(int seconds) {
        const unsigned p0 = Bar().m_Pushes;
        const double c0 = ThreadCpuSeconds(dock->Thread().handle()), all0 = ProcessCpuSeconds(), t0 = bench::Seconds();
        ::Sleep(static_cast<DWORD>(seconds) * 1000);
        const double used = ThreadCpuSeconds(dock->Thread().handle()) - c0, all = ProcessCpuSeconds() - all0,
                     wall = bench::Seconds() - t0;
        Usage u;
        if (wall <= 0) return u;
        u.dockThread = 100.0 * used / wall;
        u.process = 100.0 * all / wall;
        u.pushesPerSecond = (Bar().m_Pushes - p0) / wall;
        return u;
    }
    ~ShownDock() {
        if (dock) dock->Thread().Quit(5000);
        dock.reset();
        theApp.m_DockImportState.Lock()->m_DockImports.clear();
        theApp.m_Gdiplus.Shutdown();
    }
};

constexpr int kMinute = 60;

// A bar made on this thread in a scratch install, with ten items and the
// application's GDI+ (started first, shut down after the bar is gone); no
// button is ever down.
struct TenItemBar {
    struct Graphics {
        Graphics() {
            RegisterPondrelWindowClasses(::GetModuleHandleW(nullptr));
            theApp.m_Gdiplus.Startup();
        }
        ~Graphics() { theApp.m_Gdiplus.Shutdown(); }
    } graphics;
    const std::wstring dir = ScratchInstall();
    DockBar bar;

    TenItemBar() {
        bar.CreateBar(dir, nullptr);
        bar.m_ButtonDown = [](int) { return false; };
        fx::ScopedLock hold(g_DockLock);
        for (int i = 0; i < 10; ++i) dockitems::AddItem(dir + L"item.png", L"", nullptr, true, -1, dir);
    }
};

}  // namespace

BENCH("dock: one tick, 10 items magnified, full frame") {
    {
        TenItemBar made;
        DockBar& bar = made.bar;
        bar.m_Slide.autoHide = false;
        bar.m_Slide.slideY = 0;
        bar.Render(0, false);
        const RECT w = bar.m_WindowRect;
        DWORD now = ::GetTickCount();
        int x = 0;
        const double t0 = bench::Seconds();
        for (auto _ : state) {
            // The pointer moves along the items, so magnification and
            // frames never settle.
            x = (x + 7) % 600;
            const POINT client{34 + x, 40};
            const POINT screen{w.left + client.x, w.top + client.y};
            {
                fx::ScopedLock hold(g_DockLock);
                bar.MagnifyAt(client, screen);
            }
            bar.Step(now += 25, screen);
        }
        const double perTick = (bench::Seconds() - t0) / static_cast<double>(state.iterations);
        std::printf("dock: a tick takes %.1f%% of its 25 ms step\n", 100.0 * perTick / 0.025);
        bench::Figure("dock: one magnifying tick, share of its 25 ms step", 100.0 * perTick / 0.025, 20.0, "%");
    }
}

// An idle tick of the bar at rest above the edge (the pointer away), and
// what a full frame of it would cost: the drawing and the push alone.
BENCH("dock: one idle tick at rest, by phase") {
    {
        TenItemBar made;
        DockBar& bar = made.bar;
        ::ShowWindow(bar.hwnd(), SW_SHOWNOACTIVATE);
        const POINT away{1, 1000};
        DWORD now = ::GetTickCount();
        for (int i = 0; i < 80; ++i) bar.Step(now += 25, away);  // slid out
        const int kTicks = 200;
        const unsigned p0 = bar.m_Pushes;
        double t0 = bench::Seconds();
        for (auto _ : state) {
            (void)_;
            for (int i = 0; i < kTicks; ++i) bar.Step(now += 25, away);
        }
        const double n = static_cast<double>(state.iterations) * kTicks;
        const double tick = (bench::Seconds() - t0) / n, pushes = (bar.m_Pushes - p0) / n;
        t0 = bench::Seconds();
        for (int i = 0; i < kTicks; ++i) bar.Render(0, false);
        const double frame = (bench::Seconds() - t0) / kTicks;
        t0 = bench::Seconds();
        for (int i = 0; i < kTicks; ++i) bar.UpdateLayered();
        const double push = (bench::Seconds() - t0) / kTicks;
        // Measured apart, so under load the push alone may exceed the frame.
        std::printf("    idle tick (deciding) %.1f us, %.2f frames pushed a tick; a full frame (drawn and pushed) %.1f us,"
                    " the push alone %.1f us\n",
                    1e6 * tick, pushes, 1e6 * frame, 1e6 * push);
        if (bar.m_Slide.slideY != dock::kHiddenSlide) bench::Fail("the bar did not slide out");
        bench::Figure("dock: frames pushed per idle tick", pushes, 0.01, "");
    }
}

// Idle: the pointer away from the bar; with auto-hide on and the bar slid
// out every tick draws a (transparent) frame.
BENCH("dock: the bar's CPU over a minute, idle") {
    ShownDock shown;
    if (!shown.Start()) {
        bench::Fail("the dock bar did not show");
        return;
    }
    for (auto _ : state) {
        ::SetCursorPos(1, 1000);
        ::Sleep(3000);  // slid out
        const Usage u = shown.Over(kMinute);
        std::printf("    idle bar: dock thread %.2f %%, whole process %.2f %% of one core; %.1f frames pushed a second\n",
                    u.dockThread, u.process, u.pushesPerSecond);
        bench::Figure("dock: bar idle, slid out (dock thread)", u.dockThread, 0.2, "%");
    }
}

// Magnifying: the pointer rests on the fourth item after bringing the bar
// in from the top; the mouse tracking polls with its pause between rounds.
BENCH("dock: the bar's CPU over a minute, magnifying") {
    ShownDock shown;
    if (!shown.Start()) {
        bench::Fail("the dock bar did not show");
        return;
    }
    for (auto _ : state) {
        RECT w{};
        ::GetWindowRect(shown.bar, &w);
        const int x = w.left + dock::kFirstItemX + 3 * (60 + dock::kItemGap) + 30;
        ::SetCursorPos(x, w.top + 2);
        ::PostMessageW(shown.bar, WM_MOUSEMOVE, 0, MAKELPARAM(x - w.left, 2));
        ::Sleep(1500);  // slid in
        ::SetCursorPos(x, w.top + 44);
        ::PostMessageW(shown.bar, WM_MOUSEMOVE, 0, MAKELPARAM(x - w.left, 44));
        ::Sleep(1000);  // magnified
        const Usage u = shown.Over(kMinute);
        POINT still{};
        ::GetCursorPos(&still);
        RECT now{};
        ::GetWindowRect(shown.bar, &now);
        std::printf("    magnifying bar: dock thread %.2f %%, whole process %.2f %% of one core; %.1f frames a second%s\n",
                    u.dockThread, u.process, u.pushesPerSecond,
                    ::PtInRect(&now, still) ? "" : " (the pointer left the bar meanwhile)");
        ::SetCursorPos(1, 1000);
    }
}
