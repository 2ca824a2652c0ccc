// What a panel's web view reaches outside its own window: the controller
// window and the shared strings that other threads read, each written under
// its named lock (the lock held only for the copy).  The children thread
// gives its views one ViewHost; AppViewHost fills what the application
// object holds, the children thread the rest.
#pragma once

#include <windows.h>

#include <string>

namespace panels {

class ViewHost {
public:
    virtual ~ViewHost() = default;

    // The controller's window (111xx messages); null when unknown.
    virtual HWND ControllerWindow() const = 0;
    // The application server's domain, which top-level content pages must come from.
    virtual std::wstring ServerDomain() const = 0;
    // Whether the settings ask for silent views (no script-error dialogs).
    virtual bool ScriptErrorsSuppressed() const = 0;

    // The children thread's stored text (g_SearchTextLock); 11308 follows.
    virtual void StoreSearchText(const std::wstring& text) = 0;
    // The panel thread's handed-over URL; 11218 follows.
    virtual void HandOverUrl(const std::wstring& url) = 0;
    // The controller's values for the panel to open (g_PanelRecordLock):
    // its identifier, token, URL and the view's screen rectangle; 11137 follows.
    virtual void LeavePanelOpen(const std::wstring& ecpId, const std::wstring& token, const std::wstring& url,
                                const RECT& screenRect) = 0;
    // The application's browser URL (CPondrelApp::m_NavigateUrl); 11144 follows.
    virtual void StoreNavigateUrl(const std::wstring& url) = 0;
};

// The part the application object holds: the server's domain and the silent
// flag from the published snapshot, the browser URL in theApp.  The three
// panel strings are the children thread's.
class AppViewHost : public ViewHost {
public:
    explicit AppViewHost(HWND controllerWindow) : controllerWindow_(controllerWindow) {}
    HWND ControllerWindow() const override { return controllerWindow_; }
    // The domain of the content server (the snapshot's ECP URL).
    std::wstring ServerDomain() const override;
    bool ScriptErrorsSuppressed() const override;
    void StoreNavigateUrl(const std::wstring& url) override;

private:
    HWND controllerWindow_;
};

}  // namespace panels
