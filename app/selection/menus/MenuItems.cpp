#include "app/selection/menus/MenuItems.h"

#include <algorithm>

namespace menu_layout {

int32_t ItemWidth(const MenuItemData& item, float textWidth, int32_t iconWidth) {
    if (item.m_FixedWidth) return item.m_Width;
    return static_cast<int32_t>(textWidth) + 35 + iconWidth;
}

bool EqualsNoCase(const std::wstring& a, const std::wstring& b) {
    auto fold = [](wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; };
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (fold(a[i]) != fold(b[i])) return false;
    return true;
}

bool IsPanelType(const std::wstring& type) { return EqualsNoCase(type, L"pq_default"); }

std::vector<Blit> PlanFrame(int32_t menuWidth, const std::vector<int32_t>& itemHeights, int32_t iw, int32_t ih) {
    std::vector<Blit> plan;
    const int32_t tileMax = ih - 12;
    if (iw < 3 || tileMax < 1) return plan;  // no image, or no tile to repeat
    plan.push_back(Blit{0, 0, menuWidth - 3, 1, 0, 0});
    int32_t y = 1;
    for (int32_t height : itemHeights) {
        const int32_t tile = std::min(height, tileMax);
        for (int32_t done = 0; done < height; done += tile) {
            const int32_t h = std::min(tile, height - done);
            plan.push_back(Blit{0, 0, 1, h, 0, y + done});
            plan.push_back(Blit{iw - 3, 10, 3, h, menuWidth - 3, y + done});
        }
        y += std::max(height, 0);
    }
    plan.push_back(Blit{0, ih - 3, menuWidth - 2, 3, 0, y});
    return plan;
}

IntRect PlaceSubMenu(const IntRect& anchor, int width, int height, const IntRect& work) {
    auto at = [&](int left, int top) { return IntRect{left, top, left + width, top + height}; };
    const MonitorFit right = FitOnMonitor(at(anchor.right - 20, anchor.top - 4), width, height, work);
    if (right.dx >= 0) return right.rect;
    return FitOnMonitor(at(anchor.left - width + 4, right.rect.top), width, height, work).rect;
}

}  // namespace menu_layout
