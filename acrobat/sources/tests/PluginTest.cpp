// The plug-in in the stand-in host, in this process.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "RecordFile.h"
#include "StandInHost.h"
#include "TableImport.h"
#include "TestSupport.h"
#include "ViewerLog.h"

using acrotest::Equal;
using acrotest::Text;

namespace {

const std::wstring kPlugin = testsupport::WinPath(ACROBAT_PLUGIN);

std::vector<std::string> CallsStartingWith(const standin::Host& h, const std::string& prefix) {
    std::vector<std::string> out;
    for (const auto& c : h.calls)
        if (c.compare(0, prefix.size(), prefix) == 0) out.push_back(c);
    return out;
}

class PluginTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(viewer.Create()); }

    // The plug-in started in the host, with a document at (390, 280) whose
    // first page view (at 400, 300 on the screen) has the focus.
    void StartWithDocument(int pageViews = 1) {
        ASSERT_TRUE(host.Start(kPlugin));
        ASSERT_TRUE(host.CreateDocument(390, 280, pageViews));
        ASSERT_TRUE(host.FocusPageView(0));
        host.titleBytes = "Report";
    }
    // "hello" selected; pages 3 to 6 in the range, 4 to 6 shown, the
    // selection visible first on page 5; the view's current page is 9.
    void StartOnPage9WithPages3To6Shown() {
        StartWithDocument();
        host.Select("hello");
        host.firstPage = 3;
        host.lastPage = 6;
        host.shownPages = {4, 5, 6};
        host.origins = {{4, {40, 2000}}, {5, {20, 30}}, {6, {40, 40}}};
        host.currentPage = 9;
    }
    AcrobatRecord Capture() {
        host.Notify(10, host.doc);
        AcrobatRecord r;
        EXPECT_EQ(acrotest::ReadRecord(r), 0);
        return r;
    }
    bool Logged(const std::wstring& line) {
        auto lines = viewer.ReadAll();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    ViewerLog viewer;
    standin::Host host;
};

// Whether another thread could take the record's mutex at once (mutexes
// belong to threads: this thread's own hold would not show).
bool RecordMutexFree() {
    bool free = false;
    std::thread probe([&] {
        HANDLE m = ::OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, AcrobatRecordLayout::kMutexName);
        if (!m) return;
        const DWORD r = ::WaitForSingleObject(m, 0);
        free = r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
        if (free) ::ReleaseMutex(m);
        ::CloseHandle(m);
    });
    probe.join();
    return free;
}

const AcroRect kView{400, 300, 900, 600};
const AcroRect kExample{510, 320, 610, 340};

TEST_F(PluginTest, PlugInMainAnswersAtMost0x20000AndGivesTheSetup) {
    ASSERT_TRUE(host.Load(kPlugin));
    struct Case {
        acrohost::Version host, answered;
    } cases[] = {{0x10000, 0x10000}, {0x1FFFF, 0x1FFFF}, {0x20000, 0x20000}, {0x20001, 0x20000}, {0x60000, 0x20000}};
    for (const auto& c : cases) {
        acrohost::Version answered = 0;
        EXPECT_TRUE(host.Main(c.host, &answered));
        EXPECT_EQ(answered, c.answered) << std::hex << c.host;
        EXPECT_NE(host.setup, nullptr);
    }
}

TEST_F(PluginTest, SetupAcceptsOnly0x20000InTheCallAndInItsData) {
    ASSERT_TRUE(host.Load(kPlugin));
    acrohost::Version answered = 0;
    ASSERT_TRUE(host.Main(0x20000, &answered));
    struct Case {
        acrohost::Version call, data;
    } refused[] = {{0x10000, 0x20000}, {0x20001, 0x20000}, {0x20000, 0x10000}, {0x20000, 0x30000}};
    for (const auto& c : refused) {
        EXPECT_FALSE(host.Setup(c.call, c.data)) << std::hex << c.call << " " << c.data;
        EXPECT_EQ(host.setupData.handshake, nullptr);
    }
    EXPECT_TRUE(CallsStartingWith(host, "Core.10").empty()) << "a refused version asks for no table";
    EXPECT_TRUE(host.Setup());
    EXPECT_NE(host.setupData.handshake, nullptr);
}

