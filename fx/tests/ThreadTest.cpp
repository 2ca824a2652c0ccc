// User-interface threads: tasks from other threads (also through a modal
// loop), apartments, the set that quits together, the straggler that is
// terminated, the owner that ends its thread before deleting it, exceptions
// at a thread's start and in tasks, allocations that fail at its start and
// end, and the wait that dispatches only sent messages.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "LoggedFaults.h"
#include "fx/Handle.h"
#include "fx/Lock.h"
#include "fx/ThreadSet.h"
#include "fx/UiThread.h"
#include "tests/support/AllocationFaults.h"
#include "tests/support/TestSupport.h"

namespace {

using fx::Apartment;

fx::UniqueHandle NewEvent() { return fx::UniqueHandle(::CreateEventW(nullptr, TRUE, FALSE, nullptr)); }

bool Signalled(const fx::UniqueHandle& e, DWORD ms = 5000) { return ::WaitForSingleObject(e.get(), ms) == WAIT_OBJECT_0; }

// A thread that counts its ends.
class CountingThread : public fx::UiThread {
public:
    explicit CountingThread(std::atomic<int>* ends = nullptr) : ends_(ends) {}
    int ExitInstance() override {
        if (ends_) ++*ends_;
        return fx::UiThread::ExitInstance();
    }

private:
    std::atomic<int>* ends_;
};

// What CoInitializeEx(multithreaded) answers on a thread of each apartment.
HRESULT MultithreadedStartOnThisThread() {
    HRESULT hr = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (SUCCEEDED(hr)) ::CoUninitialize();
    return hr;
}

// A message box on the calling thread, closed by a watcher on another thread
// once `mayClose` is set.
struct ModalBox {
    std::wstring title;
    std::atomic<bool> open{false};

    void Show() {
        open = true;
        ::MessageBoxW(nullptr, L"modal probe", title.c_str(), MB_OK);
        open = false;
    }
    HWND Find() const { return ::FindWindowW(L"#32770", title.c_str()); }
};

bool WaitForBox(const ModalBox& box) {
    return fx::PollDispatchingSent([&] { return box.Find() != nullptr; }, 5000, 20);
}

class UiThreadTasks : public fxtest::LoggedFaults {};

TEST_F(UiThreadTasks, RunInOrderOnTheThreadWithEachApartmentAlsoThroughAModalLoop) {
    struct Case {
        Apartment apartment;
        HRESULT multithreadedStart;
    };
    const Case cases[] = {
        {Apartment::None, S_OK},
        {Apartment::Sta, RPC_E_CHANGED_MODE},
        {Apartment::Mta, S_FALSE},
        {Apartment::Ole, RPC_E_CHANGED_MODE},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(n);
        auto t = fx::StartSuspended<CountingThread>(c.apartment);
        ASSERT_TRUE(t);
        fx::CriticalSection lock;
        std::vector<int> order;
        auto record = [&](int step) {
            fx::ScopedLock hold(lock);
            order.push_back(step);
        };
        HRESULT seen = E_UNEXPECTED;
        DWORD ranOn = 0;
        // Posted while the thread is still suspended: they wait for it.
        ASSERT_TRUE(t->PostTask([&] {
            ranOn = ::GetCurrentThreadId();
            seen = MultithreadedStartOnThisThread();
            record(1);
        }));
        ASSERT_TRUE(t->PostTask([&] { record(2); }));
        t->Resume();

        // A task that shows a message box; the next one must run while it is open.
        ModalBox box;
        box.title = L"fx modal probe " + std::to_wstring(n++);
        auto boxShown = NewEvent(), duringBox = NewEvent(), boxClosed = NewEvent();
        bool boxWasOpen = false;
        ASSERT_TRUE(t->PostTask([&] {
            record(3);
            ::SetEvent(boxShown.get());
            box.Show();
            record(5);
            ::SetEvent(boxClosed.get());
        }));
        ASSERT_TRUE(Signalled(boxShown));
        ASSERT_TRUE(WaitForBox(box));
        ASSERT_TRUE(t->PostTask([&] {
            boxWasOpen = box.open && box.Find() != nullptr;
            record(4);
            ::SetEvent(duringBox.get());
        }));
        EXPECT_TRUE(Signalled(duringBox)) << "a task reached the thread inside the modal loop";
        // The watcher closes the box.
        ::PostMessageW(box.Find(), WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(Signalled(boxClosed));

        EXPECT_EQ(ranOn, t->threadId());
        EXPECT_EQ(seen, c.multithreadedStart);
        EXPECT_TRUE(boxWasOpen);
        EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4, 5}));
        EXPECT_TRUE(t->Quit(5000));
        EXPECT_FALSE(t->PostTask([] {})) << "an ended thread takes no task";
    }
    EXPECT_TRUE(LinesWith(L"terminated").empty());
}

