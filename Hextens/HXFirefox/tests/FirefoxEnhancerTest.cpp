// HXFirefox's IAction over the channel, with the stand-in extension as a
// second process and windows of Firefox's class in the foreground.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "Hextens/HXFirefox/HXFirefox.h"
#include "Hextens/HXIE/HXIE.h"
#include "ActionTransfers.h"
#include "FakeSiteEnhancer.h"
#include "TestSupport.h"
#include "ViewerLog.h"
#include "fx/Handle.h"
#include "hosts/SiteEnhancer.h"

namespace {

using testsupport::ReadAll;
using testsupport::Take;
using testsupport::TempFile;
using testsupport::WriteAll;

std::wstring W(const std::string& s) { return std::wstring(s.begin(), s.end()); }

// The site enhancer: accepts every link whose href holds no "reject", gives
// "guess:" + href as best guess, and lists the given site entries.
class FakeSiteEnhancer : public fakes::FakeSiteEnhancer {
public:
    FakeSiteEnhancer() {
        linkRule = [](const std::wstring& href, std::wstring& guess) {
            guess = L"guess:" + href;
            return href.find(L"reject") == std::wstring::npos;
        };
    }
    STDMETHODIMP IsHotSpotLink(BSTR location, BSTR href, BSTR ids, BSTR* bestGuess, VARIANT_BOOL* is) override {
        lastLocation = location ? location : L"";
        return fakes::FakeSiteEnhancer::IsHotSpotLink(location, href, ids, bestGuess, is);
    }

    std::wstring lastLocation;
};

LRESULT CALLBACK PlainProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return ::DefWindowProcW(w, m, wp, lp); }

HWND MakeWindow(const wchar_t* cls) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = cls;
    ::RegisterClassW(&wc);
    HWND w = ::CreateWindowExW(0, cls, cls, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300, 200, nullptr, nullptr,
                               wc.hInstance, nullptr);
    return w;
}

void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
}

bool BringToFront(HWND w) {
    return testsupport::WaitFor(
        [&] {
            ::SetForegroundWindow(w);
            Pump();
            return ::GetForegroundWindow() == w;
        },
        5000);
}

class Enhancer : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ::CoInitialize(nullptr);
        dll = ::LoadLibraryExW(testsupport::WinPath(HXFIREFOX_DLL).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        firefox = MakeWindow(L"MozillaUIWindowClass");
        other = MakeWindow(L"SomeOtherApp");
    }

    void SetUp() override {
        ASSERT_TRUE(dll) << "HXFirefox.dll not loaded: " << ::GetLastError();
        ASSERT_TRUE(firefox && other);
        typedef HRESULT(WINAPI * GetClassObjectFn)(REFCLSID, REFIID, void**);
        auto get = reinterpret_cast<GetClassObjectFn>(::GetProcAddress(dll, "DllGetClassObject"));
        ASSERT_TRUE(get);
        fx::ComPtr<IClassFactory> factory;
        ASSERT_EQ(S_OK, get(CLSID_FirefoxEnhancer, IID_IClassFactory, factory.put_void()));
        ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IAction, action.put_void()));
        ASSERT_EQ(S_OK, action->Init());
        script = TempFile("ffenh_script.txt");
        report = TempFile("ffenh_report.txt");
    }

    void TearDown() override {
        if (action) {
            action->Unload();
            action.reset();
        }
        extension.Kill();
    }

    void StartExtension(const std::string& text, std::vector<std::wstring> extra = {}) {
        WriteAll(script, text);
        std::vector<std::wstring> args = {L"--script", W(script), L"--report", W(report), L"--run-ms", L"30000"};
        args.insert(args.end(), extra.begin(), extra.end());
        ASSERT_TRUE(extension.Start(FIREFOX_EXT_EXE, args));
        ASSERT_TRUE(testsupport::WaitFor([&] { return ReadAll(report).find("ready") != std::string::npos; }, 10000));
    }

    LONG Update() {
        LONG bits = -1;
        EXPECT_EQ(S_OK, action->Update(&bits));
        return bits;
    }
    // Polls until a poll reports changes (the extension answered): on a busy
    // machine an answer can miss a poll's wait, and the enhancer then does not
    // wait for the extension until the answer has come.
    LONG UpdateAnswered() {
        LONG bits = 0;
        EXPECT_TRUE(testsupport::WaitFor([&] { return (bits = Update()) != 0; }, 5000));
        return bits;
    }

    using Item = testsupport::TransferItem;
    std::vector<Item> Selection() { return testsupport::ReadSelectionTransfer(action.get(), 201); }
    // Polls with Firefox in front until a poll reads the extension's answer
    // (0x01 without 0x10), then gives the selection. A window of a test running
    // beside this one may take the foreground for a moment; a poll then
    // reports everything gone (0x1F) and no selection, and is not counted.
    std::vector<Item> PollForSelection() {
        LONG bits = 0;
        EXPECT_TRUE(testsupport::WaitFor(
            [&] {
                if (!BringToFront(firefox)) return false;
                bits = Update();
                return (bits & 0x01) != 0 && (bits & 0x10) == 0;
            },
            15000))
            << "last poll: " << bits;
        return Selection();
    }
    std::vector<Item> HotSpots() { return testsupport::ReadHotSpotTransfer(action.get(), 201); }

    static HMODULE dll;
    static HWND firefox, other;
    fx::ComPtr<IAction> action;
    testsupport::Child extension;
    std::string script, report;
};

