// The search box's text rules: what a paste inserts and how much of the
// box's text is read.
#include "app/panels/children/SearchText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using panels::BoundSearchText;
using panels::PasteText;

TEST(SearchText, PasteMakesOneLineOfAtMost255Characters) {
    struct Case {
        std::wstring clipboard;
        std::wstring inserted;
    };
    const Case cases[] = {
        {L"pond life", L"pond life"},
        {L"pond\r\nlife", L"pond  life"},  // a pair gives two blanks
        {L"pond\tlife\n", L"pond life "},
        {L"\r\r\t\n", L"    "},
        {L"", L""},
        {std::wstring(300, L'x'), std::wstring(255, L'x')},
        // Cut first, then replaced: a break beyond the cut leaves no blank.
        {std::wstring(255, L'a') + L"\r\nb", std::wstring(255, L'a')},
        {std::wstring(254, L'a') + L"\r\nb", std::wstring(254, L'a') + L" "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.clipboard.substr(0, 20)));
        EXPECT_EQ(c.inserted, PasteText(c.clipboard));
    }
}

TEST(SearchText, SearchTextIsAtMost256Characters) {
    const std::pair<size_t, size_t> cases[] = {{0, 0}, {1, 1}, {255, 255}, {256, 256}, {257, 256}, {300, 256}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        EXPECT_EQ(c.second, BoundSearchText(std::wstring(c.first, L'q')).size());
    }
}

}  // namespace

// The search matrix's timer rules.
#include "app/panels/children/SearchMatrixRules.h"

namespace {

TEST(SearchMatrixRules, HideRules) {
    struct Case {
        bool escape, visible, clickOutsOff;
        const wchar_t* foreground;
        bool hide;
    };
    const Case cases[] = {
        {true, false, true, L"SearchMatrix777", true},  // Escape always hides
        {false, true, false, L"Notepad", true},         // another window in front
        {false, true, false, L"SearchMatrix777", false},
        {false, true, false, L"HoverWin", false},
        {false, true, false, L"", true},                // no foreground window
        {false, true, true, L"Notepad", false},         // click-outs off
        {false, false, false, L"Notepad", false},       // hidden already
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.foreground)));
        panels::MatrixHideInput in;
        in.escapeDown = c.escape;
        in.visible = c.visible;
        in.clickOutsOff = c.clickOutsOff;
        in.foregroundClass = c.foreground;
        EXPECT_EQ(c.hide, panels::MatrixShouldHide(in));
    }
}

TEST(SearchMatrixRules, CountdownBringsToFrontOnceAtZero) {
    int count = 2;
    EXPECT_FALSE(panels::MatrixCountdownTick(count));
    EXPECT_EQ(1, count);
    EXPECT_TRUE(panels::MatrixCountdownTick(count));
    EXPECT_EQ(0, count);
    EXPECT_FALSE(panels::MatrixCountdownTick(count));
    count = -3;
    EXPECT_FALSE(panels::MatrixCountdownTick(count));
    EXPECT_EQ(-3, count);
}

}  // namespace
