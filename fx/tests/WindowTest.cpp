// Window objects and threads: destruction on the window's own thread with the
// class's handlers, no use of the object after WM_NCDESTROY, the exception
// boundary of the window procedure, and timers owned by the object.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "OtherThread.h"
#include "fx/UiThread.h"
#include "fx/Window.h"
#include "tests/support/TestSupport.h"

namespace {

// What happened to a probe window, kept outside the object so that it can be
// read after the object is gone.
struct Record {
    std::atomic<DWORD> destroyThread{0};
    std::atomic<DWORD> ncDestroyThread{0};
    std::atomic<DWORD> postNcDestroyThread{0};
    std::atomic<int> calls{0};             // every WindowProc call
    std::atomic<int> callsAfterRelease{0};  // WindowProc calls after PostNcDestroy
    std::atomic<bool> released{false};
    std::atomic<bool> timerRunningAtDestroy{false};
    std::vector<UINT_PTR> ticks;            // timer ids, in order (window's thread only)
};

constexpr UINT kSum = WM_APP + 1;
constexpr UINT kThrow = WM_APP + 3;

class ProbeWindow : public fx::Window {
public:
    explicit ProbeWindow(Record& r) : r_(r) {}

    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
        ++r_.calls;
        if (r_.released) ++r_.callsAfterRelease;
        return fx::Window::WindowProc(msg, wp, lp);
    }

    bool throwAtCreate = false;

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
        switch (msg) {
        case WM_CREATE:
            if (throwAtCreate) throw std::runtime_error("create failed on purpose");
            break;
        case kSum:
            result = static_cast<LRESULT>(wp + lp);
            return true;
        case kThrow:
            throw std::runtime_error("handler failed on purpose");
        case WM_TIMER:
            r_.ticks.push_back(static_cast<UINT_PTR>(wp));
            result = 0;
            return true;
        case WM_DESTROY:
            r_.destroyThread = ::GetCurrentThreadId();
            r_.timerRunningAtDestroy = IsTimerRunning(1);
            break;
        case WM_NCDESTROY:
            r_.ncDestroyThread = ::GetCurrentThreadId();
            break;
        }
        return fx::Window::OnMessage(msg, wp, lp, result);
    }
    void PostNcDestroy() override {
        r_.postNcDestroyThread = ::GetCurrentThreadId();
        r_.released = true;
    }

private:
    Record& r_;
};

std::wstring ProbeClass() { return fx::RegisterWindowClass(0); }

bool CreateProbe(ProbeWindow& w) {
    std::wstring cls = ProbeClass();
    return w.CreateEx(0, cls.c_str(), L"probe", WS_POPUP, 0, 0, 40, 30, nullptr, nullptr);
}

using fxtest::RunOn;
using testsupport::WaitFor;

class WindowThreads : public fxtest::OtherThread {
protected:
    // Creates w's window on the test's thread; its handle, or null.
    HWND CreateOnThread(ProbeWindow& w) {
        HWND h = nullptr;
        RunOn(thread_, [&] {
            if (CreateProbe(w)) h = w.hwnd();
        });
        return h;
    }
};

TEST_F(WindowThreads, DestroyFromAnyThreadRunsTheClassHandlersOnTheWindowsThreadAndFreesTheObject) {
    // Destroy called on the window's thread itself, and from the test thread
    // (carried out by the window's thread).
    for (bool fromOwnThread : {true, false}) {
        SCOPED_TRACE(fromOwnThread);
        Record r;
        auto w = std::make_unique<ProbeWindow>(r);
        HWND h = CreateOnThread(*w);
        ASSERT_TRUE(h);
        ASSERT_EQ(::SendMessageW(h, kSum, 20, 22), 42);

        if (fromOwnThread)
            ASSERT_TRUE(RunOn(thread_, [&] { w->Destroy(); }));
        else
            w->Destroy();
        ASSERT_TRUE(fx::PollDispatchingSent([&] { return r.released.load(); }, 5000));
        EXPECT_EQ(r.destroyThread.load(), thread_.threadId());
        EXPECT_EQ(r.ncDestroyThread.load(), thread_.threadId());
        EXPECT_EQ(r.postNcDestroyThread.load(), thread_.threadId());
        EXPECT_FALSE(::IsWindow(h));
        EXPECT_EQ(w->hwnd(), nullptr);

        // The object can go now; nothing reaches it afterwards.
        w.reset();
        EXPECT_EQ(::SendMessageW(h, kSum, 1, 2), 0);
        EXPECT_TRUE(RunOn(thread_, [] {}));
        EXPECT_EQ(r.callsAfterRelease.load(), 0);
    }
    EXPECT_TRUE(LinesWith(L"***").empty());
}

TEST_F(WindowThreads, AnObjectFreedOnAnotherThreadUnbindsAndItsThreadClosesTheWindow) {
    Record r;
    auto w = std::make_unique<ProbeWindow>(r);
    HWND h = CreateOnThread(*w);
    ASSERT_TRUE(h);
    w.reset();  // the fault: the object goes first, on the wrong thread
    int calls = r.calls.load();
    EXPECT_TRUE(fx::PollDispatchingSent([&] { return !::IsWindow(h); }, 5000)) << "closed by its own thread";
    EXPECT_EQ(r.calls.load(), calls) << "the freed object is not called";
    EXPECT_EQ(LinesWith(L"lost its object on thread " + std::to_wstring(::GetCurrentThreadId())).size(), 1u);
}

class WindowFaults : public fxtest::LoggedFaults {};

