#include "fx/Dialog.h"

#include "fx/Fault.h"

namespace fx {

Dialog::~Dialog() { Destroy(); }

bool Dialog::Create(UINT templateId, HWND parent) {
    if (hwnd_) return false;
    HWND h = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), parent, &Dialog::Proc,
                                  reinterpret_cast<LPARAM>(this));
    return h != nullptr;
}

void Dialog::Destroy() {
    if (hwnd_ && ::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
    hwnd_ = nullptr;
}

INT_PTR Dialog::OnDialogMessage(UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG ? TRUE : FALSE; }

INT_PTR CALLBACK Dialog::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) {
        auto* d = reinterpret_cast<Dialog*>(lp);
        ::SetWindowLongPtrW(hwnd, DWLP_USER, lp);
        d->hwnd_ = hwnd;
        INT_PTR r = TRUE;
        Guarded(L"a dialog procedure", [&] { r = d->OnDialogMessage(msg, wp, lp); });
        return r;
    }
    auto* d = reinterpret_cast<Dialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!d) return FALSE;
    INT_PTR r = FALSE;
    Guarded(L"a dialog procedure", [&] { r = d->OnDialogMessage(msg, wp, lp); });
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        d->hwnd_ = nullptr;
    }
    return r;
}

}  // namespace fx
