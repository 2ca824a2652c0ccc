// BannerView: a panel's advertisement web view and the base of the main
// content view (BottomView).  It lives in its element's child window on the
// panel's children thread, inspects every navigation against the query-key
// rules (views::PanelKeyRules) and carries out their actions: posts to the
// panel window, the children thread's handler window and the controller,
// and the shared strings through its ViewHost.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "app/panels/views/PanelKeyRules.h"
#include "app/panels/views/ViewHost.h"
#include "fx/GdiPlus.h"
#include "fx/WebBrowserHost.h"

namespace panels {

class HackBrowser;

class BannerView : public fx::WebBrowserHost {
public:
    // The pane identifier of a frame's first view.
    static constexpr UINT kFirstPaneId = 0xE900;

    explicit BannerView(ViewHost& host);
    ~BannerView() override;

    // Creates the hidden browser (silent, registered as a browser, owned by
    // this view) and then the view, both WS_CHILD windows of parent (the
    // element's child window) at rect; the view is silent too when the
    // settings suppress script errors.  Shown by the caller.
    bool Create(HWND parent, const RECT& rect, UINT id = kFirstPaneId);

    // Set by the element.
    void SetPanelWindow(HWND panel) { panelWindow_ = panel; }
    void SetChildHandlerWindow(HWND handler);
    void SetMenuFlag(bool menu) { menuFlag_ = menu; }
    // zoom x 100; from now on every completed navigation applies it.
    void SetZoom(int percent);
    void SetRememberedSize(int width, int height);
    HWND PanelWindow() const { return panelWindow_; }
    HWND ChildHandlerWindow() const { return childHandlerWindow_; }

    // Logs "Navigating to <url>", counts the navigation and navigates.
    void Navigate(const std::wstring& url);
    // The view painted into a 32-bit ARGB bitmap the caller owns (5 pixels
    // narrower and lower than the client, from offset (2, 2)); null when
    // the view has no size.
    fx::GdiplusPtr<Gdiplus::Bitmap> Snapshot();

    // The key rules on the view's state: true when the navigation may go on.
    virtual bool ParsePanelKeys(const std::wstring& a, const std::wstring& b, bool fromBanner);

    const views::ViewState& State() const { return state_; }
    HackBrowser* HiddenBrowser() const { return hidden_.get(); }
    int ZoomPercent() const { return zoomPercent_; }
    bool ZoomChanged() const { return zoomChanged_; }

    // The browser's option key: "Software\Pondrel\Pondrel".
    HRESULT OnGetOptionKeyPath(LPOLESTR* key, DWORD reserved) override;
    void OnNavigateComplete2(IDispatch* disp, const std::wstring& url) override;
    // The advertisement filter.
    void OnBeforeNavigate2(IDispatch* disp, const std::wstring& url, bool topLevel, bool* cancel) override;
    // Forward (1) and back (2) states to the panel window (11222).
    void OnCommandStateChange(long command, bool enabled) override;

    // Carries out the rules' actions (also the hidden browser's).
    void Perform(const views::Decision& decision);
    ViewHost& Host() const { return host_; }

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    // How this view splits URLs (WinINet).
    static const views::UrlSplitter& Splitter();

    ViewHost& host_;
    views::ViewState state_;

private:
    void OnSetFocus(HWND from);

    std::unique_ptr<HackBrowser> hidden_;
    HWND panelWindow_ = nullptr;
    HWND childHandlerWindow_ = nullptr;
    bool menuFlag_ = false;
    bool zoomChanged_ = false;
    int zoomPercent_ = 100;
};

}  // namespace panels
