#include "app/panels/thread/LaunchRules.h"

#include <gtest/gtest.h>

using namespace panels;

TEST(LaunchRules, FlagsKeepTheLocationBitsUnlessExactly8) {
    struct Case {
        uint32_t flags, placement, expected;
    } cases[] = {
        {8, 1, 8}, {8, 0x80, 8}, {9, 1, 9}, {9, 0x80, 0x89}, {2, 0x80, 0x82}, {0x12, 0, 0x12}, {1, 1, 1},
        {0x18, 0x80, 0x98},
    };
    for (const Case& c : cases) EXPECT_EQ(LaunchFlags(c.flags, c.placement), c.expected) << c.flags;
}

TEST(LaunchRules, EndMessageMaskAndMenuPanel) {
    EXPECT_EQ(FinalLaunchMessage(8), 11205u);
    EXPECT_EQ(FinalLaunchMessage(9), 11205u);
    EXPECT_EQ(FinalLaunchMessage(0x12), 11219u);
    EXPECT_EQ(FinalLaunchMessage(1), 11219u);
    EXPECT_TRUE(WantsMask(0x10));
    EXPECT_TRUE(WantsMask(0x40));
    EXPECT_FALSE(WantsMask(0x8F));
    EXPECT_TRUE(IsMenuPanelLaunch(0x12));
    EXPECT_FALSE(IsMenuPanelLaunch(0x40));
    EXPECT_TRUE(IsStickyMenuPanel(true, 0x40));
    EXPECT_FALSE(IsStickyMenuPanel(false, 0x40));
    EXPECT_FALSE(IsStickyMenuPanel(true, 0x10));
    EXPECT_EQ(TemplateUrl(L"http://h/t.php", L"blue"), L"http://h/t.php?template=ecp&skin=blue");
}

TEST(LaunchRules, ContentUrl) {
    EcpUrlParts base;
    base.ecpUrl = L"http://h/ecp?id=";
    base.id = L"ID-1";
    base.userId = L"u 1";
    base.version = L"2.1";
    struct Case {
        const char* name;
        std::wstring query, context;
        bool showAds;
        std::wstring expected;
    } cases[] = {
        {"plain query encoded", L"a b", L"", true,
         L"http://h/ecp?id=ID-1&token=%61%20%62&pqecp=1&pq_userid=u 1&pq_version=2.1"},
        {"query with a token kept", L"x&token=abc", L"", true,
         L"http://h/ecp?id=ID-1x&token=abc&pqecp=1&pq_userid=u 1&pq_version=2.1"},
        {"ads off before pqecp", L"", L"", false,
         L"http://h/ecp?id=ID-1&token=&pqads=off&pqecp=1&pq_userid=u 1&pq_version=2.1"},
        {"context unencoded at the end", L"\u00e9", L"c d", true,
         L"http://h/ecp?id=ID-1&token=%c3%a9&pqecp=1&pq_userid=u 1&pq_version=2.1&context=c d"},
    };
    for (const Case& c : cases) {
        EcpUrlParts p = base;
        p.queryText = c.query;
        p.context = c.context;
        p.showAds = c.showAds;
        EXPECT_EQ(BuildEcpUrl(p), c.expected) << c.name;
    }
}

TEST(LaunchRules, BrowserUrlReplacesEveryToken) {
    EXPECT_EQ(BrowserActionUrl(L"http://s/?q={pq_token}&r={pq_token}", L"a b", L"+"),
              L"http://s/?q=%61+%62&r=%61+%62");
    EXPECT_EQ(BrowserActionUrl(L"http://s/", L"a b", L"+"), L"http://s/");
    EXPECT_EQ(BrowserActionUrl(L"http://s/{pq_token}", L"ab", L"%20"), L"http://s/%61%62");
    EXPECT_EQ(BrowserActionUrl(L"{pq_token}", L"x y", L"%20"), L"%78%20%79");
}
