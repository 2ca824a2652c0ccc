#include "fx/Dialog.h"

#include "fx/Fault.h"
#include "fx/Window.h"

namespace fx {

namespace {
// Asks a dialog's own thread to destroy it (answered even once unbound).
UINT DestroyRequestMessage() {
    static const UINT msg = ::RegisterWindowMessageW(L"fx.Dialog.Destroy");
    return msg;
}
}  // namespace

Dialog::~Dialog() {
    HWND h = hwnd_;
    hwnd_ = nullptr;
    if (!h || !::IsWindow(h)) return;
    // The derived parts are gone already: no message may reach this object.
    ::SetWindowLongPtrW(h, DWLP_USER, 0);
    if (::GetWindowThreadProcessId(h, nullptr) == ::GetCurrentThreadId()) {
        ::DestroyWindow(h);
        return;
    }
    LogFault(L"Dialog %p lost its object on thread %lu, not on its own thread: the dialog is destroyed by its thread",
             static_cast<void*>(h), static_cast<unsigned long>(::GetCurrentThreadId()));
    ::PostMessageW(h, DestroyRequestMessage(), 0, 0);
}


bool Dialog::Create(UINT templateId, HWND parent) {
    if (hwnd_) return false;
    HWND h = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), parent, &Dialog::Proc,
                                  reinterpret_cast<LPARAM>(this));
    return h != nullptr;
}

INT_PTR Dialog::DoModal(HWND parent) {
    if (hwnd_) return -1;
    return ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_), parent, &Dialog::Proc,
                             reinterpret_cast<LPARAM>(this));
}

void Dialog::Destroy() { DestroyBoundWindow(hwnd_, DestroyRequestMessage()); }

INT_PTR Dialog::OnDialogMessage(UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG ? TRUE : FALSE; }

INT_PTR CALLBACK Dialog::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == DestroyRequestMessage()) {
        ::DestroyWindow(hwnd);
        return TRUE;
    }
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
