#include "fx/Window.h"

#include <algorithm>
#include <cwchar>

#include "fx/Fault.h"

namespace fx {

namespace {
constexpr const wchar_t* kObjectProp = L"fx.Window";

// The object waiting for the window that CreateEx is making on this thread.
thread_local Window* t_creating = nullptr;

// Asks a window's own thread to destroy it.
UINT DestroyRequestMessage() {
    static const UINT msg = ::RegisterWindowMessageW(L"fx.Window.Destroy");
    return msg;
}
}  // namespace

Window::~Window() {
    HWND h = hwnd_;
    if (!h) return;
    if (!::IsWindow(h)) {  // gone without its WM_NCDESTROY (its thread was ended)
        hwnd_ = nullptr;
        return;
    }
    // The derived parts are gone already: no message may reach this object.
    bool own = OnOwnThread();
    if (!own)
        LogFault(L"Window %p lost its object on thread %lu, not on its own thread: the window is closed by its thread",
                 static_cast<void*>(h), static_cast<unsigned long>(::GetCurrentThreadId()));
    Unbind();
    if (own)
        ::DestroyWindow(h);
    else
        ::PostMessageW(h, WM_CLOSE, 0, 0);
}

bool Window::CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x, int y,
                      int width, int height, HWND parent, HMENU menuOrId, void* param) {
    if (hwnd_) return false;
    Window* outer = t_creating;
    t_creating = this;
    HHOOK hook = ::SetWindowsHookExW(WH_CBT, &Window::CreationHook, nullptr, ::GetCurrentThreadId());
    HWND h = ::CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent, menuOrId,
                               ThisModule(), param);
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
    if (::GetWindowThreadProcessId(hwnd, nullptr) != ::GetCurrentThreadId()) {
        LogFault(L"Attach of window %p refused: it belongs to another thread", static_cast<void*>(hwnd));
        return false;
    }
    Subclass(hwnd);
    return true;
}

void Window::Subclass(HWND hwnd) {
    hwnd_ = hwnd;
    ::SetPropW(hwnd, kObjectProp, this);
    oldProc_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Window::Proc)));
}

void Window::Unbind() {
    if (OnOwnThread()) StopAllTimers();
    timers_.clear();
    if (::IsWindow(hwnd_)) {
        ::SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldProc_));
        ::RemovePropW(hwnd_, kObjectProp);
    }
    hwnd_ = nullptr;
    oldProc_ = nullptr;
}

HWND Window::Detach() {
    HWND h = hwnd_;
    if (!h) return nullptr;
    CheckOwnThread(L"Detach");
    Unbind();
    return h;
}

void DestroyBoundWindow(HWND& bound, UINT request) {
    HWND h = bound;
    if (!h) return;
    if (!::IsWindow(h)) {
        bound = nullptr;
        return;
    }
    if (::GetWindowThreadProcessId(h, nullptr) != ::GetCurrentThreadId()) {
        ::PostMessageW(h, request, 0, 0);
        return;
    }
    ::DestroyWindow(h);  // WM_NCDESTROY unbinds
    if (bound == h && !::IsWindow(h)) bound = nullptr;
}

void Window::Destroy() { DestroyBoundWindow(hwnd_, DestroyRequestMessage()); }

bool Window::StartTimer(UINT_PTR id, UINT periodMs) {
    if (!hwnd_) return false;
    CheckOwnThread(L"StartTimer");
    if (!::SetTimer(hwnd_, id, periodMs, nullptr)) return false;
    if (!IsTimerRunning(id)) timers_.push_back(id);
    return true;
}

void Window::StopTimer(UINT_PTR id) {
    if (!hwnd_) return;
    CheckOwnThread(L"StopTimer");
    ::KillTimer(hwnd_, id);
    timers_.erase(std::remove(timers_.begin(), timers_.end(), id), timers_.end());
}

bool Window::IsTimerRunning(UINT_PTR id) const {
    return std::find(timers_.begin(), timers_.end(), id) != timers_.end();
}

void Window::StopAllTimers() {
    for (UINT_PTR id : timers_) ::KillTimer(hwnd_, id);
    timers_.clear();
}

bool Window::OnOwnThread() const {
    return !hwnd_ || ::GetWindowThreadProcessId(hwnd_, nullptr) == ::GetCurrentThreadId();
}

void Window::CheckOwnThread(const wchar_t* what) const {
    if (OnOwnThread()) return;
    LogFault(L"%s of window %p from thread %lu, not its own thread", what, static_cast<void*>(hwnd_),
             static_cast<unsigned long>(::GetCurrentThreadId()));
}

Window* Window::FromHandle(HWND hwnd) {
    return hwnd ? static_cast<Window*>(::GetPropW(hwnd, kObjectProp)) : nullptr;
}

LRESULT CALLBACK Window::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* w = FromHandle(hwnd);
    if (!w) return ::DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == DestroyRequestMessage()) {
        ::DestroyWindow(hwnd);
        return 0;
    }
    if (msg == WM_DESTROY) {
        // The class's handlers first: they may still read or stop their timers.
        LRESULT r = w->GuardedWindowProc(msg, wp, lp);
        w->StopAllTimers();
        return r;
    }
    if (msg == WM_NCDESTROY) {
        LRESULT r = w->GuardedWindowProc(msg, wp, lp);
        w->Unbind();
        Guarded(L"PostNcDestroy", [w] { w->PostNcDestroy(); });
        return r;
    }
    return w->GuardedWindowProc(msg, wp, lp);
}

LRESULT Window::GuardedWindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    try {
        return WindowProc(msg, wp, lp);
    } catch (...) {
        wchar_t cls[256] = L"";
        ::GetClassNameW(hwnd_, cls, 256);
        wchar_t where[320];
        _snwprintf(where, 319, L"the window procedure (class %s, message 0x%04X)", cls, msg);
        where[319] = L'\0';
        LogCaughtException(where);
        return msg == WM_CREATE ? -1 : 0;
    }
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

HINSTANCE ThisModule() {
    HMODULE self = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&ThisModule), &self);
    return self;
}

std::wstring RegisterWindowClass(UINT style, HCURSOR cursor, HBRUSH background, HICON icon) {
    HINSTANCE inst = ThisModule();
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
