// HXIE's module-wide state, shared by every Action object of the process.
#pragma once

#include "Hextens/HXLib/UtilityLib.h"

// The module name, the prefix of every log line ("HXIE" once Init ran).
extern wchar_t g_ModuleName[16];
// The module's utility library object and its configuration record.
extern UtilityLib g_UtilityLib;
extern tagCONFIG* g_pConfig;

// Context sending, read at each use.
bool SendContextOn();
