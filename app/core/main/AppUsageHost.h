// The application object as the usage statistics' host: its gate flags and
// values, the tick count and the system time, the panel records' figures
// of the settings view, and the form POST to the log URL.
#pragma once

#include "app/core/main/UsageStats.h"

UsageHost& AppUsageHost();
