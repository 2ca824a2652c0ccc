// A set of user-interface threads that is quit as a whole within one time
// bound.  Every started fx::UiThread is in exactly one set: the process's set
// (ThreadSet::Process()) unless its owner moved it into another one.  A thread
// object leaves its set when it is destroyed.  The process's set is never
// destroyed (threads may outlive the other static objects).
#pragma once

#include <windows.h>

#include <cstddef>
#include <vector>

#include "fx/Lock.h"

namespace fx {

class UiThread;

class ThreadSet {
public:
    ThreadSet() = default;
    ~ThreadSet();
    ThreadSet(const ThreadSet&) = delete;
    ThreadSet& operator=(const ThreadSet&) = delete;

    // The process's set; the application's end quits what is left in it.
    static ThreadSet& Process();

    // Puts `thread` into this set (taking it out of its previous one).
    void Add(UiThread& thread);
    void Remove(UiThread& thread);
    size_t size() const;

    // Asks every thread of the set to quit, then waits until all have ended or
    // boundMs has passed (one bound for all of them, not one each), dispatching
    // sent messages meanwhile; the threads still running then are terminated
    // (UiThread::TerminateStraggler, logged).  Returns how many had to be
    // terminated.  The threads stay in the set.
    size_t QuitAll(DWORD boundMs);

private:
    friend class UiThread;
    // Membership of every set changes under one process-wide lock.
    static CriticalSection& MembershipLock();
    void AddLocked(UiThread& thread);
    void RemoveLocked(UiThread& thread);

    std::vector<UiThread*> threads_;
};

}  // namespace fx
