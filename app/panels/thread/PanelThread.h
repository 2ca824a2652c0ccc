// What the launcher, the panel list and the program's exit know of a content
// panel's thread: the launch data the launcher fills in while the thread is
// suspended, the panel window's handle once it exists, and the controller's
// services the thread calls (PanelHost).  HoverThread is the program's panel
// thread; tests launch stand-ins.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "app/core/config/UserSetting.h"
#include "fx/UiThread.h"

namespace panels {

class HoverThreadList;
class PanelThread;

// What a panel leaves in the controller before it posts 11137 (the
// application opens the record it names): the record's identifier (the
// controller's last inner panel), the token and URL (the two context strings
// the record opens with) and a rectangle.  Under g_PanelRecordLock.
struct PanelReport {
    std::wstring id;
    std::wstring token;
    std::wstring url;
    RECT rect{0, 0, 0, 0};
};

// The controller as a panel thread sees it.
class PanelHost {
public:
    virtual ~PanelHost() = default;
    // The window the panel reports to (111xx messages).
    virtual HWND HostWindow() const = 0;
    // The launch handshake.  Each call names the panel's own thread: only the
    // launch of that thread is moved on, so a panel launched earlier cannot
    // release a later launch.
    virtual void ReportCreated(const PanelThread* panel, const RECT& panelRect) = 0;
    virtual bool GoGiven(const PanelThread* panel) = 0;
    virtual void ReportReady(const PanelThread* panel) = 0;
    // The running panels.
    virtual HoverThreadList& Panels() = 0;
    // 11143 for a closed panel (the identifier in a block the controller frees).
    virtual void PostUsage(const std::wstring& ecpId, DWORD openMs) = 0;
    // The search text the controller keeps for the search panel.
    virtual std::wstring SearchText() { return std::wstring(); }
    // The panel's final URL (or search text), left by its children thread as
    // the panel ends.
    virtual void LeavePanelUrl(const std::wstring& /*url*/) {}
    // A page asked for another panel: its identifier, token and URL and the
    // asking view's screen rectangle, left for the controller (11137 follows).
    virtual void LeavePanelOpen(const std::wstring& /*ecpId*/, const std::wstring& /*token*/,
                                const std::wstring& /*url*/, const RECT& /*screenRect*/) {}
    // A search panel closed: the record it showed last and where it was.
    virtual void SearchPanelClosed(const std::wstring& /*lastRecord*/, const RECT& /*rect*/) {}
    // A panel's context-shift or search control was pressed: the search menu
    // drops down from dropDown with the text, for the panel (the menu's locked context);
    // 11135 follows.
    // Changes the controller's report under g_PanelRecordLock (the change
    // only copies values).
    virtual void UpdateReport(const std::function<void(PanelReport& report)>& /*change*/) {}
    virtual void OfferSearchMenu(const RECT& /*dropDown*/, HWND /*panel*/, const std::wstring& /*text*/) {}
};

class PanelThread : public fx::UiThread {
public:
    // Launch data, set by the launcher while the thread is suspended.
    PanelHost* m_pHost = nullptr;
    UserSetting m_Current;       // the record the panel shows
    UserSetting m_Next;          // the record to show next (the record as launched)
    std::wstring m_TemplateUrl;  // templates URL + "?template=ecp&skin=" + skin
    std::wstring m_TemplateBase;
    std::wstring m_Title;
    std::wstring m_InnerEcp;     // a search panel's inner panel
    uint32_t m_Flags = 0;
    RECT m_Anchor{0, 0, 0, 0};
    // The next render saves the mask image for the launcher.
    std::atomic<bool> m_SaveMask{false};

    // The panel window, once created (any thread).
    HWND PanelWindow() const { return panelWindow_.load(); }
    // The panel's second thread (its child windows), null when it has none;
    // the handle stays valid as long as this object (any thread).  The
    // object is deleted only once this thread and that one have ended.
    HANDLE HelperThread() const { return helperThread_.load(); }
    // Whether this thread and its helper have both ended.
    bool AllEnded() const;

protected:
    void SetPanelWindow(HWND hwnd) { panelWindow_.store(hwnd); }
    void SetHelperThread(HANDLE thread) { helperThread_.store(thread); }

private:
    std::atomic<HWND> panelWindow_{nullptr};
    std::atomic<HANDLE> helperThread_{nullptr};
};

}  // namespace panels
