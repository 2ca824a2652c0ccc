// GetNodeWindowHandle against the fake xpcom.dll beside it.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>

namespace {

typedef uint32_t(__cdecl* GetNodeWindowHandleFn)(void*);
typedef void(__cdecl* SetupFn)(int, uint32_t, void*);
typedef void(__cdecl* ReportFn)(long*, long*);

enum Step { kNone = 0, kManager, kCreate, kAccessible, kQuery, kWindow, kNullWindow, kFault, kHandledException };

class NodeWindowHandle : public ::testing::Test {
protected:
    void SetUp() override {
        helper = ::LoadLibraryW(L"PondrelHXFirefoxV3.dll");
        ASSERT_TRUE(helper) << "helper not loaded: " << ::GetLastError();
        get = reinterpret_cast<GetNodeWindowHandleFn>(::GetProcAddress(helper, "GetNodeWindowHandle"));
        ASSERT_TRUE(get) << "GetNodeWindowHandle is not exported by that name";
        HMODULE fake = ::GetModuleHandleW(L"xpcom.dll");
        ASSERT_TRUE(fake);
        setup = reinterpret_cast<SetupFn>(::GetProcAddress(fake, "FakeXpcomSetup"));
        report = reinterpret_cast<ReportFn>(::GetProcAddress(fake, "FakeXpcomReport"));
        ASSERT_TRUE(setup && report);
    }
    void TearDown() override {
        if (helper) ::FreeLibrary(helper);
    }
    HMODULE helper = nullptr;
    GetNodeWindowHandleFn get = nullptr;
    SetupFn setup = nullptr;
    ReportFn report = nullptr;
};

}  // namespace

TEST_F(NodeWindowHandle, HandleOnSuccessZeroOnEveryFailureEveryObjectReleasedOnce) {
    int node = 0;
    struct Case {
        const char* name;
        int failAt;
        uint32_t expected;
    };
    const Case cases[] = {
        {"success", kNone, 0x00ABCDEF},
        {"no component manager", kManager, 0},
        {"service not created", kCreate, 0},
        {"no accessible for the node", kAccessible, 0},
        {"accessible without the node interface", kQuery, 0},
        {"slot 10 fails", kWindow, 0},
        {"slot 10 writes nothing", kNullWindow, 0},
        {"slot 10 faults", kFault, 0},
        {"slot 10 raises an exception it handles itself", kHandledException, 0x00ABCDEF},
    };
    for (const auto& c : cases) {
        setup(c.failAt, 0x00ABCDEF, &node);
        EXPECT_EQ(c.expected, get(&node)) << c.name;
        long held = -1, over = -1;
        report(&held, &over);
        EXPECT_EQ(0, held) << c.name << ": references left";
        EXPECT_EQ(0, over) << c.name << ": released too often";
    }
    // A node the service does not know.
    setup(kNone, 0x1234, &node);
    int other = 0;
    EXPECT_EQ(0u, get(&other));
}