HMODULE Enhancer::dll = nullptr;
HWND Enhancer::firefox = nullptr;
HWND Enhancer::other = nullptr;

const char kPage[] =
    "location http://ex.com/page\n"
    "domain ex.com\n"
    "title A page\n"
    "piece ...|1,1,2,2\n"
    "piece  Hello   world! |10,20,30,40|10,40,30,60\n"
    "hotspot  Link one |http://ex.com/one|a,b|5,6,7,8\n"
    "hotspot Rejected|http://ex.com/reject|c|9,9,9,9\n"
    "hotspot ...|http://ex.com/two||11,12,13,14\n"
    "flags none\n";

}  // namespace

TEST_F(Enhancer, ScenarioTable) {
    FakeSiteEnhancer site;
    ASSERT_EQ(S_OK, action->SetSiteEnhancer(&site));
    StartExtension(kPage);

    // Extension alive, Firefox in the foreground: the first poll reads the
    // selection although the extension flagged no change.
    ASSERT_TRUE(BringToFront(firefox));
    LONG active = 0;
    action->HaveActiveEnhancerAreas(&active);
    EXPECT_EQ(1, active);
    LONG bits = Update();
    EXPECT_EQ(0x04 | 0x01 | 0x08, bits);

    // Two pieces, the first filters to nothing, the second has two rectangles.
    auto sel = Selection();
    ASSERT_EQ(2u, sel.size());
    EXPECT_EQ(L"Hello world", sel[0].text);
    EXPECT_EQ(10, sel[0].l);
    EXPECT_EQ(40, sel[0].b);
    EXPECT_EQ(L"Hello world", sel[1].text);
    EXPECT_EQ(40, sel[1].t);
    EXPECT_EQ(60, sel[1].b);
    EXPECT_EQ(L"<context><title><![CDATA[Firefox]]></title><content></content></context>", sel[0].context);
    EXPECT_EQ(L"", sel[0].guess);

    // No hot-spot change flagged: no hot spots yet.  Now the page flags all.
    extension.Kill();
    StartExtension(
        std::string(kPage).replace(std::string(kPage).find("flags none"), 10, "flags page selection hotspots"));
    bits = UpdateAnswered();
    EXPECT_EQ(0x01 | 0x02 | 0x04, bits);  // same selection: no 0x08

    auto hot = HotSpots();
    ASSERT_EQ(2u, hot.size()) << "the rejected link is not listed";
    EXPECT_EQ(L"Link one", hot[0].text);
    EXPECT_EQ(L"http://ex.com/one", hot[0].href);
    EXPECT_EQ(5, hot[0].l);
    EXPECT_EQ(8, hot[0].b);
    EXPECT_EQ(L"guess:http://ex.com/one", hot[0].guess);
    EXPECT_EQ(
        L"<context><title><![CDATA[Firefox]]></title><location><![CDATA[http://ex.com/page]]></location>"
        L"<href><![CDATA[http://ex.com/one]]></href><content><id>a</id><id>b</id></content></context>",
        hot[0].context);
    EXPECT_EQ(L"", hot[1].text) << "a hot spot whose text filters to nothing is still listed";
    EXPECT_EQ(
        L"<context><title><![CDATA[Firefox]]></title><location><![CDATA[http://ex.com/page]]></location>"
        L"<href><![CDATA[http://ex.com/two]]></href></context>",
        hot[1].context);
    EXPECT_EQ(L"http://ex.com/page", site.lastLocation);
    BSTR s = nullptr;
    action->GetDomain(&s);
    EXPECT_EQ(L"ex.com", Take(s));
    action->get_ActiveAreaTitle(&s);
    EXPECT_EQ(L"A page", Take(s));

    // Firefox leaves the foreground: 0x1F once, then 0.
    ASSERT_TRUE(BringToFront(other));
    EXPECT_EQ(0x1F, Update());
    EXPECT_EQ(0, Update());
    action->HaveActiveEnhancerAreas(&active);
    EXPECT_EQ(0, active);
    EXPECT_TRUE(Selection().empty());
    EXPECT_TRUE(HotSpots().empty());
}

