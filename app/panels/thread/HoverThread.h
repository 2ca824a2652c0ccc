// HoverThread: the user-interface thread of one content panel.  It owns the
// panel window (MegaWin) and the panel's records (current, next, and the
// back record of a one-step history), runs the launch handshake's panel side
// in InitInstance, and handles the panel messages 11201-11224 that the panel
// window hands it (the window reaches it as PanelThreadOps).  It reports to
// the controller through PanelHost.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "app/core/config/UserSetting.h"
#include "app/panels/cache/TemplateCache.h"
#include "app/panels/elements/ElementPanel.h"
#include "app/panels/elements/Win32Elements.h"
#include "app/panels/children/ChildPanelOps.h"
#include "app/panels/thread/LaunchRules.h"
#include "app/panels/thread/PanelThread.h"
#include "app/panels/window/PanelThreadOps.h"
#include "fx/GdiPlus.h"
#include "fx/Lock.h"
#include "fx/Locked.h"

namespace panels {

class ChildrenThread;
class MegaWin;

class HoverThread : public PanelThread, public PanelThreadOps, public ChildPanelOps {
public:
    // The longest the thread waits for the launcher's go.
    static constexpr DWORD kGoWaitMs = 30000;
    // The panel size when the record names none.
    static constexpr int kDefaultWidth = 320, kDefaultHeight = 240;
    // The longest the thread waits for its children thread to be ready (its
    // share of the start), and to end once it has reported the panel's end.
    static constexpr DWORD kChildrenReadyMs = kStartChildrenMs, kChildrenEndMs = 2000;

    HoverThread();
    ~HoverThread() override;

    bool InitInstance() override;
    int ExitInstance() override;

    // The panel messages' handlers (the window's message map calls them).
    void OnNavigate(WPARAM wp, LPARAM lp) override;  // 11201
    void OnReload(WPARAM wp, LPARAM lp) override;    // 11202
    void OnDockAnimate() override;                   // 11203
    void OnUndockAnimate() override;                 // 11204
    void OnCloseNow() override;                      // 11205
    void OnStoreUrl() override;                      // 11206
    void OnHide() override;                          // 11207
    void OnShow(LPARAM foreground) override;         // 11208
    void OnOpenWithToken() override;                 // 11210
    void OnRaise() override;                         // 11211
    void OnClose() override;                         // 11212
    void OnReady() override;                         // 11213
    void OnRepaint();                                // 11214
    void OnRefreshSearch() override;                 // 11215
    void OnResize(int width, int height) override;   // 11216
    void OnLoadContentUrl() override;                // 11218
    void PublishUrl() override;                      // 11223
    // The record's action URL in the browser (through the controller).
    void OpenInBrowser() override;
    // The content URL of the current record.
    std::wstring BuildEcpUrl() const;
    // Loads the skin's window template through the cache (once, within the
    // start's share for it: kStartTemplateMs from the thread's start, its
    // pictures included) and builds the element tree for a panel of that
    // size (again in place after the first time).  False (logged) when no
    // template loads or it builds no window: the panel then draws its plain face.
    bool LoadWindowTemplate(int width, int height);
    // The element tree once a template built it, else null.
    ElementPanel* Elements() const override { return m_TemplateBuilt ? m_pElements.get() : nullptr; }
    // The content's picture saved to file by the children thread (waited for
    // at most m_SnapshotWaitMs); false without one.  Either way the request
    // is over: a picture the children thread finishes later is not kept.
    bool TakeSnapshot(const std::wstring& file) override;
    static constexpr DWORD kSnapshotWaitMs = 3000;
    // A new panel size (template size) for a resize drag or 11216.
    void ResizePanel(int width, int height, int direction) override;
    // To the children thread's handler window; without that thread (it could
    // not start, or has ended) its close request comes straight back as 11212.
    void PostToChildren(UINT msg, WPARAM wp = 0, LPARAM lp = 0) override;
    // The children thread from its start until it has ended (one slow to
    // end stays as long as this object), else null (panel thread only).
    ChildrenThread* Children() const { return m_pChildren.get(); }
    HWND ChildHandlerWindow() const { return m_hChildHandler; }
    // The panel's tail (a menu panel's), or none.
    TailElement* Tail() const { return m_pTail; }

    MegaWin* Window() const { return m_pWindow.get(); }

