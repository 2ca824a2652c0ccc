// The controller: a hidden "SysTreeView32" child of the main frame's master
// view that owns the enhancer poll, the hotspot, the root menus, the link
// lists and the running panels, and is the message hub the worker threads,
// panels, dock and web views post to.  Its timer 780 (500 ms) is the
// program's heartbeat.  Everything here runs on the user-interface thread.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/core/common/GlobalLocks.h"
#include "app/core/frame/ControllerOps.h"
#include "app/core/enhancers/LinkInfo.h"
#include "app/core/enhancers/WatcherNode.h"
#include "app/selection/controller/EnhancerCallGate.h"
#include "app/selection/controller/Heartbeat.h"
#include "app/selection/controller/Observer.h"
#include "app/selection/controller/HoverEngine.h"
#include "app/selection/controller/Observer.h"
#include "app/selection/hotspot/HotspotHost.h"
#include "app/selection/hotspot/TxSelWin.h"
#include "app/selection/menus/MenuHost.h"
#include "app/selection/menus/SearchMenu.h"
#include "app/panels/thread/HoverThreadList.h"
#include "app/panels/thread/LaunchRules.h"
#include "app/panels/thread/PanelThread.h"
#include "fx/GdiPlus.h"
#include "fx/Locked.h"
#include "fx/Window.h"

class UserSetting;
bool IsLeftButtonDown();  // PondrelApp.h

