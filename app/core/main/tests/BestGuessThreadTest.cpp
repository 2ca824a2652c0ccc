// The best-guess thread against the stand-in component (tests/bestguess/):
// a query's calls in order and its answer, the kept row count, a failed call
// dropping that answer only, g_BestGuessLock free while the component works,
// the settings passed on, and the bounded start without component or window.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "BestGuessStandIn.h"
#include "StandIns.h"
#include "app/core/common/AppMessages.h"
#include "app/core/main/BestGuessThread.h"
#include "app/core/main/PondrelApp.h"
#include "app/tests/support/CoreTestFiles.h"
#include "fx/Window.h"
#include "tests/support/TestSupport.h"

namespace {

constexpr DWORD kBoundMs = 30000;  // generous: the machine may be busy

// The controller window: records 11147 and 11140.
class RecordingController : public fx::Window {
public:
    struct Posted {
        UINT msg;
        WPARAM wp;
        LPARAM lp;
    };
    std::vector<Posted> posted;

    bool Create() { return CreateEx(0, fx::RegisterWindowClass(0).c_str(), L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr); }
    int Count(UINT msg, WPARAM wp) const {
        int n = 0;
        for (const Posted& p : posted) n += p.msg == msg && p.wp == wp;
        return n;
    }
    int Count(UINT msg) const {
        int n = 0;
        for (const Posted& p : posted) n += p.msg == msg;
        return n;
    }

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
        if (msg != controller_msg::kBestGuessAnswer && msg != controller_msg::kBestGuessWindow)
            return fx::Window::OnMessage(msg, wp, lp, result);
        posted.push_back({msg, wp, lp});
        result = 0;
        return true;
    }
};

// Dispatches this thread's messages until done() holds or the bound passes.
bool PumpUntil(const std::function<bool()>& done) { return testsupport::WaitFor(done, kBoundMs); }

// Dispatches the messages this thread has now.
void Drain() {
    MSG m;
    while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&m);
        ::DispatchMessageW(&m);
    }
}

class BestGuessThreadTest : public testing::Test {
protected:
    void SetUp() override {
        RegisterPondrelWindowClasses(::GetModuleHandleW(nullptr));
        const std::wstring dir = coretest::ScratchDir();
        script_ = dir + L"bestguess-script.txt";
        record_ = dir + L"bestguess-record.txt";
        ::DeleteFileW(record_.c_str());
        ::SetEnvironmentVariableW(standin::kBestGuessScriptVar, script_.c_str());
        ::SetEnvironmentVariableW(standin::kBestGuessLogVar, record_.c_str());
        Script(L"");
        go_.reset(::CreateEventW(nullptr, TRUE, FALSE, standin::kGoEvent));
        ASSERT_TRUE(go_);
        ::ResetEvent(go_.get());
        ASSERT_TRUE(controller_.Create());
        {
            fx::ScopedLock hold(g_BestGuessLock);
            theApp.m_BestGuessShared = text_menu::BestGuessShared();
            theApp.m_KeyShared = L"user-key";
            theApp.m_BestGuessEcpShared = L"shared-ecp";
            theApp.m_DefaultBestGuessEcp = L"default-ecp";
            theApp.m_BestGuessUrl = L"http://server/guess2";
        }
        log_ = std::make_unique<coretest::CapturedLog>();
    }
    void TearDown() override {
        ::SetEvent(go_.get());  // no stand-in call keeps waiting
        if (thread_) {
            EXPECT_TRUE(thread_->Quit(kBoundMs));
        }
        thread_.reset();
        controller_.Destroy();
        log_.reset();
        ::SetEnvironmentVariableW(standin::kBestGuessScriptVar, nullptr);
        ::SetEnvironmentVariableW(standin::kBestGuessLogVar, nullptr);
    }

    void Script(const std::wstring& text) { ASSERT_TRUE(standin::WriteScript(script_, text)); }

