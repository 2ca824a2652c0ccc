// Wide text as UTF-8, for expectations and failure messages: the tests' one
// converter, in the Windows trees (wchar_t holds UTF-16) and the native ones
// (wchar_t holds whole code points) alike, on the system's one UTF-8 rule
// (Hextens/HXLib/UrlEncode.h; the test links pondrel_urlencode).  Header only,
// no Win32 call.
#pragma once

#include <string>

#include "Hextens/HXLib/UrlEncode.h"

namespace testsupport {

// UTF-16 text stays as it is; a code point beyond U+FFFF becomes its
// surrogate pair, one beyond U+10FFFF U+FFFD.
inline std::string Utf8(const std::wstring& text) {
    std::u16string units;
    units.reserve(text.size());
    for (wchar_t c : text) {
        const auto code = static_cast<char32_t>(c);
        if (code <= 0xFFFF) {
            units += static_cast<char16_t>(code);
        } else if (code <= 0x10FFFF) {
            units += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            units += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            units += u'\xFFFD';
        }
    }
    return urlenc::Utf16ToUtf8(units.data(), units.size());
}

}  // namespace testsupport
