#include "app/panels/children/BitmapChildWin.h"

#include "app/panels/elements/WindowElement.h"
#include "app/selection/skin/FloatingWinLayout.h"
#include "fx/BackBuffer.h"
#include "fx/Handle.h"

namespace panels {

// The client: no view; a back buffer of the window's size.
bool BitmapChildWin::OnCreateClient() {
    if (!FloatingWin::OnCreateClient()) return false;
    m_Width = m_WindowRect.right - m_WindowRect.left;
    m_Height = m_WindowRect.bottom - m_WindowRect.top;
    GrowBackBuffer(m_Width, m_Height);
    return FloatingWin::OnCreateClient();
}

void BitmapChildWin::Paint(float opacity) {
    m_pBackBuffer->Clear();
    if (m_pElement && m_pElement->Render()) {
        const templates::LayoutRect& inner = m_pElement->innerWindowRect;
        RECT at{0, 0, inner.right - inner.left, inner.bottom - inner.top};
        Gdiplus::Graphics g(m_pBackBuffer->bitmap());
        m_pElement->Render()->Draw(g, at, ToPixels(m_pElement->zoomedWidth), ToPixels(m_pElement->zoomedHeight),
                                   opacity);
    }
}

void BitmapChildWin::Render(bool update, float opacity) {
    if (!m_pBackBuffer) return;
    Paint(opacity);
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

// Neither moved nor sized: moving another thread's window waits until that
// thread answers.
void BitmapChildWin::PushBitmap(float opacity) {
    if (!m_pBackBuffer || !hwnd()) return;
    Paint(opacity);
    if (!m_OffscreenReady) MakeOffscreen();
    if (!m_MemDC) return;
    ::GdiFlush();
    fx::SelectObjectScope select(m_MemDC.get(), m_pBackBuffer->hbitmap());
    fx::PushLayeredInPlace(hwnd(), m_MemDC.get(), ConstantAlpha(m_Alpha));
}

}  // namespace panels
