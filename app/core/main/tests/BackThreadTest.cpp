// The download thread against the loopback server: a whole setup program
// reaches the controller as 11146, which starts the stand-in setup program
// with "/S" (update state 3); a missing, failing, truncated or stalled
// download posts nothing, runs nothing and leaves no partial file (state 1);
// a thread that cannot make its window is waited for a bounded time and the
// program goes on without it.  With the program signed (a signed stand-in
// plays it), only a setup program of its own signer runs, and an 11146 that
// no download of the program's own preceded runs nothing.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "app/core/common/AppMessages.h"
#include "app/core/main/BackThread.h"
#include "app/core/main/PondrelApp.h"
#include "app/core/main/UpdateRules.h"
#include "app/tests/support/CoreTestFiles.h"
#include "fx/Window.h"
#include "tests/httpserver/LoopbackServer.h"
#include "tests/support/TestSupport.h"

namespace {

using coretest::ReadFile;
using testsupport::WaitFor;

class Env : public ::testing::Environment {
public:
    void SetUp() override { RegisterPondrelWindowClasses(::GetModuleHandleW(nullptr)); }
};
const auto* const kEnv = ::testing::AddGlobalTestEnvironment(new Env);

std::wstring HttpRoot() { return testsupport::WinDir(UPDATES_HTTP_ROOT); }
// A signed copy of the stand-in (tests/setup/sign-standins.sh).
std::wstring Signed(const char* name) { return testsupport::WinPath(std::string(SIGNED_STANDINS_DIR) + "/" + name); }

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool Has(const std::vector<std::wstring>& lines, const std::wstring& fragment) {
    for (const std::wstring& line : lines)
        if (line.find(fragment) != std::wstring::npos) return true;
    return false;
}

// The controller's part: counts 11146 and 11149 and hands them to the
// application as the controller's handlers do.
class ControllerStandIn : public fx::Window {
public:
    int runSetups = 0;
    int failures = 0;
    bool Make() {
        return CreateEx(0, fx::RegisterWindowClass(0).c_str(), L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr);
    }

protected:
    bool OnMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) override {
        if (msg == controller_msg::kRunSetup) {
            ++runSetups;
            theApp.RunSetup();
        } else if (msg == controller_msg::kSetupDownloadFailed) {
            ++failures;
            theApp.OnSetupDownloadFailed();
        } else {
            return false;
        }
        result = 0;
        return true;
    }
};

// A download thread that never makes its window: it waits for its quit (at
// most 30 s) and notes whether the quit, not its own end, let it go.
std::atomic<bool> g_StuckLeftByQuit{false};

class StuckBackThread : public BackThread {
public:
    bool InitInstance() override {
        g_StuckLeftByQuit = testsupport::WaitFor([this] { return QuitRequested(); }, 30000);
        return false;
    }
};

class BackThreadTest : public testing::Test {
protected:
    void SetUp() override {
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        dir_ = coretest::ScratchDir();
        record_ = dir_ + L"setup-runs.txt";
        // A scratch folder of an earlier run (process ids come again) holds
        // nothing of it.
        for (const std::wstring& path : {record_, Target(), Target() + L".part"}) ::DeleteFileW(path.c_str());
        ::SetEnvironmentVariableW(L"PONDREL_SETUP_RECORD", record_.c_str());
        // The stand-in setup program is what the server offers.
        standIn_ = testsupport::WinPath(SETUP_STANDIN_EXE);
        ASSERT_TRUE(::CopyFileW(standIn_.c_str(), (HttpRoot() + L"PondrelSetup.exe").c_str(), FALSE));
        theApp.m_TempDir = dir_;
        theApp.m_UpdateState = update_rules::kNone;
        theApp.m_SetupDownloadsPending = 0;
        theApp.m_ShellExecute = ::ShellExecuteW;
        theApp.m_SetupsSaved = 0;
        theApp.m_OwnSignerFile.clear();  // this test program: unsigned
        ASSERT_TRUE(controller_.Make());
        loopback::Clear();
    }
    void TearDown() override {
        if (theApp.m_pBackThread) theApp.m_pBackThread->Quit(10000);
        theApp.m_pBackThread.reset();
        theApp.m_hBackThreadWnd = nullptr;
        theApp.m_MakeBackThread = nullptr;
        theApp.m_BackThreadStartWaitMs = 5000;
        theApp.m_MessagesInterval = 0;
        theApp.m_OwnSignerFile.clear();
        controller_.Destroy();
        ::SetEnvironmentVariableW(L"PONDREL_SETUP_RECORD", nullptr);
        ::CoUninitialize();
    }
    void UseUpdatesUrl(const std::wstring& path) { UseUpdatesUrlAs(loopback::Url(path)); }
    void UseUpdatesUrlAs(const std::wstring& url) {
        theApp.m_UpdatesUrl = url;
        theApp.PublishSnapshot();
    }
    std::wstring Target() const { return dir_ + L"PondrelSetup.exe"; }
    // Waits until the download thread has handled what was posted to it, then
    // delivers what it posted here.
    void DownloadsDone() {
        ASSERT_TRUE(theApp.m_pBackThread);
        ASSERT_TRUE(testsupport::RunOn(*theApp.m_pBackThread, [] {}, 120000));
        WaitFor([] { return false; }, 300);
    }

