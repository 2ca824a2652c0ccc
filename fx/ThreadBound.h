// A value that belongs to one thread, as a window belongs to the thread that
// made it: fx::ThreadBound<T> remembers its thread (the one that made it) and
// every use from another thread is logged as a fault ("<name> used on thread
// <id>, not its own thread <id>"), the same check fx::Window makes of the
// calls that must come from the window's thread.  The use goes on (the log
// names the place to mend); the check costs one thread-id read.
//
//   fx::ThreadBound<int> m_Count{L"CPondrelApp::m_Count"};
//   m_Count.Set(3);  int n = m_Count.Get();  m_Count->... ;
#pragma once

#include <windows.h>

#include <utility>

#include "fx/Fault.h"

namespace fx {

template <class T>
class ThreadBound {
public:
    template <class... A>
    explicit ThreadBound(const wchar_t* name, A&&... args) : name_(name), value_(std::forward<A>(args)...) {}
    ThreadBound(const ThreadBound&) = delete;
    ThreadBound& operator=(const ThreadBound&) = delete;

    T& Get() {
        CheckOwnThread();
        return value_;
    }
    const T& Get() const {
        CheckOwnThread();
        return value_;
    }
    T* operator->() { return &Get(); }
    const T* operator->() const { return &Get(); }
    void Set(T value) { Get() = std::move(value); }

    // Whether the calling thread is the value's own.
    bool OnOwnThread() const { return ::GetCurrentThreadId() == thread_; }
    DWORD OwnThread() const { return thread_; }

private:
    void CheckOwnThread() const {
        if (OnOwnThread()) return;
        LogFault(L"%s used on thread %lu, not its own thread %lu", name_,
                 static_cast<unsigned long>(::GetCurrentThreadId()), static_cast<unsigned long>(thread_));
    }

    const wchar_t* name_;
    const DWORD thread_ = ::GetCurrentThreadId();
    T value_;
};

}  // namespace fx