TEST_F(PluginTest, SetupAsksForTheTablesInOrderAndFallsBackOnlyUpward) {
    host.offered["PDSysFont"] = {0x20003, 0x50000};  // not at 0x40000 asked
    ASSERT_TRUE(host.Load(kPlugin));
    acrohost::Version answered = 0;
    ASSERT_TRUE(host.Main(0x20000, &answered));
    ASSERT_TRUE(host.Setup());
    std::vector<std::string> expected = {"Core.10 AcroSupport@60000",
                                         "Core.10 AcroSupport@60000",
                                         "Core.10 Core@50000",
                                         "Core.10 AcroView@60000",
                                         "Core.10 Cos@60000",
                                         "Core.10 PDSWrite@60000",
                                         "Core.10 PDModel@60000",
                                         "Core.10 PDSRead@60000",
                                         "Core.10 PDFEditWrite@60000",
                                         "Core.10 Win@50000",
                                         "Core.10 PDFEditRead@60000",
                                         "Core.10 ASExtra@60000",
                                         "Core.10 PDSysFont@40000",
                                         "Core.10 PDSysFont@50001",
                                         "Core.10 PDSysFont@50000",
                                         "Core.10 AcroViewSweetPea@50000",
                                         "Core.10 PagePDEContent@60000",
                                         "Core.10 PDMetadata@60000"};
    EXPECT_EQ(CallsStartingWith(host, "Core.10"), expected);
    EXPECT_EQ(host.Count("AcroSupport.103"), 15) << "the support table's own version and every direct grant";
}

TEST_F(PluginTest, SetupFailsWhenAnyTableIsMissing) {
    std::vector<std::string> names = {"AcroSupport"};
    for (const auto& t : kImportedTables) names.push_back(t.name);
    for (const auto& missing : names) {
        standin::Host h;
        h.offered[missing].clear();
        ASSERT_TRUE(h.Load(kPlugin));
        acrohost::Version answered = 0;
        ASSERT_TRUE(h.Main(0x20000, &answered));
        EXPECT_FALSE(h.Setup()) << missing;
        EXPECT_EQ(h.setupData.handshake, nullptr) << missing;
    }
}

TEST_F(PluginTest, HandshakeNamesTheExtensionAndHandsOverFourCallbacks) {
    ASSERT_TRUE(host.Load(kPlugin));
    acrohost::Version answered = 0;
    ASSERT_TRUE(host.Main(0x20000, &answered));
    ASSERT_TRUE(host.Setup());
    EXPECT_FALSE(host.Handshake(0x10000));
    EXPECT_FALSE(host.Handshake(0x20001));
    const int before = host.Count("Core.8");
    ASSERT_TRUE(host.Handshake());
    EXPECT_EQ(host.AtomName(host.handshakeData.extensionName), "ADBE:PondrelHXAcrobat");
    EXPECT_EQ(host.Count("Core.8") - before, 4);
    EXPECT_EQ(host.Count("Core.8 foreign extension"), 0) << "every callback names our extension";
    std::vector<acrohost::Callback> cbs = {host.handshakeData.exportTables, host.handshakeData.importReplaceAndRegister,
                                           host.handshakeData.init, host.handshakeData.unload};
    for (auto cb : cbs) EXPECT_NE(cb, nullptr);
    std::sort(cbs.begin(), cbs.end());
    EXPECT_EQ(std::unique(cbs.begin(), cbs.end()), cbs.end()) << "four different procedures";
    EXPECT_TRUE(reinterpret_cast<acrohost::PlainProc>(host.handshakeData.exportTables)());
    EXPECT_TRUE(reinterpret_cast<acrohost::PlainProc>(host.handshakeData.importReplaceAndRegister)());
}