    std::wstring dir_, record_, standIn_;
    ControllerStandIn controller_;
};

// This test program is unsigned, as a development build is: the unsigned
// stand-in runs, with a warning.
TEST_F(BackThreadTest, AWholeSetupProgramIsRunWithS) {
    coretest::CapturedLog log;
    UseUpdatesUrl(L"/files/PondrelSetup.exe");
    ASSERT_TRUE(theApp.StartBackThread(controller_.hwnd()));
    ASSERT_TRUE(theApp.m_hBackThreadWnd);
    wchar_t cls[64] = L"";
    ::GetClassNameW(theApp.m_hBackThreadWnd, cls, 64);
    EXPECT_STREQ(cls, L"BackWin777");

    theApp.StartSetupDownload(false);
    EXPECT_EQ(theApp.m_UpdateState, update_rules::kDownloadRequested);
    ASSERT_TRUE(WaitFor([&] { return ReadFile(record_).find("/S") != std::string::npos; }, 60000))
        << "the stand-in setup program ran";
    EXPECT_EQ(controller_.runSetups, 1);
    EXPECT_EQ(theApp.m_UpdateState, update_rules::kSetupStarted);
    EXPECT_EQ(ReadFile(Target()), ReadFile(standIn_)) << "the setup program arrived whole";
    EXPECT_FALSE(Exists(Target() + L".part"));
    const std::string line = ReadFile(record_);
    EXPECT_NE(line.find("PondrelSetup.exe"), std::string::npos) << line;
    ASSERT_GT(line.size(), 4u);
    EXPECT_EQ(line.substr(line.size() - 4), " /S\n") << line;
    auto requests = loopback::Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].target, "/files/PondrelSetup.exe");
    EXPECT_TRUE(Has(log.Lines(), L"RunSetup: this program is not signed (a development build): the setup program is "
                                 L"run unchecked: " + Target()));
}

// With the program signed, the setup programs of another signer, an unsigned
// one and one changed after signing arrive whole, and each 11146 after them
// is refused (logged, the update state stays 1): nothing runs.  The one
// signed by the program's own signer then runs.  (The test certificates'
// root is trusted nowhere: only the signer makes the difference.)
TEST_F(BackThreadTest, OnlyASetupProgramOfTheProgramsOwnSignerRuns) {
    theApp.m_OwnSignerFile = Signed("PondRel-signed.exe");
    struct Case {
        std::wstring served;
        const wchar_t* refusal;
    } cases[] = {
        {Signed("PondrelSetup-other.exe"),
         L"RunSetup: the setup program is signed by another signer than this program; not run: "},
        {standIn_, L"RunSetup: the setup program is not signed; not run: "},
        {Signed("PondrelSetup-tampered.exe"), L"RunSetup: the setup program's signature does not hold (0x"},
    };
    UseUpdatesUrl(L"/files/PondrelSetup.exe");
    ASSERT_TRUE(theApp.StartBackThread(controller_.hwnd()));
    coretest::CapturedLog log;
    int handled = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.served.begin(), c.served.end()));
        ASSERT_TRUE(::CopyFileW(c.served.c_str(), (HttpRoot() + L"PondrelSetup.exe").c_str(), FALSE));
        theApp.m_UpdateState = update_rules::kNone;
        theApp.StartSetupDownload(false);
        ASSERT_TRUE(WaitFor([&] { return controller_.runSetups == handled + 1; }, 60000)) << "no 11146 came";
        ++handled;
        EXPECT_EQ(ReadFile(Target()), ReadFile(c.served)) << "it arrived whole";
        EXPECT_TRUE(Has(log.Lines(), c.refusal));
        EXPECT_EQ(theApp.m_UpdateState, update_rules::kDownloadRequested) << "no setup program started";
    }
    EXPECT_FALSE(Exists(record_)) << "nothing was run";

    ASSERT_TRUE(::CopyFileW(Signed("PondrelSetup-signed.exe").c_str(), (HttpRoot() + L"PondrelSetup.exe").c_str(),
                            FALSE));
    theApp.StartSetupDownload(false);
    ASSERT_TRUE(WaitFor([&] { return ReadFile(record_).find("/S") != std::string::npos; }, 60000))
        << "the genuine setup program ran";
    EXPECT_EQ(theApp.m_UpdateState, update_rules::kSetupStarted);
    const std::vector<std::wstring> lines = log.Lines();
    EXPECT_FALSE(Has(lines, L"not run")) << "the genuine one was not refused";
    EXPECT_FALSE(Has(lines, L"run unchecked")) << "the signed program checks";
}

