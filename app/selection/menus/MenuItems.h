// The menus' items and their layout as plain code: the item record, the
// owning list with its hot index, measuring, hit-testing and the frame's
// tiling plan.  The menu window (TxMenuWin) draws what these decide.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/selection/skin/FloatingWinLayout.h"

// Every field of a menu item except its icon and sub-menu window, which the
// window code adds (MyMenuItem).
struct MenuItemData {
    virtual ~MenuItemData() = default;

    std::wstring m_Text;
    int32_t m_X = 0;
    int32_t m_Y = 0;
    int32_t m_Width = 136;
    int32_t m_Height = 19;
    std::wstring m_Id = L"0";
    std::wstring m_Target;
    std::wstring m_Token;
    std::wstring m_Type = L"pq_default";  // a search URL, or "pq_default" for a content panel
    bool m_ActionMark = false;
    int32_t m_Data = 0;
    bool m_HasEcpMenu = false;
    bool m_FixedWidth = false;
    bool m_Separator = false;
    bool m_Guess = false;
    int32_t m_Index = 0;
    bool m_Options = false;
    bool m_Counted = false;
    bool m_Disabled = false;
    int32_t m_TreeCategory = 0;
    int32_t m_TreeTarget = 0;
    int32_t m_TreeEntry = 0;
};

namespace menu_layout {

constexpr int32_t kItemHeight = 19;
constexpr int32_t kSeparatorHeight = 11;  // 19 - 8
constexpr int32_t kWideMinimum = 180;     // a wide menu's smallest item width
constexpr int32_t kBottomMargin = 5;

// One item's measured width: a panel item keeps its stored width; otherwise
// the text's width (truncated) + 35, plus the icon's width when it has one.
int32_t ItemWidth(const MenuItemData& item, float textWidth, int32_t iconWidth);

struct Size {
    int32_t width = 0;
    int32_t height = 0;
};

// Case-insensitive comparison of ASCII letters (the settings' flags and
// names, item types).
bool EqualsNoCase(const std::wstring& a, const std::wstring& b);

// Whether `type` names a content panel rather than a search URL.
bool IsPanelType(const std::wstring& type);

// One copy from the frame image into the menu: source rectangle (x, y, w, h)
// drawn at (dx, dy).
struct Blit {
    int32_t x, y, w, h, dx, dy;
};
// The frame's slices for a menu of the given width whose items have the
// given heights, cut from a frame image of iw x ih: the top strip, the left
// and right edges tiled down every item, and the bottom strip.  Nothing for
// a missing image (0 x 0) or an image too short to give a tile (12 pixels
// high or less).
std::vector<Blit> PlanFrame(int32_t menuWidth, const std::vector<int32_t>& itemHeights, int32_t iw, int32_t ih);

// Where a sub-menu of width by height goes for its parent's item (anchor:
// the item's rectangle moved by 16, 4, in screen coordinates) on the work
// area: right of the item, kept on the area.  When keeping it there moved
// it to the left, it opens on the item's left side instead, at the height
// the area allowed, and is kept on the area once more.
IntRect PlaceSubMenu(const IntRect& anchor, int width, int height, const IntRect& work);

}  // namespace menu_layout

// The menu's items, owned, in display order, and its hot index (every item
// counted from the top, separators included; -1 = none).
template <class Item>
class BasicMenuItemList {
public:
    int m_HotIndex = -1;

    Item* Add(std::unique_ptr<Item> item, bool atHead) {
        Item* raw = item.get();
        if (atHead)
            items_.insert(items_.begin(), std::move(item));
        else
            items_.push_back(std::move(item));
        return raw;
    }
    void RemoveAll() { items_.clear(); }
    // Deletes the best-guess items; the hot index (which would name another
    // row afterwards) is reset.
    void RemoveGuessItems() {
        m_HotIndex = -1;
        std::vector<std::unique_ptr<Item>> kept;
        for (auto& item : items_)
            if (!item->m_Guess) kept.push_back(std::move(item));
        items_ = std::move(kept);
    }
    size_t GetCount() const { return items_.size(); }
    Item* GetAt(size_t i) const { return i < items_.size() ? items_[i].get() : nullptr; }

    // The index of the item at height y (x is not looked at): -1 below the
    // items and on a separator.
    int HitTest(int32_t /*x*/, int32_t y) const {
        int32_t bottom = 0;
        for (size_t i = 0; i < items_.size(); ++i) {
            bottom += items_[i]->m_Height;
            if (bottom > y) return items_[i]->m_Separator ? -1 : static_cast<int>(i);
        }
        return -1;
    }
    // The hot item unless it is a separator; null when none.
    Item* GetSelectedItem() const {
        if (m_HotIndex < 0 || static_cast<size_t>(m_HotIndex) >= items_.size()) return nullptr;
        Item* item = items_[static_cast<size_t>(m_HotIndex)].get();
        return item->m_Separator ? nullptr : item;
    }

    // Lays the items out top down (x 1, y the heights above) and gives the
    // menu's size: the widest measured item (at least kWideMinimum when
    // wide), and the items' heights + kBottomMargin.  Every item takes the
    // menu's width.
    menu_layout::Size Measure(bool wide, const std::function<int32_t(const Item&)>& measure) {
        menu_layout::Size size;
        for (auto& item : items_) {
            item->m_X = 1;
            item->m_Y = size.height;
            size.height += item->m_Height;
            int32_t w = measure(*item);
            if (wide && w < menu_layout::kWideMinimum) w = menu_layout::kWideMinimum;
            if (w > size.width) size.width = w;
        }
        for (auto& item : items_) item->m_Width = size.width;
        size.height += menu_layout::kBottomMargin;
        return size;
    }

private:
    std::vector<std::unique_ptr<Item>> items_;
};
