// The enhancer's text decisions over the extension's answers.
#include <gtest/gtest.h>

#include "Hextens/HXFirefox/FirefoxText.h"
#include "ParseBack.h"

using namespace fftext;

TEST(TabFields, CutsAtTabsAndRunsOutEmpty) {
    TabFields f(L"a\t\tbc");
    EXPECT_EQ(L"a", f.Next());
    EXPECT_EQ(L"", f.Next());
    EXPECT_EQ(L"bc", f.Next());
    EXPECT_EQ(L"", f.Next());
    EXPECT_EQ(L"", f.Next());
}

TEST(IdListToXml, Table) {
    struct Case {
        std::wstring ids, xml;
    };
    const Case cases[] = {
        {L"", L""},
        {L"a", L"<id>a</id>"},
        {L"a\nb", L"<id>a</id><id>b</id>"},
        {L"a\n\nb\n", L"<id>a</id><id>b</id>"},                // empty ids are left out
        {L"x&y\n<z>", L"<id>x&amp;y</id><id>&lt;z&gt;</id>"},  // ids are character data
        // 9 + 990 = 999 characters fit; one more does not, and no half element is kept.
        {std::wstring(990, L'x'), L"<id>" + std::wstring(990, L'x') + L"</id>"},
        {std::wstring(991, L'x'), L""},
        {L"a\n" + std::wstring(985, L'y'), L"<id>a</id>"},
        // An id that does not fit is left out; a later one that fits is kept.
        {L"a\n" + std::wstring(985, L'y') + L"\nb", L"<id>a</id><id>b</id>"},
    };
    for (const auto& c : cases) {
        std::wstring xml = IdListToXml(c.ids);
        EXPECT_EQ(c.xml, xml) << c.ids.size();
        EXPECT_LE(xml.size(), kMaxIdsXml);
    }
}

TEST(Context, ExactTexts) {
    EXPECT_EQ(
        L"<context><title><![CDATA[Firefox]]></title><location><![CDATA[https://ex.com/p]]></location>"
        L"<href><![CDATA[http://ex.com/l]]></href><content><id>a</id></content></context>",
        HotSpotContext(L"https://ex.com/p", L"http://ex.com/l", L"<id>a</id>"));
    EXPECT_EQ(
        L"<context><title><![CDATA[Firefox]]></title><location><![CDATA[]]></location>"
        L"<href><![CDATA[h]]></href></context>",
        HotSpotContext(L"", L"h", L""));
    EXPECT_EQ(L"<context><title><![CDATA[Firefox]]></title><content></content></context>", PlainContext());
}

TEST(Context, HostileExtensionDataStillGivesWellFormedXml) {
    const std::wstring location = L"https://ex.com/?a=]]>&b=<x>";
    const std::wstring href =
        L"http://ex.com/]]]]>]]>\x01"
        L"end";
    const std::wstring ids = L"a&b\n<c>\n\n]]>\nd\"e'";
    const std::wstring xml = HotSpotContext(location, href, IdListToXml(ids));
    const ParsedContext parsed = ParseContext(xml);
    ASSERT_TRUE(parsed.ok) << xml;
    EXPECT_EQ(L"context", parsed.rootName);
    EXPECT_EQ(L"Firefox", parsed.text.at(L"title"));
    EXPECT_EQ(location, parsed.text.at(L"location"));
    EXPECT_EQ(L"http://ex.com/]]]]>]]> end", parsed.text.at(L"href"));  // control characters become blanks
    const std::vector<std::wstring> expectedIds = {L"a&b", L"<c>", L"]]>", L"d\"e'"};
    EXPECT_EQ(expectedIds, parsed.ids);
}

TEST(SelectionItems, OneItemPerRectangleOfEachPieceThatSurvivesTheFilter) {
    const Box rects[] = {{1, 1, 2, 2}, {3, 3, 4, 4}, {5, 5, 6, 6}, {7, 7, 8, 8}};
    const int32_t counts[] = {1, 2, 1};
    Filter filter = [](const std::wstring& s) { return s == L"drop" ? std::wstring() : L"[" + s + L"]"; };

    auto items = SelectionItems(L"drop\tkeep\tlast", 3, counts, rects, filter);
    ASSERT_EQ(3u, items.size());
    EXPECT_EQ(L"[keep]", items[0].text);
    EXPECT_EQ(3, items[0].rect.left);  // the second piece's own rectangles
    EXPECT_EQ(5, items[1].rect.left);
    EXPECT_EQ(L"[last]", items[2].text);
    EXPECT_EQ(7, items[2].rect.left);

    // Fewer pieces in the text than counted: the missing ones are empty.
    EXPECT_TRUE(SelectionItems(L"", 2, counts, rects, [](const std::wstring& s) { return s; }).empty());
    // A piece without rectangles gives no item.
    const int32_t none[] = {0};
    EXPECT_TRUE(SelectionItems(L"word", 1, none, rects, filter).empty());
}

TEST(SelectionBits, Table) {
    const TextItem a{{1, 2, 3, 4}, L"a"}, a2{{1, 2, 3, 5}, L"a"}, b{{1, 2, 3, 4}, L"b"};
    struct Case {
        std::vector<TextItem> before, after;
        long bits;
    };
    const Case cases[] = {
        {{}, {}, 0},      {{}, {a}, 0x09},     {{a}, {a}, 0x01}, {{a}, {a2}, 0x09},
        {{a}, {b}, 0x09}, {{a}, {a, a}, 0x09}, {{a}, {}, 0x09},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i)
        EXPECT_EQ(cases[i].bits, SelectionBits(cases[i].before, cases[i].after)) << i;
}

TEST(PollBits, Table) {
    struct Case {
        const char* name;
        PollFacts poll;
        long bits;
    };
    auto facts = [](bool fg, bool was, bool answers, bool updated, long sel, bool hot, bool page, bool secure) {
        PollFacts f;
        f.foreground = fg;
        f.wasActive = was;
        f.extensionAnswers = answers;
        f.updated = updated;
        f.selectionBits = sel;
        f.haveHotSpots = hot;
        f.pageChanged = page;
        f.secure = secure;
        return f;
    };
    const Case cases[] = {
        {"left the foreground", facts(false, true, true, true, 0x09, true, true, true), 0x1F},
        {"still in the background", facts(false, false, true, true, 0x09, true, true, true), 0},
        {"extension silent", facts(true, true, false, true, 0x09, true, true, true), 0},
        {"first poll in front, nothing else", facts(true, false, true, false, 0, false, false, false), 0x04},
        {"steady page, steady selection", facts(true, true, true, true, 0x01, false, false, false), 0x01},
        {"selection changed", facts(true, true, true, true, 0x09, false, false, false), 0x09},
        {"hot spots on a new secure page", facts(true, true, true, true, 0, true, true, true), 0x26},
        {"no answer to the update: hot spots and page only", facts(true, true, true, false, 0x09, true, true, true),
         0x06},
    };
    for (const auto& c : cases) EXPECT_EQ(c.bits, PollBits(c.poll)) << c.name;
}

TEST(LogLines, SkipsEmptyParts) {
    EXPECT_EQ((std::vector<std::wstring>{L"one", L"two"}), LogLines(L"\none\n\ntwo\n"));
    EXPECT_TRUE(LogLines(L"").empty());
    EXPECT_EQ(std::vector<std::wstring>{L"x"}, LogLines(L"x"));
}
