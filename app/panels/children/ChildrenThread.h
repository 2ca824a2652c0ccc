// ChildrenThread: the second user-interface thread of a content panel, next
// to its panel thread.  It owns the panel's child windows (one CChildWin per
// windowed element, a BitmapChildWin for the tail) and the views inside them,
// so that web views and their navigations never hold up the panel's
// animation.  The panel thread fills in the launch data below, resumes the
// thread, waits (bounded) for `ready` and then commands it with 11301-11312,
// posted to its hidden handler window ("BackWin777") or to the thread.  11302
// ends the panel: the child windows go, 11212 goes to the panel window and the
// thread ends; its owner (the panel thread) then drops the object.
//
// The thread starts OLE (apartment) first thing in InitInstance, as the web
// views need it, and ends it in ExitInstance after its windows are destroyed.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/panels/children/ChildLink.h"
#include "fx/Locked.h"
#include "fx/UiThread.h"

class ElementPanel;
class PanelLock;
class PanelWindow;
class TailElement;
class ContentElement;

namespace panels {

class CChildWin;
class ChildThreadMsgHandler;
class ChildPanelOps;
class ChildViewHost;
class SearchView;

class ChildrenThread : public fx::UiThread, public ChildLink {
public:
    ChildrenThread();
    ~ChildrenThread() override;

    // Launch data, set by the panel thread while the thread is suspended.
    ElementPanel* m_pElements = nullptr;  // the windowed list, main content; none without a template
    ::PanelWindow* m_pPanelWindow = nullptr;  // the panel window's coordinates
    HWND m_hPanelWindow = nullptr;          // MegaWin: 11211, 11212, 11202
    PanelLock* m_pPanelLock = nullptr;      // the panel lock, lent by the panel thread
    std::wstring* m_pUrl = nullptr;         // the panel's shared text, g_SearchTextLock
    ChildPanelOps* m_pPanel = nullptr;      // the panel: the controller's window, the last panel URL
    TailElement* m_pTail = nullptr;         // the chosen tail, or none
    fx::Locked<std::wstring>* m_pHandOverUrl = nullptr;  // the panel's handed-over URL (11218)

    // Under the panel lock.
    bool m_Ready = false;            // all child windows exist
    bool m_SnapshotSaved = false;    // the last snapshot request was answered
    std::wstring m_SnapshotPath;     // where the next snapshot goes
    SearchView* m_pSearchView = nullptr;  // the search box, once made

    bool InitInstance() override;
    int ExitInstance() override;
    bool OnThreadMessage(const MSG& msg) override;

    // The handlers of 11302-11307 (the handler window's and the thread's).
    void OnUrlDone();          // 11302
    void OnSnapshot();         // 11303
    void OnNavigateContent();  // 11304
    void OnSizeChildren();     // 11305
    void OnHideTail();         // 11307

    // ChildLink
    HWND HandlerWindow() const override;
    HWND PanelWindow() const override { return m_hPanelWindow; }
    HWND ControllerWindow() const override;
    std::wstring Url() const override;
    void SetUrl(const std::wstring& url) override;

    // The child window of the main content element, or none (under the panel lock).
    CChildWin* MainContentWindow() const;
    // What the web views reach through this thread (made in InitInstance).
    ChildViewHost& Views() const { return *m_pViews; }
    // A URL a view hands over to the panel thread; 11218 follows.
    void HandOverUrl(const std::wstring& url);

protected:
    // The thread's OLE start and end (tests count them).
    virtual HRESULT StartApartment();
    virtual void EndApartment();

private:
    // Makes the child window of one windowed element.
    void CreateChildFor(ContentElement& element);
    // The windowed elements, copied under the panel lock.
    std::vector<ContentElement*> WindowedElements() const;
    void DestroyChildWindows();
    // 11138 to the controller: the panel's tail is gone (hidden, or the panel ends).
    void PostMenuPanelGone();
    // Every view fills its window again (after a resize).
    void PlaceViews();

    std::unique_ptr<ChildThreadMsgHandler> m_pHandler;
    std::unique_ptr<ChildViewHost> m_pViews;
    std::vector<std::unique_ptr<CChildWin>> m_Windows;
    bool m_OleStarted = false;
};

// A children thread, made suspended (its OLE start is its own); null when the
// thread could not be made.
std::unique_ptr<ChildrenThread> MakeChildrenThread();

}  // namespace panels
