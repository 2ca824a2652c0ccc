// The application object as the hidden main frame's host: its run-state
// flags, its document, the tray's callbacks, the about box, the version
// title and the shared font.  CPondrelApp installs it when it is made.
#pragma once

#include "app/core/frame/FrameHost.h"

FrameHost* AppFrameHost();
