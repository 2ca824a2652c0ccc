// A user-interface thread: a thread with its own message loop, made by its
// owner (suspended, so that the owner can fill in its data), given a COM
// apartment, driven by tasks and messages, asked to quit and joined within a
// bound.  Every thread of the program is one of these; the application object
// (fx/App.h) is the first one and runs on the process's first thread.
//
// Life of a thread object
//   auto t = fx::StartSuspended<PanelThread>(fx::Apartment::Mta);  // not running
//   t->record = ...;                  // fill in the launch data
//   t->Resume();                      // InitInstance, then Run, on the thread
//   t->PostTask([p = t.get()] { p->Reload(); });   // from any thread
//   t->Quit(2000);                    // RequestQuit + Join, straggler terminated
//   fx::ThreadOwner<PanelThread> owner = std::move(t);   // ends it before deleting it
// On the new thread: the apartment is started, the thread's message window is
// made, InitInstance runs (false skips Run), Run pumps messages until WM_QUIT,
// ExitInstance gives the exit code; then queued tasks are dropped, the message
// window is destroyed and the apartment ended.  An exception escaping
// InitInstance, Run, ExitInstance or a task is logged (fx/Fault.h) and the
// process goes on.
//
// Rules
// - The owner keeps the object and ends the thread (Quit, EndOrLeave, or its
//   set's QuitAll) before deleting it; an fx::ThreadOwner does so by itself
//   when it is reset or goes.  The destructor comes too late for that, after
//   the derived parts the thread may still use: finding the thread running,
//   it only logs the fault.  A thread never deletes its own object.
// - Message filters are added and removed on the thread itself.
// - Nothing ends a thread but its own return; a thread that does not end
//   within its bound is terminated in one place only (TerminateStraggler,
//   logged), by Quit or ThreadSet::QuitAll.
// - An owner whose thread may be stopped inside a library call (holding the
//   loader's or the heap's lock) never has it terminated: EndOrLeave leaves
//   a thread that does not end within its bound running until the process
//   ends (LeaveRunning, logged), with its object.
#pragma once

#include <windows.h>

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "fx/Handle.h"
#include "fx/Lock.h"

namespace fx {

class ThreadSet;

// The COM start a thread makes for itself (and ends when it ends).
enum class Apartment {
    None,  // no COM start
    Sta,   // CoInitializeEx, apartment-threaded
    Mta,   // CoInitializeEx, multithreaded
    Ole,   // OleInitialize (apartment-threaded, with OLE's clipboard and drag-and-drop)
};

// A pre-translate filter: sees each message of the thread's loop before it is
// translated and dispatched (hosted controls' accelerators, dialog keys).
class MessageFilter {
public:
    virtual ~MessageFilter() = default;
    // True consumes the message.
    virtual bool PreTranslate(MSG& msg) = 0;
};

// Dialog keys (Tab, arrows, Enter, Esc) for one modeless dialog or control parent.
class DialogMessageFilter : public MessageFilter {
public:
    explicit DialogMessageFilter(HWND dialog) : dialog_(dialog) {}
    bool PreTranslate(MSG& msg) override;

private:
    HWND dialog_;
};

class UiThread {
public:
    using Task = std::function<void()>;

    // What an owner about to delete a still running thread gives it to quit
    // (then a ThreadOwner leaves it running, Quit terminates it).
    static constexpr DWORD kDestroyQuitBoundMs = 2000;

    UiThread() = default;
    virtual ~UiThread();
    UiThread(const UiThread&) = delete;
    UiThread& operator=(const UiThread&) = delete;

    // Makes the thread (suspended when asked; Resume starts it) with the given
    // apartment and priority, and puts it into ThreadSet::Process() unless it
    // is already in a set.  False when it was started before or CreateThread
    // failed.
    bool Start(Apartment apartment, bool suspended, int priority = THREAD_PRIORITY_NORMAL);
    void Resume();

    // The thread's name in log lines (default: "thread <id>").
    void SetName(std::wstring name);
    std::wstring name() const;

