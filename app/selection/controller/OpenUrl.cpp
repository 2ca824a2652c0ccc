// Opening a URL in the user's web browser: the browser window opened last
// is navigated through the enhancers; otherwise the default browser is
// started and its window looked for, so the next URL goes to it.
#include <windows.h>
#include <shellapi.h>

#include "app/core/main/PondrelApp.h"
#include "app/selection/controller/BrowserTreeView.h"
#include "app/selection/controller/BrowserUrl.h"
#include "fx/Handle.h"
#include "fx/UiThread.h"
#include "log/PondrelLog.h"

namespace {

// The executable of a path that may be quoted.
std::wstring Unquoted(const std::wstring& path) {
    if (path.size() >= 2 && path[0] == L'"') {
        size_t end = path.find(L'"', 1);
        return path.substr(1, end == std::wstring::npos ? std::wstring::npos : end - 1);
    }
    return path;
}

void ShellOpen(const std::wstring& safeUrl) {
    HINSTANCE r = ::ShellExecuteW(nullptr, L"open", safeUrl.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(r) <= 32) LogWithPrefix(L"The shell could not open %s", safeUrl.c_str());
}

HWND FindStartedBrowserWindow(bool firefox, const std::wstring& cls) {
    if (firefox) return ::FindWindowW(cls.c_str(), nullptr);
    theApp.FindBrowserWindow(cls, true);
    return theApp.m_hBrowserWnd;
}

}  // namespace

void BrowserTreeView::OpenUrlInBrowser(const std::wstring& url) {
    const std::wstring safe = browser_url::SafeUrl(url);
    if (safe.empty()) {
        LogWithPrefix(L"Not opened in the browser (not an http or https URL): %s", url.c_str());
        return;
    }
    const std::wstring path = DefaultBrowserStarter().browserPath();
    const bool firefox = browser_url::IsFirefoxPath(path);
    const std::wstring cls = browser_url::BrowserWindowClass(firefox);

    // The browser window opened last gets the URL through the enhancers.
    if (theApp.m_hBrowserWnd) {
        if (::IsWindow(theApp.m_hBrowserWnd)) {
            if (firefox) ::SetForegroundWindow(theApp.m_hBrowserWnd);
            if (!NavigateBrowser(theApp.m_hBrowserWnd, safe)) ShellOpen(safe);
            return;
        }
        theApp.m_hBrowserWnd = nullptr;
    }

    if (Unquoted(path).empty()) {
        LogWithPrefix(L"No default browser known; the shell opens %s", safe.c_str());
        ShellOpen(safe);
        return;
    }

    // Start the browser; for Internet Explorer remember the windows there
    // are, so the new one can be told apart.
    if (!firefox) theApp.EnumBrowserWindows(cls, true);
    const std::wstring file = Unquoted(path);
    const std::wstring parameters = browser_url::StartParameters(safe, firefox);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_DDEWAIT;
    info.lpVerb = L"open";
    info.lpFile = file.c_str();
    info.lpParameters = parameters.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!DefaultBrowserStarter().shellExecuteEx(info)) {
        LogWithPrefix(L"Could not start the browser %s", file.c_str());
        return;
    }
    fx::UniqueHandle process(info.hProcess);
    if (process) theApp.m_BrowserProcessId = ::GetProcessId(process.get());
    theApp.m_hBrowserWnd = nullptr;

    // Its start, then its window, each waited for a few seconds at most;
    // messages sent to this thread meanwhile are answered.
    if (process)
        fx::PollDispatchingSent([&] { return ::WaitForInputIdle(process.get(), 0) != WAIT_TIMEOUT; },
                                browser_url::kInputIdleWaitMs, browser_url::kPollStepMs);
    HWND found = nullptr;
    fx::PollDispatchingSent([&] { return (found = FindStartedBrowserWindow(firefox, cls)) != nullptr; },
                            browser_url::kPollLimitMs, browser_url::kPollStepMs);
    if (found) theApp.m_hBrowserWnd = found;
}
