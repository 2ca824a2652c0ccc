// GetNodeWindowHandle against the fake xpcom.dll beside it.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>

namespace {

typedef uint32_t(__cdecl* GetNodeWindowHandleFn)(void*);
typedef void(__cdecl* SetupFn)(int, uint32_t, void*);
typedef void(__cdecl* ReportFn)(long*, long*);

typedef long(__cdecl* UnwindsFn)();

enum Step {
    kNone = 0,
    kManager,
    kCreate,
    kAccessible,
    kQuery,
    kWindow,
    kNullWindow,
    kFault,
    kHandledException,
    kHandledFault,
    kDeclinedFault
};

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
        unwinds = reinterpret_cast<UnwindsFn>(::GetProcAddress(fake, "FakeXpcomFrameUnwinds"));
        ASSERT_TRUE(setup && report && unwinds);
    }
    void TearDown() override {
        if (helper) ::FreeLibrary(helper);
    }
    HMODULE helper = nullptr;
    GetNodeWindowHandleFn get = nullptr;
    SetupFn setup = nullptr;
    ReportFn report = nullptr;
    UnwindsFn unwinds = nullptr;
};

}  // namespace

TEST_F(NodeWindowHandle, HandleOnSuccessZeroOnEveryFailureEveryObjectReleasedOnce) {
    int node = 0;
    struct Case {
        const char* name;
        int failAt;
        uint32_t expected;
        long frameUnwinds = 0;  // unwinds the faulting frame's own handler is told of
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
        // Firefox's own frame handlers come first: a fault one of them
        // handles never reaches the guard; one they decline does, and they
        // are unwound before the guard gives 0.
        {"slot 10 faults in a frame of its own that handles the fault", kHandledFault, 0x00ABCDEF},
        {"slot 10 faults in a frame of its own that declines the fault", kDeclinedFault, 0, 1},
    };
    for (const auto& c : cases) {
        setup(c.failAt, 0x00ABCDEF, &node);
        unwinds();
        EXPECT_EQ(c.expected, get(&node)) << c.name;
        EXPECT_EQ(c.frameUnwinds, unwinds()) << c.name;
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
