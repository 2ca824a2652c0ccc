// Window wrapper: a C++ object bound to a window of a registered class.  The
// classes are registered with DefWindowProcW; the wrapper subclasses its window
// from the first message on (a creation hook catches WM_NCCREATE) and hands
// every message to the derived class's OnMessage, whose handlers name the steps
// they perform.  Messages a class does not handle go to the original procedure.
//
// Threads and lifetime
// - A window lives on the thread that created it, and only that thread
//   destroys it: Destroy() there destroys it at once; from another thread it
//   asks the window's thread to (a posted request) and returns.
// - The object outlives its window: WM_NCDESTROY unbinds it (no message
//   reaches it afterwards) and PostNcDestroy is its last call; the owner frees
//   it after that, never inside a handler.
// - A class whose handlers (WM_DESTROY, PostNcDestroy) must run destroys its
//   window before its object goes: in its own destructor or earlier.  The
//   base destructor, finding the window still there, unbinds it first and then
//   destroys it (on the window's thread) or has it closed by its thread (on any
//   other thread, logged as a fault).
// - Timers started with StartTimer belong to the object and all stop at
//   WM_DESTROY, after the class's own WM_DESTROY handler.
// - An exception escaping a handler is logged (fx/Fault.h) and the message
//   answered as unhandled-and-failed (0; -1 for WM_CREATE).
// - Using the object's window from another thread (Attach, Detach, timers) is
//   a fault that is logged.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace fx {

// The end of a window object's Destroy: a window already gone is forgotten;
// on its own thread it is destroyed at once (its WM_NCDESTROY clears
// `bound`); from any other thread `request` is posted to it, and its own
// procedure destroys it.
void DestroyBoundWindow(HWND& bound, UINT request);

class Window {
public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Creates a window of a class registered under ThisModule (or a system
    // class), bound to this object from its first message.
    bool CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x, int y,
                  int width, int height, HWND parent, HMENU menuOrId, void* param = nullptr);
    // Binds an existing window of this thread (subclasses it).
    bool Attach(HWND hwnd);
    // Unbinds the window (restores its procedure, stops its timers) and
    // returns it.
    HWND Detach();
    // Destroys the window: at once on its own thread, else by a request posted
    // to its thread (the object must live until PostNcDestroy).
    void Destroy();

    // Starts (or restarts) timer `id` of the window: WM_TIMER with wParam id
    // every periodMs.  Stopped by StopTimer or at WM_DESTROY.
    bool StartTimer(UINT_PTR id, UINT periodMs);
    void StopTimer(UINT_PTR id);
    bool IsTimerRunning(UINT_PTR id) const;

    // Whether the calling thread is the window's own (true without a window).
    bool OnOwnThread() const;

    HWND hwnd() const { return hwnd_; }
    explicit operator bool() const { return hwnd_ != nullptr; }
    static Window* FromHandle(HWND hwnd);

    // The bound object's message handling.
    virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp);

protected:
    // Per-class handlers: true when the message was handled (result set).
    virtual bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    // The original window procedure for this message.
    LRESULT Default(UINT msg, WPARAM wp, LPARAM lp);
    // Called after the window is gone (WM_NCDESTROY).
    virtual void PostNcDestroy() {}

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK CreationHook(int code, WPARAM wp, LPARAM lp);
    // WindowProc inside the exception boundary.
    LRESULT GuardedWindowProc(UINT msg, WPARAM wp, LPARAM lp);
    void Subclass(HWND hwnd);
    void Unbind();
    void StopAllTimers();
    // Logs a fault when the calling thread is not the window's.
    void CheckOwnThread(const wchar_t* what) const;

    HWND hwnd_ = nullptr;
    WNDPROC oldProc_ = nullptr;
    std::vector<UINT_PTR> timers_;
};

// The module this copy of fx is linked into (the executable, or the DLL that
// links it): the instance under which fx registers its window classes and
// makes its windows, the windows of its threads included.
HINSTANCE ThisModule();

// Registers (once) a window class with DefWindowProcW and the given record
// under ThisModule and returns its generated name, the same for the same
// record.
std::wstring RegisterWindowClass(UINT style, HCURSOR cursor = nullptr, HBRUSH background = nullptr,
                                 HICON icon = nullptr);

// WM_ERASEBKGND's usual answer: fills hwnd's client area on dc with the button
// face; returns TRUE (erased).
LRESULT EraseWithButtonFace(HWND hwnd, HDC dc);

// Moves a top-level window to the centre of the primary work area.
void CenterOnScreen(HWND hwnd);

}  // namespace fx
