// The menus' layout rules: measuring, hit-testing, the hot item, guess
// items and the frame's tiling plan.
#include <gtest/gtest.h>

#include <string>

#include "app/selection/menus/MenuItems.h"

using menu_layout::Blit;
using menu_layout::PlanFrame;
using List = BasicMenuItemList<MenuItemData>;

namespace {

MenuItemData* AddItem(List& list, const std::wstring& text, bool atHead = false) {
    auto item = std::make_unique<MenuItemData>();
    item->m_Text = text;
    return list.Add(std::move(item), atHead);
}

MenuItemData* AddSeparator(List& list) {
    auto item = std::make_unique<MenuItemData>();
    item->m_Text.clear();
    item->m_Id.clear();
    item->m_Height = menu_layout::kSeparatorHeight;
    item->m_Separator = true;
    return list.Add(std::move(item), false);
}

// Text widths as if every character were 6 pixels wide.
int32_t Measure(const MenuItemData& item) {
    return menu_layout::ItemWidth(item, 6.0f * static_cast<float>(item.m_Text.size()) + 0.75f, 0);
}

}  // namespace

TEST(MenuLayout, WidthAndHeight) {
    struct Case {
        const char* name;
        std::vector<std::wstring> texts;  // "-" is a separator
        bool wide;
        int32_t width, height;
    };
    const Case cases[] = {
        {"empty menu", {}, false, 0, 5},
        {"empty wide menu", {}, true, 0, 5},
        {"short texts, wide", {L"Ab", L"Search"}, true, 180, 19 + 19 + 5},
        {"short texts, narrow", {L"Ab", L"Search"}, false, 6 * 6 + 35, 19 + 19 + 5},
        {"a long text, wide", {std::wstring(30, L'x')}, true, 30 * 6 + 35, 19 + 5},
        {"separators are 11 high", {L"a", L"-", L"b", L"-"}, true, 180, 19 + 11 + 19 + 11 + 5},
    };
    for (const Case& c : cases) {
        List list;
        for (const auto& t : c.texts) (t == L"-") ? AddSeparator(list) : AddItem(list, t);
        menu_layout::Size size = list.Measure(c.wide, Measure);
        EXPECT_EQ(size.width, c.width) << c.name;
        EXPECT_EQ(size.height, c.height) << c.name;
        int32_t y = 0;
        for (size_t i = 0; i < list.GetCount(); ++i) {
            EXPECT_EQ(list.GetAt(i)->m_X, 1) << c.name;
            EXPECT_EQ(list.GetAt(i)->m_Y, y) << c.name;
            EXPECT_EQ(list.GetAt(i)->m_Width, c.width) << c.name;
            y += list.GetAt(i)->m_Height;
        }
    }
}

TEST(MenuLayout, ItemWidthKeepsPanelItemsAndAddsTheIcon) {
    MenuItemData item;
    item.m_Text = L"x";
    EXPECT_EQ(menu_layout::ItemWidth(item, 40.9f, 0), 75);
    EXPECT_EQ(menu_layout::ItemWidth(item, 40.9f, 16), 91);
    item.m_FixedWidth = true;
    item.m_Width = 222;
    EXPECT_EQ(menu_layout::ItemWidth(item, 40.9f, 16), 222);
}

TEST(MenuLayout, HitTestAndSelectedItem) {
    // Items: 0 "a" (0..18), 1 separator (19..29), 2 "b" (30..48).
    List list;
    AddItem(list, L"a");
    AddSeparator(list);
    AddItem(list, L"b");
    struct Case {
        int32_t y;
        int index;
    };
    const Case cases[] = {{-5, 0}, {0, 0}, {18, 0}, {19, -1}, {29, -1}, {30, 2}, {48, 2}, {49, -1}, {500, -1}};
    for (const Case& c : cases) EXPECT_EQ(list.HitTest(77, c.y), c.index) << c.y;

    List empty;
    EXPECT_EQ(empty.HitTest(0, 0), -1);
    EXPECT_EQ(empty.GetSelectedItem(), nullptr);

    const std::pair<int, const MenuItemData*> hot[] = {
        {-1, nullptr}, {0, list.GetAt(0)}, {1, nullptr}, {2, list.GetAt(2)}, {3, nullptr}};
    for (const auto& h : hot) {
        list.m_HotIndex = h.first;
        EXPECT_EQ(list.GetSelectedItem(), h.second) << h.first;
    }
}

