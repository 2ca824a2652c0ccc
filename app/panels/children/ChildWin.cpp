#include "app/panels/children/ChildWin.h"

#include <algorithm>
#include <mutex>
#include <set>
#include <string>

#include "app/core/common/AppMessages.h"
#include "app/panels/children/ChildLink.h"
#include "app/panels/children/ChildViews.h"
#include "app/panels/elements/Win32Elements.h"

namespace panels {

namespace {

templates::LayoutRect MapRect(HWND from, HWND to, const templates::LayoutRect& r) {
    POINT points[2] = {{r.left, r.top}, {r.right, r.bottom}};
    ::MapWindowPoints(from, to, points, 2);
    return {points[0].x, points[0].y, points[1].x, points[1].y};
}

}  // namespace

bool RegisterChildWindowClass(const wchar_t* name) {
    static std::mutex mutex;
    static std::set<std::wstring> registered;
    std::lock_guard<std::mutex> hold(mutex);
    if (registered.count(name)) return true;
    WNDCLASSEXW wc{sizeof(wc)};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    registered.insert(name);
    return true;
}

CChildWin::~CChildWin() {
    // The window (and the view inside it) goes while the view object exists.
    FloatingWin::Destroy();
}

bool CChildWin::Create(const wchar_t* windowClass, const templates::LayoutRect& screen) {
    if (!RegisterChildWindowClass(windowClass)) return false;
    SetStoredRect(screen);
    if (!FloatingWin::Create(windowClass, L"", kDefaultStyle, nullptr)) return false;
    // The system gives a top-level window a caption and an edge: the child
    // window keeps exactly its own styles.
    ::SetWindowLongPtrW(hwnd(), GWL_STYLE, 0);
    ::SetWindowLongPtrW(hwnd(), GWL_EXSTYLE, static_cast<LONG_PTR>(kExStyle));
    return true;
}

void CChildWin::SetStoredRect(const templates::LayoutRect& r) {
    m_WindowRect = RECT{r.left, r.top, r.right, r.bottom};
    m_Width = r.right - r.left;
    m_Height = r.bottom - r.top;
}

templates::LayoutRect CChildWin::StoredRect() const {
    return {m_WindowRect.left, m_WindowRect.top, m_WindowRect.right, m_WindowRect.bottom};
}

void PrepareLayeredToolWindow(FloatingWin& window, CREATESTRUCTW& cs) {
    const RECT& r = window.m_WindowRect;
    window.m_Width = r.right - r.left;
    window.m_Height = r.bottom - r.top;
    cs.x = r.left;
    cs.y = r.top;
    cs.cx = window.m_Width;
    cs.cy = window.m_Height;
    // A bare pop-up (style 0 once created): a window born with the caption
    // the system gives style 0 is left to the window manager, and under Wine
    // each of its hides then waits for one.
    cs.style = static_cast<LONG>(WS_POPUP);
    cs.dwExStyle = CChildWin::kExStyle;
}

void CChildWin::PreCreateWindow(CREATESTRUCTW& cs) { PrepareLayeredToolWindow(*this, cs); }

// The client: the base's, then the element's view, then fully transparent
// until the panel fades the window in.
bool CChildWin::OnCreateClient() {
    if (!FloatingWin::OnCreateClient()) return false;
    CreateView();
    ::SetLayeredWindowAttributes(hwnd(), 0, 0, LWA_ALPHA);
    return true;
}

void CChildWin::CreateView() {
    if (m_pElement) CreateElementView(*m_pElement, *this);
}

void CChildWin::Move(const templates::LayoutRect& screen, bool repaint) {
    if (!hwnd()) return;
    ::MoveWindow(hwnd(), screen.left, screen.top, screen.right - screen.left, screen.bottom - screen.top,
                 repaint ? TRUE : FALSE);
}

void CChildWin::MoveAbovePanel(const PanelWindow& panel, int x, int y) {
    MoveChildAbovePanel(hwnd(), panel, x, y, m_Width, m_Height);
}

bool CChildWin::IsShown() const { return hwnd() && ::IsWindowVisible(hwnd()); }

bool CChildWin::IsRightAbove(const PanelWindow& panel) const { return ChildRightAbovePanel(hwnd(), panel); }

templates::LayoutRect CChildWin::ScreenToClient(const templates::LayoutRect& r) const {
    return MapRect(nullptr, hwnd(), r);
}

void CChildWin::Show(bool show) { ShowChildWindow(hwnd(), show); }

void CChildWin::SetAlpha(int alpha) {
    if (hwnd()) ::SetLayeredWindowAttributes(hwnd(), 0, static_cast<BYTE>(std::clamp(alpha, 0, 255)), LWA_ALPHA);
}

void CChildWin::PlaceView(const templates::LayoutRect& client) {
    if (m_pView && m_pView->hwnd())
        ::MoveWindow(m_pView->hwnd(), client.left, client.top, client.right - client.left, client.bottom - client.top,
                     TRUE);
}

bool CChildWin::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    result = 0;
    switch (msg) {
    case WM_CREATE: return FloatingWin::OnMessage(msg, wp, lp, result);
    case WM_NCCALCSIZE:
    case WM_NCPAINT: return true;  // no frame
    case WM_NCACTIVATE: result = TRUE; return true;
    case WM_PAINT:
        ::ValidateRect(hwnd(), nullptr);
        return true;
    case WM_MOUSEACTIVATE:
        // A click on the child window brings the whole panel back to its order.
        if (m_pLink && m_pLink->PanelWindow()) ::PostMessageW(m_pLink->PanelWindow(), panel_msg::kRaise, 0, 0);
        return false;
    default: return false;
    }
}

}  // namespace panels
