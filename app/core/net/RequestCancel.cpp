#include "app/core/net/RequestCancel.h"

#include "fx/UiThread.h"

RequestCancel::RequestCancel() : closed_(::CreateEventW(nullptr, TRUE, TRUE, nullptr)) {}

void RequestCancel::Cancel(Reason reason) {
    if (reason == Reason::None) reason = Reason::Cancelled;
    HINTERNET taken = nullptr;
    {
        fx::ScopedLock hold(lock_);
        Reason none = Reason::None;
        reason_.compare_exchange_strong(none, reason);
        taken = request_;
        request_ = nullptr;
        if (taken) {
            closing_ = true;
            if (closed_) ::ResetEvent(closed_.get());
        }
    }
    if (!taken) return;
    // Outside the lock: WinINet takes its own while it closes.
    ::InternetCloseHandle(taken);
    fx::ScopedLock hold(lock_);
    closing_ = false;
    if (closed_) ::SetEvent(closed_.get());
}

bool RequestCancel::Attach(HINTERNET request) {
    fx::ScopedLock hold(lock_);
    if (IsCancelled() || !request) return false;
    request_ = request;
    return true;
}

RequestCancel::Detached RequestCancel::Detach(HINTERNET request) {
    {
        fx::ScopedLock hold(lock_);
        if (request && request_ == request) {
            request_ = nullptr;
            return Detached::Owned;
        }
        if (!closing_) return Detached::Closed;
    }
    if (closed_ && fx::WaitDispatchingSent(closed_.get(), kCloseWaitMs) == WAIT_OBJECT_0) return Detached::Closed;
    return Detached::StillClosing;
}