TEST_F(Enhancer, SecurePageAndNoSiteEnhancer) {
    StartExtension("location https://bank.ex.com/\npiece word|1,2,3,4\nhotspot link|http://a/|x|1,1,2,2\n");
    ASSERT_TRUE(BringToFront(firefox));
    LONG bits = Update();
    EXPECT_EQ(0x20, bits & 0x20);
    EXPECT_EQ(0, bits & 0x02) << "without a site enhancer the hot-spot list stays empty";
    EXPECT_TRUE(HotSpots().empty());
}

TEST_F(Enhancer, ExtensionNotAliveReportsNothing) {
    ASSERT_TRUE(BringToFront(firefox));
    DWORD start = ::GetTickCount();
    EXPECT_EQ(0, Update());
    EXPECT_LT(::GetTickCount() - start, 1000u);
    // It still counted as an active poll.
    ASSERT_TRUE(BringToFront(other));
    EXPECT_EQ(0x1F, Update());
}

TEST_F(Enhancer, SiteStringsAndNavigationReachTheExtension) {
    FakeSiteEnhancer site;
    site.entries = {L"ex.com", L"news.ex.org", L"z"};
    ASSERT_EQ(S_OK, action->SetSiteEnhancer(&site));
    EXPECT_EQ(4, site.entryCalls) << "three entries, then the empty one ends it";
    StartExtension("location http://ex.com/\n");
    ASSERT_TRUE(testsupport::WaitFor([&] { return ReadAll(report).find("site 2") != std::string::npos; }, 5000));
    std::string seen = ReadAll(report);
    EXPECT_NE(std::string::npos, seen.find("site 0 0 ex.com")) << seen;
    EXPECT_NE(std::string::npos, seen.find("site 1 14 news.ex.org")) << seen;
    EXPECT_NE(std::string::npos, seen.find("site 2 38 z")) << seen;

    BSTR url = ::SysAllocString(L"http://ex.com/caf\u00e9");
    VARIANT_BOOL ok = -1;
    action->NavigateToURL(static_cast<OLE_HANDLE>(reinterpret_cast<uintptr_t>(firefox)), &url, 0, &ok);
    EXPECT_EQ(1, ok);
    ASSERT_TRUE(testsupport::WaitFor([&] { return ReadAll(report).find("navigate") != std::string::npos; }, 5000));
    char expected[64];
    snprintf(expected, sizeof expected, "navigate %08x 0 http://ex.com/caf%%C3%%A9",
             (unsigned)reinterpret_cast<uintptr_t>(firefox));
    EXPECT_NE(std::string::npos, ReadAll(report).find(expected)) << ReadAll(report);

    // Not sent, not reported as sent: a window of another class, a URL too long.
    action->NavigateToURL(static_cast<OLE_HANDLE>(reinterpret_cast<uintptr_t>(other)), &url, 0, &ok);
    EXPECT_EQ(0, ok);
    ::SysFreeString(url);
    url = ::SysAllocString((L"http://ex.com/" + std::wstring(250, L'a')).c_str());
    action->NavigateToURL(static_cast<OLE_HANDLE>(reinterpret_cast<uintptr_t>(firefox)), &url, 0, &ok);
    EXPECT_EQ(0, ok);
    ::SysFreeString(url);
}

TEST_F(Enhancer, SiteEntriesStopOnAFailure) {
    FakeSiteEnhancer site;
    site.entries = std::vector<std::wstring>(1000, L"endless");
    site.failEntryAt = 5;
    action->SetSiteEnhancer(&site);
    EXPECT_EQ(6, site.entryCalls);
    FakeSiteEnhancer endless;
    endless.entries = std::vector<std::wstring>(1000, L"endless");
    action->Unload();
    action->Init();
    action->SetSiteEnhancer(&endless);
    EXPECT_LE(endless.entryCalls, 257);
}

