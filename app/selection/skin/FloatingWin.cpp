#include "app/selection/skin/FloatingWin.h"

#include <string>

#include "app/selection/skin/FloatingWinLayout.h"

namespace {

IntRect ToIntRect(const RECT& r) { return IntRect{r.left, r.top, r.right, r.bottom}; }

const std::wstring& BaseClass() {
    static const std::wstring name = fx::RegisterWindowClass(CS_DBLCLKS, ::LoadCursorW(nullptr, IDC_ARROW));
    return name;
}

}  // namespace

FloatingWin::~FloatingWin() {
    // The window goes while this object's members still exist.
    Destroy();
}

bool FloatingWin::Create(const wchar_t* className, const wchar_t* title, DWORD style, HWND parent) {
    CREATESTRUCTW cs{};
    cs.lpszClass = className ? className : BaseClass().c_str();
    cs.lpszName = title;
    cs.style = static_cast<LONG>(style);
    cs.x = cs.y = cs.cx = cs.cy = CW_USEDEFAULT;
    cs.hwndParent = parent;
    PreCreateWindow(cs);
    return CreateEx(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style), cs.x, cs.y, cs.cx, cs.cy,
                    cs.hwndParent, cs.hMenu);
}

void FloatingWin::PreCreateWindow(CREATESTRUCTW&) {}

bool FloatingWin::OnCreateClient() {
    if (!m_pBackBuffer) m_pBackBuffer = fx::BackBuffer::Create(m_Width + 32, m_Height);
    return true;
}

bool FloatingWin::OnMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) {
    if (msg == WM_CREATE) {
        result = OnCreateClient() ? 0 : -1;
        return true;
    }
    return false;
}

void FloatingWin::RedrawRectF(float x, float y, float width, float height) {
    IntRect a = RedrawArea(x, y, width, height);
    RECT r{a.left, a.top, a.right, a.bottom};
    RedrawRect(r);
}

void FloatingWin::RedrawRect(const RECT& rect) {
    if (hwnd()) ::RedrawWindow(hwnd(), &rect, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void FloatingWin::Render(int, bool) {}

void FloatingWin::GrowBackBuffer(int width, int height) {
    if (m_pBackBuffer && KeepsBackBuffer(m_pBackBuffer->width(), m_pBackBuffer->height(), width, height, false))
        return;
    m_pBackBuffer.reset();
    m_pBackBuffer = fx::BackBuffer::Create(width, height);
}

void FloatingWin::ResizeBackBuffer(int width, int height) {
    if (m_pBackBuffer && KeepsBackBuffer(m_pBackBuffer->width(), m_pBackBuffer->height(), width, height, true))
        return;
    m_pBackBuffer.reset();
    m_pBackBuffer = fx::BackBuffer::Create(width, height);
}

void FloatingWin::MakeOffscreen() {
    if (m_MemDC.CreateCompatible()) m_OffscreenReady = true;
}

bool FloatingWin::UpdateLayered() {
    if (!hwnd() || !m_pBackBuffer || !m_MemDC) return false;
    ::GdiFlush();
    fx::SelectObjectScope select(m_MemDC.get(), m_pBackBuffer->hbitmap());
    POINT at{m_WindowRect.left, m_WindowRect.top};
    SIZE size{m_Width, m_Height};
    ++m_Pushes;
    return PushToScreen(at, size, m_MemDC.get(), ConstantAlpha(m_Alpha));
}

bool FloatingWin::PushToScreen(POINT at, SIZE size, HDC source, BYTE constantAlpha) {
    return fx::PushLayered(hwnd(), at, size, source, constantAlpha);
}

void FloatingWin::ResizeAndRedraw() {
    m_pBackBuffer.reset();
    if (hwnd()) ::GetWindowRect(hwnd(), &m_WindowRect);
    ResizeBackBuffer(m_Width, m_Height);
    m_WindowRect.right = m_WindowRect.left + m_Width;
    m_WindowRect.bottom = m_WindowRect.top + m_Height;
    if (hwnd())
        ::SetWindowPos(hwnd(), nullptr, m_WindowRect.left, m_WindowRect.top, m_Width, m_Height,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    if (!m_OffscreenReady) Render(0, true);
    Render(0, false);
}

POINT FloatingWin::KeepOnMonitor(const RECT& area, const RECT* avoid) {
    RECT window{};
    if (hwnd()) ::GetWindowRect(hwnd(), &window);
    IntRect avoidRect = avoid ? ToIntRect(*avoid) : IntRect{};
    MonitorFit fit = FitOnMonitor(ToIntRect(window), m_Width, m_Height, ToIntRect(area), avoid ? &avoidRect : nullptr);
    if (fit.moved && hwnd())
        ::SetWindowPos(hwnd(), nullptr, fit.rect.left, fit.rect.top, m_Width, m_Height,
                       SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    m_MonitorShift = POINT{fit.dx, fit.dy};
    return m_MonitorShift;
}

bool FloatingWin::HitTestRegion(POINT screen, bool) const {
    if (!hwnd() || !::IsWindowVisible(hwnd()) || !m_hRegion) return false;
    POINT p = screen;
    ::ScreenToClient(hwnd(), &p);
    return ::PtInRegion(m_hRegion.get(), p.x, p.y) != FALSE;
}
