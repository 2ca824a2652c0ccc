// A critical section (re-entrant for its owning thread) and its scoped holder.
#pragma once

#include <windows.h>

namespace fx {

class CriticalSection {
public:
    CriticalSection() { ::InitializeCriticalSection(&cs_); }
    ~CriticalSection() { ::DeleteCriticalSection(&cs_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void Lock() { ::EnterCriticalSection(&cs_); }
    void Unlock() { ::LeaveCriticalSection(&cs_); }
    // Takes it only when no other thread holds it; true when taken (Unlock follows).
    bool TryLock() { return ::TryEnterCriticalSection(&cs_) != FALSE; }

private:
    CRITICAL_SECTION cs_;
};

// Holds a critical section from construction to destruction.
class ScopedLock {
public:
    explicit ScopedLock(CriticalSection& cs) : cs_(cs) { cs_.Lock(); }
    ~ScopedLock() { cs_.Unlock(); }
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;

private:
    CriticalSection& cs_;
};

}  // namespace fx
