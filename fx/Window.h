// Window wrapper: a C++ object bound to a window of a registered class.  The
// classes are registered with DefWindowProcW; the wrapper subclasses its window
// from the first message on (a creation hook catches WM_NCCREATE) and hands
// every message to the derived class's OnMessage, whose handlers name the steps
// they perform.  Messages a class does not handle go to the original procedure.
#pragma once

#include <windows.h>

#include <string>

namespace fx {

class Window {
public:
    Window() = default;
    virtual ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Creates a window of a registered class, bound to this object from its
    // first message.
    bool CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x, int y,
                  int width, int height, HWND parent, HMENU menuOrId, void* param = nullptr);
    // Binds an existing window of this thread (subclasses it).
    bool Attach(HWND hwnd);
    // Unbinds the window (restores its procedure) and returns it.
    HWND Detach();
    void Destroy();

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
    void Subclass(HWND hwnd);

    HWND hwnd_ = nullptr;
    WNDPROC oldProc_ = nullptr;
};

// Registers (once) a window class with DefWindowProcW and the given record
// and returns its generated name, the same for the same record.
std::wstring RegisterWindowClass(UINT style, HCURSOR cursor = nullptr, HBRUSH background = nullptr,
                                 HICON icon = nullptr);

// WM_ERASEBKGND's usual answer: fills hwnd's client area on dc with the button
// face; returns TRUE (erased).
LRESULT EraseWithButtonFace(HWND hwnd, HDC dc);

// Moves a top-level window to the centre of the primary work area.
void CenterOnScreen(HWND hwnd);

}  // namespace fx
