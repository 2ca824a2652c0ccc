#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "CaptureMath.h"

namespace {

bool Same(const AcroRect& a, const AcroRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(CaptureMath, TheSelectionIsPlacedOnTheScreenAndClippedToTheView) {
    const AcroRect view{400, 300, 900, 600};
    struct Case {
        acrohost::DeviceRect device;
        acrohost::DevicePoint origin;
        AcroRect visible;
    } cases[] = {
        {{150, 60, 250, 80}, {40, 40}, {510, 320, 610, 340}},  // wholly inside
        {{0, 0, 50, 50}, {20, 10}, {400, 300, 430, 340}},      // cut at the left and top
        {{450, 250, 600, 400}, {0, 0}, {850, 550, 900, 600}},  // cut at the right and bottom
        {{150, 60, 250, 80}, {40, 2000}, {0, 0, 0, 0}},        // scrolled out above
        {{150, 60, 250, 80}, {-600, 40}, {0, 0, 0, 0}},        // out to the right
        {{500, 0, 520, 10}, {0, 0}, {0, 0, 0, 0}},             // touching the edge only
        {{10, 10, 10, 30}, {0, 0}, {0, 0, 0, 0}},              // no width
        // The host's extremes: held at the int32 range, then clipped.
        {{INT32_MAX, INT32_MIN, INT32_MAX, INT32_MAX}, {INT32_MIN, INT32_MAX}, {0, 0, 0, 0}},
        {{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, {-5, -5}, {400, 300, 900, 600}},
    };
    for (const auto& c : cases) {
        AcroRect got = Clip(DeviceToScreen(c.device, view, c.origin), view);
        EXPECT_TRUE(Same(got, c.visible)) << got.left << "," << got.top << "," << got.right << "," << got.bottom;
    }
}

TEST(CaptureMath, ChunksAreWidenedByteByByteAndCollectedUpTo256) {
    std::wstring buffer;
    AppendWidened(buffer, "Caf\xE9 ", 5);
    AppendWidened(buffer, "\x80\xFF", 2);
    AppendWidened(buffer, nullptr, 4);
    AppendWidened(buffer, "ignored", 0);
    EXPECT_EQ(buffer, std::wstring(L"Caf\u00E9 \u0080\u00FF"));

    std::wstring text;
    std::string chunk(100, 'a');
    for (int i = 0; i < 3; ++i) AppendWidened(text, chunk.data(), static_cast<int32_t>(chunk.size()));
    EXPECT_EQ(text.size(), 256u);
}

TEST(CaptureMath, ASelectionOfMoreThan255CharactersIsReportedAsNone) {
    EXPECT_EQ(ReportedSelection(std::wstring(255, L'x')), std::wstring(255, L'x'));
    EXPECT_EQ(ReportedSelection(std::wstring(256, L'x')), L"");
    EXPECT_EQ(ReportedSelection(L""), L"");
}

TEST(CaptureMath, TitlesAreDecodedByTheirByteOrderMark) {
    struct Case {
        std::string bytes;
        std::wstring title;
    } cases[] = {
        {"Report", L"Report"},
        {"Caf\xE9", L"Caf\u00E9"},
        {std::string("\xFE\xFF\x00H\x00i", 6), L"Hi"},
        {std::string("\xFE\xFF\x04\x1F\x20\xAC", 6), L"\u041F\u20AC"},
        {std::string("\xFE\xFF\x00H\x00", 5), L"H"},           // odd trailing byte dropped
        {std::string("\xFE\xFF\x00H\x00\x00\x00i", 8), L"H"},  // stops at a 0 unit
        {std::string("\xFE\xFF", 2), L""},
        {std::string("\xFF\xFE\x00", 3), L"\u00FF\u00FE"},  // not the mark: widened
        {std::string("ab\0cd", 5), L"ab"},
        {"", L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(
            DecodeTitle(reinterpret_cast<const unsigned char*>(c.bytes.data()), static_cast<int32_t>(c.bytes.size())),
            c.title);
    }
    EXPECT_EQ(DecodeTitle(nullptr, 5), L"");
}

TEST(CaptureMath, TheFocusedPageViewIsFollowedElseThePreviousWhileItExists) {
    struct Case {
        int focusedNow, previous, count, want;
    } cases[] = {
        {1, 0, 3, 1},     // the focus moved to another view
        {0, -1, 1, 0},    // the first view gets the focus
        {-1, 2, 3, 2},    // no view has the focus: the previous one stays
        {-1, -1, 3, -1},  // none before, none now
        {-1, 2, 2, -1},   // the previous view is gone
        {-1, 0, 0, -1},   // no views at all
    };
    for (const auto& c : cases)
        EXPECT_EQ(FocusedPageView(c.focusedNow, c.previous, c.count), c.want)
            << c.focusedNow << " " << c.previous << " " << c.count;
}

TEST(CaptureMath, AnEmptySelectionIsReportedAsNothing) {
    struct Case {
        AcroRect visible;
        bool cleared;
    } cases[] = {
        {{510, 320, 610, 340}, false},
        {{0, 0, 0, 0}, true},
        {{510, 320, 510, 340}, true},  // no width
        {{510, 340, 610, 320}, true},  // upside down
    };
    for (const auto& c : cases) {
        AcroRect visible = c.visible, view{400, 300, 900, 600};
        std::wstring text = L"Selected words";
        ClearEmptySelection(visible, view, text);
        EXPECT_EQ(Same(visible, AcroRect{}), c.cleared);
        EXPECT_EQ(Same(view, AcroRect{}), c.cleared);
        EXPECT_EQ(text.empty(), c.cleared);
        if (!c.cleared) { EXPECT_TRUE(Same(visible, c.visible)); }
    }
}

}  // namespace
