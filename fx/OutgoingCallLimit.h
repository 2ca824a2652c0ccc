// A bound on the outgoing COM calls of a single-threaded apartment's thread.
// While an OutgoingCallLimit lives, a message filter registered for the
// thread's apartment asks COM to cancel any outgoing call that has not
// returned after the limit, and a thread timer keeps messages arriving so
// that COM asks the filter while a call waits.  The filter registered before
// comes back when the scope ends.  Incoming calls are handled as without a
// filter; a call the other side rejects is not retried.
//
// A cancelled call returns RPC_E_CALL_CANCELED to its caller.  Windows ends
// the call's wait at once; Wine's modal loop asks the filter only when a
// posted or sent message arrives, and keeps waiting for the call's end even
// after a cancel (it then returns RPC_E_CALL_CANCELED as well).
#pragma once

#include <windows.h>
#include <objidl.h>

namespace fx {

class OutgoingCallLimit {
public:
    explicit OutgoingCallLimit(DWORD limitMs);
    ~OutgoingCallLimit();
    OutgoingCallLimit(const OutgoingCallLimit&) = delete;
    OutgoingCallLimit& operator=(const OutgoingCallLimit&) = delete;

    // False when no filter could be registered (the thread is in no
    // single-threaded apartment): calls are then not bounded.
    bool active() const { return registered_; }
    // The filter asked COM to cancel a call during this scope.
    bool cancelled() const;

private:
    class Filter;
    Filter* filter_ = nullptr;
    IMessageFilter* previous_ = nullptr;
    bool registered_ = false;
    UINT_PTR timer_ = 0;
};

}  // namespace fx