TEST_F(PluginTest, InitialisationAttachesAndRegistersTheHandlersAndTheIdleCheck) {
    ASSERT_TRUE(host.Start(kPlugin));
    std::vector<std::string> expected;
    for (int n : {10, 114, 83, 53, 52, 121, 100, 103}) expected.push_back("AcroView.41 " + std::to_string(n));
    EXPECT_EQ(CallsStartingWith(host, "AcroView.41"), expected);
    for (auto ext : host.notificationExtensions) EXPECT_EQ(ext, host.extension);
    for (auto& [n, data] : host.notificationData) EXPECT_EQ(data, nullptr) << n;
    EXPECT_EQ(CallsStartingWith(host, "AcroView.39"), std::vector<std::string>{"AcroView.39 20"});
    EXPECT_NE(host.idle, nullptr);
    EXPECT_TRUE(Logged(L"(PondrelHXAcrobat) InitPQPlugin"));
    EXPECT_TRUE(Logged(L"(PondrelHXAcrobat) 1, 0, 0, 1 - RELEASE"));
    EXPECT_TRUE(Logged(L"(PondrelHXAcrobat) Reference count = 1"));

    EXPECT_TRUE(host.Unload());
    EXPECT_TRUE(Logged(L"(PondrelHXAcrobat) KillPQPlugin"));
    AcrobatRecord r;
    EXPECT_EQ(acrotest::ReadRecord(r), 3) << "the only attach is gone, and the block with it";
}

TEST_F(PluginTest, ACaptureWritesOneEntryWithTheSelectionOnTheScreenAndTheTitle) {
    StartWithDocument();
    host.Select("hello");
    host.currentPage = 0;
    AcrobatRecord r = Capture();
    EXPECT_EQ(r.attachCount, 1);
    EXPECT_EQ(r.entryCount, 1);
    EXPECT_EQ(Text(r.entryTexts[0]), L"hello");
    EXPECT_TRUE(Equal(r.entryRects[0], kExample));
    EXPECT_TRUE(Equal(r.viewRect, kView));
    EXPECT_EQ(Text(r.title), L"Report");
    EXPECT_EQ(host.Count("AcroView.413 1,2,3,4"), 1) << "the selection's bounds are converted";
    EXPECT_EQ(CallsStartingWith(host, "PDModel.104"), std::vector<std::string>{"PDModel.104 Title 255"});

    // Every capture replaces the content: still one entry.
    host.Select("again");
    r = Capture();
    EXPECT_EQ(r.entryCount, 1);
    EXPECT_EQ(Text(r.entryTexts[0]), L"again");
    EXPECT_TRUE(Equal(r.entryRects[1], AcroRect{}));
}

TEST_F(PluginTest, NotificationsCaptureByDocumentOrPageViewAndTheOthersDoNothing) {
    StartWithDocument();
    host.Select("hello");
    for (int n : {83, 53, 52, 121, 100}) host.Notify(n, host.doc);
    EXPECT_EQ(host.Count("PDModel.104"), 0);
    AcrobatRecord r;
    for (int n : {10, 114}) {
        host.Select("doc " + std::to_string(n));
        host.Notify(n, host.doc);
        ASSERT_EQ(acrotest::ReadRecord(r), 0);
        EXPECT_EQ(Text(r.entryTexts[0]), L"doc " + std::to_wstring(n));
        EXPECT_TRUE(Equal(r.entryRects[0], kExample));
    }
    host.Select("by page view");
    host.Notify(103, host.pageView);
    ASSERT_EQ(acrotest::ReadRecord(r), 0);
    EXPECT_EQ(Text(r.entryTexts[0]), L"by page view");
    EXPECT_TRUE(Equal(r.entryRects[0], kExample));
    EXPECT_EQ(host.Count("AcroView.107"), 1);
    EXPECT_EQ(host.Count("PDModel.104"), 3);
}

