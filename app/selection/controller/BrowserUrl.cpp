#include "app/selection/controller/BrowserUrl.h"

#include "app/core/net/UrlParam.h"
#include "hosts/HostWindowClasses.h"

namespace browser_url {

std::wstring SafeUrl(const std::wstring& url) {
    if (!IsWebUrl(url)) return std::wstring();
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

const wchar_t* BrowserWindowClass(bool firefox) { return firefox ? host_class::kFirefoxFrame : host_class::kIEFrame; }

std::wstring StartParameters(const std::wstring& safeUrl, bool firefox) {
    return firefox ? L" -new-window " + QuoteArgument(safeUrl) : QuoteArgument(safeUrl);
}

}  // namespace browser_url
