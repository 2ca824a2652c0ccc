#include "fx/Window.h"

#include <cwchar>

namespace fx {

namespace {
constexpr const wchar_t* kObjectProp = L"fx.Window";

// The object waiting for the window that CreateEx is making on this thread.
thread_local Window* t_creating = nullptr;
}  // namespace

Window::~Window() { Destroy(); }

bool Window::CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x, int y,
                      int width, int height, HWND parent, HMENU menuOrId, void* param) {
    if (hwnd_) return false;
    Window* outer = t_creating;
    t_creating = this;
    HHOOK hook = ::SetWindowsHookExW(WH_CBT, &Window::CreationHook, nullptr, ::GetCurrentThreadId());
    HWND h = ::CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent, menuOrId,
                               ::GetModuleHandleW(nullptr), param);
    if (hook) ::UnhookWindowsHookEx(hook);
    bool hooked = t_creating != this;
    t_creating = outer;
    if (!h) return false;
    if (!hooked) Subclass(h);
    return hwnd_ == h;
}

LRESULT CALLBACK Window::CreationHook(int code, WPARAM wp, LPARAM lp) {
    if (code == HCBT_CREATEWND && t_creating) {
        Window* w = t_creating;
        t_creating = nullptr;
        w->Subclass(reinterpret_cast<HWND>(wp));
    }
    return ::CallNextHookEx(nullptr, code, wp, lp);
}

bool Window::Attach(HWND hwnd) {
    if (hwnd_ || !hwnd || FromHandle(hwnd)) return false;
    Subclass(hwnd);
    return true;
}

void Window::Subclass(HWND hwnd) {
    hwnd_ = hwnd;
    ::SetPropW(hwnd, kObjectProp, this);
    oldProc_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Window::Proc)));
}

HWND Window::Detach() {
    HWND h = hwnd_;
    if (!h) return nullptr;
    if (::IsWindow(h)) {
        ::SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldProc_));
        ::RemovePropW(h, kObjectProp);
    }
    hwnd_ = nullptr;
    oldProc_ = nullptr;
    return h;
}

void Window::Destroy() {
    if (hwnd_ && ::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);  // WM_NCDESTROY unbinds
    hwnd_ = nullptr;
}

Window* Window::FromHandle(HWND hwnd) {
    return hwnd ? static_cast<Window*>(::GetPropW(hwnd, kObjectProp)) : nullptr;
}

LRESULT CALLBACK Window::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* w = FromHandle(hwnd);
    if (!w) return ::DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        LRESULT r = w->WindowProc(msg, wp, lp);
        WNDPROC old = w->oldProc_;
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
        ::RemovePropW(hwnd, kObjectProp);
        w->hwnd_ = nullptr;
        w->oldProc_ = nullptr;
        w->PostNcDestroy();
        return r;
    }
    return w->WindowProc(msg, wp, lp);
}

LRESULT Window::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (OnMessage(msg, wp, lp, result)) return result;
    return Default(msg, wp, lp);
}

bool Window::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

LRESULT Window::Default(UINT msg, WPARAM wp, LPARAM lp) {
    if (oldProc_) return ::CallWindowProcW(oldProc_, hwnd_, msg, wp, lp);
    return ::DefWindowProcW(hwnd_, msg, wp, lp);
}

std::wstring RegisterWindowClass(UINT style, HCURSOR cursor, HBRUSH background, HICON icon) {
    HINSTANCE inst = ::GetModuleHandleW(nullptr);
    wchar_t name[128];
    _snwprintf(name, 127, L"Fx:%p:%x:%p:%p:%p", static_cast<void*>(inst), style, static_cast<void*>(cursor),
               static_cast<void*>(background), static_cast<void*>(icon));
    name[127] = L'\0';
    WNDCLASSW wc{};
    if (!::GetClassInfoW(inst, name, &wc)) {
        wc.style = style;
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = inst;
        wc.hIcon = icon;
        wc.hCursor = cursor;
        wc.hbrBackground = background;
        wc.lpszClassName = name;
        ::RegisterClassW(&wc);
    }
    return name;
}

void CenterOnScreen(HWND hwnd) {
    RECT work{}, rc{};
    if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0) || !::GetWindowRect(hwnd, &rc)) return;
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    int x = work.left + ((work.right - work.left) - w) / 2;
    int y = work.top + ((work.bottom - work.top) - h) / 2;
    ::SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT EraseWithButtonFace(HWND hwnd, HDC dc) {
    RECT rc;
    ::GetClientRect(hwnd, &rc);
    ::FillRect(dc, &rc, ::GetSysColorBrush(COLOR_BTNFACE));
    return TRUE;
}

}  // namespace fx
