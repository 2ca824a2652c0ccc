#include "fx/ThreadSet.h"

#include <algorithm>
#include <string>

#include "fx/Handle.h"
#include "fx/UiThread.h"

namespace fx {

CriticalSection& ThreadSet::MembershipLock() {
    static CriticalSection* lock = new CriticalSection;  // never destroyed
    return *lock;
}

ThreadSet& ThreadSet::Process() {
    static ThreadSet* set = new ThreadSet;  // never destroyed
    return *set;
}

ThreadSet::~ThreadSet() {
    ScopedLock hold(MembershipLock());
    for (UiThread* t : threads_) t->set_ = nullptr;
    threads_.clear();
}

void ThreadSet::Add(UiThread& thread) {
    ScopedLock hold(MembershipLock());
    if (thread.set_ == this) return;
    if (thread.set_) thread.set_->RemoveLocked(thread);
    AddLocked(thread);
}

void ThreadSet::Remove(UiThread& thread) {
    ScopedLock hold(MembershipLock());
    if (thread.set_ == this) RemoveLocked(thread);
}

size_t ThreadSet::size() const {
    ScopedLock hold(MembershipLock());
    return threads_.size();
}

void ThreadSet::AddLocked(UiThread& thread) {
    threads_.push_back(&thread);
    thread.set_ = this;
}

void ThreadSet::RemoveLocked(UiThread& thread) {
    threads_.erase(std::remove(threads_.begin(), threads_.end(), &thread), threads_.end());
    thread.set_ = nullptr;
}

size_t ThreadSet::QuitAll(DWORD boundMs) {
    // Under the lock only non-blocking steps: the quit requests (posted) and
    // copies of the handles, which stay valid whatever happens to the objects.
    struct Running {
        UniqueHandle handle;
        DWORD id;
        std::wstring name;
    };
    std::vector<Running> running;
    {
        ScopedLock hold(MembershipLock());
        HANDLE process = ::GetCurrentProcess();
        for (UiThread* t : threads_) {
            if (!t->IsRunning() || t->IsCurrent()) continue;
            t->RequestQuit();
            HANDLE copy = nullptr;
            if (::DuplicateHandle(process, t->handle(), process, &copy, SYNCHRONIZE | THREAD_TERMINATE, FALSE, 0))
                running.push_back({UniqueHandle(copy), t->threadId(), t->name()});
        }
    }
    DWORD start = ::GetTickCount();
    for (Running& r : running) {
        DWORD elapsed = ::GetTickCount() - start;
        WaitDispatchingSent(r.handle.get(), elapsed >= boundMs ? 0 : boundMs - elapsed);
    }
    size_t terminated = 0;
    for (Running& r : running) {
        if (::WaitForSingleObject(r.handle.get(), 0) != WAIT_TIMEOUT) continue;
        UiThread::TerminateStraggler(r.handle.get(), r.id, r.name, boundMs);
        ++terminated;
    }
    return terminated;
}

}  // namespace fx