// Any program of the desktop can post 11146: one that no download of the
// program's own preceded runs nothing, even with a genuine setup program in
// the folder.  A download's own 11146 runs it, and a second 11146 after that
// is refused again.
TEST_F(BackThreadTest, An11146WithoutTheProgramsOwnDownloadRunsNothing) {
    theApp.m_OwnSignerFile = Signed("PondRel-signed.exe");
    const std::wstring genuine = Signed("PondrelSetup-signed.exe");
    ASSERT_TRUE(::CopyFileW(genuine.c_str(), Target().c_str(), FALSE));
    const std::wstring refusal = L"RunSetup: 11146 without a setup program downloaded by this program; nothing run";
    coretest::CapturedLog log;
    ASSERT_TRUE(::PostMessageW(controller_.hwnd(), controller_msg::kRunSetup, 0, 0));
    ASSERT_TRUE(WaitFor([&] { return controller_.runSetups == 1; }, 5000));
    EXPECT_TRUE(Has(log.Lines(), refusal));
    EXPECT_FALSE(Exists(record_)) << "nothing was run";

    ASSERT_TRUE(::CopyFileW(genuine.c_str(), (HttpRoot() + L"PondrelSetup.exe").c_str(), FALSE));
    UseUpdatesUrl(L"/files/PondrelSetup.exe");
    ASSERT_TRUE(theApp.StartBackThread(controller_.hwnd()));
    theApp.StartSetupDownload(false);
    ASSERT_TRUE(WaitFor([&] { return ReadFile(record_).find("/S") != std::string::npos; }, 60000))
        << "the download's own 11146 ran the setup program";
    EXPECT_EQ(controller_.runSetups, 2);
    EXPECT_FALSE(Has(log.Lines(), refusal));

    ASSERT_TRUE(::PostMessageW(controller_.hwnd(), controller_msg::kRunSetup, 0, 0));
    ASSERT_TRUE(WaitFor([&] { return controller_.runSetups == 3; }, 5000));
    EXPECT_TRUE(Has(log.Lines(), refusal)) << "the download's 11146 was taken already";
    const std::string runs = ReadFile(record_);
    EXPECT_EQ(runs.find("/S"), runs.rfind("/S")) << "it ran once: " << runs;

    // Nor does a foreign one count as the end of a download on its way.
    theApp.m_SetupDownloadsPending = 1;
    ASSERT_TRUE(::PostMessageW(controller_.hwnd(), controller_msg::kRunSetup, 0, 0));
    ASSERT_TRUE(WaitFor([&] { return controller_.runSetups == 4; }, 5000));
    EXPECT_EQ(theApp.m_SetupDownloadsPending, 1);
    theApp.m_SetupDownloadsPending = 0;
}

