#include "app/panels/dockitems/DockItems.h"

#include <algorithm>

#include "app/core/graphics/AppImages.h"
#include "log/PondrelLog.h"

namespace dockitems {

namespace {

std::vector<dock::ItemScale> Scales() {
    std::vector<dock::ItemScale> scales;
    for (const auto& item : Items()) scales.push_back(item->scale);
    return scales;
}

std::vector<IntRect> Cells() {
    std::vector<IntRect> cells;
    for (const auto& item : Items()) cells.push_back(IntRect{item->rect.left, item->rect.top, item->rect.right, item->rect.bottom});
    return cells;
}

DockItemList::iterator Find(const DockItem* item) {
    return std::find_if(Items().begin(), Items().end(), [item](const auto& p) { return p.get() == item; });
}

}  // namespace

DockItemList& Items() {
    static DockItemList items;  // the dock thread empties it at its end
    return items;
}

Hover& HoverState() {
    static Hover hover;
    return hover;
}

RECT& BarRect() {
    static RECT rect{};
    return rect;
}

int& BarEdge() {
    static int edge = 0;
    return edge;
}

POINT DockPointOnScreen() {
    const RECT& r = BarRect();
    const dock::Point p = dock::DockPoint(IntRect{r.left, r.top, r.right, r.bottom});
    return POINT{p.x, p.y};
}

DockItem* AddItem(const std::wstring& imagePath, const std::wstring& badge, DockedPanel* livePanel, bool append,
                  int position, const std::wstring& installDir) {
    ArgbBitmap picture = LoadImageFile(imagePath, 0, 0);
    if (!badge.empty()) {
        ::DeleteFileW(imagePath.c_str());  // the snapshot is not needed any more; errors do not matter
        ArgbBitmap banner = FindEcpBannerImage(installDir, badge);
        if (picture && banner) {
            Gdiplus::Graphics g(picture.get());
            const int x = static_cast<int>(picture->GetWidth()) - static_cast<int>(banner->GetWidth()) - 1;
            const int y = static_cast<int>(picture->GetHeight()) - static_cast<int>(banner->GetHeight()) - 1;
            g.DrawImage(banner.get(), x, y, static_cast<int>(banner->GetWidth()),
                        static_cast<int>(banner->GetHeight()));
        } else if (banner) {
            // A panel without a snapshot is shown by its record's banner.
            LogWithPrefix(L"Dock: no snapshot for %s: its item shows the banner", badge.c_str());
            picture = std::move(banner);
        }
    }
    if (!picture) {
        LogWithPrefix(L"Dock: no picture for an item: %s", imagePath.c_str());
        return nullptr;
    }
    auto item = std::make_unique<DockItem>();
    item->image = std::move(picture);
    item->livePanel = livePanel;
    DockItem* added = item.get();
    DockItemList& list = Items();
    const size_t at = dock::InsertionIndex(list.size(), append, position);
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(at), std::move(item));
    return added;
}

bool RemoveItem(DockItem* item) {
    auto it = Find(item);
    if (it == Items().end()) return false;
    Hover& hover = HoverState();
    if (hover.last == item) {
        hover.last = nullptr;
        hover.magnified = false;
    }
    if (item->livePanel) item->livePanel->ClearDockItem();
    Items().erase(it);
    return true;
}

bool RemovePanelItem(const DockedPanel* panel) {
    if (!panel) return false;
    for (const auto& item : Items()) {
        if (item->livePanel == panel) return RemoveItem(item.get());
    }
    return false;
}

void RemoveImportedItems() {
    std::vector<DockItem*> imported;
    for (const auto& item : Items())
        if (item->imported) imported.push_back(item.get());
    for (DockItem* item : imported) RemoveItem(item);
}

void Clear() {
    while (!Items().empty()) RemoveItem(Items().back().get());
}

void LayoutItems(float cellWidth, float cellHeight, float slideX, float slideY) {
    const std::vector<IntRect> cells = dock::LayoutCells(Scales(), cellWidth, cellHeight);
    DockItemList& list = Items();
    for (size_t i = 0; i < list.size(); ++i) {
        list[i]->rect = RECT{cells[i].left, cells[i].top, cells[i].right, cells[i].bottom};
        list[i]->slideX = slideX;
        list[i]->slideY = slideY;
    }
}

int ItemsWidth() { return dock::ItemsWidth(Cells()); }

DockItem* HitTestItem(float cellWidth, float, int widenX, int widenY, int x, int y) {
    float offset = 0.0f;
    const int hit = dock::HitTest(Cells(), Scales(), cellWidth, widenX, widenY, x, y, &offset);
    if (hit < 0) return nullptr;
    DockItem* item = Items()[static_cast<size_t>(hit)].get();
    item->index = hit;
    item->hitOffset = offset;
    return item;
}

int IndexOf(const DockItem* item) {
    auto it = Find(item);
    return it == Items().end() ? -1 : static_cast<int>(it - Items().begin());
}

}  // namespace dockitems
