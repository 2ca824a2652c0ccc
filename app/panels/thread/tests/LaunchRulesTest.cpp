#include "app/panels/thread/LaunchRules.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <ostream>

namespace panels {
void PrintTo(const TailPlace& p, std::ostream* os) { *os << "corner " << p.corner << " at " << p.x << "," << p.y; }
}  // namespace panels

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

TEST(LaunchRules, TimeLeftOfAShare) {
    struct Case {
        TimeShare share;
        uint32_t now, expected;
    } cases[] = {
        {{1000, 500}, 1000, 500},
        {{1000, 500}, 1499, 1},
        {{1000, 500}, 1500, 0},
        {{1000, 500}, 90000, 0},
        {{0xFFFFFF00u, 0x200}, 0xFFFFFFF0u, 0x110},  // the tick count wraps during the share
        {{0xFFFFFF00u, 0x200}, 0x50, 0xB0},
        {{0xFFFFFF00u, 0x200}, 0x100, 0},
        {{1000, 0}, 5, kUnbounded},  // no bound
        {{1000, 0}, 1000000, kUnbounded},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TimeLeft(c.share, c.now), c.expected) << c.share.startTick << "+" << c.share.ms << " at " << c.now;
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

TEST(LaunchRules, ReloadStepFirstMatch) {
    using S = ReloadStep;
    struct Case {
        bool noSkin, networkUp, urlEmpty, oneVisit, content;
        S expected;
    } cases[] = {
        {true, false, true, true, true, S::kOpenInBrowser},   // no skin before anything
        {false, false, false, false, true, S::kOffline},
        {false, true, true, false, true, S::kRefresh},        // no URL yet: only drawn again
        {false, true, true, false, false, S::kRefresh},
        {false, true, true, true, true, S::kOpenRecord},      // a one-visit record is opened
        {false, true, false, false, true, S::kNavigateContent},
        {false, true, false, true, true, S::kOpenRecord},
        {false, true, false, false, false, S::kOpenRecord},   // no content element
    };
    for (const Case& c : cases) {
        ReloadInput in;
        in.noSkin = c.noSkin;
        in.networkUp = c.networkUp;
        in.currentUrlEmpty = c.urlEmpty;
        in.oneVisit = c.oneVisit;
        in.hasContent = c.content;
        EXPECT_EQ(static_cast<int>(DecideReload(in)), static_cast<int>(c.expected))
            << c.noSkin << c.networkUp << c.urlEmpty << c.oneVisit << c.content;
    }
    EXPECT_TRUE(ReloadTakesUrlAsQuery(false, false, false));
    EXPECT_FALSE(ReloadTakesUrlAsQuery(false, true, false));  // a searchable record keeps its query
    EXPECT_TRUE(ReloadTakesUrlAsQuery(false, true, true));
    EXPECT_FALSE(ReloadTakesUrlAsQuery(true, false, true));   // wParam keeps the query
}

TEST(LaunchRules, NavigatePlan) {
    struct Case {
        bool content, oneVisit, searchPanel, control, skipFirst;
        bool reload, show;
    } cases[] = {
        {true, false, false, true, false, true, false},   // a content panel reloads
        {false, true, false, false, false, true, false},  // a one-visit record reloads
        {true, false, true, true, true, false, true},     // the search panel's first navigation: no reload
        {true, false, true, true, false, true, true},     // its later ones reload
        {false, false, false, true, false, false, true},  // a search control alone shows the record
        {false, false, false, false, false, false, false},
    };
    for (const Case& c : cases) {
        NavigatePlan p = PlanNavigate(c.content, c.oneVisit, c.searchPanel, c.control, c.skipFirst);
        EXPECT_EQ(p.reload, c.reload) << c.content << c.oneVisit << c.searchPanel << c.control << c.skipFirst;
        EXPECT_EQ(p.showInControl, c.show) << c.content << c.oneVisit << c.searchPanel << c.control << c.skipFirst;
    }
}

// A menu panel's tail: first the left-lower one beside the panel's left edge;
// a panel that went left of its anchor takes the right-lower one at its right
// edge; a vertical correction moves the tail back toward the anchor and, in
// the upper half, turns it into the upper tail of its side.
TEST(LaunchRules, TailPlaces) {
    EXPECT_EQ((TailPlace{kTailLeftLower, -9, 226}), FirstTailPlace(400, 16, 28));
    EXPECT_EQ((TailPlace{kTailLeftLower, -9, 227}), FirstTailPlace(401, 16, 28));  // the height halved as integers
    EXPECT_EQ((TailPlace{kTailLeftLower, -13, 226}), FirstTailPlace(400, 20.5, 27));
    EXPECT_EQ((TailPlace{kTailLeftLower, 7, 240}), FirstTailPlace(400, 0, 0));

    const TailPlace first{kTailLeftLower, -9, 226};
    struct Case {
        bool wentLeft;
        int dy;
        TailPlace expected;
    } cases[] = {
        {false, 0, {kTailLeftLower, -9, 226}},
        {true, 0, {kTailRightLower, 487, 226}},    // width 500: at 500 - 13
        {false, -30, {kTailLeftLower, -9, 256}},   // the window went up: the tail down
        {false, 26, {kTailLeftLower, -9, 200}},    // still the lower half (200 of 400)
        {false, 27, {kTailLeftUpper, -9, 229}},    // upper half: 226 - 27 + 30
        {true, 243, {kTailRightUpper, 487, 23}},   // 226 - 243 + 40
        {true, -10, {kTailRightLower, 487, 236}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, FinalTailPlace(first, c.wentLeft, c.dy, 500, 400, 30, 40)) << c.wentLeft << " " << c.dy;
    }
    // Left of the anchor: the panel's right edge 7 pixels plus the tail's
    // width short of the anchor's left.
    EXPECT_EQ(1000 - 500 - 16 + 7, LeftOfAnchorX(1000, 500, 16));
}

// A template's tail sizes are any number it writes: the places stay at the
// int range's ends (or 0 for NaN) instead of an undefined conversion.
TEST(LaunchRules, TailPlacesOfHostileTailSizesStayInRange) {
    const double nan = std::nan("");
    EXPECT_EQ((TailPlace{kTailLeftLower, INT_MAX, INT_MAX}), FirstTailPlace(400, -1e300, -1e300));
    EXPECT_EQ((TailPlace{kTailLeftLower, INT_MIN, INT_MIN}), FirstTailPlace(400, 1e300, 1e300));
    EXPECT_EQ((TailPlace{kTailLeftLower, 0, 0}), FirstTailPlace(400, nan, nan));
    // An upper tail's height moves the place by itself.
    const TailPlace first{kTailLeftLower, -9, 226};
    EXPECT_EQ((TailPlace{kTailLeftUpper, -9, INT_MAX}), FinalTailPlace(first, false, 100, 500, 400, 1e300, 0));
    EXPECT_EQ((TailPlace{kTailRightUpper, 487, 0}), FinalTailPlace(first, true, 100, 500, 400, 0, nan));
    // A place at the range's end moved further stays there.
    const TailPlace low{kTailLeftLower, 0, INT_MIN};
    EXPECT_EQ(INT_MIN, FinalTailPlace(low, false, 5, 500, 400, 0, 0).y);
    EXPECT_EQ(INT_MAX, LeftOfAnchorX(1000, 500, -1e300));
    EXPECT_EQ(INT_MIN, LeftOfAnchorX(INT_MIN, 500, 16));
    EXPECT_EQ(0, LeftOfAnchorX(1000, 500, nan));
}
