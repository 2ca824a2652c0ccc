#include "app/core/config/HotKey.h"

HotKeyResult ReRegisterHotKey(HWND window, int modifiers, int virtualKey) {
    ::UnregisterHotKey(window, kSearchHotKeyId);
    if (::RegisterHotKey(window, kSearchHotKeyId, static_cast<UINT>(modifiers), static_cast<UINT>(virtualKey)))
        return HotKeyResult::Registered;
    return ::GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED ? HotKeyResult::AlreadyInUse : HotKeyResult::Failed;
}
