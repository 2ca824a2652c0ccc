// The selection filter, the ignore-word trie and the server-init reader, in
// tables that run natively and under Wine alike.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "Hextens/HXLib/CoreLog.h"
#include "Hextens/HXLib/SelectionFilter.h"
#include "Hextens/HXLib/ServerInit.h"
#include "Hextens/HXLib/tests/CoreTestUtil.h"

#if defined(_WIN32)
#include <cwctype>
#endif

using coretest::Utf8;
using hxcore::Char;
using hxcore::String;

namespace {

std::vector<std::string> g_lines;
void Capture(const String& line) { g_lines.push_back(Utf8(line)); }

// Collects the core's log lines for the life of the fixture.
class CoreLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_lines.clear();
        hxcore::SetLogSink(Capture);
    }
    void TearDown() override { hxcore::SetLogSink(nullptr); }
};

std::string Filter(const String& text, bool requireLetter, IgnoreWordTrie* list) {
    Char out[hxcore::kFilterChars];
    hxcore::FilterSelection(text.c_str(), out, requireLetter, list);
    return Utf8(out);
}

struct FilterCase {
    const char* what;
    String text;
    bool requireLetter;
    const char* list;  // null: no ignore list
    std::string expected;
};

TEST_F(CoreLogTest, SelectionFilterCases) {
    const String a255(255, u'a');
    const String a256(256, u'a');
    const FilterCase cases[] = {
        {"leading junk and trailing punctuation", u"  --5 apples!!  ", false, nullptr, "-5 apples"},
        {"'-' before a digit starts the text", u"-42", false, nullptr, "-42"},
        {"'-' before a letter is junk", u"-x", false, nullptr, "x"},
        {"punctuation only", u"...!!!", false, nullptr, ""},
        {"empty", u"", false, nullptr, ""},
        {"line breaks and blanks collapse", u"Hello,\r\n\r\n   world", false, nullptr, "Hello, world"},
        {"tabs collapse", u"a\t\t b", false, nullptr, "a b"},
        {"no-break spaces are whitespace", u"a\u00a0\u00a0b", false, nullptr, "a b"},
        {"inner punctuation stays", u"(R&D dept.)", false, nullptr, "R&D dept"},
        {"cut after the last alphanumeric", u"word .,; ", false, nullptr, "word"},
        {"letters beyond ASCII", u"\u00bfQu\u00e9?", false, nullptr, "Qu\u00e9"},
        {"superscript digits are digits", u"x\u00b2!", false, nullptr, "x\u00b2"},
        {"255 characters are accepted", a255, false, nullptr, std::string(255, 'a')},
        {"256 characters are rejected", a256, false, nullptr, ""},
        {"requireLetter blanks digits only", u"2008", true, nullptr, ""},
        {"requireLetter keeps digits with a letter", u"2008a", true, nullptr, "2008a"},
        {"digits without requireLetter", u"2008", false, nullptr, "2008"},
        {"a listed word", u"the", false, "the\r\nand", ""},
        {"a listed word in capitals", u"THE", false, "the\r\nand", ""},
        {"a prefix of a listed word", u"th", false, "the\r\nand", ""},
        {"a one-letter prefix", u"t", false, "the\r\nand", ""},
        {"the second listed word's prefix", u"an", false, "the\r\nand", ""},
        {"a listed word after filtering", u"  \"The\"  ", false, "the\r\nand", ""},
        {"longer than a listed word", u"then", false, "the\r\nand", "then"},
        {"two tokens", u"the end", false, "the\r\nand", "the end"},
        {"two listed tokens", u"the and", false, "the\r\nand", "the and"},
        {"apostrophe word: first part", u"don", false, "don't", ""},
        {"apostrophe word: second part", u"t", false, "don't", ""},
        {"apostrophe word itself is kept", u"don't", false, "don't", "don't"},
        {"an empty list ignores nothing", u"the", false, "", "the"},
    };
    for (const FilterCase& c : cases) {
        IgnoreWordTrie trie;
        if (c.list) trie.Build(hxcore::Ascii(c.list).c_str());
        EXPECT_EQ(Filter(c.text, c.requireLetter, c.list ? &trie : nullptr), c.expected) << c.what;
        EXPECT_EQ(trie.Cursor(), 0) << c.what;
    }
}

