// The server routines' decisions in tables: default route, POST endpoint,
// query parameters and object parts of URLs.
#include <gtest/gtest.h>

#include <vector>

#include "app/core/net/HttpRoutines.h"

namespace {

// A routing table in memory with one row per destination.
class RouteTable {
public:
    explicit RouteTable(const std::vector<DWORD>& destinations)
        : bytes_(sizeof(DWORD) + (destinations.size() + 1) * sizeof(MIB_IPFORWARDROW)) {
        auto* t = table();
        t->dwNumEntries = static_cast<DWORD>(destinations.size());
        for (size_t i = 0; i < destinations.size(); ++i) {
            MIB_IPFORWARDROW& row = t->table[i];
            row.dwForwardDest = destinations[i];
            row.dwForwardMask = destinations[i] ? 0x00FFFFFF : 0;
            row.dwForwardNextHop = 0x0101A8C0;
            row.dwForwardIfIndex = 2;
            row.dwForwardMetric1 = 10;
        }
    }
    MIB_IPFORWARDTABLE* table() { return reinterpret_cast<MIB_IPFORWARDTABLE*>(bytes_.data()); }

private:
    std::vector<DWORD> bytes_;  // DWORD units: the table's alignment
};

constexpr DWORD kNet10 = 0x0000000A;       // 10.0.0.0
constexpr DWORD kNet192 = 0x0001A8C0;      // 192.168.1.0
constexpr DWORD kLoopback = 0x0000007F;    // 127.0.0.0

TEST(DefaultRoute, DecidedByADestinationZeroRow) {
    struct Case {
        const char* name;
        std::vector<DWORD> destinations;
        bool up;
    } cases[] = {
        {"empty table", {}, false},
        {"only non-default routes", {kLoopback, kNet10, kNet192}, false},
        {"default route first", {0, kNet10}, true},
        {"default route after others", {kLoopback, kNet10, kNet192, 0}, true},
        {"only a default route", {0}, true},
    };
    for (auto& c : cases) {
        RouteTable t(c.destinations);
        EXPECT_EQ(HasDefaultRoute(*t.table()), c.up) << c.name;
    }
}

TEST(DefaultRoute, RowsBeyondTheCountAreNotRead) {
    RouteTable t({kNet10, 0});
    t.table()->dwNumEntries = 1;
    EXPECT_FALSE(HasDefaultRoute(*t.table()));
}

TEST(PostTarget, SchemeHostPortAndPathOfTheLogUrl) {
    struct Case {
        const wchar_t* url;
        bool ok;
        const wchar_t* host;
        const wchar_t* path;
        int port;
        bool secure;
        bool defaultPort;
    } cases[] = {
        {L"http://stats.example.com/upload/lc.asp", true, L"stats.example.com", L"/upload/lc.asp", 80, false, true},
        {L"http://stats.example.com:8080/lc.asp?a=1&b=2", true, L"stats.example.com", L"/lc.asp?a=1&b=2", 8080,
         false, false},
        {L"https://stats.example.com/lc.asp", true, L"stats.example.com", L"/lc.asp", 443, true, true},
        {L"https://stats.example.com:8443/lc.asp", true, L"stats.example.com", L"/lc.asp", 8443, true, false},
        {L"http://127.0.0.1:80/x", true, L"127.0.0.1", L"/x", 80, false, true},
        {L"http://stats.example.com", true, L"stats.example.com", L"", 80, false, true},
        {L"ftp://stats.example.com/lc.asp", false, L"", L"", 0, false, false},
        {L"not a url", false, L"", L"", 0, false, false},
        {L"", false, L"", L"", 0, false, false},
    };
    for (auto& c : cases) {
        PostTarget t;
        ASSERT_EQ(CrackPostTarget(c.url, &t), c.ok) << c.url;
        if (!c.ok) continue;
        EXPECT_EQ(t.host, c.host) << c.url;
        EXPECT_EQ(t.path, c.path) << c.url;
        EXPECT_EQ(t.endpoint.port, c.port) << c.url;
        EXPECT_EQ(t.endpoint.secure, c.secure) << c.url;
        EXPECT_EQ(t.endpoint.defaultPort, c.defaultPort) << c.url;
    }
}

TEST(UrlParts, GetUrlParamAndSplitUrl) {
    enum Kind { kParam, kSplit };
    struct Case {
        Kind kind;
        const wchar_t* url;
        const wchar_t* key;
        const wchar_t* expected;
    } cases[] = {
        {kParam, L"http://h/p?pqecpx=300&pqecpy=200", L"pqecpx", L"300"},
        {kParam, L"http://h/p?pqecpx=300&pqecpy=200", L"pqecpy", L"200"},
        {kParam, L"http://h/p?pqecpx=300&pqecpy=200", L"pqload", L""},
        // A key inside a longer key, or inside the path: the first occurrence wins.
        {kParam, L"http://h/p?xtoken=1&token=2", L"token", L"1"},
        {kParam, L"http://h/token/x?token=2", L"token", L"x?token=2"},
        {kParam, L"http://h/p?a=&b=2", L"a", L""},
        {kParam, L"http://h/p?a=1", L"a=1", L""},
        {kParam, L"http://h/p?a=1", L"p?a", L"1"},
        {kParam, L"http://h/p?key", L"key", L""},
        {kParam, L"pqalias=%41b&x", L"pqalias", L"%41b"},
        {kParam, L"", L"a", L""},
        {kSplit, L"http://h.example.com:8080/ecp/view.asp?pqecpx=300&pqecpy=200",
         nullptr, L"/ecp/view.asp?pqecpx=300&pqecpy=200"},
        {kSplit, L"http://h/a%20b/c%41.asp?q=x%2By%26z", nullptr, L"/a b/cA.asp?q=x+y&z"},
        {kSplit, L"https://user:pw@h/secure?x=1", nullptr, L"/secure?x=1"},
        {kSplit, L"not a url", nullptr, L""},
        {kSplit, L"", nullptr, L""},
    };
    for (auto& c : cases) {
        std::wstring got = c.kind == kParam ? GetUrlParam(c.url, c.key) : SplitUrl(c.url);
        EXPECT_EQ(got, c.expected) << (c.kind == kParam ? "GetUrlParam " : "SplitUrl ") << c.url;
    }
}

}  // namespace
