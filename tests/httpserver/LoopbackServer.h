// The test side of the loopback HTTP server that tests/httpserver/loopback.py
// runs beside a test program (CMake: pondrel_gtest(... HTTP_SERVER)).
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace loopback {

// The server's port (PONDREL_HTTP_PORT), 0 when no server runs.
int Port();
// A port on which nothing listens (PONDREL_HTTP_DEAD_PORT).
int DeadPort();

// "http://127.0.0.1:<port>" + path.
std::wstring Url(const std::wstring& path);
std::wstring DeadUrl(const std::wstring& path);

// What /bytes/<n> sends: byte i = (i * 13 + (i >> 8)) & 0xFF.
std::string PatternBytes(size_t n);

// One request as the server received it.
struct Request {
    std::string method;
    std::string target;   // path and query as sent
    std::string version;
    std::vector<std::pair<std::string, std::string>> headers;  // in order
    std::string body;

    // The first header of that name (ignoring case), "" when absent.
    std::string Header(const std::string& name) const;
    bool HasHeader(const std::string& name) const;
};

// The requests recorded since the last Clear, oldest first.
std::vector<Request> Requests();
// Forgets the requests recorded so far.
void Clear();

}  // namespace loopback
