// fx::Locked: a shared value reached only under its lock.  A view holds the
// lock for its life, no update made under it is lost to another thread's, the
// holder is known, and asking for the first of a pair while holding the
// second is logged.  Built for Windows (fx::CriticalSection, the faults read
// from the debug log) and natively (a standard mutex, the faults kept here).
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "fx/Locked.h"

#ifdef _WIN32
#include "LoggedFaults.h"
#endif

namespace {

#ifdef _WIN32
using TestLock = fx::CriticalSection;
using FaultsTest = fxtest::LoggedFaults;
#else
// The native stand-in for a critical section: re-entrant for its owner.
class TestLock {
public:
    void Lock() { m_.lock(); }
    void Unlock() { m_.unlock(); }
    bool TryLock() { return m_.try_lock(); }

private:
    std::recursive_mutex m_;
};
#endif

template <class T>
using TestLocked = fx::Locked<T, TestLock>;

// Two fields a writer always changes together.
struct Pair {
    long first = 0;
    long second = 0;
    std::wstring text;
};

// Whether another thread can take the lock now.
template <class T>
bool FreeForAnotherThread(TestLocked<T>& shared) {
    bool taken = false;
    std::thread([&] { taken = shared.TryLock().has_value(); }).join();
    return taken;
}

TEST(Locked, AViewHoldsTheLockForItsLife) {
    TestLocked<Pair> shared;
    {
        auto view = shared.Lock();
        view->text = L"held";
        EXPECT_FALSE(FreeForAnotherThread(shared));
        // A view moved on keeps the lock; the moved-from one lets go of nothing.
        auto moved = std::move(view);
        EXPECT_FALSE(FreeForAnotherThread(shared));
        EXPECT_EQ(L"held", moved->text);
    }
    EXPECT_TRUE(FreeForAnotherThread(shared));
    {
        std::optional<fx::Held<Pair, TestLock>> tried = shared.TryLock();
        ASSERT_TRUE(tried.has_value());
        EXPECT_FALSE(FreeForAnotherThread(shared));
    }
    EXPECT_TRUE(FreeForAnotherThread(shared));
    // The copy and With take it and give it back.
    EXPECT_EQ(L"held", shared.Copy().text);
    EXPECT_EQ(4u, shared.With([](Pair& p) { return p.text.size(); }));
    const TestLocked<Pair>& readOnly = shared;
    EXPECT_EQ(L"held", readOnly.Lock()->text);
    EXPECT_TRUE(FreeForAnotherThread(shared));
}

TEST(Locked, TheHolderIsKnownAndMayTakeItAgain) {
    TestLocked<int> shared(7);
    EXPECT_FALSE(shared.HeldByThisThread());
    {
        auto outer = shared.Lock();
        EXPECT_TRUE(shared.HeldByThisThread());
        {
            auto inner = shared.Lock();  // re-entrant for its owner
            *inner = 8;
        }
        EXPECT_TRUE(shared.HeldByThisThread());
        bool heldThere = true;
        std::thread([&] { heldThere = shared.HeldByThisThread(); }).join();
        EXPECT_FALSE(heldThere);
    }
    EXPECT_FALSE(shared.HeldByThisThread());
    EXPECT_EQ(8, shared.Copy());
}

TEST(Locked, NoUpdateUnderTheLockIsLostAndNoReaderSeesHalfOfOne) {
    TestLocked<Pair> shared;
    constexpr int kThreads = 4;
    constexpr int kSteps = 20000;
    std::atomic<long> torn{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < kSteps; ++i) {
                {
                    auto p = shared.Lock();
                    ++p->first;
                    ++p->second;
                }
                Pair seen = shared.Copy();
                if (seen.first != seen.second) ++torn;
            }
        });
    }
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(0, torn.load());
    EXPECT_EQ(long{kThreads} * kSteps, shared.Copy().first);
}

#ifndef _WIN32
// The native build keeps the faults the lock-order check reports.
std::vector<std::wstring> g_Faults;

class FaultsTest : public testing::Test {
protected:
    void SetUp() override { g_Faults.clear(); }
    std::vector<std::wstring> LinesWith(const std::wstring& text) {
        std::vector<std::wstring> found;
        for (const std::wstring& line : g_Faults)
            if (line.find(text) != std::wstring::npos) found.push_back(line);
        return found;
    }
};
#endif

using LockOrder = FaultsTest;

// The order of a pair, as each way of taking them goes.
TEST_F(LockOrder, TheFirstAskedForWhileTheSecondIsHeldIsLogged) {
    TestLocked<int> first(0);
    TestLocked<int> second(fx::TakenAfter(first), 0);
    const std::wstring fault = L"Lock order";
    struct Case {
        const char* what;
        bool faulty;
        void (*take)(TestLocked<int>& first, TestLocked<int>& second);
    };
    const Case cases[] = {
        {"first, then second", false,
         [](TestLocked<int>& a, TestLocked<int>& b) {
             auto x = a.Lock();
             auto y = b.Lock();
         }},
        {"second alone", false, [](TestLocked<int>&, TestLocked<int>& b) { auto y = b.Lock(); }},
        {"first alone", false, [](TestLocked<int>& a, TestLocked<int>&) { auto x = a.Lock(); }},
        {"both, then the first again", false,
         [](TestLocked<int>& a, TestLocked<int>& b) {
             auto x = a.Lock();
             auto y = b.Lock();
             auto again = a.Lock();
         }},
        {"one after the other", false,
         [](TestLocked<int>& a, TestLocked<int>& b) {
             { auto y = b.Lock(); }
             auto x = a.Lock();
         }},
        {"second, then first", true,
         [](TestLocked<int>& a, TestLocked<int>& b) {
             auto y = b.Lock();
             auto x = a.Lock();
         }},
    };
    size_t logged = 0;
    for (const Case& c : cases) {
        c.take(first, second);
        const size_t now = LinesWith(fault).size();
        EXPECT_EQ(c.faulty ? logged + 1 : logged, now) << c.what;
        logged = now;
        EXPECT_TRUE(FreeForAnotherThread(first)) << c.what;
        EXPECT_TRUE(FreeForAnotherThread(second)) << c.what;
    }
}

// Several firsts before one second, as each panel's value comes before one
// value of the application; a first that goes leaves the second's order.
TEST_F(LockOrder, ManyFirstsComeBeforeOneSecond) {
    const std::wstring fault = L"Lock order";
    TestLocked<int> second(0);
    TestLocked<int> one(fx::TakenBefore(second), 1);
    TestLocked<int> two(fx::TakenBefore(second), 2);
    {
        auto a = one.Lock();
        auto b = second.Lock();
    }
    {
        auto b = two.Lock();
        auto c = second.Lock();
    }
    EXPECT_TRUE(LinesWith(fault).empty());
    {
        auto b = second.Lock();
        auto a = two.Lock();
    }
    EXPECT_EQ(1u, LinesWith(fault).size());
    // A second that goes before its first: the first no longer checks it.
    TestLocked<int> first(0);
    {
        TestLocked<int> shortLived(fx::TakenAfter(first), 0);
        auto b = shortLived.Lock();
        auto a = first.Lock();
    }
    EXPECT_EQ(2u, LinesWith(fault).size());
    { auto a = first.Lock(); }
    EXPECT_EQ(2u, LinesWith(fault).size());
}

}  // namespace

#ifndef _WIN32
void fx::LogFault(const wchar_t* format, ...) { g_Faults.push_back(format); }
#endif
