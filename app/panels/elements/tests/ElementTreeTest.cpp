// Window templates (fixtures in tests/fixtures) built into element trees:
// classes, ids, order, build conditions, rectangles for sizes and zooms,
// paddings on the first build and a rebuild, resize handles and resizing.
#include "Fakes.h"
#include "FixtureDocument.h"

#include "app/panels/elements/ElementPanel.h"
#include "app/panels/templates/TemplateValues.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <utility>
#include <set>
#include <string>
#include <vector>

using namespace elements_test;
using templates::TemplateSize;

namespace {

PanelRecord AllOn() {
  PanelRecord r;
  r.flags.showAds = r.flags.showSearch = r.flags.resizable = r.flags.dockable = r.flags.shareable = true;
  r.flags.actionUrl = L"http://example.test/open";
  r.name = L"Pond weather";
  r.queryText = L"pond life";
  r.adsUrl = L"http://ads.test/ad";
  return r;
}

struct Built {
  explicit Built(const char* fixture) : document(ReadFixture(fixture)) {}
  void Build(const PanelRecord& record, TemplateSize size) { panel.BuildElements(document, record, size, factory); }
  FixtureDocument document;
  FakeFactory factory;
  ElementPanel panel;
};

std::vector<std::string> ClassesAndIds(const ElementList& list) {
  std::vector<std::string> out;
  for (WindowElement* e : list) out.push_back(std::string(e->ClassName()) + " " + Utf8(e->id));
  return out;
}

std::vector<std::string> Ids(const ElementList& list) {
  std::vector<std::string> out;
  for (WindowElement* e : list) out.push_back(Utf8(e->id));
  return out;
}

std::vector<std::string> ChildIds(const WindowElement& e) {
  std::vector<std::string> out;
  for (size_t i = 0; i < e.ChildCount(); ++i) out.push_back(Utf8(e.Child(i)->id));
  return out;
}

WindowElement* Find(const ElementPanel& panel, const char* id) {
  for (WindowElement* e : panel.all) {
    if (Utf8(e->id) == id) return e;
  }
  return nullptr;
}

TEST(ElementTree, ClassesIdsAndOrderWithTheFrameFirst) {
  Built b("tree.xml");
  ASSERT_TRUE(b.document.Loaded());
  int urlsBuilt = 0;
  b.panel.buildContentUrl = [&](ContentElement& e) {
    ++urlsBuilt;
    e.contentUrl = L"built";
  };
  b.Build(AllOn(), {300, 200});
  ElementPanel& p = b.panel;

  EXPECT_EQ((std::vector<std::string>{
                "AreaDesignElement ",
                "AreaDesignElement pq_ecp_frame_{pq_object_id}",
                "ECPElement content",
                "AdElement ad",
                "AreaDesignElement pq_ecp_title",
                "CloseElement close",
                "GripperElement grip",
                "NavigateElement next",
                "NavigateElement back",
                "DockElement dock",
                "ShareElement share",
                "MaxToBrowserElement open",
                "AreaDesignElement pq_ecp_search_area",
                "SearchElement pq_ecp_search_{text}",
                "ContextShiftElement pq_ecp_current",
                "ContextShiftElement shift",
                "SearchSubmitElement submitty",
                "AreaDesignElement tail-shade",
                "AreaDesignElement footer",
            }),
            ClassesAndIds(p.all));
  for (size_t i = 0; i < p.all.Count(); ++i) {
    EXPECT_EQ(static_cast<int>(i), p.all.At(i)->index);
    EXPECT_EQ(&p, p.all.At(i)->owner);
  }

  // The tree: the frame first among the window's children; the tail group's
  // further element stands in its place; the unknown type and its child are gone.
  ASSERT_EQ(p.all.First(), p.windowElement);
  EXPECT_EQ((std::vector<std::string>{"pq_ecp_frame_{pq_object_id}", "pq_ecp_title", "close", "grip", "next",
                                      "back", "dock", "share", "open", "pq_ecp_search_area", "tail-shade", "footer"}),
            ChildIds(*p.windowElement));
  EXPECT_EQ((std::vector<std::string>{"content", "ad"}), ChildIds(*p.windowElement->Child(0)));
  EXPECT_EQ(nullptr, Find(p, "hidden-close"));

  // Lists.
  EXPECT_EQ((std::vector<std::string>{"content", "ad", "pq_ecp_search_{text}"}), Ids(p.windowed));
  EXPECT_EQ((std::vector<std::string>{"", "pq_ecp_frame_{pq_object_id}", "pq_ecp_title", "close", "grip", "next",
                                      "back", "dock", "share", "open", "pq_ecp_search_area", "pq_ecp_current",
                                      "shift", "submitty", "tail-shade", "footer"}),
            Ids(p.drawn));
  EXPECT_EQ((std::vector<std::string>{"pq_ecp_current", "shift"}), Ids(p.contextShift));
  EXPECT_EQ((std::vector<std::string>{"submitty"}), Ids(p.searchSubmit));
  EXPECT_EQ((std::vector<std::string>{"open"}), Ids(p.openInBrowser));
  EXPECT_EQ((std::vector<std::string>{"next", "back"}), Ids(p.navigate));
  EXPECT_EQ((std::vector<std::string>{"dock"}), Ids(p.dock));
  EXPECT_EQ((std::vector<std::string>{"share"}), Ids(p.share));
  EXPECT_EQ((std::vector<std::string>{"grip"}), Ids(p.move));
  EXPECT_EQ((std::vector<std::string>{"close"}), Ids(p.close));
  EXPECT_TRUE(static_cast<NavigateElement*>(Find(p, "next"))->forward);
  EXPECT_FALSE(static_cast<NavigateElement*>(Find(p, "back"))->forward);

  // Panel fields.
  EXPECT_EQ(Find(p, "content"), p.mainContent);
  EXPECT_EQ(Find(p, "pq_ecp_search_{text}"), p.searchElement);
  EXPECT_EQ(Find(p, "pq_ecp_current"), p.searchControl);
  EXPECT_EQ(Find(p, "pq_ecp_title"), p.titleElement);
  EXPECT_EQ(Find(p, "share"), p.shareElement);
  EXPECT_EQ(L"SHARE-7", p.shareElement->target);
  EXPECT_TRUE(p.dockable);
  EXPECT_TRUE(p.hasResizeControl);
  EXPECT_TRUE(p.hadAd);
  EXPECT_EQ(1, urlsBuilt);
  EXPECT_EQ(L"built", p.mainContent->contentUrl);
  EXPECT_EQ(L"http://ads.test/ad?adtype=ecp&token=%70%6f%6e%64%20%6c%69%66%65",
            static_cast<ContentElement*>(Find(p, "ad"))->contentUrl);
  EXPECT_EQ(kSearchPresetUrl, p.searchElement->contentUrl);

  // Tails: kept apart with their fixed ids and sizes.
  for (int i = 0; i < 4; ++i) {
    ASSERT_NE(nullptr, p.tails[i]);
    EXPECT_EQ(kTailIds[i], p.tails[i]->id);
    EXPECT_EQ(20.0 + i, p.tails[i]->width);
    EXPECT_FALSE(p.all.Contains(p.tails[i].get()));
    EXPECT_STREQ("TailElement", p.tails[i]->ClassName());
  }

  // Drawing objects: pictures, the title's text (the record's name), the
  // record's icon on the search control, boxes in the element's colour for
  // controls without a picture, nothing elsewhere.
  EXPECT_EQ("bitmap {pq_images_skin}frame.png", KindOf(*Find(p, "pq_ecp_frame_{pq_object_id}")));
  EXPECT_EQ("text Pond weather", KindOf(*p.titleElement));
  EXPECT_EQ("box FFFF0000", KindOf(*Find(p, "close")));
  EXPECT_EQ("box FFFFFFFF", KindOf(*Find(p, "grip")));
  EXPECT_EQ("bitmap {pq_images}share.png", KindOf(*Find(p, "share")));
  EXPECT_EQ("icon", KindOf(*p.searchControl));
  EXPECT_EQ("", KindOf(*Find(p, "shift")));
  EXPECT_EQ("", KindOf(*p.mainContent));
  EXPECT_EQ(Find(p, "close"), Find(p, "close")->Render()->owner);
}

// The ad's token is the user's text percent-encoded: no character of it adds
// a parameter, cuts the URL at a fragment or reads as an escape.
TEST(ElementTree, TheAdUrlCarriesTheQueryTextPercentEncoded) {
  struct Case {
    std::wstring query, token;
  } cases[] = {
      {L"a&pqload=ecp", L"%61%26%70%71%6c%6f%61%64%3d%65%63%70"},
      {L"x#y", L"%78%23%79"},
      {L"5%20", L"%35%25%32%30"},
      {L"\u00e9\U0001F600", L"%c3%a9%f0%9f%98%80"},
      {L"", L""},
  };
  for (const Case& c : cases) {
    Built b("tree.xml");
    ASSERT_TRUE(b.document.Loaded());
    PanelRecord record = AllOn();
    record.queryText = c.query;
    b.Build(record, {300, 200});
    WindowElement* ad = Find(b.panel, "ad");
    ASSERT_NE(nullptr, ad);
    EXPECT_EQ(L"http://ads.test/ad?adtype=ecp&token=" + c.token, static_cast<ContentElement*>(ad)->contentUrl)
        << Utf8(c.token);
  }
}

TEST(ElementTree, BuildConditionsFollowTheRecordFlags) {
  const std::vector<std::string> always = {"",     "pq_ecp_frame_{pq_object_id}", "content", "pq_ecp_title",
                                           "close", "grip", "next", "back", "tail-shade", "footer"};
  const std::vector<std::string> search = {"pq_ecp_search_area", "pq_ecp_search_{text}", "pq_ecp_current", "shift",
                                           "submitty"};
  struct Case {
    const char* name;
    void (*set)(PanelRecord&);
    std::vector<std::string> extra;
    bool resize;
  };
  const std::vector<Case> cases = {
      {"nothing on", [](PanelRecord&) {}, {}, false},
      {"show_ads", [](PanelRecord& r) { r.flags.showAds = true; }, {"ad"}, false},
      {"show_search", [](PanelRecord& r) { r.flags.showSearch = true; }, search, false},
      {"resizable", [](PanelRecord& r) { r.flags.resizable = true; }, {}, true},
      {"dockable", [](PanelRecord& r) { r.flags.dockable = true; }, {"dock"}, false},
      {"shareable", [](PanelRecord& r) { r.flags.shareable = true; }, {"share"}, false},
      {"action url", [](PanelRecord& r) { r.flags.actionUrl = L"http://x.test/"; }, {"open"}, false},
      {"empty action url", [](PanelRecord& r) { r.flags.actionUrl = L""; }, {"open"}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PanelRecord record;
    record.flags.actionUrl = L"False";
    c.set(record);
    Built b("tree.xml");
    b.Build(record, {300, 200});
    std::set<std::string> expected(always.begin(), always.end());
    expected.insert(c.extra.begin(), c.extra.end());
    const std::vector<std::string> ids = Ids(b.panel.all);
    EXPECT_EQ(expected, std::set<std::string>(ids.begin(), ids.end()));
    EXPECT_EQ(c.resize, b.panel.hasResizeControl);
    EXPECT_EQ(record.flags.dockable, b.panel.dockable);
    EXPECT_EQ(record.flags.showAds, b.panel.hadAd);
    EXPECT_EQ(record.flags.showSearch, b.panel.searchElement != nullptr);
    // Tails are built whatever the flags.
    EXPECT_NE(nullptr, b.panel.tails[3]);
  }
}

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

LayoutRect RectOf(const ElementPanel& panel, const char* id) { return Find(panel, id)->windowRect; }

// The middle of an element, inset so that a neighbour's edge is not hit.
std::pair<int, int> Middle(const LayoutRect& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

TEST(PanelHit, ControlsMoveAreasHandlesAndWindowedElementsUnderAPoint) {
  Built b("tree.xml");
  RecordingLock lock;
  b.panel.lock = &lock;
  b.Build(AllOn(), {300, 200});
  const LayoutRect panelRect = b.panel.LayoutPanel();
  b.panel.CreateResizeHandles(panelRect);
  const int w = panelRect.right, h = panelRect.bottom;

  struct Case {
    const char* what;
    std::pair<int, int> at;
    PanelControl control;
    const char* element;  // the control's element id, "" none
    bool move;
    int direction;
    int windowed;
  };
  // -1: not checked (the fixture's controls near the right and bottom edges
  // also lie on the 23-pixel resize handles, and the search area on the ad).
  const std::vector<Case> cases = {
      // Controls on the move bar: the control wins, the move area is still seen.
      {"close", Middle(RectOf(b.panel, "close")), PanelControl::kClose, "close", true, -1, false},
      {"share", Middle(RectOf(b.panel, "share")), PanelControl::kShare, "share", true, 0, false},
      {"dock", Middle(RectOf(b.panel, "dock")), PanelControl::kDock, "dock", true, 0, false},
      {"next", Middle(RectOf(b.panel, "next")), PanelControl::kNextBack, "next", true, 0, false},
      {"back", Middle(RectOf(b.panel, "back")), PanelControl::kNextBack, "back", true, 0, false},
      {"open", Middle(RectOf(b.panel, "open")), PanelControl::kOpenInBrowser, "open", true, 0, false},
      // A control over a resize handle is still that control.
      {"submit", Middle(RectOf(b.panel, "submitty")), PanelControl::kSearchSubmit, "submitty", false, 6, -1},
      {"search control", Middle(RectOf(b.panel, "pq_ecp_current")), PanelControl::kContextShift, "pq_ecp_current",
       false, 6, -1},
      {"shift", Middle(RectOf(b.panel, "shift")), PanelControl::kContextShift, "shift", false, 6, -1},
      // A resize handle is a control with its direction.
      {"top-left handle", {1, 1}, PanelControl::kResize, "", true, 1, false},
      {"right edge", {w - 2, h / 2}, PanelControl::kResize, "", false, 4, -1},
      {"bottom-right", {w - 2, h - 2}, PanelControl::kResize, "", false, 5, -1},
      // The move bar alone, the content's child window.
      {"move bar", {150, 12}, PanelControl::kNone, "", true, 0, false},
      {"content", Middle(RectOf(b.panel, "content")), PanelControl::kNone, "", false, 0, true},
      {"outside", {w + 5, h + 5}, PanelControl::kNone, "", false, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const PanelHit hit = b.panel.HitTest(c.at.first, c.at.second);
    EXPECT_EQ(static_cast<int>(c.control), static_cast<int>(hit.control));
    if (*c.element != 0) {
      ASSERT_NE(nullptr, hit.element);
      EXPECT_EQ(c.element, Utf8(hit.element->id));
    }
    EXPECT_EQ(c.move, hit.overMoveArea);
    if (c.direction >= 0) {
      EXPECT_EQ(c.direction, hit.resizeDirection);
    }
    if (c.windowed >= 0) {
      EXPECT_EQ(c.windowed != 0, hit.overWindowed);
    }
  }
  EXPECT_EQ(0, lock.depth);
  EXPECT_GE(lock.taken, 1);
}

TEST(PanelHit, ChildWindowsAreRaisedWhenOutOfOrderOrForcedAndOnlyWhenShown) {
  Built b("tree.xml");
  FakePanelWindow window;
  b.panel.window = &window;
  b.Build(AllOn(), {300, 200});
  b.panel.LayoutPanel();
  std::vector<std::unique_ptr<FakeChildWindow>> children;
  for (WindowElement* e : b.panel.windowed) {
    children.push_back(std::make_unique<FakeChildWindow>());
    ASSERT_TRUE(e->CreateChildWindow(window, *children.back()));
  }
  ASSERT_EQ(3u, children.size());
  FakeChildWindow& first = *children[0];
  auto clear = [&] {
    for (auto& c : children) c->calls.clear();
  };
  struct Case {
    bool shown, rightAbove, force, moved;
  };
  const std::vector<Case> cases = {
      {false, false, true, false},  // a hidden first window: nothing
      {true, true, false, false},   // in order: nothing
      {true, false, false, true},   // another window came between
      {true, true, true, true},     // a drag or a fresh show
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.shown) + std::to_string(c.rightAbove) + std::to_string(c.force));
    first.shown = c.shown;
    first.rightAbove = c.rightAbove;
    clear();
    EXPECT_EQ(c.moved, b.panel.RaiseChildWindows(400, 300, c.force));
    for (size_t i = 0; i < children.size(); ++i) {
      const LayoutRect r = b.panel.windowed.At(i)->windowRect;
      const std::vector<std::string> expected =
          c.moved ? std::vector<std::string>{"above " + std::to_string(r.left + 400) + "," + std::to_string(r.top + 300)}
                  : std::vector<std::string>{};
      EXPECT_EQ(expected, children[i]->calls) << i;
    }
  }
}

TEST(PanelHit, NavButtonStateMarksTheFirstControlOfItsDirection) {
  Built b("tree.xml");
  b.Build(AllOn(), {300, 200});
  ElementPanel& p = b.panel;
  // next and back draw boxes only once given a colour: give them drawings.
  for (WindowElement* e : p.navigate) SetRenderElement(*e, std::make_unique<FakeRender>("nav"));
  RenderElement* next = Find(p, "next")->Render();
  RenderElement* back = Find(p, "back")->Render();
  EXPECT_TRUE(p.SetNavButtonState(false, true));
  EXPECT_EQ(1, next->state);
  EXPECT_EQ(0, back->state);
  EXPECT_TRUE(p.SetNavButtonState(false, false));
  EXPECT_EQ(1, back->state);
  EXPECT_TRUE(p.SetNavButtonState(true, true));
  EXPECT_EQ(0, next->state);
  EXPECT_EQ(1, back->state);

  Built none("layout.xml");
  none.Build(AllOn(), {300, 200});
  EXPECT_FALSE(none.panel.SetNavButtonState(false, true));
}

TEST(ElementTree, AnElementWithoutTypeIsSkippedAndItsSiblingsKeepTheirOwnPaths) {
  // The second element has no type: nothing is built for it, and the third
  // still reads its own style (its path stays element[3]).
  FixtureDocument document(
      "<window><element><type>area.design</type><id>a</id><style><width>10</width></style></element>"
      "<element><id>typeless</id><style><width>20</width></style></element>"
      "<element><type>controls.close</type><id>c</id><style><width>30</width></style></element></window>");
  ElementPanel panel;
  FakeFactory factory;
  panel.BuildElements(document, AllOn(), {100, 100}, factory);
  EXPECT_EQ((std::vector<std::string>{"AreaDesignElement ", "AreaDesignElement a", "CloseElement c"}),
            ClassesAndIds(panel.all));
  EXPECT_DOUBLE_EQ(30, Find(panel, "c")->width);
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

TEST(ElementTree, EmptyUnreadableAndDeepTemplatesBuildSafely) {
  {
    FixtureDocument none("");
    ElementPanel panel;
    FakeFactory factory;
    panel.BuildElements(none, AllOn(), {300, 200}, factory);
    // The window element itself stands; no children, no size.
    EXPECT_EQ(1u, panel.all.Count());
    EXPECT_EQ((LayoutRect{0, 0, 0, 0}), panel.LayoutPanel());
  }
  {
    std::string xml = "<window>";
    for (int i = 0; i < 100; ++i) xml += "<element><type>area.design</type><id>d" + std::to_string(i) + "</id>";
    for (int i = 0; i < 100; ++i) xml += "</element>";
    xml += "</window>";
    FixtureDocument deep(xml);
    ASSERT_TRUE(deep.Loaded());
    ElementPanel panel;
    std::vector<std::wstring> lines;
    panel.log = [&](const std::wstring& line) { lines.push_back(line); };
    FakeFactory factory;
    panel.BuildElements(deep, AllOn(), {300, 200}, factory);
    EXPECT_EQ(static_cast<size_t>(1 + kMaxElementDepth), panel.all.Count());
    ASSERT_EQ(1u, lines.size());
    EXPECT_NE(std::wstring::npos, lines[0].find(L"deeper than"));
    panel.LayoutPanel();
  }
  {
    // A document that lost elements between builds: the rebuild stops at
    // the end of the elements it has; one that gained some logs them.
    FixtureDocument two(
        "<window><element><type>area.design</type><id>a</id></element>"
        "<element><type>area.design</type><id>b</id></element></window>");
    FixtureDocument three(
        "<window><element><type>area.design</type><id>a</id></element>"
        "<element><type>area.design</type><id>b</id></element>"
        "<element><type>area.design</type><id>c</id></element></window>");
    ElementPanel panel;
    std::vector<std::wstring> lines;
    panel.log = [&](const std::wstring& line) { lines.push_back(line); };
    FakeFactory factory;
    panel.BuildElements(two, AllOn(), {10, 10}, factory);
    panel.BuildElements(three, AllOn(), {10, 10}, factory);
    EXPECT_EQ(3u, panel.all.Count());
    EXPECT_EQ(1u, lines.size());
  }
}

// A template of a thousand siblings (the first holding a few children of
// its own): the elements after kMaxElementCount are neither read nor built,
// in the first build and in a rebuild alike, and one line says so.
TEST(ElementTree, ElementsBeyondTheCountAreNeitherReadNorBuilt) {
  class CountingDocument : public TemplateDocument {
   public:
    explicit CountingDocument(const std::string& xml) : inner(xml) {}
    std::wstring Text(const std::wstring& path) override {
      ++lookups;
      return inner.Text(path);
    }
    int CountElements(const std::wstring& path) override { return inner.CountElements(path); }
    FixtureDocument inner;
    int lookups = 0;
  };
  std::string xml = "<window><element><type>area.design</type><id>first</id>";
  for (int i = 0; i < 5; ++i) xml += "<element><type>controls.close</type><id>inner" + std::to_string(i) + "</id></element>";
  xml += "</element>";
  for (int i = 1; i < 1000; ++i) xml += "<element><type>area.design</type><id>e" + std::to_string(i) + "</id></element>";
  xml += "</window>";
  CountingDocument document(xml);
  ASSERT_TRUE(document.inner.Loaded());
  ElementPanel panel;
  std::vector<std::wstring> lines;
  panel.log = [&](const std::wstring& line) { lines.push_back(line); };
  FakeFactory factory;
  panel.BuildElements(document, AllOn(), {300, 200}, factory);
  // The window, then the cut: its first 256 children and nothing below them
  // (the count was spent on their level before their children were met).
  EXPECT_EQ(static_cast<size_t>(1 + kMaxElementCount), panel.all.Count());
  EXPECT_NE(nullptr, Find(panel, "e255"));
  EXPECT_EQ(nullptr, Find(panel, "e256"));
  EXPECT_EQ(nullptr, Find(panel, "inner0"));
  EXPECT_LT(document.lookups, 40 * (kMaxElementCount + 1));
  ASSERT_EQ(1u, lines.size());
  EXPECT_NE(std::wstring::npos, lines[0].find(L"more than 256 elements; those from /window/element[257] on"))
      << Utf8(lines[0]);

  // A rebuild at a new size meets the same elements and logs nothing more.
  document.lookups = 0;
  panel.BuildElements(document, AllOn(), {400, 300}, factory);
  EXPECT_EQ(static_cast<size_t>(1 + kMaxElementCount), panel.all.Count());
  EXPECT_LT(document.lookups, 40 * (kMaxElementCount + 1));
  EXPECT_EQ(1u, lines.size());
}

}  // namespace
