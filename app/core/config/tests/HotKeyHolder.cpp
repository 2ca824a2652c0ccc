// Test helper: holds a global hot key so that the program under test finds
// the combination taken.  HotKeyHolder <modifiers> <virtual key>: registers
// it, sets the event "PondrelTestHotKeyHeld" (or exits 2 when registration
// failed), and keeps it until "PondrelTestHotKeyRelease" is set or 30 s pass.
#include <windows.h>

#include <cwchar>

#include "fx/Handle.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 1;
    UINT modifiers = static_cast<UINT>(std::wcstoul(argv[1], nullptr, 10));
    UINT key = static_cast<UINT>(std::wcstoul(argv[2], nullptr, 10));
    fx::UniqueHandle held(::CreateEventW(nullptr, TRUE, FALSE, L"PondrelTestHotKeyHeld"));
    fx::UniqueHandle release(::CreateEventW(nullptr, TRUE, FALSE, L"PondrelTestHotKeyRelease"));
    if (!::RegisterHotKey(nullptr, 1, modifiers, key)) return 2;
    ::SetEvent(held.get());
    ::WaitForSingleObject(release.get(), 30000);
    ::UnregisterHotKey(nullptr, 1);
    return 0;
}
