// The application object as the server routines' host: its POST gate flags,
// its log URL and its tray look.  CPondrelApp::InitInstance installs it.
#pragma once

#include "app/core/net/HttpHost.h"

HttpHost* AppHttpHost();
