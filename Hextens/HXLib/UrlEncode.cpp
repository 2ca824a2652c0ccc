#include "UrlEncode.h"

#include <cstdint>

namespace urlenc {

std::string Utf16ToUtf8(const char16_t* text, size_t length) {
    std::string out;
    out.reserve(length * 3);
    for (size_t i = 0; i < length; ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u16string PercentEncodeUtf8(const char16_t* text, size_t length) {
    static const char16_t kHex[] = u"0123456789abcdef";
    std::string utf8 = Utf16ToUtf8(text, length);
    std::u16string out;
    out.reserve(utf8.size() * 3);
    for (unsigned char b : utf8) {
        out += u'%';
        out += kHex[b >> 4];
        out += kHex[b & 0x0F];
    }
    return out;
}

std::wstring PercentEncodeWide(const std::wstring& text) {
    std::u16string units;
    units.reserve(text.size());
    for (wchar_t c : text) {
        auto v = static_cast<uint32_t>(c);
        if (v > 0xFFFF) {
            v -= 0x10000;
            units.push_back(static_cast<char16_t>(0xD800 + (v >> 10)));
            units.push_back(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
        } else {
            units.push_back(static_cast<char16_t>(v));
        }
    }
    std::u16string out = PercentEncodeUtf8(units.data(), units.size());
    return std::wstring(out.begin(), out.end());
}

std::string PercentEncodeNonAsciiUtf8(const char16_t* text, size_t length) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string utf8 = Utf16ToUtf8(text, length);
    std::string out;
    out.reserve(utf8.size());
    for (unsigned char b : utf8) {
        if (b < 0x80) {
            out += static_cast<char>(b);
        } else {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 0x0F];
        }
    }
    return out;
}

}  // namespace urlenc
