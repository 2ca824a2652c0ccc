#include "app/core/graphics/GraphicsRules.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(CacheFileNameFromUrl, OrdinaryAndHostileNames) {
    const std::wstring p = L"EcpIcons\\";
    struct Case {
        const wchar_t* url;
        const wchar_t* version;
        const wchar_t* name;  // "" = refused
    } cases[] = {
        // Ordinary names, as the settings give them.
        {L"http://h/images/search.png", L"3", L"EcpIcons\\search3.png"},
        {L"http://h/images/logo.big.png", L"7", L"EcpIcons\\logo7.big.png"},
        {L"http://h/images/search.png", L"", L"EcpIcons\\search.png"},
        {L"http://h/a/b/c/icon-16_x.gif", L"12", L"EcpIcons\\icon-16_x12.gif"},
        {L"http://h/images/noext", L"4", L"EcpIcons\\noext4"},
        {L"/images/search.png", L"3", L"EcpIcons\\search3.png"},
        // A fragment is not part of the name; a query is, as its hash after
        // the version (the hashes are FNV-1a of the query's UTF-16LE bytes).
        {L"http://h/img/search.png?size=16&v=2", L"3", L"EcpIcons\\search3_qcc5a74fd.png"},
        {L"http://h/img/search.png?size=16&v=2#top", L"3", L"EcpIcons\\search3_qcc5a74fd.png"},
        {L"http://h/img/search.png#top", L"3", L"EcpIcons\\search3.png"},
        {L"http://h/img/search.png#top?v=2", L"3", L"EcpIcons\\search3.png"},
        {L"http://h/img/search.png?", L"3", L"EcpIcons\\search3.png"},
        {L"http://h/icon?name=../../x.png", L"1", L"EcpIcons\\icon1_q913e5420"},
        // No "/" after the first character: the whole text names it.
        {L"search.png", L"3", L"EcpIcons\\search3.png"},
        {L"/search.png", L"3", L"EcpIcons\\_search3.png"},
        // Hostile segments stay inside the folder and match nothing else.
        {L"http://h/img/..\\..\\PondRel.exe", L"1", L""},
        {L"http://h/img/a\\b.png", L"1", L"EcpIcons\\a_b1.png"},
        {L"http://h/img/C:evil.png", L"1", L"EcpIcons\\C_evil1.png"},
        {L"http://h/img/*.png", L"1", L"EcpIcons\\_1.png"},
        {L"http://h/img/a?.png", L"1", L"EcpIcons\\a1_q052e93da"},
        {L"http://h/img/sp ace<>|\".png", L"1", L"EcpIcons\\sp_ace____1.png"},
        {L"http://h/img/..", L"1", L""},
        {L"http://h/img/..png", L"", L""},
        {L"http://h/img/.", L"", L""},
        {L"http://h/img/", L"", L""},
        {L"http://h/img/%2e%2e%2fx.png", L"1", L"EcpIcons\\_2e_2e_2fx1.png"},
        {L"http://h/img/caf\u00e9.png", L"1", L"EcpIcons\\caf_1.png"},
        // The version is the server's too.
        {L"http://h/img/s.png", L"..\\..\\x", L""},
        {L"http://h/img/s.png", L"1/2", L"EcpIcons\\s1_2.png"},
        // Device names open devices, not files.
        {L"http://h/img/con.png", L"", L""},
        {L"http://h/img/NUL", L"", L""},
        {L"http://h/img/com1.png", L"", L""},
        {L"http://h/img/COM0.png", L"", L""},
        {L"http://h/img/lpt0", L"", L""},
        {L"http://h/img/LPT", L"0", L""},
        {L"http://h/img/con.png", L"2", L"EcpIcons\\con2.png"},
        {L"http://h/img/console.png", L"", L"EcpIcons\\console.png"},
    };
    for (const Case& c : cases) EXPECT_EQ(CacheFileNameFromUrl(c.url, c.version, p), c.name) << c.url;
    // The same URL, version and prefix always give the same name.
    EXPECT_EQ(CacheFileNameFromUrl(L"nourl", L"2", p), CacheFileNameFromUrl(L"nourl", L"2", p));
}

// Icons that differ only in their query are different images: each pair
// gets two names, and each URL the same name every time.
TEST(CacheFileNameFromUrl, UrlsThatDifferOnlyInTheirQueryKeepFilesOfTheirOwn) {
    struct Case {
        const wchar_t* a;
        const wchar_t* b;
        const wchar_t* version;
    } cases[] = {
        {L"http://h/icon.php?id=1", L"http://h/icon.php?id=2", L""},
        {L"http://h/img/search.png?v=2", L"http://h/img/search.png?v=3", L"4"},
        {L"http://h/img/search.png", L"http://h/img/search.png?v=2", L"4"},
        {L"http://h/get?a=1", L"http://h/get?a&1", L""},  // alike once sanitized
        {L"http://h/get?x=1", L"http://h/get?X=1", L""},  // case counts in a query
    };
    for (const Case& c : cases) {
        const std::wstring a = CacheFileNameFromUrl(c.a, c.version, L"EcpIcons\\");
        const std::wstring b = CacheFileNameFromUrl(c.b, c.version, L"EcpIcons\\");
        EXPECT_FALSE(a.empty()) << c.a;
        EXPECT_FALSE(b.empty()) << c.b;
        EXPECT_NE(a, b) << c.a << " and " << c.b;
        EXPECT_EQ(a, CacheFileNameFromUrl(c.a, c.version, L"EcpIcons\\")) << c.a;
    }
}

TEST(NumberToString, IntegerPartInBase10) {
    struct Case {
        double n;
        const wchar_t* text;
    } cases[] = {{0, L"0"},        {2.9, L"2"},   {-2.9, L"-2"},   {42, L"42"},
                 {-0.5, L"0"},     {1e12, L"2147483647"},          {-1e12, L"-2147483648"},
                 {NAN, L"0"},      {2147483647.0, L"2147483647"},  {-2147483648.0, L"-2147483648"}};
    for (const Case& c : cases) EXPECT_EQ(NumberToString(c.n), c.text) << c.n;
}

TEST(CutBrowserArguments, KeepsTheExecutable) {
    struct Case {
        const wchar_t* command;
        const wchar_t* path;
    } cases[] = {
        {L"\"C:\\Program Files\\Internet Explorer\\iexplore.exe\" -nohome",
         L"\"C:\\Program Files\\Internet Explorer\\iexplore.exe\""},
        {L"\"C:\\Program Files\\Internet Explorer\\iexplore.exe\" %1", L"\"C:\\Program Files\\Internet Explorer\\iexplore.exe\""},
        {L"C:\\Program Files\\Mozilla Firefox\\firefox.exe", L"C:\\Program Files\\Mozilla Firefox\\firefox.exe"},
        {L"C:\\windows\\winebrowser.exe -nohome", L"C:\\windows\\winebrowser.exe"},
        {L"winebrowser -nohome", L"winebrowser -nohome"},
        {L"\\x y", L"\\x y"},  // the backslash at index 0 does not count
        {L"", L""},
    };
    for (const Case& c : cases) EXPECT_EQ(CutBrowserArguments(c.command), c.path) << c.command;
}

TEST(Texts, IdsInMemberOrder) {
    EXPECT_EQ(TextIndexOf(1), 0);
    EXPECT_EQ(TextIndexOf(109), 10);
    EXPECT_EQ(TextIndexOf(135), 19);
    EXPECT_EQ(TextIndexOf(101), -1);
    EXPECT_EQ(TextIndexOf(100), -1);
}

}  // namespace