class BrowserTreeView : public fx::Window, public ControllerOps, public HeartbeatHost, public panels::PanelHost,
                        public HotspotHost, public MenuHost {
public:
    BrowserTreeView();
    ~BrowserTreeView() override;

    // The window: class "SysTreeView32", child, visible and bordered.
    bool Create(HWND parent, const RECT& rc, UINT id);
    // Tree styles, the pop-up windows, the document's controller, timer 780.
    void OnInitialUpdate();
    void CreatePopupWindows();

    // One heartbeat; skipped while a call into an enhancer is in progress.
    void Tick();
    LONG PollEnhancers() override;
    void Rescan(bool runTick) override;
    int PollOnce() override;
    void HideMenus(bool includeSearchMenu) override;
    void RebuildMenus() override;
    void ShowTrayMenu(POINT cursor) override;
    void RequestTrayMenuRebuild() override;

    int CollectHotSpots() override;
    int CollectSelections() override;
    void UnloadEnhancers() override;
    bool NavigateBrowser(HWND browser, const std::wstring& url);
    // While a call into an enhancer is in progress the settings reload waits
    // for it to return (true: it will run then).
    bool DeferReload() override;
    bool InEnhancerCall() const { return m_Gate.Busy(); }

    // Opening panels and URLs (the launcher's piece).
    HWND LaunchEcp(const RECT& anchor, UserSetting* record, const std::wstring& text, const std::wstring& title,
                   DWORD flags) override;
    void OpenUrlInBrowser(const std::wstring& url) override;
    // At exit: every panel hidden and closed within one bound, stragglers
    // terminated, the usage reports of the panels that closed taken.
    void CloseAllPanels() override;
    void PostToAllPanels(UINT msg) override { m_Panels.PostToAllHoldingLock(msg); }

    // What the panel threads ask of the controller (PanelHost).
    HWND HostWindow() const override { return hwnd(); }
    void ReportCreated(const panels::PanelThread* panel, const RECT& panelRect) override;
    bool GoGiven(const panels::PanelThread* panel) override;
    void ReportReady(const panels::PanelThread* panel) override;
    panels::HoverThreadList& Panels() override { return m_Panels; }
    void PostUsage(const std::wstring& ecpId, DWORD openMs) override;
    std::wstring SearchText() override;
    void LeavePanelUrl(const std::wstring& url) override;
    void LeavePanelOpen(const std::wstring& ecpId, const std::wstring& token, const std::wstring& url,
                        const RECT& screenRect) override;
    void SearchPanelClosed(const std::wstring& lastRecord, const RECT& rect) override;
    void UpdateReport(const std::function<void(panels::PanelReport& report)>& change) override;
    void OfferSearchMenu(const RECT& dropDown, HWND panel, const std::wstring& text) override;

    // The panel threads the launcher starts (suspended); tests launch stand-ins.
    std::function<std::unique_ptr<panels::PanelThread>()> m_MakePanelThread;
    // How long the launcher waits for a panel to report created, and ready:
    // longer than a panel's start may take.
    DWORD m_LaunchWaitMs = panels::kLaunchWaitMs;

    bool IsTextMenuVisible() override;
    void HideTextMenu() override;
    void SetDebugItemText(const std::wstring& text) override;
    void HideHotspot() override;

    // What the document and the main frame ask of the controller.
    bool CreateControllerWindow(HWND parent, const RECT& rc, UINT id) override { return Create(parent, rc, id); }
    void InitialUpdate() override { OnInitialUpdate(); }
    HWND ControllerWindow() const override { return hwnd(); }
    WatcherObList& Enhancers() override { return m_Enhancers; }
    bool HasMenuPanel() const override { return m_pMenuPanel != nullptr; }
    HWND MenuPanelWindow() const override { return m_hMenuPanel; }
    bool MenuPanelSticky() const override { return m_MenuPanelSticky; }
    HWND HotspotWindow() const override { return m_pHotspot->hwnd(); }
    bool HotspotGuessesRequested() const override;
    HWND TextMenuWindow() const override { return m_pTextMenu ? m_pTextMenu->hwnd() : nullptr; }
    HWND TextSubMenuWindow() const override;
    bool ButtonDownSeen() const override { return m_ButtonDownSeen; }
    bool DownOverPopup() const override { return m_DownOverPopup; }
    void AdvanceHotspotFade() override;
    void CloseMenuEcp() override;
    bool IsPointOverPopup(POINT pt, bool buttonDown) override;
    // Whether the menu panel's mask is opaque at a screen point.
    bool HitTestMenuEcp(POINT pt);
    // The menu panel's mask, saved by the panel as "mask.jpg" in the temp
    // directory: PNG data under that name keeps its alpha (GDI+ decodes by
    // content), so its transparent pixels are never over the panel.
    void LoadMenuPanelMask();
    void ShowHotspot(const RECT& anchor);

    // What the hotspot asks (HotspotHost): when the cursor moves onto it, the
    // text menu at its place (menu mode) or the best-guess panel launched at
    // once; whether best guesses were offered.
    void OpenTextMenuFromHotspot(const RECT& anchor, const LinkInfo& record) override;
    void LaunchBestGuess(const RECT& anchor, const LinkInfo& record) override;
    bool HaveGuesses() const override { return m_HaveGuesses; }
    TxSelWin* Hotspot() const override { return m_pHotspot.get(); }
    TextRootMenu* TextMenu() const { return m_pTextMenu.get(); }
    // Adds one to the usage statistics' counter of metric (theApp.m_Stats).
    void CountUsage(const wchar_t* metric) override;
    // The rest of what the menus ask (MenuHost).
    void SetHaveGuesses(bool value) override { m_HaveGuesses = value; }
    void SetGuessLaunchMode(bool value) override { m_GuessLaunchMode = value; }
    bool GiveNextRecord(HWND panel, const UserSetting& record, const std::wstring& queryText, bool counted) override;

    // The tick count the heartbeat's settings retry reads (tests replace it).
    std::function<DWORD()> m_Clock = [] { return ::GetTickCount(); };

    // Members, in the controller's order.
    // The panel strings, which panel threads read and write.
    struct PanelStrings {
        std::wstring m_SearchText;
        RECT m_LastPanelRect{-9999, 0, 0, 0};
        // The final URL (or search text) of the last panel that ended, left by
        // its children thread; a search panel's becomes m_SearchText when the
        // panel closes.
        std::wstring m_LastPanelUrl;
    };
    fx::Locked<PanelStrings> m_PanelStrings;
    LinkInfo* m_pCurrentLink = nullptr;
    LinkInfo m_HoverSelection;
    LinkInfo m_HoverLink;
    fx::GdiplusPtr<Gdiplus::Bitmap> m_pMenuPanelMask;  // the menu panel's hit-test image (loaded by the launcher)
    bool m_MenuPanelSticky = false;
    bool m_HaveGuesses = false;
    bool m_GuessLaunchMode = false;
    // The panel launch handshake, which the launching panel's thread answers.
    struct LaunchHandshake {
        bool m_PanelCreated = false, m_PanelGo = false, m_PanelReady = false;
        const panels::PanelThread* m_LaunchToken = nullptr;  // the launch in progress
        RECT m_MenuPanelRect{};
    };
    fx::Locked<LaunchHandshake> m_Launch;
    std::wstring m_LastInnerEcp;  // g_PanelRecordLock
    // The rest of the report request a panel or web view leaves before it
    // posts 11137 (g_PanelRecordLock): the record to open is m_LastInnerEcp,
    // the token and URL become its query text and context, and it opens at
    // the rectangle.
    std::wstring m_ReportToken;
    std::wstring m_ReportUrl;
    RECT m_ReportRect{0, 0, 0, 0};
    // The foreground thread's active window when the search menu opened as
    // a panel's context menu.
    HWND m_hActiveBeforeSearchMenu = nullptr;
    void* m_pMenuPanel = nullptr;  // the menu panel's thread, null when none
    panels::HoverThreadList m_Panels;  // the running panels
    HWND m_hMenuPanel = nullptr;
    std::unique_ptr<TxSelWin> m_pHotspot;         // "HoverHotspot" (the object from construction)
    std::unique_ptr<TextRootMenu> m_pTextMenu;    // "TxMenu"
    std::unique_ptr<SearchMenu> m_pSearchMenu;    // "SearchMenu"
    std::unique_ptr<TxMenuWin> m_pAppMenu;        // "AppMenu"
    std::unique_ptr<TxMenuWin> m_pTrayMenu;       // "TrayMenu"
    Observer m_Observer;
    bool m_DownOverPopup = false, m_ButtonDownSeen = false;
    WatcherObList m_Enhancers;
    bool m_NewSelection = false;
    hover::HoverEngine m_HoverEngine;
    // The pointer seams of hover tracking (tests replace them).
    std::function<POINT()> m_CursorPos = [] {
        POINT p{};
        ::GetCursorPos(&p);
        return p;
    };
    std::function<bool()> m_LeftButtonDown = [] { return IsLeftButtonDown(); };

    // The rest of the heartbeat's questions and steps.
    bool IsStarting() override;
    bool IsMenuPanelOpen() override { return m_pMenuPanel != nullptr; }
    bool IsOnline() override;
    bool ShowLinkPreviews() override;
    bool ShowContextMenu() override;
    bool IsForegroundPopup() override;
    bool FirstHotSpotIsHotspotTarget() override;
    bool FirstSelectionIsHotspotTarget() override;
    void ClearObserver() override { m_Observer.Clear(); }
    void ForgetCurrentLink() override { m_pCurrentLink = nullptr; }
    void EmptySelections() override;
    void SetNewSelection(bool value) override { m_NewSelection = value; }
    void TrackHover() override;
    void RetrySettings() override;
    void RunPeriodicChecks() override;

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    // 11140 for the current request: the result into the application object,
    // the guesses into the search or the text menu, the tray look.
    virtual void TakeBestGuessAnswer(bool onSearchMenu);

private:
    void OnHotKey(WPARAM id);
    void OnPanelUsage(WPARAM openMs, LPARAM block);
    // The launcher's steps.
    bool ReshowSingleInstance(const UserSetting& record);
    void RefuseSeventeenthPanel();
    void HandOverSearchText(panels::PanelThread& thread);
    bool WaitForLaunch(const panels::PanelThread* thread, bool LaunchHandshake::*flag, const wchar_t* what);
    void OnBestGuessAnswer(WPARAM requestId, LPARAM onSearchMenu);
    void LogNewSelections();
    // Runs call (a walk of the enhancer list calling into the enhancers) with
    // the list held still, then what arrived meanwhile.
    template <class F>
    auto CallEnhancers(F&& call) -> decltype(call());
    void RunDeferredWork();

    // The hotspot's images from the application's shared graphics.
    TxSelWin::Images HotspotImages();

    Heartbeat m_Heartbeat;
    enhancer_gate::Gate m_Gate;
    std::vector<std::wstring> m_LoggedSelections;  // the selection records as last logged
};

// The program's controller for the document (installed by the program's entry).
std::unique_ptr<ControllerOps> MakeBrowserTreeView();
