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
    Shown(int width, int height) {
        gdiplus.Startup();
        win = std::make_unique<FrameWin>(width, height);
        win->Create(nullptr, L"FrameBench");
        win->ResizeBackBuffer(width, height);
        win->MakeOffscreen();
        ::GetWindowRect(win->hwnd(), &win->m_WindowRect);
        ::ShowWindow(win->hwnd(), SW_SHOWNOACTIVATE);
        if (!win->Frame(1.0f)) std::printf("floating window: the layered update failed (no display?)\n");
    }
    ~Shown() {
        win->Destroy();
        win.reset();
    }
};

void Frames(bench::State& state, int width, int height) {
    Shown s(width, height);
    float fade = 0.0f;
    for (auto _ : state) {
        s.win->Frame(fade);
        fade = fade >= 1.0f ? 0.0f : fade + 0.1f;
    }
}

}  // namespace

BENCH("floating window: 800x600 frame drawn and pushed (step 50 ms)") { Frames(state, 800, 600); }

BENCH("floating window: 40x40 hotspot frame drawn and pushed (step 33 ms)") { Frames(state, 40, 40); }
