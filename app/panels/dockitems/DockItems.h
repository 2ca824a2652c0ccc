// The dock's items and what the panels share of the dock: the item list in
// display order, the bar's place and hover state, and the operations on them.
// Everything here is guarded by g_DockLock, which the CALLER holds: the dock
// thread draws and hit-tests the items, a panel thread adds its item when it
// docks and removes it before its memory goes, the application thread stores
// the contents file.
//
// A panel that docks
//   fx::ScopedLock hold(g_DockLock);
//   POINT target = dockitems::DockPointOnScreen();            // where to fly
//   DockItem* item = dockitems::AddItem(snapshotPath, record.m_Id, this, false, dockPosition, installDir);
//   ...then posts dock_msg::kShowOrHide and, after its flight, dock_msg::kRender
//   to theApp.DockWindow().
// and when it takes its item out itself (it closes, before its object is
// freed, or comes back without a click on the bar):
//   fx::ScopedLock hold(g_DockLock);
//   dockitems::RemovePanelItem(this);
//   ...then, when that removed an item, posts dock_msg::kItemGone.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/core/graphics/ImageRoutines.h"
#include "app/panels/dockitems/DockRules.h"

// The live panel's side of its dock item, implemented by the panel.  The dock
// calls it only under g_DockLock, on the dock thread; it posts, never sends.
class DockedPanel {
public:
    // The panel window: 11204 (fly out of the dock) goes there.
    virtual HWND DockedPanelWindow() const = 0;
    // A click took the panel out of the dock: the cell it flies out of (screen
    // coordinates) and its index in the bar (the panel's dock position).
    virtual void TakeUndockPlace(const RECT& screenCell, int index) = 0;
    // The dock forgot the panel's item (the panel's item link is cleared).
    virtual void ClearDockItem() = 0;

protected:
    ~DockedPanel() = default;
};

class DockItem {
public:
    DWORD lastRefresh = ::GetTickCount();
    DWORD refreshInterval = dock::kLiveRefreshMs;
    int index = -1;  // position found by the last hit test
    dock::ItemScale scale;
    ArgbBitmap image;     // the item's picture
    ArgbBitmap cache60;   // the picture fitted into 60 x 60, made once
    ArgbBitmap cache120;  // the picture fitted into 120 x 120, made once
    RECT rect{};          // cell in bar client coordinates (LayoutItems)
    DockedPanel* livePanel = nullptr;  // none for imported items
    float hitOffset = 0.0f;
    bool imported = false;
    std::wstring ecpId, url;  // an imported item's record and URL
    float slideX = 0.0f, slideY = 0.0f;  // the bar's slide at the last layout
};

using DockItemList = std::vector<std::unique_ptr<DockItem>>;

namespace dockitems {

// The list (g_DockLock).
DockItemList& Items();
// The hover state of the magnification (g_DockLock).
struct Hover {
    DockItem* last = nullptr;  // the last hovered item
    bool magnified = false;
    int cursorX = -1;          // screen x at the last hit test
};
Hover& HoverState();

// The bar's window rectangle on the screen and its edge (0: top), published
// by the dock at every frame (g_DockLock).
RECT& BarRect();
int& BarEdge();
// Where a docking panel flies to: the middle of the bar's top edge, moved by
// (-30, +8), in screen coordinates.
POINT DockPointOnScreen();

// Loads the picture at imagePath; with a badge name (the panel record's
// identifier) deletes that file and draws the record's banner into the
// picture's lower right corner, or, without a picture there, takes the
// banner as the picture.  No picture: no item (null).  Inserted as
// dock::InsertionIndex says.  A live panel is linked to its item.
DockItem* AddItem(const std::wstring& imagePath, const std::wstring& badge, DockedPanel* livePanel, bool append,
                  int position, const std::wstring& installDir);
// Forgets the item as the hovered one, clears its panel's link, unlinks and
// deletes it.  False when the item is not in the list.
bool RemoveItem(DockItem* item);
// The panel's item out of the list (the panel calls it when it closes, before
// its memory goes); false when it had none.
bool RemovePanelItem(const DockedPanel* panel);
// Every imported item out of the list.
void RemoveImportedItems();
// Every item out (the dock thread's end).
void Clear();

// The cells of the items (rect) for the cell size; the slide recorded.
void LayoutItems(float cellWidth, float cellHeight, float slideX, float slideY);
// The items' total width with their gaps (after LayoutItems).
int ItemsWidth();
// The item whose cell (moved by its growth, widened) holds the client point;
// its index and hitOffset recorded.  Null when none.
DockItem* HitTestItem(float cellWidth, float cellHeight, int widenX, int widenY, int x, int y);
// The index of an item in the list, -1 when it is not there.
int IndexOf(const DockItem* item);

}  // namespace dockitems