TEST_F(Enhancer, AnObjectThatIsNoSiteEnhancerIsNotUsed) {
    FakeSiteEnhancer other;
    other.answersSiteEnhancer = false;
    other.entries = {L"ex.com"};
    EXPECT_EQ(S_OK, action->SetSiteEnhancer(&other));
    EXPECT_EQ(0, other.entryCalls);
}

TEST_F(Enhancer, GettersWithoutACurrentItem) {
    BSTR s = ::SysAllocString(L"unwritten");
    BSTR keep = s;
    action->GetHRef(&s);
    EXPECT_EQ(nullptr, s);
    s = keep;
    action->GetHotSpotText(&s);
    EXPECT_EQ(nullptr, s);
    ::SysFreeString(keep);
    LONG v = 7;
    action->GetHotSpotLeft(&v);
    EXPECT_EQ(0, v);
    action->GetSelTextBottom(&v);
    EXPECT_EQ(0, v);
    action->GetSelectedText(&s);
    EXPECT_EQ(L"", Take(s));
    action->GetContext(&s);
    EXPECT_EQ(L"<context><title><![CDATA[Firefox]]></title><content></content></context>", Take(s));
    action->get_enhancertype(&s);
    EXPECT_EQ(L"Firefox Enhancer", Take(s));
    LONG changes = 5;
    action->UpdateForECP(nullptr, &changes);
    EXPECT_EQ(0, changes);
}

// Random bytes in the block while the enhancer polls: no crash, bounded polls.
TEST_F(Enhancer, HostileExtensionData) {
    FakeSiteEnhancer site;
    action->SetSiteEnhancer(&site);
    StartExtension(kPage, {L"--hostile-ms", L"3000"});
    ASSERT_TRUE(BringToFront(firefox));
    int polls = 0;
    DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < 2500) {
        DWORD t = ::GetTickCount();
        Update();
        EXPECT_LT(::GetTickCount() - t, 4000u);
        auto sel = Selection();
        EXPECT_LE(sel.size(), 100u);
        auto hot = HotSpots();
        EXPECT_LE(hot.size(), 100u);
        ++polls;
    }
    std::printf("hostile run: %d polls\n", polls);
    // Once the scribbling stops, the scripted page is served again.
    // (On a busy machine the extension may take a while to serve it again.)
    std::vector<Item> sel;
    EXPECT_TRUE(testsupport::WaitFor(
        [&] {
            if (!BringToFront(firefox)) return false;
            Update();
            sel = Selection();
            return sel.size() == 2u && sel[0].text == L"Hello world" && sel[1].text == L"Hello world";
        },
        15000))
        << "selection items read: " << sel.size();
}

TEST_F(Enhancer, ExtensionKilledHoldingTheLock) {
    ASSERT_TRUE(BringToFront(firefox));
    ASSERT_TRUE(extension.Start(FIREFOX_EXT_EXE, {L"--die-holding-lock", L"--report", W(report)}));
    DWORD code = 0;
    ASSERT_TRUE(extension.Wait(10000, &code));
    EXPECT_EQ(9u, code);
    // The alive event it set stays set (it died without resetting it).
    Update();  // recovers the abandoned lock; nothing answered
    StartExtension(kPage);
    EXPECT_EQ(2u, PollForSelection().size());
}

// The extension dies with its alive event still set: the poll that finds no
// answer waits once, every later poll waits for nothing and reports the
// extension absent, and once it answers again it is waited for as before.
TEST_F(Enhancer, AnExtensionThatStoppedAnsweringCostsOneAnswerTimeOut) {
    const char page[] = "location http://ex.com/\npiece word|1,2,3,4\nflags page selection\n";
    ASSERT_TRUE(BringToFront(firefox));
    StartExtension(page);
    EXPECT_NE(0, UpdateAnswered() & 0x01);
    extension.Kill();

    DWORD t = ::GetTickCount();
    Update();
    const DWORD timeOut = ::GetTickCount() - t;
    EXPECT_GE(timeOut, 400u) << "the first unanswered request is waited for";
    t = ::GetTickCount();
    for (int i = 0; i < 10; ++i) EXPECT_EQ(0, Update()) << "the silent extension counts as absent";
    EXPECT_LT(::GetTickCount() - t, 1000u) << "ten polls waited again (each would take 500 ms)";

    // It answers the request left raised: the next poll reads its page.
    StartExtension("location http://ex.com/\npiece again|5,6,7,8\nflags page selection\n");
    auto sel = PollForSelection();
    ASSERT_EQ(1u, sel.size());
    EXPECT_EQ(L"again", sel[0].text);
    EXPECT_NE(0, UpdateAnswered() & 0x01) << "answered as before";

    // Waited for again: dying a second time costs one time-out again.
    extension.Kill();
    t = ::GetTickCount();
    Update();
    EXPECT_GE(::GetTickCount() - t, 400u);
}

