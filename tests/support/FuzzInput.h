// Fuzz bytes as the texts the parsers see.  Header only, for the libFuzzer
// targets (<module>/fuzz/, built by tools/fuzz).
//
// FuzzText: two bytes a UTF-16LE code unit, NUL made a blank (the cores'
// terminated texts).
// FuzzWide: the bytes read as UTF-8, leniently, into 16-bit code units as
// Windows holds them (a 4-byte sequence gives a surrogate pair, a 3-byte one
// may give a lone surrogate, any other byte stands for itself), so seeds are
// readable text and every code unit is reachable.  NUL stays.
// FuzzFields: FuzzWide split at each line feed, at most maxFields fields
// (the last one keeps the rest, line feeds and all).
// FUZZ_CHECK(condition): a rule the target checks; when it does not hold, the
// condition and its line go to stderr and the run aborts (libFuzzer keeps
// the input).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#define FUZZ_CHECK(condition) \
    ((condition) ? (void)0 : FuzzCheckFailed(#condition, __FILE__, __LINE__))

[[noreturn]] inline void FuzzCheckFailed(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: fuzz check failed: %s\n", file, line, condition);
    std::abort();
}

inline std::u16string FuzzText(const uint8_t* data, size_t size) {
    std::u16string text;
    text.reserve(size / 2);
    for (size_t i = 0; i + 1 < size; i += 2) {
        char16_t c = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
        text += c ? c : u' ';
    }
    return text;
}

inline std::wstring FuzzWide(const uint8_t* data, size_t size) {
    std::wstring text;
    text.reserve(size);
    auto more = [&](size_t at) { return at < size && (data[at] & 0xC0) == 0x80; };
    for (size_t i = 0; i < size;) {
        const uint8_t b = data[i];
        if (b >= 0xC2 && b <= 0xDF && more(i + 1)) {
            text += static_cast<wchar_t>(((b & 0x1F) << 6) | (data[i + 1] & 0x3F));
            i += 2;
        } else if (b >= 0xE0 && b <= 0xEF && more(i + 1) && more(i + 2)) {
            text += static_cast<wchar_t>(((b & 0x0F) << 12) | ((data[i + 1] & 0x3F) << 6) | (data[i + 2] & 0x3F));
            i += 3;
        } else if (b >= 0xF0 && b <= 0xF4 && more(i + 1) && more(i + 2) && more(i + 3)) {
            uint32_t c = ((b & 0x07u) << 18) | ((data[i + 1] & 0x3Fu) << 12) | ((data[i + 2] & 0x3Fu) << 6) |
                         (data[i + 3] & 0x3Fu);
            c = (c - 0x10000u) & 0xFFFFFu;
            text += static_cast<wchar_t>(0xD800u + (c >> 10));
            text += static_cast<wchar_t>(0xDC00u + (c & 0x3FFu));
            i += 4;
        } else {
            text += static_cast<wchar_t>(b);
            i += 1;
        }
    }
    return text;
}

inline std::vector<std::wstring> FuzzFields(const uint8_t* data, size_t size, size_t maxFields) {
    const std::wstring text = FuzzWide(data, size);
    std::vector<std::wstring> fields;
    size_t start = 0;
    while (fields.size() + 1 < maxFields) {
        const size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) break;
        fields.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    fields.push_back(text.substr(start));
    return fields;
}

// The field at index, or "" past the last one.
inline const std::wstring& FieldAt(const std::vector<std::wstring>& fields, size_t index) {
    static const std::wstring kNone;
    return index < fields.size() ? fields[index] : kNone;
}
