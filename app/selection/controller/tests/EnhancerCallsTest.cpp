// The poll, the collections, navigation and the unload over in-process
// enhancers that record their calls.
#include <gtest/gtest.h>

#include <objbase.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/selection/controller/tests/FakeAction.h"
#include "app/selection/controller/EnhancerCalls.h"
#include "tests/support/ActionTransfers.h"
#include "hosts/SiteEnhancer.h"

// Turns the automation string cache off (oleaut32; not in the headers).
extern "C" void SetOaNoCache();  // no arguments: the calling conventions agree

namespace {

using fake::FakeAction;
using fake::Piece;

// Counts the task allocator's live blocks (every BSTR is one while the
// automation string cache is off).
class AllocSpy : public IMallocSpy {
public:
    LONG live = 0;
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IMallocSpy)) {
            *out = this;
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP_(SIZE_T) PreAlloc(SIZE_T cb) override { return cb; }
    STDMETHODIMP_(void*) PostAlloc(void* p) override {
        if (p) ++live;
        return p;
    }
    STDMETHODIMP_(void*) PreFree(void* p, BOOL spyed) override {
        if (p && spyed) --live;
        return p;
    }
    STDMETHODIMP_(void) PostFree(BOOL) override {}
    STDMETHODIMP_(SIZE_T) PreRealloc(void* p, SIZE_T cb, void** newp, BOOL) override {
        *newp = p;
        return cb;
    }
    STDMETHODIMP_(void*) PostRealloc(void* p, BOOL) override { return p; }
    STDMETHODIMP_(void*) PreGetSize(void* p, BOOL) override { return p; }
    STDMETHODIMP_(SIZE_T) PostGetSize(SIZE_T cb, BOOL) override { return cb; }
    STDMETHODIMP_(void*) PreDidAlloc(void* p, BOOL) override { return p; }
    STDMETHODIMP_(int) PostDidAlloc(void*, BOOL, int actual) override { return actual; }
    STDMETHODIMP_(void) PreHeapMinimize() override {}
    STDMETHODIMP_(void) PostHeapMinimize() override {}
};

