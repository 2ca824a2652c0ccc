// The decisions of the server routines, apart from WinINet: connectivity from
// a routing table, what counts as a good answer, where a form POST goes, and
// the query-parameter lookup.  No Win32 call.
#pragma once

#include <windows.h>
#include <iprtrmib.h>
#include <wininet.h>

#include <string>

#include "app/core/net/UrlParam.h"

// True when a row of the table has destination 0.0.0.0 (a default route).
bool HasDefaultRoute(const MIB_IPFORWARDTABLE& table);

// Only 2xx answers carry a body worth keeping.
inline bool IsSuccessStatus(DWORD status) { return status >= 200 && status <= 299; }

// True when the body that arrived is the whole body: all of the announced
// Content-Length (when one was announced).
inline bool IsWholeBody(unsigned long long received, bool lengthKnown, unsigned long long length) {
    return !lengthKnown || received == length;
}

// Where a form POST to a URL with the given WinINet scheme and port goes.
struct PostEndpoint {
    bool valid;          // false: a scheme other than http and https, nothing is sent
    INTERNET_PORT port;  // the URL's port, else 80 (http) or 443 (https)
    bool secure;         // https: a secure request
    bool defaultPort;    // the port is the scheme's default (Host carries no port)
};
PostEndpoint ChoosePostEndpoint(int scheme, INTERNET_PORT port);