TEST_F(UiThreadTasks, AQuitRequestEndsAThreadInsideAModalLoop) {
    auto t = fx::StartSuspended<CountingThread>(Apartment::None);
    ASSERT_TRUE(t);
    t->Resume();
    ModalBox box;
    box.title = L"fx modal quit probe";
    ASSERT_TRUE(t->PostTask([&] { box.Show(); }));
    ASSERT_TRUE(WaitForBox(box));
    EXPECT_TRUE(t->Quit(5000));
    EXPECT_EQ(box.Find(), nullptr);
}

TEST_F(UiThreadTasks, AThrowingTaskIsLoggedAndTheNextOneRuns) {
    auto t = fx::StartSuspended<CountingThread>(Apartment::None);
    ASSERT_TRUE(t);
    t->Resume();
    auto next = NewEvent();
    ASSERT_TRUE(t->PostTask([] { throw std::runtime_error("task failed on purpose"); }));
    ASSERT_TRUE(t->PostTask([&] { ::SetEvent(next.get()); }));
    EXPECT_TRUE(Signalled(next));
    EXPECT_TRUE(t->Quit(5000));
    auto lines = LinesWith(L"*** Exception caught in a task: task failed on purpose");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind(L"(fx_tests) ", 0), 0u) << "the line names the module";
}

// A thread whose start throws.
class ThrowingStart : public fx::UiThread {
public:
    bool exited = false;
    bool InitInstance() override { throw std::runtime_error("start failed on purpose"); }
    int ExitInstance() override {
        exited = true;
        return 7;
    }
};

TEST_F(UiThreadTasks, AnExceptionAtTheStartIsLoggedTheThreadEndsAndTheProcessGoesOn) {
    auto t = fx::StartSuspended<ThrowingStart>(Apartment::Sta);
    ASSERT_TRUE(t);
    t->SetName(L"thrower");
    t->Resume();
    ASSERT_TRUE(t->Join(5000));
    EXPECT_TRUE(t->exited) << "ExitInstance still runs";
    DWORD code = 0;
    ::GetExitCodeThread(t->handle(), &code);
    EXPECT_EQ(code, 7u);
    EXPECT_EQ(LinesWith(L"*** Exception caught in InitInstance of thrower: start failed on purpose").size(), 1u);
}

// Threads whose allocations fail: until their start, and from their end
// on.  The labels of their guards are built without allocating, the tasks
// they leave are dropped inside a guard, and nothing escapes their entry
// (which would end the process): each starts, runs and ends.
class StartWithoutMemory : public fx::UiThread {
public:
    std::atomic<bool> started{false};
    bool InitInstance() override {
        testsupport::FailAllocationsOn(0);
        started = true;
        return true;
    }
};

class EndWithoutMemory : public fx::UiThread {
public:
    std::atomic<bool> started{false};
    bool InitInstance() override {
        started = true;
        return true;
    }
    int ExitInstance() override {
        testsupport::FailAllocationsOn(::GetCurrentThreadId());
        return fx::UiThread::ExitInstance();
    }
};

TEST_F(UiThreadTasks, AThreadStartsAndEndsWhileItsAllocationsFail) {
    const wchar_t* const kName = L"a thread whose name no short string holds";
    auto starting = fx::StartSuspended<StartWithoutMemory>(Apartment::None);
    ASSERT_TRUE(starting);
    starting->SetName(kName);
    testsupport::FailAllocationsOn(starting->threadId());
    starting->Resume();
    const bool started = testsupport::WaitFor([&] { return starting->started.load(); }, 5000);
    testsupport::FailAllocationsOn(0);
    EXPECT_TRUE(started);
    EXPECT_TRUE(starting->Quit(5000));

    auto ending = fx::StartSuspended<EndWithoutMemory>(Apartment::None);
    ASSERT_TRUE(ending);
    ending->SetName(kName);
    ending->Resume();
    EXPECT_TRUE(testsupport::WaitFor([&] { return ending->started.load(); }, 5000));
    ending->RequestQuit();
    const bool ended = ending->Join(5000);
    testsupport::FailAllocationsOn(0);
    EXPECT_TRUE(ended);
    EXPECT_FALSE(ending->PostTask([] {})) << "the ended thread still takes tasks";
}