    HANDLE handle() const { return thread_.get(); }
    DWORD threadId() const { return threadId_; }
    bool IsRunning() const;
    bool IsCurrent() const { return threadId_ != 0 && threadId_ == ::GetCurrentThreadId(); }

    // Runs `task` on the thread, from any thread.  Tasks run in order from the
    // thread's message loop and from any modal loop on it (a message box, a
    // dialog, a menu): they arrive as a message to the thread's message-only
    // window.  Tasks posted before the thread runs wait for it.  False (the
    // task dropped) once the thread has ended.
    bool PostTask(Task task);
    // A thread message (hwnd NULL) for OnThreadMessage; lost while the thread
    // is in a modal loop, so prefer PostTask.
    bool PostThreadMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const;

    // Asks the thread to quit (its loop ends with WM_QUIT and `exitCode`), also
    // from a modal loop on it, and also before it has started running.
    // Returns at once.
    void RequestQuit(int exitCode = 0);
    // Any thread: cuts short what the thread is busy with, so that it soon
    // sees a quit (the download thread closes its running request).  A
    // ThreadOwner and EndOrLeave call it before they ask the thread to quit;
    // by default nothing.
    virtual void CancelWork() {}
    bool QuitRequested() const { return quitRequested_.load(); }
    // Waits up to waitMs for the thread to end, dispatching messages sent to
    // the calling thread meanwhile.  True when it has ended (or never started).
    bool Join(DWORD waitMs);
    // RequestQuit, Join(waitMs), and TerminateStraggler when it did not end.
    // True when the thread ended by itself.
    bool Quit(DWORD waitMs);

    // The thread's pre-translate filters, for this thread only.
    void AddMessageFilter(MessageFilter* filter);
    void RemoveMessageFilter(MessageFilter* filter);

    // The thread's work, overridden by each thread class.
    virtual bool InitInstance() { return true; }
    // The message loop: idle processing while the queue is empty, then one
    // message at a time; WM_QUIT ends it with ExitInstance's result.
    virtual int Run();
    // Idle processing (`count` grows while the queue stays empty); true wants
    // more idle calls.  The default wants only the first (count 0).
    virtual bool OnIdle(LONG count);
    virtual int ExitInstance();

    // Called for each message before it is translated and dispatched; true
    // consumes it.  The default hands thread messages (no window) to
    // OnThreadMessage and the others to the filters, the last added first.
    virtual bool PreTranslateMessage(MSG& msg);
    // Messages posted to the thread itself; true when handled.
    virtual bool OnThreadMessage(const MSG&) { return false; }

    // The message being processed (its wParam is the exit code after WM_QUIT).
    const MSG& CurrentMessage() const { return msg_; }

    // A thread that has not ended is left running until the process ends:
    // logs "Thread <name> (<id>) did not end within <waited> ms: left to the
    // process's end" and takes it out of its set, so that no QuitAll
    // terminates it.  Its object must live on (EndOrLeave keeps it).
    void LeaveRunning(DWORD waitedMs);

    // The one place a thread is ended from outside: logs
    // "Thread <name> (<id>) did not end within <waited> ms: terminated" and
    // terminates it.  Only Quit and ThreadSet::QuitAll call it.
    static void TerminateStraggler(HANDLE thread, DWORD threadId, const std::wstring& name, DWORD waitedMs);

protected:
    // Runs start, loop and end on the calling thread instead of a new one (the
    // application object's way); returns the exit code.
    int RunOnCurrentThread();
    // False when GetMessage met WM_QUIT (or failed).
    bool PumpMessage();
    // Whether a message restarts idle processing: all but a mouse move to the
    // same position, a paint message and the caret-blink timer.
    bool IsIdleMessage(const MSG& msg);

private:
    friend class ThreadSet;
    static DWORD WINAPI ThreadEntry(void* self);
    static LRESULT CALLBACK MessageWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    // Start, loop and end on the current thread (the thread's entry).
    int Body(Apartment apartment);
    // "<what> of <name>" for the guards' log lines, built without throwing.
    static constexpr size_t kLabelChars = 160;
    void Label(wchar_t (&out)[kLabelChars], const wchar_t* what) const noexcept;
    // ExitInstance, remembered as run (Body runs it after a Run that threw
    // before reaching it).
    int FinishInstance();
    void RunTasks();

