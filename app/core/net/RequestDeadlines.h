// The overall deadlines of requests: one thread ("RequestDeadlines", started
// by the first watch and quit with the process's threads) looks at the
// watched requests every kCheckMs and cancels each one whose bound has
// passed (RequestCancel::Reason::DeadlinePassed), which closes its request
// handle and so ends the send or read its own thread waits in.  A request
// that has ended drops out by itself: the watch holds its token weakly.
#pragma once

#include <windows.h>

#include <memory>

#include "app/core/net/RequestCancel.h"

namespace request_deadlines {

constexpr DWORD kCheckMs = 50;

// Cancels `cancel` once boundMs from now has passed (unless it has gone by
// then).  False, logged, when the watching thread does not run: the request
// then has its per-call time-outs only.
bool Watch(const std::shared_ptr<RequestCancel>& cancel, DWORD boundMs);

}  // namespace request_deadlines
