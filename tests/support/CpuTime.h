// CPU time used so far, for the tests and benchmarks that measure how much a
// thread or the whole process works while it should idle (header only).
#pragma once

#include <windows.h>

namespace testsupport {

inline double CpuSecondsOf(const FILETIME& kernel, const FILETIME& user) {
    auto ticks = [](const FILETIME& f) {
        return (static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime;
    };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 1e7;
}

// The kernel and user time a thread has used, in seconds (0 when the handle
// cannot be asked).
inline double ThreadCpuSeconds(HANDLE thread) {
    FILETIME created, exited, kernel, user;
    if (!::GetThreadTimes(thread, &created, &exited, &kernel, &user)) return 0;
    return CpuSecondsOf(kernel, user);
}

// The kernel and user time this process has used, in seconds.
inline double ProcessCpuSeconds() {
    FILETIME created, exited, kernel, user;
    if (!::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
    return CpuSecondsOf(kernel, user);
}

}  // namespace testsupport
