// UtilityLib as the enhancers see it: loaded from HXLib.dll.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "Hextens/HXLib/UtilityLib.h"
#include "ViewerLog.h"
#include "log/Logger.h"

namespace {

#ifndef _WIN64
static_assert(sizeof(UtilityLib) == 208, "UtilityLib size as the enhancers allocate it");
constexpr size_t kIgnoreListAt = 204;
#else
constexpr size_t kIgnoreListAt = 208;  // the 64-bit test build
#endif

const wchar_t kId[] = L"{6A5F3D10-2B4C-4E8F-9A1B-3C5D7E9F0A2B}";

tagCONFIG Config(const wchar_t* id, const wchar_t* name, bool requireLetter) {
    tagCONFIG c{};
    wcsncpy(c.id, id, 49);
    wcsncpy(c.name, name, 49);
    c.flag = requireLetter;
    return c;
}

std::wstring SettingsDoc(const std::wstring& recordId, const std::wstring& send) {
    return L"<?xml version=\"1.0\"?><init><user><send_context>true</send_context></user><enhancers><app>"
           L"<enhancer><id>" +
           recordId + L"</id><send_context>" + send + L"</send_context></enhancer></app></enhancers></init>";
}

const unsigned char* Bytes(const UtilityLib& u) { return reinterpret_cast<const unsigned char*>(&u); }
const void* IgnoreListPointer(const UtilityLib& u) {
    const void* p;
    std::memcpy(&p, Bytes(u) + kIgnoreListAt, sizeof p);
    return p;
}

TEST(UtilityLib, LayoutSeenThroughTheDll) {
    auto u = std::make_unique<UtilityLib>();
    EXPECT_EQ(reinterpret_cast<void*>(u->GetConfiguration()), reinterpret_cast<void*>(u.get()));
    EXPECT_EQ(u->GetConfiguration()->id[0], L'\0');
    EXPECT_EQ(u->GetConfiguration()->name[0], L'\0');
    EXPECT_FALSE(u->GetConfiguration()->flag);
    EXPECT_FALSE(u->RequireLetter());
    EXPECT_FALSE(u->SendContext());
    EXPECT_EQ(IgnoreListPointer(*u), nullptr);

    tagCONFIG c = Config(kId, L"HXIE", true);
    u->SetConfiguration(&c);
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(Bytes(*u) + 0)), kId);
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(Bytes(*u) + 100)), L"HXIE");
    EXPECT_EQ(Bytes(*u)[200], 1);
    EXPECT_TRUE(u->RequireLetter());

    EXPECT_EQ(Bytes(*u)[201], 0);
    u->ConfigureServerInit(SettingsDoc(std::wstring(kId + 1, 36), L"true").c_str());
    EXPECT_EQ(Bytes(*u)[201], 1);
    EXPECT_TRUE(u->SendContext());

    u->ConfigureIgnoreWordsList(L"the");
    EXPECT_NE(IgnoreListPointer(*u), nullptr);
}

TEST(UtilityLib, ServerInitThroughTheDll) {
    UtilityLib u;
    tagCONFIG c = Config(kId, L"HXFirefox", false);
    u.SetConfiguration(&c);
    const std::wstring key(kId + 1, 36);
    u.ConfigureServerInit(SettingsDoc(key, L"TRUE").c_str());
    EXPECT_TRUE(u.SendContext());
    // Every call starts again from false.
    u.ConfigureServerInit(SettingsDoc(kId, L"true").c_str());  // braces: no match
    EXPECT_FALSE(u.SendContext());
    u.ConfigureServerInit(SettingsDoc(key, L"true").c_str());
    u.ConfigureServerInit(L"<init>&nbsp;</init>");
    EXPECT_FALSE(u.SendContext());
    u.ConfigureServerInit(nullptr);
    EXPECT_FALSE(u.SendContext());
}

