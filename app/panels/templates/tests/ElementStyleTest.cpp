#include "app/panels/templates/ElementStyle.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

using namespace templates;

namespace {

// A template as path -> text; records every path asked.
struct FakeTemplate {
  std::map<std::wstring, std::wstring> values;
  std::vector<std::wstring> asked;
  TemplateLookup Lookup() {
    return [this](const std::wstring& path) {
      asked.push_back(path);
      auto it = values.find(path);
      return it == values.end() ? std::wstring() : it->second;
    };
  }
  bool Asked(const std::wstring& path) const {
    for (const auto& p : asked) {
      if (p == path) return true;
    }
    return false;
  }
};

const std::wstring P = L"/window/element[2]";

LayoutNode Parent() {
  LayoutNode parent;
  parent.width = 400;
  parent.height = 300;
  parent.paddingTop = 1;
  parent.paddingBottom = 2;
  parent.paddingLeft = 3;
  parent.paddingRight = 4;
  parent.horizontalAnchor = kAnchorEnd;
  parent.horizontalOffset = 7;
  parent.verticalAnchor = kAnchorEnd;
  parent.verticalOffset = 9;
  return parent;
}

TEST(ElementStyle, ReadsEveryValueOfOneElement) {
  FakeTemplate t;
  t.values = {
      {P + L"/id", L"body"},
      {P + L"/style/backgroundImage", L"{pq_images_skin}body.png"},
      {P + L"/mouseoverImage", L"{pq_images_skin}over.png"},
      {P + L"/style/backgroundPosition", L"center center"},
      {P + L"/style/backgroundRepeat", L"no-repeat"},
      {P + L"/style/backgroundColor", L"red"},
      {P + L"/style/display", L"Inline"},
      {P + L"/style/position", L"absolute"},
      {P + L"/style/verticalAlign", L"middle"},
      {P + L"/style/fontFamily", L"Arial"},
      {P + L"/style/textAlign", L"center"},
      {P + L"/style/whiteSpace", L"nowrap"},
      {P + L"/style/paddingTop", L"5"},
      {P + L"/style/width", L"50%"},
      {P + L"/style/height", L"{pq_height}"},
      {P + L"/style/left", L"12"},
      {P + L"/style/right", L"99"},
      {P + L"/style/bottom", L"6"},
  };
  const LayoutNode parent = Parent();
  StyleReadContext context;
  context.size = {640, 480};
  context.parent = &parent;
  LayoutNode node;
  ElementStyle style;
  ReadElementStyle(t.Lookup(), P, context, node, style);

  EXPECT_EQ(style.id, L"body");
  EXPECT_EQ(style.background.image, L"{pq_images_skin}body.png");
  EXPECT_EQ(style.mouseoverImage, L"{pq_images_skin}over.png");
  EXPECT_TRUE(style.background.position.centred);
  EXPECT_EQ(style.background.repeat, kNoRepeat);
  EXPECT_EQ(style.colour, kColourRed);
  EXPECT_EQ(node.display, kDisplayInline);
  EXPECT_EQ(node.position, kPositionAbsolute);
  EXPECT_EQ(node.verticalAlign, kAlignMiddle);
  EXPECT_TRUE(style.hasText);
  EXPECT_FALSE(style.noWrap);  // fontFamily wins over whiteSpace
  EXPECT_TRUE(node.textCentred);
  EXPECT_DOUBLE_EQ(node.paddingTop, 6.0);     // 5 + the parent's 1
  EXPECT_DOUBLE_EQ(node.paddingBottom, 2.0);  // the parent's
  EXPECT_DOUBLE_EQ(node.paddingLeft, 3.0);
  EXPECT_DOUBLE_EQ(node.paddingRight, 4.0);
  EXPECT_EQ(style.widthMode, kLengthPercent);
  EXPECT_DOUBLE_EQ(node.width, 200.0);
  EXPECT_EQ(style.heightMode, kLengthPixels);
  EXPECT_DOUBLE_EQ(node.height, 480.0);
  EXPECT_EQ(node.horizontalAnchor, kAnchorStart);  // left wins
  EXPECT_DOUBLE_EQ(node.horizontalOffset, 12.0);
  EXPECT_EQ(node.verticalAnchor, kAnchorEnd);
  EXPECT_DOUBLE_EQ(node.verticalOffset, 6.0);
}

TEST(ElementStyle, PercentagePaddingsTakeTheSizeBeforeThisRead) {
  FakeTemplate t;
  t.values = {
      {P + L"/style/paddingLeft", L"10%"},
      {P + L"/style/paddingTop", L"0.5"},
      {P + L"/style/width", L"50%"},
      {P + L"/style/height", L"20"},
  };
  const LayoutNode parent = Parent();
  StyleReadContext context;
  context.parent = &parent;
  LayoutNode node;
  ElementStyle style;
  ReadElementStyle(t.Lookup(), P, context, node, style);
  // First build: the element has no size yet.
  EXPECT_EQ(style.paddingLeftMode, kLengthPercent);
  EXPECT_DOUBLE_EQ(node.paddingLeft, 3.0);
  EXPECT_DOUBLE_EQ(node.paddingTop, 1.0);
  EXPECT_DOUBLE_EQ(node.width, 200.0);

  // A rebuild reads the same element again: now 10% of 200 and half of 20.
  context.firstBuild = false;
  ReadElementStyle(t.Lookup(), P, context, node, style);
  EXPECT_DOUBLE_EQ(node.paddingLeft, 23.0);
  EXPECT_DOUBLE_EQ(node.paddingTop, 11.0);
}

TEST(ElementStyle, AnchorsInheritAndSpecialIdsCorrect) {
  struct Case {
    const char* name;
    std::map<std::wstring, std::wstring> values;
    bool searchPanel;
    int hAnchor;
    double hOffset, vOffset, width;
  };
  const std::vector<Case> cases = {
      {"inherits", {{P + L"/style/width", L"100"}}, false, kAnchorEnd, 7, 9, 100},
      {"right", {{P + L"/style/right", L"8"}, {P + L"/style/top", L"4"}}, false, kAnchorEnd, 8, 4, 0},
      {"submit right", {{P + L"/id", L"submitty"}, {P + L"/style/right", L"8"}, {P + L"/style/top", L"4"}},
       false, kAnchorEnd, 33, 2, 0},
      {"submit inherited", {{P + L"/id", L"submitty"}}, false, kAnchorEnd, 7, 7, 0},
      {"submit left", {{P + L"/id", L"submitty"}, {P + L"/style/left", L"8"}}, false, kAnchorStart, 8, 7, 0},
      {"search, search panel",
       {{P + L"/id", L"pq_ecp_search_{pq_object_id}"}, {P + L"/style/width", L"300"}}, true, kAnchorEnd, 7, 9,
       214},
      {"search, other panel",
       {{P + L"/id", L"pq_ecp_search_{pq_object_id}"}, {P + L"/style/width", L"300"},
        {P + L"/style/paddingLeft", L"10"}},
       false, kAnchorEnd, 7, 9, 283},  // 300 - (10 + 3) - 4
      {"search box", {{P + L"/id", L"pq_ecp_search_box_{x}"}, {P + L"/style/width", L"300"}}, false, kAnchorEnd,
       7, 9, 301},  // 300 - 3 + 4
  };
  for (const Case& c : cases) {
    FakeTemplate t;
    t.values = c.values;
    const LayoutNode parent = Parent();
    StyleReadContext context;
    context.parent = &parent;
    context.searchPanel = c.searchPanel;
    LayoutNode node;
    ElementStyle style;
    ReadElementStyle(t.Lookup(), P, context, node, style);
    EXPECT_EQ(node.horizontalAnchor, c.hAnchor) << c.name;
    EXPECT_DOUBLE_EQ(node.horizontalOffset, c.hOffset) << c.name;
    EXPECT_DOUBLE_EQ(node.verticalOffset, c.vOffset) << c.name;
    EXPECT_DOUBLE_EQ(node.width, c.width) << c.name;
  }
}

TEST(ElementStyle, FixedIdsAndFirstBuildOnlyValues) {
  FakeTemplate t;
  t.values = {
      {P + L"/id", L"from_template"},
      {P + L"/disabledImage", L"off.png"},  // no background image: not read
      {P + L"/style/fontFamily", L"Arial"},
      {P + L"/style/backgroundRepeat", L"repeat-x"},
  };
  StyleReadContext context;
  context.fixedId = L"submitty";
  LayoutNode node;
  ElementStyle style;
  ReadElementStyle(t.Lookup(), P, context, node, style);
  EXPECT_EQ(style.id, L"submitty");
  EXPECT_TRUE(style.roles.submit);
  EXPECT_FALSE(t.Asked(P + L"/id"));
  EXPECT_FALSE(t.Asked(P + L"/disabledImage"));
  EXPECT_TRUE(style.disabledImage.empty());
  EXPECT_TRUE(style.hasText);
  EXPECT_EQ(style.background.repeat, kRepeatX);

  FakeTemplate later;
  later.values = t.values;
  StyleReadContext rebuild;
  rebuild.firstBuild = false;
  ElementStyle again;
  ReadElementStyle(later.Lookup(), P, rebuild, node, again);
  EXPECT_EQ(again.id, L"from_template");
  EXPECT_FALSE(later.Asked(P + L"/style/fontFamily"));
  EXPECT_FALSE(later.Asked(P + L"/style/backgroundRepeat"));
}

}  // namespace
