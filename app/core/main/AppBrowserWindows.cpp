// The application object's browser window list and the browser window it
// sends the next URL to: the searches of app/core/enhancers/BrowserWindows.h
// over its members.
#include "app/core/enhancers/BrowserWindows.h"
#include "app/core/main/PondrelApp.h"

void CPondrelApp::EnumBrowserWindows(const std::wstring& browserClass, bool collect) {
    m_BrowserWindows.Clear();
    m_BrowserWindowClass = browserClass;
    HWND found = SearchBrowserWindows(m_BrowserWindows, m_BrowserWindowClass, m_BrowserProcessId, collect,
                                      BrowserWindowList::Collect);
    if (!collect) m_hBrowserWnd = found;
}

void CPondrelApp::FindBrowserWindow(const std::wstring& browserClass, bool collect) {
    m_BrowserWindowClass = browserClass;
    m_hBrowserWnd = SearchBrowserWindows(m_BrowserWindows, m_BrowserWindowClass, m_BrowserProcessId, collect,
                                         BrowserWindowList::FindFirst);
}

void CPondrelApp::ClearBrowserWindows() { m_BrowserWindows.Clear(); }
