// CAction inside HXIE.dll, loaded and driven the way the main program drives
// it (Init, SetSiteEnhancer, the two configuration options, get_enhancertype;
// polls and transfers; Unload and Release), over Internet Explorer played by
// fakes and real windows of the classes "IEFrame" and
// "Internet Explorer_Server".  After every test each reference the enhancer
// took on a fake is given back.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

#include "FakeIE.h"
#include "FakeSiteEnhancer.h"
#include "Hextens/HXIE/HXIE.h"
#include "ParseBack.h"
#include "TestSupport.h"
#include "ViewerLog.h"

using fakeie::AddElement;
using fakeie::BasicPage;
using fakeie::FakeBrowser;
using fakeie::PageData;
using hxie::Rect;

namespace {

const wchar_t kApp[] = L"{5FA5BCF8-7C6F-4E28-9479-3AB992F8B579}";
const wchar_t kSendContextOn[] =
    L"<init><user><send_context>true</send_context></user><enhancers><app><enhancer>"
    L"<id>5FA5BCF8-7C6F-4E28-9479-3AB992F8B579</id><send_context>true</send_context>"
    L"</enhancer></app></enhancers></init>";
const wchar_t kSendContextOff[] = L"<init><user><send_context>false</send_context></user></init>";

// The browser window sits at (100, 100), 800 x 600; its document fills it.
constexpr long kLeft = 100, kTop = 100, kWidth = 800, kHeight = 600;

void RegisterClassOnce(const wchar_t* name) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = name;
    ::RegisterClassW(&wc);
}

PageData Page(const std::wstring& title = L"Page", const std::wstring& url = L"http://www.example.com/news") {
    PageData page = BasicPage(title, url, kWidth, kHeight);
    page.screenLeft = kLeft;
    page.screenTop = kTop;
    return page;
}

void Select(PageData& page, int element, const std::wstring& text, hxie::RangeMetrics metrics) {
    page.selection.element = element;
    page.selection.text = text;
    page.selection.metrics = metrics;
}

