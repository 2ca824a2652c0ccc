// Element trees laid out: rectangles for sizes and zooms, elements left of the
// origin, paddings on the first build and a rebuild, the window under a root
// of the panel's size.
#include "app/panels/elements/tests/BuiltTree.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

using namespace elements_test;
using templates::TemplateSize;

namespace {

struct LayoutCase {
  const char* name;
  TemplateSize size;
  double zoom;
  LayoutRect panel;
  std::map<std::string, LayoutRect> windowRects;
  LayoutRect contentInner;
};

TEST(ElementTree, RectanglesAfterLayoutForSizesAndZooms) {
  const std::vector<LayoutCase> cases = {
      {"300x200 zoom 1", {300, 200}, 1.0, {0, 0, 300, 200},
       {{"pq_ecp_frame_{pq_object_id}", {0, 0, 300, 200}}, {"bar", {0, 0, 300, 20}}, {"content", {4, 24, 154, 124}},
        {"close", {283, 4, 295, 16}}, {"corner", {259, 169, 289, 189}}},
       {4, 24, 146, 124}},
      {"400x300 zoom 1", {400, 300}, 1.0, {0, 0, 400, 300},
       {{"bar", {0, 0, 400, 20}}, {"content", {4, 24, 204, 174}}, {"close", {383, 4, 395, 16}},
        {"corner", {359, 269, 389, 289}}},
       {4, 24, 196, 174}},
      // Sizes scale by the zoom, left and top edges by its integer part.
      {"300x200 zoom 1.5", {300, 200}, 1.5, {0, 0, 450, 300},
       {{"pq_ecp_frame_{pq_object_id}", {0, 0, 450, 300}}, {"bar", {0, 0, 450, 30}}, {"content", {4, 24, 229, 174}},
        {"close", {427, 4, 445, 22}}, {"corner", {394, 259, 439, 289}}},
       {4, 24, 221, 174}},
      {"300x200 zoom 2", {300, 200}, 2.0, {0, 0, 1166, 738},
       {{"pq_ecp_frame_{pq_object_id}", {0, 0, 600, 400}}, {"bar", {0, 0, 600, 40}}, {"content", {8, 48, 308, 248}},
        {"close", {1142, 8, 1166, 32}}, {"corner", {1058, 698, 1118, 738}}},
       {8, 48, 300, 248}},
      // Below 1 the edges keep their place instead of collapsing to 0.
      {"300x200 zoom 0.8", {300, 200}, 0.8, {0, 0, 240, 160},
       {{"pq_ecp_frame_{pq_object_id}", {0, 0, 240, 160}}, {"bar", {0, 0, 240, 16}}, {"content", {4, 24, 124, 104}},
        {"close", {226, 4, 235, 13}}, {"corner", {205, 133, 229, 149}}},
       {4, 24, 116, 104}},
  };
  for (const LayoutCase& c : cases) {
    SCOPED_TRACE(c.name);
    Built b("layout.xml");
    b.Build(AllOn(), c.size);
    b.panel.zoom = c.zoom;
    RecordingLock lock;
    b.panel.lock = &lock;
    EXPECT_EQ(c.panel, b.panel.LayoutPanel());
    EXPECT_EQ(c.panel, b.panel.panelRect);
    EXPECT_EQ(1, lock.taken);
    for (const auto& [id, rect] : c.windowRects) {
      SCOPED_TRACE(id);
      WindowElement* e = Find(b.panel, id.c_str());
      ASSERT_NE(nullptr, e);
      EXPECT_EQ(rect, e->windowRect);
      EXPECT_EQ(rect, e->layoutRect);
      EXPECT_DOUBLE_EQ(c.zoom, e->zoom);
    }
    EXPECT_EQ(c.contentInner, Find(b.panel, "content")->innerWindowRect);
  }
}

TEST(ElementTree, ElementsLeftOfTheOriginMoveThePanelIntoWindowCoordinates) {
  // A template whose frame hangs 10 pixels out to the left and top.
  FixtureDocument document(
      "<window><style><width>100</width><height>50</height></style>"
      "<element><type>area.design</type><id>frame</id><style><left>-10</left><top>-10</top><width>110</width>"
      "<height>60</height></style>"
      "<element><type>controls.close</type><id>close</id><style><left>0</left><top>0</top><width>5</width>"
      "<height>5</height></style></element></element></window>");
  ElementPanel panel;
  FakeFactory factory;
  panel.BuildElements(document, AllOn(), {100, 50}, factory);
  EXPECT_EQ((LayoutRect{0, 0, 110, 60}), panel.LayoutPanel());
  EXPECT_EQ((LayoutRect{-10, -10, 100, 50}), Find(panel, "frame")->layoutRect);
  EXPECT_EQ((LayoutRect{0, 0, 110, 60}), Find(panel, "frame")->windowRect);
  EXPECT_EQ((LayoutRect{0, 0, 5, 5}), Find(panel, "close")->windowRect);
}

TEST(ElementTree, PercentagePaddingsTakeTheSizeBeforeTheElementsOwnWidthAndHeight) {
  Built b("padding.xml");
  b.Build(AllOn(), {200, 100});
  WindowElement* inner = Find(b.panel, "inner");
  ASSERT_NE(nullptr, inner);
  struct Paddings {
    double top, bottom, left, right;
  };
  auto paddings = [&] { return Paddings{inner->paddingTop, inner->paddingBottom, inner->paddingLeft, inner->paddingRight}; };
  auto check = [&](Paddings want, double width, double height) {
    const Paddings got = paddings();
    EXPECT_DOUBLE_EQ(want.top, got.top);
    EXPECT_DOUBLE_EQ(want.bottom, got.bottom);
    EXPECT_DOUBLE_EQ(want.left, got.left);
    EXPECT_DOUBLE_EQ(want.right, got.right);
    EXPECT_DOUBLE_EQ(width, inner->width);
    EXPECT_DOUBLE_EQ(height, inner->height);
  };
  // First build: the element has no size yet, so percentages give 0; the
  // parent's paddings (top 2, left 3) are added.
  check({2, 0, 3, 5}, 100, 50);
  EXPECT_EQ(templates::kLengthPercent, inner->paddingTopMode);
  EXPECT_EQ(templates::kLengthPixels, inner->paddingRightMode);
  b.panel.LayoutPanel();
  EXPECT_EQ((LayoutRect{0, 2, 92, 50}), inner->innerWindowRect);

  // A rebuild at the same size takes the size of the first build.
  b.Build(AllOn(), {200, 100});
  EXPECT_EQ(inner, Find(b.panel, "inner"));
  check({7, 10, 13, 5}, 100, 50);
  b.panel.LayoutPanel();
  EXPECT_EQ((LayoutRect{0, 7, 82, 40}), inner->innerWindowRect);

  // A resize: the paddings still come from the size before it.
  b.Build(AllOn(), {400, 200});
  check({7, 10, 13, 5}, 200, 100);
  b.Build(AllOn(), {400, 200});
  check({12, 20, 23, 5}, 200, 100);
}

// The root has the panel's size and the window is laid out under it: the
// window's own percentages and right or bottom anchors refer to the panel,
// and the window's rectangle is the one its picture is drawn into.
TEST(ElementTree, TheWindowIsLaidOutUnderARootOfThePanelsSize) {
  FixtureDocument document(
      "<window><style><width>100%</width><height>50%</height><backgroundImage>back.png</backgroundImage></style>"
      "<element><type>controls.close</type><id>close</id><style><right>4</right><bottom>4</bottom><width>10</width>"
      "<height>10</height></style></element></window>");
  ElementPanel panel;
  FakeFactory factory;
  panel.BuildElements(document, AllOn(), {300, 200}, factory);
  ASSERT_NE(nullptr, panel.windowElement);
  EXPECT_EQ(1u, panel.root.ChildCount());
  EXPECT_EQ(panel.windowElement, panel.root.Child(0));
  EXPECT_DOUBLE_EQ(300, panel.windowElement->width);
  EXPECT_DOUBLE_EQ(100, panel.windowElement->height);
  EXPECT_EQ((LayoutRect{0, 0, 300, 100}), panel.LayoutPanel());
  EXPECT_EQ((LayoutRect{0, 0, 300, 100}), panel.windowElement->windowRect);
  EXPECT_EQ((LayoutRect{285, 85, 295, 95}), Find(panel, "close")->windowRect);
  // A resize: the root takes the new size.
  panel.ResizePanel(0, 400, 300, {0, 0, 300, 100},
                    [&](int w, int h) { panel.BuildElements(document, AllOn(), {w, h}, factory); });
  EXPECT_EQ((LayoutRect{0, 0, 400, 150}), panel.panelRect);
}

}  // namespace