    // The rest of what the panel window asks of its thread (PanelThreadOps).
    UserSetting& CurrentRecord() override { return m_Current; }
    uint32_t LaunchFlags() const override { return m_Flags; }
    bool IsSearchPanel() const override { return m_IsSearchPanel; }
    Size TemplateSize() const override { return Size{m_TemplateWidth, m_TemplateHeight}; }
    bool MaskRequested() const override { return m_SaveMask.load(); }
    void ClearMaskRequest() override { m_SaveMask = false; }
    bool CloseNeedsTwo() const override { return m_CloseNeedsTwo; }
    bool CloseArmed() const override { return m_CloseArmed; }
    void SetCloseArmed(bool armed) override { m_CloseArmed = armed; }
    // The children thread's URL (g_SearchTextLock).
    std::wstring ChildUrl() override;
    bool HasController() const override { return m_pHost != nullptr; }
    void PostToController(UINT msg, WPARAM wp, LPARAM lp) override;
    void ReportPanelReady() override;
    void OfferSearchMenu(const RECT& dropDown, HWND panel, const std::wstring& text) override;

    // What its children thread asks of the panel (ChildPanelOps), called on
    // that thread: handed on to the controller (m_pHost, set before either
    // thread ran).
    HWND ControllerWindow() const override { return m_pHost ? m_pHost->HostWindow() : nullptr; }
    void LeavePanelUrl(const std::wstring& url) override;
    void LeavePanelOpen(const std::wstring& ecpId, const std::wstring& token, const std::wstring& url,
                        const RECT& screenRect) override;

    UserSetting m_Back;               // the record before the last navigation
    bool m_CloseNeedsTwo = false;     // flag 0x100
    bool m_CloseArmed = false;
    bool m_IsSearchPanel = false;
    bool m_SkipFirstReload = true;    // a search panel's first navigation loads nothing
    bool m_Dockable = false;
    DWORD m_OpenTick = 0;
    std::wstring m_LastSearchRecord;  // the record last shown by the search control
    std::wstring m_ChildUrl;          // the children's URL, g_SearchTextLock
    fx::Locked<std::wstring> m_HandedOverUrl;  // a view's content URL for 11218 (children thread)
    int m_TemplateWidth = 0, m_TemplateHeight = 0;
    fx::CriticalSection m_PanelLock;  // the element lists, shared with the children thread
    DWORD m_GoWaitMs = kGoWaitMs;
    DWORD m_SnapshotWaitMs = kSnapshotWaitMs;

private:
    // Builds the current record's content URL into a content element.
    void FillContentUrl(ContentElement& element);
    // The search control shows the current record's icon.
    void RefreshSearchControl();
    // The current record takes its parent's identifier when it has a parent
    // and is not searchable.
    void TakeParentIdWhenNotSearchable();
    // The query text into both context strings of the controller's report,
    // the rectangle into its rectangle.
    void ReportContext(const std::wstring& queryText, const RECT& rect);

    std::unique_ptr<MegaWin> m_pWindow;
    LoadedTemplate m_Template;
    std::unique_ptr<ElementPanel> m_pElements;
    std::unique_ptr<HwndPanelWindow> m_pElementWindow;
    std::unique_ptr<CriticalSectionPanelLock> m_pElementLock;
    fx::GdiplusPtr<Gdiplus::Font> m_pTitleFont;
    // The menu panel's tail: the first place before the window is placed,
    // then the tail chosen for where the window went.
    TailPlace PrepareTail();
    void ChooseTail(const TailPlace& first, POINT shift);
    TailElement* m_pTail = nullptr;  // the chosen tail, a windowed element
    // Starts the children thread over the element tree and waits (bounded)
    // until its windows exist; asks it to end and waits for it (bounded,
    // once), never ending it from outside.
    void StartChildren();
    void EndChildren();
    std::unique_ptr<ChildrenThread> m_pChildren;
    std::unique_ptr<ChildrenThread> m_pEndedChildren;
    HWND m_hChildHandler = nullptr;
    bool m_TemplateBuilt = false;
    bool m_Closed = false;
    bool m_ChildrenAskedToEnd = false;
};

// The program's panel thread, started suspended (multithreaded COM); null
// when the thread could not be made.
std::unique_ptr<PanelThread> MakeHoverThread();

}  // namespace panels