class EnhancerTest : public ::testing::Test {
protected:
    // The windows live for the whole run and go with the process: under Wine
    // without a window manager, hiding or destroying the active window takes
    // seconds.
    static void SetUpTestSuite() {
        if (frame_) return;
        RegisterClassOnce(L"IEFrame");
        RegisterClassOnce(L"Internet Explorer_Server");
        RegisterClassOnce(L"OtherApp");
        frame_ = ::CreateWindowExW(0, L"IEFrame", L"Page", WS_POPUP | WS_VISIBLE, kLeft, kTop, kWidth, kHeight, nullptr,
                                   nullptr, nullptr, nullptr);
        server_ = ::CreateWindowExW(0, L"Internet Explorer_Server", L"", WS_CHILD | WS_VISIBLE, 0, 0, kWidth, kHeight,
                                    frame_, nullptr, nullptr, nullptr);
        other_ = ::CreateWindowExW(0, L"OtherApp", L"Other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                                   nullptr, nullptr);
    }
    void SetUp() override {
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ASSERT_TRUE(frame_ && server_ && other_);
        ::SetWindowPos(frame_, nullptr, kLeft, kTop, kWidth, kHeight, SWP_NOZORDER | SWP_NOACTIVATE);
        ie_ = std::make_unique<fakeie::FakeIE>();

        // As the main program loads an enhancer: by CLSID, for IDispatch,
        // then IAction (the component is registered in the test prefix).
        IDispatch* dispatch = nullptr;
        ASSERT_EQ(::CoCreateInstance(CLSID_Action, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                     reinterpret_cast<void**>(&dispatch)),
                  S_OK);
        module_ = ::GetModuleHandleW(L"HXIE.dll");
        ASSERT_EQ(dispatch->QueryInterface(IID_IAction, reinterpret_cast<void**>(&action_)), S_OK);
        dispatch->Release();

        ASSERT_EQ(action_->Init(), S_OK);
        ASSERT_EQ(action_->SetSiteEnhancer(&site_), S_OK);
        Configure(kSendContextOff);
        Option(2, L"");
        BSTR type = nullptr;
        ASSERT_EQ(action_->get_enhancertype(&type), S_OK);
        EXPECT_EQ(testsupport::Take(type), L"Internet Explorer Enhancer");
    }

    void TearDown() override {
        if (action_) {
            EXPECT_EQ(action_->Unload(), S_OK);
            EXPECT_EQ(action_->Release(), 0u);
        }
        if (ie_) {
            for (const std::string& leak : ie_->Leaks()) ADD_FAILURE() << "not released: " << leak;
        }
        EXPECT_EQ(site_.refs, 1);
        ie_.reset();
        ::CoUninitialize();
    }

    void Option(LONG id, const wchar_t* text) {
        VARIANT v, empty;
        ::VariantInit(&v);
        ::VariantInit(&empty);
        v.vt = VT_BSTR;
        v.bstrVal = ::SysAllocString(text);
        empty.vt = VT_BSTR;
        empty.bstrVal = ::SysAllocString(L"");
        EXPECT_EQ(action_->SetConfigurationOption(id, &v, &empty, &empty, &empty), S_OK);
        ::VariantClear(&v);
        ::VariantClear(&empty);
    }
    void Configure(const wchar_t* settings) { Option(1, settings); }

    void Foreground(HWND w) {
        ::SetForegroundWindow(w);
        ASSERT_TRUE(testsupport::WaitFor([&] { return ::GetForegroundWindow() == w; }, 3000));
    }

    long Poll() {
        LONG bits = -1;
        EXPECT_EQ(action_->Update(&bits), S_OK);
        return bits;
    }
    long PollGiven(IUnknown* browser) {
        LONG bits = -1;
        EXPECT_EQ(action_->UpdateForECP(browser, &bits), S_OK);
        return bits;
    }

    std::wstring Text(HRESULT (STDMETHODCALLTYPE IAction::*get)(BSTR*)) {
        BSTR b = nullptr;
        EXPECT_EQ((action_->*get)(&b), S_OK);
        return testsupport::Take(b);
    }
    // A rectangle read side by side through its four getters (left, top,
    // right, bottom).
    using Side = HRESULT (STDMETHODCALLTYPE IAction::*)(LONG*);
    Rect RectOf(const Side (&sides)[4]) {
        Rect r;
        LONG* fields[4] = {&r.left, &r.top, &r.right, &r.bottom};
        for (int i = 0; i < 4; ++i) (action_->*sides[i])(fields[i]);
        return r;
    }
    Rect SelectionRect() {
        static const Side kSides[4] = {&IAction::GetSelTextLeft, &IAction::GetSelTextTop, &IAction::GetSelTextRight,
                                       &IAction::GetSelTextBottom};
        return RectOf(kSides);
    }
    Rect HotSpotRect() {
        static const Side kSides[4] = {&IAction::GetHotSpotLeft, &IAction::GetHotSpotTop, &IAction::GetHotSpotRight,
                                       &IAction::GetHotSpotBottom};
        return RectOf(kSides);
    }
    // The selection's context as the main program pulls it.
    std::wstring SelectionContext() {
        action_->TextHotSpotTransferBegin();
        LONG next = 0;
        action_->TextHotSpotTransferNext(&next);
        std::wstring context = next ? Text(&IAction::GetContext) : L"(no item)";
        action_->TextHotSpotTransferEnd();
        return context;
    }
    std::wstring HotSpotContext() {
        action_->HotSpotTransferBegin(0);
        LONG next = 0;
        action_->HotSpotTransferNext(&next);
        std::wstring context = next ? Text(&IAction::GetContext) : L"(no item)";
        action_->HotSpotTransferEnd();
        return context;
    }
    // Puts the cursor over the page point (client coordinates).
    void CursorAt(long x, long y) { ::SetCursorPos(kLeft + x, kTop + y); }

    static HWND frame_, server_, other_;
    HMODULE module_ = nullptr;
    std::unique_ptr<fakeie::FakeIE> ie_;
    fakeie::FakeSiteEnhancer site_;
    IAction* action_ = nullptr;
};

HWND EnhancerTest::frame_ = nullptr;
HWND EnhancerTest::server_ = nullptr;
HWND EnhancerTest::other_ = nullptr;

// ---------------------------------------------------------------- the bits

TEST_F(EnhancerTest, BitTableOverAScriptedSequenceOfPolls) {
    site_.enhancedDomains = {L"example.com"};
    site_.hotSpotLinks = {L"https://www.example.com/a"};
    PageData page = Page();
    PageData selected = page;
    Select(selected, 1, L"word", {10, 10, 40, 15});
    PageData changed = page;
    Select(changed, 1, L"other words", {10, 10, 80, 15});
    PageData secure = Page(L"Secure", L"https://www.example.com/account");
    AddElement(secure, L"A", 1, {50, 50, 150, 70}, L"link", {{L"href", L"https://www.example.com/a"}});

    FakeBrowser* browser = ie_->AddBrowser(frame_, frame_, page);
    CursorAt(60, 55);
    Foreground(frame_);
    EXPECT_EQ(Poll(), 0x04) << "first poll with a browser";
    EXPECT_EQ(Poll(), 0) << "same page, nothing selected";
    EXPECT_EQ(Poll(), 0) << "same page again";

    ie_->SetPage(browser, selected);
    EXPECT_EQ(Poll(), 0x09) << "a selection appears";
    EXPECT_EQ(Poll(), 0x01) << "the same selection";
    Foreground(other_);
    EXPECT_EQ(Poll(), 0x04 | 0x09) << "the foreground moves away after a selection";
    EXPECT_EQ(Poll(), 0) << "still away";

    const size_t domainCalls = site_.domainCalls.size();
    ie_->SetPage(browser, secure);
    Foreground(frame_);
    EXPECT_EQ(Poll(), 0x04 | 0x20) << "an https page";
    EXPECT_EQ(Poll(), 0x20) << "the https page again";
    EXPECT_EQ(Text(&IAction::GetDomain), L"");
    EXPECT_EQ(site_.domainCalls.size(), domainCalls) << "IsEnhancedDomain asked on an https page";
    EXPECT_TRUE(site_.linkCalls.empty()) << "hot spots looked for on an https page";

    ie_->SetPage(browser, page);
    EXPECT_EQ(Poll(), 0x04) << "back to the plain page (title changed)";
    EXPECT_EQ(Text(&IAction::GetDomain), L"example.com");
    ::SetWindowPos(frame_, nullptr, kLeft + 20, kTop, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(Poll(), 0x04) << "the window moved";
    EXPECT_EQ(Poll(), 0) << "and stays there";
    ie_->SetPage(browser, selected);
    EXPECT_EQ(Poll(), 0x09) << "a selection";
    ie_->SetPage(browser, changed);
    EXPECT_EQ(Poll(), 0x09) << "the selection changed";
    EXPECT_EQ(Text(&IAction::GetSelectedText), L"other words");

    LONG n = 0;
    action_->get_NumEnhancerAreas(&n);
    EXPECT_EQ(n, 1);
    action_->HaveActiveEnhancerAreas(&n);
    EXPECT_EQ(n, 1);
    EXPECT_EQ(ie_->ShellWindowsCreated(), 1) << "the collection is created once";
}

TEST_F(EnhancerTest, GivenBrowserThatIsNoBrowserGivesNothing) {
    EXPECT_EQ(PollGiven(&site_), 0);
    EXPECT_EQ(PollGiven(nullptr), 0);
}

// ---------------------------------------------------------------- selections

TEST_F(EnhancerTest, Selections) {
    struct Case {
        const char* what;
        std::wstring tag;
        std::vector<std::pair<std::wstring, std::wstring>> attributes;
        Rect elementRect;
        long elementScrollTop;
        std::wstring text;
        hxie::RangeMetrics metrics;
        hxie::RangeMetrics afterMove;
        bool found;
        std::wstring expectedText;
        Rect expectedRect;
        long bodyScrollTop = 0;
    } cases[] = {
        {"plain text",
         L"P",
         {},
         {0, 0, 400, 100},
         0,
         L"some words",
         {10, 20, 50, 15},
         {},
         true,
         L"some words",
         {110, 120, 160, 135}},
        {"password field",
         L"INPUT",
         {{L"type", L"Password"}},
         {0, 0, 200, 20},
         0,
         L"secret",
         {5, 2, 40, 15},
         {},
         false},
        {"plain input field",
         L"INPUT",
         {{L"type", L"text"}},
         {0, 0, 200, 20},
         0,
         L"typed",
         {5, 2, 40, 15},
         {},
         true,
         L"typed",
         {105, 102, 145, 117}},
        {"nothing selected", L"P", {}, {0, 0, 400, 100}, 0, L"", {10, 20, 50, 15}, {}, false},
        {"256 characters", L"P", {}, {0, 0, 400, 100}, 0, std::wstring(256, L'a'), {10, 20, 50, 15}, {}, false},
        {"255 characters",
         L"P",
         {},
         {0, 0, 400, 100},
         0,
         std::wstring(255, L'a'),
         {10, 20, 50, 15},
         {},
         true,
         std::wstring(255, L'a'),
         {110, 120, 160, 135}},
        {"filtered to nothing", L"P", {}, {0, 0, 400, 100}, 0, L"...!!!", {10, 20, 50, 15}, {}, false},
        {"text area clamped to its rectangle",
         L"TEXTAREA",
         {},
         {20, 30, 120, 60},
         8,
         L"long line",
         {30, 40, 200, 20},
         {},
         true,
         L"long line",
         {130, 148, 220, 160}},
        {"right-to-left run",
         L"P",
         {},
         {0, 0, 400, 100},
         0,
         L"rtl",
         {100, 10, 0, 12},
         {92, 10, 30, 12},
         true,
         L"rtl",
         {200, 110, 222, 122}},
        {"outside the visible area", L"P", {}, {0, 0, 400, 100}, 0, L"far", {900, 20, 50, 15}, {}, false},
        {"scrolled page",
         L"P",
         {},
         {0, 0, 400, 100},
         0,
         L"below",
         {10, 20, 50, 15},
         {},
         true,
         L"below",
         {110, 150, 160, 165},
         30},
    };
    FakeBrowser* browser = nullptr;
    for (const Case& c : cases) {
        PageData page = Page();
        const int element = AddElement(page, c.tag, 1, c.elementRect, L"", c.attributes);
        page.elements[element].scrollTop = c.elementScrollTop;
        page.elements[1].scrollTop = c.bodyScrollTop;
        Select(page, element, c.text, c.metrics);
        page.selection.afterMoveStart = c.afterMove;
        if (!browser) browser = ie_->MakeLooseBrowser(frame_, page);
        else ie_->SetPage(browser, page);
        // A selection that disappears reports 0x09 too: the item decides.
        const long bits = PollGiven(fakeie::AsUnknown(browser));
        if (c.found) EXPECT_EQ(bits & 0x01, 0x01) << c.what;
        LONG next = 0;
        action_->TextHotSpotTransferBegin();
        action_->TextHotSpotTransferNext(&next);
        action_->TextHotSpotTransferEnd();
        EXPECT_EQ(next != 0, c.found) << c.what;
        if (!c.found) continue;
        EXPECT_EQ(Text(&IAction::GetSelectedText), c.expectedText) << c.what;
        EXPECT_EQ(SelectionRect(), c.expectedRect) << c.what;
    }
}

TEST_F(EnhancerTest, SelectionInsideAFrame) {
    PageData page = Page();
    PageData frame = BasicPage(L"Frame", L"http://www.example.com/frame", 200, 100);
    frame.screenLeft = 300;
    frame.screenTop = 300;
    Select(frame, 1, L"framed", {10, 10, 40, 15});
    page.frames.push_back(frame);
    FakeBrowser* browser = ie_->MakeLooseBrowser(frame_, page);
    EXPECT_EQ(PollGiven(fakeie::AsUnknown(browser)) & 0x01, 0x01);
    EXPECT_EQ(Text(&IAction::GetSelectedText), L"framed");
    EXPECT_EQ(SelectionRect(), (Rect{310, 310, 350, 325}));
}

TEST_F(EnhancerTest, HotSpotInsideAFrame) {
    site_.enhancedDomains = {L"example.com"};
    site_.hotSpotLinks = {L"http://www.example.com/in-frame"};
    PageData page = Page();
    PageData frame = BasicPage(L"Frame", L"http://www.example.com/frame", 200, 100);
    frame.screenLeft = 300;
    frame.screenTop = 300;
    AddElement(frame, L"A", 1, {10, 10, 60, 30}, L"framed link", {{L"href", L"http://www.example.com/in-frame"}});
    page.frames.push_back(frame);
    ie_->AddBrowser(frame_, frame_, page);
    ::SetCursorPos(320, 315);
    Foreground(frame_);
    EXPECT_EQ(Poll() & 0x03, 0x02);
    EXPECT_EQ(Text(&IAction::GetHotSpotText), L"framed link");
    EXPECT_EQ(HotSpotRect(), (Rect{310, 310, 360, 330}));
    ASSERT_EQ(site_.linkCalls.size(), 1u);
    EXPECT_EQ(site_.linkCalls[0].location, L"http://www.example.com/news") << "the top page's location";
}

// ---------------------------------------------------------------- hot spots

TEST_F(EnhancerTest, HotSpots) {
    enum Site { kGiven, kNone, kFailing };
    struct Case {
        const char* what;
        std::wstring url;
        std::wstring linkText;
        bool inSpan;  // the cursor is over a span inside the link
        bool domainEnhanced;
        bool linkAccepted;
        Site site;
        bool found;
    } cases[] = {
        {"one-character link", L"http://www.example.com/", L"x", false, true, true, kGiven, true},
        {"span inside a link", L"http://www.example.com/", L"inner", true, true, true, kGiven, true},
        {"256-character link", L"http://www.example.com/", std::wstring(256, L'x'), false, true, true, kGiven, false},
        {"link the site enhancer declines", L"http://www.example.com/", L"link", false, true, false, kGiven, false},
        {"rejected domain", L"http://www.example.com/", L"link", false, false, true, kGiven, false},
        {"host with one dot", L"http://example.com/", L"link", false, true, true, kGiven, false},
        {"no site enhancer", L"http://www.example.com/", L"link", false, true, true, kNone, false},
        {"failing site enhancer", L"http://www.example.com/", L"link", false, true, true, kFailing, false},
    };
    FakeBrowser* browser = nullptr;
    CursorAt(60, 55);
    for (const Case& c : cases) {
        site_.enhancedDomains.clear();
        if (c.domainEnhanced) site_.enhancedDomains = {L"example.com"};
        site_.hotSpotLinks.clear();
        if (c.linkAccepted) site_.hotSpotLinks = {L"http://www.example.com/target"};
        site_.bestGuesses = {{L"http://www.example.com/target", L"guess"}};
        site_.fail = c.site == kFailing;
        action_->SetSiteEnhancer(c.site == kNone ? nullptr : &site_);

        PageData page = Page(L"Links", c.url);
        const int link = AddElement(page, L"A", 1, {50, 50, 150, 70}, c.inSpan ? L"" : c.linkText,
                                    {{L"href", L"http://www.example.com/target"}});
        if (c.inSpan) AddElement(page, L"SPAN", link, {55, 52, 100, 68}, c.linkText);
        if (!browser) browser = ie_->AddBrowser(frame_, frame_, page);
        else ie_->SetPage(browser, page);
        Foreground(frame_);
        const long bits = Poll();
        EXPECT_EQ((bits & 0x02) != 0, c.found) << c.what;
        LONG next = 0;
        action_->HotSpotTransferBegin(0);
        action_->HotSpotTransferNext(&next);
        const std::wstring guess = Text(&IAction::GetBestGuess);
        action_->HotSpotTransferEnd();
        EXPECT_EQ(next != 0, c.found) << c.what;
        if (!c.found) continue;
        EXPECT_EQ(Text(&IAction::GetHotSpotText), c.linkText) << c.what;
        EXPECT_EQ(Text(&IAction::GetHRef), L"http://www.example.com/target") << c.what;
        EXPECT_EQ(HotSpotRect(), (Rect{150, 150, 250, 170})) << c.what;
        EXPECT_EQ(guess, L"guess") << c.what;
    }
}

TEST_F(EnhancerTest, IdRunsInnermostFirstWithALongIdSkipped) {
    site_.enhancedDomains = {L"example.com"};
    site_.hotSpotLinks = {L"http://www.example.com/t"};
    PageData page = Page();
    page.elements[1].attributes = {{L"id", L""}};
    const int outer = AddElement(page, L"DIV", 1, {0, 0, 800, 600}, L"", {{L"id", L"outer"}});
    const int middle = AddElement(page, L"DIV", outer, {0, 0, 800, 600}, L"", {{L"id", std::wstring(990, L'm')}});
    const int p = AddElement(page, L"P", middle, {0, 0, 800, 600}, L"", {{L"id", L"a&b"}});
    AddElement(page, L"A", p, {50, 50, 150, 70}, L"link", {{L"href", L"http://www.example.com/t"}, {L"id", L"link"}});
    ie_->AddBrowser(frame_, frame_, page);
    CursorAt(60, 55);
    Foreground(frame_);
    EXPECT_EQ(Poll() & 0x02, 0x02);
    ASSERT_FALSE(site_.linkCalls.empty());
    const std::wstring runs = L"<id>link</id><id>a&amp;b</id><id>outer</id>";
    EXPECT_EQ(site_.linkCalls.back().ids, runs);
    EXPECT_EQ(site_.linkCalls.back().location, L"http://www.example.com/news");
    EXPECT_NE(HotSpotContext().find(L"<content>" + runs + L"</content>"), std::wstring::npos);
}

// ---------------------------------------------------------------- context

TEST_F(EnhancerTest, ContextTextsWithSendingOffAndOn) {
    site_.enhancedDomains = {L"example.com"};
    site_.hotSpotLinks = {L"http://www.example.com/t"};
    PageData page = Page(L"News");
    page.elements[1].text = L"The whole body text, long enough to be the context of the link.";
    AddElement(page, L"META", 0, {}, L"", {{L"name", L"description"}, {L"content", L"first"}});
    AddElement(page, L"META", 0, {}, L"", {{L"name", L"Keywords"}, {L"content", L"k1, k2"}});
    AddElement(page, L"META", 0, {}, L"", {{L"name", L"DESCRIPTION"}, {L"content", L"second"}});
    const int para = AddElement(page, L"P", 1, {0, 0, 800, 100}, L"Para ");
    AddElement(page, L"A", para, {50, 50, 150, 70}, L"link", {{L"href", L"http://www.example.com/t"}, {L"id", L"l"}});
    Select(page, para, L"Para", {0, 0, 30, 15});
    ie_->AddBrowser(frame_, frame_, page);
    CursorAt(60, 55);
    Foreground(frame_);

    const std::wstring head = std::wstring(L"<context><app>") + kApp +
                              L"</app><title><![CDATA[News]]></title>"
                              L"<location><![CDATA[http://www.example.com/news]]></location>";
    EXPECT_EQ(Poll() & 0x03, 0x03);
    EXPECT_EQ(HotSpotContext(), head +
                                    L"<href><![CDATA[http://www.example.com/t]]></href>"
                                    L"<content><id>l</id></content></context>");
    EXPECT_EQ(SelectionContext(), head + L"<href><![CDATA[]]></href><content></content></context>");

    Configure(kSendContextOn);
    Poll();
    // The link's 4 characters: its paragraph ("Para link", 9) is not more than
    // 32; the body text is.
    const std::wstring bodyText = L"The whole body text, long enough to be the context of the link.Para link";
    const std::wstring meta =
        L"<meta><description><![CDATA[second]]></description>"
        L"<keywords><![CDATA[k1, k2]]></keywords></meta></context>";
    EXPECT_EQ(HotSpotContext(), head + L"<href><![CDATA[http://www.example.com/t]]></href><text><![CDATA[" + bodyText +
                                    L"]]></text><content><id>l</id></content>" + meta);
    // The selection's 4 characters: its paragraph's 9 are not enough either.
    EXPECT_EQ(SelectionContext(),
              head + L"<href><![CDATA[]]></href><text><![CDATA[" + bodyText + L"]]></text><content></content>" + meta);
}

TEST_F(EnhancerTest, HostilePageTextStillGivesWellFormedContext) {
    Configure(kSendContextOn);
    const std::wstring hostile = L"]]><b>&amp; < & >";
    struct Case {
        const char* what;
        std::wstring title;
        std::wstring bodyText;
    } cases[] = {
        {"markup and CDATA ends", hostile, hostile + std::wstring(100, L'x')},
        {"20,000-character title", std::wstring(20000, L'T'), std::wstring(30000, L'b')},
    };
    FakeBrowser* browser = nullptr;
    for (const Case& c : cases) {
        PageData page = Page(c.title, L"http://www.example.com/?a=<1>&b=]]>");
        page.elements[1].text = c.bodyText;
        AddElement(page, L"META", 0, {}, L"", {{L"name", L"description"}, {L"content", hostile}});
        Select(page, 1, L"word", {10, 10, 40, 15});
        if (!browser) browser = ie_->AddBrowser(frame_, frame_, page);
        else ie_->SetPage(browser, page);
        Foreground(frame_);
        EXPECT_EQ(Poll() & 0x01, 0x01) << c.what;
        const std::wstring context = SelectionContext();
        EXPECT_LE(context.size(), 8191u) << c.what;
        const ParsedContext parsed = ParseContext(context);
        ASSERT_TRUE(parsed.ok) << c.what;
        EXPECT_EQ(parsed.text.at(L"description"), hostile) << c.what;
        EXPECT_EQ(c.title.compare(0, parsed.text.at(L"title").size(), parsed.text.at(L"title")), 0) << c.what;
    }
}

// ---------------------------------------------------------------- transfers

TEST_F(EnhancerTest, TransfersGiveTheOneItemOnce) {
    PageData page = Page();
    Select(page, 1, L"word", {10, 10, 40, 15});
    FakeBrowser* browser = ie_->MakeLooseBrowser(frame_, page);
    EXPECT_EQ(Text(&IAction::GetContext), L"") << "before any poll";
    PollGiven(fakeie::AsUnknown(browser));

    LONG next = -1;
    action_->TextHotSpotTransferBegin();
    action_->TextHotSpotTransferNext(&next);
    EXPECT_EQ(next, 1);
    EXPECT_NE(Text(&IAction::GetContext), L"");
    action_->TextHotSpotTransferNext(&next);
    EXPECT_EQ(next, 0);
    action_->TextHotSpotTransferEnd();
    EXPECT_EQ(Text(&IAction::GetContext), L"") << "outside a transfer";
    EXPECT_EQ(Text(&IAction::GetBestGuess), L"") << "outside a transfer";
    EXPECT_EQ(Text(&IAction::GetSelectedText), L"word") << "the last poll's value";

    action_->HotSpotTransferBegin(0);
    action_->HotSpotTransferNext(&next);
    EXPECT_EQ(next, 0) << "no hot spot";
    EXPECT_EQ(Text(&IAction::GetContext), L"");
    action_->HotSpotTransferEnd();

    LONG flags = 0;
    action_->GetHotSpotPlacementFlags(&flags);
    EXPECT_EQ(flags, 255);
    action_->GetSelTextPlacementFlags(&flags);
    EXPECT_EQ(flags, 255);
}

TEST_F(EnhancerTest, WrongOptionTypesChangeNothing) {
    // sendContext on and "ignored" on the ignore list, then calls of the wrong types.
    Configure(kSendContextOn);
    Option(2, L"ignored");
    VARIANT number, empty;
    ::VariantInit(&number);
    ::VariantInit(&empty);
    number.vt = VT_I4;
    number.lVal = 5;
    for (LONG id : {1, 2}) {
        EXPECT_EQ(action_->SetConfigurationOption(id, &number, nullptr, nullptr, nullptr), S_OK) << id;
        EXPECT_EQ(action_->SetConfigurationOption(id, &empty, nullptr, nullptr, nullptr), S_OK) << id;
        EXPECT_EQ(action_->SetConfigurationOption(id, nullptr, nullptr, nullptr, nullptr), S_OK) << id;
    }
    EXPECT_EQ(action_->SetConfigurationOption(7, &number, nullptr, nullptr, nullptr), S_OK);

    // The ignore list is the earlier one: the ignored word is still no selection.
    PageData page = Page();
    page.elements[1].text = L"The body text of the page, long enough to be a context.";
    Select(page, 1, L"ignored", {10, 20, 50, 15});
    FakeBrowser* browser = ie_->MakeLooseBrowser(frame_, page);
    PollGiven(fakeie::AsUnknown(browser));
    EXPECT_EQ(SelectionContext(), L"(no item)") << "the ignore list was replaced";

    // sendContext is the earlier one: a kept word's context carries the page text.
    Select(page, 1, L"kept", {10, 20, 50, 15});
    ie_->SetPage(browser, page);
    PollGiven(fakeie::AsUnknown(browser));
    const std::wstring context = SelectionContext();
    EXPECT_NE(context.find(L"<text><![CDATA[The body text of the page"), std::wstring::npos)
        << "sendContext was changed: " << testing::PrintToString(context);
}

// ---------------------------------------------------------------- navigation

TEST_F(EnhancerTest, NavigateToURL) {
    struct Case {
        const char* what;
        bool foreign;
        LONG navFlags;
        std::vector<HRESULT> results;
        std::vector<long> expectedFlags;
        VARIANT_BOOL success;
    } cases[] = {
        {"a window the enhancer does not own", true, 0, {}, {}, 0},
        {"new tab", false, 0, {S_OK}, {2048}, 1},
        {"new tab fails, then the current tab", false, 0, {E_FAIL, S_OK}, {2048, 0}, 1},
        {"both fail", false, 0, {E_FAIL, E_FAIL}, {2048, 0}, 0},
        {"bit 0: the current tab once", false, 1, {E_FAIL}, {0}, 0},
        {"bit 0 succeeding", false, 3, {S_OK}, {0}, 1},
    };
    FakeBrowser* browser = ie_->AddBrowser(frame_, frame_, Page());
    for (const Case& c : cases) {
        fakeie::Script(browser).navigateResults = c.results;
        const size_t before = fakeie::Navigations(browser).size();
        BSTR url = ::SysAllocString(L"http://www.example.com/go");
        VARIANT_BOOL success = -1;
        const HWND target = c.foreign ? other_ : frame_;
        EXPECT_EQ(action_->NavigateToURL(static_cast<OLE_HANDLE>(reinterpret_cast<LONG_PTR>(target)), &url, c.navFlags,
                                         &success),
                  S_OK);
        ::SysFreeString(url);
        EXPECT_EQ(success, c.success) << c.what;
        std::vector<long> flags;
        const auto& navigations = fakeie::Navigations(browser);
        for (size_t i = before; i < navigations.size(); ++i) {
            flags.push_back(navigations[i].flags);
            EXPECT_EQ(navigations[i].url, L"http://www.example.com/go") << c.what;
        }
        EXPECT_EQ(flags, c.expectedFlags) << c.what;
    }
}

// Every call into Internet Explorer's process is made under a bound
// (fx::OutgoingCallLimit), whichever method makes it; none is left
// registered afterwards.
TEST_F(EnhancerTest, CallsIntoTheBrowserAreMadeUnderACallLimit) {
    FakeBrowser* browser = ie_->AddBrowser(frame_, frame_, Page());
    Foreground(frame_);
    Poll();
    const int polled = ie_->BrowserCalls();
    PollGiven(fakeie::AsUnknown(browser));
    const int given = ie_->BrowserCalls();
    BSTR url = ::SysAllocString(L"http://www.example.com/go");
    VARIANT_BOOL success = 0;
    action_->NavigateToURL(static_cast<OLE_HANDLE>(reinterpret_cast<LONG_PTR>(frame_)), &url, 0, &success);
    ::SysFreeString(url);
    EXPECT_EQ(1, success);
    EXPECT_GT(polled, 0);
    EXPECT_GT(given, polled);
    EXPECT_GT(ie_->BrowserCalls(), given);
    EXPECT_EQ(ie_->BrowserCalls(), ie_->FilteredBrowserCalls());
    IMessageFilter* left = nullptr;
    ASSERT_EQ(S_OK, ::CoRegisterMessageFilter(nullptr, &left));
    EXPECT_EQ(nullptr, left);
    if (left) left->Release();
}

// NavigateToURL searches the browser afresh: the domain of the page the last
// poll saw is never reported for the page it finds.
TEST_F(EnhancerTest, NavigateToURLForgetsThePreviousPagesDomain) {
    site_.enhancedDomains = {L"example.com"};
    FakeBrowser* browser = ie_->AddBrowser(frame_, frame_, Page());
    Foreground(frame_);
    Poll();
    ASSERT_EQ(Text(&IAction::GetDomain), L"example.com");

    ie_->SetPage(browser, Page(L"Secure", L"https://secure.other.org/account"));
    BSTR url = ::SysAllocString(L"http://www.example.com/go");
    VARIANT_BOOL success = -1;
    EXPECT_EQ(action_->NavigateToURL(static_cast<OLE_HANDLE>(reinterpret_cast<LONG_PTR>(frame_)), &url, 1, &success),
              S_OK);
    ::SysFreeString(url);
    EXPECT_EQ(success, 1);
    EXPECT_EQ(Text(&IAction::GetDomain), L"") << "the previous page's domain";

    // A window the enhancer does not find leaves no domain either.
    ie_->SetPage(browser, Page());
    Poll();
    ASSERT_EQ(Text(&IAction::GetDomain), L"example.com");
    url = ::SysAllocString(L"http://www.example.com/go");
    EXPECT_EQ(action_->NavigateToURL(static_cast<OLE_HANDLE>(reinterpret_cast<LONG_PTR>(other_)), &url, 1, &success),
              S_OK);
    ::SysFreeString(url);
    EXPECT_EQ(success, 0);
    EXPECT_EQ(Text(&IAction::GetDomain), L"");
}

}  // namespace

namespace {

TEST_F(EnhancerTest, ModuleNameString) {
    wchar_t name[16] = {};
    EXPECT_GT(::LoadStringW(module_, 100, name, 16), 0);
    EXPECT_STREQ(name, L"HXIE");
}

// With the log viewer present, the enhancer's log lines; after Unload
// neither HXIE nor HXLib writes again.
class EnhancerLogTest : public EnhancerTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(log_.Create());
        EnhancerTest::SetUp();
    }
    bool Logged(const std::wstring& text) {
        for (const std::wstring& line : log_.ReadAll())
            if (line.find(text) != std::wstring::npos) return true;
        return false;
    }
    ViewerLog log_;
};

