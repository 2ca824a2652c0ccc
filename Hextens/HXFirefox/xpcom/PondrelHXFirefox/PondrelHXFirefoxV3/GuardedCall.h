// A call guarded by a frame-based exception handler of its own, the way a
// structured __try/__except block guards its body.  For the length of the
// call the handler sits on this thread's handler chain: on i686 an
// exception-registration record pushed on fs:[0], on x86-64 the handler
// named in the unwind information of the function that makes the call.
// Frames inside the call see every exception first; a hardware fault that
// none of them handles reaches the guard, which unwinds those frames (their
// own handlers clean up) and ends the call with the result 0.  Every other
// exception goes on to the handlers outside.
#pragma once

#include <cstdint>

extern "C" {

// Must not let a C++ exception out (on i686 DWARF unwinding would leave the
// guard's record on fs:[0]).
typedef uint32_t (*GuardedProc)(void* context);

// call(context), or 0 when a fault that no inner frame handled ended it.
uint32_t GuardedCall(GuardedProc call, void* context);
}
