// The cost of one frame of a skinned window: the back buffer cleared, drawn
// (a frame image, a filled body, an icon at a fade) and pushed with
// UpdateLayeredWindow.  An 800 x 600 panel frame against the panels' 50 ms
// animation step, a 40 x 40 hotspot frame against the hotspot's 33 ms step.
#include <windows.h>

#include <cstdio>
#include <memory>

#include "Bench.h"
#include "app/selection/skin/FloatingWin.h"
#include "fx/GdiPlus.h"

namespace {

constexpr DWORD kLayeredToolExStyle = 0x08080088;  // no-activate, layered, tool window, top-most

class FrameWin : public FloatingWin {
public:
    FrameWin(int width, int height) {
        m_Width = width;
        m_Height = height;
        skin_ = std::make_unique<Gdiplus::Bitmap>(width, height, PixelFormat32bppARGB);
        Gdiplus::Graphics g(skin_.get());
        g.Clear(Gdiplus::Color(0, 0, 0, 0));
        Gdiplus::SolidBrush edge(Gdiplus::Color(200, 40, 60, 90));
        g.FillRectangle(&edge, 0, 0, width, height);
        icon_ = std::make_unique<Gdiplus::Bitmap>(width < 64 ? width : 64, height < 64 ? height : 64,
                                                  PixelFormat32bppARGB);
        Gdiplus::Graphics gi(icon_.get());
        gi.Clear(Gdiplus::Color(255, 30, 140, 200));
    }

    // One frame: paint into the back buffer, then push it.
    bool Frame(float fade) {
        if (!m_pBackBuffer) return false;
        m_pBackBuffer->Clear();
        {
            Gdiplus::Graphics g(m_pBackBuffer->bitmap());
            g.DrawImage(skin_.get(), 0, 0, m_Width, m_Height);
            Gdiplus::SolidBrush body(Gdiplus::Color(255, 255, 255, 255));
            g.FillRectangle(&body, 4, 4, m_Width - 8, m_Height - 8);
            Gdiplus::ColorMatrix m = {{{1, 0, 0, 0, 0}, {0, 1, 0, 0, 0}, {0, 0, 1, 0, 0}, {0, 0, 0, fade, 0},
                                       {0, 0, 0, 0, 1}}};
            Gdiplus::ImageAttributes attributes;
            attributes.SetColorMatrix(&m);
            const INT w = static_cast<INT>(icon_->GetWidth()), h = static_cast<INT>(icon_->GetHeight());
            g.DrawImage(icon_.get(), Gdiplus::Rect(0, 0, w, h), 0, 0, w, h, Gdiplus::UnitPixel, &attributes);
        }
        return UpdateLayered();
    }

protected:
    void PreCreateWindow(CREATESTRUCTW& cs) override {
        cs.cx = m_Width;
        cs.cy = m_Height;
        cs.x = 20;
        cs.y = 20;
        cs.style = static_cast<LONG>(WS_POPUP);
        cs.dwExStyle = kLayeredToolExStyle;
    }

private:
    std::unique_ptr<Gdiplus::Bitmap> skin_, icon_;
};

// A shown window of that size, its back buffer and memory DC made.
struct Shown {
    fx::GdiplusSession gdiplus;
    std::unique_ptr<FrameWin> win;
    bool ok = false;  // the first frame was pushed
    Shown(int width, int height) {
        gdiplus.Startup();
        win = std::make_unique<FrameWin>(width, height);
        win->Create(nullptr, L"FrameBench");
        win->ResizeBackBuffer(width, height);
        win->MakeOffscreen();
        ::GetWindowRect(win->hwnd(), &win->m_WindowRect);
        ::ShowWindow(win->hwnd(), SW_SHOWNOACTIVATE);
        ok = win->Frame(1.0f);
    }
    ~Shown() {
        win->Destroy();
        win.reset();
    }
};

// The frames' share of their step, in %.
double Frames(bench::State& state, int width, int height, double stepSeconds) {
    Shown s(width, height);
    if (!s.ok) {
        bench::Fail("the layered update failed (no display?)");
        return 0;
    }
    float fade = 0.0f;
    const double t0 = bench::Seconds();
    for (auto _ : state) {
        if (!s.win->Frame(fade)) {
            bench::Fail("the layered update failed");
            return 0;
        }
        fade = fade >= 1.0f ? 0.0f : fade + 0.1f;
    }
    const double frame = (bench::Seconds() - t0) / static_cast<double>(state.iterations);
    bench::Note("one frame %.2f ms, %.1f %% of its %.0f ms step", 1e3 * frame, 100.0 * frame / stepSeconds,
                1e3 * stepSeconds);
    return 100.0 * frame / stepSeconds;
}

}  // namespace

BENCH("floating window: 800x600 frame drawn and pushed (step 50 ms)") {
    const double share = Frames(state, 800, 600, 0.050);
    if (share > 0) bench::Figure("floating window: 800 x 600 frame, share of 50 ms step", share, 20.0, "%");
}

BENCH("floating window: 40x40 hotspot frame drawn and pushed (step 33 ms)") { Frames(state, 40, 40, 0.033); }
