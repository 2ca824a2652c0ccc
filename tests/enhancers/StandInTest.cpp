// The stand-ins as later tests use them: scripted answers and the exact
// record of every call.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "ActionTransfers.h"
#include "Hextens/HXIE/HXIE.h"
#include "StandIns.h"
#include "TestSupport.h"
#include "fx/Handle.h"
#include "hosts/SiteEnhancer.h"

namespace {

using fx::ComPtr;
using Lines = std::vector<std::wstring>;

using testsupport::Take;

std::wstring TempPath(const wchar_t* name) {
    wchar_t dir[MAX_PATH];
    ::GetTempPathW(MAX_PATH, dir);
    std::wstring path = std::wstring(dir) + name + std::to_wstring(::GetCurrentProcessId());
    ::DeleteFileW(path.c_str());
    return path;
}

class StandIns : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
        script_ = TempPath(L"standin-script");
        log_ = TempPath(L"standin-log");
        for (auto var : {standin::kRecorderScriptVar, standin::kSiteScriptVar})
            ::SetEnvironmentVariableW(var, script_.c_str());
        for (auto var : {standin::kRecorderLogVar, standin::kSiteLogVar}) ::SetEnvironmentVariableW(var, log_.c_str());
    }
    void TearDown() override {
        ::CoUninitialize();
        ::DeleteFileW(script_.c_str());
        ::DeleteFileW(log_.c_str());
    }
    void Script(const std::wstring& text) { ASSERT_TRUE(standin::WriteScript(script_, text)); }
    Lines Records() { return standin::ReadRecords(log_); }

    template <class T>
    ComPtr<T> Create(REFCLSID clsid, REFIID iid) {
        ComPtr<T> p;
        EXPECT_EQ(S_OK, ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, p.put_void()));
        return p;
    }

    std::wstring script_, log_;
};

VARIANT Bstr(const wchar_t* text) {
    VARIANT v;
    v.vt = VT_BSTR;
    v.bstrVal = ::SysAllocString(text);
    return v;
}

// The loading sequence, recorded call by call, and the release that ends it.
TEST_F(StandIns, RecordsTheLoadingCallsInOrder) {
    Script(L"A:type Scripted A\n");
    ComPtr<ISiteEnhancer> site = Create<ISiteEnhancer>(standin::kSiteEnhancerClsid, IID_ISiteEnhancer);
    ASSERT_TRUE(site);
    {
        ComPtr<IDispatch> dispatch = Create<IDispatch>(standin::kRecordingA, IID_IDispatch);
        ASSERT_TRUE(dispatch);
        ComPtr<IAction> action;
        ASSERT_EQ(S_OK, dispatch.As(action, IID_IAction));
        EXPECT_EQ(S_OK, action->Init());
        EXPECT_EQ(S_OK, action->SetSiteEnhancer(site.get()));
        VARIANT text = Bstr(L"<init>\n\t</init>"), e1 = Bstr(L""), e2 = Bstr(L""), e3 = Bstr(L"");
        EXPECT_EQ(S_OK, action->SetConfigurationOption(1, &text, &e1, &e2, &e3));
        VARIANT none;
        none.vt = VT_EMPTY;
        EXPECT_EQ(S_OK, action->SetConfigurationOption(2, &e1, &none, &e2, &e3));
        for (VARIANT* v : {&text, &e1, &e2, &e3}) ::VariantClear(v);
        BSTR type = nullptr;
        EXPECT_EQ(S_OK, action->get_enhancertype(&type));
        EXPECT_EQ(L"Scripted A", Take(type));
        EXPECT_EQ(S_OK, action->Unload());
    }
    Lines got = Records();
    ASSERT_FALSE(got.empty());
    const std::wstring a = got[0].substr(0, got[0].find(L' '));  // "A<n>"
    ASSERT_EQ(L'A', a[0]);
    Lines want = {
        a + L" Init",
        a + L" SetSiteEnhancer site",
        a + L" SetConfigurationOption 1 | bstr:<init>\\n\\t</init> | bstr: | bstr: | bstr:",
        a + L" SetConfigurationOption 2 | bstr: | empty | bstr: | bstr:",
        a + L" get_enhancertype",
        a + L" Unload",
        a + L" Destroyed",
    };
    EXPECT_EQ(want, got);
}

