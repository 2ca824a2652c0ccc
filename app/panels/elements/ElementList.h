// An ordered list of elements.  The panel's list of all elements owns its
// elements (deletes them when destroyed); every other list only points.
#pragma once

#include "app/panels/elements/DrawTypes.h"
#include "app/panels/elements/WindowElement.h"
#include "app/panels/templates/ElementLayout.h"

#include <cstddef>
#include <vector>


class ElementList {
 public:
  explicit ElementList(bool owning = false) : owning_(owning) {}
  ~ElementList();
  ElementList(const ElementList&) = delete;
  ElementList& operator=(const ElementList&) = delete;

  void Add(WindowElement* element) { items_.push_back(element); }
  // Empties the list, deleting the elements when it owns them.
  void Clear();
  // Takes element out of the list (not deleted).
  void Remove(WindowElement* element);
  bool Contains(const WindowElement* element) const;

  size_t Count() const { return items_.size(); }
  bool Empty() const { return items_.empty(); }
  WindowElement* At(size_t i) const { return i < items_.size() ? items_[i] : nullptr; }
  WindowElement* First() const { return At(0); }
  std::vector<WindowElement*>::const_iterator begin() const { return items_.begin(); }
  std::vector<WindowElement*>::const_iterator end() const { return items_.end(); }

  // Links each element to the one before it and lays it out under parent.
  void LayoutAll(const WindowElement& parent, double zoom, templates::ContentBounds& bounds) const;
  // The first element whose window rectangle holds the point.
  WindowElement* HitTest(int x, int y) const;
  // Draws every element that has a render element at its inner window
  // rectangle; dock-only elements only while the dock bar is shown.
  void DrawAll(Gdiplus::Graphics& graphics, float opacity, bool showDockBar) const;
  void HideAll() const;
  void ShowAll() const;
  void MoveAll(int dx, int dy) const;
  // The window rectangles of the elements that join the panel's clip path.
  std::vector<templates::LayoutRect> ClipRects() const;
  // Fills every window rectangle opaque white (Windows only).
  void FillRects(Gdiplus::Graphics& graphics) const;
  // Adds ClipRects to the path (Windows only).
  void AddToPath(Gdiplus::GraphicsPath& path) const;

 private:
  std::vector<WindowElement*> items_;
  bool owning_;
};