class EnhancerCalls : public testing::Test {
protected:
    void SetUp() override { ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override {
        enhancers_.clear();
        ::CoUninitialize();
    }
    // A node holding two references, as the load leaves it.
    FakeAction& Add(const wchar_t* tag, LONG lastBits = 0) {
        fakes_.push_back(std::make_unique<FakeAction>(&calls_, tag));
        FakeAction* f = fakes_.back().get();
        f->AddRef();
        f->AddRef();
        auto node = std::make_unique<WatcherNode>(f, f, true);
        node->m_Name = std::wstring(L"Fake ") + tag;
        node->m_LastBits = lastBits;
        nodes_.push_back(node.get());
        enhancers_.push_back(std::move(node));
        return *f;
    }
    std::vector<std::wstring> Take() {
        std::vector<std::wstring> c;
        c.swap(calls_);
        return c;
    }

    std::vector<std::wstring> calls_;
    std::vector<std::unique_ptr<FakeAction>> fakes_;  // outlive the nodes
    WatcherObList enhancers_;
    std::vector<WatcherNode*> nodes_;
};

using testsupport::Calls;

TEST_F(EnhancerCalls, OneUpdatePerActiveEnhancerUnlessTheGateIsClosed) {
    FakeAction& a = Add(L"A:", 7);
    FakeAction& b = Add(L"B:", 7);
    Add(L"C:", 7);
    nodes_[2]->m_Active = false;
    a.bits = 0x01;
    b.bits = 0x22;
    PollGate open{3, false, false};
    EXPECT_EQ(PollEnhancers(enhancers_, open), 0x23);
    EXPECT_EQ(Take(), (Calls{L"A:Update", L"B:Update"}));
    EXPECT_EQ(nodes_[0]->m_LastBits, 0x01);
    EXPECT_EQ(nodes_[1]->m_LastBits, 0x22);
    EXPECT_EQ(nodes_[2]->m_LastBits, 0);

    const PollGate closed[] = {{0, false, false}, {3, true, false}, {3, false, true}};
    for (const PollGate& gate : closed) {
        EXPECT_EQ(PollEnhancers(enhancers_, gate), 0);
        EXPECT_TRUE(Take().empty());
    }
}

TEST_F(EnhancerCalls, AFailedUpdateCountsAsNothing) {
    FakeAction& a = Add(L"A:");
    FakeAction& b = Add(L"B:");
    a.bits = 0x0F;
    a.fail[L"Update"] = E_FAIL;
    b.bits = 0x04;
    EXPECT_EQ(PollEnhancers(enhancers_, PollGate{2, false, false}), 0x04);
    EXPECT_EQ(nodes_[0]->m_LastBits, 0);
}

TEST_F(EnhancerCalls, HotSpotTransferCallOrder) {
    FakeAction& a = Add(L"", 0x02);
    a.title = L"Area";
    a.hotSpots.push_back(Piece{{10, 20, 30, 40}, L"link", L"<context/>", L"guess", L"example.com", L"http://e/x"});
    LinkList list;
    std::wstring title;
    EXPECT_EQ(CollectHotSpots(enhancers_, list, &title), 1);
    EXPECT_EQ(Take(), testsupport::OneHotSpotTransferCalls());
    ASSERT_EQ(list.GetCount(), 1u);
    const LinkInfo& r = *list.GetHead();
    EXPECT_EQ(r.m_Rect.left, 10);
    EXPECT_EQ(r.m_Rect.top, 20);
    EXPECT_EQ(r.m_Rect.right, 30);
    EXPECT_EQ(r.m_Rect.bottom, 40);
    EXPECT_EQ(r.m_Domain, L"example.com");
    EXPECT_EQ(r.m_Text, L"link");
    EXPECT_EQ(r.m_Token, L"link");
    EXPECT_EQ(r.m_HRef, L"http://e/x");
    EXPECT_EQ(r.m_Context, L"%3c%63%6f%6e%74%65%78%74%2f%3e");
    EXPECT_EQ(r.m_BestGuess, L"guess");
    EXPECT_EQ(title, L"Area");
}

TEST_F(EnhancerCalls, SelectionTransferSkipsZeroWidthPieces) {
    FakeAction& a = Add(L"", 0x01);
    a.selections.push_back(Piece{{1, 2, 3, 4}, L"one", L"", L"g1"});
    a.selections.push_back(Piece{{5, 6, 5, 8}, L"empty", L"", L""});
    a.selections.push_back(Piece{{9, 10, 11, 12}, L"two", L"\u00e9", L"g2"});
    LinkList list;
    EXPECT_EQ(CollectSelections(enhancers_, list), 2);
    // Kept, dropped for its zero width, kept.
    const Calls expected = testsupport::SelectionTransferCalls({true, false, true});
    EXPECT_EQ(Take(), expected);
    ASSERT_EQ(list.GetCount(), 2u);
    EXPECT_EQ(list.GetAt(0)->m_Text, L"one");
    EXPECT_EQ(list.GetAt(0)->m_Context, L"");
    EXPECT_EQ(list.GetAt(1)->m_Text, L"two");
    EXPECT_EQ(list.GetAt(1)->m_Context, L"%c3%a9");  // UTF-8 bytes of U+00E9
    EXPECT_EQ(list.GetAt(1)->m_Rect.right, 11);
    EXPECT_TRUE(list.GetAt(1)->m_Domain.empty());
    EXPECT_TRUE(list.GetAt(1)->m_Token.empty());
}

TEST_F(EnhancerCalls, OnlyEnhancersWithTheBitAndActiveAreasAreAsked) {
    Add(L"A:", 0x02);  // hot spot bit only
    FakeAction& b = Add(L"B:", 0x01);
    b.active = 0;
    b.selections.push_back(Piece{{1, 2, 3, 4}, L"x"});
    LinkList list;
    EXPECT_EQ(CollectSelections(enhancers_, list), 0);
    EXPECT_EQ(Take(), (Calls{L"B:HaveActiveEnhancerAreas"}));
}

TEST_F(EnhancerCalls, AFailedCallEndsTheTransferAndTheNextEnhancerStillCounts) {
    FakeAction& a = Add(L"A:", 0x03);
    a.selections.push_back(Piece{{1, 2, 3, 4}, L"kept"});
    a.selections.push_back(Piece{{5, 6, 7, 8}, L"lost"});
    a.hotSpots = a.selections;
    FakeAction& b = Add(L"B:", 0x03);
    b.selections.push_back(Piece{{1, 2, 3, 4}, L"b"});
    b.hotSpots = b.selections;

    a.fail[L"GetBestGuess"] = E_UNEXPECTED;
    LinkList selections;
    EXPECT_EQ(CollectSelections(enhancers_, selections), 1);
    Calls calls = Take();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), L"A:TextHotSpotTransferEnd"), 1);
    EXPECT_EQ(calls.back(), L"B:TextHotSpotTransferEnd");
    ASSERT_EQ(selections.GetCount(), 1u);
    EXPECT_EQ(selections.GetHead()->m_Text, L"b");

    a.fail.clear();
    a.fail[L"HotSpotTransferBegin"] = E_FAIL;
    LinkList hotSpots;
    EXPECT_EQ(CollectHotSpots(enhancers_, hotSpots, nullptr), 1);
    calls = Take();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), L"A:HotSpotTransferNext"), 0);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), L"A:HotSpotTransferEnd"), 1);
}

