#include "app/core/common/CommonRules.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(NumberToString, IntegerPartInBase10) {
    struct Case {
        double n;
        const wchar_t* text;
    } cases[] = {{0, L"0"},        {2.9, L"2"},   {-2.9, L"-2"},   {42, L"42"},
                 {-0.5, L"0"},     {1e12, L"2147483647"},          {-1e12, L"-2147483648"},
                 {NAN, L"0"},      {2147483647.0, L"2147483647"},  {-2147483648.0, L"-2147483648"}};
    for (const Case& c : cases) EXPECT_EQ(NumberToString(c.n), c.text) << c.n;
}

TEST(CutBrowserArguments, KeepsTheExecutable) {
    struct Case {
        const wchar_t* command;
        const wchar_t* path;
    } cases[] = {
        {L"\"C:\\Program Files\\Internet Explorer\\iexplore.exe\" -nohome",
         L"\"C:\\Program Files\\Internet Explorer\\iexplore.exe\""},
        {L"\"C:\\Program Files\\Internet Explorer\\iexplore.exe\" %1", L"\"C:\\Program Files\\Internet Explorer\\iexplore.exe\""},
        {L"C:\\Program Files\\Mozilla Firefox\\firefox.exe", L"C:\\Program Files\\Mozilla Firefox\\firefox.exe"},
        {L"C:\\windows\\winebrowser.exe -nohome", L"C:\\windows\\winebrowser.exe"},
        {L"winebrowser -nohome", L"winebrowser -nohome"},
        {L"\\x y", L"\\x y"},  // the backslash at index 0 does not count
        {L"", L""},
    };
    for (const Case& c : cases) EXPECT_EQ(CutBrowserArguments(c.command), c.path) << c.command;
}

TEST(Texts, IdsInMemberOrder) {
    EXPECT_EQ(TextIndexOf(1), 0);
    EXPECT_EQ(TextIndexOf(109), 10);
    EXPECT_EQ(TextIndexOf(135), 19);
    EXPECT_EQ(TextIndexOf(101), -1);
    EXPECT_EQ(TextIndexOf(100), -1);
}

}  // namespace
