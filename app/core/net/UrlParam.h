// URL rules shared by the server routines, the update rules and the panels'
// key rules: the query-parameter lookup and what counts as a web URL.  No
// Win32 call.
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

// An http:// or https:// URL (scheme in any case) with something after the
// scheme: the only kind a server-supplied address may open.
inline bool IsWebUrl(const std::wstring& url) {
    auto startsNoCase = [&](const wchar_t* scheme, size_t n) {
        if (url.size() < n) return false;
        for (size_t i = 0; i < n; ++i) {
            wchar_t c = url[i];
            if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
            if (c != scheme[i]) return false;
        }
        return true;
    };
    return (startsNoCase(L"http://", 7) && url.size() > 7) || (startsNoCase(L"https://", 8) && url.size() > 8);
}