TEST(MenuLayout, AddAtHeadAndRemoveGuessItems) {
    List list;
    AddItem(list, L"category");
    MenuItemData* guess = AddItem(list, L"guess", true);
    guess->m_Guess = true;
    AddItem(list, L"first", true);
    ASSERT_EQ(list.GetCount(), 3u);
    EXPECT_EQ(list.GetAt(0)->m_Text, L"first");
    EXPECT_EQ(list.GetAt(1)->m_Text, L"guess");
    list.m_HotIndex = 2;  // "category", which moves up a row
    list.RemoveGuessItems();
    EXPECT_EQ(list.m_HotIndex, -1);
    ASSERT_EQ(list.GetCount(), 2u);
    EXPECT_EQ(list.GetAt(0)->m_Text, L"first");
    EXPECT_EQ(list.GetAt(1)->m_Text, L"category");
}

TEST(MenuLayout, IsPanelTypeIgnoresCase) {
    EXPECT_TRUE(menu_layout::IsPanelType(L"pq_default"));
    EXPECT_TRUE(menu_layout::IsPanelType(L"PQ_Default"));
    EXPECT_FALSE(menu_layout::IsPanelType(L"http://x/?q={pq_token}"));
    EXPECT_FALSE(menu_layout::IsPanelType(L""));
}

TEST(MenuLayout, SubMenuBesideItsItemOrFlippedToTheLeft) {
    // A 180 x 100 sub-menu; the anchor is the parent's item moved by 16, 4.
    struct Case {
        const char* name;
        IntRect anchor, work, expected;
    } cases[] = {
        {"right of the item", {117, 104, 297, 123}, {0, 0, 1280, 1000}, {277, 100, 457, 200}},
        {"below the top edge", {117, -10, 297, 9}, {0, 0, 1280, 1000}, {277, 4, 457, 104}},
        {"at the right edge: on the left", {1110, 104, 1290, 123}, {0, 0, 1280, 1000}, {934, 100, 1114, 200}},
        {"in the bottom right corner: on the left, raised", {1110, 954, 1290, 973}, {0, 0, 1280, 1000},
         {934, 896, 1114, 996}},
        {"flipped past the left edge: kept on the area", {100, 104, 280, 123}, {0, 0, 300, 1000},
         {4, 100, 184, 200}},
    };
    for (const Case& c : cases) {
        const IntRect r = menu_layout::PlaceSubMenu(c.anchor, 180, 100, c.work);
        EXPECT_EQ(r, c.expected) << c.name << ": " << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    }
}

TEST(MenuFrame, TilesEveryItemAndStopsOnAShortImage) {
    // Frame image 20 x 22: tiles of at most 10 rows.
    std::vector<Blit> plan = PlanFrame(180, {19, 11}, 20, 22);
    auto str = [](const Blit& b) {
        return std::to_string(b.x) + "," + std::to_string(b.y) + " " + std::to_string(b.w) + "x" +
               std::to_string(b.h) + " @" + std::to_string(b.dx) + "," + std::to_string(b.dy);
    };
    std::vector<std::string> got;
    for (const Blit& b : plan) got.push_back(str(b));
    const std::vector<std::string> expected = {
        "0,0 177x1 @0,0",                             // top strip
        "0,0 1x10 @0,1",  "17,10 3x10 @177,1",        // first item, first tile
        "0,0 1x9 @0,11",  "17,10 3x9 @177,11",        // cut to the item's rest
        "0,0 1x10 @0,20", "17,10 3x10 @177,20",       // second item
        "0,0 1x1 @0,30",  "17,10 3x1 @177,30",
        "0,19 178x3 @0,31",                           // bottom strip after the items
    };
    EXPECT_EQ(got, expected);

    // A frame image 12 rows high or less gives no tile, a missing one no
    // frame: the frame is left out (it used to tile for ever).
    EXPECT_TRUE(PlanFrame(180, {19}, 20, 12).empty());
    EXPECT_TRUE(PlanFrame(180, {19}, 20, 5).empty());
    EXPECT_TRUE(PlanFrame(180, {19}, 0, 0).empty());
    // 13 rows: one-row tiles.
    EXPECT_EQ(PlanFrame(180, {19}, 20, 13).size(), 1u + 2u * 19u + 1u);
    // An empty menu: the strips only.
    EXPECT_EQ(PlanFrame(0, {}, 20, 22).size(), 2u);
}
