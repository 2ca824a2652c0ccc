#include "app/panels/thread/HoverThread.h"

#include <algorithm>

#include "app/core/common/GlobalLocks.h"
#include "app/core/main/PondrelApp.h"
#include "app/core/net/HttpRoutines.h"
#include "app/panels/children/ChildrenThread.h"
#include "app/panels/templates/ElementLayout.h"
#include "app/panels/thread/HoverThreadList.h"
#include "app/panels/thread/LaunchRules.h"
#include "app/panels/elements/RenderElements.h"
#include "app/panels/thread/TemplateRenderFactory.h"
#include "app/core/common/AppMessages.h"
#include "app/panels/window/MegaWin.h"
#include "log/PondrelLog.h"

namespace panels {

namespace {

// A panel size from the record, the template or a page, held to the work
// area of the monitor around `place`, never filling that monitor whole (a
// log line names what was cut).
Size HeldPanelSize(Size asked, const RECT& place, const std::wstring& id, const wchar_t* what) {
    const RECT work = MegaWin::WorkAreaAround(place);
    const RECT monitor = MegaWin::MonitorAround(place);
    const Size held = HeldToWorkArea(asked, IntRect{work.left, work.top, work.right, work.bottom},
                                     IntRect{monitor.left, monitor.top, monitor.right, monitor.bottom});
    if (!(held == asked)) {
        const std::wstring line = L"Panel " + id + L": the " + what + L" " + std::to_wstring(asked.width) + L" x " +
                                  std::to_wstring(asked.height) + L" is held at " + std::to_wstring(held.width) +
                                  L" x " + std::to_wstring(held.height) + L", its monitor's work area";
        LogWithPrefix(L"%s", line.c_str());
    }
    return held;
}

// A template laid out beyond the work area (its elements may have any size)
// is cut there: the panel rectangle, and with it the window, its back buffer
// and its resize handles.
Size HoldLaidOutPanel(ElementPanel& elements, const RECT& place, const std::wstring& id) {
    templates::LayoutRect& r = elements.panelRect;
    const Size held = HeldPanelSize(Size{r.right - r.left, r.bottom - r.top}, place, id, L"window template's size");
    r.right = r.left + held.width;
    r.bottom = r.top + held.height;
    return held;
}

}  // namespace

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
    const Size asked{m_Current.m_Width > 0 ? m_Current.m_Width : kDefaultWidth,
                     m_Current.m_Height > 0 ? m_Current.m_Height : kDefaultHeight};
    const Size size = HeldPanelSize(asked, m_Anchor, m_Current.m_Id, L"record's size");
    m_TemplateWidth = size.width;
    m_TemplateHeight = size.height;
    if (!m_pWindow->CreatePanel(RECT{0, 0, m_TemplateWidth, m_TemplateHeight})) {
        LogWithPrefix(L"The panel window of %s could not be created", m_Current.m_Id.c_str());
        if (m_pHost) m_pHost->Panels().Remove(this);
        return false;
    }
    SetPanelWindow(m_pWindow->hwnd());
    if (LoadWindowTemplate(m_TemplateWidth, m_TemplateHeight)) {
        const templates::LayoutRect r = m_pElements->LayoutPanel();
        if (r.right - r.left <= 0 || r.bottom - r.top <= 0) {
            // Nothing to see and nothing to close it by: the panel keeps its
            // plain face of the record's size instead.
            LogWithPrefix(L"The window template of panel %s lays out to an empty rectangle: it draws its plain face",
                          m_Current.m_Id.c_str());
            m_TemplateBuilt = false;
            m_Dockable = false;
        } else {
            // The window takes the laid-out template's size.
            const Size laid = HoldLaidOutPanel(*m_pElements, m_Anchor, m_Current.m_Id);
            ::SetWindowPos(m_pWindow->hwnd(), nullptr, 0, 0, laid.width, laid.height,
                           SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
            // The back buffer takes that size before anything is shown.
            m_pWindow->GrowBackBuffer(laid.width, laid.height);
        }
    }
    m_pWindow->m_Anchor = m_Anchor;
    const TailPlace firstTail = PrepareTail();
    const POINT shift = m_pWindow->PlaceNearTaskbar(m_Flags | kFlagHidden);
    ChooseTail(firstTail, shift);
    StartChildren();

    // The launcher learns where the panel is, its tail included.
    RECT panelRect{};
    ::GetWindowRect(m_pWindow->hwnd(), &panelRect);
    RECT reported = panelRect;
    if (m_pTail) {
        RECT tail{};
        {
            PanelLockScope hold(m_pElementLock.get());
            tail = RECT{m_pTail->windowRect.left, m_pTail->windowRect.top, m_pTail->windowRect.right,
                        m_pTail->windowRect.bottom};
        }
        ::OffsetRect(&tail, panelRect.left, panelRect.top);
        ::UnionRect(&reported, &panelRect, &tail);
    }
    if (m_pHost) m_pHost->ReportCreated(this, reported);
    {
        fx::ScopedLock hold(g_SearchTextLock);
        m_ChildUrl = m_Current.m_CurrentUrl;
    }
    if (m_TemplateBuilt && m_pElements->searchElement) PostToChildren(children_msg::kSetSearchText);
    // The wait for the go ends early on a quit request (the program's exit).
    bool go = false;
    if (m_pHost) fx::PollDispatchingSent([&] { return (go = m_pHost->GoGiven(this)) || QuitRequested(); }, m_GoWaitMs, 50);
    if (!go && QuitRequested()) {
        LogWithPrefix(L"Panel %s was asked to quit while it started: it closes", m_Current.m_Id.c_str());
        OnClose();
        return true;
    }
    if (!go) {
        LogWithPrefix(L"The launcher gave panel %s no go: it closes", m_Current.m_Id.c_str());
        m_pWindow->BeginClose();
        return true;
    }
    if (!(m_Flags & kFlagHidden)) ::ShowWindow(m_pWindow->hwnd(), SW_SHOWNOACTIVATE);
    if (ElementPanel* elements = Elements()) {
        if (elements->hasResizeControl) elements->CreateResizeHandles(elements->panelRect);
    }
    m_pWindow->Render(0, true);
    // Without a content element the panel shows its next record itself.
    ElementPanel* elements = Elements();
    if (!elements || !elements->mainContent) ::PostMessageW(m_pWindow->hwnd(), panel_msg::kNavigate, 0, 1);
    m_pWindow->Render(0, false);
    return true;
}

// A menu panel (flag 0x10) whose template has a left-lower tail starts with
// it beside its left edge and leaves room for it: the anchor moves right by
// the tail's width before the window is placed.
TailPlace HoverThread::PrepareTail() {
    ElementPanel* elements = Elements();
    TailElement* lower = elements ? elements->tails[kTailLeftLower].get() : nullptr;
    if (!(m_Flags & kFlagMenuPanel) || !lower) return TailPlace{};
    m_pWindow->m_HasTail = true;
    RECT window{};
    ::GetWindowRect(m_pWindow->hwnd(), &window);
    ::OffsetRect(&m_pWindow->m_Anchor, ToPixels(lower->width), 0);
    return FirstTailPlace(window.bottom - window.top, lower->width, lower->height);
}

// The placed panel's tail: a panel that had to go left of its anchor is
// moved to the anchor's left and points with its right tail; a vertical
// correction keeps the tail pointing at the anchor, in the upper half with an
// upper tail.  The chosen tail becomes a windowed element (its bitmap window
// is made by the children thread); the other tails are dropped.
void HoverThread::ChooseTail(const TailPlace& first, POINT shift) {
    ElementPanel* elements = Elements();
    if (!elements) return;
    TailElement* chosen = nullptr;
    if (m_pWindow->m_HasTail) {
        RECT window{};
        ::GetWindowRect(m_pWindow->hwnd(), &window);
        const int width = window.right - window.left, height = window.bottom - window.top;
        const bool wentLeft = shift.x < 0;
        if (wentLeft)
            m_pWindow->MoveKeptOnMonitor(
                LeftOfAnchorX(m_pWindow->m_Anchor.left, width, elements->tails[kTailLeftLower]->width), window.top);
        auto heightOf = [&](int corner) {
            const std::unique_ptr<TailElement>& tail = elements->tails[static_cast<size_t>(corner)];
            return tail ? tail->height : 0.0;
        };
        const TailPlace place =
            FinalTailPlace(first, wentLeft, shift.y, width, height, heightOf(kTailLeftUpper), heightOf(kTailRightUpper));
        chosen = elements->tails[static_cast<size_t>(place.corner)].get();
        if (chosen) {
            PlaceUnzoomed(*chosen, place.x, place.y);
            PanelLockScope hold(elements->lock);
            elements->windowed.Add(chosen);
        } else {
            LogWithPrefix(L"The window template of panel %s has no tail for that corner: it shows none",
                          m_Current.m_Id.c_str());
            m_pWindow->m_HasTail = false;
        }
    }
    for (std::unique_ptr<TailElement>& tail : elements->tails)
        if (tail.get() != chosen) tail.reset();
    m_pTail = chosen;
}

int HoverThread::ExitInstance() {
    EndChildren();
    if (m_pWindow) {
        m_pWindow->LeaveDock();  // the dock forgets the panel before it goes
        m_pWindow->Destroy();
        m_pWindow.reset();
    }
    return PanelThread::ExitInstance();
}

bool HoverThread::LoadWindowTemplate(int width, int height) {
    if (!m_pWindow) return false;
    const std::shared_ptr<const AppSnapshot> app = theApp.Snapshot();
    // The template is read through the cache once; a resize builds the same
    // document again at the new size.
    if (!m_Template.config) {
        if (m_TemplateUrl.empty()) {
            LogWithPrefix(L"Panel %s has no template address: it draws its plain face", m_Current.m_Id.c_str());
            return false;
        }
        TemplateSource source{app->cacheDir, m_Current.m_TemplateKey, m_TemplateUrl,
                              XmlConfig::GetTemplateVersion(m_Current.m_TemplateKey)};
        // The launcher waits for the start only so long.
        source.timeLeft = [share = TimeShare{m_OpenTick, kStartTemplateMs}] {
            return static_cast<DWORD>(TimeLeft(share, ::GetTickCount()));
        };
        m_Template = LoadTemplate(source);
    }
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
        m_pElements->buildContentUrl = [this](ContentElement& element) {
            FillContentUrl(element);
            // Once the content's address is built, a record under a parent
            // that is not searchable goes by its parent's name.
            TakeParentIdWhenNotSearchable();
        };
    }
    // The title font of this thread's own (GDI+ objects are not shared
    // between threads).
    if (!m_pTitleFont) m_pTitleFont = CreateGdiFont(L"Tahoma", 12, Gdiplus::FontStyleBold);
    const std::wstring base = m_TemplateBase.empty() ? m_Current.m_TemplateBaseUrl : m_TemplateBase;
    TemplateRenderFactory factory(m_Template, base, m_pTitleFont.get());
    XmlTemplateDocument document(*m_Template.config);
    m_pElements->zoom = values.zoom;
    m_pElements->BuildElements(document, PanelRecordFrom(m_Current, app->adsUrl), size, factory);
    m_Template.timeLeft = nullptr;  // the start's share is spent; a resize has none
    if (!m_pElements->windowElement) {
        LogWithPrefix(L"The window template of panel %s builds no window: it draws its plain face",
                      m_Current.m_Id.c_str());
        return m_TemplateBuilt = false;
    }
    m_Dockable = m_pElements->dockable;
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
// lock, the shared URL and the URL its views hand over for 11218, resumed, and waited for until its child windows
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
    SetHelperThread(children->handle());
    children->m_pElements = m_TemplateBuilt ? m_pElements.get() : nullptr;
    children->m_pPanelWindow = m_pElementWindow.get();
    children->m_hPanelWindow = m_pWindow->hwnd();
    children->m_pPanelLock = m_pElementLock.get();
    children->m_pUrl = &m_ChildUrl;
    children->m_pHandOverUrl = &m_HandedOverUrl;
    children->m_pPanel = this;
    children->m_pTail = m_pTail;
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

// From here on nothing reaches the children thread's window.  The thread is
// asked to end and waited for (bounded); an ended thread's object goes.  It
// is never ended from outside: one that is slow to end keeps its object, and
// this thread's element tree it may still reach, until the panel list
// deletes this panel once both threads have ended.
void HoverThread::EndChildren() {
    m_hChildHandler = nullptr;
    if (!m_pChildren || m_ChildrenAskedToEnd) return;
    m_ChildrenAskedToEnd = true;
    m_pChildren->RequestQuit();
    if (m_pChildren->Join(kChildrenEndMs)) {
        // Ended: nothing reaches it any more.  Its object (and the handle
        // the panel list may still look at) stays until this object goes.
        m_pEndedChildren = std::move(m_pChildren);
        return;
    }
    LogWithPrefix(L"The children thread of panel %s has not ended yet: it ends by itself", m_Current.m_Id.c_str());
}

// A record under a parent that is not searchable goes by its parent's name.
void HoverThread::TakeParentIdWhenNotSearchable() {
    if (m_Current.m_HasParent && !m_Current.m_Searchable) m_Current.m_Id = m_Current.m_Parent;
}

std::wstring HoverThread::ChildUrl() {
    fx::ScopedLock hold(g_SearchTextLock);
    return m_ChildUrl;
}

void HoverThread::PostToController(UINT msg, WPARAM wp, LPARAM lp) {
    if (m_pHost) ::PostMessageW(m_pHost->HostWindow(), msg, wp, lp);
}

void HoverThread::ReportPanelReady() {
    if (m_pHost) m_pHost->ReportReady(this);
}

void HoverThread::OfferSearchMenu(const RECT& dropDown, HWND panel, const std::wstring& text) {
    if (m_pHost) m_pHost->OfferSearchMenu(dropDown, panel, text);
}

void HoverThread::LeavePanelUrl(const std::wstring& url) {
    if (m_pHost) m_pHost->LeavePanelUrl(url);
}

void HoverThread::LeavePanelOpen(const std::wstring& ecpId, const std::wstring& token, const std::wstring& url,
                                 const RECT& screenRect) {
    if (m_pHost) m_pHost->LeavePanelOpen(ecpId, token, url, screenRect);
}

void HoverThread::ReportContext(const std::wstring& queryText, const RECT& rect) {
    if (!m_pHost) return;
    m_pHost->UpdateReport([&](PanelReport& report) {
        report.token = queryText;
        report.url = queryText;
        report.rect = rect;
    });
}

// The record's icon may come from the server: it is loaded before the panel
// lock is taken (the children thread waits on that lock), and only put in
// place under it.
void HoverThread::RefreshSearchControl() {
    ElementPanel* elements = Elements();
    if (!elements || !elements->searchControl) return;
    if (!dynamic_cast<ECP_IconElement*>(elements->searchControl->Render())) return;
    ArgbBitmap picture = ECP_IconElement::LoadRecordIcon(m_Current);
    PanelLockScope hold(elements->lock);
    if (auto* icon = dynamic_cast<ECP_IconElement*>(elements->searchControl->Render())) icon->TakeIcon(std::move(picture));
}

// The next record becomes the current one (a one-visit record only for this
// showing), then the panel reloads or its search control shows the record.
void HoverThread::OnNavigate(WPARAM wp, LPARAM lp) {
    ElementPanel* elements = Elements();
    if (!elements || !elements->searchElement || !m_pWindow) return;
    RECT rect{};
    ::GetWindowRect(m_pWindow->hwnd(), &rect);
    const std::wstring url = ChildUrl();
    bool restore = false;
    {
        fx::ScopedLock hold(g_PanelRecordLock);
        if (wp == 1 && m_Next.m_Transient) {
            restore = true;
            m_Back.CopyFrom(m_Current);
        }
        m_Current.CopyFrom(m_Next);
        m_Current.m_CurrentUrl = url;
        if (lp > 0) m_Current.m_QueryText = url;
    }
    ReportContext(m_Current.m_QueryText, rect);
    const NavigatePlan plan = PlanNavigate(elements->mainContent != nullptr, m_Current.m_Transient != 0,
                                           m_IsSearchPanel, elements->searchControl != nullptr, m_SkipFirstReload);
    if (plan.reload && !plan.showInControl && !m_IsSearchPanel) {
        OnReload(1, lp);
    } else {
        if (plan.showInControl) {
            m_LastSearchRecord = m_Current.m_Id;
            RefreshSearchControl();
        }
        m_SkipFirstReload = false;
        if (plan.reload) OnReload(1, lp);
        ::GetWindowRect(m_pWindow->hwnd(), &m_pWindow->m_PanelRect);
        m_pWindow->Render(0, false);
    }
    TakeParentIdWhenNotSearchable();
    if (restore) {
        fx::ScopedLock hold(g_PanelRecordLock);
        m_Current.CopyFrom(m_Back);
    }
}

void HoverThread::OnReload(WPARAM wp, LPARAM lp) {
    {
        fx::ScopedLock hold(g_SearchTextLock);
        m_Current.m_CurrentUrl = m_ChildUrl;
        if (lp > 0) m_Current.m_QueryText = m_ChildUrl;
    }
    ElementPanel* elements = Elements();
    ReloadInput in;
    in.noSkin = m_Current.m_NoSkin != 0;
    in.networkUp = in.noSkin || IsNetworkUp();
    const HWND host = m_pHost ? m_pHost->HostWindow() : nullptr;
    switch (DecideReload(in)) {
        case ReloadStep::kOpenInBrowser:
            if (host) ::PostMessageW(host, controller_msg::kHideMenus, 0, 0);
            OpenInBrowser();
            return;
        case ReloadStep::kOffline:
            if (host) ::PostMessageW(host, controller_msg::kConnectionState, 0, 0);
            return;
        default: break;
    }
    RECT rect{};
    if (m_pWindow) {
        ::GetWindowRect(m_pWindow->hwnd(), &rect);
        m_pWindow->m_PanelRect = rect;
    }
    m_Current.m_CurrentUrl = ChildUrl();
    if (ReloadTakesUrlAsQuery(wp != 0, m_Current.m_Searchable != 0, lp > 0)) m_Current.m_QueryText = m_Current.m_CurrentUrl;
    ReportContext(m_Current.m_QueryText, rect);

    in.currentUrlEmpty = m_Current.m_CurrentUrl.empty();
    in.oneVisit = m_Current.m_Transient != 0;
    in.hasContent = elements && elements->mainContent;
    switch (DecideReload(in)) {
        case ReloadStep::kRefresh:
            OnReady();
            if (in.hasContent) {
                FillContentUrl(*elements->mainContent);
                RefreshSearchControl();
                if (m_pWindow) m_pWindow->Render(0, false);
            }
            return;
        case ReloadStep::kNavigateContent:
            FillContentUrl(*elements->mainContent);
            RefreshSearchControl();
            if (m_pWindow) m_pWindow->Render(0, false);
            PostToChildren(children_msg::kNavigateContent);
            return;
        default:
            if (m_pHost)
                m_pHost->UpdateReport([&](PanelReport& report) { report.id = m_Current.m_Id; });
            if (host) ::PostMessageW(host, controller_msg::kReportBug, 0, 0);
            return;
    }
}

void HoverThread::OnStoreUrl() {
    ElementPanel* elements = Elements();
    if (!elements || !elements->titleElement) return;
    PanelLockScope hold(elements->lock);
    fx::ScopedLock record(g_PanelRecordLock);
    if (auto* title = dynamic_cast<TextElement*>(elements->titleElement->Render())) title->text.clear();
}

// The share control: the record it names becomes the inner panel, the
// content's URL the report's context, and the application opens it.
void HoverThread::OnOpenWithToken() {
    ElementPanel* elements = Elements();
    if (!elements || !elements->shareElement || !elements->mainContent || !m_pHost) return;
    const std::wstring target = elements->shareElement->target;
    std::wstring url;
    {
        fx::ScopedLock hold(g_PanelRecordLock);
        url = elements->mainContent->contentUrl;
    }
    m_pHost->UpdateReport([&](PanelReport& report) {
        report.id = target;
        report.token = url;
    });
    ::PostMessageW(m_pHost->HostWindow(), controller_msg::kReportBug, 0, 0);
}

void HoverThread::OnRefreshSearch() {
    if (ElementPanel* elements = Elements())
        if (elements->searchElement) PostToChildren(children_msg::kRefreshSearch);
}

// A view handed over a content URL: the content element loads it.
void HoverThread::OnLoadContentUrl() {
    ElementPanel* elements = Elements();
    if (!elements || !elements->mainContent) return;
    const std::wstring url = m_HandedOverUrl.Copy();
    {
        fx::ScopedLock hold(g_PanelRecordLock);
        elements->mainContent->contentUrl = url;
    }
    PostToChildren(children_msg::kNavigateContent);
}

void HoverThread::OnDockAnimate() {
    if (theApp.Snapshot()->showDockBar && m_Dockable && m_pWindow) m_pWindow->AnimateIntoDock();
}

// The children thread saves the content's picture; the wait is bounded and
// holds no lock while it waits.
bool HoverThread::TakeSnapshot(const std::wstring& file) {
    ChildrenThread* children = m_pChildren.get();
    if (!children || !m_hChildHandler) return false;
    PanelLock* lock = m_pElementLock.get();
    {
        PanelLockScope hold(lock);
        children->m_SnapshotPath = file;
        children->m_SnapshotSaved = false;
    }
    PostToChildren(children_msg::kSnapshot);
    bool saved = fx::PollDispatchingSent(
        [&] {
            PanelLockScope hold(lock);
            return children->m_SnapshotSaved;
        },
        m_SnapshotWaitMs, 50);
    {
        // The request ends here: the children thread deletes a picture it
        // writes after this, and a late request message writes none.
        PanelLockScope hold(lock);
        saved = children->m_SnapshotSaved;
        children->m_SnapshotPath.clear();
    }
    if (!saved) LogWithPrefix(L"Panel %s has no snapshot in time: it docks without one", m_Current.m_Id.c_str());
    return saved && ::GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void HoverThread::OnUndockAnimate() {
    if (m_pWindow) m_pWindow->AnimateOutOfDock();
}

void HoverThread::OnCloseNow() {
    if (!m_pWindow) return;
    OnHide();
    m_pWindow->BeginClose();
}

// The child windows first (their thread is asked, nothing waits for it),
// then the panel window.
void HoverThread::OnHide() {
    if (ElementPanel* elements = Elements()) {
        PanelLockScope hold(elements->lock);
        elements->windowed.HideAll();
    }
    if (m_pWindow) ::ShowWindow(m_pWindow->hwnd(), SW_HIDE);
}

void HoverThread::OnShow(LPARAM foreground) {
    if (!m_pWindow) return;
    if (m_pWindow->IsInDock()) {  // a docked panel comes back out of the dock
        OnUndockAnimate();
        return;
    }
    // The child windows that 11207 hid come back with the panel.
    if (ElementPanel* elements = Elements()) {
        PanelLockScope hold(elements->lock);
        elements->windowed.ShowAll();
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
    const DWORD openMs = ::GetTickCount() - m_OpenTick;
    RECT rect{};
    if (m_pWindow) ::GetWindowRect(m_pWindow->hwnd(), &rect);
    if (m_pHost) {
        if (m_IsSearchPanel) m_pHost->SearchPanelClosed(m_LastSearchRecord, rect);
        m_pHost->Panels().Remove(this);
        m_pHost->PostUsage(m_Current.m_Id, openMs);
        ::PostMessageW(m_pHost->HostWindow(), controller_msg::kRescan, 0, 0);
    }
    // The children thread has destroyed its windows and is ending; the
    // reports above never wait for it.
    EndChildren();
    ::PostQuitMessage(0);
}

// The launch is over: the search box takes the keyboard focus (not in a
// menu panel, which the user reached from a menu), then the launcher learns
// that the panel is ready.
void HoverThread::OnReady() {
    const ElementPanel* elements = Elements();
    if (elements && elements->searchElement && !(m_Flags & kFlagMenuPanel)) PostToChildren(children_msg::kFocusSearch);
    if (m_pHost) m_pHost->ReportReady(this);
}

void HoverThread::OnRepaint() {
    if (m_pWindow) m_pWindow->Render(0, false);
}

void HoverThread::OnResize(int width, int height) { ResizePanel(width, height, 0); }

// A new template size: the element tree built again at that size and laid
// out, the window placed by the grabbed edge, the back buffer resized and the
// child windows refitted.  A panel never gets smaller than 150 x 150, nor
// larger than its monitor's work area (a page may ask for any size).
void HoverThread::ResizePanel(int width, int height, int direction) {
    if (!m_pWindow) return;
    RECT r{};
    ::GetWindowRect(m_pWindow->hwnd(), &r);
    const Size size = HeldPanelSize(Size{width, height}, r, m_Current.m_Id, L"size asked for");
    width = std::max(size.width, kMinPanelSize);
    height = std::max(size.height, kMinPanelSize);
    const templates::LayoutRect screen{r.left, r.top, r.right, r.bottom};
    templates::LayoutRect now;
    if (ElementPanel* elements = Elements()) {
        now = elements->ResizePanel(direction, width, height, screen,
                                    [this](int w, int h) { LoadWindowTemplate(w, h); });
        const templates::LayoutRect laid = elements->panelRect;
        const Size held = HoldLaidOutPanel(*elements, r, m_Current.m_Id);
        if (held.width != laid.right - laid.left || held.height != laid.bottom - laid.top) {
            now.right = now.left + held.width;
            now.bottom = now.top + held.height;
            elements->CreateResizeHandles(elements->panelRect);
        }
    } else {
        now = templates::ResizedScreenRect(direction, screen, m_TemplateWidth, m_TemplateHeight, width, height, width,
                                           height);
    }
    m_TemplateWidth = width;
    m_TemplateHeight = height;
    MegaWin& window = *m_pWindow;
    window.m_PanelRect = RECT{now.left, now.top, now.right, now.bottom};
    window.m_Width = now.right - now.left;
    window.m_Height = now.bottom - now.top;
    window.ResizeBackBuffer(window.m_Width, window.m_Height);
    PostToChildren(children_msg::kSizeChildren);
    window.Render(0, false);
}

void HoverThread::PublishUrl() {
    if (!m_pWindow || m_pWindow->m_Closing || !m_pHost) return;
    std::wstring url = m_pHost->SearchText();
    m_Current.m_CurrentUrl = url;
    {
        fx::ScopedLock hold(g_SearchTextLock);
        m_ChildUrl = url;
    }
    ElementPanel* elements = Elements();
    if (elements && elements->searchElement) PostToChildren(children_msg::kSetSearchText);
}

void HoverThread::OpenInBrowser() {
    std::wstring url = BrowserActionUrl(m_Current.m_Action, m_Current.m_QueryText, m_Current.m_ActionWhitespace);
    *theApp.m_NavigateUrl.Lock() = url;
    if (m_pHost) ::PostMessageW(m_pHost->HostWindow(), controller_msg::kNavigateUrl, 0, 0);
}

// The content URL into the element (under g_PanelRecordLock, which guards
// it against the children thread) and the record's name into the title.
void HoverThread::FillContentUrl(ContentElement& element) {
    const std::wstring url = BuildEcpUrl();
    fx::ScopedLock hold(g_PanelRecordLock);
    element.contentUrl = url;
    ElementPanel* elements = m_pElements.get();
    if (elements && elements->titleElement)
        if (auto* title = dynamic_cast<TextElement*>(elements->titleElement->Render())) title->text = m_Current.m_Name;
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
