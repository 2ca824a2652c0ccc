// Window templates (fixtures in tests/fixtures) built into element trees:
// classes, ids, order, the ad URL, build conditions, and templates without
// types, empty, unreadable, too deep or with too many elements.
#include "app/panels/elements/tests/BuiltTree.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

using namespace elements_test;
using templates::TemplateSize;

namespace {

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
