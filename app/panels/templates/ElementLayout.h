// The layout arithmetic of a panel's element tree: each element's rectangles
// from its style values, its parent and the sibling before it; the panel's
// content bounds and rectangle; the eight resize handles; the window's new
// screen rectangle after a resize.  Plain code over plain rectangles: the
// element classes derive from `LayoutNode` and the tests drive it without
// windows.
#pragma once

#include <array>
#include <vector>

namespace templates {

struct LayoutRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool operator==(const LayoutRect& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
};

// Style codes the layout reads (the readers of TemplateValues.h give them).
enum AnchorCode : int { kAnchorNone = 0, kAnchorStart = 1, kAnchorEnd = 2 };  // left/top, right/bottom
enum PositionCode : int { kPositionUnset = 0, kPositionAbsolute = 1, kPositionRelative = 2 };
enum DisplayCode : int { kDisplayUnset = 0, kDisplayInline = 1, kDisplayBlock = 2, kDisplayNone = 3 };
enum VerticalAlignCode : int { kAlignMiddle = 1, kAlignDefault = 2, kAlignBottom = 3 };

// The union of the outer rectangles of every laid-out element.
struct ContentBounds {
  LayoutRect rect;  // starts cleared (all 0)
  void Grow(const LayoutRect& r);
};

class LayoutNode {
 public:
  virtual ~LayoutNode() = default;

  // Style values (unzoomed).
  double width = 0.0;
  double height = 0.0;
  int horizontalAnchor = kAnchorNone;
  double horizontalOffset = 0.0;
  int verticalAnchor = kAnchorNone;
  double verticalOffset = 0.0;
  int position = kPositionUnset;
  int display = kDisplayUnset;
  double paddingTop = 0.0;
  double paddingLeft = 0.0;
  double paddingBottom = 0.0;
  double paddingRight = 0.0;
  int verticalAlign = kAlignDefault;
  bool textCentred = false;

  // Layout results.
  double zoom = 1.0;
  double zoomedWidth = 0.0;
  double zoomedHeight = 0.0;
  LayoutRect layoutRect;
  LayoutRect innerRect;
  LayoutRect windowRect;
  LayoutRect innerWindowRect;

  LayoutNode* previousSibling = nullptr;
  std::vector<LayoutNode*> children;  // not owned

  // Stores the zoom the layout applied; windowed elements also zoom their view.
  virtual void SetZoom(double z) { zoom = z; }

  // Moves this element's rectangles by dx, then the whole run of earlier siblings.
  void ShiftX(int dx);

  // layoutRect = outer; the window rectangles are outer and inner moved by (dx, dy).
  void SetWindowRects(const LayoutRect& outer, const LayoutRect& inner, int dx, int dy);

  // Lays out this element under parent with the zoom, grows bounds, then its children.
  void Layout(const LayoutNode& parent, double z, ContentBounds& bounds);
};

// Links each element to the one before it and lays them out in order.
void LayoutAll(const std::vector<LayoutNode*>& list, const LayoutNode& parent, double zoom,
               ContentBounds& bounds);

// Lays out the root's children, then moves every element of the tree into
// panel-window coordinates.  Gives the panel rectangle (0, 0, width, height).
LayoutRect LayoutPanel(LayoutNode& root, double zoom, ContentBounds* boundsOut = nullptr);

// Direction codes of the resize handles (0: keep the centre's offset).
struct ResizeHandle {
  LayoutRect rect;
  int direction;
};
std::array<ResizeHandle, 8> ResizeHandleRects(int width, int height);

// The window's new screen rectangle after a resize in direction d, from the
// old screen rectangle, the old and requested template sizes and the laid-out
// new size.
LayoutRect ResizedScreenRect(int direction, const LayoutRect& old, int oldWidth, int oldHeight,
                             int width, int height, int newWidth, int newHeight);

}  // namespace templates
