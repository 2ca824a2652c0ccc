#include "app/panels/templates/ElementLayout.h"

#include "app/panels/templates/TemplateValues.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace templates {
namespace {

int Clamp(long long v) {
  return static_cast<int>(std::max<long long>(INT_MIN, std::min<long long>(INT_MAX, v)));
}

int Add(int a, int b) { return Clamp(static_cast<long long>(a) + b); }
int Sub(int a, int b) { return Clamp(static_cast<long long>(a) - b); }
int Mul(int a, int b) { return Clamp(static_cast<long long>(a) * b); }
int Half(int v) { return v / 2; }

void Offset(LayoutRect& r, int dx, int dy) {
  r.left = Add(r.left, dx);
  r.right = Add(r.right, dx);
  r.top = Add(r.top, dy);
  r.bottom = Add(r.bottom, dy);
}

void PlaceTree(LayoutNode& node, int dx, int dy) {
  for (LayoutNode* child : node.children) {
    child->SetWindowRects(child->layoutRect, child->innerRect, dx, dy);
    PlaceTree(*child, dx, dy);
  }
}

}  // namespace

void ContentBounds::Grow(const LayoutRect& r) {
  rect.left = std::min(rect.left, r.left);
  rect.top = std::min(rect.top, r.top);
  rect.right = std::max(rect.right, r.right);
  rect.bottom = std::max(rect.bottom, r.bottom);
}

void LayoutNode::ShiftX(int dx) {
  for (LayoutNode* e = this; e != nullptr; e = e->previousSibling) {
    Offset(e->layoutRect, dx, 0);
    Offset(e->innerRect, dx, 0);
  }
}

void LayoutNode::SetWindowRects(const LayoutRect& outer, const LayoutRect& inner, int dx, int dy) {
  layoutRect = outer;
  windowRect = outer;
  Offset(windowRect, dx, dy);
  innerWindowRect = inner;
  Offset(innerWindowRect, dx, dy);
}

void LayoutNode::Layout(const LayoutNode& parent, double z, ContentBounds& bounds) {
  const LayoutNode& P = parent;
  LayoutNode* S = previousSibling;
  // Left and top edges scale by the integer part of the zoom, never by less
  // than 1: a zoom below 1 would otherwise pile every element at the origin.
  const int zi = IntegerZoom(z);

  zoomedWidth = z * width;
  zoomedHeight = z * height;
  LayoutRect r;
  bool stackedBelow = false;
  bool sameRow = false;

  // Where the horizontal placement continues: from the anchor, or straight to
  // the zoom of the left edge.
  bool applyAnchor = true;

  const bool verticalFlow = (position == kPositionUnset && display == kDisplayNone) ||
                            (position == kPositionRelative &&
                             (display == kDisplayUnset || display == kDisplayNone));
  const bool inlineFlow = display == kDisplayInline && position == kPositionUnset;

  if (verticalFlow) {
    // Stack below the sibling before.
    if (S != nullptr) {
      r.top = S->layoutRect.bottom;
      stackedBelow = true;
    }
  } else if (inlineFlow) {
    if (P.textCentred) {
      // Centre the run on its line: earlier siblings move left by half this width.
      if (S != nullptr) {
        S->ShiftX(Half(ToPixels(-width)));
        r.left = r.right = S->layoutRect.right;
      } else {
        r.left = r.right = Sub(Half(ToPixels(P.width)), Half(ToPixels(width)));
      }
    } else if (S != nullptr && S->display == kDisplayInline) {
      // Continue the sibling's row.
      r.top = (verticalAlign == kAlignMiddle || verticalAlign == kAlignDefault) ? S->layoutRect.top
                                                                                 : P.layoutRect.top;
      sameRow = true;
      if (horizontalAnchor == kAnchorEnd) {
        r.left = Sub(Sub(P.layoutRect.right, ToPixels(P.paddingRight)), ToPixels(width));
        S->ShiftX(ToPixels(-width));
        applyAnchor = false;
      } else if (horizontalAnchor == kAnchorStart) {
        r.left = S->layoutRect.right;
        applyAnchor = false;
      }
    } else if (horizontalAnchor == kAnchorEnd) {
      r.left = ToPixels(P.layoutRect.right - width - P.paddingRight);
      applyAnchor = false;
    }
  } else if (S != nullptr && S->display == kDisplayBlock && display == kDisplayInline) {
    r.top = S->layoutRect.top;
    sameRow = true;
  }

  if (applyAnchor) {
    if (horizontalAnchor == kAnchorStart) {
      r.left = Add(r.left, ToPixels(P.layoutRect.left + horizontalOffset));
    } else if (horizontalAnchor == kAnchorEnd) {
      r.left = Add(r.left, ToPixels(P.layoutRect.right - horizontalOffset));
      r.left = Sub(r.left, ToPixels(zoomedWidth + 1.0));
    }
  }
  r.left = Mul(r.left, zi);
  r.right = ToPixels(r.left + zoomedWidth);

  if (!sameRow) {
    if (verticalAnchor == kAnchorStart) {
      r.top = Add(r.top, ToPixels(verticalOffset));
      if (!stackedBelow) r.top = Add(r.top, P.layoutRect.top);
    } else if (verticalAnchor == kAnchorEnd) {
      if (stackedBelow) {
        r.top = Add(r.top, std::abs(std::max(ToPixels(verticalOffset), INT_MIN + 1)));
      } else {
        r.top = Add(r.top, Sub(P.layoutRect.bottom, ToPixels(verticalOffset)));
      }
      r.top = Sub(r.top, ToPixels(zoomedHeight + 1.0));
    }
  }
  if (verticalAlign == kAlignMiddle && position != kPositionAbsolute) {
    r.top = Sub(Add(P.layoutRect.top, Half(Sub(P.layoutRect.bottom, P.layoutRect.top))),
                Half(ToPixels(zoomedHeight)));
  }
  r.top = Mul(r.top, zi);
  r.bottom = Add(r.top, ToPixels(zoomedHeight));
  layoutRect = r;

  SetZoom(z);

  innerRect = layoutRect;
  innerRect.top = Add(innerRect.top, ToPixels(paddingTop));
  innerRect.bottom = Sub(innerRect.bottom, ToPixels(paddingBottom));
  innerRect.right = Sub(innerRect.right, ToPixels(paddingRight + paddingLeft));

  bounds.Grow(layoutRect);
  LayoutAll(children, *this, z, bounds);
}

