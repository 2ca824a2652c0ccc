// The system's one percent-encoding rule: every byte of the text's UTF-8 form,
// letters and digits included, becomes '%' and two lower-case hex digits.
// Compiled into HXLib (UtilityLib::URLEncode2) and into the main program
// (UrlEncodeUtf8).  Portable: no Win32 call.
#pragma once

#include <cstddef>
#include <string>

namespace urlenc {

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD (EF BF BD), as the
// platform's converter does.
std::string Utf16ToUtf8(const char16_t* text, size_t length);

// Percent-encodes the UTF-8 form of text.
std::u16string PercentEncodeUtf8(const char16_t* text, size_t length);
// The same for a wide text, whether wchar_t holds UTF-16 (Windows) or whole
// code points (the native test builds).
std::wstring PercentEncodeWide(const std::wstring& text);

// The navigation form of a URL: its UTF-8 form with every byte at or above
// 0x80 as '%' and two upper-case hex digits, ASCII bytes kept as they are.
std::string PercentEncodeNonAsciiUtf8(const char16_t* text, size_t length);

#if defined(_WIN32)
inline std::wstring PercentEncodeUtf8(const wchar_t* text) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t");
    if (!text) return std::wstring();
    size_t n = 0;
    while (text[n]) ++n;
    std::u16string out = PercentEncodeUtf8(reinterpret_cast<const char16_t*>(text), n);
    return std::wstring(reinterpret_cast<const wchar_t*>(out.data()), out.size());
}
#endif

}  // namespace urlenc
