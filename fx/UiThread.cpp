#include "fx/UiThread.h"

#include <ole2.h>

#include <cwchar>

#include "fx/ComApartment.h"
#include "fx/Fault.h"
#include "fx/ThreadSet.h"
#include "fx/Window.h"

namespace fx {

namespace {

constexpr UINT kCaretBlinkTimer = 0x0118;  // WM_SYSTIMER
constexpr const wchar_t* kMessageWindowClass = L"fx.UiThread.Messages";

UINT RunTasksMessage() {
    static const UINT msg = ::RegisterWindowMessageW(L"fx.UiThread.RunTasks");
    return msg;
}

UINT QuitMessage() {
    static const UINT msg = ::RegisterWindowMessageW(L"fx.UiThread.Quit");
    return msg;
}

// Milliseconds left of `bound` since `start` (0 once it has passed).
DWORD Remaining(DWORD start, DWORD bound) {
    DWORD elapsed = ::GetTickCount() - start;
    return elapsed >= bound ? 0 : bound - elapsed;
}

}  // namespace

bool DialogMessageFilter::PreTranslate(MSG& msg) {
    if (!dialog_ || !::IsWindow(dialog_)) return false;
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
    if (msg.hwnd != dialog_ && !::IsChild(dialog_, msg.hwnd)) return false;
    return ::IsDialogMessageW(dialog_, &msg) != FALSE;
}

UiThread::~UiThread() {
    // The derived parts the thread may still use are gone by now: ending it
    // here would come too late, so its owner ends it before deleting it, and
    // a thread found running is only logged (and left as it is).
    if (IsRunning()) {
        if (IsCurrent())
            LogFault(L"Thread %s destroyed its own object while running", name().c_str());
        else
            LogFault(L"Thread %s (%lu) was deleted while running: its owner did not end it first", name().c_str(),
                     static_cast<unsigned long>(threadId_));
    }
    ScopedLock hold(ThreadSet::MembershipLock());
    if (set_) set_->RemoveLocked(*this);
}

void EndThread::operator()(UiThread* thread) const noexcept {
    if (!thread) return;
    bool ended = true;
    if (thread->IsRunning() && !thread->IsCurrent()) {
        ended = false;
        Guarded(L"the end of an owned thread", [&] {
            thread->CancelWork();
            thread->RequestQuit();
            ended = thread->Join(UiThread::kDestroyQuitBoundMs);
            if (!ended) thread->LeaveRunning(UiThread::kDestroyQuitBoundMs);
        });
    }
    if (ended) delete thread;  // else the thread still uses it: it stays with the thread
}

bool UiThread::Start(Apartment apartment, bool suspended, int priority) {
    if (thread_ || threadId_) return false;
    apartment_ = apartment;
    DWORD id = 0;
    HANDLE h = ::CreateThread(nullptr, 0, &UiThread::ThreadEntry, this, CREATE_SUSPENDED, &id);
    if (!h) return false;
    thread_.reset(h);
    threadId_ = id;
    ::SetThreadPriority(h, priority);
    {
        ScopedLock hold(ThreadSet::MembershipLock());
        if (!set_) ThreadSet::Process().AddLocked(*this);
    }
    if (!suspended) Resume();
    return true;
}

void UiThread::Resume() {
    if (thread_) ::ResumeThread(thread_.get());
}

void UiThread::SetName(std::wstring name) {
    ScopedLock hold(lock_);
    name_ = std::move(name);
}

std::wstring UiThread::name() const {
    ScopedLock hold(lock_);
    if (!name_.empty()) return name_;
    wchar_t text[32];
    _snwprintf(text, 31, L"thread %lu", static_cast<unsigned long>(threadId_));
    text[31] = L'\0';
    return text;
}

bool UiThread::IsRunning() const {
    return thread_ && ::WaitForSingleObject(thread_.get(), 0) == WAIT_TIMEOUT;
}

bool UiThread::PostTask(Task task) {
    HWND wake = nullptr;
    {
        ScopedLock hold(lock_);
        if (ended_) return false;
        tasks_.push_back(std::move(task));
        if (messageWindow_ && !wakePending_) {
            wakePending_ = true;
            wake = messageWindow_;
        }
    }
    if (wake && !::PostMessageW(wake, RunTasksMessage(), 0, 0)) {
        // The queue is full: the next task posted tries again.
        ScopedLock hold(lock_);
        wakePending_ = false;
    }
    return true;
}

bool UiThread::PostThreadMessage(UINT msg, WPARAM wp, LPARAM lp) const {
    return threadId_ && ::PostThreadMessageW(threadId_, msg, wp, lp);
}

void UiThread::RequestQuit(int exitCode) {
    quitCode_.store(exitCode);
    quitRequested_.store(true);
    // The thread looks at the flag once its message window exists; before
    // that, the flag alone is enough.
    HWND window = nullptr;
    {
        ScopedLock hold(lock_);
        window = messageWindow_;
    }
    if (window) ::PostMessageW(window, QuitMessage(), 0, 0);
}

bool UiThread::Join(DWORD waitMs) {
    if (!thread_) return true;
    if (IsCurrent()) return false;
    return WaitDispatchingSent(thread_.get(), waitMs) == WAIT_OBJECT_0;
}

bool UiThread::Quit(DWORD waitMs) {
    if (!thread_) return true;
    if (IsCurrent()) {
        RequestQuit();
        return false;
    }
    RequestQuit();
    if (Join(waitMs)) return true;
    TerminateStraggler(thread_.get(), threadId_, name(), waitMs);
    return false;
}

void UiThread::LeaveRunning(DWORD waitedMs) {
    if (!IsRunning()) return;
    LogFault(L"Thread %s (%lu) did not end within %lu ms: left to the process's end", name().c_str(),
             static_cast<unsigned long>(threadId_), static_cast<unsigned long>(waitedMs));
    ScopedLock hold(ThreadSet::MembershipLock());
    if (set_) set_->RemoveLocked(*this);
}

void UiThread::TerminateStraggler(HANDLE thread, DWORD threadId, const std::wstring& name, DWORD waitedMs) {
    if (!thread || ::WaitForSingleObject(thread, 0) != WAIT_TIMEOUT) return;
    LogFault(L"Thread %s (%lu) did not end within %lu ms: terminated", name.c_str(),
             static_cast<unsigned long>(threadId), static_cast<unsigned long>(waitedMs));
    ::TerminateThread(thread, 1);
    ::WaitForSingleObject(thread, 1000);
}

void UiThread::AddMessageFilter(MessageFilter* filter) {
    if (threadId_ && !IsCurrent()) LogFault(L"Message filter added from outside %s", name().c_str());
    if (filter) filters_.push_back(filter);
}

void UiThread::RemoveMessageFilter(MessageFilter* filter) {
    for (size_t i = filters_.size(); i-- > 0;)
        if (filters_[i] == filter) {
            filters_.erase(filters_.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
}

DWORD WINAPI UiThread::ThreadEntry(void* self) {
    auto* t = static_cast<UiThread*>(self);
    // Nothing escapes the thread's entry (an exception there ends the process).
    DWORD code = 1;
    Guarded(L"a thread's entry", [&] { code = static_cast<DWORD>(t->Body(t->apartment_)); });
    return code;
}

void UiThread::Label(wchar_t (&out)[kLabelChars], const wchar_t* what) const noexcept {
    try {
        const std::wstring n = name();
        _snwprintf(out, kLabelChars - 1, L"%s of %s", what, n.c_str());
    } catch (...) {
        _snwprintf(out, kLabelChars - 1, L"%s of thread %lu", what, static_cast<unsigned long>(threadId_));
    }
    out[kLabelChars - 1] = L'\0';
}

int UiThread::RunOnCurrentThread() {
    HANDLE self = nullptr;
    ::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentThread(), ::GetCurrentProcess(), &self, 0, FALSE,
                      DUPLICATE_SAME_ACCESS);
    thread_.reset(self);
    threadId_ = ::GetCurrentThreadId();
    int code = Body(Apartment::None);
    thread_.reset();
    return code;
}

int UiThread::Body(Apartment apartment) {
    ComApartment com;
    bool ole = false;
    switch (apartment) {
    case Apartment::None: break;
    case Apartment::Sta: com.Start(COINIT_APARTMENTTHREADED); break;
    case Apartment::Mta: com.Start(COINIT_MULTITHREADED); break;
    case Apartment::Ole: ole = SUCCEEDED(::OleInitialize(nullptr)); break;
    }

    // The queue, and the message window that tasks and quit requests reach.
    MSG m;
    ::PeekMessageW(&m, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    HINSTANCE inst = ThisModule();
    WNDCLASSW wc{};
    if (!::GetClassInfoW(inst, kMessageWindowClass, &wc)) {
        wc.lpfnWndProc = &UiThread::MessageWindowProc;
        wc.hInstance = inst;
        wc.lpszClassName = kMessageWindowClass;
        ::RegisterClassW(&wc);
    }
    HWND window = ::CreateWindowExW(0, kMessageWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, inst, nullptr);
    if (window) ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    else LogFault(L"%s has no message window (error %lu)", name().c_str(), ::GetLastError());
    bool wake = false;
    {
        ScopedLock hold(lock_);
        messageWindow_ = window;
        wake = window && !tasks_.empty() && !wakePending_;
        if (wake) wakePending_ = true;
    }
    if (wake) ::PostMessageW(window, RunTasksMessage(), 0, 0);
    if (quitRequested_.load()) ::PostQuitMessage(quitCode_.load());

    // The thread's own work.  Its labels are built without allocating (a
    // failed allocation there would escape the guards).
    exitRan_ = false;
    int code = 0;
    bool started = false;
    wchar_t where[kLabelChars];
    Label(where, L"InitInstance");
    Guarded(where, [&] { started = InitInstance(); });
    if (started) {
        Label(where, L"the message loop");
        Guarded(where, [&] { code = Run(); });
    }
    if (!exitRan_) {
        Label(where, L"ExitInstance");
        Guarded(where, [&] { code = FinishInstance(); });
    }

    // No task is taken any more; those left are dropped here, on the thread.
    {
        ScopedLock hold(lock_);
        ended_ = true;
        messageWindow_ = nullptr;
    }
    Label(where, L"the tasks left");
    Guarded(where, [&] {
        std::deque<Task> dropped;
        {
            ScopedLock hold(lock_);
            dropped.swap(tasks_);
        }
        dropped.clear();
    });
    if (window) ::DestroyWindow(window);
    if (ole) ::OleUninitialize();
    com.Stop();
    return code;
}

int UiThread::FinishInstance() {
    exitRan_ = true;
    return ExitInstance();
}

LRESULT CALLBACK UiThread::MessageWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* t = reinterpret_cast<UiThread*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (t && msg == RunTasksMessage()) {
        t->RunTasks();
        return 0;
    }
    if (t && msg == QuitMessage()) {
        ::PostQuitMessage(t->quitCode_.load());
        return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wp, lp);
}

void UiThread::RunTasks() {
    // One task at a time, so that a task that enters a modal loop leaves the
    // next ones to that loop, in order.
    for (;;) {
        Task task;
        {
            ScopedLock hold(lock_);
            wakePending_ = false;
            if (tasks_.empty()) return;
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        Guarded(L"a task", [&] {
            if (task) task();
        });
    }
}

int UiThread::Run() {
    bool idle = true;
    LONG idleCount = 0;
    for (;;) {
        while (idle && !::PeekMessageW(&msg_, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle(idleCount++)) idle = false;
        }
        do {
            if (!PumpMessage()) return FinishInstance();
            if (IsIdleMessage(msg_)) {
                idle = true;
                idleCount = 0;
            }
        } while (::PeekMessageW(&msg_, nullptr, 0, 0, PM_NOREMOVE));
    }
}

bool UiThread::OnIdle(LONG count) { return count < 1; }

int UiThread::ExitInstance() { return static_cast<int>(msg_.wParam); }

bool UiThread::PreTranslateMessage(MSG& msg) {
    if (!msg.hwnd) return OnThreadMessage(msg);
    for (size_t i = filters_.size(); i-- > 0;) {
        if (i >= filters_.size()) continue;  // a filter removed others
        if (filters_[i]->PreTranslate(msg)) return true;
    }
    return false;
}

bool UiThread::PumpMessage() {
    BOOL r = ::GetMessageW(&msg_, nullptr, 0, 0);
    if (r <= 0) {
        if (r < 0) msg_.wParam = 0;
        return false;
    }
    if (!PreTranslateMessage(msg_)) {
        ::TranslateMessage(&msg_);
        ::DispatchMessageW(&msg_);
    }
    return true;
}

bool UiThread::IsIdleMessage(const MSG& msg) {
    if (msg.message == WM_MOUSEMOVE || msg.message == WM_NCMOUSEMOVE) {
        bool same = msg.message == lastMouseMsg_ && msg.pt.x == lastMousePos_.x && msg.pt.y == lastMousePos_.y;
        lastMouseMsg_ = msg.message;
        lastMousePos_ = msg.pt;
        return !same;
    }
    return msg.message != WM_PAINT && msg.message != kCaretBlinkTimer;
}

DWORD WaitDispatchingSent(HANDLE object, DWORD timeoutMs) {
    DWORD start = ::GetTickCount();
    DWORD count = object ? 1 : 0;
    for (;;) {
        DWORD left = Remaining(start, timeoutMs);
        DWORD r = ::MsgWaitForMultipleObjectsEx(count, object ? &object : nullptr, left, QS_SENDMESSAGE, 0);
        if (r == WAIT_OBJECT_0 + count) {
            // Only the messages sent from other threads are handled here.
            MSG m;
            ::PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
            if (Remaining(start, timeoutMs) == 0) return object ? ::WaitForSingleObject(object, 0) : WAIT_TIMEOUT;
            continue;
        }
        if (r == WAIT_OBJECT_0 && object) return WAIT_OBJECT_0;
        // A mutex left by a thread that ended: it is now ours.
        if (r == WAIT_ABANDONED_0 && object) return WAIT_ABANDONED;
        if (r == WAIT_TIMEOUT) return WAIT_TIMEOUT;
        return WAIT_FAILED;
    }
}

bool PollDispatchingSent(const std::function<bool()>& done, DWORD timeoutMs, DWORD pollMs) {
    DWORD start = ::GetTickCount();
    for (;;) {
        if (done()) return true;
        DWORD left = Remaining(start, timeoutMs);
        if (left == 0) return done();
        WaitDispatchingSent(nullptr, left < pollMs ? left : pollMs);
    }
}

}  // namespace fx