TEST_F(PluginTest, SelectionsUpTo255CharactersAreWrittenWholeLongerOnesAsNothing) {
    StartWithDocument();
    struct Case {
        std::vector<std::string> chunks;
        std::wstring text;
    } cases[] = {
        {{std::string(255, 'a')}, std::wstring(255, L'a')},
        {{std::string(200, 'b'), std::string(55, 'c')}, std::wstring(200, L'b') + std::wstring(55, L'c')},
        {{std::string(256, 'd')}, L""},
        {{std::string(200, 'e'), std::string(100, 'f')}, L""},
        {{"Caf\xE9 \xFF"}, L"Caf\u00E9 \u00FF"},
    };
    for (const auto& c : cases) {
        host.chunks = c.chunks;
        AcrobatRecord r = Capture();
        EXPECT_EQ(Text(r.entryTexts[0]), c.text);
        EXPECT_EQ(r.entryCount, 1);
        const bool written = !c.text.empty();
        EXPECT_TRUE(Equal(r.entryRects[0], written ? kExample : AcroRect{})) << c.text.size();
        EXPECT_TRUE(Equal(r.viewRect, written ? kView : AcroRect{}));
        EXPECT_EQ(Text(r.title), L"Report");
    }
}

TEST_F(PluginTest, WithoutAVisibleTextSelectionTheEntryIsEmptyButTheTitleIsWritten) {
    struct Case {
        const char* what;
        std::function<void(standin::Host&)> arrange;
    } cases[] = {
        {"scrolled out of view",
         [](standin::Host& h) {
             h.origins[0] = {40, 2000};
         }},
        {"page not shown", [](standin::Host& h) { h.shownPages.clear(); }},
        {"another selection type", [](standin::Host& h) { h.textSelection = false; }},
        {"no selection", [](standin::Host& h) { h.hasSelection = false; }},
        {"a hostile page range",
         [](standin::Host& h) {
             h.firstPage = INT_MIN;
             h.lastPage = INT_MAX;
             h.shownPages.clear();
         }},
        {"document window of another class", [](standin::Host& h) { h.frame = h.Container(); }},
    };
    for (const auto& c : cases) {
        standin::Host h;
        ASSERT_TRUE(h.Start(kPlugin));
        ASSERT_TRUE(h.CreateDocument(390, 280));
        ASSERT_TRUE(h.FocusPageView(0));
        h.titleBytes = "Report";
        h.Select("hello");
        c.arrange(h);
        h.Notify(10, h.doc);
        AcrobatRecord r;
        ASSERT_EQ(acrotest::ReadRecord(r), 0) << c.what;
        EXPECT_EQ(r.entryCount, 1) << c.what;
        EXPECT_EQ(Text(r.entryTexts[0]), L"") << c.what;
        EXPECT_TRUE(Equal(r.entryRects[0], AcroRect{})) << c.what;
        EXPECT_TRUE(Equal(r.viewRect, AcroRect{})) << c.what;
        EXPECT_EQ(Text(r.title), L"Report") << c.what;
    }
}

TEST_F(PluginTest, TheFirstVisiblePageDecidesAndTheCurrentPageIsRestored) {
    StartOnPage9WithPages3To6Shown();
    AcrobatRecord r = Capture();
    EXPECT_TRUE(Equal(r.entryRects[0], AcroRect{530, 330, 630, 350})) << "placed by page 5's origin";
    EXPECT_EQ(CallsStartingWith(host, "AcroView.222"),
              (std::vector<std::string>{"AcroView.222 4", "AcroView.222 5", "AcroView.222 9"}));
    EXPECT_EQ(host.currentPage, 9);

    // No page shows the selection: every shown page is tried, and the page is restored too.
    host.calls.clear();
    host.origins = {{4, {40, 2000}}, {5, {40, 2000}}, {6, {40, 2000}}};
    r = Capture();
    EXPECT_EQ(Text(r.entryTexts[0]), L"");
    EXPECT_EQ(CallsStartingWith(host, "AcroView.222"),
              (std::vector<std::string>{"AcroView.222 4", "AcroView.222 5", "AcroView.222 6", "AcroView.222 9"}));
    EXPECT_EQ(host.currentPage, 9);
}