void LayoutAll(const std::vector<LayoutNode*>& list, const LayoutNode& parent, double zoom,
               ContentBounds& bounds) {
  LayoutNode* before = nullptr;
  for (LayoutNode* e : list) {
    e->previousSibling = before;
    e->Layout(parent, zoom, bounds);
    before = e;
  }
}

LayoutRect LayoutPanel(LayoutNode& root, double zoom, ContentBounds* boundsOut) {
  // The root has the template's size; its children anchor to its edges.
  root.layoutRect = {0, 0, ToPixels(root.width), ToPixels(root.height)};
  root.innerRect = root.layoutRect;
  ContentBounds bounds;
  LayoutAll(root.children, root, zoom, bounds);
  PlaceTree(root, Sub(0, bounds.rect.left), Sub(0, bounds.rect.top));
  if (boundsOut != nullptr) *boundsOut = bounds;
  LayoutRect panel;
  panel.right = Sub(bounds.rect.right, bounds.rect.left);
  panel.bottom = Sub(bounds.rect.bottom, bounds.rect.top);
  return panel;
}

std::array<ResizeHandle, 8> ResizeHandleRects(int W, int H) {
  return {{
      {{0, 0, 10, 10}, 1},
      {{Sub(W, 23), 0, W, 10}, 3},
      {{Sub(W, 23), Sub(H, 23), W, H}, 5},
      {{0, Sub(H, 23), 10, H}, 7},
      {{0, 0, W, 5}, 2},
      {{0, Sub(H, 23), W, H}, 6},
      {{0, 0, 10, H}, 8},
      {{Sub(W, 23), 0, W, H}, 4},
  }};
}

LayoutRect ResizedScreenRect(int direction, const LayoutRect& R, int oldWidth, int oldHeight,
                             int width, int height, int nw, int nh) {
  switch (direction) {
    case 0: {
      const int left = Add(R.left, Half(Sub(width, oldWidth)));
      const int top = Add(R.top, Half(Sub(height, oldHeight)));
      return {left, top, Add(left, nw), Add(top, nh)};
    }
    case 1: return {Sub(R.right, nw), Sub(R.bottom, nh), R.right, R.bottom};
    case 2: return {R.left, Sub(R.bottom, nh), R.right, R.bottom};
    case 3: return {R.left, Sub(R.bottom, nh), Add(R.left, nw), R.bottom};
    case 4: return {R.left, R.top, Add(R.left, nw), R.bottom};
    case 5: return {R.left, R.top, Add(R.left, nw), Add(R.top, nh)};
    case 6: return {R.left, R.top, R.right, Add(R.top, nh)};
    case 7: return {Sub(R.right, nw), R.top, R.right, Add(R.top, nh)};
    case 8: return {Sub(R.right, nw), R.top, R.right, R.bottom};
    default: return R;
  }
}

}  // namespace templates
