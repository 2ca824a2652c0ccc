#include "app/panels/templates/TemplateValues.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <utility>
#include <string>
#include <vector>

#include "tests/support/Utf8.h"

using namespace templates;

namespace {

const TemplateSize kSize{320, 240};

using testsupport::Utf8;

TEST(TemplateValues, ReadNumberForms) {
  struct Case {
    const wchar_t* text;
    int integer;
    double fraction;
  };
  const std::vector<Case> cases = {
      {L"", 0, 0.0},
      {L"17", 17, 0.0},
      {L"-4", -4, 0.0},
      {L"12px", 12, 0.0},           // the runtime's conversion stops at the first non-digit
      {L"abc", 0, 0.0},             // neither number nor placeholder
      {L"{pq_width}", 320, 0.0},
      {L"{pq_height}", 240, 0.0},
      {L"{PQ_WIDTH}", 0, 0.0},      // placeholders in exact case only
      {L" {pq_width}", 0, 0.0},
      {L"50%", 0, 0.5},
      {L"100%", 0, 1.0},
      {L"%", 0, 0.0},               // a percent sign needs a character before it
      {L"x%", 0, 0.0},
      {L"12.5%", 0, 0.12},          // the integer value of "12.5"
      {L"0.75", 0, 0.75},
      {L"1.5", 0, 1.5},
      {L".5", 0, 0.5},
      {L"-0.25", 0, -0.25},
      {L"a.b", 0, 0.0},
      {L"99999999999", INT_MAX, 0.0},   // out of range stops at the bound
      {L"-99999999999", INT_MIN, 0.0},
      {L"99999999999999999999.5", 0, double(INT_MAX)},
  };
  for (const Case& c : cases) {
    const TemplateNumber n = ReadNumber(c.text, kSize);
    EXPECT_EQ(n.integer, c.integer) << Utf8(c.text);
    EXPECT_DOUBLE_EQ(n.fraction, c.fraction) << Utf8(c.text);
  }
}

TEST(TemplateValues, ReadLengthModes) {
  struct Case {
    const wchar_t* text;
    double reference;
    int mode;
    double value;
  };
  const std::vector<Case> cases = {
      {L"50%", 200.0, kLengthPercent, 100.0},
      {L"25%", 90.0, kLengthPercent, 22.5},
      {L"0.5", 300.0, kLengthPercent, 150.0},
      {L"{pq_width}", 1000.0, kLengthPixels, 320.0},
      {L"{pq_height}", 1000.0, kLengthPixels, 240.0},
      {L"40", 1000.0, kLengthPixels, 40.0},
      {L"", 1000.0, kLengthPixels, 0.0},
      {L"0%", 1000.0, kLengthPixels, 0.0},      // no positive fraction: pixels
      {L"-10%", 1000.0, kLengthPixels, 0.0},
      {L"junk", 1000.0, kLengthPixels, 0.0},
  };
  for (const Case& c : cases) {
    const TemplateLength l = ReadLength(c.text, c.reference, kSize);
    EXPECT_EQ(l.mode, c.mode) << Utf8(c.text);
    EXPECT_DOUBLE_EQ(l.value, c.value) << Utf8(c.text);
  }
}

TEST(TemplateValues, ZoomUsesTheFractionOnly) {
  struct Case {
    const wchar_t* text;
    double zoom;
  };
  const std::vector<Case> cases = {
      {L"80%", 0.8}, {L"0.75", 0.75}, {L"150%", 1.5}, {L"2.0", 2.0},
      {L"2", 1.0}, {L"", 1.0}, {L"{pq_width}", 1.0}, {L"0.0", 1.0}, {L"-0.5", 1.0},
  };
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(ReadZoom(c.text), c.zoom) << Utf8(c.text);
}

// Sizes, offsets and zooms a template gave, as pixels: toward zero, and held
// at the int range's ends where a plain conversion would be undefined (on
// x86 it answers INT_MIN whichever way the value left the range).
TEST(TemplateValues, ToPixelsTruncatesAndSaturates) {
  const std::vector<std::pair<double, int>> cases = {
      {0.0, 0},          {2.9, 2},           {-2.9, -2},         {2147483646.5, INT_MAX - 1},
      {2147483647.0, INT_MAX}, {2147483648.0, INT_MAX}, {1e300, INT_MAX}, {HUGE_VAL, INT_MAX},
      {-2147483648.0, INT_MIN}, {-2147483649.0, INT_MIN}, {-1e300, INT_MIN}, {-HUGE_VAL, INT_MIN},
      {std::nan(""), 0},
  };
  for (const auto& c : cases) EXPECT_EQ(ToPixels(c.first), c.second) << c.first;
}

TEST(TemplateValues, IntegerZoomNeverBelowOne) {
  const std::vector<std::pair<double, int>> cases = {
      {0.8, 1}, {0.0, 1}, {-2.0, 1}, {1.0, 1}, {1.5, 1}, {2.0, 2}, {2.9, 2}, {1e300, INT_MAX},
  };
  for (const auto& c : cases) EXPECT_EQ(IntegerZoom(c.first), c.second) << c.first;
}

TEST(TemplateValues, ColourAndStyleCodes) {
  EXPECT_EQ(ReadColour(L"gray"), 0xFFA0A0A0u);
  EXPECT_EQ(ReadColour(L"red"), 0xFFFF0000u);
  EXPECT_EQ(ReadColour(L"Red"), 0xFFFFFFFFu);  // other letter case gives white
  EXPECT_EQ(ReadColour(L"GRAY"), 0xFFFFFFFFu);
  EXPECT_EQ(ReadColour(L""), 0xFFFFFFFFu);
  EXPECT_EQ(ReadColour(L"#000000"), 0xFFFFFFFFu);

  struct Case {
    int (*read)(const std::wstring&);
    const wchar_t* text;
    int code;
  };
  const std::vector<Case> cases = {
      {ReadDisplay, L"inline", 1}, {ReadDisplay, L"BLOCK", 2}, {ReadDisplay, L"None", 3},
      {ReadDisplay, L"", 0},       {ReadDisplay, L"flex", 0},  {ReadDisplay, L"block ", 0},
      {ReadPosition, L"absolute", 1}, {ReadPosition, L"Relative", 2}, {ReadPosition, L"fixed", 0},
      {ReadPosition, L"", 0},
      {ReadVerticalAlign, L"middle", 1}, {ReadVerticalAlign, L"BOTTOM", 3},
      {ReadVerticalAlign, L"top", 2},    {ReadVerticalAlign, L"", 2},
  };
  for (const Case& c : cases) EXPECT_EQ(c.read(c.text), c.code) << Utf8(c.text);

  EXPECT_TRUE(ReadTextCentred(L"center"));
  EXPECT_TRUE(ReadTextCentred(L"CENTER"));
  EXPECT_FALSE(ReadTextCentred(L"centre"));
  EXPECT_FALSE(ReadTextCentred(L""));
}

TEST(TemplateValues, ElementIdsAndTheirRoles) {
  EXPECT_EQ(ReadElementId(L"", L"from_template"), L"from_template");
  EXPECT_EQ(ReadElementId(L"tail_left_upper", L"from_template"), L"tail_left_upper");

  struct Case {
    const wchar_t* id;
    bool frame, searchArea, title, searchWidth, searchBox, submit;
  };
  const std::vector<Case> cases = {
      {L"", false, false, false, false, false, false},
      {L"pq_ecp_frame_{pq_object_id}", true, false, false, false, false, false},
      {L"outer_pq_ecp_frame_{pq_object_id}_x", true, false, false, false, false, false},
      {L"pq_ecp_frame_", false, false, false, false, false, false},
      {L"x_pq_ecp_search_area", false, true, false, false, false, false},
      {L"pq_ecp_title", false, false, true, false, false, false},
      {L"my_pq_ecp_title_2", false, false, true, false, false, false},
      {L"pq_ecp_search_{pq_object_id}", false, false, false, true, false, false},
      {L"pq_ecp_search_box_{pq_object_id}", false, false, false, false, true, false},
      {L"x_pq_ecp_search_{", false, false, false, false, false, false},  // must begin with it
      {L"pq_ecp_search_area_{1}", false, true, false, false, false, false},
      {L"submitty", false, false, false, false, false, true},
      {L"submitty_2", false, false, false, false, false, true},
      {L"a_submitty", false, false, false, false, false, false},
  };
  for (const Case& c : cases) {
    const ElementIdRoles r = ClassifyElementId(c.id);
    EXPECT_EQ(r.frame, c.frame) << Utf8(c.id);
    EXPECT_EQ(r.searchArea, c.searchArea) << Utf8(c.id);
    EXPECT_EQ(r.title, c.title) << Utf8(c.id);
    EXPECT_EQ(r.searchWidth, c.searchWidth) << Utf8(c.id);
    EXPECT_EQ(r.searchBox, c.searchBox) << Utf8(c.id);
    EXPECT_EQ(r.submit, c.submit) << Utf8(c.id);
  }
}

TEST(TemplateValues, WidthAndOffsetCorrectionsOfTheSearchIds) {
  const ElementIdRoles search = ClassifyElementId(L"pq_ecp_search_{pq_object_id}");
  const ElementIdRoles box = ClassifyElementId(L"pq_ecp_search_box_{pq_object_id}");
  const ElementIdRoles plain = ClassifyElementId(L"body");
  EXPECT_DOUBLE_EQ(CorrectWidthForId(search, 300.0, true, 10.0, 20.0), 214.0);
  EXPECT_DOUBLE_EQ(CorrectWidthForId(search, 300.0, false, 10.0, 20.0), 270.0);
  EXPECT_DOUBLE_EQ(CorrectWidthForId(box, 300.0, false, 10.0, 20.0), 310.0);
  EXPECT_DOUBLE_EQ(CorrectWidthForId(box, 300.0, true, 10.0, 20.0), 300.0);
  EXPECT_DOUBLE_EQ(CorrectWidthForId(plain, 300.0, true, 10.0, 20.0), 300.0);
  EXPECT_DOUBLE_EQ(CorrectSubmitRightOffset(5.0), 30.0);
  EXPECT_DOUBLE_EQ(CorrectSubmitVerticalOffset(5.0), 3.0);
}

TEST(TemplateValues, Backgrounds) {
  struct PositionCase {
    const wchar_t* text;
    bool set, centred;
    int x, y;
  };
  const std::vector<PositionCase> positions = {
      {L"center center", true, true, 0, 0},
      {L"CENTER Center", true, true, 0, 0},
      {L"10px 20px", true, false, 10, 20},
      {L"-3px 0px", true, false, -3, 0},
      {L"0px -7px", true, false, 0, -7},
      {L"", false, false, 0, 0},
      {L"center", false, false, 0, 0},
      {L"10px", false, false, 0, 0},
      {L"10 20", false, false, 0, 0},
      {L"10px  20px", false, false, 0, 0},
      {L"px px", false, false, 0, 0},
      {L"-px 1px", false, false, 0, 0},
      {L"1x5px 2px", false, false, 0, 0},
      {L"top left", false, false, 0, 0},
  };
  for (const PositionCase& c : positions) {
    const BackgroundPosition p = ReadBackgroundPosition(c.text);
    EXPECT_EQ(p.set, c.set) << Utf8(c.text);
    EXPECT_EQ(p.centred, c.centred) << Utf8(c.text);
    EXPECT_EQ(p.x, c.x) << Utf8(c.text);
    EXPECT_EQ(p.y, c.y) << Utf8(c.text);
  }

  EXPECT_EQ(ReadBackgroundRepeat(L"no-repeat"), kNoRepeat);
  EXPECT_EQ(ReadBackgroundRepeat(L"Repeat-X"), kRepeatX);
  EXPECT_EQ(ReadBackgroundRepeat(L"REPEAT-Y"), kRepeatY);
  EXPECT_EQ(ReadBackgroundRepeat(L""), kRepeatBoth);
  EXPECT_EQ(ReadBackgroundRepeat(L"repeat"), kRepeatBoth);

  const Background b = ReadBackground(L"{pq_images_skin}frame.png", L"4px 5px", L"repeat-x");
  EXPECT_EQ(b.image, L"{pq_images_skin}frame.png");
  EXPECT_TRUE(b.position.set);
  EXPECT_EQ(b.position.x, 4);
  EXPECT_EQ(b.position.y, 5);
  EXPECT_EQ(b.repeat, kRepeatX);

  const Background none = ReadBackground(L"", L"", L"");
  EXPECT_TRUE(none.image.empty());
  EXPECT_FALSE(none.position.set);
  EXPECT_EQ(none.repeat, kRepeatBoth);
}

TEST(TemplateValues, ExpandPlaceholdersResolvesImageReferences) {
  const std::wstring base = L"http://127.0.0.1:8080/templates/ecp/";
  struct Case {
    const wchar_t* reference;
    const wchar_t* url;
  };
  const std::vector<Case> cases = {
      {L"{pq_images_skin}frame.png", L"http://127.0.0.1:8080/templates/ecp/blue/images/frame.png"},
      {L"{pq_images}close.png", L"http://127.0.0.1:8080/templates/ecp/images/close.png"},
      {L"dropped{pq_images}sub/x.png", L"http://127.0.0.1:8080/templates/ecp/images/sub/x.png"},
      {L"{pq_images}", L"http://127.0.0.1:8080/templates/ecp/images/"},
      {L"{PQ_IMAGES}x.png", L"{PQ_IMAGES}x.png"},          // names in exact case
      {L"{pq_unknown}x.png", L"{pq_unknown}x.png"},        // unknown name: unchanged
      {L"http://cdn.example/x.png", L"http://cdn.example/x.png"},
      {L"{pq_images", L"{pq_images"},                      // no closing brace
      {L"", L""},
  };
  for (const Case& c : cases) EXPECT_EQ(ExpandPlaceholders(c.reference, base, L"blue"), c.url) << Utf8(c.reference);
}

TEST(TemplateValues, ImageCacheSuffixKeepsEveryReferenceInsideTheSkinFolder) {
  struct Case {
    const wchar_t* reference;
    const wchar_t* suffix;
  };
  const std::vector<Case> cases = {
      // Safe references map exactly as written.
      {L"{pq_images_skin}frame.png", L"{pq_images_skin}frame.png"},
      {L"{pq_images}close-1_x.png", L"{pq_images}close-1_x.png"},
      {L"a.b.c.png", L"a.b.c.png"},
      {L"", L""},
      // Unsafe characters become "_".
      {L"{pq_images}sub/x.png", L"{pq_images}sub_x.png"},
      {L"..\\..\\evil.exe", L"____evil.exe"},
      {L"{pq_images}../../x.png", L"{pq_images}____x.png"},
      {L"C:\\Windows\\x.png", L"C__Windows_x.png"},
      {L"http://cdn.example/a?b=1", L"http___cdn.example_a_b=1"},
      {L"a*b\"c<d>e|f", L"a_b_c_d_e_f"},
      {L"a...b", L"a_.b"},
      {L"tab\there", L"tab_here"},
  };
  for (const Case& c : cases) {
    const std::wstring suffix = ImageCacheSuffix(c.reference);
    EXPECT_EQ(suffix, c.suffix) << Utf8(c.reference);
    EXPECT_EQ(suffix.find(L".."), std::wstring::npos) << Utf8(c.reference);
    EXPECT_EQ(suffix.find_first_of(L"/\\:"), std::wstring::npos) << Utf8(c.reference);
  }
}

TEST(TemplateValues, TemplateKeysThatNameFoldersFilesAndRegistryKeys) {
  struct Case {
    const wchar_t* key;
    bool accepted;
  };
  const std::vector<Case> cases = {
      {L"blue", true}, {L"Blue-2_skin.v1", true}, {L"a.b", true}, {L"7", true},
      {L"", false},
      {L"..", false}, {L"a..b", false}, {L"../x", false}, {L"a/b", false}, {L"a\\b", false},
      {L"C:", false}, {L"a b", false}, {L"a*", false}, {L"a?", false}, {L"a\"b", false},
      {L"a<b>", false}, {L"a|b", false}, {L"a\tb", false}, {L"\x00e9t\x00e9", false},
      {L"Start", false}, {L"Splash", false}, {L"NewInstall", false}, {L"UserID", false},
      {L"TID", false}, {L"start", false}, {L"userid", false}, {L"tid", false},
      {L"Starts", true}, {L"TID2", true},
  };
  for (const Case& c : cases) EXPECT_EQ(IsAcceptedTemplateKey(c.key), c.accepted) << Utf8(c.key);
}

}  // namespace
