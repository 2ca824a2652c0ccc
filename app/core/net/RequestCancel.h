// Ends a request from another thread: the thread that makes the request
// attaches its request handle while the request runs; Cancel, on any thread,
// closes that handle, which ends a send or read waiting on it (WinINet's way
// of cancelling a blocking call), and makes every later attach fail.  Once
// cancelled, a token stays cancelled.
//
// The handle is closed exactly once: by Cancel when it took it, else by its
// request thread after Detach.  A request thread that finds its handle taken
// never touches it again, and its Detach waits (a bounded time) until
// Cancel's close is done, so that the request's connection and session are
// closed after it.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <atomic>

#include "fx/Handle.h"
#include "fx/Lock.h"

class RequestCancel {
public:
    // Why a request was cancelled.
    enum class Reason { None, Cancelled, DeadlinePassed };

    RequestCancel();
    RequestCancel(const RequestCancel&) = delete;
    RequestCancel& operator=(const RequestCancel&) = delete;

    // Any thread: closes the attached handle (if any) and fails every later
    // attach.  The first reason given stays.
    void Cancel(Reason reason = Reason::Cancelled);
    bool IsCancelled() const { return reason_.load() != Reason::None; }
    Reason reason() const { return reason_.load(); }

    // The request's thread.  Attach: false (nothing attached, the caller
    // keeps its handle) once cancelled.
    bool Attach(HINTERNET request);
    // What became of an attached handle when the request ends.
    enum class Detached {
        Owned,      // the caller has it back and closes it
        Closed,     // Cancel closed it: the caller lets go of it
        StillClosing,  // Cancel's close has not come back within the bound:
                       // the caller lets go of it and of the handles it hangs on
    };
    Detached Detach(HINTERNET request);

    // How long Detach waits for Cancel's close.
    static constexpr DWORD kCloseWaitMs = 5000;

private:
    fx::CriticalSection lock_;
    HINTERNET request_ = nullptr;  // attached; lock_
    bool closing_ = false;         // Cancel is closing the handle it took; lock_
    fx::UniqueHandle closed_;      // manual-reset event: no close is running
    std::atomic<Reason> reason_{Reason::None};
};
