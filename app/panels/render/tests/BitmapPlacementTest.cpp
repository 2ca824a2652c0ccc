#include "app/panels/render/BitmapPlacement.h"

#include <gtest/gtest.h>

#include <climits>
#include <ostream>

namespace render {

std::ostream& operator<<(std::ostream& os, const ImageDraw& d) {
    return os << "src(" << d.source.x << "," << d.source.y << "," << d.source.width << "," << d.source.height
              << ") -> (" << d.dest.x << "," << d.dest.y << "," << d.dest.width << "," << d.dest.height << ")";
}

namespace {

using templates::LayoutRect;

struct PlacementCase {
    const char* name;
    BitmapStyle style;
    int imageWidth;
    int imageHeight;
    LayoutRect rect;
    int width;
    int height;
    std::vector<ImageDraw> expected;
};

BitmapStyle Style(int repeat, double zoom = 1.0) {
    BitmapStyle s;
    s.repeat = repeat;
    s.zoom = zoom;
    return s;
}

BitmapStyle With(BitmapStyle s, bool BitmapStyle::*flag) {
    s.*flag = true;
    return s;
}

const LayoutRect kRect = {5, 7, 35, 32};  // 30 wide, 25 high

const PlacementCase kCases[] = {
    {"repeat-x tiles the width less one, the last tile cut", Style(templates::kRepeatX), 10, 6, kRect, 30, 25,
     {{{0, 0, 10, 6}, {5, 7, 10, 6}}, {{0, 0, 10, 6}, {15, 7, 10, 6}}, {{0, 0, 9, 6}, {25, 7, 9, 6}}}},
    {"repeat-x with a picture wider than the run draws one cut tile", Style(templates::kRepeatX), 50, 6, kRect, 30,
     25, {{{0, 0, 29, 6}, {5, 7, 29, 6}}}},
    {"repeat-y tiles the zoomed height less one", Style(templates::kRepeatY), 8, 10, kRect, 30, 25,
     {{{0, 0, 8, 10}, {5, 7, 8, 10}}, {{0, 0, 8, 10}, {5, 17, 8, 10}}, {{0, 0, 8, 4}, {5, 27, 8, 4}}}},
    {"unspecified repeat tiles down", Style(templates::kRepeatBoth), 8, 10, kRect, 30, 25,
     {{{0, 0, 8, 10}, {5, 7, 8, 10}}, {{0, 0, 8, 10}, {5, 17, 8, 10}}, {{0, 0, 8, 4}, {5, 27, 8, 4}}}},
    {"no-repeat at zoom 1 draws the picture at the corner", Style(templates::kNoRepeat), 12, 9, kRect, 30, 25,
     {{{0, 0, 12, 9}, {5, 7, 12, 9}}}},
    {"no-repeat at zoom 2 doubles the picture", Style(templates::kNoRepeat, 2.0), 12, 9, kRect, 30, 25,
     {{{0, 0, 12, 9}, {5, 7, 24, 18}}}},
    {"no-repeat at zoom 1.5 keeps the picture's size", Style(templates::kNoRepeat, 1.5), 12, 9, kRect, 30, 25,
     {{{0, 0, 12, 9}, {5, 7, 12, 9}}}},
    {"no-repeat at zoom 0.8 keeps the picture instead of none", Style(templates::kNoRepeat, 0.8), 12, 9, kRect, 30,
     25, {{{0, 0, 12, 9}, {5, 7, 12, 9}}}},
    {"no-repeat at zoom 0.5 with percent sizes fills the zoomed size",
     With(With(Style(templates::kNoRepeat, 0.5), &BitmapStyle::widthPercent), &BitmapStyle::heightPercent), 12, 9,
     kRect, 30, 25, {{{0, 0, 12, 9}, {5, 7, 30, 25}}}},
    {"percent width at zoom 2 doubles the zoomed width", With(Style(templates::kNoRepeat, 2.0), &BitmapStyle::widthPercent),
     12, 9, kRect, 30, 25, {{{0, 0, 12, 9}, {5, 7, 60, 18}}}},
    {"centred picture", With(Style(templates::kNoRepeat), &BitmapStyle::centred), 12, 9, kRect, 30, 25,
     {{{0, 0, 12, 9}, {14, 15, 12, 9}}}},
    {"centred picture larger than the element: half truncates toward zero",
     With(Style(templates::kNoRepeat), &BitmapStyle::centred), 33, 28, kRect, 30, 25,
     {{{0, 0, 33, 28}, {4, 6, 33, 28}}}},
    {"the current-item marker sits 3 pixels higher", With(Style(templates::kNoRepeat), &BitmapStyle::currentItem), 12,
     9, kRect, 30, 25, {{{0, 0, 12, 9}, {5, 4, 12, 9}}}},
    {"unspecified search box: 4 higher, 24 narrower, first column stretched",
     With(Style(templates::kRepeatBoth), &BitmapStyle::searchBox), 40, 20, kRect, 30, 25,
     {{{0, 0, 1, 20}, {5, 3, 16, 20}}}},
    {"search box with repeat-y is tiled", With(Style(templates::kRepeatY), &BitmapStyle::searchBox), 8, 20, kRect, 30,
     25, {{{0, 0, 8, 20}, {5, 7, 8, 20}}, {{0, 0, 8, 4}, {5, 27, 8, 4}}}},
    {"search box narrower than 24 pixels draws nothing (no mirrored picture)",
     With(Style(templates::kNoRepeat), &BitmapStyle::searchBox), 20, 20, kRect, 30, 25, {}},
    {"a picture without pixels draws nothing", Style(templates::kRepeatX), 0, 6, kRect, 30, 25, {}},
    {"an element one pixel wide has no repeat-x run", Style(templates::kRepeatX), 10, 6, {5, 7, 6, 32}, 1, 25, {}},
};

void PrintTo(const PlacementCase& c, std::ostream* os) { *os << c.name; }

class Placement : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(Placement, PlansTheDraws) {
    const PlacementCase& c = GetParam();
    EXPECT_EQ(PlanBitmapDraws(c.style, c.imageWidth, c.imageHeight, c.rect, c.width, c.height), c.expected)
        << c.name;
}

INSTANTIATE_TEST_SUITE_P(Cases, Placement, ::testing::ValuesIn(kCases));

// A hostile template's huge element tiles only where the surface is.
TEST(Placement, HugeRunsArePlannedOnlyWhereTheSurfaceIs) {
    const LayoutRect visible = {0, 0, 100, 80};
    const auto down = PlanBitmapDraws(Style(templates::kRepeatY), 4, 1, {0, INT_MIN / 2, 4, INT_MAX}, 4, INT_MAX,
                                      visible);
    ASSERT_EQ(down.size(), 80u);
    EXPECT_EQ(down.front().dest, (PixelRect{0, 0, 4, 1}));
    EXPECT_EQ(down.back().dest, (PixelRect{0, 79, 4, 1}));

    const auto across = PlanBitmapDraws(Style(templates::kRepeatX), 3, 2, {-7, 0, INT_MAX, 2}, 4, 2, visible);
    ASSERT_EQ(across.size(), 34u);
    EXPECT_EQ(across.front().dest, (PixelRect{-1, 0, 3, 2}));  // reaches into the surface
    EXPECT_EQ(across.back().dest, (PixelRect{98, 0, 3, 2}));  // the last one that reaches into it
}

TEST(Placement, TheIdNamesTheSearchBoxAndTheCurrentItem) {
    const struct {
        const wchar_t* id;
        bool searchBox;
        bool currentItem;
    } cases[] = {
        {L"pq_ecp_search_box_{pq_object_id}", true, false},
        {L"pq_ecp_search_box", true, false},
        {L"pq_ecp_search_bo", false, false},
        {L"x_pq_ecp_search_box", false, false},
        {L"pq_ecp_current_tab", false, true},
        {L"", false, false},
    };
    for (const auto& c : cases) {
        BitmapStyle s;
        ApplyElementId(c.id, s);
        EXPECT_EQ(s.searchBox, c.searchBox) << c.id;
        EXPECT_EQ(s.currentItem, c.currentItem) << c.id;
    }
}

TEST(ElementText, LongTextsAreCutToFortyCharactersAndAnEllipsis) {
    const std::wstring forty(40, L'a');
    EXPECT_EQ(ShortenElementText(L""), L"");
    EXPECT_EQ(ShortenElementText(forty), forty);
    EXPECT_EQ(ShortenElementText(forty + L"b"), forty + L"...");
    EXPECT_EQ(ShortenElementText(forty + L"bcdef"), forty + L"...");
}

}  // namespace
}  // namespace render
