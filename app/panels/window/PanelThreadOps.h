// What a panel window (MegaWin) asks of its panel thread: the element tree it
// draws and hit-tests, the record and launch flags it places itself by, the
// close's arming, the mask request, the requests to the children thread and
// the controller's services, and the handlers of the panel messages its
// message map hands on.  The panel thread (HoverThread, app/panels/thread/)
// implements it and hands itself to the window it makes; the window calls it
// from its procedure and methods, so on the panel thread, the window's own.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "app/core/config/UserSetting.h"
#include "app/panels/window/PanelGeometry.h"

class ElementPanel;

namespace panels {

class PanelThreadOps {
public:
    // The element tree once a template built it, else null.
    virtual ElementPanel* Elements() const = 0;
    // The record the panel shows.
    virtual UserSetting& CurrentRecord() = 0;
    // The launch flags (kFlag..., PanelGeometry.h) and whether the panel is a
    // search panel.
    virtual uint32_t LaunchFlags() const = 0;
    virtual bool IsSearchPanel() const = 0;
    // The template size the element tree is built at.
    virtual Size TemplateSize() const = 0;
    // A new template size for a resize drag, from the grabbed edge.
    virtual void ResizePanel(int width, int height, int direction) = 0;
    // The launcher asked for the mask image with the next render; the render
    // clears the request once the file is written.
    virtual bool MaskRequested() const = 0;
    virtual void ClearMaskRequest() = 0;
    // Flag 0x100: the first close request only arms the close.
    virtual bool CloseNeedsTwo() const = 0;
    virtual bool CloseArmed() const = 0;
    virtual void SetCloseArmed(bool armed) = 0;
    // The children thread's URL (g_SearchTextLock, which it takes).
    virtual std::wstring ChildUrl() = 0;
    // The content's picture saved to file by the children thread (bounded).
    virtual bool TakeSnapshot(const std::wstring& file) = 0;
    // To the children thread's handler window (a close without one comes
    // back as 11212).
    virtual void PostToChildren(UINT msg, WPARAM wp = 0, LPARAM lp = 0) = 0;
    // The record's action URL in the browser (through the controller).
    virtual void OpenInBrowser() = 0;

    // The controller's services; none without a controller (tests of the
    // panel alone).
    virtual bool HasController() const = 0;
    // A 111xx request posted to the controller's window.
    virtual void PostToController(UINT msg, WPARAM wp, LPARAM lp) = 0;
    // The launch handshake's last step: the panel is ready.
    virtual void ReportPanelReady() = 0;
    // The search menu drops down from dropDown with the text, for the panel.
    virtual void OfferSearchMenu(const RECT& dropDown, HWND panel, const std::wstring& text) = 0;

    // The panel messages' handlers.
    virtual void OnNavigate(WPARAM wp, LPARAM lp) = 0;  // 11201
    virtual void OnReload(WPARAM wp, LPARAM lp) = 0;    // 11202
    virtual void OnDockAnimate() = 0;                   // 11203
    virtual void OnUndockAnimate() = 0;                 // 11204
    virtual void OnCloseNow() = 0;                      // 11205
    virtual void OnStoreUrl() = 0;                      // 11206
    virtual void OnHide() = 0;                          // 11207
    virtual void OnShow(LPARAM foreground) = 0;         // 11208
    virtual void OnOpenWithToken() = 0;                 // 11210
    virtual void OnRaise() = 0;                         // 11211
    virtual void OnClose() = 0;                         // 11212
    virtual void OnReady() = 0;                         // 11213
    virtual void OnRefreshSearch() = 0;                 // 11215
    virtual void OnResize(int width, int height) = 0;   // 11216
    virtual void OnLoadContentUrl() = 0;                // 11218
    virtual void PublishUrl() = 0;                      // 11223

protected:
    ~PanelThreadOps() = default;
};

}  // namespace panels
