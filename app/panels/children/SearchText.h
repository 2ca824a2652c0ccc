// The search box's text rules, apart from the window: what a paste inserts
// and how much of the box's text is read.
#pragma once

#include <cstddef>
#include <string>

namespace panels {

// A paste takes at most this many characters of the clipboard text.
constexpr size_t kPasteMaxChars = 255;
// The search text is at most this many characters of the box's text.
constexpr size_t kSearchTextMaxChars = 256;

// The clipboard text as the box inserts it: its first 255 characters, with
// each line feed, carriage return and tab replaced by one blank.
std::wstring PasteText(const std::wstring& clipboard);

// The search text of the box's text: its first 256 characters.
std::wstring BoundSearchText(const std::wstring& text);

}  // namespace panels