// An extension that hangs holding the channel's lock costs the polls one lock
// wait in all: a poll takes the block in one access, and once a wait ran out
// no access waits until the extension answers again.
TEST_F(Enhancer, AnExtensionHoldingTheLockCostsOneLockWait) {
    ViewerLog viewer;
    ASSERT_TRUE(viewer.Create());
    action->Unload();
    action->Init();  // attaches to the viewer's log
    const std::string release = TempFile("ffenh_release_lock");
    StartExtension("location http://ex.com/\npiece held|1,2,3,4\nflags page selection\n",
                   {L"--hold-lock-until", W(release)});
    ASSERT_TRUE(
        testsupport::WaitFor([&] { return ReadAll(report).find("holding the lock") != std::string::npos; }, 5000));
    ASSERT_TRUE(BringToFront(firefox));
    for (int i = 0; i < 4; ++i) Update();
    int lockWaits = 0;
    for (auto& l : viewer.ReadAll()) lockWaits += l.find(L"Channel lock not free within") != std::wstring::npos;
    EXPECT_EQ(1, lockWaits) << "lock waits that ran out in four polls";

    // Let go: the extension is served again.
    WriteAll(release, "go");
    ASSERT_TRUE(
        testsupport::WaitFor([&] { return ReadAll(report).find("released the lock") != std::string::npos; }, 5000));
    auto sel = PollForSelection();
    ASSERT_EQ(1u, sel.size());
    EXPECT_EQ(L"held", sel[0].text);
    bool answersAgain = false;
    for (auto& l : viewer.ReadAll()) answersAgain |= l == L"(HXFirefox) The extension answers again";
    EXPECT_TRUE(answersAgain);
    action->Unload();
    action->Init();
}

// Option 2 gives the selection filter its ignore words; option 1 takes the
// server's settings and leaves them alone; either with a value that is not a
// string changes nothing and says so.
TEST_F(Enhancer, ConfigurationOptionsReachTheSelectionFilter) {
    ViewerLog viewer;
    ASSERT_TRUE(viewer.Create());
    action->Unload();
    action->Init();  // attaches to the viewer's log
    auto option = [&](LONG id, VARIANT* v) {
        EXPECT_EQ(S_OK, action->SetConfigurationOption(id, v, nullptr, nullptr, nullptr));
    };
    auto text = [&](LONG id, const wchar_t* value) {
        VARIANT v;
        V_VT(&v) = VT_BSTR;
        V_BSTR(&v) = ::SysAllocString(value);
        option(id, &v);
        ::VariantClear(&v);
    };
    text(2, L"hello\nfoo");
    text(1, L"<init><user><send_context>true</send_context></user></init>");
    VARIANT number;
    V_VT(&number) = VT_I4;
    V_I4(&number) = 3;
    option(1, &number);
    option(2, &number);
    option(2, nullptr);

    StartExtension("location http://ex.com/\npiece hello|1,1,2,2\npiece world|3,3,4,4\nflags page selection\n");
    ASSERT_TRUE(BringToFront(firefox));
    UpdateAnswered();
    auto sel = Selection();
    ASSERT_EQ(1u, sel.size()) << "the ignored word is no selection";
    EXPECT_EQ(L"world", sel[0].text);
    EXPECT_EQ(3, sel[0].l);

    bool wrong1 = false, wrong2 = false, listLine = false;
    for (auto& l : viewer.ReadAll()) {
        wrong1 |= l == L"*** Wrong data type for AddConfigurationOption(1,...)";
        wrong2 |= l == L"*** Wrong data type for AddConfigurationOption(2,...)";
        listLine |= l == L"(HXLib) ConfigureIgnoreWordsList: 9";
    }
    EXPECT_TRUE(wrong1);
    EXPECT_TRUE(wrong2);
    EXPECT_TRUE(listLine);

    // An empty list lets the word through again.
    text(2, L"");
    extension.Kill();
    StartExtension("location http://ex.com/\npiece hello|1,1,2,2\nflags page selection\n");
    UpdateAnswered();
    sel = Selection();
    ASSERT_EQ(1u, sel.size());
    EXPECT_EQ(L"hello", sel[0].text);
    action->Unload();
    action->Init();
}