TEST_F(WindowFaults, AnExceptionInAHandlerIsLoggedAndTheWindowGoesOn) {
    Record r;
    ProbeWindow w(r);
    ASSERT_TRUE(CreateProbe(w));
    EXPECT_EQ(::SendMessageW(w.hwnd(), kThrow, 0, 0), 0);
    EXPECT_EQ(::SendMessageW(w.hwnd(), kSum, 20, 22), 42) << "the window still works";
    std::wstring cls = ProbeClass();
    wchar_t expected[400];
    _snwprintf(expected, 399, L"*** Exception caught in the window procedure (class %s, message 0x%04X): handler failed on purpose",
               cls.c_str(), kThrow);
    expected[399] = L'\0';
    EXPECT_EQ(LinesWith(expected).size(), 1u);
    w.Destroy();
    EXPECT_TRUE(r.released);
}

TEST_F(WindowFaults, AnExceptionAtCreationFailsTheCreationAndIsLogged) {
    Record r;
    ProbeWindow w(r);
    w.throwAtCreate = true;
    EXPECT_FALSE(CreateProbe(w));
    EXPECT_EQ(w.hwnd(), nullptr);
    EXPECT_TRUE(r.released) << "the failed window was destroyed and unbound";
    EXPECT_EQ(LinesWith(L"create failed on purpose").size(), 1u);
}

// fx linked into a DLL registers its classes and makes its windows, its
// threads' message windows included, under that DLL, not the executable.
TEST(WindowModule, ADllsCopyOfFxRegistersAndMakesItsWindowsUnderTheDll) {
    HMODULE dll = ::LoadLibraryW(L"fx_module_probe.dll");
    ASSERT_NE(nullptr, dll) << "error " << ::GetLastError();
    using Probe = BOOL (*)(HINSTANCE*, wchar_t*, int);
    auto probe = reinterpret_cast<Probe>(reinterpret_cast<void*>(::GetProcAddress(dll, "FxProbeModules")));
    ASSERT_NE(nullptr, probe);
    HINSTANCE windowInstance = nullptr;
    wchar_t className[128] = L"";
    EXPECT_TRUE(probe(&windowInstance, className, 128));
    EXPECT_EQ(dll, windowInstance) << "the window made with fx::Window";
    WNDCLASSW wc{};
    EXPECT_TRUE(::GetClassInfoW(dll, className, &wc)) << "the class fx registered";
    EXPECT_TRUE(::GetClassInfoW(dll, L"fx.UiThread.Messages", &wc)) << "the class of a thread's message window";
    EXPECT_EQ(fx::ThisModule(), ::GetModuleHandleW(nullptr)) << "this executable's own copy";
    ::UnregisterClassW(className, dll);
    ::UnregisterClassW(L"fx.UiThread.Messages", dll);
    ::FreeLibrary(dll);
}

// A tick of a timer comes only once the queue holds no posted message, so a
// posted sentinel says nothing of one: the sentinel of a timer's absence is
// another timer of the same period on the same window, ticking on meanwhile.
int Ticks(const Record& r, UINT_PTR id) {
    int n = 0;
    for (UINT_PTR t : r.ticks) n += t == id;
    return n;
}

TEST(WindowTimers, TickToTheirObjectStopOneByOneAndAllStopWithTheWindow) {
    Record r;
    ProbeWindow w(r);
    ASSERT_TRUE(CreateProbe(w));
    ASSERT_TRUE(w.StartTimer(1, 10));
    ASSERT_TRUE(w.StartTimer(2, 10));
    EXPECT_TRUE(w.IsTimerRunning(1));
    ASSERT_TRUE(WaitFor([&] { return Ticks(r, 1) > 0 && Ticks(r, 2) > 0; }, 5000));

    w.StopTimer(1);
    EXPECT_FALSE(w.IsTimerRunning(1));
    // A tick of timer 1 already due may still arrive before timer 2's next.
    int twos = Ticks(r, 2);
    ASSERT_TRUE(WaitFor([&] { return Ticks(r, 2) > twos; }, 5000));
    const int ones = Ticks(r, 1);
    twos = Ticks(r, 2);
    ASSERT_TRUE(WaitFor([&] { return Ticks(r, 2) >= twos + 5; }, 5000));
    EXPECT_EQ(Ticks(r, 1), ones) << "timer 1 ticked after it was stopped";

    ASSERT_TRUE(w.StartTimer(1, 10));
    w.Destroy();
    EXPECT_TRUE(r.timerRunningAtDestroy) << "the class's WM_DESTROY handler still has its timers";
    EXPECT_FALSE(w.IsTimerRunning(1));
    EXPECT_FALSE(w.IsTimerRunning(2));
    EXPECT_FALSE(w.StartTimer(3, 10)) << "no timer without a window";
}

TEST(WindowTimers, DetachStopsTheObjectsTimersAndLeavesTheWindow) {
    Record r;
    ProbeWindow w(r);
    ASSERT_TRUE(CreateProbe(w));
    ASSERT_TRUE(w.StartTimer(7, 10));
    HWND h = w.Detach();
    ASSERT_TRUE(::IsWindow(h));
    EXPECT_FALSE(w.IsTimerRunning(7));
    // Another object on the window sees every tick it gets from here on; the
    // sentinel is a timer of the window itself with the same period: five of
    // its ticks, and none of timer 7 among them.
    Record after;
    ProbeWindow watcher(after);
    ASSERT_TRUE(watcher.Attach(h));
    constexpr UINT_PTR kSentinel = 99;
    ASSERT_TRUE(::SetTimer(h, kSentinel, 10, nullptr));
    EXPECT_TRUE(WaitFor([&] { return Ticks(after, kSentinel) >= 5; }, 5000));
    EXPECT_EQ(Ticks(after, 7), 0) << "a tick for the detached window";
    ::KillTimer(h, kSentinel);
    watcher.Destroy();
}

}  // namespace
