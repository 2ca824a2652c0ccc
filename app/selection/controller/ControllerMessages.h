// The controller window's messages (their ids are in AppMessages.h), its
// heartbeat period, and the one message that carries a heap block (11143,
// panel usage).
#pragma once

#include "app/core/common/AppMessages.h"

#include <windows.h>

#include <string>

constexpr UINT kHeartbeatPeriodMs = 500;

// Posts 11143 for a closed panel: the identifier travels in a heap block
// that the controller frees (this function frees it when the post fails).
// Any thread may post; each block handed out is remembered until taken.
bool PostPanelUsage(HWND controller, const std::wstring& ecpId, DWORD openMs);
// The identifier of an 11143 block, which is freed.  Only a block that
// PostPanelUsage handed out and nobody took yet is read: anything else is
// left alone, logged, and false comes back.
bool TakePanelUsageId(LPARAM block, std::wstring* id);
