#include "app/panels/templates/TemplateValues.h"

#include <climits>
#include <cmath>

namespace templates {
namespace {

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

// The leading decimal integer of a text, as the runtime's integer conversion
// reads it (blanks, an optional sign, digits; anything else ends it); values
// beyond the int range stop at its bounds.
int LeadingInteger(const std::wstring& text, size_t end) {
  size_t i = 0;
  while (i < end && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < end && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
  long long value = 0;
  for (; i < end && IsDigit(text[i]); ++i) {
    value = value * 10 + (text[i] - L'0');
    if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT_MAX) value = INT_MAX;
  if (value < INT_MIN) value = INT_MIN;
  return static_cast<int>(value);
}

// The leading decimal number of a text (blanks, sign, digits, a point,
// digits), independent of the locale; no digits give 0.
double LeadingDecimal(const std::wstring& text) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) negative = text[i++] == L'-';
  double value = 0.0;
  for (; i < text.size() && IsDigit(text[i]); ++i) value = value * 10.0 + (text[i] - L'0');
  if (i < text.size() && text[i] == L'.') {
    double scale = 0.1;
    for (++i; i < text.size() && IsDigit(text[i]); ++i, scale /= 10.0) value += (text[i] - L'0') * scale;
  }
  if (value > INT_MAX) value = INT_MAX;  // keeps every later conversion to int defined
  return negative ? -value : value;
}

bool Contains(const std::wstring& text, const wchar_t* part) { return text.find(part) != std::wstring::npos; }

bool BeginsWith(const std::wstring& text, const wchar_t* prefix) { return text.rfind(prefix, 0) == 0; }

// One "<integer>px" value, the whole of [begin, end).
bool ReadPixels(const std::wstring& text, size_t begin, size_t end, int* out) {
  if (end < begin + 3 || text.compare(end - 2, 2, L"px") != 0) return false;
  size_t i = begin;
  if (text[i] == L'-' || text[i] == L'+') ++i;
  if (i >= end - 2) return false;
  for (size_t j = i; j < end - 2; ++j) {
    if (!IsDigit(text[j])) return false;
  }
  *out = LeadingInteger(text.substr(begin, end - 2 - begin), end - 2 - begin);
  return true;
}

wchar_t LowerAscii(wchar_t c) { return (c >= L'A' && c <= L'Z') ? wchar_t(c - L'A' + L'a') : c; }

}  // namespace

