// The main program's global locks.  Each guards the shared members named
// beside it; holders copy a few fields and release.  Where the dock lock and
// the dock-imports lock are both held, the dock lock is taken first.
#pragma once

#include "fx/Lock.h"

extern fx::CriticalSection g_DockLock;          // dock bar items, contents archive
extern fx::CriticalSection g_PanelRecordLock;   // a panel's current record and kept position
extern fx::CriticalSection g_BestGuessLock;     // best-guess strings, shared copies, results
extern fx::CriticalSection g_SearchTextLock;    // CPondrelApp::m_SearchQuery, a panel child's URL
