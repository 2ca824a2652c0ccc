// The application object as the server routines' host: its POST gate flags,
// its log URL, its tray look, and the deadline of the requests made on the
// user-interface thread.  CPondrelApp::InitInstance installs it.
#pragma once

#include <windows.h>

#include "app/core/net/HttpHost.h"

// A request made on the user-interface thread ends (failed) when its whole
// answer has not come within this long, so a server that drips its answer
// cannot freeze the program.  Other threads' requests have no such bound.
constexpr DWORD kUiRequestDeadlineMs = 30000;

HttpHost* AppHttpHost();
