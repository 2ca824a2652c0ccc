// The end of a dock whose thread hangs holding g_DockLock (its own binary:
// the lock stays held by the terminated thread for the rest of the process).
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <memory>

#include "app/core/common/GlobalLocks.h"
#include "app/core/main/PondrelApp.h"
#include "app/panels/dock/DockThread.h"
#include "tests/support/TestSupport.h"

namespace {

using testsupport::WaitFor;

// The dock's end terminates the thread after its bound and then takes that
// lock no more: the thread object and its bar are left to the process's end.
// The end runs on a thread of its own, so that a hang fails this test only.
TEST(DockEnd, AThreadTerminatedHoldingTheDockLockIsLeftAlone) {
    RegisterPondrelWindowClasses(::GetModuleHandleW(nullptr));
    std::unique_ptr<DockOps> dock = MakeDock(nullptr);
    ASSERT_NE(dock, nullptr);
    ASSERT_TRUE(WaitFor([&] { return dock->Window() != nullptr; }, 10000));
    std::atomic<bool> holding{false};
    ASSERT_TRUE(dock->Thread().PostTask([&holding] {
        g_DockLock.Lock();
        holding = true;
        for (int i = 0; i < 600; ++i) ::Sleep(100);
        g_DockLock.Unlock();
    }));
    ASSERT_TRUE(WaitFor([&] { return holding.load(); }, 5000));
    const HANDLE thread = dock->Thread().handle();
    fx::UiThread owner;
    ASSERT_TRUE(owner.Start(fx::Apartment::None, false));
    DockOps* raw = dock.release();
    EXPECT_TRUE(testsupport::RunOn(owner, [raw] { delete raw; }, 20000))
        << "the dock's end waited for the lock its terminated thread held";
    EXPECT_EQ(::WaitForSingleObject(thread, 0), WAIT_OBJECT_0) << "the thread was terminated";
    EXPECT_TRUE(owner.Quit(5000));
}

}  // namespace
