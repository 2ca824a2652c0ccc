// "shut": a second start asks the running instance to quit and waits for it.
#include "app/tests/support/ShellHarness.h"

#include <algorithm>

#include "fx/Handle.h"

namespace shell {
namespace {

class Shut : public ShellTest, public ::testing::WithParamInterface<const wchar_t*> {};

TEST_P(Shut, SecondStartMakesTheFirstQuitAndReturnsAfterTheMutexIsGone) {
    Program& first = Start({});
    ASSERT_TRUE(WaitUntilInstance(first));
    size_t before = LineCount();

    DWORD code = 99;
    ASSERT_TRUE(RunToEnd({GetParam()}, &code, 20000));
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(first.child.Wait(0)) << "the first instance has ended before the second returned";
    EXPECT_FALSE(MutexExists());

    auto second = LinesFrom(before);
    EXPECT_TRUE(InOrder(second, {L"Parsing", L"Shut parm recieved", L"Already Running Kill"}));
    std::wstring dashes(65, L'-');
    size_t i = 0;
    while (i < second.size() && second[i].compare(0, 12, L"Quit ticks: ") != 0) ++i;
    ASSERT_LT(i, second.size()) << "no \"Quit ticks: \" line";
    ASSERT_GT(i, 0u);
    ASSERT_LT(i + 1, second.size());
    EXPECT_EQ(second[i - 1], dashes);
    EXPECT_EQ(second[i + 1], dashes);
    std::wstring ms = second[i].substr(12);
    EXPECT_FALSE(ms.empty());
    EXPECT_EQ(ms.find_first_not_of(L"0123456789"), std::wstring::npos) << "decimal milliseconds";
}

INSTANTIATE_TEST_SUITE_P(Forms, Shut, ::testing::Values(L"shut", L"/shut", L"-shut"));

class ShutOther : public ShellTest {};

TEST_F(ShutOther, CapitalShutIsNotTheQuitRequest) {
    Program& first = Start({});
    ASSERT_TRUE(WaitUntilInstance(first));
    size_t before = LineCount();
    DWORD code = 99;
    ASSERT_TRUE(RunToEnd({L"Shut"}, &code, 10000));
    auto second = LinesFrom(before);
    EXPECT_TRUE(Contains(second, L"Already Running Kill"));
    EXPECT_FALSE(Contains(second, L"Shut parm recieved"));
    EXPECT_FALSE(first.child.Wait(300)) << "the first instance must keep running";
    EXPECT_TRUE(MutexHeldByOther());
}

// The first instance goes, but the mutex stays (this test holds it too):
// "shut" gives up after its bound, says so and ends.
TEST_F(ShutOther, ShutGivesUpOnAMutexThatStaysAndSaysSo) {
    Program& first = Start({});
    ASSERT_TRUE(WaitUntilInstance(first));
    fx::UniqueHandle held(::OpenMutexW(SYNCHRONIZE, FALSE, kMutexName));
    ASSERT_TRUE(held);
    size_t before = LineCount();

    DWORD code = 99;
    ASSERT_TRUE(RunToEnd({L"shut"}, &code, 60000)) << "\"shut\" kept waiting for the mutex";
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(first.child.Wait(0)) << "the first instance was asked to quit and did";
    auto second = LinesFrom(before);
    EXPECT_TRUE(InOrder(second, {L"Shut parm recieved", L"Already Running Kill",
                                 L"Shut: the running instance did not end within 30000 ms; giving up"}));
    EXPECT_TRUE(std::any_of(second.begin(), second.end(),
                            [](const std::wstring& l) { return l.compare(0, 12, L"Quit ticks: ") == 0; }));
    held.reset();
    EXPECT_FALSE(MutexExists());
}

TEST_F(ShutOther, ShutWithNothingRunningEndsAtOnce) {
    DWORD code = 99;
    ASSERT_TRUE(RunToEnd({L"shut"}, &code, 10000));
    EXPECT_EQ(code, 0u);
    const auto& lines = Lines();
    EXPECT_TRUE(Contains(lines, L"Shut parm recieved"));
    EXPECT_FALSE(Contains(lines, L"Already Running Kill"));
    EXPECT_FALSE(Contains(lines, L"Create MasterMutex"));
    for (const auto& l : lines) EXPECT_NE(l.compare(0, 12, L"Quit ticks: "), 0) << "nothing to wait for";
    EXPECT_FALSE(MutexExists());
}

}  // namespace
}  // namespace shell
