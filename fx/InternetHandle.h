// Owner of a WinINet handle (session, connection, request or opened URL).
// Users link wininet.
#pragma once

#include <windows.h>
#include <wininet.h>

#include "fx/Handle.h"

namespace fx {

struct InternetHandleTraits {
    using pointer = HINTERNET;
    static bool Valid(HINTERNET h) { return h != nullptr; }
    static void Close(HINTERNET h) { ::InternetCloseHandle(h); }
};
using InternetHandle = UniqueOwner<InternetHandleTraits>;

}  // namespace fx
