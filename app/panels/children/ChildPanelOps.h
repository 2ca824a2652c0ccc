// What a panel's children thread asks of its panel: the controller's window
// (the receiver of its 111xx requests) and what it and its views leave for
// the controller, the panel's final URL and a panel to open.  The panel
// thread (HoverThread, app/panels/thread/) implements it by handing the
// calls on to its controller and gives itself to the children thread it
// starts, before that thread runs; the calls come from the children thread.
#pragma once

#include <windows.h>

#include <string>

namespace panels {

class ChildPanelOps {
public:
    // The controller's window; null without a controller.
    virtual HWND ControllerWindow() const = 0;
    // The panel's final URL (or search text), left as the panel ends.
    virtual void LeavePanelUrl(const std::wstring& url) = 0;
    // A page asked for another panel: its identifier, token and URL and the
    // asking view's screen rectangle (11137 follows).
    virtual void LeavePanelOpen(const std::wstring& ecpId, const std::wstring& token, const std::wstring& url,
                                const RECT& screenRect) = 0;

protected:
    ~ChildPanelOps() = default;
};

}  // namespace panels
