// The value readers of a panel's window template: numbers and lengths, the
// colour, display and placement codes, element ids with a special meaning,
// background images, image references and their cache names, and the skin key
// that names the template's cache folder.  Plain code over strings, no Win32
// call: built natively as well and tested in tables.
#pragma once

#include <cstdint>
#include <string>

namespace templates {

// Template names (types, style words) compare ignoring ASCII letter case.
bool EqualsIgnoringAsciiCase(const std::wstring& text, const wchar_t* name);

// The size the template is read for: it replaces {pq_width} and {pq_height}.
struct TemplateSize {
  int width = 0;
  int height = 0;
};

// A template number: the integer form (pixels, placeholders) and the
// fractional form (percentages and decimal numbers).  Only one of them is
// set; callers that accept a fraction use it when it is above 0.
struct TemplateNumber {
  int integer = 0;
  double fraction = 0.0;
};

TemplateNumber ReadNumber(const std::wstring& text, TemplateSize size);

// Length modes of an element's width, height and paddings.
enum LengthMode : int { kLengthPixels = 2, kLengthPercent = 3 };

struct TemplateLength {
  int mode = kLengthPixels;
  double value = 0.0;
};

// A relative length (fraction above 0) is the fraction times the reference;
// anything else is the integer in pixels.
TemplateLength ReadLength(const std::wstring& text, double reference, TemplateSize size);

// The panel zoom: the fractional form only; anything that is not a positive
// fraction gives 1.0.
double ReadZoom(const std::wstring& text);

// A size, offset or zoom the template gave, as whole pixels: truncated
// toward zero and held within the int range (NaN gives 0).  Every conversion
// of a template-derived double to int goes through it: a plain cast of a
// value beyond the range is undefined.
int ToPixels(double value);

// Left and top edges (and unrepeated bitmap sizes) scale by the integer part
// of the zoom, but never by less than 1, so a zoom below 1 keeps them.
int IntegerZoom(double zoom);

// "gray" and "red" in exact case; everything else is white.
constexpr uint32_t kColourGray = 0xFFA0A0A0u;
constexpr uint32_t kColourRed = 0xFFFF0000u;
constexpr uint32_t kColourWhite = 0xFFFFFFFFu;
uint32_t ReadColour(const std::wstring& text);

// Style codes (names compared ignoring case).
int ReadDisplay(const std::wstring& text);        // inline 1, block 2, none 3, else 0
int ReadPosition(const std::wstring& text);       // absolute 1, relative 2, else 0
int ReadVerticalAlign(const std::wstring& text);  // middle 1, bottom 3, else 2
bool ReadTextCentred(const std::wstring& text);   // "center"

// An element's id: its fixed id when it has one, else the template's text.
std::wstring ReadElementId(const std::wstring& fixedId, const std::wstring& templateId);

// The roles an id gives its element.
struct ElementIdRoles {
  bool frame = false;        // contains "pq_ecp_frame_{pq_object_id}": built first among its siblings
  bool searchArea = false;   // contains "pq_ecp_search_area": skipped without search
  bool title = false;        // contains "pq_ecp_title": shows the record's name
  bool searchWidth = false;  // begins with "pq_ecp_search_{"
  bool searchBox = false;    // begins with "pq_ecp_search_box_{"
  bool submit = false;       // begins with "submitty"
};
ElementIdRoles ClassifyElementId(const std::wstring& id);

// The width corrections of the search ids, applied after the width is read.
double CorrectWidthForId(const ElementIdRoles& roles, double width, bool searchPanel,
                         double paddingLeft, double paddingRight);

// The offsets of the submit control: a right offset grows by 25, the vertical
// offset (given or inherited) shrinks by 2.
double CorrectSubmitRightOffset(double offset);
double CorrectSubmitVerticalOffset(double offset);

// Tiling codes of a background image.
enum RepeatCode : int { kNoRepeat = 0, kRepeatX = 1, kRepeatY = 2, kRepeatBoth = 3 };

struct BackgroundPosition {
  bool set = false;      // false: the template gave no usable position
  bool centred = false;  // "center center"
  int x = 0;             // pixel offsets when not centred
  int y = 0;
};

struct Background {
  std::wstring image;  // the image reference as written (empty: none)
  BackgroundPosition position;
  int repeat = kRepeatBoth;
};

BackgroundPosition ReadBackgroundPosition(const std::wstring& text);
int ReadBackgroundRepeat(const std::wstring& text);
Background ReadBackground(const std::wstring& image, const std::wstring& position,
                          const std::wstring& repeat);

// Resolves an image reference: "{pq_images_skin}rest" gives
// templateBase + key + "/images/" + rest, "{pq_images}rest" gives
// templateBase + "images/" + rest (text before the brace is dropped); any
// other reference comes back unchanged.
std::wstring ExpandPlaceholders(const std::wstring& reference, const std::wstring& templateBase,
                                const std::wstring& key);

// The part of an image's cache file name that comes from its reference: the
// reference as written when it holds only safe file-name characters, else
// every unsafe character (path separators, drive colons, wildcards, quotes,
// angle brackets, bars, control characters) and every ".." becomes "_", so
// no reference names a file outside the skin's folder.
std::wstring ImageCacheSuffix(const std::wstring& reference);

// The skin key names a folder, a file and a registry key: it is accepted when
// it is made only of ASCII letters, digits and "-_.", holds no "..", and is
// none of the per-user value names "Start", "Splash", "NewInstall", "UserID",
// "TID" (compared ignoring case, as the registry does).
bool IsAcceptedTemplateKey(const std::wstring& key);

}  // namespace templates
