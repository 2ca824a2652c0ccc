#include "fx/ComModule.h"

#include <vector>

namespace fx {
namespace {
HINSTANCE g_instance = nullptr;
LONG g_locks = 0;
}  // namespace

void SetModuleInstance(HINSTANCE instance) { g_instance = instance; }

HINSTANCE ModuleInstance() {
    return g_instance ? g_instance : ::GetModuleHandleW(nullptr);
}

std::wstring ModulePath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD n = ::GetModuleFileNameW(ModuleInstance(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return std::wstring();
        if (n < buffer.size()) return std::wstring(buffer.data(), n);
        buffer.resize(buffer.size() * 2);
    }
}

void LockModule() { ::InterlockedIncrement(&g_locks); }
void UnlockModule() { ::InterlockedDecrement(&g_locks); }
LONG ModuleLockCount() { return ::InterlockedCompareExchange(&g_locks, 0, 0); }

}  // namespace fx
