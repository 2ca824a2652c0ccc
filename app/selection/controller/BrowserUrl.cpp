#include "app/selection/controller/BrowserUrl.h"

namespace browser_url {

namespace {

bool StartsWithNoCase(const std::wstring& text, const wchar_t* prefix) {
    size_t i = 0;
    for (; prefix[i]; ++i) {
        if (i >= text.size()) return false;
        wchar_t c = text[i];
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

}  // namespace

std::wstring SafeUrl(const std::wstring& url) {
    size_t scheme = 0;
    if (StartsWithNoCase(url, L"http://"))
        scheme = 7;
    else if (StartsWithNoCase(url, L"https://"))
        scheme = 8;
    if (scheme == 0 || url.size() <= scheme) return std::wstring();
    std::wstring safe;
    safe.reserve(url.size());
    for (wchar_t c : url) {
        if (c < 0x20 || c == 0x7f) return std::wstring();
        if (c == L'"')
            safe += L"%22";
        else
            safe += c;
    }
    return safe;
}

std::wstring QuoteArgument(const std::wstring& safeUrl) {
    size_t trailing = 0;
    while (trailing < safeUrl.size() && safeUrl[safeUrl.size() - 1 - trailing] == L'\\') ++trailing;
    return L"\"" + safeUrl + std::wstring(trailing, L'\\') + L"\"";
}

bool IsFirefoxPath(const std::wstring& path) {
    for (const wchar_t* name : {L"firefox.exe", L"FIREFOX.EXE"}) {
        size_t at = path.find(name, 1);
        if (at != std::wstring::npos) return true;
    }
    return false;
}

const wchar_t* BrowserWindowClass(bool firefox) { return firefox ? L"MozillaUIWindowClass" : L"IEFrame"; }

std::wstring StartParameters(const std::wstring& safeUrl, bool firefox) {
    return firefox ? L" -new-window " + QuoteArgument(safeUrl) : QuoteArgument(safeUrl);
}

}  // namespace browser_url