    // The stand-in's record lines, without the object's name.
    std::vector<std::wstring> Calls() {
        std::vector<std::wstring> out;
        for (const std::wstring& line : standin::ReadRecords(record_)) {
            size_t space = line.find(L' ');
            out.push_back(space == std::wstring::npos ? line : line.substr(space + 1));
        }
        return out;
    }
    std::vector<std::wstring> CallsFrom(size_t first) {
        std::vector<std::wstring> all = Calls();
        return first < all.size() ? std::vector<std::wstring>(all.begin() + first, all.end())
                                  : std::vector<std::wstring>();
    }

    BestGuessStart StartValues() {
        BestGuessStart start;
        start.bestGuessEcp = L"ecp-1";
        start.serviceUrl = L"http://server/guess";
        start.key = L"key-0";
        start.version = L"57";
        start.controller = controller_.hwnd();
        return start;
    }

    // Starts the thread and takes its 11147.
    void Start() {
        ASSERT_TRUE(StartBestGuessWorker(StartValues(), kBoundMs, &thread_));
        ASSERT_TRUE(thread_->HandlerWindow());
        const WPARAM window = reinterpret_cast<WPARAM>(thread_->HandlerWindow());
        ASSERT_TRUE(PumpUntil([&] { return controller_.Count(controller_msg::kBestGuessWindow, window) == 1; }));
    }

    // A new query, as the text menu writes it; returns its id.
    int Ask(const std::wstring& q1, const std::wstring& q2, const std::wstring& q3, LPARAM passBack = 1) {
        int id;
        {
            fx::ScopedLock hold(g_BestGuessLock);
            text_menu::BestGuessShared& shared = theApp.m_BestGuessShared;
            shared.query1 = q1;
            shared.query2 = q2;
            shared.query3 = q3;
            id = ++shared.requestId;
        }
        Post(best_guess_msg::kQuery, static_cast<WPARAM>(id), passBack);
        return id;
    }
    void Post(UINT msg, WPARAM wp = 0, LPARAM lp = 0) {
        EXPECT_TRUE(::PostMessageW(thread_->HandlerWindow(), msg, wp, lp));
    }
    bool WaitAnswer(int id) {
        return PumpUntil([&] { return controller_.Count(controller_msg::kBestGuessAnswer, id) > 0; });
    }
    // Returns once the thread has handled everything posted to it before;
    // what it posted back meanwhile has been dispatched here.
    void Barrier(fx::UiThread& thread) {
        auto done = std::make_shared<std::atomic<bool>>(false);
        ASSERT_TRUE(thread.PostTask([done] { *done = true; }));
        ASSERT_TRUE(PumpUntil([&] { return done->load(); }));
        Drain();
    }
    void Barrier() { Barrier(*thread_); }
    // Waits until the stand-in has recorded a call of `dispid` among the
    // records from `first` on.
    bool WaitCall(size_t first, const std::wstring& dispid) {
        return PumpUntil([&] {
            for (const std::wstring& call : CallsFrom(first))
                if (call == dispid || call.compare(0, dispid.size() + 1, dispid + L" ") == 0) return true;
            return false;
        });
    }
    text_menu::BestGuessShared Shared() {
        fx::ScopedLock hold(g_BestGuessLock);
        return theApp.m_BestGuessShared;
    }

    std::wstring script_, record_;
    fx::UniqueHandle go_;
    RecordingController controller_;
    fx::ThreadOwner<BestGuessThread> thread_;
    std::unique_ptr<coretest::CapturedLog> log_;
};

std::vector<std::wstring> RowCalls(int row) {
    std::vector<std::wstring> calls;
    const std::wstring r = L" " + std::to_wstring(row);
    for (const wchar_t* dispid : {L"11", L"9", L"10", L"12", L"8", L"15", L"7"}) calls.push_back(dispid + r);
    calls.push_back(L"17");
    calls.push_back(L"19" + r);
    return calls;
}

