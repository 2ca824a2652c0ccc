// The query-parameter lookup of the server routines and the panels' key
// rules.  No Win32 call.
#pragma once

#include <string>

// The value after the first occurrence of key (plus one character, the "=")
// up to the next "&", or to the end; "" when key does not occur.
inline std::wstring GetUrlParam(const std::wstring& url, const std::wstring& key) {
    size_t at = url.find(key);
    if (at == std::wstring::npos) return std::wstring();
    size_t start = at + key.size() + 1;
    if (start >= url.size()) return std::wstring();
    size_t amp = url.find(L'&', start);
    return url.substr(start, amp == std::wstring::npos ? std::wstring::npos : amp - start);
}
