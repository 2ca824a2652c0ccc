// Owner of a WinINet handle (session, connection, request or opened URL).
// Users link wininet.
#pragma once

#include <windows.h>
#include <wininet.h>

#include "fx/Handle.h"

namespace fx {

using InternetHandle = UniqueOwner<NonNullTraits<HINTERNET, &::InternetCloseHandle>>;

}  // namespace fx
