// Allocation failures on demand, for tests of the exception boundaries: while
// armed for a thread, every operator new on that thread throws
// std::bad_alloc.  Linking pondrel_allocfaults replaces the test program's
// global operator new (which otherwise allocates as the library's does).
#pragma once

#include <windows.h>

namespace testsupport {

// Arms the failures for the thread (0: for none).  Any thread.
void FailAllocationsOn(DWORD threadId);

// Arms them for the calling thread for the scope's life.
class FailingAllocationsHere {
public:
    FailingAllocationsHere() { FailAllocationsOn(::GetCurrentThreadId()); }
    ~FailingAllocationsHere() { FailAllocationsOn(0); }
    FailingAllocationsHere(const FailingAllocationsHere&) = delete;
    FailingAllocationsHere& operator=(const FailingAllocationsHere&) = delete;
};

}  // namespace testsupport
