#include "fx/Fault.h"

#include <atomic>
#include <cstdarg>
#include <cwchar>
#include <exception>

namespace fx {

namespace {

std::atomic<FaultSink*> g_sink{nullptr};

// The file name of the module this code is linked into, without its extension.
void ModuleName(wchar_t (&out)[MAX_PATH]) {
    out[0] = L'\0';
    HMODULE self = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              reinterpret_cast<LPCWSTR>(&ModuleName), &self))
        return;
    wchar_t path[MAX_PATH];
    DWORD n = ::GetModuleFileNameW(self, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;
    const wchar_t* name = path;
    for (const wchar_t* p = path; *p; ++p)
        if (*p == L'\\' || *p == L'/') name = p + 1;
    wcsncpy(out, name, MAX_PATH - 1);
    out[MAX_PATH - 1] = L'\0';
    if (wchar_t* dot = wcsrchr(out, L'.')) *dot = L'\0';
}

}  // namespace

void SetFaultSink(FaultSink* sink) noexcept { g_sink.store(sink); }

void LogFault(const wchar_t* format, ...) {
    FaultSink* sink = g_sink.load();
    if (!sink || !sink->IsOpen()) return;
    wchar_t text[2048];
    va_list args;
    va_start(args, format);
    if (_vsnwprintf(text, 2047, format, args) < 0) text[2047] = L'\0';
    va_end(args);
    text[2047] = L'\0';
    wchar_t module[MAX_PATH];
    ModuleName(module);
    wchar_t line[MAX_PATH + 2048 + 8];
    if (_snwprintf(line, _countof(line) - 1, L"(%s) *** %s", module, text) < 0) line[_countof(line) - 1] = L'\0';
    line[_countof(line) - 1] = L'\0';
    sink->Write(line);
}

void LogCaughtException(const wchar_t* where) noexcept {
    try {
        try {
            throw;
        } catch (const std::exception& e) {
            LogFault(L"Exception caught in %s: %S", where, e.what());
        } catch (...) {
            LogFault(L"Exception caught in %s: unknown", where);
        }
    } catch (...) {
        // Logging itself failed: nothing more can be said.
    }
}

}  // namespace fx
