// The single-instance test on a mutex name of the test's own: a name already
// held by a mutex, and a name that no mutex can take.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/core/main/PondrelApp.h"
#include "fx/Handle.h"

namespace {

std::wstring OwnName(const wchar_t* what) {
    return L"PONDREL-TEST-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + what;
}

TEST(SingleInstance, FreeNameIsKeptAndHeldNameCountsAsRunning) {
    const std::wstring name = OwnName(L"mutex");
    fx::UniqueHandle kept;
    EXPECT_FALSE(IsNamedMutexTaken(name.c_str(), &kept));
    ASSERT_TRUE(kept);
    EXPECT_TRUE(IsNamedMutexTaken(name.c_str()));
    kept.reset();
    EXPECT_FALSE(IsNamedMutexTaken(name.c_str()));
}

// A mutex that cannot be made at all (here the name belongs to an event)
// counts as running: a start must never become a second full instance.
TEST(SingleInstance, AMutexThatCannotBeMadeCountsAsRunning) {
    const std::wstring name = OwnName(L"event");
    fx::UniqueHandle event(::CreateEventW(nullptr, TRUE, FALSE, name.c_str()));
    ASSERT_TRUE(event);
    fx::UniqueHandle kept;
    EXPECT_TRUE(IsNamedMutexTaken(name.c_str(), &kept));
    EXPECT_FALSE(kept);
}

}  // namespace