    UniqueHandle thread_;
    DWORD threadId_ = 0;
    Apartment apartment_ = Apartment::None;
    MSG msg_{};
    bool exitRan_ = false;
    POINT lastMousePos_{-1, -1};
    UINT lastMouseMsg_ = 0;
    std::vector<MessageFilter*> filters_;

    // Shared with other threads, under lock_: the task queue, the message
    // window, whether a wake-up message is on its way, whether tasks are still
    // taken, the name.
    mutable CriticalSection lock_;
    std::deque<Task> tasks_;
    HWND messageWindow_ = nullptr;
    bool wakePending_ = false;
    bool ended_ = false;
    std::wstring name_;
    std::atomic<bool> quitRequested_{false};
    std::atomic<int> quitCode_{0};

    ThreadSet* set_ = nullptr;  // under ThreadSet's membership lock
};

// Makes a T (default-constructed, or from args) and starts it suspended with
// the given apartment; null when the thread could not be made.
template <class T, class... Args>
std::unique_ptr<T> StartSuspended(Apartment apartment, Args&&... args) {
    auto t = std::make_unique<T>(std::forward<Args>(args)...);
    if (!t->Start(apartment, true)) return nullptr;
    return t;
}

// How a ThreadOwner lets go of its thread: a running thread is ended first
// (CancelWork, RequestQuit, and a wait of kDestroyQuitBoundMs dispatching sent
// messages), never terminated.  An ended thread's object is deleted; one still
// running is left to the process's end (UiThread::LeaveRunning, logged) with
// its object, which the thread still uses.
struct EndThread {
    EndThread() = default;
    // A thread made by std::make_unique or StartSuspended becomes owned.
    template <class U>
    EndThread(const std::default_delete<U>&) noexcept {}
    void operator()(UiThread* thread) const noexcept;
};

// The holder of a thread object: a std::unique_ptr whose reset, reassignment
// and end first end the thread (EndThread).
template <class T>
using ThreadOwner = std::unique_ptr<T, EndThread>;

// Ends an owned thread without ever terminating it: cuts its work short
// (CancelWork), asks it to quit and waits up to waitMs (dispatching sent
// messages).  An ended thread's object is
// destroyed (thread becomes null); a thread still running is left to the
// process's end (UiThread::LeaveRunning) and its object is let go, never
// destroyed, as the thread still uses it.  True when the thread ended (or
// there was none).
template <class T, class D>
bool EndOrLeave(std::unique_ptr<T, D>& thread, DWORD waitMs) {
    if (!thread) return true;
    thread->CancelWork();
    thread->RequestQuit();
    if (thread->Join(waitMs)) {
        thread.reset();
        return true;
    }
    thread->LeaveRunning(waitMs);
    static_cast<void>(thread.release());
    return false;
}

// Waits up to timeoutMs for `object` while dispatching only messages that other
// threads send to this one (SendMessage): no posted message, input or timer is
// taken from the queue, so a handshake on the user-interface thread neither
// re-enters its own handlers nor deadlocks with a thread that sends to it.
// Returns WAIT_OBJECT_0, WAIT_TIMEOUT or WAIT_FAILED (WAIT_ABANDONED for a mutex
// whose owner ended without releasing it: the caller now owns it).
DWORD WaitDispatchingSent(HANDLE object, DWORD timeoutMs);
// Polls `done` every pollMs (dispatching sent messages between polls) until it
// is true or timeoutMs has passed; returns its last value.
bool PollDispatchingSent(const std::function<bool()>& done, DWORD timeoutMs, DWORD pollMs = 50);

}  // namespace fx
