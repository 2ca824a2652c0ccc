#include "app/selection/skin/SplashWnd.h"

#include <cstdlib>
#include <ctime>

#include "app/core/graphics/OpacityDraw.h"
#include "app/include/FWin32.h"
#include "app/include/PixelProcess.h"
#include "fx/Gdi.h"

SplashWnd::SplashWnd() { m_Alpha = 0.0; }

void SplashWnd::PreCreateWindow(CREATESTRUCTW& cs) {
    const int width = image_ ? static_cast<int>(image_->GetWidth()) : 0;
    const int height = image_ ? static_cast<int>(image_->GetHeight()) : 0;
    m_Width = cs.cx = width + 2 * kMargin;
    m_Height = cs.cy = height + 2 * kMargin;
    // No window style: a bare pop-up (an overlapped window would get a
    // caption and a minimum size).
    cs.style = static_cast<LONG>(WS_POPUP);
    cs.dwExStyle = kExStyle;
}

bool SplashWnd::OnCreateClient() {
    // m_Width by m_Height come from the pre-create step.
    ResizeBackBuffer(m_Width, m_Height);
    Render(0, true);
    Render(0, false);
    return FloatingWin::OnCreateClient();
}

bool SplashWnd::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_SHOWWINDOW:
        result = Default(msg, wp, lp);
        OnShowWindow(wp != FALSE);
        return true;
    case WM_TIMER:
        OnTimer(static_cast<UINT_PTR>(wp));
        result = Default(msg, wp, lp);
        return true;
    case WM_PAINT: {
        fx::PaintDC validate(hwnd());  // the layered update draws; painting only validates
        result = 0;
        return true;
    }
    case WM_NCHITTEST: result = HTCLIENT; return true;
    case WM_NCACTIVATE: result = TRUE; return true;
    case WM_NCCALCSIZE:
    case WM_NCPAINT: result = 0; return true;
    default: return FloatingWin::OnMessage(msg, wp, lp, result);
    }
}

void SplashWnd::StartAnimationTimer() { ::SetTimer(hwnd(), SplashAnimation::kTimerId, SplashAnimation::kTimerPeriodMs, nullptr); }

void SplashWnd::StopAnimationTimer() { ::KillTimer(hwnd(), SplashAnimation::kTimerId); }

void SplashWnd::OnShowWindow(bool shown) {
    if (shown)
        StartAnimationTimer();
    else
        StopAnimationTimer();
}

void SplashWnd::OnTimer(UINT_PTR id) {
    if (id != SplashAnimation::kTimerId) return;
    // One step of the fade; its end hides the window, which stops the timer.
    if (m_Animation.Step(m_Alpha)) ::ShowWindow(hwnd(), SW_HIDE);
    Render(0, false);
}

void SplashWnd::DrawSplashImage() {
    if (!m_pBackBuffer || !image_) return;
    Gdiplus::Graphics graphics(m_pBackBuffer->bitmap());
    if (!m_pMatrix) m_pMatrix = fx::NewGdiplus<Gdiplus::Matrix>();
    if (m_pMatrix) {
        m_pMatrix->Reset();
        m_pMatrix->Scale(m_ScaleX, m_ScaleY);
    }
    const int width = static_cast<int>(image_->GetWidth());
    const int height = static_cast<int>(image_->GetHeight());
    render::DrawImageWithOpacity(kMargin, kMargin, width, height, image_, 0, 0, width, height, 1.0, m_pMatrix.get(),
                                 Gdiplus::InterpolationModeDefault, graphics);
}

void SplashWnd::ScatterBackBuffer() {
    FCObjImage image;
    if (!ImageFromGdiplusBitmap(*m_pBackBuffer->bitmap(), image)) return;
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    FCPixelSplash splash(m_Animation.ScatterBlockSize());
    if (!image.SinglePixelProcessProc(splash)) return;
    fx::GdiplusPtr<Gdiplus::Bitmap> scattered = GdiplusBitmapFromImage(image);
    if (!scattered) return;
    m_pBackBuffer->Clear();
    Gdiplus::Graphics graphics(m_pBackBuffer->bitmap());
    const int width = static_cast<int>(image.Width()), height = static_cast<int>(image.Height());
    render::DrawImageWithOpacity(0, 0, width, height, scattered.get(), 0, 0, width, height, 1.0, nullptr,
                                 Gdiplus::InterpolationModeDefault, graphics);
}

void SplashWnd::Render(int, bool initial) {
    if (m_pBackBuffer) {
        m_pBackBuffer->Clear();
        DrawSplashImage();
        // While the radius is not 0 the drawn image is scattered.
        if (m_Animation.Scatters()) ScatterBackBuffer();
    }
    if (!hwnd()) return;
    if (initial && !m_OffscreenReady) MakeOffscreen();
    // The layered update also moves the window to m_WindowRect's corner at
    // m_Width by m_Height.
    UpdateLayered();
}

void SplashWnd::Close() {
    Destroy();
    m_pMatrix.reset();
    m_pBackBuffer.reset();
}
