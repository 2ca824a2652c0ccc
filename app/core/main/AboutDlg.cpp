#include "app/core/main/AboutDlg.h"

INT_PTR CAboutDlg::OnDialogMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_COMMAND && (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL)) {
        ::EndDialog(hwnd(), LOWORD(wp));
        return TRUE;
    }
    return fx::Dialog::OnDialogMessage(msg, wp, lp);
}