// An enhancer whose ...TransferNext never answers 0 is cut at the cap, its
// transfer is still ended and the next enhancer is still asked.
TEST_F(EnhancerCalls, AnEndlessTransferIsCutAndEnded) {
    FakeAction& a = Add(L"A:", 0x03);
    a.endless = true;
    a.hotSpots.push_back(Piece{{1, 2, 3, 4}, L"again"});
    a.selections.push_back(Piece{{1, 2, 3, 4}, L"again"});
    a.selections.push_back(Piece{{5, 6, 5, 8}, L"zero width"});
    FakeAction& b = Add(L"B:", 0x03);
    b.hotSpots.push_back(Piece{{1, 2, 3, 4}, L"b"});
    b.selections = b.hotSpots;
    struct Case {
        const char* name;
        int (*collect)(WatcherObList&, LinkList&);
        const wchar_t* next;
        const wchar_t* end;
        int fromA;
    };
    const Case cases[] = {
        {"hot spots", [](WatcherObList& e, LinkList& l) { return CollectHotSpots(e, l, nullptr); },
         L"A:HotSpotTransferNext", L"A:HotSpotTransferEnd", kMaxTransferItems},
        // Zero-width pieces count towards the cap but make no record.
        {"selections", [](WatcherObList& e, LinkList& l) { return CollectSelections(e, l); },
         L"A:TextHotSpotTransferNext", L"A:TextHotSpotTransferEnd", kMaxTransferItems / 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LinkList list;
        EXPECT_EQ(c.collect(enhancers_, list), c.fromA + 1);
        ASSERT_EQ(list.GetCount(), static_cast<size_t>(c.fromA + 1));
        EXPECT_EQ(list.GetAt(list.GetCount() - 1)->m_Text, L"b");
        Calls calls = Take();
        EXPECT_EQ(std::count(calls.begin(), calls.end(), c.next), kMaxTransferItems + 1);
        EXPECT_EQ(std::count(calls.begin(), calls.end(), c.end), 1);
    }
}

// An exception during a transfer ends the whole collection: the records so
// far stay and are counted, the enhancer's transfer is still ended (it may
// hold a lock in between), and no later enhancer is asked.
TEST_F(EnhancerCalls, AnExceptionEndsTheCollectionKeepingTheRecordsSoFar) {
    struct Case {
        const char* name;
        const wchar_t* thrower;  // the method whose second call throws
        int (*collect)(WatcherObList&, LinkList&);
        const wchar_t* end;
        const wchar_t* laterBegin;
    };
    const Case cases[] = {
        {"selections", L"GetBestGuess", [](WatcherObList& e, LinkList& l) { return CollectSelections(e, l); },
         L"A:TextHotSpotTransferEnd", L"B:TextHotSpotTransferBegin"},
        {"hot spots", L"GetHRef", [](WatcherObList& e, LinkList& l) { return CollectHotSpots(e, l, nullptr); },
         L"A:HotSpotTransferEnd", L"B:HotSpotTransferBegin 0"},
        {"selections, at the next item", L"TextHotSpotTransferNext",
         [](WatcherObList& e, LinkList& l) { return CollectSelections(e, l); }, L"A:TextHotSpotTransferEnd",
         L"B:TextHotSpotTransferBegin"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        enhancers_.clear();
        nodes_.clear();
        Take();
        FakeAction& a = Add(L"A:", 0x03);
        for (const wchar_t* text : {L"one", L"two", L"three"}) {
            a.selections.push_back(Piece{{1, 2, 3, 4}, text, L"", L"", L"d", L"h"});
            a.hotSpots.push_back(a.selections.back());
        }
        a.throwAt[c.thrower] = 2;
        FakeAction& b = Add(L"B:", 0x03);
        b.selections.push_back(Piece{{1, 2, 3, 4}, L"b"});
        b.hotSpots = b.selections;
        LinkList list;
        int count = -1;
        EXPECT_NO_THROW(count = c.collect(enhancers_, list));
        EXPECT_EQ(count, 1);
        ASSERT_EQ(list.GetCount(), 1u);
        EXPECT_EQ(list.GetHead()->m_Text, L"one");
        Calls calls = Take();
        EXPECT_EQ(std::count(calls.begin(), calls.end(), c.end), 1);
        EXPECT_EQ(std::count(calls.begin(), calls.end(), c.laterBegin), 0);
        EXPECT_EQ(calls.back(), c.end);
    }
}

TEST_F(EnhancerCalls, EveryStringTheEnhancerReturnsIsFreed) {
    FakeAction& a = Add(L"", 0x03);
    a.title = L"t";
    a.selections.push_back(Piece{{1, 2, 3, 4}, L"text", L"<c/>", L"guess"});
    a.hotSpots.push_back(Piece{{1, 2, 3, 4}, L"text", L"<c/>", L"guess", L"d", L"h"});
    LinkList list;
    ::SetOaNoCache();
    AllocSpy spy;
    ASSERT_EQ(::CoRegisterMallocSpy(&spy), S_OK);
    CollectHotSpots(enhancers_, list, nullptr);
    CollectSelections(enhancers_, list);
    NavigateBrowser(enhancers_, nullptr, L"http://example.com/");
    LONG live = spy.live;
    // The spy sees a string that is not freed: one planted here is counted.
    BSTR planted = ::SysAllocString(L"planted");
    LONG withPlanted = spy.live;
    ::SysFreeString(planted);
    LONG afterFree = spy.live;
    ::CoRevokeMallocSpy();
    EXPECT_EQ(list.GetCount(), 2u);
    EXPECT_EQ(live, 0);
    EXPECT_EQ(withPlanted, live + 1);
    EXPECT_EQ(afterFree, live);
}

TEST_F(EnhancerCalls, NavigateAsksEveryActiveEnhancer) {
    FakeAction& a = Add(L"A:");
    FakeAction& b = Add(L"B:");
    FakeAction& c = Add(L"C:");
    nodes_[2]->m_Active = false;
    a.navigate = 1;
    b.navigate = 1;
    EXPECT_TRUE(NavigateBrowser(enhancers_, nullptr, L"http://x/"));
    EXPECT_EQ(a.navigatedUrls, (std::vector<std::wstring>{L"http://x/"}));
    EXPECT_EQ(b.navigatedUrls.size(), 1u);
    EXPECT_TRUE(c.navigatedUrls.empty());

    a.navigate = 0;
    b.navigate = VARIANT_TRUE;  // -1 is not a positive answer
    EXPECT_FALSE(NavigateBrowser(enhancers_, nullptr, L""));
    EXPECT_EQ(a.navigatedUrls.back(), L"");
}

class SiteStandIn : public ISiteEnhancer {
public:
    explicit SiteStandIn(std::vector<std::wstring>* calls = nullptr) : calls_(calls) {}
    LONG refs = 1;
    int shutdowns = 0;
    std::vector<std::wstring>* calls_;
    STDMETHODIMP QueryInterface(REFIID, void** out) override { *out = nullptr; return E_NOINTERFACE; }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP Setup(BSTR, BSTR*) override { return S_OK; }
    STDMETHODIMP Shutdown() override {
        ++shutdowns;
        if (calls_) calls_->push_back(L"Site:Shutdown");
        return S_OK;
    }
    STDMETHODIMP IsHotSpotLink(BSTR, BSTR, BSTR, BSTR*, VARIANT_BOOL*) override { return S_OK; }
    STDMETHODIMP IsEnhancedDomain(BSTR, VARIANT_BOOL*) override { return S_OK; }
    STDMETHODIMP GetSiteEntry(LONG, BSTR*) override { return S_OK; }
    STDMETHODIMP SetUserKey(BSTR*) override { return S_OK; }
    STDMETHODIMP SetVersion(BSTR*) override { return S_OK; }
};

TEST_F(EnhancerCalls, UnloadReleasesEverythingOnce) {
    FakeAction& a = Add(L"A:");
    FakeAction& b = Add(L"B:");
    EXPECT_EQ(a.refs(), 2);  // IAction and IDispatch
    SiteStandIn site(&calls_);
    SiteStandIn siteDispatch;
    ISiteEnhancer* pSite = &site;
    IDispatch* pDispatch = &siteDispatch;
    UnloadEnhancers(enhancers_, &pSite, &pDispatch);
    EXPECT_TRUE(enhancers_.empty());
    // The enhancers go before the site enhancer they were lent.
    EXPECT_EQ(Take(), (Calls{L"A:Unload", L"B:Unload", L"Site:Shutdown"}));
    EXPECT_EQ(a.refs(), 0);
    EXPECT_EQ(b.refs(), 0);
    EXPECT_EQ(site.shutdowns, 1);
    EXPECT_EQ(site.refs, 0);
    EXPECT_EQ(siteDispatch.refs, 0);
    EXPECT_EQ(pSite, nullptr);
    EXPECT_EQ(pDispatch, nullptr);

    UnloadEnhancers(enhancers_, &pSite, &pDispatch);  // a second unload releases nothing
    EXPECT_TRUE(Take().empty());
    EXPECT_EQ(site.shutdowns, 1);
}

}  // namespace

namespace {

// The log line of a collected selection record: its text, cut when long, and
// its rectangle as left,top,right,bottom.
TEST(SelectionRecordLine, TextAndRectangle) {
    LinkInfo record;
    record.m_Text = L"Pond life";
    record.m_Rect = RECT{12, 30, 140, 48};
    EXPECT_EQ(L"Selection: \"Pond life\" at 12,30,140,48", SelectionRecordLine(record));
    record.m_Text = std::wstring(300, L'x');
    record.m_Rect = RECT{-5, 0, 0, 7};
    EXPECT_EQ(L"Selection: \"" + std::wstring(200, L'x') + L"...\" at -5,0,0,7", SelectionRecordLine(record));
}

}  // namespace