TEST_F(BestGuessThreadTest, AQueryIsAnsweredWithTheRowsAfterTheCallsInOrder) {
    Script(L"title Suggested\n"
           L"extra http://img/1.png\n"
           L"row id0|Label 0|tok0|abcdefghijklmnopqrstuvwxyz0123|t0|icon0|target0|0\n"
           L"row id1|Label 1|tok1|short|t1|icon1|target1|1\n");
    Start();
    const std::vector<std::wstring> init = {L"Created", L"14 ecp-1", L"4 http://server/guess", L"16 user-key", L"18 57"};
    ASSERT_EQ(Calls(), init);

    const int id = Ask(L"second", L"first", L"Pond life", 1);
    ASSERT_TRUE(WaitAnswer(id));
    std::vector<std::wstring> expected = {L"5 second | first | Pond life", L"6", L"13 0"};
    for (int row : {1, 0})
        for (const std::wstring& call : RowCalls(row)) expected.push_back(call);
    EXPECT_EQ(CallsFrom(init.size()), expected);

    ASSERT_EQ(controller_.Count(controller_msg::kBestGuessAnswer), 1);
    EXPECT_EQ(controller_.posted.back().lp, 1) << "lParam comes back";
    const text_menu::BestGuessShared s = Shared();
    EXPECT_EQ(s.answeredId, id);
    EXPECT_EQ(s.resultCount, 2);
    EXPECT_EQ(s.title, L"Suggested");
    EXPECT_EQ(s.extraText, L"http://img/1.png");
    EXPECT_EQ(s.rows[0].id, L"id0");
    EXPECT_EQ(s.rows[0].label, L"Label 0");
    EXPECT_EQ(s.rows[0].token, L"tok0");
    EXPECT_EQ(s.rows[0].inserted, L"abcdefghijklmnopqrstuvwx...") << "30 characters: 24 and \"...\"";
    EXPECT_EQ(s.rows[0].type, L"t0");
    EXPECT_EQ(s.rows[0].iconUrl, L"icon0");
    EXPECT_EQ(s.rows[0].target, L"target0");
    EXPECT_EQ(s.rows[0].subMenuFlag, L"0");
    EXPECT_EQ(s.rows[1].id, L"id1");
    EXPECT_EQ(s.rows[1].inserted, L"short");
    EXPECT_EQ(s.rows[1].subMenuFlag, L"1");

    // The pass-back value of a query without context.
    const int second = Ask(L"", L"", L"Pond", 0);
    ASSERT_TRUE(WaitAnswer(second));
    EXPECT_EQ(controller_.posted.back().lp, 0);
    const std::vector<std::wstring> calls = Calls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), L"5 (null) | (null) | Pond"), calls.end())
        << "empty texts go as null strings";
}

TEST_F(BestGuessThreadTest, TheReportedCountIsKeptWithin0To20) {
    struct Case {
        const wchar_t* count;
        int kept;
        const wchar_t* title;
    } cases[] = {{L"-7", 0, L"Menu"}, {L"0", 0, L"Menu"}, {L"3", 3, L"Guesses"},
                 {L"25", 20, L"Guesses"}, {L"2147483647", 20, L"Guesses"}};
    Start();
    for (const Case& c : cases) {
        Script(std::wstring(L"count ") + c.count + L"\n");
        const size_t first = Calls().size();
        const int id = Ask(L"a", L"b", L"c");
        ASSERT_TRUE(WaitAnswer(id)) << c.count;
        const text_menu::BestGuessShared s = Shared();
        EXPECT_EQ(s.resultCount, c.kept) << c.count;
        EXPECT_EQ(s.title, c.title) << c.count;
        EXPECT_EQ(s.answeredId, id);
        const std::vector<std::wstring> calls = CallsFrom(first);
        int rowCalls = 0;
        for (const std::wstring& call : calls) rowCalls += call.compare(0, 3, L"11 ") == 0;
        EXPECT_EQ(rowCalls, c.kept) << c.count;
        if (c.kept > 0) {
            ASSERT_GE(calls.size(), 4u);
            EXPECT_EQ(calls[3], L"11 " + std::to_wstring(c.kept - 1)) << "the last kept row first";
        }
        if (c.kept == 20) {
            EXPECT_EQ(s.rows[19].id, L"11:19");
        }
    }
}