TEST_F(EnhancerLogTest, LogLines) {
    EXPECT_TRUE(Logged(L"(HXIE) 1, 0, 0, 1 - RELEASE"));
    EXPECT_TRUE(Logged(std::wstring(L"(HXLib) HXIE - ") + kApp));

    site_.fail = true;
    PageData page = Page();
    Select(page, 1, L"rtl", {100, 10, 0, 12});
    page.selection.afterMoveStart = {92, 10, 30, 12};
    ie_->AddBrowser(frame_, frame_, page);
    Foreground(frame_);
    CursorAt(1, 1);
    EXPECT_EQ(Poll(), 0x04 | 0x09);
    EXPECT_TRUE(Logged(L"(HXIE) haveChanges = 0x0d"));
    EXPECT_TRUE(Logged(L"(HXIE) applying IE right-to-left bug workaround"));
    EXPECT_TRUE(Logged(L"(HXIE) *** IsEnhancedDomain(example.com) failed: 0x80004005"));

    action_->SetSiteEnhancer(nullptr);
    Poll();
    EXPECT_TRUE(Logged(L"(HXIE) No site enhancer: example.com is not enhanced"));

    VARIANT number;
    ::VariantInit(&number);
    number.vt = VT_I4;
    action_->SetConfigurationOption(2, &number, nullptr, nullptr, nullptr);
    EXPECT_TRUE(Logged(L"*** Wrong data type for AddConfigurationOption(2,...)"));

    EXPECT_EQ(action_->Unload(), S_OK);
    EXPECT_TRUE(Logged(L"(HXIE) Unloading"));
    const size_t lines = log_.ReadAll().size();
    Option(2, L"after unload");
    Poll();
    EXPECT_EQ(log_.ReadAll().size(), lines) << "a line written after Unload";
}

}  // namespace
