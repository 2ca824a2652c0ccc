#include "app/core/frame/MasterView.h"

bool MasterView::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_ERASEBKGND) {
        result = fx::EraseWithButtonFace(hwnd(), reinterpret_cast<HDC>(wp));
        return true;
    }
    return fx::View::OnMessage(msg, wp, lp, result);
}
