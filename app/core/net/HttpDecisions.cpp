#include "app/core/net/HttpDecisions.h"

#include <wininet.h>

bool HasDefaultRoute(const MIB_IPFORWARDTABLE& table) {
    for (DWORD i = 0; i < table.dwNumEntries; ++i)
        if (table.table[i].dwForwardDest == 0) return true;
    return false;
}

PostEndpoint ChoosePostEndpoint(int scheme, INTERNET_PORT port) {
    PostEndpoint e{false, 0, false, false};
    if (scheme == INTERNET_SCHEME_HTTP) {
        e.valid = true;
        e.port = port ? port : INTERNET_DEFAULT_HTTP_PORT;
        e.defaultPort = e.port == INTERNET_DEFAULT_HTTP_PORT;
    } else if (scheme == INTERNET_SCHEME_HTTPS) {
        e.valid = true;
        e.secure = true;
        e.port = port ? port : INTERNET_DEFAULT_HTTPS_PORT;
        e.defaultPort = e.port == INTERNET_DEFAULT_HTTPS_PORT;
    }
    return e;
}

