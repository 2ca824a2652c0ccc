#include "app/selection/Observer.h"

#include <shellapi.h>

#include "app/selection/BrowserTreeView.h"
#include "app/selection/ControllerSteps.h"
#include "log/PondrelLog.h"

void Observer::Clear() {
    m_HotSpots.RemoveAllLinks();
    m_Owner.m_pCurrentLink = nullptr;
}

bool Observer::OpenInDefaultBrowser(std::wstring url) {
    m_Owner.m_DownOverPopup = false;
    m_Owner.m_ButtonDownSeen = false;
    if (m_Owner.IsTextMenuVisible()) m_Owner.HideTextMenu();
    if (!IsBrowserUrl(url)) {
        LogWithPrefix(L"Not opened in the browser (not an http or https URL): %s", url.c_str());
        return false;
    }
    BrowserStarter& starter = DefaultBrowserStarter();
    return starter.start(starter.browserPath(), QuoteArgument(url));
}

BrowserStarter& DefaultBrowserStarter() {
    static BrowserStarter starter{
        [] { return DefaultBrowserPath(); },
        [](const std::wstring& file, const std::wstring& parameters) {
            HINSTANCE r = ::ShellExecuteW(nullptr, nullptr, file.c_str(), parameters.c_str(), nullptr, SW_SHOWNORMAL);
            return reinterpret_cast<INT_PTR>(r) > 32;
        }};
    return starter;
}

bool IsBrowserUrl(const std::wstring& url) {
    auto startsWith = [&](const wchar_t* scheme) {
        size_t n = wcslen(scheme);
        return url.size() > n && ::CompareStringOrdinal(url.c_str(), static_cast<int>(n), scheme,
                                                        static_cast<int>(n), TRUE) == CSTR_EQUAL;
    };
    if (!startsWith(L"http://") && !startsWith(L"https://")) return false;
    for (wchar_t c : url)
        if (c == L'"' || c < 0x20 || c == 0x7f) return false;
    return true;
}

std::wstring QuoteArgument(const std::wstring& url) {
    size_t trailing = 0;
    while (trailing < url.size() && url[url.size() - 1 - trailing] == L'\\') ++trailing;
    return L"\"" + url + std::wstring(trailing, L'\\') + L"\"";
}