TEST_F(StandIns, ScriptedUpdatesSelectionsAndHotSpots) {
    Script(L"update 0 9 13\n"
           L"selection 10 20 110 40 3 first words|<context a/>|guess a\n"
           L"selection 10 40 60 60 0 second|<context b/>|\n"
           L"hotspot 5 6 7 8 255 example.com|link text|http://example.com/x|<c/>|best\n"
           L"B:active 0\n"
           L"fail Unload 80004005\n");
    ComPtr<IAction> a = Create<IAction>(standin::kRecordingA, IID_IAction);
    ComPtr<IAction> b = Create<IAction>(standin::kRecordingB, IID_IAction);
    ASSERT_TRUE(a && b);
    LONG bits[4] = {};
    for (LONG& v : bits) ASSERT_EQ(S_OK, a->Update(&v));
    EXPECT_EQ(0, bits[0]);
    EXPECT_EQ(9, bits[1]);
    EXPECT_EQ(13, bits[2]);
    EXPECT_EQ(13, bits[3]);

    LONG active = -1;
    a->HaveActiveEnhancerAreas(&active);
    EXPECT_EQ(1, active);
    b->HaveActiveEnhancerAreas(&active);
    EXPECT_EQ(0, active);

    std::vector<testsupport::TransferItem> got = testsupport::ReadSelectionTransfer(a.get(), 3);
    ASSERT_EQ(2u, got.size());
    EXPECT_EQ(110, got[0].r);
    EXPECT_EQ(3, got[0].flags);
    EXPECT_EQ(L"first words", got[0].text);
    EXPECT_EQ(L"<context a/>", got[0].context);
    EXPECT_EQ(L"guess a", got[0].guess);
    EXPECT_EQ(60, got[1].b);
    EXPECT_EQ(L"", got[1].guess);

    a->HotSpotTransferBegin(0);
    LONG next = 0;
    a->HotSpotTransferNext(&next);
    ASSERT_NE(0, next);
    BSTR domain = nullptr, href = nullptr;
    a->GetDomain(&domain), a->GetHRef(&href);
    EXPECT_EQ(L"example.com", Take(domain));
    EXPECT_EQ(L"http://example.com/x", Take(href));
    a->HotSpotTransferNext(&next);
    EXPECT_EQ(0, next);
    a->HotSpotTransferEnd();

    EXPECT_EQ(static_cast<HRESULT>(0x80004005), a->Unload());
}

TEST_F(StandIns, ClassWithoutIActionAnswersOnlyIDispatch) {
    ComPtr<IDispatch> d = Create<IDispatch>(standin::kNoIAction, IID_IDispatch);
    ASSERT_TRUE(d);
    ComPtr<IAction> action;
    EXPECT_EQ(E_NOINTERFACE, d.As(action, IID_IAction));
}

TEST_F(StandIns, SiteEnhancerFollowsItsRules) {
    Script(L"domain example.com\n"
           L"link /pq/ canned guess\n"
           L"entry first site\n"
           L"entry second site\n");
    {
        ComPtr<ISiteEnhancer> site = Create<ISiteEnhancer>(standin::kSiteEnhancerClsid, IID_ISiteEnhancer);
        ASSERT_TRUE(site);
        struct { const wchar_t* domain; bool enhanced; } domains[] = {
            {L"example.com", true}, {L"www.EXAMPLE.com", true}, {L"badexample.com", false}, {L"other.org", false}};
        for (const auto& d : domains) {
            VARIANT_BOOL is = 7;
            BSTR name = ::SysAllocString(d.domain);
            EXPECT_EQ(S_OK, site->IsEnhancedDomain(name, &is));
            ::SysFreeString(name);
            EXPECT_EQ(d.enhanced ? VARIANT_TRUE : VARIANT_FALSE, is) << d.enhanced;
        }
        struct { const wchar_t* href; bool hit; } links[] = {{L"http://example.com/pq/x", true}, {L"http://example.com/", false}};
        for (const auto& l : links) {
            VARIANT_BOOL is = 7;
            BSTR guess = nullptr, loc = ::SysAllocString(L"http://example.com/page"), href = ::SysAllocString(l.href),
                 ids = ::SysAllocString(L"");
            EXPECT_EQ(S_OK, site->IsHotSpotLink(loc, href, ids, &guess, &is));
            EXPECT_EQ(l.hit ? VARIANT_TRUE : VARIANT_FALSE, is);
            EXPECT_EQ(l.hit ? L"canned guess" : L"", Take(guess));
            for (BSTR b : {loc, href, ids}) ::SysFreeString(b);
        }
        std::vector<std::wstring> entries;
        for (LONG i = 0; i < 5; ++i) {
            BSTR e = nullptr;
            site->GetSiteEntry(i, &e);
            std::wstring text = Take(e);
            if (text.empty()) break;
            entries.push_back(text);
        }
        EXPECT_EQ((std::vector<std::wstring>{L"first site", L"second site"}), entries);
        BSTR key = nullptr;
        EXPECT_EQ(S_OK, site->SetUserKey(&key));
        EXPECT_EQ(S_OK, site->Shutdown());
    }
    Lines records = Records();
    ASSERT_GE(records.size(), 3u);
    const std::wstring s = records[0].substr(0, records[0].find(L' '));  // "S<n>"
    EXPECT_EQ(s + L" IsEnhancedDomain example.com", records.front());
    EXPECT_EQ(s + L" SetUserKey (null)", records[records.size() - 3]);
    EXPECT_EQ(s + L" Shutdown", records[records.size() - 2]);
    EXPECT_EQ(s + L" Destroyed", records.back());
}

TEST_F(StandIns, SiteEnhancerWithoutScriptEnhancesEveryDomainAndNoLink) {
    ::SetEnvironmentVariableW(standin::kSiteScriptVar, nullptr);
    ComPtr<ISiteEnhancer> site = Create<ISiteEnhancer>(standin::kSiteEnhancerClsid, IID_ISiteEnhancer);
    ASSERT_TRUE(site);
    VARIANT_BOOL is = 0;
    BSTR any = ::SysAllocString(L"any.where");
    site->IsEnhancedDomain(any, &is);
    EXPECT_EQ(VARIANT_TRUE, is);
    BSTR guess = nullptr;
    site->IsHotSpotLink(any, any, any, &guess, &is);
    EXPECT_EQ(VARIANT_FALSE, is);
    ::SysFreeString(any);
    ::SysFreeString(guess);
}

}  // namespace
