// The calls one IAction method makes into Internet Explorer's process, each
// bounded: a browser that hangs costs a poll kBrowserCallLimitMs per call it
// does not answer, and the heartbeat goes on.  A cancelled call fails like
// any failed browser call (the poll finds nothing there) and is logged.
#pragma once

#include <windows.h>

#include "Hextens/HXIE/ModuleState.h"
#include "fx/OutgoingCallLimit.h"
#include "log/Logger.h"

constexpr DWORD kBrowserCallLimitMs = 3000;

class BrowserCallLimit {
public:
    BrowserCallLimit() : limit_(kBrowserCallLimitMs) {}
    ~BrowserCallLimit() {
        if (limit_.cancelled())
            LogMessage(L"(%s) *** A call into Internet Explorer did not return within %d ms; cancelled", g_ModuleName,
                       static_cast<int>(kBrowserCallLimitMs));
    }
    BrowserCallLimit(const BrowserCallLimit&) = delete;
    BrowserCallLimit& operator=(const BrowserCallLimit&) = delete;

private:
    fx::OutgoingCallLimit limit_;
};
