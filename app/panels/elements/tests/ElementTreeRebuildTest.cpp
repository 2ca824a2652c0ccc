// Element trees rebuilt: the resize handles, a resize rebuilding in place,
// every element keeping its identity and restyled as a first build at the
// new size, and found again at its own path however the template nests.
#include "app/panels/elements/tests/BuiltTree.h"

#include <gtest/gtest.h>

#include <utility>
#include <string>
#include <vector>

using namespace elements_test;
using templates::TemplateSize;

namespace {

TEST(ElementTree, EightResizeHandlesReplaceTheOldOnes) {
  ElementPanel panel;
  panel.CreateResizeHandles({0, 0, 300, 200});
  panel.CreateResizeHandles({0, 0, 300, 200});  // the first eight are deleted (the sanitizer sees leaks)
  ASSERT_EQ(8u, panel.resizeHandles.Count());
  const std::vector<std::pair<LayoutRect, int>> expected = {
      {{0, 0, 10, 10}, 1},   {{277, 0, 300, 10}, 3}, {{277, 177, 300, 200}, 5}, {{0, 177, 10, 200}, 7},
      {{0, 0, 300, 5}, 2},   {{0, 177, 300, 200}, 6}, {{0, 0, 10, 200}, 8},      {{277, 0, 300, 200}, 4},
  };
  for (size_t i = 0; i < 8; ++i) {
    SCOPED_TRACE(i);
    auto* h = dynamic_cast<ResizeElement*>(panel.resizeHandles.At(i));
    ASSERT_NE(nullptr, h);
    EXPECT_EQ(expected[i].first, h->windowRect);
    EXPECT_EQ(expected[i].second, h->direction);
  }
  // The cursor over a handle finds the first in that order.
  const std::vector<std::pair<std::pair<int, int>, int>> hits = {
      {{5, 5}, 1}, {{290, 5}, 3}, {{290, 190}, 5}, {{5, 190}, 7}, {{150, 2}, 2}, {{150, 190}, 6},
      {{5, 100}, 8}, {{290, 100}, 4}};
  for (const auto& [pt, direction] : hits) {
    auto* h = static_cast<ResizeElement*>(panel.resizeHandles.HitTest(pt.first, pt.second));
    ASSERT_NE(nullptr, h);
    EXPECT_EQ(direction, h->direction) << pt.first << "," << pt.second;
  }
  EXPECT_EQ(nullptr, panel.resizeHandles.HitTest(150, 100));
}

TEST(ElementTree, ResizePanelRebuildsInPlaceAndPlacesTheWindowByDirection) {
  const LayoutRect R{100, 100, 400, 300};
  struct Case {
    int direction;
    TemplateSize to;
    LayoutRect screen;
  };
  const std::vector<Case> cases = {
      {0, {400, 300}, {150, 150, 550, 450}},
      {0, {251, 151}, {76, 76, 327, 227}},  // half of -49 is -24: toward zero
      {1, {400, 300}, {0, 0, 400, 300}},
      {2, {400, 300}, {100, 0, 400, 300}},
      {3, {400, 300}, {100, 0, 500, 300}},
      {4, {400, 300}, {100, 100, 500, 300}},
      {5, {400, 300}, {100, 100, 500, 400}},
      {6, {400, 300}, {100, 100, 400, 400}},
      {7, {400, 300}, {0, 100, 400, 400}},
      {8, {400, 300}, {0, 100, 400, 300}},
      {9, {400, 300}, {100, 100, 400, 300}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.direction);
    Built b("layout.xml");
    const PanelRecord record = AllOn();
    b.Build(record, {300, 200});
    b.panel.LayoutPanel();
    std::vector<WindowElement*> before(b.panel.all.begin(), b.panel.all.end());
    const LayoutRect moved = b.panel.ResizePanel(c.direction, c.to.width, c.to.height, R, [&](int w, int h) {
      b.Build(record, {w, h});
    });
    EXPECT_EQ(c.screen, moved);
    EXPECT_EQ((LayoutRect{0, 0, c.to.width, c.to.height}), b.panel.panelRect);
    EXPECT_EQ(before, std::vector<WindowElement*>(b.panel.all.begin(), b.panel.all.end()));
    ASSERT_EQ(8u, b.panel.resizeHandles.Count());
    EXPECT_EQ((LayoutRect{c.to.width - 23, c.to.height - 23, c.to.width, c.to.height}),
              b.panel.resizeHandles.At(2)->windowRect);
  }
}

TEST(ElementTree, RebuildKeepsEveryElementsIdentityClassAndIdAndRereadsTheStyle) {
  Built b("tree.xml");
  const PanelRecord record = AllOn();
  b.Build(record, {300, 200});
  b.panel.LayoutPanel();
  std::vector<WindowElement*> before(b.panel.all.begin(), b.panel.all.end());
  const std::vector<std::string> classesAndIds = ClassesAndIds(b.panel.all);
  const size_t drawn = b.panel.drawn.Count();
  const size_t windowed = b.panel.windowed.Count();
  TailElement* tail = b.panel.tails[1].get();

  b.panel.ResizePanel(5, 500, 260, {0, 0, 300, 200}, [&](int w, int h) { b.Build(record, {w, h}); });

  EXPECT_EQ(before, std::vector<WindowElement*>(b.panel.all.begin(), b.panel.all.end()));
  // The element after the tail group is still itself (the group's further
  // element is walked on the rebuild too).
  EXPECT_EQ(classesAndIds, ClassesAndIds(b.panel.all));
  EXPECT_EQ(drawn, b.panel.drawn.Count());
  EXPECT_EQ(windowed, b.panel.windowed.Count());
  EXPECT_EQ(tail, b.panel.tails[1].get());
  EXPECT_DOUBLE_EQ(500, Find(b.panel, "footer")->width);
  EXPECT_DOUBLE_EQ(6, Find(b.panel, "footer")->height);
  EXPECT_DOUBLE_EQ(4, Find(b.panel, "tail-shade")->height);
  EXPECT_DOUBLE_EQ(500, Find(b.panel, "content")->width);
  EXPECT_DOUBLE_EQ(130, Find(b.panel, "content")->height);  // 50% of the frame's 260
  // Pictures are kept, not read again.
  EXPECT_EQ("text Pond weather", KindOf(*b.panel.titleElement));
  EXPECT_EQ("box FFFF0000", KindOf(*Find(b.panel, "close")));
}

// Every built element's style values, one line each, in creation order.
std::vector<std::string> Styles(const ElementPanel& panel) {
  std::vector<std::string> out;
  for (WindowElement* e : panel.all) {
    out.push_back(Utf8(e->id) + " w" + std::to_string(e->width) + " h" + std::to_string(e->height) + " x" +
                  std::to_string(e->horizontalAnchor) + ":" + std::to_string(e->horizontalOffset) + " y" +
                  std::to_string(e->verticalAnchor) + ":" + std::to_string(e->verticalOffset) + " p" +
                  std::to_string(e->paddingLeft) + "," + std::to_string(e->paddingTop));
  }
  return out;
}

// A tail corner with an element of its own, and elements after the tail group.
const char kTailWithChild[] =
    "<window><style><width>{pq_width}</width><height>{pq_height}</height></style>"
    "<element><type>controls.tail</type>"
    "<element><type>controls.tail_left_lower</type><style><width>20</width><height>30</height></style>"
    "<element><type>area.design</type><id>tail-inner</id><style><left>1</left><top>1</top><width>50%</width>"
    "<height>10</height></style></element></element></element>"
    "<element><type>area.design</type><id>after-tail</id><style><left>0</left><top>0</top><width>{pq_width}</width>"
    "<height>20%</height></style>"
    "<element><type>controls.close</type><id>close</id><style><right>4</right><top>2</top><width>12</width>"
    "<height>12</height></style></element></element>"
    "<element><type>area.design</type><id>footer</id><style><left>0</left><bottom>0</bottom><width>100%</width>"
    "<height>6</height></style></element></window>";

// A rebuild (a resize) gives every element the style a first build at the
// new size gives it: it walks the elements the first build made, with the
// first build's record, through tail groups and into tail corners.
TEST(ElementTree, RebuildAtANewSizeStylesEveryElementAsAFirstBuildAtThatSize) {
  PanelRecord searchOff = AllOn();
  searchOff.flags.showSearch = searchOff.flags.showAds = searchOff.flags.resizable = false;
  searchOff.searchPanel = true;
  const struct {
    const char* name;
    std::string xml;
    PanelRecord rebuildRecord;  // what the panel's current record says at the rebuild
  } cases[] = {
      {"the same record", ReadFixture("tree.xml"), AllOn()},
      {"a record of other flags", ReadFixture("tree.xml"), searchOff},
      {"a tail corner with an element", kTailWithChild, AllOn()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FixtureDocument document(c.xml);
    ASSERT_TRUE(document.Loaded());
    FakeFactory factory;
    std::vector<std::wstring> lines;
    ElementPanel resized;
    resized.log = [&](const std::wstring& line) { lines.push_back(line); };
    resized.BuildElements(document, AllOn(), {300, 200}, factory);
    resized.LayoutPanel();
    resized.ResizePanel(5, 500, 260, {0, 0, 300, 200},
                        [&](int w, int h) { resized.BuildElements(document, c.rebuildRecord, {w, h}, factory); });

    ElementPanel fresh;
    fresh.BuildElements(document, AllOn(), {500, 260}, factory);
    const LayoutRect freshRect = fresh.LayoutPanel();
    EXPECT_EQ(Styles(fresh), Styles(resized));
    EXPECT_EQ(freshRect, resized.panelRect);
    EXPECT_TRUE(lines.empty()) << Utf8(lines.front());
  }
}

TEST(ElementTree, ARebuildFindsEveryElementAtItsOwnPathWhateverTheTemplateNests) {
  // Templates as a hostile server may write them; a rebuild (a resize) must
  // pair every element it built with its own path, or the elements after the
  // odd one take their neighbours' styles.
  struct Case {
    const char* what;
    const char* xml;
  };
  const std::vector<Case> cases = {
      {"an element under a tail corner",
       "<window><element><type>controls.tail_right_upper</type>"
       "<element><type>area.design</type><id>under</id><style><width>10</width></style></element></element>"
       "<element><type>area.design</type><id>after</id><style><width>20</width></style></element></window>"},
      {"a second tail of one corner inside the first, elements after it",
       "<window><element><type>controls.tail_left_lower</type>"
       "<element><type>controls.tail_left_lower</type>"
       "<element><type>area.design</type><id>inner</id></element></element>"
       "<element><type>area.design</type><id>under</id><style><width>10</width></style></element></element>"
       "<element><type>area.design</type><id>after</id><style><width>20</width></style></element></window>"},
      {"a second tail of one corner beside the first",
       "<window><element><type>controls.tail_right_lower</type>"
       "<element><type>area.design</type><id>under</id></element></element>"
       "<element><type>controls.tail_right_lower</type>"
       "<element><type>area.design</type><id>other</id></element></element>"
       "<element><type>area.design</type><id>after</id><style><width>20</width></style></element></window>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FixtureDocument document(c.xml);
    ASSERT_TRUE(document.Loaded());
    ElementPanel panel;
    std::vector<std::wstring> lines;
    panel.log = [&](const std::wstring& line) { lines.push_back(line); };
    FakeFactory factory;
    panel.BuildElements(document, AllOn(), {100, 100}, factory);
    // Only the first tail of a corner is built; another is logged.
    EXPECT_EQ(nullptr, Find(panel, "inner"));
    EXPECT_EQ(nullptr, Find(panel, "other"));
    EXPECT_EQ(std::string(c.what).find("second") != std::string::npos ? 1u : 0u, lines.size());
    const std::vector<std::string> ids = Ids(panel.all);
    panel.BuildElements(document, AllOn(), {100, 100}, factory);
    EXPECT_EQ(static_cast<int>(panel.all.Count()), panel.creationCounter);
    EXPECT_EQ(ids, Ids(panel.all));
    EXPECT_DOUBLE_EQ(20, Find(panel, "after")->width);
  }
}

}  // namespace
