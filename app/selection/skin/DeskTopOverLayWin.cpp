#include "app/selection/skin/DeskTopOverLayWin.h"

#include "fx/Gdi.h"
#include "fx/GdiPlus.h"

void DeskTopOverLayWin::PreCreateWindow(CREATESTRUCTW& cs) {
    m_Width = m_WindowRect.right - m_WindowRect.left;
    m_Height = m_WindowRect.bottom - m_WindowRect.top;
    cs.cx = m_Width;
    cs.cy = m_Height;
    // No layered update ever sizes this window, so it is a pop-up: an
    // overlapped window would be given a caption and the system's minimum
    // size instead of the rectangle's.
    cs.style = static_cast<LONG>(WS_POPUP);
    cs.dwExStyle = kExStyle;
}

bool DeskTopOverLayWin::OnCreateClient() {
    // The whole window at one constant opacity, no colour key.
    ::SetLayeredWindowAttributes(hwnd(), 0, kConstantAlpha, LWA_ALPHA);
    return FloatingWin::OnCreateClient();
}

void DeskTopOverLayWin::FillOverlay(HDC dc, const RECT& rect) {
    Gdiplus::Graphics graphics(dc);
    Gdiplus::SolidBrush brush{Gdiplus::Color(kFillColour)};
    graphics.FillRectangle(&brush, static_cast<INT>(rect.left), static_cast<INT>(rect.top),
                           static_cast<INT>(rect.right - rect.left), static_cast<INT>(rect.bottom - rect.top));
}

void DeskTopOverLayWin::Paint() {
    fx::PaintDC dc(hwnd());
    if (dc.get()) {
        RECT client{};
        ::GetClientRect(hwnd(), &client);
        FillOverlay(dc.get(), client);
    }
}

bool DeskTopOverLayWin::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_PAINT:
        Paint();
        result = 0;
        return true;
    case WM_ERASEBKGND: result = OnEraseBackground() ? TRUE : FALSE; return true;
    case WM_SHOWWINDOW:
        result = Default(msg, wp, lp);
        Render(0, false);
        return true;
    case WM_MOUSEACTIVATE: result = MA_NOACTIVATE; return true;
    case WM_NCACTIVATE: result = TRUE; return true;
    case WM_NCCALCSIZE:
    case WM_NCPAINT: result = 0; return true;
    default: return FloatingWin::OnMessage(msg, wp, lp, result);
    }
}

void DeskTopOverLayWin::Close() {
    Destroy();
    m_pBackBuffer.reset();
}
