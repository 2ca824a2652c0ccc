// The per-user values: UserID and TID made once and kept, NewInstall.
#include <cwctype>

#include "app/tests/support/ShellHarness.h"

namespace shell {
namespace {

bool IsGuidText(const std::wstring& s) {
    if (s.size() != 36) return false;
    for (size_t i = 0; i < s.size(); ++i) {
        bool hyphen = i == 8 || i == 13 || i == 18 || i == 23;
        if (hyphen ? s[i] != L'-' : !iswxdigit(s[i])) return false;
    }
    return true;
}

class UserValues : public ShellTest {
protected:
    void StartAndQuit() {
        Program& p = Start({});
        ASSERT_TRUE(WaitUntilInstance(p));
        DWORD code = 99;
        ASSERT_TRUE(QuitInstance(p, &code));
    }
};

TEST_F(UserValues, IdsAreWrittenOnceWithoutBracesAndKeptAcrossStarts) {
    DeleteUserTree();  // a first run: not even "Software\Pondrel" exists
    ASSERT_NO_FATAL_FAILURE(StartAndQuit());
    std::wstring user, tid, mark;
    ASSERT_TRUE(GetUserValue(L"UserID", user));
    ASSERT_TRUE(GetUserValue(L"TID", tid));
    EXPECT_TRUE(IsGuidText(user)) << std::string(user.begin(), user.end());
    EXPECT_TRUE(IsGuidText(tid)) << std::string(tid.begin(), tid.end());
    EXPECT_NE(user, tid);
    ASSERT_TRUE(GetUserValue(L"NewInstall", mark));
    EXPECT_EQ(mark, L"No");

    ASSERT_NO_FATAL_FAILURE(StartAndQuit());
    std::wstring user2, tid2;
    ASSERT_TRUE(GetUserValue(L"UserID", user2));
    ASSERT_TRUE(GetUserValue(L"TID", tid2));
    EXPECT_EQ(user2, user);
    EXPECT_EQ(tid2, tid);
    ASSERT_TRUE(GetUserValue(L"NewInstall", mark));
    EXPECT_EQ(mark, L"No");
}

TEST_F(UserValues, AnIdTooLongToReadIsReplacedAndOtherValuesStay) {
    DeleteUserTree();
    const std::wstring tooLong(200, L'A');
    SetUserValue(L"UserID", tooLong.c_str());
    SetUserValue(L"TID", L"11111111-2222-3333-4444-555555555555");
    SetUserValue(L"NewInstall", L"Yes");
    ASSERT_NO_FATAL_FAILURE(StartAndQuit());
    std::wstring user, tid, mark;
    ASSERT_TRUE(GetUserValue(L"UserID", user));
    EXPECT_TRUE(IsGuidText(user)) << "an over-long value reads as empty";
    ASSERT_TRUE(GetUserValue(L"TID", tid));
    EXPECT_EQ(tid, L"11111111-2222-3333-4444-555555555555");
    ASSERT_TRUE(GetUserValue(L"NewInstall", mark));
    EXPECT_EQ(mark, L"No");

    SetUserValue(L"NewInstall", L"later");
    ASSERT_NO_FATAL_FAILURE(StartAndQuit());
    ASSERT_TRUE(GetUserValue(L"NewInstall", mark));
    EXPECT_EQ(mark, L"later") << "only empty or \"Yes\" is a first run";
}

}  // namespace
}  // namespace shell
