// fx::ThreadBound: a value of one thread is used freely there, and each use
// from another thread is logged as a fault naming the value and both threads.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "LoggedFaults.h"
#include "fx/ThreadBound.h"

namespace {

using ThreadBoundTest = fxtest::LoggedFaults;

TEST_F(ThreadBoundTest, AUseFromAnotherThreadIsLogged) {
    fx::ThreadBound<std::wstring> value(L"Probe::m_Text", L"start");
    const std::wstring fault = L"Probe::m_Text used on thread";
    // Its own thread: every way of reaching it, no fault.
    value.Set(L"own");
    EXPECT_EQ(L"own", value.Get());
    EXPECT_EQ(3u, value->size());
    EXPECT_TRUE(value.OnOwnThread());
    EXPECT_EQ(::GetCurrentThreadId(), value.OwnThread());
    EXPECT_TRUE(LinesWith(fault).empty());

    // Another thread: one fault per use, naming the two threads.
    DWORD other = 0;
    bool onOwn = true;
    std::thread([&] {
        other = ::GetCurrentThreadId();
        onOwn = value.OnOwnThread();
        const fx::ThreadBound<std::wstring>& readOnly = value;
        (void)readOnly.Get();
        value.Set(L"foreign");
    }).join();
    EXPECT_FALSE(onOwn);
    const auto lines = LinesWith(fault);
    ASSERT_EQ(2u, lines.size());
    const std::wstring threads = std::to_wstring(other) + L", not its own thread " +
                                 std::to_wstring(::GetCurrentThreadId());
    EXPECT_NE(std::wstring::npos, lines[0].find(threads)) << lines[0];
    // The use itself went on.
    EXPECT_EQ(L"foreign", value.Get());
    EXPECT_EQ(2u, LinesWith(fault).size());
}

}  // namespace