TEST_F(UiThreadTasks, AQuitBeforeTheThreadRunsEndsItAtItsStart) {
    std::atomic<int> ends{0};
    auto t = fx::StartSuspended<CountingThread>(Apartment::None, &ends);
    ASSERT_TRUE(t);
    t->RequestQuit(3);
    t->Resume();
    ASSERT_TRUE(t->Join(5000));
    DWORD code = 0;
    ::GetExitCodeThread(t->handle(), &code);
    EXPECT_EQ(code, 3u);
    EXPECT_EQ(ends.load(), 1);
}

class ThreadSetQuit : public fxtest::LoggedFaults {};

TEST_F(ThreadSetQuit, SixteenThreadsQuitTogetherWithinTheBound) {
    std::atomic<int> ends{0};
    fx::ThreadSet set;
    std::vector<std::unique_ptr<CountingThread>> threads;
    for (int i = 0; i < 16; ++i) {
        threads.push_back(fx::StartSuspended<CountingThread>(i % 2 ? Apartment::Sta : Apartment::None, &ends));
        ASSERT_TRUE(threads.back());
        set.Add(*threads.back());
        threads.back()->Resume();
    }
    EXPECT_EQ(set.size(), 16u);
    // Every loop is running before the quit.
    std::atomic<int> running{0};
    for (auto& t : threads) ASSERT_TRUE(t->PostTask([&] { ++running; }));
    ASSERT_TRUE(fx::PollDispatchingSent([&] { return running.load() == 16; }, 5000));

    DWORD start = ::GetTickCount();
    EXPECT_EQ(set.QuitAll(3000), 0u);
    EXPECT_LT(::GetTickCount() - start, 3000u);
    EXPECT_EQ(ends.load(), 16);
    for (auto& t : threads) EXPECT_FALSE(t->IsRunning());
    EXPECT_TRUE(LinesWith(L"terminated").empty());
    threads.clear();
    EXPECT_EQ(set.size(), 0u) << "a destroyed thread leaves its set";
}

TEST_F(ThreadSetQuit, AThreadThatIgnoresTheRequestIsTerminatedLoggedAndTheRestJoin) {
    std::atomic<int> ends{0};
    fx::ThreadSet set;
    std::vector<std::unique_ptr<CountingThread>> threads;
    for (int i = 0; i < 4; ++i) {
        threads.push_back(fx::StartSuspended<CountingThread>(Apartment::None, &ends));
        ASSERT_TRUE(threads.back());
        set.Add(*threads.back());
        threads.back()->Resume();
    }
    threads[2]->SetName(L"stubborn");
    // The stubborn thread sits in a task that never looks at its queue.
    auto stuck = NewEvent(), never = NewEvent();
    ASSERT_TRUE(threads[2]->PostTask([&] {
        ::SetEvent(stuck.get());
        ::WaitForSingleObject(never.get(), 60000);
    }));
    ASSERT_TRUE(Signalled(stuck));

    DWORD start = ::GetTickCount();
    EXPECT_EQ(set.QuitAll(500), 1u);
    DWORD took = ::GetTickCount() - start;
    EXPECT_GE(took, 450u);
    EXPECT_LT(took, 3000u);
    EXPECT_EQ(ends.load(), 3) << "the others ended by themselves";
    for (auto& t : threads) EXPECT_FALSE(t->IsRunning());
    auto lines = LinesWith(L"*** Thread stubborn (" + std::to_wstring(threads[2]->threadId()) +
                           L") did not end within 500 ms: terminated");
    EXPECT_EQ(lines.size(), 1u);
    EXPECT_EQ(LinesWith(L"terminated").size(), 1u);
}

