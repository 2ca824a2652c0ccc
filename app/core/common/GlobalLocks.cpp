// The global locks, beside their declarations.  They are made before every
// other static object of the program (the application object among them) and
// so end after all of them.
#include "app/core/common/GlobalLocks.h"

#define PONDREL_LOCK_FIRST __attribute__((init_priority(200)))

// The dock's item list is dockitems::Items() (app/panels/dockitems/).
PONDREL_LOCK_FIRST fx::CriticalSection g_DockLock;
PONDREL_LOCK_FIRST fx::CriticalSection g_PanelRecordLock;
PONDREL_LOCK_FIRST fx::CriticalSection g_BestGuessLock;
PONDREL_LOCK_FIRST fx::CriticalSection g_SearchTextLock;
