#include "app/panels/elements/ElementList.h"

#include <algorithm>

ElementList::~ElementList() { Clear(); }

void ElementList::Clear() {
  if (owning_) {
    for (WindowElement* e : items_) delete e;
  }
  items_.clear();
}

void ElementList::Remove(WindowElement* element) {
  items_.erase(std::remove(items_.begin(), items_.end(), element), items_.end());
}

bool ElementList::Contains(const WindowElement* element) const {
  return std::find(items_.begin(), items_.end(), element) != items_.end();
}

void ElementList::LayoutAll(const WindowElement& parent, double zoom, templates::ContentBounds& bounds) const {
  WindowElement* before = nullptr;
  for (WindowElement* e : items_) {
    e->previousSibling = before;
    e->Layout(parent, zoom, bounds);
    before = e;
  }
}

WindowElement* ElementList::HitTest(int x, int y) const {
  for (WindowElement* e : items_) {
    const templates::LayoutRect& r = e->windowRect;
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return e;
  }
  return nullptr;
}

void ElementList::DrawAll(Gdiplus::Graphics& graphics, float opacity, bool showDockBar) const {
  for (WindowElement* e : items_) {
    if (e->Render() == nullptr) continue;
    if (e->dockOnly && !showDockBar) continue;
    const templates::LayoutRect& r = e->innerWindowRect;
    RECT rect;
    rect.left = r.left;
    rect.top = r.top;
    rect.right = r.right;
    rect.bottom = r.bottom;
    e->Render()->Draw(graphics, rect, ToPixels(e->zoomedWidth), ToPixels(e->zoomedHeight), opacity);
  }
}

void ElementList::HideAll() const {
  for (WindowElement* e : items_) e->Hide();
}

void ElementList::ShowAll() const {
  for (WindowElement* e : items_) e->Show();
}

void ElementList::MoveAll(int dx, int dy) const {
  for (WindowElement* e : items_) e->MoveWindowBy(dx, dy);
}

std::vector<templates::LayoutRect> ElementList::ClipRects() const {
  std::vector<templates::LayoutRect> rects;
  for (WindowElement* e : items_) {
    if (e->inClipPath) rects.push_back(e->windowRect);
  }
  return rects;
}