// EndOrLeave destroys a thread that ends; one stuck in a task is left
// running, logged, out of its set (so QuitAll has nothing to terminate) and
// never terminated: once its task returns it ends by itself, by its quit.
TEST_F(ThreadSetQuit, EndOrLeaveLeavesAStuckThreadRunningAndNeverTerminatesIt) {
    std::atomic<int> ends{0};
    fx::ThreadSet set;
    auto quick = fx::StartSuspended<CountingThread>(Apartment::None, &ends);
    auto held = fx::StartSuspended<CountingThread>(Apartment::None, &ends);
    ASSERT_TRUE(quick && held);
    set.Add(*quick);
    set.Add(*held);
    held->SetName(L"held");
    quick->Resume();
    held->Resume();
    auto inTask = NewEvent(), release = NewEvent();
    ASSERT_TRUE(held->PostTask([&] {
        ::SetEvent(inTask.get());
        ::WaitForSingleObject(release.get(), 60000);
    }));
    ASSERT_TRUE(Signalled(inTask));

    EXPECT_TRUE(fx::EndOrLeave(quick, 5000));
    EXPECT_FALSE(quick) << "an ended thread's object is destroyed";
    CountingThread* left = held.get();
    const DWORD id = left->threadId();
    HANDLE copy = nullptr;
    ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), left->handle(), ::GetCurrentProcess(), &copy, 0, FALSE,
                                  DUPLICATE_SAME_ACCESS));
    fx::UniqueHandle thread(copy);
    EXPECT_FALSE(fx::EndOrLeave(held, 300));
    EXPECT_FALSE(held) << "the owner let go of the object";
    EXPECT_EQ(::WaitForSingleObject(thread.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "left running";
    EXPECT_EQ(set.size(), 0u);
    EXPECT_EQ(set.QuitAll(300), 0u) << "nothing of the set is left to terminate";
    EXPECT_EQ(LinesWith(L"*** Thread held (" + std::to_wstring(id) +
                        L") did not end within 300 ms: left to the process's end")
                  .size(),
              1u);
    EXPECT_TRUE(LinesWith(L"terminated").empty());

    ::SetEvent(release.get());
    ASSERT_TRUE(::WaitForSingleObject(thread.get(), 10000) == WAIT_OBJECT_0) << "it ended by itself";
    DWORD code = 99;
    ASSERT_TRUE(::GetExitCodeThread(thread.get(), &code));
    EXPECT_EQ(code, 0u) << "by its quit, not terminated";
    EXPECT_EQ(ends.load(), 2);
    delete left;  // what the process's end would have done without it
}

// A thread busy in a task until its work is cancelled (or `release` is set),
// which records whether it still ran when its object went.
class BusyThread : public CountingThread {
public:
    BusyThread(std::atomic<int>* ends, std::atomic<int>* deletedRunning)
        : CountingThread(ends), deletedRunning_(deletedRunning) {}
    ~BusyThread() override { *deletedRunning_ = IsRunning() ? 1 : 0; }
    void CancelWork() override { ::SetEvent(cancelled.get()); }

    fx::UniqueHandle cancelled = NewEvent();

private:
    std::atomic<int>* deletedRunning_;
};

class ThreadOwners : public fxtest::LoggedFaults {
protected:
    // A running BusyThread in its task, waiting for `until` (its own
    // cancellation when none is given).
    fx::ThreadOwner<BusyThread> StartBusy(HANDLE until = nullptr) {
        fx::ThreadOwner<BusyThread> t = fx::StartSuspended<BusyThread>(Apartment::None, &ends, &deletedRunning);
        if (!t) return t;
        t->SetName(L"busy");
        t->Resume();
        HANDLE wait = until ? until : t->cancelled.get();
        if (!t->PostTask([this, wait] {
                ::SetEvent(inTask.get());
                ::WaitForSingleObject(wait, 60000);
            }) ||
            !Signalled(inTask))
            ADD_FAILURE() << "the thread did not take its task";
        return t;
    }

    std::atomic<int> ends{0};
    std::atomic<int> deletedRunning{-1};  // -1: the object was not deleted
    fx::UniqueHandle inTask = NewEvent();
};

// Reset (and also the owner's own end, which is the same call): the work is
// cancelled, the thread quits and ends, and only then is its object deleted.
TEST_F(ThreadOwners, AnOwnerEndsItsThreadBeforeItDeletesTheObject) {
    fx::ThreadOwner<BusyThread> t = StartBusy();
    ASSERT_TRUE(t);
    t.reset();
    EXPECT_EQ(deletedRunning.load(), 0) << "the object went while its thread still ran";
    EXPECT_EQ(ends.load(), 1) << "its ExitInstance ran";
    EXPECT_TRUE(LinesWith(L"was deleted while running").empty());
    EXPECT_TRUE(LinesWith(L"did not end").empty());
}

// A thread that does not end within the bound is left running, logged, with
// its object (never terminated); it ends by itself once its task returns.
TEST_F(ThreadOwners, AThreadThatDoesNotEndIsLeftRunningWithItsObject) {
    fx::UniqueHandle release = NewEvent();
    fx::ThreadOwner<BusyThread> t = StartBusy(release.get());
    ASSERT_TRUE(t);
    BusyThread* left = t.get();
    const DWORD id = left->threadId();
    HANDLE copy = nullptr;
    ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), left->handle(), ::GetCurrentProcess(), &copy, 0, FALSE,
                                  DUPLICATE_SAME_ACCESS));
    fx::UniqueHandle thread(copy);
    t.reset();
    EXPECT_EQ(deletedRunning.load(), -1) << "the object of a running thread was deleted";
    EXPECT_EQ(::WaitForSingleObject(thread.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "left running";
    EXPECT_EQ(LinesWith(L"*** Thread busy (" + std::to_wstring(id) + L") did not end within " +
                        std::to_wstring(fx::UiThread::kDestroyQuitBoundMs) + L" ms: left to the process's end")
                  .size(),
              1u);
    EXPECT_TRUE(LinesWith(L"terminated").empty());

    ::SetEvent(release.get());
    ASSERT_EQ(::WaitForSingleObject(thread.get(), 10000), WAIT_OBJECT_0) << "it ended by itself";
    EXPECT_EQ(ends.load(), 1);
    delete left;  // what the process's end would have done without it
}

// A thread object deleted while its thread still runs: the base can no
// longer end the thread (the parts of the object it may use are gone), so it
// only logs the fault; the thread is left running.  The object's storage
// outlives it here, and the test ends the thread in fx's one place for it.
TEST_F(UiThreadTasks, AThreadDeletedWhileRunningIsLoggedAndLeftRunning) {
    std::atomic<int> ends{0};
    alignas(CountingThread) unsigned char storage[sizeof(CountingThread)];
    auto* t = new (storage) CountingThread(&ends);
    ASSERT_TRUE(t->Start(Apartment::None, false));
    t->SetName(L"orphan");
    auto stuck = NewEvent(), never = NewEvent();
    ASSERT_TRUE(t->PostTask([&] {
        ::SetEvent(stuck.get());
        ::WaitForSingleObject(never.get(), 60000);
    }));
    ASSERT_TRUE(Signalled(stuck));
    HANDLE process = ::GetCurrentProcess(), copy = nullptr;
    ASSERT_TRUE(::DuplicateHandle(process, t->handle(), process, &copy, SYNCHRONIZE | THREAD_TERMINATE, FALSE, 0));
    fx::UniqueHandle thread(copy);
    const DWORD id = t->threadId();

    t->~CountingThread();
    EXPECT_EQ(LinesWith(L"*** Thread orphan (" + std::to_wstring(id) + L") was deleted while running").size(), 1u);
    EXPECT_EQ(::WaitForSingleObject(thread.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the base ended it";
    EXPECT_EQ(ends.load(), 0);
    EXPECT_TRUE(LinesWith(L"terminated").empty());

    fx::UiThread::TerminateStraggler(thread.get(), id, L"orphan", 0);
    EXPECT_EQ(::WaitForSingleObject(thread.get(), 5000), static_cast<DWORD>(WAIT_OBJECT_0));
}

// A window on the test thread that records what reaches it.
struct SentProbe {
    HWND hwnd = nullptr;
    std::atomic<int> sent{0};
    std::atomic<int> posted{0};
    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
        auto* p = reinterpret_cast<SentProbe*>(::GetWindowLongPtrW(h, GWLP_USERDATA));
        if (p && msg == WM_APP + 1) return ++p->sent;
        if (p && msg == WM_APP + 2) return ++p->posted;
        return ::DefWindowProcW(h, msg, wp, lp);
    }
    SentProbe() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &Proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"fx.test.SentProbe";
        ::RegisterClassW(&wc);
        hwnd = ::CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~SentProbe() { ::DestroyWindow(hwnd); }
};

TEST(WaitDispatchingSent, AnswersSentMessagesLeavesPostedOnesAndKeepsItsBound) {
    SentProbe probe;
    ASSERT_TRUE(probe.hwnd);
    ::PostMessageW(probe.hwnd, WM_APP + 2, 0, 0);
    // The other side sends to this thread before it signals: a plain wait
    // would deadlock until the bound.
    auto signal = NewEvent();
    std::atomic<LRESULT> answer{0};
    CountingThread sender;
    ASSERT_TRUE(sender.Start(Apartment::None, false));
    ASSERT_TRUE(sender.PostTask([&] {
        answer = ::SendMessageW(probe.hwnd, WM_APP + 1, 0, 0);
        ::SetEvent(signal.get());
    }));
    EXPECT_EQ(fx::WaitDispatchingSent(signal.get(), 5000), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(answer.load(), 1);
    EXPECT_EQ(probe.posted.load(), 0) << "the posted message waits for the loop";

    auto never = NewEvent();
    DWORD start = ::GetTickCount();
    EXPECT_EQ(fx::WaitDispatchingSent(never.get(), 200), static_cast<DWORD>(WAIT_TIMEOUT));
    DWORD took = ::GetTickCount() - start;
    EXPECT_GE(took, 150u);
    EXPECT_LT(took, 2000u);
    EXPECT_TRUE(sender.Quit(5000));

    MSG m;
    while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&m);
    EXPECT_EQ(probe.posted.load(), 1);
}

}  // namespace
