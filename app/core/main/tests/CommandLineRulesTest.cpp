// What each command-line token asks for, in a table (the whole program's
// answer to its command line: CommandLineTest.cpp).
#include <gtest/gtest.h>

#include <string>

#include "app/core/main/CommandLineRules.h"

namespace {

using namespace command_line;

TEST(CommandLineRules, WhatEachTokenAsksFor) {
    const std::wstring def = std::wstring(L"guid:") + kDefaultJcmdGuid;
    struct Row {
        std::wstring token;
        bool start, quit, jcmd;
        std::wstring text;
    } rows[] = {
        {L"startup", true, false, false, L""},
        {L"StartUp", true, false, false, L""},
        {L"startup2", false, false, false, L""},
        {L"shut", false, true, false, L""},
        {L"Shut", false, false, false, L""},
        {L"", false, false, false, L""},
        {L"jscmd:open(1)", false, false, true, def + L"open(1)"},
        {L"jscmd:", false, false, true, def},
        {L"say jscmd:go jscmd:x", false, false, true, def + L"go jscmd:x"},
        {L"guid:0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0jscmd:run", false, false, true,
         L"guid:0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0run"},
        {L"guid:12jscmd:go", false, false, true, L"guid:12jscmd:gogo"},
    };
    for (const Row& r : rows) {
        const TokenRequest got = ReadToken(r.token);
        EXPECT_EQ(got.readStartFlag, r.start) << testing::PrintToString(r.token);
        EXPECT_EQ(got.quitOther, r.quit) << testing::PrintToString(r.token);
        EXPECT_EQ(got.writeJcmd, r.jcmd) << testing::PrintToString(r.token);
        EXPECT_EQ(got.jcmdText, r.text) << testing::PrintToString(r.token);
    }
}

}  // namespace
