#include "app/core/MasterView.h"

bool MasterView::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_ERASEBKGND) {
        RECT rc;
        ::GetClientRect(hwnd(), &rc);
        ::FillRect(reinterpret_cast<HDC>(wp), &rc, ::GetSysColorBrush(COLOR_BTNFACE));
        result = TRUE;
        return true;
    }
    return fx::View::OnMessage(msg, wp, lp, result);
}