TEST_F(BestGuessThreadTest, AFailedCallDropsThatAnswerAndTheNextQueryIsAnswered) {
    struct Case {
        const wchar_t* dispid;
        const wchar_t* logged;
    } cases[] = {
        {L"5", L"BestGuess: call 5 failed: 0x80004005; request"},
        {L"6", L"BestGuess: call 6 failed: 0x80004005; request"},
        {L"13", L"BestGuess: call 13 failed: 0x80004005; request"},
        {L"11", L"BestGuess: call 11 failed: 0x80004005 (row 2); request"},
        {L"17", L"BestGuess: call 17 failed: 0x80004005; request"},
        {L"19", L"BestGuess: call 19 failed: 0x80004005 (row 2); request"},
    };
    Script(L"count 3\n");
    Start();
    int held = Ask(L"", L"", L"earlier");
    ASSERT_TRUE(WaitAnswer(held));
    for (const Case& c : cases) {
        Script(std::wstring(L"count 3\ntitle Failing\nfail ") + c.dispid + L" 80004005\n");
        const int failing = Ask(L"", L"", L"text");
        Barrier();
        EXPECT_EQ(controller_.Count(controller_msg::kBestGuessAnswer, failing), 0) << c.dispid;
        EXPECT_EQ(Shared().answeredId, held) << "the held answer stays: " << c.dispid;
        EXPECT_EQ(Shared().title, L"Guesses") << c.dispid;
        EXPECT_TRUE(log_->Contains(c.logged)) << c.dispid;

        Script(L"count 3\n");
        const int next = Ask(L"", L"", L"text");
        ASSERT_TRUE(WaitAnswer(next)) << "the thread goes on after " << c.dispid;
        EXPECT_EQ(Shared().answeredId, next);
        EXPECT_EQ(Shared().resultCount, 3);
        held = next;
        Barrier();
        EXPECT_EQ(controller_.Count(controller_msg::kBestGuessAnswer, failing), 0) << c.dispid;
    }
}

TEST_F(BestGuessThreadTest, ASupersededQueryIsNotAsked) {
    Start();
    {
        fx::ScopedLock hold(g_BestGuessLock);
        theApp.m_BestGuessShared.query3 = L"latest";
        theApp.m_BestGuessShared.requestId = 6;
    }
    const size_t first = Calls().size();
    Post(best_guess_msg::kQuery, 5, 1);
    Post(best_guess_msg::kQuery, 6, 1);
    ASSERT_TRUE(WaitAnswer(6));
    Barrier();
    EXPECT_EQ(controller_.Count(controller_msg::kBestGuessAnswer, 5), 0);
    int queries = 0;
    for (const std::wstring& call : CallsFrom(first)) queries += call.compare(0, 2, L"5 ") == 0;
    EXPECT_EQ(queries, 1);
}

// While the component works on a call, the user-interface thread takes
// g_BestGuessLock at once.
TEST_F(BestGuessThreadTest, TheLockIsFreeWhileTheComponentWorks) {
    struct Case {
        const wchar_t* dispid;
        UINT message;  // what makes the thread call it
    } cases[] = {
        {L"5", best_guess_msg::kQuery},          {L"6", best_guess_msg::kQuery},
        {L"10", best_guess_msg::kQuery},         {L"14", best_guess_msg::kSetBestGuessEcp},
        {L"14", best_guess_msg::kResendSettings}, {L"4", best_guess_msg::kResendSettings},
        {L"16", best_guess_msg::kResendSettings},
    };
    Start();
    for (const Case& c : cases) {
        Script(std::wstring(L"count 1\nslow ") + c.dispid + L" 120000\n");
        ::ResetEvent(go_.get());
        const size_t first = Calls().size();
        int id = 0;
        if (c.message == best_guess_msg::kQuery)
            id = Ask(L"", L"", L"slow");
        else
            Post(c.message);
        ASSERT_TRUE(WaitCall(first, c.dispid)) << c.dispid;
        // The stand-in is inside the call now, until the event is set.
        const bool taken = g_BestGuessLock.TryLock();
        EXPECT_TRUE(taken) << "the lock is held across call " << c.dispid;
        if (taken) g_BestGuessLock.Unlock();
        ::SetEvent(go_.get());
        if (id) {
            EXPECT_TRUE(WaitAnswer(id)) << c.dispid;
        }
        Barrier();
    }
}

