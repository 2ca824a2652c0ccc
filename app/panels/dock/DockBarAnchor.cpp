#include "app/panels/dock/DockBarAnchor.h"

#include <cstring>

bool DockBarAnchor::CreateAnchor() {
    return Create(fx::RegisterWindowClass(0).c_str(), kTitle, FloatingWin::kDefaultStyle);
}

void DockBarAnchor::PreCreateWindow(CREATESTRUCTW& cs) {
    cs.style = static_cast<LONG>(WS_POPUP);
    cs.dwExStyle = WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
    cs.x = cs.y = 0;
    cs.cx = cs.cy = 1;
}

void DockBarAnchor::ShowPicture(const fx::BackBuffer& picture, const RECT& where) {
    if (!hwnd()) return;
    m_Width = where.right - where.left;
    m_Height = where.bottom - where.top;
    if (m_Width <= 0 || m_Height <= 0) return;
    ResizeBackBuffer(m_Width, m_Height);
    if (!m_pBackBuffer) return;
    {
        Gdiplus::Graphics g(m_pBackBuffer->bitmap());
        g.SetCompositingMode(Gdiplus::CompositingModeSourceCopy);
        g.DrawImage(picture.bitmap(), Gdiplus::Rect(0, 0, m_Width, m_Height), 0, 0, m_Width, m_Height,
                    Gdiplus::UnitPixel);
    }
    m_WindowRect = where;
    if (!m_OffscreenReady) MakeOffscreen();
    UpdateLayered();
    ::ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
}

void DockBarAnchor::Hide() {
    if (hwnd()) ::ShowWindow(hwnd(), SW_HIDE);
}

bool DockBarAnchor::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
        case WM_NCHITTEST:
            result = HTTRANSPARENT;
            return true;
        case WM_MOUSEACTIVATE:
            result = MA_NOACTIVATE;
            return true;
        default:
            return FloatingWin::OnMessage(msg, wp, lp, result);
    }
}