TEST_F(BackThreadTest, TwoRequestsDownloadTwice) {
    UseUpdatesUrl(L"/files/PondrelSetup.exe");
    ASSERT_TRUE(theApp.StartBackThread(controller_.hwnd()));
    theApp.StartSetupDownload(false);
    theApp.StartSetupDownload(false);
    DownloadsDone();
    ASSERT_TRUE(WaitFor([&] { return controller_.runSetups == 2; }, 30000));
    EXPECT_EQ(loopback::Requests().size(), 2u);
    EXPECT_TRUE(WaitFor(
        [&] {
            std::string runs = ReadFile(record_);
            return runs.find("/S\n") != runs.rfind("/S\n");
        },
        60000))
        << ReadFile(record_);
}

// Each failure: no 11146 but 11149, nothing run, no file at the target and no
// partial file beside it, the update state back to 0.
TEST_F(BackThreadTest, AFailedDownloadRunsNothingAndLeavesNoFile) {
    const DWORD size = static_cast<DWORD>(ReadFile(standIn_).size());
    ASSERT_GT(size, 2000u);
    struct Case {
        std::wstring url;
        const char* what;
    } cases[] = {
        {loopback::Url(L"/files/NoSuchSetup.exe"), "404"},
        {loopback::Url(L"/status/404"), "404"},
        {loopback::Url(L"/status/500"), "500"},
        {loopback::Url(L"/status/201"), "201 is not 200"},
        {loopback::Url(L"/truncate/1000/files/PondrelSetup.exe"), "the connection closed after 1000 bytes"},
        {loopback::DeadUrl(L"/files/PondrelSetup.exe"), "nothing listens"},
        {L"file:///c:/windows/notepad.exe", "not an http URL"},
    };
    ASSERT_TRUE(theApp.StartBackThread(controller_.hwnd()));
    theApp.m_pBackThread->m_ReceiveTimeoutMs = 2000;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        UseUpdatesUrlAs(c.url);
        theApp.StartSetupDownload(false);
        DownloadsDone();
        EXPECT_EQ(controller_.runSetups, 0);
        EXPECT_FALSE(Exists(Target()));
        EXPECT_FALSE(Exists(Target() + L".part"));
        EXPECT_EQ(theApp.m_UpdateState, update_rules::kNone) << "a later request may ask again";
    }
    EXPECT_EQ(controller_.failures, static_cast<int>(sizeof cases / sizeof cases[0]));
    EXPECT_FALSE(Exists(record_)) << "nothing was run";
    EXPECT_EQ(loopback::Requests().size(), 5u) << "one request each to the server";
}

// A transfer that stalls and a server that never answers are ended by the
// thread's receive time-out, and by nothing else: the server holds each
// connection for minutes, the default time-out is at least twice this test's
// wait, and only the short time-out set here fits inside that wait, many
// times over.  Each ends as a failure: nothing posted or run, no file.
TEST_F(BackThreadTest, AStalledTransferIsEndedByTheReceiveTimeout) {
    constexpr DWORD kShortTimeoutMs = 1000;
    constexpr DWORD kWaitMs = 15000;
    static_assert(kWaitMs * 2 <= BackThread::kReceiveTimeoutMs, "the default time-out must not fit in the wait");
    static_assert(kShortTimeoutMs * 10 <= kWaitMs, "the short time-out fits in the wait with room to spare");
    struct Case {
        std::wstring path;  // the server holds each for 300 s or more
        const char* what;
    } cases[] = {
        {L"/stall/1000/files/PondrelSetup.exe", "the server stalls after 1000 bytes"},
        {L"/slow/600000/files/PondrelSetup.exe", "the server never answers"},
    };
    ASSERT_TRUE(theApp.StartBackThread(controller_.hwnd()));
    EXPECT_EQ(theApp.m_pBackThread->m_ReceiveTimeoutMs.load(), 30000u) << "the program's own: about 30 s";
    theApp.m_pBackThread->m_ReceiveTimeoutMs = kShortTimeoutMs;
    coretest::CapturedLog log;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const size_t requestsBefore = loopback::Requests().size();
        UseUpdatesUrl(c.path);
        theApp.StartSetupDownload(false);
        ASSERT_TRUE(testsupport::RunOn(*theApp.m_pBackThread, [] {}, kWaitMs))
            << "the download was not ended within the wait: the short receive time-out did not end it";
        WaitFor([] { return false; }, 300);  // delivers what the thread posted
        EXPECT_EQ(loopback::Requests().size(), requestsBefore + 1) << "the server was asked";
        EXPECT_EQ(controller_.runSetups, 0);
        EXPECT_FALSE(Exists(Target()));
        EXPECT_FALSE(Exists(Target() + L".part"));
        EXPECT_EQ(theApp.m_UpdateState, update_rules::kNone);
        const std::vector<std::wstring> lines = log.Lines();
        EXPECT_TRUE(Has(lines, L"DownloadSetup failed: ")) << "the download logged its failure";
        EXPECT_FALSE(Has(lines, L"DownloadSetup: saved"));
    }
    EXPECT_FALSE(Exists(record_)) << "nothing was run";
}

