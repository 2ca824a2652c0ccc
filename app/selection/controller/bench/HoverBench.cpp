// The cost of hover tracking: one TrackHover call over a page's selection
// pieces, and from a collected selection to the hotspot fully faded in (the
// ticks and fade frames it takes, the fade on a 33 ms clock).
#include <windows.h>

#include <cstdio>
#include <memory>

#include "Bench.h"
#include "app/core/main/PondrelApp.h"
#include "app/selection/controller/BrowserTreeView.h"

namespace {

struct HoverController {
    HWND parent = nullptr;
    BrowserTreeView view;
    HoverController() {
        RegisterPondrelWindowClasses(::GetModuleHandleW(nullptr));
        theApp.m_Gdiplus.Startup();
        parent = ::CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr, nullptr,
                                   nullptr);
        view.Create(parent, RECT{0, 0, 50, 50}, 0xE900);
        view.CreatePopupWindows();
        for (int i = 0; i < 20; ++i) {
            auto piece = std::make_unique<LinkInfo>();
            piece->m_Rect = RECT{100, 50 + 20 * i, 400, 68 + 20 * i};
            piece->m_Text = L"piece";
            view.m_Observer.m_Selections.Add(std::move(piece));
        }
        view.m_LeftButtonDown = [] { return false; };
    }
    ~HoverController() {
        view.Destroy();
        ::DestroyWindow(parent);
    }
};

}  // namespace

BENCH("hover: one TrackHover, 20 pieces, cursor on none") {
    HoverController c;
    c.view.m_CursorPos = [] { return POINT{900, 900}; };
    for (auto _ : state) c.view.TrackHover();
}

BENCH("hover: selection to hotspot shown (ticks, fade frames)") {
    HoverController c;
    uint32_t now = 1000;
    c.view.m_Clock = [&] { return static_cast<DWORD>(now); };
    c.view.Hotspot()->m_Clock = [&] { return now; };
    c.view.m_CursorPos = [] { return POINT{150, 60}; };
    for (auto _ : state) {
        ::ShowWindow(c.view.HotspotWindow(), SW_HIDE);
        c.view.m_pCurrentLink = nullptr;
        int ticks = 0, frames = 0;
        const int kBound = 1000;
        while (!c.view.Hotspot()->IsVisible() && ticks < kBound) {
            c.view.TrackHover();
            ++ticks;
        }
        while (c.view.Hotspot()->m_Animation.Running() && frames < kBound) {
            now += 33;
            c.view.Hotspot()->AnimationStep();
            ++frames;
        }
        if (ticks == kBound || frames == kBound) {
            bench::Fail(ticks == kBound ? "the hotspot did not show within %d ticks"
                                        : "the hotspot's fade did not end within %d frames",
                        kBound);
            return;
        }
        static bool told = false;
        if (!told) std::printf("hover: shown after %d tick(s), faded in after %d frame(s) of 33 ms\n", ticks, frames);
        told = true;
    }
}
