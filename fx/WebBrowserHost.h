// WebBrowserHost: a child window hosting one WebBrowser control in place,
// without ATL.  The window is the control's OLE container: its site object
// answers IOleClientSite, IOleInPlaceSite, IOleInPlaceFrame and
// IDocHostUIHandler, and receives the control's DWebBrowserEvents2 through
// IDispatch::Invoke.  Derived classes (the panels' web views) override the
// event handlers and the option key path.
//
// Threads and lifetime
// - COM must be initialised as an apartment on the creating thread.  Every
//   COM object of the host (control, site, event connection) is released on
//   that thread: at WM_DESTROY, or by Close() there.  The window is destroyed
//   on its own thread (fx::Window), so destroying it releases the control.
// - The site outlives the host only as a reference the control may still
//   hold; the host cuts its link first, so a late call reaches nothing.
#pragma once

#include <windows.h>
#include <exdisp.h>

#include <string>

#include "fx/ComPtr.h"
#include "fx/Window.h"

namespace fx {

class WebBrowserSite;

class WebBrowserHost : public Window {
public:
    // OLECMDID_OPTICAL_ZOOM and its "no prompt" option.
    static constexpr int kOpticalZoomCommand = 63;

    WebBrowserHost();
    ~WebBrowserHost() override;

    // Creates the host window (a child of parent with the given style,
    // rectangle in parent coordinates and identifier) and activates the
    // control in place in its client area.  False (logged) when the window
    // or the control cannot be made; the window then stays without control.
    bool Create(HWND parent, const RECT& rect, DWORD style, UINT id);
    // Deactivates and releases the control (only on the creating thread;
    // from another thread it is logged and left to WM_DESTROY).
    void Close();

    // The control, or null.
    IWebBrowser2* Browser() const { return browser_.get(); }
    bool HasBrowser() const { return static_cast<bool>(browser_); }

    // Navigate2 with the URL and no flags, target frame, post data or headers.
    HRESULT Navigate2(const std::wstring& url);
    HRESULT GoBack();
    HRESULT GoForward();
    HRESULT SetSilent(bool silent);
    HRESULT SetRegisterAsBrowser(bool value);
    // ExecWB(OLECMDID_OPTICAL_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, VT_I4 percent).
    virtual HRESULT SetOpticalZoom(int percent);
    // The control's application object (IWebBrowser2::get_Application), with
    // a reference the caller owns; null when there is none.
    IDispatch* ApplicationDispatch() const;
    // Moves the host window (parent coordinates); the control follows.
    void MoveTo(const RECT& rect, bool repaint);
    // The thread that created the control, and the one that released it
    // (0 while it is held or was never made).
    DWORD CreatingThread() const { return creatingThread_; }
    DWORD ReleasingThread() const { return releasingThread_; }

    // The browser events, called on the creating thread.  topLevel: the
    // event's dispatch pointer is this host's own control (not a frame).
    virtual void OnBeforeNavigate2(IDispatch* disp, const std::wstring& url, bool topLevel, bool* cancel);
    virtual void OnNewWindow2(IDispatch** newWindow, bool* cancel);
    virtual void OnNavigateComplete2(IDispatch* disp, const std::wstring& url);
    virtual void OnDocumentComplete(IDispatch* disp, const std::wstring& url);
    virtual void OnCommandStateChange(long command, bool enabled);
    virtual void OnNavigateError(IDispatch* disp, const std::wstring& url, long status, bool* cancel);
    // IDocHostUIHandler::GetOptionKeyPath: the registry key (CoTaskMemAlloc'd)
    // of the control's options; E_NOTIMPL keeps the default.
    virtual HRESULT OnGetOptionKeyPath(LPOLESTR* key, DWORD reserved);

    // The site as the control sees it (tests ask it what the control would).
    IOleClientSite* ClientSite() const;

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    friend class WebBrowserSite;
    bool CreateControl();
    void ResizeControl();
    // Whether disp is this host's own control.
    bool IsOwnBrowser(IDispatch* disp) const;

    WebBrowserSite* site_ = nullptr;  // one reference, released in Close
    ComPtr<IOleObject> object_;
    ComPtr<IWebBrowser2> browser_;
    ComPtr<IConnectionPoint> events_;
    DWORD eventsCookie_ = 0;
    DWORD creatingThread_ = 0;
    DWORD releasingThread_ = 0;
};

}  // namespace fx