// A component that never comes back from a call: the thread is terminated
// inside it when its quit bound passes, and the thread object going then
// (on this thread) does not release the component from here.
TEST_F(BestGuessThreadTest, AComponentStuckInACallIsNotReleasedFromAnotherThread) {
    Start();
    Script(L"count 1\nslow 5 120000\n");
    ::ResetEvent(go_.get());
    const size_t first = Calls().size();
    Ask(L"", L"", L"stuck");
    ASSERT_TRUE(WaitCall(first, L"5"));
    EXPECT_FALSE(thread_->Quit(500)) << "the thread ended although the component holds it";
    thread_.reset();
    for (const std::wstring& call : CallsFrom(first))
        EXPECT_NE(call, L"Destroyed") << "the component was released off its thread";
    EXPECT_TRUE(log_->Contains(L"BestGuess: the component is left unreleased"));
}

// At the exit, a thread stuck in a call of the component is left running
// (logged), never terminated, and the component is not released from the
// exiting thread; once the call returns, the thread ends by its quit and
// releases the component on its own thread.
TEST_F(BestGuessThreadTest, AnExitLeavesAThreadStuckInTheComponentRunning) {
    Script(L"count 1\nslow 5 120000\n");
    ::ResetEvent(go_.get());
    ASSERT_TRUE(theApp.StartBestGuessThread());
    BestGuessThread* left = theApp.m_pBestGuessThread.get();
    ASSERT_TRUE(left && left->HandlerWindow());
    HANDLE copy = nullptr;
    ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), left->handle(), ::GetCurrentProcess(), &copy, 0, FALSE,
                                  DUPLICATE_SAME_ACCESS));
    fx::UniqueHandle thread(copy);
    const DWORD threadId = left->threadId();
    const size_t first = Calls().size();
    int id;
    {
        fx::ScopedLock hold(g_BestGuessLock);
        theApp.m_BestGuessShared.query3 = L"stuck";
        id = ++theApp.m_BestGuessShared.requestId;
    }
    ASSERT_TRUE(::PostMessageW(left->HandlerWindow(), best_guess_msg::kQuery, static_cast<WPARAM>(id), 1));
    ASSERT_TRUE(WaitCall(first, L"5"));

    theApp.EndWorkerThreads();
    EXPECT_FALSE(theApp.m_pBestGuessThread);
    EXPECT_EQ(::WaitForSingleObject(thread.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "left running";
    for (const std::wstring& call : CallsFrom(first)) EXPECT_NE(call, L"Destroyed");
    EXPECT_TRUE(log_->Contains(L"Thread BestGuessThread (" + std::to_wstring(threadId) +
                               L") did not end within 2000 ms: left to the process's end"));
    EXPECT_FALSE(log_->Contains(L"terminated"));

    ::SetEvent(go_.get());
    ASSERT_EQ(::WaitForSingleObject(thread.get(), kBoundMs), WAIT_OBJECT_0) << "it ends once the call returns";
    DWORD code = 99;
    ASSERT_TRUE(::GetExitCodeThread(thread.get(), &code));
    EXPECT_EQ(code, 0u) << "by its quit";
    const std::vector<std::wstring> calls = Calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back(), L"Destroyed") << "released on its own thread";
    delete left;  // what the process's end would have done
    theApp.m_BestGuessStarted = false;
}

TEST_F(BestGuessThreadTest, SettingsChangesReachTheComponent) {
    Start();
    const size_t first = Calls().size();
    Post(best_guess_msg::kSetBestGuessEcp);
    Post(best_guess_msg::kResendSettings);
    Barrier();
    const std::vector<std::wstring> expected = {L"14 shared-ecp", L"14 default-ecp", L"4 http://server/guess2",
                                                L"16 user-key"};
    EXPECT_EQ(CallsFrom(first), expected);
    // A failing settings call is logged; the thread goes on.
    Script(L"fail 4 80020009\n");
    Post(best_guess_msg::kResendSettings);
    Barrier();
    EXPECT_TRUE(log_->Contains(L"BestGuess: call 4 failed: 0x80020009"));
    Script(L"");
    const int id = Ask(L"", L"", L"after");
    EXPECT_TRUE(WaitAnswer(id));
}

