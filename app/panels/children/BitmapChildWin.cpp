#include "app/panels/children/BitmapChildWin.h"

#include "app/panels/elements/WindowElement.h"

namespace panels {

// The client: no view; a back buffer of the window's size.
bool BitmapChildWin::OnCreateClient() {
    if (!FloatingWin::OnCreateClient()) return false;
    m_Width = m_WindowRect.right - m_WindowRect.left;
    m_Height = m_WindowRect.bottom - m_WindowRect.top;
    GrowBackBuffer(m_Width, m_Height);
    return FloatingWin::OnCreateClient();
}

void BitmapChildWin::Render(bool update, float opacity) {
    if (!m_pBackBuffer) return;
    m_pBackBuffer->Clear();
    if (m_pElement && m_pElement->Render()) {
        const templates::LayoutRect& inner = m_pElement->innerWindowRect;
        RECT at{0, 0, inner.right - inner.left, inner.bottom - inner.top};
        Gdiplus::Graphics g(m_pBackBuffer->bitmap());
        m_pElement->Render()->Draw(g, at, ToPixels(m_pElement->zoomedWidth), ToPixels(m_pElement->zoomedHeight),
                                   opacity);
    }
    if (!update) {
        if (hwnd())
            ::SetWindowPos(hwnd(), nullptr, m_WindowRect.left, m_WindowRect.top, m_Width, m_Height,
                           SWP_NOZORDER | SWP_NOACTIVATE);
        UpdateLayered();
        return;
    }
    if (!m_OffscreenReady) MakeOffscreen();
    UpdateLayered();
}

}  // namespace panels
