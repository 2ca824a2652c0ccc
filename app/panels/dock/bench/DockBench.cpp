// The dock bar's cost: one animation tick with 10 items magnified under the
// pointer (magnification, item steps, slide and a full frame), against the
// tick's 25 ms step.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "Bench.h"
#include "app/core/common/GlobalLocks.h"
#include "app/core/main/PondrelApp.h"
#include "app/core/net/HttpRoutines.h"
#include "app/panels/dock/DockBar.h"

namespace {

void SavePng(Gdiplus::Bitmap& bitmap, const std::wstring& path) {
    CLSID png{};
    if (GetEncoderClsid(L"image/png", &png) >= 0) bitmap.Save(path.c_str(), &png, nullptr);
}

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

}  // namespace

BENCH("dock: one tick, 10 items magnified, full frame") {
    RegisterPondrelWindowClasses(::GetModuleHandleW(nullptr));
    theApp.m_Gdiplus.Startup();
    {
        const std::wstring dir = ScratchInstall();
        DockBar bar;
        bar.CreateBar(dir, nullptr);
        bar.m_ButtonDown = [](int) { return false; };
        {
            fx::ScopedLock hold(g_DockLock);
            for (int i = 0; i < 10; ++i) dockitems::AddItem(dir + L"item.png", L"", nullptr, true, -1, dir);
        }
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
    }
    theApp.m_Gdiplus.Shutdown();
}