bool EqualsIgnoringAsciiCase(const std::wstring& a, const wchar_t* b) {
  size_t i = 0;
  for (; i < a.size() && b[i] != 0; ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return i == a.size() && b[i] == 0;
}

TemplateNumber ReadNumber(const std::wstring& text, TemplateSize size) {
  TemplateNumber number;
  if (text == L"{pq_width}") {
    number.integer = size.width;
  } else if (text == L"{pq_height}") {
    number.integer = size.height;
  } else if (text.find(L'%', 1) != std::wstring::npos) {
    number.fraction = LeadingInteger(text, text.size() - 1) / 100.0;
  } else if (text.find(L'.') != std::wstring::npos) {
    number.fraction = LeadingDecimal(text);
  } else {
    number.integer = LeadingInteger(text, text.size());
  }
  return number;
}

TemplateLength ReadLength(const std::wstring& text, double reference, TemplateSize size) {
  const TemplateNumber number = ReadNumber(text, size);
  TemplateLength length;
  if (number.fraction > 0.0) {
    length.mode = kLengthPercent;
    length.value = number.fraction * reference;
  } else {
    length.mode = kLengthPixels;
    length.value = number.integer;
  }
  return length;
}

double ReadZoom(const std::wstring& text) {
  const double fraction = ReadNumber(text, TemplateSize{}).fraction;
  return fraction > 0.0 ? fraction : 1.0;
}

int ToPixels(double value) {
  if (std::isnan(value)) return 0;
  if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(value);
}

int IntegerZoom(double zoom) { return zoom >= 1.0 ? ToPixels(zoom) : 1; }

uint32_t ReadColour(const std::wstring& text) {
  if (text == L"gray") return kColourGray;
  if (text == L"red") return kColourRed;
  return kColourWhite;
}

int ReadDisplay(const std::wstring& text) {
  if (EqualsIgnoringAsciiCase(text, L"inline")) return 1;
  if (EqualsIgnoringAsciiCase(text, L"block")) return 2;
  if (EqualsIgnoringAsciiCase(text, L"none")) return 3;
  return 0;
}

int ReadPosition(const std::wstring& text) {
  if (EqualsIgnoringAsciiCase(text, L"absolute")) return 1;
  if (EqualsIgnoringAsciiCase(text, L"relative")) return 2;
  return 0;
}

int ReadVerticalAlign(const std::wstring& text) {
  if (EqualsIgnoringAsciiCase(text, L"middle")) return 1;
  if (EqualsIgnoringAsciiCase(text, L"bottom")) return 3;
  return 2;
}

bool ReadTextCentred(const std::wstring& text) { return EqualsIgnoringAsciiCase(text, L"center"); }

std::wstring ReadElementId(const std::wstring& fixedId, const std::wstring& templateId) {
  return fixedId.empty() ? templateId : fixedId;
}

ElementIdRoles ClassifyElementId(const std::wstring& id) {
  ElementIdRoles roles;
  roles.frame = Contains(id, L"pq_ecp_frame_{pq_object_id}");
  roles.searchArea = Contains(id, L"pq_ecp_search_area");
  roles.title = Contains(id, L"pq_ecp_title");
  roles.searchWidth = BeginsWith(id, L"pq_ecp_search_{");
  roles.searchBox = BeginsWith(id, L"pq_ecp_search_box_{");
  roles.submit = BeginsWith(id, L"submitty");
  return roles;
}

double CorrectWidthForId(const ElementIdRoles& roles, double width, bool searchPanel,
                         double paddingLeft, double paddingRight) {
  if (roles.searchWidth) width = searchPanel ? width - 86.0 : width - paddingLeft - paddingRight;
  if (roles.searchBox && !searchPanel) width = width - paddingLeft + paddingRight;
  return width;
}

double CorrectSubmitRightOffset(double offset) { return offset + 25.0; }

double CorrectSubmitVerticalOffset(double offset) { return offset - 2.0; }

BackgroundPosition ReadBackgroundPosition(const std::wstring& text) {
  BackgroundPosition position;
  if (EqualsIgnoringAsciiCase(text, L"center center")) {
    position.set = true;
    position.centred = true;
    return position;
  }
  const size_t blank = text.find(L' ');
  if (blank == std::wstring::npos) return position;
  int x = 0;
  int y = 0;
  if (ReadPixels(text, 0, blank, &x) && ReadPixels(text, blank + 1, text.size(), &y)) {
    position.set = true;
    position.x = x;
    position.y = y;
  }
  return position;
}

int ReadBackgroundRepeat(const std::wstring& text) {
  if (EqualsIgnoringAsciiCase(text, L"no-repeat")) return kNoRepeat;
  if (EqualsIgnoringAsciiCase(text, L"repeat-x")) return kRepeatX;
  if (EqualsIgnoringAsciiCase(text, L"repeat-y")) return kRepeatY;
  return kRepeatBoth;
}

Background ReadBackground(const std::wstring& image, const std::wstring& position,
                          const std::wstring& repeat) {
  Background background;
  background.image = image;
  background.position = ReadBackgroundPosition(position);
  background.repeat = ReadBackgroundRepeat(repeat);
  return background;
}

std::wstring ExpandPlaceholders(const std::wstring& reference, const std::wstring& templateBase,
                                const std::wstring& key) {
  const size_t open = reference.find(L'{');
  if (open == std::wstring::npos) return reference;
  const size_t close = reference.find(L'}', open + 1);
  if (close == std::wstring::npos) return reference;
  const std::wstring name = reference.substr(open + 1, close - open - 1);
  const std::wstring rest = reference.substr(close + 1);
  if (name == L"pq_images_skin") return templateBase + key + L"/images/" + rest;
  if (name == L"pq_images") return templateBase + L"images/" + rest;
  return reference;
}

std::wstring ImageCacheSuffix(const std::wstring& reference) {
  static const wchar_t kUnsafe[] = L"/\\:*?\"<>|";
  std::wstring suffix;
  suffix.reserve(reference.size());
  for (size_t i = 0; i < reference.size(); ++i) {
    const wchar_t c = reference[i];
    if (c == L'.' && i + 1 < reference.size() && reference[i + 1] == L'.') {
      suffix += L'_';
      ++i;
    } else if (c < 0x20 || std::wstring(kUnsafe).find(c) != std::wstring::npos) {
      suffix += L'_';
    } else {
      suffix += c;
    }
  }
  return suffix;
}

bool IsAcceptedTemplateKey(const std::wstring& key) {
  if (key.empty() || key.find(L"..") != std::wstring::npos) return false;
  for (wchar_t c : key) {
    const bool letter = (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
    if (!letter && !IsDigit(c) && c != L'-' && c != L'_' && c != L'.') return false;
  }
  for (const wchar_t* reserved : {L"Start", L"Splash", L"NewInstall", L"UserID", L"TID"}) {
    if (EqualsIgnoringAsciiCase(key, reserved)) return false;
  }
  return true;
}

}  // namespace templates
