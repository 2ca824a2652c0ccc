#include "AllocationFaults.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<DWORD> g_FailingThread{0};

}  // namespace

namespace testsupport {

void FailAllocationsOn(DWORD threadId) { g_FailingThread = threadId; }

}  // namespace testsupport

// The replacement: the library's operator delete frees with free().
void* operator new(std::size_t size) {
    const DWORD failing = g_FailingThread.load();
    if (failing != 0 && failing == ::GetCurrentThreadId()) throw std::bad_alloc();
    if (size == 0) size = 1;
    for (;;) {
        if (void* p = std::malloc(size)) return p;
        std::new_handler handler = std::get_new_handler();
        if (!handler) throw std::bad_alloc();
        handler();
    }
}