// The host raises a page-view notification when the capture moves the
// current page: that notification runs no capture inside the running one,
// and the current page still comes back.
TEST_F(PluginTest, APageChangeNotifiedDuringTheCaptureStartsNoCaptureInsideIt) {
    StartOnPage9WithPages3To6Shown();
    int notified = 0;
    size_t callsInside = 0;
    bool inside = false;
    host.onGoToPage = [&](int32_t) {
        if (inside) return;  // a capture run inside would notify again: count it once
        inside = true;
        ++notified;
        const size_t before = host.calls.size();
        host.Notify(103, host.pageView);
        callsInside += host.calls.size() - before;
        inside = false;
    };
    AcrobatRecord r = Capture();
    host.onGoToPage = nullptr;
    EXPECT_EQ(notified, 3) << "pages 4 and 5, then the restored page 9";
    EXPECT_EQ(callsInside, 0u) << "a capture ran inside the capture";
    EXPECT_EQ(host.Count("PDModel.223"), 1);
    EXPECT_EQ(host.currentPage, 9);
    EXPECT_EQ(CallsStartingWith(host, "AcroView.222"),
              (std::vector<std::string>{"AcroView.222 4", "AcroView.222 5", "AcroView.222 9"}));
    EXPECT_EQ(Text(r.entryTexts[0]), L"hello");
    EXPECT_TRUE(Equal(r.entryRects[0], AcroRect{530, 330, 630, 350}));

    // The notification after the capture is captured as before.
    host.Select("later");
    host.Notify(103, host.pageView);
    ASSERT_EQ(acrotest::ReadRecord(r), 0);
    EXPECT_EQ(Text(r.entryTexts[0]), L"later");
}

// Every host function, the document title's among them, is called with the
// record's mutex free: other hosts and readers never wait on our host calls.
TEST_F(PluginTest, NoHostCallIsMadeWhileTheRecordMutexIsHeld) {
    StartWithDocument();
    host.Select("hello");
    std::vector<std::string> underLock;
    host.onCall = [&](const std::string& call) {
        if (!RecordMutexFree()) underLock.push_back(call);
    };
    AcrobatRecord r = Capture();
    host.Idle();
    host.onCall = nullptr;
    EXPECT_EQ(host.Count("PDModel.104"), 2) << "the title was read by both captures";
    EXPECT_TRUE(underLock.empty()) << "called under the record mutex: " << testing::PrintToString(underLock);
    EXPECT_EQ(Text(r.title), L"Report");
    EXPECT_EQ(Text(r.entryTexts[0]), L"hello");
}

