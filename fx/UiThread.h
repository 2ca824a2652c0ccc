// A user-interface thread: its own message loop with idle processing, started
// suspended or running, asked to quit with a thread WM_QUIT and waited for.
// The application object (fx/App.h) is the user-interface thread of the
// process's first thread and shares this loop.
#pragma once

#include <windows.h>

#include "fx/Handle.h"

namespace fx {

class UiThread {
public:
    UiThread() = default;
    virtual ~UiThread();
    UiThread(const UiThread&) = delete;
    UiThread& operator=(const UiThread&) = delete;

    // Starts a new thread that runs InitInstance, then Run (or ExitInstance
    // when InitInstance failed).  CREATE_SUSPENDED in flags leaves it waiting
    // for Resume.
    bool CreateThread(DWORD flags = 0, int priority = THREAD_PRIORITY_NORMAL);
    void Resume();

    HANDLE handle() const { return thread_.get(); }
    DWORD threadId() const { return threadId_; }
    bool IsRunning() const;
    bool PostThreadMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const;

    // Posts WM_QUIT to the thread, waits up to waitMs for it to end and only
    // then terminates it.  Returns true when it ended by itself.
    bool Quit(DWORD waitMs);

    // The thread's work.
    virtual bool InitInstance() { return true; }
    // The message loop: idle processing while the queue is empty, then one
    // message at a time; WM_QUIT ends it with ExitInstance's result.
    virtual int Run();
    // Idle processing; `count` grows while the queue stays empty.  Returns
    // whether more idle time is wanted.
    virtual bool OnIdle(LONG count);
    virtual int ExitInstance();

    // Called for each message before it is translated and dispatched; true
    // consumes it.  The default hands thread messages (no window) to
    // OnThreadMessage.
    virtual bool PreTranslateMessage(MSG& msg);
    // Messages posted to the thread itself; true when handled.
    virtual bool OnThreadMessage(const MSG&) { return false; }

    // The message being processed (its wParam is the exit code after WM_QUIT).
    const MSG& CurrentMessage() const { return msg_; }

protected:
    // False when GetMessage met WM_QUIT (or failed).
    bool PumpMessage();
    // Whether a message restarts idle processing: all but a mouse move to the
    // same position, a paint message and the caret-blink timer.
    bool IsIdleMessage(const MSG& msg);

private:
    static DWORD WINAPI ThreadEntry(void* self);

    UniqueHandle thread_;
    DWORD threadId_ = 0;
    MSG msg_{};
    POINT lastMousePos_{-1, -1};
    UINT lastMouseMsg_ = 0;
};

}  // namespace fx
