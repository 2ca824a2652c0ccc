#include "app/panels/thread/HoverThread.h"

#include <algorithm>

#include "app/core/common/GlobalLocks.h"
#include "app/core/main/PondrelApp.h"
#include "app/core/net/HttpRoutines.h"
#include "app/panels/children/ChildrenThread.h"
#include "app/panels/templates/ElementLayout.h"
#include "app/panels/thread/HoverThreadList.h"
#include "app/panels/thread/LaunchRules.h"
#include "app/panels/thread/TemplateRenderFactory.h"
#include "app/core/common/AppMessages.h"
#include "app/panels/window/MegaWin.h"
#include "log/PondrelLog.h"

namespace panels {

HoverThread::HoverThread() = default;

HoverThread::~HoverThread() = default;

std::unique_ptr<PanelThread> MakeHoverThread() {
    auto thread = fx::StartSuspended<HoverThread>(fx::Apartment::Mta);
    if (thread) thread->SetName(L"panel");
    return thread;
}

// The start: the window made from the template's size, placed, reported to
// the launcher; then the go (bounded), the show and the first frames.
bool HoverThread::InitInstance() {
    m_OpenTick = ::GetTickCount();
    m_IsSearchPanel = m_Current.m_SearchPanel != 0;
    m_CloseNeedsTwo = (m_Flags & kFlagTwoCloses) != 0;
    m_pWindow = std::make_unique<MegaWin>(this);
    m_pWindow->m_MaskFile = theApp.Snapshot()->tempDir + L"mask" + L".jpg";
    m_TemplateWidth = m_Current.m_Width > 0 ? m_Current.m_Width : kDefaultWidth;
    m_TemplateHeight = m_Current.m_Height > 0 ? m_Current.m_Height : kDefaultHeight;
    if (!m_pWindow->CreatePanel(RECT{0, 0, m_TemplateWidth, m_TemplateHeight})) {
        LogWithPrefix(L"The panel window of %s could not be created", m_Current.m_Id.c_str());
        if (m_pHost) m_pHost->Panels().Remove(this);
        return false;
    }
    SetPanelWindow(m_pWindow->hwnd());
    if (LoadWindowTemplate(m_TemplateWidth, m_TemplateHeight)) {
        // The window takes the laid-out template's size.
        const templates::LayoutRect& r = m_pElements->panelRect;
        ::SetWindowPos(m_pWindow->hwnd(), nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    }
    m_pWindow->m_Anchor = m_Anchor;
    m_pWindow->PlaceNearTaskbar(m_Flags | kFlagHidden);
    StartChildren();

    RECT panelRect{};
    ::GetWindowRect(m_pWindow->hwnd(), &panelRect);
    if (m_pHost) m_pHost->ReportCreated(this, panelRect);
    {
        fx::ScopedLock hold(g_SearchTextLock);
        m_ChildUrl = m_Current.m_CurrentUrl;
    }
    if (m_TemplateBuilt && m_pElements->searchElement) PostToChildren(children_msg::kSetSearchText);
    const bool go = m_pHost && fx::PollDispatchingSent([&] { return m_pHost->GoGiven(this); }, m_GoWaitMs, 50);
    if (!go) {
        LogWithPrefix(L"The launcher gave panel %s no go: it closes", m_Current.m_Id.c_str());
        m_pWindow->BeginClose();
        return true;
    }
    if (!(m_Flags & kFlagHidden)) ::ShowWindow(m_pWindow->hwnd(), SW_SHOWNOACTIVATE);
    m_pWindow->Render(0, true);
    m_pWindow->Render(0, false);
    return true;
}

int HoverThread::ExitInstance() {
    EndChildren();
    if (m_pWindow) {
        m_pWindow->Destroy();
        m_pWindow.reset();
    }
    return PanelThread::ExitInstance();
}

bool HoverThread::LoadWindowTemplate(int width, int height) {
    if (!m_pWindow) return false;
    if (m_TemplateUrl.empty()) {
        LogWithPrefix(L"Panel %s has no template address: it draws its plain face", m_Current.m_Id.c_str());
        return false;
    }
    const std::shared_ptr<const AppSnapshot> app = theApp.Snapshot();
    m_Template = LoadTemplate({app->cacheDir, m_Current.m_TemplateKey, m_TemplateUrl,
                               XmlConfig::GetTemplateVersion(m_Current.m_TemplateKey)});
    if (!m_Template.config || !m_Template.config->IsLoaded()) {
        const std::wstring line = L"No window template loaded for panel " + m_Current.m_Id + L" (skin " +
                                  m_Current.m_TemplateKey + L"): it draws its plain face";
        LogWithPrefix(L"%s", line.c_str());
        return false;
    }
    const templates::TemplateSize size{width, height};
    const WindowValues values = ReadWindowValues(LookupIn(*m_Template.config), size);
    m_pWindow->m_Edges = Edges{values.top, values.left, values.bottom, values.right};
    if (!m_pElements) {
        m_pElements = std::make_unique<ElementPanel>();
        if (!m_pElementWindow) m_pElementWindow = std::make_unique<HwndPanelWindow>(m_pWindow->hwnd());
        if (!m_pElementLock) m_pElementLock = std::make_unique<CriticalSectionPanelLock>(m_PanelLock);
        m_pElements->window = m_pElementWindow.get();
        m_pElements->lock = m_pElementLock.get();
        m_pElements->log = [](const std::wstring& line) { LogWithPrefix(L"%s", line.c_str()); };
    }
    // The title font of this thread's own (GDI+ objects are not shared
    // between threads).
    if (!m_pTitleFont) m_pTitleFont = CreateGdiFont(L"Tahoma", 12, Gdiplus::FontStyleBold);
    const std::wstring base = m_TemplateBase.empty() ? m_Current.m_TemplateBaseUrl : m_TemplateBase;
    TemplateRenderFactory factory(m_Template, base, m_pTitleFont.get());
    XmlTemplateDocument document(*m_Template.config);
    m_pElements->zoom = values.zoom;
    m_pElements->BuildElements(document, PanelRecordFrom(m_Current, app->adsUrl), size, factory);
    if (!m_pElements->root) {
        LogWithPrefix(L"The window template of panel %s builds no window: it draws its plain face",
                      m_Current.m_Id.c_str());
        return m_TemplateBuilt = false;
    }
    const templates::LayoutRect rect = m_pElements->LayoutPanel();
    m_pElements->CreateResizeHandles(rect);
    return m_TemplateBuilt = true;
}

void HoverThread::PostToChildren(UINT msg, WPARAM wp, LPARAM lp) {
    if (m_hChildHandler) {
        ::PostMessageW(m_hChildHandler, msg, wp, lp);
        return;
    }
    // Without a children thread the panel ends at once.
    if (msg == children_msg::kClose && m_pWindow) ::PostMessageW(m_pWindow->hwnd(), panel_msg::kClose, 0, 0);
}

// The children thread: given the element tree, the panel window, the panel
// lock and the shared URL, resumed, and waited for until its child windows
// exist (bounded; a thread that is not ready by then is ended and the panel
// goes on without child windows).
void HoverThread::StartChildren() {
    if (!m_pElementWindow) m_pElementWindow = std::make_unique<HwndPanelWindow>(m_pWindow->hwnd());
    if (!m_pElementLock) m_pElementLock = std::make_unique<CriticalSectionPanelLock>(m_PanelLock);
    m_pChildren = MakeChildrenThread();
    if (!m_pChildren) {
        LogWithPrefix(L"Panel %s has no children thread: it shows no child windows", m_Current.m_Id.c_str());
        return;
    }
    ChildrenThread* children = m_pChildren.get();
    children->m_pElements = m_TemplateBuilt ? m_pElements.get() : nullptr;
    children->m_pPanelWindow = m_pElementWindow.get();
    children->m_hPanelWindow = m_pWindow->hwnd();
    children->m_pPanelLock = m_pElementLock.get();
    children->m_pUrl = &m_ChildUrl;
    children->m_pHost = m_pHost;
    children->Resume();
    PanelLock* lock = m_pElementLock.get();
    const bool ready = fx::PollDispatchingSent(
        [&] {
            PanelLockScope hold(lock);
            return children->m_Ready;
        },
        kChildrenReadyMs, 50);
    if (!ready) {
        LogWithPrefix(L"The children thread of panel %s was not ready in time: it is ended", m_Current.m_Id.c_str());
        EndChildren();
        return;
    }
    PanelLockScope hold(lock);
    m_hChildHandler = children->HandlerWindow();
}

// From here on nothing reaches the children thread's object or window.
void HoverThread::EndChildren() {
    m_hChildHandler = nullptr;
    if (!m_pChildren) return;
    m_pChildren->Quit(kChildrenEndMs);
    m_pChildren.reset();
}

// Navigation needs the template's search element; without it nothing.
void HoverThread::OnNavigate(WPARAM, LPARAM) {}

void HoverThread::OnReload(WPARAM, LPARAM lp) {
    {
        fx::ScopedLock hold(g_SearchTextLock);
        m_Current.m_CurrentUrl = m_ChildUrl;
        if (lp > 0) m_Current.m_QueryText = m_ChildUrl;
    }
    if (m_Current.m_NoSkin) {
        if (m_pHost) ::PostMessageW(m_pHost->HostWindow(), controller_msg::kHideMenus, 0, 0);
        OpenInBrowser();
        return;
    }
    if (!IsNetworkUp()) {
        if (m_pHost) ::PostMessageW(m_pHost->HostWindow(), controller_msg::kConnectionState, 0, 0);
        return;
    }
    OnRepaint();
}

void HoverThread::OnDockAnimate() {
    if (theApp.Snapshot()->showDockBar && m_Dockable && m_pWindow) {
        RECT target{};
        ::GetWindowRect(m_pWindow->hwnd(), &target);
        target.right = target.left + 1;
        target.bottom = target.top + 1;
        m_pWindow->AnimateIntoDock(target);
    }
}

void HoverThread::OnUndockAnimate() {
    if (m_pWindow) m_pWindow->AnimateOutOfDock();
}

void HoverThread::OnCloseNow() {
    if (!m_pWindow) return;
    OnHide();
    m_pWindow->BeginClose();
}

void HoverThread::OnHide() {
    if (m_pWindow) ::ShowWindow(m_pWindow->hwnd(), SW_HIDE);
}

void HoverThread::OnShow(LPARAM foreground) {
    if (!m_pWindow) return;
    if (m_pWindow->m_Docked) {  // a docked panel comes back out of the dock
        OnUndockAnimate();
        return;
    }
    ::ShowWindow(m_pWindow->hwnd(), SW_SHOWNOACTIVATE);
    if (foreground) ::SetForegroundWindow(m_pWindow->hwnd());
    m_pWindow->m_JustShown = true;
    m_pWindow->RaiseChildWindows();
}

void HoverThread::OnRaise() {
    if (!m_pWindow || !::IsWindowVisible(m_pWindow->hwnd())) return;
    ::SetWindowPos(m_pWindow->hwnd(), HWND_TOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOREDRAW | SWP_NOACTIVATE);
    m_pWindow->RaiseChildWindows();
}

// The end of the panel: its node out of the list, its usage and the rescan
// to the controller, and the thread's loop ends.
void HoverThread::OnClose() {
    if (m_Closed) return;
    m_Closed = true;
    EndChildren();  // it has destroyed its windows and is ending
    const DWORD openMs = ::GetTickCount() - m_OpenTick;
    RECT rect{};
    if (m_pWindow) ::GetWindowRect(m_pWindow->hwnd(), &rect);
    if (m_pHost) {
        if (m_IsSearchPanel) m_pHost->SearchPanelClosed(m_LastSearchRecord, rect);
        m_pHost->Panels().Remove(this);
        m_pHost->PostUsage(m_Current.m_Id, openMs);
        ::PostMessageW(m_pHost->HostWindow(), controller_msg::kRescan, 0, 0);
    }
    ::PostQuitMessage(0);
}

void HoverThread::OnReady() {
    if (m_pHost) m_pHost->ReportReady(this);
}

void HoverThread::OnRepaint() {
    if (m_pWindow) m_pWindow->Render(0, false);
}

void HoverThread::OnResize(int width, int height) { ResizePanel(width, height, 0); }

void HoverThread::ResizePanel(int width, int height, int direction) {
    if (!m_pWindow) return;
    width = std::max(width, kMinPanelSize);
    height = std::max(height, kMinPanelSize);
    const RECT& r = m_pWindow->m_PanelRect;
    templates::LayoutRect old{r.left, r.top, r.right, r.bottom};
    templates::LayoutRect now = templates::ResizedScreenRect(direction, old, m_TemplateWidth, m_TemplateHeight, width,
                                                             height, width, height);
    m_TemplateWidth = width;
    m_TemplateHeight = height;
    m_pWindow->m_PanelRect = RECT{now.left, now.top, now.right, now.bottom};
    m_pWindow->Render(0, false);
}

void HoverThread::PublishUrl() {
    if (!m_pWindow || m_pWindow->m_Closing || !m_pHost) return;
    std::wstring url = m_pHost->SearchText();
    m_Current.m_CurrentUrl = url;
    fx::ScopedLock hold(g_SearchTextLock);
    m_ChildUrl = url;
}

void HoverThread::OpenInBrowser() {
    std::wstring url = BrowserActionUrl(m_Current.m_Action, m_Current.m_QueryText, m_Current.m_ActionWhitespace);
    {
        fx::ScopedLock hold(g_NavigateUrlLock);
        theApp.m_NavigateUrl = url;
    }
    if (m_pHost) ::PostMessageW(m_pHost->HostWindow(), controller_msg::kNavigateUrl, 0, 0);
}

std::wstring HoverThread::BuildEcpUrl() const {
    // The application's values from one published snapshot (this is the
    // panel's thread).
    const std::shared_ptr<const AppSnapshot> app = theApp.Snapshot();
    EcpUrlParts parts;
    parts.ecpUrl = app->ecpUrl;
    parts.id = m_Current.m_Id;
    parts.queryText = m_Current.m_QueryText;
    parts.showAds = m_Current.m_ShowAds != 0;
    parts.userId = app->userId;
    parts.version = app->version;
    parts.context = m_Current.m_Context;
    return panels::BuildEcpUrl(parts);
}

}  // namespace panels