TEST_F(CoreLogTest, BuildLogsSizeAndSelfTest) {
    IgnoreWordTrie trie;
    trie.Build(u"the\r\nand");
    // Seven nodes (root, t, h, e, a, n, d) and eight characters, 12 bytes each.
    EXPECT_EQ(g_lines, (std::vector<std::string>{
                           "Ignore list size: 84(96)",
                           "Ignore list test passed: all ignore words recognized",
                           "Ignore list test: [this is a test] -> [this is test]",
                       }));

    g_lines.clear();
    IgnoreWordTrie one;
    one.Build(u"a");
    ASSERT_EQ(one.NodeCount(), 2);
    EXPECT_EQ(g_lines.at(0), "Ignore list size: 24(12)");

    g_lines.clear();
    IgnoreWordTrie apostrophe;
    apostrophe.Build(u"don't\nstop");
    EXPECT_EQ(g_lines.at(1), "Ignore list test failed: [don't]");
}

TEST_F(CoreLogTest, TrieNodesInCreationOrder) {
    IgnoreWordTrie trie;
    trie.Build(u"the\r\nand\nThat");
    struct Expected {
        Char c;
        int32_t next, child;
    };
    const Expected expected[] = {
        {0, -1, 1},    {u't', 4, 2},   {u'h', -1, 3}, {u'e', 7, -1},  {u'a', -1, 5},
        {u'n', -1, 6}, {u'd', -1, -1}, {u'a', -1, 8}, {u't', -1, -1},
    };
    ASSERT_EQ(trie.NodeCount(), 9);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(trie.Nodes()[i].character, expected[i].c) << i;
        EXPECT_EQ(trie.Nodes()[i].nextSibling, expected[i].next) << i;
        EXPECT_EQ(trie.Nodes()[i].firstChild, expected[i].child) << i;
    }
}

TEST_F(CoreLogTest, WalksLeaveTheCursorAtTheRoot) {
    IgnoreWordTrie trie;
    trie.Build(u"the");
    EXPECT_FALSE(trie.IsIgnored(u"xyz"));
    EXPECT_EQ(trie.Cursor(), 0);
    // A miss must not spoil the next walk.
    EXPECT_TRUE(trie.IsIgnored(u"th"));
    EXPECT_TRUE(trie.IsIgnored(u""));  // no token
    String rest;
    trie.RemoveWords(u"  the\r\nquick  \nth x ", rest);
    EXPECT_EQ(Utf8(rest), "quick x");
    EXPECT_EQ(trie.Cursor(), 0);
}

TEST_F(CoreLogTest, CopiesOwnTheirNodes) {
    IgnoreWordTrie* original = new IgnoreWordTrie;
    original->Build(u"alpha beta");
    IgnoreWordTrie copy(*original);
    IgnoreWordTrie assigned;
    assigned.Build(u"zzz");
    assigned = *original;
    delete original;
    EXPECT_TRUE(copy.IsIgnored(u"BET"));
    EXPECT_TRUE(assigned.IsIgnored(u"alp"));
    EXPECT_FALSE(assigned.IsIgnored(u"zzz"));
}

const char kId[] = "{6A5F3D10-2B4C-4E8F-9A1B-3C5D7E9F0A2B}";

std::string Doc(const std::string& userValue, const std::string& enhancers) {
    return "<?xml version=\"1.0\"?>\n<init>\n <user><send_context>" + userValue +
           "</send_context></user>\n <enhancers><app>" + enhancers + "</app></enhancers>\n</init>";
}
std::string Enhancer(const std::string& id, const std::string& send) {
    return "<enhancer><id>" + id + "</id><send_context>" + send + "</send_context></enhancer>";
}

