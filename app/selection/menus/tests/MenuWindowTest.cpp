// The menu window under Wine: creation, measuring, hot items on mouse moves,
// the choice on button release, sub-menus made once and placed beside their
// item, and the back buffer's pixels.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/core/main/PondrelApp.h"
#include "app/selection/menus/TxMenuWin.h"
#include "fx/GdiPlus.h"
#include "app/tests/support/MenuTestEnv.h"
#include "tests/support/GdiplusTestEnv.h"
#include "tests/support/TestSupport.h"

namespace {

const auto* const kEnv = ::testing::AddGlobalTestEnvironment(new MenuWindowsEnv);

class RecordingMenu : public TxMenuWin {
public:
    std::vector<std::wstring> chosen;
    void OnItemChosen(MyMenuItem* item) override {
        chosen.push_back(item->m_Text);
        TxMenuWin::OnItemChosen(item);
    }
    void Move(int x, int y) { ::SendMessageW(hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }
    void Release(int x, int y) { ::SendMessageW(hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }
};

RECT WindowRect(HWND w) {
    RECT r{};
    ::GetWindowRect(w, &r);
    return r;
}

int Channel(uint32_t pixel, int shift) { return static_cast<int>((pixel >> shift) & 0xFF); }

class Menu : public testing::Test {
protected:
    void SetUp() override {
        menu_.m_Wide = true;
        ASSERT_TRUE(menu_.CreateMenu(L"TxMenu"));
    }
    // A category item above an "other" item, the menu shown at (100, 100)
    // and the pointer moved twice over the category: its sub-menu is made.
    MyMenuItem* ShowCategory() {
        MyMenuItem* category = menu_.AddItem(L"Category", L"c1", 1);
        category->m_Index = 1;
        menu_.AddItem(L"other", L"2", 0);
        menu_.ShowAt(RECT{100, 100, 110, 100}, nullptr, nullptr);
        menu_.Move(40, 5);
        menu_.Move(40, 5);
        return category;
    }
    static RECT WorkArea() {
        RECT work{};
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        return work;
    }
    RecordingMenu menu_;
};

TEST_F(Menu, ClassNameAndStyles) {
    wchar_t cls[64] = {}, title[64] = {};
    ::GetClassNameW(menu_.hwnd(), cls, 64);
    ::GetWindowTextW(menu_.hwnd(), title, 64);
    EXPECT_STREQ(cls, L"PondMenu");
    EXPECT_STREQ(title, L"TxMenu");
    EXPECT_EQ(static_cast<DWORD>(::GetWindowLongPtrW(menu_.hwnd(), GWL_EXSTYLE)) & 0x08080088u, 0x08080088u);
    EXPECT_FALSE(menu_.IsVisible());
}

TEST_F(Menu, EmptyAndWideMeasures) {
    menu_.ShowAt(RECT{10, 10, 20, 20}, nullptr, nullptr);
    EXPECT_EQ(menu_.m_Width, 0);
    EXPECT_EQ(menu_.m_Height, 5);
    EXPECT_EQ(menu_.m_Items.HitTest(0, 0), -1);

    menu_.AddItem(L"Ab", L"1", 0);
    menu_.AddSeparator();
    menu_.AddItem(L"Search", L"2", 0);
    menu_.ShowAt(RECT{10, 10, 20, 20}, nullptr, nullptr);
    EXPECT_EQ(menu_.m_Width, 180);
    EXPECT_EQ(menu_.m_Height, 19 + 11 + 19 + 5);
    RECT r = WindowRect(menu_.hwnd());
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 20);  // below the anchor
    EXPECT_EQ(r.right - r.left, 180);
    EXPECT_TRUE(menu_.IsVisible());
}

TEST_F(Menu, HotItemAfterTheSecondMoveSeparatorsNeverHot) {
    menu_.AddItem(L"first", L"1", 0);
    menu_.AddSeparator();
    menu_.AddItem(L"second", L"2", 0);
    menu_.ShowAt(RECT{10, 10, 20, 20}, nullptr, nullptr);
    menu_.Move(50, 35);  // asks for mouse-leave tracking only
    EXPECT_EQ(menu_.m_Items.m_HotIndex, -1);
    menu_.Move(50, 35);
    EXPECT_EQ(menu_.m_Items.m_HotIndex, 2);
    menu_.Move(50, 22);  // the separator
    EXPECT_EQ(menu_.m_Items.m_HotIndex, -1);
    menu_.Release(50, 22);
    EXPECT_TRUE(menu_.chosen.empty());
    EXPECT_FALSE(menu_.IsVisible()) << "a release anywhere closes the menu";
}

TEST_F(Menu, ReleaseChoosesTheItemUnderIt) {
    menu_.AddItem(L"first", L"1", 0);
    MyMenuItem* off = menu_.AddItem(L"disabled", L"2", 0);
    off->m_Disabled = true;
    menu_.ShowAt(RECT{10, 10, 20, 20}, nullptr, nullptr);
    menu_.Release(40, 5);
    EXPECT_EQ(menu_.chosen, std::vector<std::wstring>{L"first"});
    EXPECT_FALSE(menu_.IsVisible());
    menu_.ShowAt(RECT{10, 10, 20, 20}, nullptr, nullptr);
    menu_.Release(40, 25);
    EXPECT_EQ(menu_.chosen.size(), 1u) << "a disabled item is never chosen";
}

TEST_F(Menu, SubMenuMadeOnceReusedAndPlacedBesideOrFlipped) {
    const RECT work = WorkArea();
    MyMenuItem* category = ShowCategory();
    ASSERT_TRUE(category->m_pSubMenu);
    TxMenuWin* sub = category->m_pSubMenu.get();
    EXPECT_EQ(menu_.m_pOpenSubMenu, sub);
    EXPECT_EQ(sub->m_pParentMenu, &menu_);
    sub->AddItem(L"a search", L"s1", 0);

    menu_.Move(40, 25);  // the other item: the sub-menu closes
    EXPECT_EQ(menu_.m_pOpenSubMenu, nullptr);
    EXPECT_FALSE(sub->IsVisible());
    menu_.Move(40, 5);  // back: the same window again, shown on the right
    EXPECT_EQ(category->m_pSubMenu.get(), sub);
    ASSERT_TRUE(sub->IsVisible());
    RECT m = WindowRect(menu_.hwnd()), s = WindowRect(sub->hwnd());
    EXPECT_EQ(s.left, m.left + 1 + 16 + 180 - 20);
    EXPECT_EQ(s.top, m.top + 0 + 4 - 4);

    // At the work area's right edge it opens on the left.
    menu_.HideMenu();
    menu_.ShowAt(RECT{work.right - 190, 100, work.right - 180, 100}, nullptr, nullptr);
    menu_.Move(40, 25);
    menu_.Move(40, 5);
    ASSERT_TRUE(sub->IsVisible());
    m = WindowRect(menu_.hwnd());
    s = WindowRect(sub->hwnd());
    EXPECT_LT(s.right, m.left + 40);
    EXPECT_EQ(s.left, m.left + 1 + 16 - sub->m_Width + 4);

    // With the sub-menu attached, a release on the root menu does nothing.
    menu_.Release(40, 25);
    EXPECT_TRUE(menu_.IsVisible());
    EXPECT_TRUE(menu_.chosen.empty());
    // A choice in the sub-menu reaches the root menu and closes both.
    ::SendMessageW(sub->hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(40, 5));
    EXPECT_EQ(menu_.chosen, std::vector<std::wstring>{L"a search"});
    EXPECT_FALSE(menu_.IsVisible());
    EXPECT_FALSE(sub->IsVisible());
}

// Near the work area's bottom right corner the sub-menu opens on the left
// and keeps being raised above the bottom edge.
TEST_F(Menu, SubMenuInTheBottomRightCornerOpensOnTheLeftRaised) {
    const RECT work = WorkArea();
    MyMenuItem* category = ShowCategory();
    ASSERT_TRUE(category->m_pSubMenu);
    TxMenuWin* sub = category->m_pSubMenu.get();
    for (int i = 0; i < 5; ++i) sub->AddItem(L"entry", std::to_wstring(i), 0);  // 100 pixels high
    menu_.HideMenu();

    menu_.ShowAt(RECT{work.right - 190, work.bottom - 30, work.right - 180, work.bottom - 30}, nullptr, nullptr);
    menu_.Move(40, 25);
    menu_.Move(40, 5);
    ASSERT_TRUE(sub->IsVisible());
    const RECT m = WindowRect(menu_.hwnd()), s = WindowRect(sub->hwnd());
    EXPECT_EQ(s.left, m.left + 1 + 16 - sub->m_Width + 4);
    EXPECT_EQ(s.bottom - s.top, 100);
    EXPECT_EQ(s.bottom, work.bottom - 4);
}

TEST_F(Menu, PaintsWhiteItemsAndTheTintedHotRow) {
    menu_.AddItem(L"", L"1", 0);  // empty texts: plain backgrounds
    menu_.AddItem(L"", L"2", 0);
    menu_.ShowAt(RECT{10, 10, 20, 20}, nullptr, nullptr);
    menu_.Move(40, 25);
    menu_.Move(40, 25);
    ASSERT_EQ(menu_.m_Items.m_HotIndex, 1);
    ASSERT_TRUE(menu_.m_pBackBuffer);
    const uint32_t plain = menu_.m_pBackBuffer->Pixel(60, 1 + 9);
    EXPECT_EQ(plain, 0xFFFFFFFFu);
    const uint32_t hot = menu_.m_pBackBuffer->Pixel(60, 1 + 19 + 9);
    COLORREF hl = ::GetSysColor(COLOR_HIGHLIGHT);
    auto blend = [](int over) { return (over * 112 + 255 * (255 - 112)) / 255; };
    EXPECT_EQ(Channel(hot, 24), 255);
    EXPECT_NEAR(Channel(hot, 16), blend(GetRValue(hl)), 3);
    EXPECT_NEAR(Channel(hot, 8), blend(GetGValue(hl)), 3);
    EXPECT_NEAR(Channel(hot, 0), blend(GetBValue(hl)), 3);
    // Outside the items (the right frame columns, no frame image): clear.
    EXPECT_EQ(menu_.m_pBackBuffer->Pixel(menu_.m_Width - 1, 10) >> 24, 0u);
}

// With the demo install's images in the shared graphics: the frame's
// columns come from the frame image, the arrow of a category item from the
// arrow image, at their places.
TEST_F(Menu, PaintsTheFrameAndTheArrowFromTheSharedImages) {
    const std::wstring install = testsupport::WinDir(testsupport::Utf8(testsupport::Env(L"PONDREL_SOURCE_DIR")) + "/demo");
    theApp.m_Graphics.Free();
    theApp.m_Graphics.Load(install);
    struct Restore {
        ~Restore() {
            theApp.m_Graphics.Free();
            theApp.m_Graphics.Load(L"C:\\no-such-install\\");
        }
    } restore;
    Gdiplus::Bitmap* frame = theApp.m_Graphics.menuShadow.get();
    Gdiplus::Bitmap* arrow = theApp.m_Graphics.subMenuArrow.get();
    ASSERT_TRUE(frame && arrow) << testsupport::Utf8(install);

    menu_.AddItem(L"", L"cat", 3);  // a category item: an arrow, no hover
    menu_.ShowAt(RECT{10, 10, 20, 20}, nullptr, nullptr);
    ASSERT_TRUE(menu_.m_pBackBuffer);
    const int w = menu_.m_Width;
    ASSERT_EQ(w, 180);

    // An opaque pixel of the arrow image lands at (w - 15, 2) + its offset.
    bool found = false;
    for (UINT y = 0; y < arrow->GetHeight() && !found; ++y)
        for (UINT x = 0; x < arrow->GetWidth() && !found; ++x) {
            Gdiplus::Color c;
            arrow->GetPixel(x, y, &c);
            if (c.GetAlpha() != 255) continue;
            found = true;
            EXPECT_EQ(menu_.m_pBackBuffer->Pixel(w - 15 + static_cast<int>(x), 2 + static_cast<int>(y)),
                      c.GetValue() | 0xFF000000u);
        }
    EXPECT_TRUE(found) << "the arrow image has an opaque pixel";

    // The left column is the frame image's column 0, the right edge its
    // columns from (IW - 3, 10), tiled down the item.
    Gdiplus::Color left, right;
    frame->GetPixel(0, 4, &left);
    frame->GetPixel(frame->GetWidth() - 1, 10 + 4, &right);
    auto premultiplied = [](const Gdiplus::Color& c) {
        auto p = [&](BYTE v) { return static_cast<uint32_t>((v * c.GetAlpha() + 127) / 255); };
        return (static_cast<uint32_t>(c.GetAlpha()) << 24) | (p(c.GetRed()) << 16) | (p(c.GetGreen()) << 8) |
               p(c.GetBlue());
    };
    auto close = [](uint32_t a, uint32_t b) {
        for (int shift : {0, 8, 16, 24})
            if (std::abs(Channel(a, shift) - Channel(b, shift)) > 2) return false;
        return true;
    };
    EXPECT_PRED2(close, menu_.m_pBackBuffer->Pixel(0, 1 + 4), premultiplied(left));
    EXPECT_PRED2(close, menu_.m_pBackBuffer->Pixel(w - 1, 1 + 4), premultiplied(right));
    EXPECT_NE(menu_.m_pBackBuffer->Pixel(w - 1, 1 + 4) >> 24, 0u) << "the right edge is drawn";
}

}  // namespace
