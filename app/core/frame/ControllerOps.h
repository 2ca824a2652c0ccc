// What the document, the main frame and its raw-input handler ask of the
// controller window (BrowserTreeView): its creation, the state the handler
// reads and the operations it calls.  The controller implements this
// interface; the document owns it.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "app/core/enhancers/WatcherNode.h"

class UserSetting;

class ControllerOps {
public:
    virtual ~ControllerOps() = default;

    // Creates the controller window as a child of `parent` with the given
    // rectangle and id, then its initial update (pop-up windows, heartbeat).
    virtual bool CreateControllerWindow(HWND parent, const RECT& rc, UINT id) = 0;
    virtual void InitialUpdate() = 0;
    // The controller's window: the hot key's and the posted messages' target.
    virtual HWND ControllerWindow() const = 0;

    // The loaded enhancers (filled by the enhancer load) and their unload.
    virtual WatcherObList& Enhancers() = 0;
    virtual void UnloadEnhancers() = 0;
    // True when a call into an enhancer is in progress: the controller then
    // runs the settings reload itself once that call has returned.
    virtual bool DeferReload() = 0;

    // After a settings reload: the menus' items anew.
    virtual void RebuildMenus() = 0;
    // Opens url in the user's browser.
    virtual void OpenUrlInBrowser(const std::wstring& url) = 0;
    // Opens the tray menu with its bottom edge 2 pixels above the cursor.
    virtual void ShowTrayMenu(POINT cursor) = 0;
    // The tray menu builds its items anew when next shown.
    virtual void RequestTrayMenuRebuild() = 0;

    // State read by the raw-input handler.
    virtual bool HasMenuPanel() const = 0;       // m_pMenuPanel
    virtual HWND MenuPanelWindow() const = 0;    // m_hMenuPanel
    virtual bool MenuPanelSticky() const = 0;    // m_MenuPanelSticky
    virtual HWND HotspotWindow() const = 0;
    virtual bool HotspotGuessesRequested() const = 0;  // the hotspot's m_GuessesRequested
    virtual HWND TextMenuWindow() const = 0;     // m_pTextMenu's window (null when none)
    virtual HWND TextSubMenuWindow() const = 0;  // its open sub-menu (null when none)
    virtual bool ButtonDownSeen() const = 0;     // m_ButtonDownSeen
    virtual bool DownOverPopup() const = 0;      // m_DownOverPopup

    // Operations the raw-input handler calls.
    virtual void AdvanceHotspotFade() = 0;       // the hotspot's AnimationStep
    virtual void HideHotspot() = 0;
    virtual void HideMenus(bool includeSearchMenu) = 0;
    virtual void CloseMenuEcp() = 0;
    virtual bool IsPointOverPopup(POINT pt, bool buttonDown) = 0;
    virtual int PollOnce() = 0;
    virtual void Rescan(bool runTick) = 0;

    // The application commands' part: the text menu hidden as the hover
    // tracking hides it; the application menus' debug item's text.
    virtual void HideTextMenu() = 0;
    virtual void SetDebugItemText(const std::wstring& text) = 0;

    // At exit: closes every running panel within one bound.
    virtual void CloseAllPanels() = 0;
    // Posts a panel message to every running panel, the panel list's lock
    // held until every post is made.
    virtual void PostToAllPanels(UINT msg) = 0;

    // The frame's open command; the panel's window, or null.
    virtual HWND LaunchEcp(const RECT& anchor, UserSetting* record, const std::wstring& text,
                           const std::wstring& title, DWORD flags) = 0;
};

// The program's controller, made by the factory the program installs at its
// start (null when none is installed, as in tests of the document alone).
std::unique_ptr<ControllerOps> MakeController();
using ControllerFactory = std::unique_ptr<ControllerOps> (*)();
void SetControllerFactory(ControllerFactory factory);