// A silent update message whose download fails leaves the update state at
// 0, so the next poll's silent message asks again (and that download runs
// the setup program); while a download is on its way, another message waits.
TEST_F(BackThreadTest, ASilentUpdateMessageAfterAFailedDownloadAsksAgain) {
    coretest::WriteFile(HttpRoot(), L"messages-silent.xml",
                        "<messages><message><update>silent</update></message></messages>");
    theApp.m_Online = true;
    theApp.m_MessagesUrl = loopback::Url(L"/messages/messages-silent.xml");
    theApp.m_MessagesInterval = 60000;
    auto poll = [] {
        theApp.m_LastMessagesTick = ::GetTickCount() - theApp.m_MessagesInterval - 1000;
        theApp.ProcessServerMessages();
    };
    auto setupRequests = [] {
        size_t n = 0;
        for (const loopback::Request& r : loopback::Requests()) n += r.target.find("/messages/") != 0;
        return n;
    };
    ASSERT_TRUE(theApp.StartBackThread(controller_.hwnd()));

    UseUpdatesUrl(L"/status/404");
    poll();
    EXPECT_EQ(theApp.m_UpdateState, update_rules::kDownloadRequested);
    DownloadsDone();
    ASSERT_EQ(controller_.failures, 1);
    EXPECT_EQ(theApp.m_UpdateState, update_rules::kNone);

    UseUpdatesUrl(L"/slow/1000/files/PondrelSetup.exe");
    poll();
    EXPECT_EQ(theApp.m_UpdateState, update_rules::kDownloadRequested) << "the second message asked again";
    poll();  // a third while that one is on its way: it waits
    ASSERT_TRUE(WaitFor([&] { return ReadFile(record_).find("/S") != std::string::npos; }, 60000))
        << "the setup program of the second download ran";
    EXPECT_EQ(controller_.runSetups, 1);
    EXPECT_EQ(theApp.m_UpdateState, update_rules::kSetupStarted);
    EXPECT_EQ(setupRequests(), 2u) << "the failed download and the second one";
}

// An exit while the setup program drips in (a byte every 100 ms, for hours):
// the exit closes the download's request, so the thread fails the download
// and ends by itself within the exit's bound, never terminated; nothing is
// posted or run and no partial file stays.  The receive time-out, the
// program's own 30 s, plays no part.
TEST_F(BackThreadTest, AnExitDuringASlowDownloadEndsItAndLeavesNoPartialFile) {
    coretest::CapturedLog log;
    UseUpdatesUrl(L"/drip/100/files/PondrelSetup.exe");
    ASSERT_TRUE(theApp.StartBackThread(controller_.hwnd()));
    ASSERT_EQ(theApp.m_pBackThread->m_ReceiveTimeoutMs.load(), BackThread::kReceiveTimeoutMs);
    HANDLE copy = nullptr;
    ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), theApp.m_pBackThread->handle(), ::GetCurrentProcess(),
                                  &copy, 0, FALSE, DUPLICATE_SAME_ACCESS));
    fx::UniqueHandle thread(copy);
    theApp.StartSetupDownload(false);
    ASSERT_TRUE(WaitFor([&] { return Exists(Target() + L".part"); }, 30000)) << "the download is under way";

    theApp.EndWorkerThreads();
    EXPECT_FALSE(theApp.m_pBackThread);
    EXPECT_FALSE(theApp.m_hBackThreadWnd);
    ASSERT_EQ(::WaitForSingleObject(thread.get(), 0), WAIT_OBJECT_0) << "the thread had ended";
    DWORD code = 99;
    ASSERT_TRUE(::GetExitCodeThread(thread.get(), &code));
    EXPECT_EQ(code, 0u) << "it ended by its quit";
    WaitFor([] { return false; }, 300);  // delivers what the thread posted
    EXPECT_EQ(controller_.runSetups, 0);
    EXPECT_FALSE(Exists(Target()));
    EXPECT_FALSE(Exists(Target() + L".part"));
    const std::vector<std::wstring> lines = log.Lines();
    EXPECT_TRUE(Has(lines, L"DownloadSetup failed: cancelled"));
    EXPECT_FALSE(Has(lines, L"terminated"));
    EXPECT_FALSE(Has(lines, L"left to the process's end"));
}