TEST_F(PluginTest, TheIdleCheckCapturesOnceForEachMoveOrResizeOfTheFrame) {
    StartWithDocument();
    host.Select("hello");
    host.Idle();
    EXPECT_EQ(host.Count("PDModel.104"), 1) << "the first idle check sees a new frame";
    host.Idle();
    host.Idle();
    EXPECT_EQ(host.Count("PDModel.104"), 1) << "an unchanged frame gives no capture";
    ::SetWindowPos(host.frame, nullptr, 300, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    host.Idle();
    host.Idle();
    EXPECT_EQ(host.Count("PDModel.104"), 2) << "a move gives one capture";
    AcrobatRecord r;
    ASSERT_EQ(acrotest::ReadRecord(r), 0);
    EXPECT_TRUE(Equal(r.entryRects[0], AcroRect{420, 240, 520, 260})) << "measured at the new place";
    ::SetWindowPos(host.frame, nullptr, 0, 0, 640, 420, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    host.Idle();
    EXPECT_EQ(host.Count("PDModel.104"), 3) << "so does a resize";
    host.active = false;
    ::SetWindowPos(host.frame, nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    host.Idle();
    EXPECT_EQ(host.Count("PDModel.104"), 3) << "no active document, nothing to do";
}

TEST_F(PluginTest, TheFocusedPageViewIsKeptOnlyWhileItStillExists) {
    StartWithDocument(2);
    host.Select("hello");
    ASSERT_TRUE(host.FocusPageView(1));
    RECT second{};
    ::GetWindowRect(host.pageViews[1], &second);
    const AcroRect secondView{second.left, second.top, second.right, second.bottom};
    AcrobatRecord r = Capture();
    EXPECT_TRUE(Equal(r.viewRect, secondView));

    ::SetFocus(host.frame);  // no page view has the focus: the last one stays
    r = Capture();
    EXPECT_TRUE(Equal(r.viewRect, secondView));
    EXPECT_EQ(Text(r.entryTexts[0]), L"hello");

    ::DestroyWindow(host.pageViews[1]);
    host.pageViews.pop_back();
    ::SetFocus(host.frame);
    r = Capture();
    EXPECT_EQ(r.entryCount, 1);
    EXPECT_EQ(Text(r.entryTexts[0]), L"") << "the remembered page view is gone";
    EXPECT_TRUE(Equal(r.viewRect, AcroRect{}));
}

TEST_F(PluginTest, TitlesAreDecodedAndCutToTheBufferTheHostIsGiven) {
    StartWithDocument();
    host.Select("x");
    struct Case {
        std::string bytes;
        std::wstring title;
    } cases[] = {
        {std::string("\xFE\xFF\x00H\x00i\x00!", 8), L"Hi!"},
        {"Caf\xE9", L"Caf\u00E9"},
        {std::string(300, 't'), std::wstring(255, L't')},
        {"", L""},
    };
    for (const auto& c : cases) {
        host.titleBytes = c.bytes;
        AcrobatRecord r = Capture();
        EXPECT_EQ(Text(r.title), c.title);
    }
}

TEST_F(PluginTest, WithoutARecordCapturesRunAndWriteNothing) {
    // A foreign block of the record's name that is too small to be it.
    fx::UniqueHandle foreign(
        ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 64, AcrobatRecordLayout::kMappingName));
    ASSERT_TRUE(foreign);
    ASSERT_NE(::GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS)) << "no record is left from before";
    fx::MappedView view(::MapViewOfFile(foreign.get(), FILE_MAP_ALL_ACCESS, 0, 0, 64));
    ASSERT_TRUE(view);
    std::memset(view.get(), 0x5A, 64);
    StartWithDocument();
    host.Select("hello");
    host.Notify(10, host.doc);
    host.Idle();
    EXPECT_GE(host.Count("PDModel.223"), 2) << "the captures ran";
    EXPECT_EQ(host.Count("PDModel.104"), 0) << "nothing was written";
    for (int i = 0; i < 64; ++i) ASSERT_EQ(view.bytes()[i], 0x5A);
    EXPECT_TRUE(host.Unload());
}

TEST_F(PluginTest, ACaptureThatCannotTakeTheLockInTimeWritesNothing) {
    StartWithDocument();
    host.Select("before");
    Capture();
    // Held for longer than the capture waits: the capture gives up (on the
    // host's thread) before the reader lets go.
    acrotest::HeldRecord held;
    ASSERT_TRUE(held.Start(600));
    host.Select("while held");
    host.Notify(10, host.doc);
    ASSERT_TRUE(held.Wait(10000));
    AcrobatRecord r;
    ASSERT_EQ(acrotest::ReadRecord(r), 0);
    EXPECT_EQ(Text(r.entryTexts[0]), L"before");
    host.Select("after");
    r = Capture();
    EXPECT_EQ(Text(r.entryTexts[0]), L"after");
}

}  // namespace
