// The record shared by several host processes, each with the plug-in loaded
// in the stand-in host.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "RecordFile.h"
#include "TestSupport.h"
#include "ViewerLog.h"

using acrotest::Text;

namespace {

const std::wstring kPlugin = testsupport::WinPath(ACROBAT_PLUGIN);

class HostProcess {
public:
    explicit HostProcess(const std::wstring& tag)
        : ready_(::CreateEventW(nullptr, TRUE, FALSE, (L"AcroHostReady_" + tag).c_str())),
          quit_(::CreateEventW(nullptr, TRUE, FALSE, (L"AcroHostQuit_" + tag).c_str())),
          starting_(::CreateEventW(nullptr, TRUE, FALSE, (L"AcroHostStarting_" + tag).c_str())),
          tag_(tag) {}
    bool Start(std::vector<std::wstring> extra = {}) {
        std::vector<std::wstring> args = {kPlugin, tag_};
        args.insert(args.end(), extra.begin(), extra.end());
        return child_.Start(ACRO_HOST_EXE, args);
    }
    // The host is about to start the plug-in (whose start attaches to the record).
    bool WaitStarting(DWORD ms = 15000) { return ::WaitForSingleObject(starting_.get(), ms) == WAIT_OBJECT_0; }
    bool WaitReady(DWORD ms = 15000) { return ::WaitForSingleObject(ready_.get(), ms) == WAIT_OBJECT_0; }
    bool Quit(DWORD ms = 15000) {
        ::SetEvent(quit_.get());
        DWORD code = 99;
        return child_.Wait(ms, &code) && code == 0;
    }
    void Kill() { child_.Kill(); }

private:
    fx::UniqueHandle ready_, quit_, starting_;
    std::wstring tag_;
    testsupport::Child child_;
};

class HostProcessesTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(viewer.Create()); }
    int Occurrences(const std::wstring& line) {
        auto lines = viewer.ReadAll();
        return static_cast<int>(std::count(lines.begin(), lines.end(), line));
    }
    ViewerLog viewer;
};

TEST_F(HostProcessesTest, TheFirstHostCreatesTheRecordAndASecondJoinsItWithoutClearing) {
    HostProcess a(L"join_a"), b(L"join_b");
    ASSERT_TRUE(a.Start({L"select", L"from A", L"title", L"Doc A"}));
    ASSERT_TRUE(a.WaitReady());
    AcrobatRecord r;
    ASSERT_EQ(acrotest::ReadRecord(r), 0);
    EXPECT_EQ(r.attachCount, 1);
    EXPECT_EQ(Text(r.entryTexts[0]), L"from A");
    EXPECT_EQ(Occurrences(L"(PondrelHXAcrobat) Reference count = 1"), 1);

    ASSERT_TRUE(b.Start());
    ASSERT_TRUE(b.WaitReady());
    ASSERT_EQ(acrotest::ReadRecord(r), 0);
    EXPECT_EQ(r.attachCount, 2);
    EXPECT_EQ(r.entryCount, 1);
    EXPECT_EQ(Text(r.entryTexts[0]), L"from A") << "joining leaves the content";
    EXPECT_EQ(Text(r.title), L"Doc A");
    EXPECT_EQ(Occurrences(L"(PondrelHXAcrobat) Reference count = 2"), 1);

    ASSERT_TRUE(b.Quit());
    ASSERT_EQ(acrotest::ReadRecord(r), 0);
    EXPECT_EQ(r.attachCount, 1) << "the detach counts down";
    ASSERT_TRUE(a.Quit());
}

TEST_F(HostProcessesTest, AHostKilledWhileHoldingTheMutexDoesNotLockTheOthersOut) {
    HostProcess keeper(L"kill_keeper"), victim(L"kill_victim"), next(L"kill_next");
    ASSERT_TRUE(keeper.Start());
    ASSERT_TRUE(keeper.WaitReady());
    ASSERT_TRUE(victim.Start({L"select", L"lost", L"hang"}));
    ASSERT_TRUE(victim.WaitReady()) << "the victim stopped holding the mutex";
    victim.Kill();

    ASSERT_TRUE(next.Start({L"select", L"after the kill", L"title", L"Next"}));
    ASSERT_TRUE(next.WaitReady());
    AcrobatRecord r;
    ASSERT_EQ(acrotest::ReadRecord(r), 0) << "the reader is not locked out";
    EXPECT_EQ(r.attachCount, 3);
    EXPECT_EQ(Text(r.entryTexts[0]), L"after the kill");
    EXPECT_EQ(Text(r.title), L"Next");
    EXPECT_GE(Occurrences(L"(PondrelHXAcrobat) Record mutex was abandoned by its owner; taken over"), 1);
    ASSERT_TRUE(next.Quit());
    ASSERT_TRUE(keeper.Quit());
}

TEST_F(HostProcessesTest, HostsAttachingTogetherBehindAHeldMutexDoNotBothClear) {
    // Someone else made and holds the mutex before any host: the hosts wait
    // behind it, then exactly one of them creates and clears the block.
    fx::UniqueHandle mutex(::CreateMutexW(nullptr, TRUE, AcrobatRecordLayout::kMutexName));
    ASSERT_TRUE(mutex);
    HostProcess b(L"together_b"), c(L"together_c");
    ASSERT_TRUE(b.Start());
    ASSERT_TRUE(c.Start());
    // Let go once both are about to attach (each attach waits only briefly).
    ASSERT_TRUE(b.WaitStarting());
    ASSERT_TRUE(c.WaitStarting());
    ::ReleaseMutex(mutex.get());
    ASSERT_TRUE(b.WaitReady());
    ASSERT_TRUE(c.WaitReady());
    AcrobatRecord r;
    ASSERT_EQ(acrotest::ReadRecord(r), 0);
    EXPECT_EQ(r.attachCount, 2);
    EXPECT_EQ(Occurrences(L"(PondrelHXAcrobat) Reference count = 1"), 1);
    EXPECT_EQ(Occurrences(L"(PondrelHXAcrobat) Reference count = 2"), 1);
    ASSERT_TRUE(b.Quit());
    ASSERT_TRUE(c.Quit());
}

}  // namespace
