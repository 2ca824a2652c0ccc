// The enhancer's browser-free decisions, in tables: the domain rule, the change
// bits over a scripted sequence of polls, the context text and its parts, and
// the selection and frame geometry.
#include <gtest/gtest.h>

#include "Hextens/HXIE/ContextXml.h"
#include "Hextens/HXIE/PageGeometry.h"
#include "Hextens/HXIE/UpdateCycle.h"
#include "ParseBack.h"

using namespace hxie;

namespace {

const wchar_t kApp[] = L"{5FA5BCF8-7C6F-4E28-9479-3AB992F8B579}";

TEST(DomainRule, LastTwoLabelsOnlyWithTwoDotsOrMore) {
    struct Case {
        const wchar_t* host;
        const wchar_t* domain;
    } cases[] = {
        {L"www.example.com", L"example.com"},
        {L"a.b.example.co.uk", L"co.uk"},
        {L"example.com", L""},
        {L"localhost", L""},
        {L"192.168.1.20", L"1.20"},
        {L"", L""},
    };
    for (const Case& c : cases) EXPECT_EQ(DomainOfHost(c.host), c.domain) << c.host;
}

// One scripted sequence of polls, as Update sees them; each step's title and
// selection "before" are the previous step's.
TEST(ChangeBits, ScriptedPollSequence) {
    const Rect window{10, 20, 810, 620};
    const Rect moved{30, 20, 830, 620};
    const SelectionKey none;
    const SelectionKey word{L"word", {100, 100, 140, 115}};
    const SelectionKey other{L"other", {100, 100, 145, 115}};
    struct Step {
        const char* what;
        bool windowFound;
        long checkBits;
        const wchar_t* title;
        SelectionKey selection;
        Rect serverRect;
        bool secure;
        long expected;
    } steps[] = {
        {"first poll with a browser", true, 0, L"Page", none, window, false, 0x04},
        {"same page, nothing selected", true, 0, L"Page", none, window, false, 0},
        {"same page again", true, 0, L"Page", none, window, false, 0},
        {"a selection appears", true, 0x01, L"Page", word, window, false, 0x09},
        {"the same selection", true, 0x01, L"Page", word, window, false, 0x01},
        {"the foreground moves away", false, 0, L"", none, {}, false, 0x04 | 0x09},
        {"nothing in the foreground", false, 0, L"", none, {}, false, 0},
        {"an https page", true, 0, L"Secure", none, window, true, 0x04 | 0x20},
        {"the https page again", true, 0, L"Secure", none, window, true, 0x20},
        {"back on the plain page", true, 0, L"Page", none, window, false, 0x04},
        {"the window moved", true, 0, L"Page", none, moved, false, 0x04},
        {"it stays there", true, 0, L"Page", none, moved, false, 0},
        {"a selection", true, 0x01, L"Page", word, moved, false, 0x09},
        {"the selection changed", true, 0x01, L"Page", other, moved, false, 0x09},
        {"a hot spot beside it", true, 0x03, L"Page", other, moved, false, 0x03},
    };
    PollMemory memory;
    std::wstring title;
    SelectionKey selection;
    for (const Step& s : steps) {
        PollObservation poll;
        poll.windowFound = s.windowFound;
        poll.checkBits = s.checkBits;
        poll.titleBefore = title;
        poll.title = s.title;
        poll.selectionBefore = selection;
        poll.selection = s.selection;
        poll.serverRect = s.serverRect;
        poll.securePage = s.secure;
        EXPECT_EQ(DecideChanges(memory, poll), s.expected) << s.what;
        title = s.title;
        selection = s.selection;
    }
}

TEST(ChangeBits, FrameWalkRunsUntilEverythingLookedForIsFound) {
    struct Case {
        bool enhanced;
        long bits;
        bool needed;
        bool all;
    } cases[] = {
        {true, 0, true, false},    {true, 0x01, true, false}, {true, 0x02, true, false},
        {true, 0x03, false, true}, {false, 0, true, false},   {false, 0x01, false, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FrameWalkNeeded(c.enhanced, c.bits), c.needed) << c.enhanced << " " << c.bits;
        EXPECT_EQ(AllFound(c.enhanced, c.bits), c.all) << c.enhanced << " " << c.bits;
    }
}

ContextParts HotSpotParts(bool send) {
    ContextParts p;
    p.appId = kApp;
    p.title = L"News";
    p.location = L"http://www.example.com/news";
    p.href = L"http://www.example.com/a?b=1";
    p.idRuns = L"<id>link</id><id>main</id>";
    p.contextText = L"the text around";
    p.description = L"about news";
    p.keywords = L"news, more";
    p.sendContext = send;
    return p;
}

TEST(ContextXml, ExactTexts) {
    ContextParts selection = HotSpotParts(false);
    selection.href.clear();
    selection.idRuns.clear();
    ContextParts selectionOn = selection;
    selectionOn.sendContext = true;
    struct Case {
        const char* what;
        ContextParts parts;
        const wchar_t* xml;
    } cases[] = {
        {"hot spot, sending off", HotSpotParts(false),
         L"<context><app>{5FA5BCF8-7C6F-4E28-9479-3AB992F8B579}</app>"
         L"<title><![CDATA[News]]></title>"
         L"<location><![CDATA[http://www.example.com/news]]></location>"
         L"<href><![CDATA[http://www.example.com/a?b=1]]></href>"
         L"<content><id>link</id><id>main</id></content></context>"},
        {"hot spot, sending on", HotSpotParts(true),
         L"<context><app>{5FA5BCF8-7C6F-4E28-9479-3AB992F8B579}</app>"
         L"<title><![CDATA[News]]></title>"
         L"<location><![CDATA[http://www.example.com/news]]></location>"
         L"<href><![CDATA[http://www.example.com/a?b=1]]></href>"
         L"<text><![CDATA[the text around]]></text>"
         L"<content><id>link</id><id>main</id></content>"
         L"<meta><description><![CDATA[about news]]></description>"
         L"<keywords><![CDATA[news, more]]></keywords></meta></context>"},
        {"selection, sending off", selection,
         L"<context><app>{5FA5BCF8-7C6F-4E28-9479-3AB992F8B579}</app>"
         L"<title><![CDATA[News]]></title>"
         L"<location><![CDATA[http://www.example.com/news]]></location>"
         L"<href><![CDATA[]]></href><content></content></context>"},
        {"selection, sending on", selectionOn,
         L"<context><app>{5FA5BCF8-7C6F-4E28-9479-3AB992F8B579}</app>"
         L"<title><![CDATA[News]]></title>"
         L"<location><![CDATA[http://www.example.com/news]]></location>"
         L"<href><![CDATA[]]></href><text><![CDATA[the text around]]></text>"
         L"<content></content><meta><description><![CDATA[about news]]></description>"
         L"<keywords><![CDATA[news, more]]></keywords></meta></context>"},
    };
    for (const Case& c : cases) EXPECT_EQ(BuildContextXml(c.parts), c.xml) << c.what;
}

// Hostile page data still gives well-formed XML within the bound; texts that
// fit come back exactly, shortened ones as a prefix of the original.
TEST(ContextXml, HostileTextStaysWellFormedAndBounded) {
    const std::wstring big(20000, L'T');
    std::wstring manyBrackets;
    for (int i = 0; i < 3000; ++i) manyBrackets += L"]]>";
    IdRunCollector hostileIds;
    hostileIds.Add(L"a<b>&c");
    hostileIds.Add(L"]]>");
    struct Case {
        const char* what;
        std::wstring title, location, href, text, description, keywords, idRuns;
        enum { kExact, kPrefix, kReplaced } check;  // how the texts come back
    } cases[] = {
        {"CDATA end in every text", L"x]]>y", L"]]>", L"]]]>", L"a]]>]]>b", L"]]", L"]>", L"", Case::kExact},
        {"markup characters", L"<b>&amp;</b>", L"http://h/?a=1&b=<2>", L"&", L"<", L">", L"&lt;", hostileIds.Runs(),
         Case::kExact},
        {"20,000-character title", big, L"http://h/", L"", L"", L"", L"", L"", Case::kPrefix},
        {"every text huge", big, big, big, big, big, big, L"", Case::kPrefix},
        {"brackets that grow when split", manyBrackets, manyBrackets, L"", L"", L"", L"", L"", Case::kPrefix},
        {"control characters and lone surrogates",
         std::wstring(L"a\x01"
                      L"b\x1f") +
             wchar_t(0xD800) + L"c",
         std::wstring(1, wchar_t(0xFFFE)), L"", L"", L"", L"", L"", Case::kReplaced},
    };
    for (const Case& c : cases) {
        for (bool send : {false, true}) {
            ContextParts p;
            p.appId = kApp;
            p.title = c.title;
            p.location = c.location;
            p.href = c.href;
            p.contextText = c.text;
            p.description = c.description;
            p.keywords = c.keywords;
            p.idRuns = c.idRuns;
            p.sendContext = send;
            const std::wstring xml = BuildContextXml(p);
            EXPECT_LE(xml.size(), kContextXmlMaxChars) << c.what;
            const ParsedContext parsed = ParseContext(xml);
            ASSERT_TRUE(parsed.ok) << c.what << " send=" << send;
            EXPECT_EQ(parsed.rootName, L"context") << c.what;
            EXPECT_EQ(parsed.text.at(L"app"), kApp);
            struct Part {
                const wchar_t* name;
                const std::wstring* original;
            } parts[] = {{L"title", &c.title}, {L"location", &c.location},       {L"href", &c.href},
                         {L"text", &c.text},   {L"description", &c.description}, {L"keywords", &c.keywords}};
            for (const Part& part : parts) {
                const bool present = parsed.text.count(part.name) != 0;
                const bool optional = std::wstring(part.name) == L"text" || std::wstring(part.name) == L"description" ||
                                      std::wstring(part.name) == L"keywords";
                EXPECT_EQ(present, !optional || send) << c.what;
                if (!present) continue;
                const std::wstring& got = parsed.text.at(part.name);
                if (c.check == Case::kExact) {
                    EXPECT_EQ(got, *part.original) << c.what;
                } else if (c.check == Case::kPrefix) {
                    EXPECT_EQ(part.original->compare(0, got.size(), got), 0) << c.what;
                }
            }
            if (!c.idRuns.empty()) { EXPECT_EQ(parsed.ids, (std::vector<std::wstring>{L"a<b>&c", L"]]>"})); }
        }
    }
}

// The parser used above rejects what it must (MSXML strictly).
TEST(ContextXml, ParseBackRejectsMalformedText) {
    EXPECT_TRUE(ParseContext(L"<context><app>a</app></context>").ok);
    EXPECT_FALSE(ParseContext(L"<context><app>a<b</app></context>").ok);
#ifdef _WIN32  // pugixml is lenient about these two
    EXPECT_FALSE(ParseContext(L"<context><title><![CDATA[a]]>]]></title></context>").ok);
    EXPECT_FALSE(ParseContext(L"<context><title><![CDATA[a\x01]]></title></context>").ok);
#endif
}

TEST(ContextXml, LongTextsShareTheRoomAndShortOnesStayWhole) {
    ContextParts p;
    p.appId = kApp;
    p.title = std::wstring(20000, L'T');
    p.location = L"http://www.example.com/";
    p.href = std::wstring(20000, L'H');
    p.idRuns = L"<id>a</id>";
    const std::wstring xml = BuildContextXml(p);
    EXPECT_GE(xml.size(), kContextXmlMaxChars - 1);
    EXPECT_LE(xml.size(), kContextXmlMaxChars);
    const ParsedContext parsed = ParseContext(xml);
    ASSERT_TRUE(parsed.ok);
    EXPECT_EQ(parsed.text.at(L"location"), p.location);
    EXPECT_EQ(parsed.ids, std::vector<std::wstring>{L"a"});
    const size_t title = parsed.text.at(L"title").size();
    const size_t href = parsed.text.at(L"href").size();
    EXPECT_GT(title, 3000u);
    EXPECT_LE(title > href ? title - href : href - title, 1u);
}

TEST(ContextXml, ShortBoundDropsWholeIdRunsOnly) {
    ContextParts p;
    p.appId = L"app";
    p.idRuns = L"<id>one</id><id>two</id><id>three</id>";
    const size_t fixed = BuildContextXml(ContextParts{L"app"}).size();
    for (size_t room = 0; room <= p.idRuns.size(); ++room) {
        const std::wstring xml = BuildContextXml(p, fixed + room);
        EXPECT_LE(xml.size(), fixed + room);
        ASSERT_TRUE(ParseContext(xml).ok) << room;
    }
    EXPECT_EQ(ParseContext(BuildContextXml(p, fixed + 25)).ids, (std::vector<std::wstring>{L"one", L"two"}));
}

TEST(IdRuns, InnermostFirstWithinTheLimit) {
    const std::wstring longId(990, L'x');
    struct Case {
        const char* what;
        std::vector<const wchar_t*> ids;  // innermost first
        size_t limit;
        const wchar_t* runs;
    } cases[] = {
        {"innermost first", {L"link", L"p1", L"main"}, 999, L"<id>link</id><id>p1</id><id>main</id>"},
        {"empty and non-string ids skipped", {L"", nullptr, L"main"}, 999, L"<id>main</id>"},
        {"markup in ids escaped", {L"a&b<c>"}, 999, L"<id>a&amp;b&lt;c&gt;</id>"},
        {"a long id skipped, outer ones still fit", {L"a", longId.c_str(), L"b"}, 999, L"<id>a</id><id>b</id>"},
        {"exactly at the limit", {L"abc"}, 12, L"<id>abc</id>"},
        {"one over the limit", {L"abcd", L"ab"}, 12, L"<id>ab</id>"},
    };
    for (const Case& c : cases) {
        IdRunCollector collector(c.limit);
        for (const wchar_t* id : c.ids) collector.Add(id);
        EXPECT_EQ(collector.Runs(), c.runs) << c.what;
        EXPECT_LE(collector.Runs().size(), c.limit);
    }
}

TEST(IdRuns, ManyIdsStopGrowingAt999) {
    IdRunCollector collector;
    for (int i = 0; i < 500; ++i) collector.Add(L"element");
    EXPECT_LE(collector.Runs().size(), 999u);
    EXPECT_GT(collector.Runs().size(), 999u - 16u);
}

TEST(ContextText, FirstAncestorLongEnoughGoingOutward) {
    const std::wstring huge(5000, L'h');
    const std::wstring exactly1024(1024, L'k');
    struct Case {
        const char* what;
        size_t n;
        std::vector<const wchar_t*> texts;  // innermost first; nullptr: read failed
        std::wstring expected;
        bool done;
    } cases[] = {
        {"more than eight times the selection",
         2,
         {L"ab", L"0123456789abcdefg", L"outer text"},
         L"0123456789abcdefg",
         true},
        {"exactly eight times is not enough", 2, {L"0123456789abcdef"}, L"", false},
        {"failed reads and empty texts go on", 1, {nullptr, L"", L"0123456789"}, L"0123456789", true},
        {"1024 or more characters cut to 1023", 1000, {huge.c_str()}, std::wstring(1023, L'h'), true},
        {"1024 exactly", 500, {exactly1024.c_str()}, std::wstring(1023, L'k'), true},
        {"no ancestor long enough", 10, {L"short", L"still short"}, L"", false},
    };
    for (const Case& c : cases) {
        ContextTextPicker picker(c.n);
        bool done = false;
        for (const wchar_t* t : c.texts) {
            if ((done = picker.Offer(t))) break;
        }
        EXPECT_EQ(done, c.done) << c.what;
        EXPECT_EQ(picker.Result(), c.expected) << c.what;
    }
}

TEST(ContextText, CutKeepsSurrogatePairsWhole) {
    std::wstring text(1022, L'a');
    text += wchar_t(0xD83D);
    text += wchar_t(0xDE00);
    text += std::wstring(100, L'b');
    ContextTextPicker picker(1);
    EXPECT_TRUE(picker.Offer(text.c_str()));
    EXPECT_EQ(picker.Result(), std::wstring(1022, L'a'));
}

TEST(Meta, DescriptionAndKeywordsLaterWins) {
    PageMeta meta;
    meta.Offer(L"Description", L"first");
    meta.Offer(L"author", L"someone");
    meta.Offer(L"KEYWORDS", L"k1");
    meta.Offer(nullptr, L"no name");
    meta.Offer(L"keywords", nullptr);
    meta.Offer(L"description", L"second");
    EXPECT_EQ(meta.description, L"second");
    EXPECT_EQ(meta.keywords, L"k1");
}

TEST(Geometry, SelectionRectangle) {
    const Rect visible{100, 200, 900, 800};
    struct Case {
        const char* what;
        SelectionPlacement p;
        Rect expected;
    } cases[] = {
        {"plain text moved to the screen",
         {{10, 20, 50, 15}, {}, {}, {100, 200}, {0, 0}, visible},
         {110, 220, 160, 235}},
        {"body scroll added", {{10, 20, 50, 15}, {}, {}, {100, 200}, {5, 7}, visible}, {115, 227, 165, 242}},
        {"clamped into the visible area",
         {{-20, 590, 50, 40}, {}, {}, {100, 200}, {0, 0}, visible},
         {100, 790, 130, 800}},
        {"text area offset and clip",
         {{30, 40, 200, 20}, {0, 8}, {20, 30, 120, 60}, {100, 200}, {0, 0}, visible},
         {130, 248, 220, 260}},
        {"scrolled out of the text area",
         {{30, 40, 50, 20}, {0, 50}, {20, 30, 120, 60}, {100, 200}, {}, visible},
         {130, 290, 180, 260}},
        {"outside the visible area", {{900, 20, 50, 15}, {}, {}, {100, 200}, {}, visible}, {1000, 220, 900, 235}},
    };
    for (const Case& c : cases) EXPECT_EQ(SelectionScreenRect(c.p), c.expected) << c.what;
    EXPECT_TRUE(IsEmpty(cases[4].expected));
    EXPECT_TRUE(IsEmpty(cases[5].expected));
}

TEST(Geometry, RightToLeftWidthSpansFromTheFirstLeftEdge) {
    EXPECT_EQ(RightToLeftWidth({100, 10, 0, 12}, {92, 10, 30, 12}), 22);
}

TEST(Geometry, ElementRectAddsTheOffsetParentChain) {
    EXPECT_FALSE(ElementRectFromOffsets(5, 6, 10, 10, {}).has_value());
    const auto r = ElementRectFromOffsets(5, 6, 100, 40, {{10, 20, true, 3, 4}, {100, 200, false, 99, 99}});
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(*r, (Rect{112, 222, 212, 262}));
}

TEST(Geometry, DocumentAndFrameRectangles) {
    EXPECT_EQ(DocumentScreenRect(10, 20, 300, 400), (Rect{10, 20, 310, 420}));
    EXPECT_TRUE(IsEmpty(DocumentScreenRect(10, std::nullopt, 300, 400)));
    const Rect area{0, 0, 800, 600};
    struct Case {
        const char* what;
        Rect frame;
        Point rootScroll;
        bool usable;
        Rect clip;
        Point origin;
    } cases[] = {
        {"inside", {100, 100, 300, 200}, {0, 0}, true, {100, 100, 300, 200}, {100, 100}},
        {"scrolled up by the root", {100, 100, 300, 200}, {0, 150}, true, {100, 0, 300, 50}, {100, -50}},
        {"scrolled out of the area", {100, 100, 300, 200}, {0, 250}, false, {}, {}},
        {"empty frame", {100, 100, 100, 200}, {0, 0}, false, {}, {}},
    };
    for (const Case& c : cases) {
        const FrameView v = FrameViewIn(c.frame, c.rootScroll, area);
        EXPECT_EQ(v.usable, c.usable) << c.what;
        if (!c.usable) continue;
        EXPECT_EQ(v.clip, c.clip) << c.what;
        EXPECT_EQ(v.origin.x, c.origin.x) << c.what;
        EXPECT_EQ(v.origin.y, c.origin.y) << c.what;
    }
}

}  // namespace
