// Faults that must not end the process: a line in the shared debug log
// ("(<module>) *** ..."), and the exception boundary that every window
// procedure and thread entry of fx runs its work inside.
#pragma once

#include <windows.h>

namespace fx {

// Writes "(<module>) *** " and the formatted text into the debug log, <module>
// being the file name (without extension) of the executable or DLL that links
// this copy of fx.  Nothing happens while the module has no log.
void LogFault(const wchar_t* format, ...);

// Inside a catch block: logs the exception being handled as
// "Exception caught in <where>: <what>" (std::exception's text, or "unknown").
void LogCaughtException(const wchar_t* where) noexcept;

// Runs work(); an exception escaping it is logged with `where` and swallowed.
// Returns whether work() ran to its end.
template <class F>
bool Guarded(const wchar_t* where, F&& work) noexcept {
    try {
        work();
        return true;
    } catch (...) {
        LogCaughtException(where);
        return false;
    }
}

}  // namespace fx
