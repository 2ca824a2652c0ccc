// Faults that must not end the process: a line in the shared debug log
// ("(<module>) *** ..."), and the exception boundary that every window
// procedure and thread entry of fx runs its work inside.
//
// fx knows no log of its own: it hands its fault lines to a FaultSink, which
// the debug log (log/Logger.cpp) installs into the copy of fx of every module
// that links the log.  A module without the log drops its faults.
#pragma once

#include <windows.h>

namespace fx {

// Where this module's fault lines go.  Implemented above fx; installed once,
// at the start of the module, and never removed.
class FaultSink {
public:
    // Whether a line written now goes anywhere (the module has a log open).
    virtual bool IsOpen() const = 0;
    // Writes one finished line.
    virtual void Write(const wchar_t* line) = 0;

protected:
    ~FaultSink() = default;
};

// Installs the sink of this module's copy of fx (nullptr: faults are dropped).
void SetFaultSink(FaultSink* sink) noexcept;

// Writes "(<module>) *** " and the formatted text into the fault sink,
// <module> being the file name (without extension) of the executable or DLL
// that links this copy of fx.  Nothing happens while the sink is not open.
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
