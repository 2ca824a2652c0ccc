#include "app/panels/children/SearchMatrixWin.h"

#include "app/core/common/AppMessages.h"
#include "app/core/main/PondrelApp.h"
#include "app/panels/children/ChildWin.h"
#include "app/panels/children/SearchMatrixRules.h"

namespace panels {

SearchMatrixWin::~SearchMatrixWin() { FloatingWin::Destroy(); }

bool SearchMatrixWin::CreateAt(const RECT& rect) {
    if (!RegisterChildWindowClass(kClass)) return false;
    m_WindowRect = rect;
    if (!Create(kClass, L"", kDefaultStyle, nullptr)) return false;
    ::SetWindowLongPtrW(hwnd(), GWL_STYLE, 0);
    return true;
}

void SearchMatrixWin::PreCreateWindow(CREATESTRUCTW& cs) { PrepareLayeredToolWindow(*this, cs); }

bool SearchMatrixWin::OnCreateClient() {
    if (!FloatingWin::OnCreateClient()) return false;
    m_View.CreateIn(hwnd(), kViewId);
    ::SetLayeredWindowAttributes(hwnd(), 0, 0, LWA_ALPHA);
    return true;
}

void SearchMatrixWin::MoveTo(const RECT& rect) {
    ::MoveWindow(hwnd(), rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
}

void SearchMatrixWin::OnShowWindow(bool shown) {
    if (!shown) {
        m_Text.clear();
        ::SetLayeredWindowAttributes(hwnd(), 0, 0, LWA_ALPHA);
        StopTimer(timer_id::kSearchMatrix);
        return;
    }
    if (m_Text.empty()) {
        MoveTo(m_KeptRect);
        m_View.m_FadeIn = true;
    } else {
        MoveTo(m_WindowRect);
        m_View.m_FadeIn = false;
    }
    StartTimer(timer_id::kSearchMatrix, kTimerMs);
}

void SearchMatrixWin::OnTimer() {
    MatrixHideInput in;
    in.escapeDown = (::GetAsyncKeyState(VK_ESCAPE) & 0x8000) != 0;
    in.visible = ::IsWindowVisible(hwnd()) != FALSE;
    in.clickOutsOff = theApp.m_ClickOutsOff;
    if (HWND front = ::GetForegroundWindow()) {
        wchar_t name[64] = {};
        ::GetClassNameW(front, name, 64);
        in.foregroundClass = name;
    }
    if (MatrixShouldHide(in)) ::ShowWindow(hwnd(), SW_HIDE);
    if (MatrixCountdownTick(m_View.m_Countdown)) ::SetForegroundWindow(hwnd());
}

bool SearchMatrixWin::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    result = 0;
    switch (msg) {
    case WM_CREATE: return FloatingWin::OnMessage(msg, wp, lp, result);
    case WM_SHOWWINDOW:
        OnShowWindow(wp != 0);
        return false;
    case WM_TIMER:
        if (wp != timer_id::kSearchMatrix) return false;
        OnTimer();
        return true;
    case WM_ERASEBKGND: result = TRUE; return true;
    case WM_PAINT:
        ::ValidateRect(hwnd(), nullptr);
        return true;
    default: return false;
    }
}

}  // namespace panels