TEST(ServerInit, SendContextCases) {
    const std::string key = "6A5F3D10-2B4C-4E8F-9A1B-3C5D7E9F0A2B";
    std::string lower = key;
    for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    struct Row {
        const char* what;
        std::string xml;
        const char* id;
        bool expected;
    };
    const Row rows[] = {
        {"matching record", Doc("true", Enhancer(key, "true")), kId, true},
        {"record says false", Doc("true", Enhancer(key, "false")), kId, false},
        {"record id with braces does not match", Doc("true", Enhancer(std::string("{") + key + "}", "true")), kId,
         false},
        {"id compared ignoring case", Doc("TRUE", Enhancer(lower, "True")), kId, true},
        {"value padded with whitespace", Doc("\n  true  \n", Enhancer(key, " true\t")), kId, true},
        {"other records before the match", Doc("true", Enhancer("other", "false") + Enhancer(key, "true")), kId, true},
        {"first match wins", Doc("true", Enhancer(key, "false") + Enhancer(key, "true")), kId, false},
        {"user flag yes is not true", Doc("yes", Enhancer(key, "true")), kId, false},
        {"user flag empty", Doc("", Enhancer(key, "true")), kId, false},
        {"no user element", "<init><enhancers><app>" + Enhancer(key, "true") + "</app></enhancers></init>", kId, false},
        {"no matching record", Doc("true", Enhancer("other", "true")), kId, false},
        {"record without send_context", Doc("true", "<enhancer><id>" + key + "</id></enhancer>"), kId, false},
        {"element names ignore case",
         "<INIT><User><Send_Context>true</Send_Context></User><Enhancers><APP><Enhancer><ID>" + key +
             "</ID><SEND_CONTEXT>true</SEND_CONTEXT></Enhancer></APP></Enhancers></INIT>",
         kId, true},
        {"a shorter id loses only its first character", Doc("true", Enhancer("abc", "true")), "Xabc", true},
        {"init lacking its end tag is tolerated",
         "<init><user><send_context>true</send_context></user><enhancers><app>" + Enhancer(key, "true"), kId, true},
        {"a document that does not parse", Doc("true", Enhancer(key, "true&nbsp;")), kId, false},
        {"not a settings document", "<html><body>502</body></html>", kId, false},
        {"empty text", "", kId, false},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(hxcore::ReadSendContext(hxcore::Ascii(r.xml.c_str()).c_str(), hxcore::Ascii(r.id).c_str()),
                  r.expected)
            << r.what;
    }
    EXPECT_FALSE(hxcore::ReadSendContext(nullptr, hxcore::Ascii(kId).c_str()));
}

TEST(ServerInit, EnhancerKey) {
    EXPECT_EQ(Utf8(hxcore::EnhancerKey(hxcore::Ascii(kId).c_str())), "6A5F3D10-2B4C-4E8F-9A1B-3C5D7E9F0A2B");
    EXPECT_EQ(Utf8(hxcore::EnhancerKey(u"{6A5F3D10-2B4C-4E8F-9A1B-3C5D7E9F0A2B}tail")),
              "6A5F3D10-2B4C-4E8F-9A1B-3C5D7E9F0A2B");
    EXPECT_EQ(Utf8(hxcore::EnhancerKey(u"Xabc")), "abc");
    EXPECT_EQ(Utf8(hxcore::EnhancerKey(u"")), "");
    EXPECT_EQ(Utf8(hxcore::EnhancerKey(nullptr)), "");
}

#if defined(_WIN32)
// The native build reads a recorded table: it must agree with this runtime
// for every code unit.
TEST(CharClass, TableMatchesTheRuntime) {
    int mismatches = 0;
    for (unsigned c = 0; c <= 0xFFFF; ++c) {
        const wint_t w = static_cast<wint_t>(c);
        const unsigned bits = (std::iswalnum(w) ? hxcore::kAlnum : 0) | (std::iswalpha(w) ? hxcore::kAlpha : 0) |
                              (std::iswdigit(w) ? hxcore::kDigit : 0) | (std::iswspace(w) ? hxcore::kSpace : 0);
        const Char ch = static_cast<Char>(c);
        if (hxcore::TableClass(ch) != bits || hxcore::TableLower(ch) != static_cast<Char>(std::towlower(w))) {
            if (++mismatches <= 10) ADD_FAILURE() << "code unit " << std::hex << c;
        }
    }
    EXPECT_EQ(mismatches, 0);
}
#endif

}  // namespace