TEST_F(Enhancer, ExtensionLogReachesTheDebugLog) {
    ViewerLog viewer;
    ASSERT_TRUE(viewer.Create());
    ASSERT_TRUE(BringToFront(other));
    Update();  // empties the module's lists
    action->Unload();
    action->Init();  // attaches to the viewer's log
    StartExtension(kPage);
    ASSERT_TRUE(BringToFront(firefox));
    Update();
    std::vector<std::wstring> lines;
    ASSERT_TRUE(testsupport::WaitFor(
        [&] {
            for (auto& l : viewer.ReadNew()) lines.push_back(l);
            for (auto& l : lines)
                if (l.find(L"(HXFirefox:Extension) answered request 1 at") != std::wstring::npos) return true;
            return false;
        },
        5000));
    bool sawBits = false, sawVersion = false;
    for (auto& l : lines) {
        sawBits |= l.find(L"(HXFirefox) haveChanges = 0x0d") != std::wstring::npos;
        sawVersion |= l.find(L"(HXFirefox) 1, 0, 0, 1 - RELEASE") != std::wstring::npos;
    }
    EXPECT_TRUE(sawVersion);
    std::wstring all;
    for (auto& l : lines) all += l + L"\n";
    EXPECT_TRUE(sawBits) << testing::PrintToString(all);
    action->Unload();
    bool sawUnload = false;
    for (auto& l : viewer.ReadNew()) sawUnload |= l.find(L"(HXFirefox) Unloading") != std::wstring::npos;
    EXPECT_TRUE(sawUnload);
    action->Init();
}

// The module's exit path: without Unload, the enhancer still clears its
// presence mark and its alive event, on unload of the DLL and at process end.
TEST_F(Enhancer, ModuleExitReleasesTheEnhancer) {
    action->Unload();
    action.reset();
    fx::UniqueHandle mapping(::OpenFileMappingW(FILE_MAP_READ, FALSE, L"PHXFFMemoryFile"));
    ASSERT_TRUE(mapping);
    fx::MappedView view(::MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0));
    ASSERT_TRUE(view);
    // Held here, the enhancer's alive event outlives the host: it shows what
    // the host's enhancer left it as.
    fx::UniqueHandle alive(::CreateEventW(nullptr, TRUE, FALSE, L"PQHXFIREFOXENHANCERISALIVE"));
    ASSERT_TRUE(alive);
    for (const wchar_t* mode : {L"free", L"exit"}) {
        ::ResetEvent(alive.get());
        testsupport::Child host;
        ASSERT_TRUE(host.Start(ENHANCER_HOST_EXE, {testsupport::WinPath(HXFIREFOX_DLL), mode}));
        DWORD code = 99;
        ASSERT_TRUE(host.Wait(15000, &code)) << mode;
        EXPECT_EQ(0u, code) << mode;
        EXPECT_EQ(0, view.bytes()[0]) << mode << ": enhancerPresent left set";
        EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), ::WaitForSingleObject(alive.get(), 0))
            << mode << ": the enhancer-alive event left set";
    }
}

// Unload lets HXLib go of the logger before deleting it: HXLib logging after
// Unload writes nothing and touches no freed logger.
TEST_F(Enhancer, HXLibLogsNothingAfterUnload) {
    ViewerLog viewer;
    ASSERT_TRUE(viewer.Create());
    action->Unload();
    action->Init();
    action->Unload();
    viewer.ReadNew();
    VARIANT words;
    V_VT(&words) = VT_BSTR;
    V_BSTR(&words) = ::SysAllocString(L"the\nand");
    action->SetConfigurationOption(2, &words, nullptr, nullptr, nullptr);
    ::VariantClear(&words);
    for (auto& l : viewer.ReadNew()) EXPECT_EQ(std::wstring::npos, l.find(L"(HXLib)")) << l.c_str();
    action->Init();
}
