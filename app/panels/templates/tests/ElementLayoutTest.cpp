#include "app/panels/templates/ElementLayout.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <vector>

using namespace templates;

namespace templates {
std::ostream& operator<<(std::ostream& os, const LayoutRect& r) {
  return os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}
}  // namespace templates

namespace {

// A small tree: nodes owned here, linked as the builder links them.
struct Tree {
  std::vector<std::unique_ptr<LayoutNode>> nodes;
  LayoutNode root;
  Tree(double width, double height) {
    root.width = width;
    root.height = height;
  }
  LayoutNode& Add(LayoutNode& parent) {
    nodes.push_back(std::make_unique<LayoutNode>());
    parent.children.push_back(nodes.back().get());
    return *nodes.back();
  }
};

LayoutNode& Box(Tree& t, LayoutNode& parent, double w, double h) {
  LayoutNode& e = t.Add(parent);
  e.width = w;
  e.height = h;
  return e;
}

TEST(ElementLayout, AnchorsAndZoomScaleEdgesByTheIntegerPartAndSizesByTheZoom) {
  struct Case {
    const char* name;
    double zoom;
    int hAnchor;
    double hOffset;
    int vAnchor;
    double vOffset;
    LayoutRect expected;
  };
  // Element 50 x 20 in a 200 x 100 root.
  const std::vector<Case> cases = {
      {"left/top", 1.0, kAnchorStart, 10, kAnchorStart, 5, {10, 5, 60, 25}},
      {"right/bottom", 1.0, kAnchorEnd, 10, kAnchorEnd, 5, {139, 74, 189, 94}},
      {"no anchors", 1.0, kAnchorNone, 10, kAnchorNone, 5, {0, 0, 50, 20}},
      {"zoom 1.5", 1.5, kAnchorStart, 10, kAnchorStart, 5, {10, 5, 85, 35}},
      {"zoom 2", 2.0, kAnchorStart, 10, kAnchorStart, 5, {20, 10, 120, 50}},
      // Below 1 the edges keep their place (factor 1) instead of collapsing to 0.
      {"zoom 0.8", 0.8, kAnchorStart, 10, kAnchorStart, 5, {10, 5, 50, 21}},
      {"zoom 0.8 right", 0.8, kAnchorEnd, 10, kAnchorEnd, 5, {149, 78, 189, 94}},
  };
  for (const Case& c : cases) {
    Tree t(200, 100);
    LayoutNode& e = Box(t, t.root, 50, 20);
    e.horizontalAnchor = c.hAnchor;
    e.horizontalOffset = c.hOffset;
    e.verticalAnchor = c.vAnchor;
    e.verticalOffset = c.vOffset;
    LayoutPanel(t.root, c.zoom);
    EXPECT_EQ(e.layoutRect, c.expected) << c.name;
    EXPECT_DOUBLE_EQ(e.zoom, c.zoom) << c.name;
  }
}

TEST(ElementLayout, RelativeElementStacksBelowItsSiblingWithoutTheParentsTop) {
  Tree t(300, 300);
  LayoutNode& parent = Box(t, t.root, 200, 200);
  parent.verticalAnchor = kAnchorStart;
  parent.verticalOffset = 40;
  LayoutNode& first = Box(t, parent, 100, 30);
  first.verticalAnchor = kAnchorStart;
  first.verticalOffset = 0;
  LayoutNode& second = Box(t, parent, 100, 20);
  second.position = kPositionRelative;
  second.display = kDisplayNone;
  second.verticalAnchor = kAnchorStart;
  second.verticalOffset = 3;
  LayoutPanel(t.root, 1.0);
  EXPECT_EQ(first.layoutRect, (LayoutRect{0, 40, 100, 70}));
  EXPECT_EQ(second.layoutRect, (LayoutRect{0, 73, 100, 93}));
}

TEST(ElementLayout, CentredInlineRunStaysAroundTheParentsMiddle) {
  Tree t(300, 100);
  LayoutNode& parent = Box(t, t.root, 300, 100);
  parent.textCentred = true;
  std::vector<LayoutNode*> run;
  for (int i = 0; i < 3; ++i) {
    LayoutNode& e = Box(t, parent, 60, 10);
    e.display = kDisplayInline;
    run.push_back(&e);
  }
  LayoutPanel(t.root, 1.0);
  EXPECT_EQ(run[0]->layoutRect, (LayoutRect{60, 0, 120, 10}));
  EXPECT_EQ(run[1]->layoutRect, (LayoutRect{120, 0, 180, 10}));
  EXPECT_EQ(run[2]->layoutRect, (LayoutRect{180, 0, 240, 10}));
}

TEST(ElementLayout, InlineAnchoredRightPushesEarlierSiblingsLeft) {
  Tree t(200, 100);
  LayoutNode& parent = Box(t, t.root, 200, 100);
  parent.paddingRight = 10;
  LayoutNode& a = Box(t, parent, 40, 10);
  a.display = kDisplayInline;
  a.horizontalAnchor = kAnchorStart;
  a.verticalAnchor = kAnchorStart;
  a.verticalOffset = 7;
  LayoutNode& b = Box(t, parent, 30, 10);
  b.display = kDisplayInline;
  b.horizontalAnchor = kAnchorEnd;
  ContentBounds bounds;
  LayoutPanel(t.root, 1.0, &bounds);
  EXPECT_EQ(b.layoutRect, (LayoutRect{160, 7, 190, 17}));  // same row as a
  EXPECT_EQ(a.layoutRect, (LayoutRect{-30, 7, 10, 17}));   // moved left by b's width
}

TEST(ElementLayout, MiddleAlignmentAndPaddings) {
  Tree t(200, 100);
  LayoutNode& e = Box(t, t.root, 50, 20);
  e.verticalAlign = kAlignMiddle;
  e.paddingTop = 2;
  e.paddingBottom = 3;
  e.paddingLeft = 4;
  e.paddingRight = 5;
  LayoutPanel(t.root, 1.0);
  EXPECT_EQ(e.layoutRect, (LayoutRect{0, 40, 50, 60}));
  EXPECT_EQ(e.innerRect, (LayoutRect{0, 42, 41, 57}));  // left edge stays

  // Absolute elements are not centred.
  Tree t2(200, 100);
  LayoutNode& a = Box(t2, t2.root, 50, 20);
  a.verticalAlign = kAlignMiddle;
  a.position = kPositionAbsolute;
  LayoutPanel(t2.root, 1.0);
  EXPECT_EQ(a.layoutRect.top, 0);
}

TEST(ElementLayout, PanelRectangleIsTheUnionMovedToTheOrigin) {
  Tree t(200, 100);
  LayoutNode& frame = Box(t, t.root, 200, 100);
  frame.paddingBottom = 50;  // paddings do not shrink the bounds
  LayoutNode& tab = Box(t, frame, 30, 10);
  tab.horizontalAnchor = kAnchorStart;
  tab.horizontalOffset = -20;
  tab.verticalAnchor = kAnchorStart;
  tab.verticalOffset = -8;
  LayoutNode& inner = Box(t, tab, 10, 5);
  inner.horizontalAnchor = kAnchorStart;
  inner.horizontalOffset = 2;
  ContentBounds bounds;
  const LayoutRect panel = LayoutPanel(t.root, 1.0, &bounds);
  EXPECT_EQ(bounds.rect, (LayoutRect{-20, -8, 200, 100}));
  EXPECT_EQ(panel, (LayoutRect{0, 0, 220, 108}));
  EXPECT_EQ(frame.windowRect, (LayoutRect{20, 8, 220, 108}));
  EXPECT_EQ(tab.windowRect, (LayoutRect{0, 0, 30, 10}));
  EXPECT_EQ(inner.layoutRect, (LayoutRect{-18, 0, -8, 5}));
  EXPECT_EQ(inner.windowRect, (LayoutRect{2, 8, 12, 13}));
  EXPECT_EQ(frame.innerWindowRect, (LayoutRect{20, 8, 220, 58}));
}

TEST(ElementLayout, HostileSizesStayDefined) {
  Tree t(1e300, -1e300);
  LayoutNode& e = Box(t, t.root, 1e18, 1e18);
  e.horizontalAnchor = kAnchorEnd;
  e.horizontalOffset = -1e18;
  e.verticalAnchor = kAnchorEnd;
  e.verticalOffset = 1e18;
  e.paddingRight = 1e300;
  LayoutNode& f = Box(t, t.root, -1e18, 5);
  f.display = kDisplayInline;
  f.horizontalAnchor = kAnchorEnd;
  LayoutPanel(t.root, 3.0);
  EXPECT_LE(e.layoutRect.left, e.layoutRect.right);
}

TEST(ElementLayout, EightResizeHandles) {
  const auto handles = ResizeHandleRects(300, 200);
  const std::vector<ResizeHandle> expected = {
      {{0, 0, 10, 10}, 1},      {{277, 0, 300, 10}, 3},  {{277, 177, 300, 200}, 5},
      {{0, 177, 10, 200}, 7},   {{0, 0, 300, 5}, 2},     {{0, 177, 300, 200}, 6},
      {{0, 0, 10, 200}, 8},     {{277, 0, 300, 200}, 4},
  };
  ASSERT_EQ(handles.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(handles[i].rect, expected[i].rect) << i;
    EXPECT_EQ(handles[i].direction, expected[i].direction) << i;
  }
}

TEST(ElementLayout, ResizedScreenRectForEveryDirection) {
  // Old window (100, 100)-(400, 300) for a 300 x 200 template, resized to
  // 341 x 251; the laid-out panel is 350 x 260.
  const LayoutRect R{100, 100, 400, 300};
  struct Case {
    int direction;
    LayoutRect expected;
  };
  const std::vector<Case> cases = {
      {0, {120, 125, 470, 385}},  // halves of 41 and 51, toward zero
      {1, {50, 40, 400, 300}},   {2, {100, 40, 400, 300}}, {3, {100, 40, 450, 300}},
      {4, {100, 100, 450, 300}}, {5, {100, 100, 450, 360}}, {6, {100, 100, 400, 360}},
      {7, {50, 100, 400, 360}},  {8, {50, 100, 400, 300}},  {9, {100, 100, 400, 300}},
      {-1, {100, 100, 400, 300}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ResizedScreenRect(c.direction, R, 300, 200, 341, 251, 350, 260), c.expected) << c.direction;
  }
  // Shrinking in direction 0 rounds the halves toward zero too.
  EXPECT_EQ(ResizedScreenRect(0, R, 300, 200, 259, 149, 259, 149), (LayoutRect{80, 75, 339, 224}));
}

}  // namespace