TEST(UtilityLib, SelectionFilterThroughTheDll) {
    UtilityLib u;
    EXPECT_STREQ(u.SelectionFilter(L"  --5 apples!!  "), L"-5 apples");
    wchar_t* buffer = u.SelectionFilter(L"the");
    EXPECT_STREQ(buffer, L"the");
    u.ConfigureIgnoreWordsList(L"the\r\nand");
    EXPECT_STREQ(u.SelectionFilter(L"THE"), L"");
    EXPECT_STREQ(u.SelectionFilter(L"then"), L"then");
    EXPECT_EQ(u.SelectionFilter(L"x"), buffer);  // one static buffer
    EXPECT_STREQ(u.SelectionFilter(L"2008"), L"2008");
    tagCONFIG c = Config(kId, L"HXIE", true);
    u.SetConfiguration(&c);
    EXPECT_STREQ(u.SelectionFilter(L"2008"), L"");
    EXPECT_STREQ(u.SelectionFilter(L"\u00e9t\u00e9 2008"), L"\u00e9t\u00e9 2008");
    EXPECT_STREQ(u.SelectionFilter(std::wstring(256, L'a').c_str()), L"");
    EXPECT_STREQ(u.SelectionFilter(nullptr), L"");
}

TEST(UtilityLib, CopiesOwnTheirIgnoreList) {
    auto original = std::make_unique<UtilityLib>();
    tagCONFIG c = Config(kId, L"HXIE", false);
    original->SetConfiguration(&c);
    original->ConfigureIgnoreWordsList(L"alpha");
    UtilityLib copied(*original);
    UtilityLib assigned;
    assigned.ConfigureIgnoreWordsList(L"zzz");
    assigned = *original;
    EXPECT_NE(IgnoreListPointer(copied), IgnoreListPointer(*original));
    EXPECT_NE(IgnoreListPointer(assigned), IgnoreListPointer(*original));
    original.reset();
    EXPECT_STREQ(copied.SelectionFilter(L"ALP"), L"");
    EXPECT_STREQ(assigned.SelectionFilter(L"zzz"), L"zzz");
    EXPECT_STREQ(assigned.SelectionFilter(L"alpha"), L"");
    EXPECT_STREQ(assigned.GetConfiguration()->id, kId);
}

// Lines of the library through a logger lent by the "enhancer" (this test).
class UtilityLibLogTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(viewer.Create(L"HXLib test viewer"));
        logger.reset(Logger::Open());
        ASSERT_NE(logger, nullptr);
        util.SetLogger(logger.get());
    }
    void TearDown() override { util.SetLogger(nullptr); }
    ViewerLog viewer;
    std::unique_ptr<Logger> logger;
    UtilityLib util;
};

TEST_F(UtilityLibLogTest, ConfigurationAndIgnoreListLines) {
    tagCONFIG c = Config(kId, L"HXIE", false);
    util.SetConfiguration(&c);
    util.ConfigureIgnoreWordsList(L"the\r\nand");
    util.ConfigureIgnoreWordsList(L"don't");
    EXPECT_EQ(viewer.ReadAll(), (std::vector<std::wstring>{
                                    std::wstring(L"(HXLib) HXIE - ") + kId,
                                    L"(HXLib) ConfigureIgnoreWordsList: 8",
                                    L"(HXLib) Ignore list size: 84(96)",
                                    L"(HXLib) Ignore list test passed: all ignore words recognized",
                                    L"(HXLib) Ignore list test: [this is a test] -> [this is test]",
                                    L"(HXLib) ConfigureIgnoreWordsList: 5",
                                    L"(HXLib) Ignore list size: 60(60)",
                                    L"(HXLib) Ignore list test failed: [don't]",
                                    L"(HXLib) Ignore list test: [this is a test] -> [this is a test]",
                                }));
}

TEST_F(UtilityLibLogTest, NoLinesWithoutLoggerOrViewerWindow) {
    util.SetLogger(nullptr);
    tagCONFIG c = Config(kId, L"HXIE", false);
    util.SetConfiguration(&c);
    util.ConfigureIgnoreWordsList(L"a");
    util.SetLogger(logger.get());
    viewer.CloseWindow();
    util.SetConfiguration(&c);
    EXPECT_TRUE(viewer.ReadAll().empty());
    ASSERT_TRUE(viewer.OpenWindow());
    util.SetConfiguration(&c);
    EXPECT_EQ(viewer.ReadAll().size(), 1u);
}