// The owner letting go of the thread while the setup program drips in: it
// cancels the download before it asks the thread to quit, so the thread ends
// by itself at once, and only then is its object deleted.
TEST_F(BackThreadTest, AnOwnerLettingGoDuringASlowDownloadCancelsItAndEndsTheThread) {
    coretest::CapturedLog log;
    UseUpdatesUrl(L"/drip/100/files/PondrelSetup.exe");
    ASSERT_TRUE(theApp.StartBackThread(controller_.hwnd()));
    HANDLE copy = nullptr;
    ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), theApp.m_pBackThread->handle(), ::GetCurrentProcess(),
                                  &copy, 0, FALSE, DUPLICATE_SAME_ACCESS));
    fx::UniqueHandle thread(copy);
    theApp.StartSetupDownload(false);
    ASSERT_TRUE(WaitFor([&] { return Exists(Target() + L".part"); }, 30000)) << "the download is under way";

    theApp.m_pBackThread.reset();
    theApp.m_hBackThreadWnd = nullptr;
    ASSERT_EQ(::WaitForSingleObject(thread.get(), 0), WAIT_OBJECT_0) << "the thread had ended";
    DWORD code = 99;
    ASSERT_TRUE(::GetExitCodeThread(thread.get(), &code));
    EXPECT_EQ(code, 0u) << "it ended by its quit";
    EXPECT_FALSE(Exists(Target() + L".part"));
    const std::vector<std::wstring> lines = log.Lines();
    EXPECT_TRUE(Has(lines, L"DownloadSetup failed: cancelled"));
    EXPECT_FALSE(Has(lines, L"left to the process's end"));
    EXPECT_FALSE(Has(lines, L"deleted while running"));
}

// The start waits a bounded time for a thread that makes no window, then
// goes on without it: a download asked for later is skipped (logged).
TEST_F(BackThreadTest, AThreadWithoutItsWindowIsWaitedForABoundedTime) {
    coretest::CapturedLog log;
    theApp.m_BackThreadStartWaitMs = 300;
    g_StuckLeftByQuit = false;
    theApp.m_MakeBackThread = []() -> std::unique_ptr<BackThread> { return std::make_unique<StuckBackThread>(); };
    EXPECT_FALSE(theApp.StartBackThread(controller_.hwnd()));
    EXPECT_TRUE(g_StuckLeftByQuit) << "the start gave up on the thread while it was still stuck";
    EXPECT_FALSE(theApp.m_pBackThread);
    EXPECT_FALSE(theApp.m_hBackThreadWnd);

    theApp.StartSetupDownload(false);
    EXPECT_EQ(theApp.m_UpdateState, update_rules::kNone) << "nothing asked for";
    const std::vector<std::wstring> lines = log.Lines();
    EXPECT_TRUE(Has(lines, L"StartBackThread: the download thread has no window; going on without it"));
    EXPECT_TRUE(Has(lines, L"StartSetupDownload: no download thread; the setup download was skipped"));
}

// A thread whose window cannot be made says so at once; the start goes on.
TEST_F(BackThreadTest, AWindowThatCannotBeMadeEndsTheStart) {
    coretest::CapturedLog log;
    ASSERT_TRUE(::UnregisterClassW(L"BackWin777", ::GetModuleHandleW(nullptr)));
    const bool started = theApp.StartBackThread(controller_.hwnd());
    RegisterPondrelWindowClasses(::GetModuleHandleW(nullptr));
    EXPECT_FALSE(started);
    EXPECT_FALSE(theApp.m_pBackThread);
    const std::vector<std::wstring> lines = log.Lines();
    EXPECT_TRUE(Has(lines, L"BackThread: the download window could not be made"));
    EXPECT_TRUE(Has(lines, L"StartBackThread: the download thread has no window; going on without it"));
}

}  // namespace
