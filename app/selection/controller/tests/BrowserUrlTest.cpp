// The rule for URLs handed to a browser and the browser's command line.
#include <gtest/gtest.h>

#include "app/selection/controller/BrowserUrl.h"

using namespace browser_url;

TEST(BrowserUrl, OnlyHttpAndHttpsWithQuotesEncoded) {
    struct Case {
        const wchar_t* url;
        const wchar_t* safe;  // empty: refused
    };
    const Case cases[] = {
        {L"http://example.com/a b", L"http://example.com/a b"},
        {L"HTTPS://example.com/", L"HTTPS://example.com/"},
        {L"hTtP://x/", L"hTtP://x/"},
        {L"http://x/\" -new-window calc", L"http://x/%22 -new-window calc"},
        {L"http://x/\"\"", L"http://x/%22%22"},
        {L"file:///c:/windows/system32/calc.exe", L""},
        {L"javascript:alert(1)", L""},
        {L"ftp://x/", L""},
        {L" http://x/", L""},
        {L"http://", L""},
        {L"https://", L""},
        {L"http://x/\r\n", L""},
        {L"", L""},
    };
    for (const Case& c : cases) EXPECT_EQ(SafeUrl(c.url), c.safe) << testing::PrintToString(std::wstring(c.url));
}

TEST(BrowserUrl, CommandLine) {
    EXPECT_EQ(QuoteArgument(L"http://x/a b"), L"\"http://x/a b\"");
    EXPECT_EQ(QuoteArgument(L"https://x/dir\\"), L"\"https://x/dir\\\\\"");
    EXPECT_EQ(StartParameters(L"http://x/", false), L"\"http://x/\"");
    EXPECT_EQ(StartParameters(L"http://x/", true), L" -new-window \"http://x/\"");
    EXPECT_STREQ(BrowserWindowClass(true), L"MozillaUIWindowClass");
    EXPECT_STREQ(BrowserWindowClass(false), L"IEFrame");
}

TEST(BrowserUrl, FirefoxToldByItsPath) {
    struct Case {
        const wchar_t* path;
        bool firefox;
    };
    const Case cases[] = {
        {L"C:\\Program Files\\Mozilla Firefox\\firefox.exe", true},
        {L"\"C:\\PROGRA~1\\MOZILL~1\\FIREFOX.EXE\" -osint -url \"%1\"", true},
        {L"C:\\Program Files\\Mozilla Firefox\\Firefox.exe", false},
        {L"firefox.exe", false},  // only after the first character
        {L"xfirefox.exe", true},
        {L"C:\\Program Files\\Internet Explorer\\iexplore.exe", false},
        {L"", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsFirefoxPath(c.path), c.firefox) << testing::PrintToString(std::wstring(c.path));
}

TEST(BrowserUrl, PollLimit) {
    EXPECT_TRUE(KeepPolling(0));
    EXPECT_TRUE(KeepPolling(2999));
    EXPECT_FALSE(KeepPolling(3000));
}