// Two enhancers share the library, each lending it a logger of its own.  One
// of them unloading (taking its logger back and deleting it) or initialising
// again (lending a new one) leaves the other one's lines.
TEST_F(UtilityLibLogTest, EachClientKeepsTheLoggerItLent) {
    UtilityLib other;
    std::unique_ptr<Logger> otherLogger(Logger::Open());
    ASSERT_NE(otherLogger, nullptr);
    other.SetLogger(otherLogger.get());
    auto listLines = [&] {
        std::vector<std::wstring> lines;
        for (const std::wstring& l : viewer.ReadNew())
            if (l.rfind(L"(HXLib) ConfigureIgnoreWordsList", 0) == 0) lines.push_back(l);
        return lines;
    };
    listLines();

    util.SetLogger(nullptr);  // the first enhancer unloads
    logger.reset();
    other.ConfigureIgnoreWordsList(L"ab");
    util.ConfigureIgnoreWordsList(L"abc");
    EXPECT_EQ(listLines(), (std::vector<std::wstring>{L"(HXLib) ConfigureIgnoreWordsList: 2"}));

    logger.reset(Logger::Open());  // it initialises again
    util.SetLogger(logger.get());
    other.ConfigureIgnoreWordsList(L"abcd");
    util.ConfigureIgnoreWordsList(L"abcde");
    EXPECT_EQ(listLines(), (std::vector<std::wstring>{L"(HXLib) ConfigureIgnoreWordsList: 4",
                                                      L"(HXLib) ConfigureIgnoreWordsList: 5"}));

    other.SetLogger(nullptr);  // now the second one unloads
    otherLogger.reset();
    other.ConfigureIgnoreWordsList(L"abcdef");
    util.ConfigureIgnoreWordsList(L"abcdefg");
    EXPECT_EQ(listLines(), (std::vector<std::wstring>{L"(HXLib) ConfigureIgnoreWordsList: 7"}));
}

struct EncodeCase {
    const wchar_t* text;
    const wchar_t* expected;
};

TEST(UtilityLib, URLEncode2EncodesEveryUtf8Byte) {
    const EncodeCase cases[] = {
        {L"", L""},
        {L"a b", L"%61%20%62"},
        {L"A", L"%41"},
        {L"09", L"%30%39"},
        {L"\u00e9", L"%c3%a9"},
        {L"\t", L"%09"},
        {L"\n", L"%0a"},
        {L"+&=%", L"%2b%26%3d%25"},
        {L"\u20ac", L"%e2%82%ac"},
        {L"\xD83D\xDE00", L"%f0%9f%98%80"},  // a surrogate pair is one code point
    };
    for (const EncodeCase& c : cases) EXPECT_EQ(UtilityLib::URLEncode2(c.text), c.expected) << c.expected;
}

TEST(UtilityLib, MB2WCReadsUtf8) {
    EXPECT_EQ(UtilityLib::MB2WC(nullptr), L"");
    EXPECT_EQ(UtilityLib::MB2WC(""), L"");
    EXPECT_EQ(UtilityLib::MB2WC("abc"), L"abc");
    EXPECT_EQ(UtilityLib::MB2WC("caf\xC3\xA9 \xF0\x9F\x98\x80"), L"caf\u00e9 \xD83D\xDE00");
}

TEST(UtilityLib, ToUpperCaseStaysInsideTheDestination) {
    struct Case {
        const wchar_t* source;
        int size;
        const wchar_t* expected;  // null: the destination is untouched
    };
    const Case cases[] = {
        {L"abcdef", 4, L"ABC"}, {L"abc", 10, L"ABC"},  {L"abc", 1, L""},
        {L"abc", 0, nullptr},   {L"abc", -3, nullptr}, {nullptr, 4, L""},
    };
    for (const Case& c : cases) {
        wchar_t out[16];
        wmemset(out, L'#', 16);
        UtilityLib::ToUpperCase(c.source, out, c.size);
        if (c.expected) {
            EXPECT_STREQ(out, c.expected) << c.size;
            const size_t used = wcslen(c.expected) + 1;
            for (size_t i = used; i < 16; ++i) EXPECT_EQ(out[i], L'#') << c.size;
        } else {
            for (wchar_t ch : out) EXPECT_EQ(ch, L'#') << c.size;
        }
    }
}

}  // namespace
