// The program's one global hot key (id 7777), which opens the search panel.
#pragma once

#include "app/core/common/AppMessages.h"

#include <windows.h>

constexpr const wchar_t* kHotKeyInUseText = L"HotKey in settings is already in use.";

enum class HotKeyResult { Registered, AlreadyInUse, Failed };

// Unregisters id 7777 on window and registers it again with the modifier mask
// and virtual-key code.
HotKeyResult ReRegisterHotKey(HWND window, int modifiers, int virtualKey);
