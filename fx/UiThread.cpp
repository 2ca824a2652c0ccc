#include "fx/UiThread.h"

namespace fx {

namespace {
constexpr UINT kCaretBlinkTimer = 0x0118;  // WM_SYSTIMER
}

UiThread::~UiThread() = default;

bool UiThread::CreateThread(DWORD flags, int priority) {
    if (thread_) return false;
    HANDLE h = ::CreateThread(nullptr, 0, &UiThread::ThreadEntry, this, CREATE_SUSPENDED, &threadId_);
    if (!h) return false;
    thread_.reset(h);
    ::SetThreadPriority(h, priority);
    if (!(flags & CREATE_SUSPENDED)) Resume();
    return true;
}

void UiThread::Resume() {
    if (thread_) ::ResumeThread(thread_.get());
}

bool UiThread::IsRunning() const {
    return thread_ && ::WaitForSingleObject(thread_.get(), 0) == WAIT_TIMEOUT;
}

bool UiThread::PostThreadMessage(UINT msg, WPARAM wp, LPARAM lp) const {
    return threadId_ && ::PostThreadMessageW(threadId_, msg, wp, lp);
}

bool UiThread::Quit(DWORD waitMs) {
    if (!IsRunning()) return true;
    // A thread that has not made its queue yet loses a posted message: retry
    // until the wait runs out.
    DWORD start = ::GetTickCount();
    for (;;) {
        PostThreadMessage(WM_QUIT);
        DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= waitMs) break;
        DWORD slice = waitMs - elapsed < 50 ? waitMs - elapsed : 50;
        if (::WaitForSingleObject(thread_.get(), slice) == WAIT_OBJECT_0) return true;
    }
    if (::WaitForSingleObject(thread_.get(), 0) == WAIT_OBJECT_0) return true;
    ::TerminateThread(thread_.get(), 0);
    ::WaitForSingleObject(thread_.get(), 1000);
    return false;
}

DWORD WINAPI UiThread::ThreadEntry(void* self) {
    auto* t = static_cast<UiThread*>(self);
    MSG m;
    ::PeekMessageW(&m, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // make the queue
    if (!t->InitInstance()) return static_cast<DWORD>(t->ExitInstance());
    return static_cast<DWORD>(t->Run());
}

int UiThread::Run() {
    bool idle = true;
    LONG idleCount = 0;
    for (;;) {
        while (idle && !::PeekMessageW(&msg_, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle(idleCount++)) idle = false;
        }
        do {
            if (!PumpMessage()) return ExitInstance();
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

}  // namespace fx
