// A DLL that links its own copy of fx, for the fx tests: it makes a window
// with fx::Window from a class fx registered, and runs an fx thread, so that
// the test can see under which module fx registers and makes them when it is
// linked into a DLL rather than into the executable.
#include <windows.h>

#include <memory>

#include "fx/UiThread.h"
#include "fx/Window.h"

// The instance of the window made (0 when none could be made), and the
// generated name of its class.  Returns after the window and the thread have
// ended.
extern "C" __declspec(dllexport) BOOL FxProbeModules(HINSTANCE* windowInstance, wchar_t* className,
                                                     int classNameSize) {
    *windowInstance = nullptr;
    const std::wstring name = fx::RegisterWindowClass(CS_DBLCLKS);
    lstrcpynW(className, name.c_str(), classNameSize);
    {
        fx::Window window;
        if (window.CreateEx(0, name.c_str(), L"fx module probe", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr))
            *windowInstance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(window.hwnd(), GWLP_HINSTANCE));
        window.Destroy();
    }
    // A thread's start registers its message window's class.
    auto thread = fx::StartSuspended<fx::UiThread>(fx::Apartment::None);
    if (!thread) return FALSE;
    thread->Resume();
    bool ran = false;
    HANDLE done = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread->PostTask([&ran, done] {
        ran = true;
        ::SetEvent(done);
    });
    ::WaitForSingleObject(done, 5000);
    ::CloseHandle(done);
    bool ended = thread->Quit(5000);
    return ran && ended;
}
