// The children thread as the views inside its child windows reach it: from
// the handler window they are given (its "BackWin777" message window), on the
// children thread itself.  The shared text is the panel's current URL or
// search text; it is read and written under g_SearchTextLock (the setter and
// getter take it; the lock is re-entrant, so a caller that also writes
// CPondrelApp::m_SearchQuery may hold it around both).
#pragma once

#include <windows.h>

#include <string>

namespace panels {

class ChildLink {
public:
    // The link behind a children thread's handler window; null for any other
    // window.  Call it on the children thread (the window's own).
    static ChildLink* FromHandler(HWND handler);

    virtual HWND HandlerWindow() const = 0;
    // The panel window (MegaWin), the receiver of 112xx requests.
    virtual HWND PanelWindow() const = 0;
    // The controller's window, the receiver of 111xx requests.
    virtual HWND ControllerWindow() const = 0;
    // The shared text, under g_SearchTextLock.
    virtual std::wstring Url() const = 0;
    virtual void SetUrl(const std::wstring& url) = 0;

protected:
    ~ChildLink() = default;
};

}  // namespace panels
