// The application, thread and window pieces of fx: command-line tokens, the
// window wrapper's binding and dispatch, the thread loop's idle processing and
// its bounded quit.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "fx/App.h"
#include "fx/UiThread.h"
#include "fx/Window.h"

namespace {

struct Token {
    std::wstring param;
    bool flag;
    bool last;
};

class RecordingCommandLine : public fx::CommandLineInfo {
public:
    void ParseParam(const wchar_t* param, bool flag, bool last) override { tokens.push_back({param, flag, last}); }
    std::vector<Token> tokens;
};

class TestApp : public fx::App {};

TEST(CommandLine, TokensLoseOneLeadingSlashOrDashAndSayWhichWasLast) {
    TestApp app;
    RecordingCommandLine info;
    app.ParseCommandLine(info, L"PondRel.exe shut /shut -shut Shut \"jscmd:two words\" //x");
    std::vector<Token> want = {{L"shut", false, false}, {L"shut", true, false},         {L"shut", true, false},
                               {L"Shut", false, false}, {L"jscmd:two words", false, false}, {L"/x", true, true}};
    ASSERT_EQ(info.tokens.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(info.tokens[i].param, want[i].param) << i;
        EXPECT_EQ(info.tokens[i].flag, want[i].flag) << i;
        EXPECT_EQ(info.tokens[i].last, want[i].last) << i;
    }
    EXPECT_EQ(info.shellCommand, fx::CommandLineInfo::FileNew);
}

TEST(CommandLine, ProgramNameAloneGivesNoToken) {
    TestApp app;
    RecordingCommandLine info;
    app.ParseCommandLine(info, L"\"C:\\Program Files\\PondRel\\PondRel.exe\"");
    EXPECT_TRUE(info.tokens.empty());
}

// Records what reaches the wrapper and handles one private message.
class ProbeWindow : public fx::Window {
public:
    std::vector<UINT> seen;
    bool destroyedAfterNc = false;

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
        seen.push_back(msg);
        if (msg == WM_APP + 1) {
            result = static_cast<LRESULT>(wp + lp);
            return true;
        }
        return fx::Window::OnMessage(msg, wp, lp, result);
    }
    void PostNcDestroy() override { destroyedAfterNc = hwnd() == nullptr; }
};

bool Saw(const std::vector<UINT>& seen, UINT msg) {
    for (UINT m : seen)
        if (m == msg) return true;
    return false;
}

TEST(Window, BindsFromTheFirstMessageAndDispatchesToItsClass) {
    std::wstring cls = fx::RegisterWindowClass(CS_DBLCLKS);
    EXPECT_EQ(cls, fx::RegisterWindowClass(CS_DBLCLKS)) << "the same record gives the same class";
    ProbeWindow w;
    ASSERT_TRUE(w.CreateEx(0, cls.c_str(), L"probe", WS_POPUP, 0, 0, 50, 40, nullptr, nullptr));
    EXPECT_TRUE(Saw(w.seen, WM_NCCREATE));
    EXPECT_TRUE(Saw(w.seen, WM_CREATE));
    EXPECT_EQ(fx::Window::FromHandle(w.hwnd()), &w);

    EXPECT_EQ(::SendMessageW(w.hwnd(), WM_APP + 1, 20, 22), 42);
    // Unhandled messages reach the class's own procedure.
    EXPECT_TRUE(::SetWindowTextW(w.hwnd(), L"renamed"));
    wchar_t text[32] = L"";
    ::GetWindowTextW(w.hwnd(), text, 32);
    EXPECT_STREQ(text, L"renamed");

    HWND h = w.hwnd();
    w.Destroy();
    EXPECT_TRUE(w.destroyedAfterNc);
    EXPECT_EQ(w.hwnd(), nullptr);
    EXPECT_FALSE(::IsWindow(h));
}

TEST(Window, AttachesAnExistingWindowAndDetachesIt) {
    std::wstring cls = fx::RegisterWindowClass(0);
    HWND h = ::CreateWindowExW(0, cls.c_str(), L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(h);
    ProbeWindow w;
    ASSERT_TRUE(w.Attach(h));
    ProbeWindow other;
    EXPECT_FALSE(other.Attach(h)) << "one object per window";
    EXPECT_EQ(::SendMessageW(h, WM_APP + 1, 1, 2), 3);
    EXPECT_EQ(w.Detach(), h);
    EXPECT_EQ(fx::Window::FromHandle(h), nullptr);
    EXPECT_EQ(::SendMessageW(h, WM_APP + 1, 1, 2), 0) << "no longer dispatched";
    ::DestroyWindow(h);
}

// A thread that records its idle counts and thread messages.
class IdleThread : public fx::UiThread {
public:
    HANDLE idleEvent = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    std::vector<LONG> counts;
    std::vector<UINT> messages;
    int exitCode = -1;
    ~IdleThread() override { ::CloseHandle(idleEvent); }

    bool OnIdle(LONG count) override {
        counts.push_back(count);
        if (count == 2) ::SetEvent(idleEvent);
        return count < 2;
    }
    bool OnThreadMessage(const MSG& msg) override {
        messages.push_back(msg.message);
        return true;
    }
    int ExitInstance() override { return exitCode = fx::UiThread::ExitInstance() + 5; }
};

TEST(UiThread, IdlesUntilSatisfiedRestartsAfterAMessageAndQuits) {
    IdleThread t;
    ASSERT_TRUE(t.Start(fx::Apartment::None, true));
    EXPECT_EQ(::WaitForSingleObject(t.idleEvent, 200), static_cast<DWORD>(WAIT_TIMEOUT)) << "still suspended";
    t.Resume();
    ASSERT_EQ(::WaitForSingleObject(t.idleEvent, 5000), WAIT_OBJECT_0);
    ASSERT_TRUE(t.PostThreadMessage(WM_APP + 7));
    ASSERT_EQ(::WaitForSingleObject(t.idleEvent, 5000), WAIT_OBJECT_0);
    EXPECT_TRUE(t.Quit(5000));
    EXPECT_FALSE(t.IsRunning());
    DWORD code = 0;
    ::GetExitCodeThread(t.handle(), &code);
    EXPECT_EQ(code, 5u) << "Run returns ExitInstance's result";
    std::vector<LONG> want = {0, 1, 2, 0, 1, 2};
    EXPECT_EQ(t.counts, want);
    ASSERT_EQ(t.messages.size(), 1u);
    EXPECT_EQ(t.messages[0], static_cast<UINT>(WM_APP + 7));
}

// A thread that never looks at its queue.
class StuckThread : public fx::UiThread {
public:
    bool InitInstance() override {
        ::Sleep(INFINITE);
        return true;
    }
};

TEST(UiThread, QuitTerminatesOnlyAfterTheWait) {
    StuckThread t;
    ASSERT_TRUE(t.Start(fx::Apartment::None, false));
    DWORD start = ::GetTickCount();
    EXPECT_FALSE(t.Quit(300));
    DWORD took = ::GetTickCount() - start;
    EXPECT_GE(took, 250u);
    EXPECT_LT(took, 3000u);
    EXPECT_FALSE(t.IsRunning());
}

}  // namespace
