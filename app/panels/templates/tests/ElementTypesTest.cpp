#include "app/panels/templates/ElementTypes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/Utf8.h"

using namespace templates;

namespace {

using testsupport::Utf8;

TEST(ElementTypes, TypeStringsIgnoringCase) {
  struct Case {
    const wchar_t* text;
    ElementType type;
  };
  const std::vector<Case> cases = {
      {L"area.design", ElementType::kAreaDesign},   {L"AREA.Basic", ElementType::kAreaDesign},
      {L"area.content", ElementType::kContent},     {L"area.menu.content", ElementType::kMenuContent},
      {L"area.ad", ElementType::kAd},               {L"controls.search_text", ElementType::kSearchText},
      {L"controls.search", ElementType::kSearchControl},
      {L"controls.context_shift", ElementType::kContextShift},
      {L"Controls.Search_Submit", ElementType::kSearchSubmit},
      {L"controls.resize", ElementType::kResize},   {L"controls.child_open", ElementType::kChildOpen},
      {L"controls.next", ElementType::kNext},       {L"controls.back", ElementType::kBack},
      {L"controls.dock", ElementType::kDock},       {L"controls.share", ElementType::kShare},
      {L"controls.move", ElementType::kMove},       {L"CONTROLS.CLOSE", ElementType::kClose},
      {L"controls.tail", ElementType::kTail},
      {L"controls.tail_left_upper", ElementType::kTailLeftUpper},
      {L"controls.tail_left_lower", ElementType::kTailLeftLower},
      {L"controls.tail_right_upper", ElementType::kTailRightUpper},
      {L"controls.tail_right_lower", ElementType::kTailRightLower},
      {L"", ElementType::kUnknown},                 {L"area", ElementType::kUnknown},
      {L"controls.close ", ElementType::kUnknown},  {L"area.contents", ElementType::kUnknown},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadElementType(c.text), c.type) << Utf8(c.text);
}

TEST(ElementTypes, BuildConditionsFollowTheRecordFlags) {
  RecordFlags none;
  none.actionUrl = L"FALSE";
  RecordFlags all;
  all.showAds = all.showSearch = all.resizable = all.dockable = all.shareable = true;
  all.actionUrl = L"http://127.0.0.1/open";
  struct Case {
    ElementType type;
    bool withNone, withAll, onRebuild;  // onRebuild: all flags, later build
  };
  const std::vector<Case> cases = {
      {ElementType::kUnknown, false, false, false},
      {ElementType::kAreaDesign, true, true, true},
      {ElementType::kContent, true, true, true},
      {ElementType::kMenuContent, true, true, true},
      {ElementType::kAd, false, true, true},
      {ElementType::kSearchText, false, true, true},
      {ElementType::kSearchControl, false, true, true},
      {ElementType::kContextShift, false, true, true},
      {ElementType::kSearchSubmit, false, true, true},
      {ElementType::kResize, false, true, true},
      {ElementType::kChildOpen, false, true, true},
      {ElementType::kNext, true, true, true},
      {ElementType::kBack, true, true, true},
      {ElementType::kDock, false, true, true},
      {ElementType::kShare, false, true, true},
      {ElementType::kMove, true, true, true},
      {ElementType::kClose, true, true, true},
      {ElementType::kTail, true, true, false},
      {ElementType::kTailLeftUpper, true, true, false},
      {ElementType::kTailRightLower, true, true, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsElementBuilt(c.type, none, true), c.withNone) << int(c.type);
    EXPECT_EQ(IsElementBuilt(c.type, all, true), c.withAll) << int(c.type);
    EXPECT_EQ(IsElementBuilt(c.type, all, false), c.onRebuild) << int(c.type);
  }
  RecordFlags emptyAction;
  EXPECT_TRUE(IsElementBuilt(ElementType::kChildOpen, emptyAction, true));

  for (ElementType boxed : {ElementType::kChildOpen, ElementType::kNext, ElementType::kBack, ElementType::kDock,
                            ElementType::kShare, ElementType::kMove, ElementType::kClose}) {
    EXPECT_TRUE(HasBoxFallback(boxed)) << int(boxed);
  }
  for (ElementType plain : {ElementType::kAreaDesign, ElementType::kContent, ElementType::kSearchControl,
                            ElementType::kSearchSubmit, ElementType::kTailLeftUpper}) {
    EXPECT_FALSE(HasBoxFallback(plain)) << int(plain);
  }
}

TEST(ElementTypes, PathsAndBuildOrder) {
  EXPECT_EQ(ElementPath(L"/window", 1), L"/window/element[1]");
  EXPECT_EQ(ElementPath(L"/window/element[2]", 13), L"/window/element[2]/element[13]");

  struct Case {
    std::vector<std::wstring> ids;
    std::vector<int> order;
  };
  const std::vector<Case> cases = {
      {{}, {}},
      {{L"a", L"b", L"c"}, {1, 2, 3}},
      {{L"a", L"b", L"pq_ecp_frame_{pq_object_id}"}, {3, 1, 2}},
      {{L"a", L"outer_pq_ecp_frame_{pq_object_id}", L"c"}, {2, 1, 3}},
      {{L"pq_ecp_frame_{pq_object_id}", L"b", L"pq_ecp_frame_{pq_object_id}_2"}, {3, 1, 2}},
  };
  for (const Case& c : cases) EXPECT_EQ(OrderElementNodes(c.ids), c.order);
}

}  // namespace