TEST_F(BestGuessThreadTest, WithoutTheComponentTheThreadRunsAndAnswersNothing) {
    Script(L"nocreate\n");
    Start();
    EXPECT_TRUE(Calls().empty());
    EXPECT_TRUE(log_->Contains(L"BestGuess: no component, best guesses are off (0x80040111)"));
    const int id = Ask(L"", L"", L"text");
    Post(best_guess_msg::kSetBestGuessEcp);
    Post(best_guess_msg::kResendSettings);
    Barrier();
    EXPECT_EQ(controller_.Count(controller_msg::kBestGuessAnswer, id), 0);
    EXPECT_TRUE(Calls().empty());
    EXPECT_TRUE(thread_->IsRunning());
}

TEST_F(BestGuessThreadTest, AThreadWithoutItsWindowIsGivenUp) {
    ASSERT_TRUE(::UnregisterClassW(L"BackWin777", ::GetModuleHandleW(nullptr)));
    const bool ready = StartBestGuessWorker(StartValues(), kBoundMs, &thread_);
    RegisterPondrelWindowClasses(::GetModuleHandleW(nullptr));
    EXPECT_FALSE(ready);
    ASSERT_TRUE(thread_);
    EXPECT_TRUE(thread_->Join(kBoundMs)) << "the thread ends by itself";
    EXPECT_TRUE(log_->Contains(L"BestGuess: the thread has no window; going on without best guesses"));
    Drain();
    EXPECT_EQ(controller_.Count(controller_msg::kBestGuessWindow), 0);
    const std::vector<std::wstring> calls = Calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back(), L"Destroyed") << "the component is released on the thread";
}

TEST_F(BestGuessThreadTest, TheStartWaitsABoundedTimeForTheWindow) {
    Script(L"slowcreate 120000\n");
    EXPECT_FALSE(StartBestGuessWorker(StartValues(), 300, &thread_));
    EXPECT_TRUE(log_->Contains(L"BestGuess: no window from the thread within 300 ms; going on without best guesses"));
    ASSERT_TRUE(thread_);
    ::SetEvent(go_.get());
    EXPECT_TRUE(thread_->Join(kBoundMs)) << "asked to quit, it ends once its start is over";
    Drain();
    EXPECT_EQ(controller_.Count(controller_msg::kBestGuessWindow), 0) << "nobody is told of a given-up thread";
}

TEST_F(BestGuessThreadTest, TheApplicationStartsItAndSendsTheSettingsAgain) {
    {
        fx::ScopedLock hold(g_BestGuessLock);
        theApp.m_BestGuessShared.requestId = 0;
    }
    ASSERT_TRUE(theApp.StartBestGuessThread());
    ASSERT_TRUE(theApp.m_pBestGuessThread);
    theApp.m_BestGuessStarted = true;
    BestGuessThread* thread = theApp.m_pBestGuessThread.get();
    theApp.m_hBestGuessWnd = thread->HandlerWindow();
    Barrier(*thread);
    EXPECT_TRUE(log_->Contains(L"BestGuess: no controller window to tell"));
    const size_t first = Calls().size();
    {
        fx::ScopedLock hold(g_BestGuessLock);
        theApp.m_DefaultBestGuessEcp = L"reloaded-ecp";
    }
    theApp.RefreshBestGuessSettings();
    Barrier(*thread);
    const std::vector<std::wstring> expected = {L"14 reloaded-ecp", L"14 reloaded-ecp", L"4 http://server/guess2",
                                                L"16 user-key"};
    EXPECT_EQ(CallsFrom(first), expected);
    {
        fx::ScopedLock hold(g_BestGuessLock);
        EXPECT_EQ(theApp.m_BestGuessEcpShared, L"reloaded-ecp");
    }
    EXPECT_TRUE(theApp.m_pBestGuessThread->Quit(kBoundMs));
    theApp.m_pBestGuessThread.reset();
    theApp.m_BestGuessStarted = false;
    theApp.m_hBestGuessWnd = nullptr;
}

}  // namespace
