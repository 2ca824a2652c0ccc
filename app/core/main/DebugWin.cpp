#include "app/core/main/DebugWin.h"

#include <windowsx.h>

#include "app/core/main/PondrelApp.h"
#include "fx/Gdi.h"
#include "log/PondrelLog.h"

DebugWin::DebugWin() {
    m_Width = kWidth;
    m_Height = kHeight;
}

// The window (and with it the panes) goes while the panes' objects exist.
DebugWin::~DebugWin() { Destroy(); }

void DebugWin::PreCreateWindow(CREATESTRUCTW& cs) {
    cs.cx = kWidth;
    cs.cy = kHeight;
    cs.style = 0;
    cs.dwExStyle = kExStyle;
}

bool DebugWin::OnCreateClient() {
    if (!FloatingWin::OnCreateClient()) return false;
    return m_Upper.CreatePane(hwnd(), kPaneId) && m_Lower.CreatePane(hwnd(), kPaneId);
}

void DebugWin::Render(int, bool) {
    if (m_Updating || !hwnd()) return;
    m_Updating = true;
    RECT rect{};
    ::GetWindowRect(hwnd(), &rect);
    fx::WindowDC dc(hwnd());
    rect.right -= 1;
    rect.bottom -= 1;
    m_WindowRect = rect;
    m_Updating = false;
}

void DebugWin::LayOutPanes(int width, int height) {
    const int half = height / 2;
    if (m_Upper) ::MoveWindow(m_Upper.hwnd(), 0, 0, width, half, TRUE);
    if (m_Lower) ::MoveWindow(m_Lower.hwnd(), 0, half, width, half + 1, TRUE);
}

void DebugWin::OnMouseMove() {
    if (m_LeaveRequested) return;
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd(), 0};
    ::TrackMouseEvent(&track);
    m_LeaveRequested = true;
}

void DebugWin::OnLeftButtonDown(int y) {
    if (y < 0) ::ShowWindow(hwnd(), SW_HIDE);
}

bool DebugWin::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    result = 0;
    switch (msg) {
        case WM_SIZE: LayOutPanes(LOWORD(lp), HIWORD(lp)); return true;
        case WM_PAINT: ::ValidateRect(hwnd(), nullptr); return true;
        case WM_MOUSEMOVE: OnMouseMove(); return true;
        case WM_MOUSELEAVE: m_LeaveRequested = false; return true;
        case WM_LBUTTONDOWN: OnLeftButtonDown(GET_Y_LPARAM(lp)); return true;
        default: return FloatingWin::OnMessage(msg, wp, lp, result);
    }
}

// The debug window: a class of no style, cursor, brush or icon, the title
// "Debug", the overlapped-window style (its pre-create step gives it its own
// size and styles), shown.
void CPondrelApp::CreateDebugWindow() {
    auto window = std::make_unique<DebugWin>();
    if (!window->Create(fx::RegisterWindowClass(0).c_str(), L"Debug", WS_OVERLAPPEDWINDOW)) {
        LogLine(L"The debug window could not be created");
        return;
    }
    ::ShowWindow(window->hwnd(), SW_SHOW);
    m_pDebugWin = std::move(window);
}
