#include "app/selection/controller/Observer.h"

#include <shellapi.h>

#include "app/selection/controller/BrowserTreeView.h"
#include "app/selection/controller/ControllerSteps.h"
#include "app/selection/controller/BrowserUrl.h"
#include "log/PondrelLog.h"

void Observer::Clear() {
    m_HotSpots.RemoveAllLinks();
    m_Owner.m_pCurrentLink = nullptr;
}

bool Observer::OpenInDefaultBrowser(std::wstring url) {
    m_Owner.m_DownOverPopup = false;
    m_Owner.m_ButtonDownSeen = false;
    if (m_Owner.IsTextMenuVisible()) m_Owner.HideTextMenu();
    std::wstring safe = browser_url::SafeUrl(url);
    if (safe.empty()) {
        LogWithPrefix(L"Not opened in the browser (not an http or https URL): %s", url.c_str());
        return false;
    }
    BrowserStarter& starter = DefaultBrowserStarter();
    return starter.start(starter.browserPath(), browser_url::QuoteArgument(safe));
}

BrowserStarter& DefaultBrowserStarter() {
    static BrowserStarter starter{
        [] { return DefaultBrowserPath(); },
        [](const std::wstring& file, const std::wstring& parameters) {
            HINSTANCE r = ::ShellExecuteW(nullptr, nullptr, file.c_str(), parameters.c_str(), nullptr, SW_SHOWNORMAL);
            return reinterpret_cast<INT_PTR>(r) > 32;
        },
        [](SHELLEXECUTEINFOW& info) { return ::ShellExecuteExW(&info); }};
    return starter;
}
