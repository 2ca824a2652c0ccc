// The tray's shell call recorded: the data and the calling thread of every
// call, answered with `answer`.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "app/core/tray/SystemTray.h"

namespace traytest {

struct Call {
    DWORD message;
    NOTIFYICONDATAW data;
    DWORD thread;
};

class RecordingShell : public TrayShell {
public:
    BOOL NotifyIcon(DWORD message, NOTIFYICONDATAW* data) override {
        calls.push_back({message, *data, ::GetCurrentThreadId()});
        return answer;
    }
    std::vector<Call> calls;
    BOOL answer = TRUE;
};

}  // namespace traytest
