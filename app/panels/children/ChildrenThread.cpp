#include "app/panels/children/ChildrenThread.h"

#include <ole2.h>

#include "app/core/common/AppMessages.h"
#include "app/core/common/GlobalLocks.h"
#include "app/core/net/HttpRoutines.h"
#include "app/panels/children/BitmapChildWin.h"
#include "app/panels/children/ChildThreadMsgHandler.h"
#include "app/panels/children/ChildViews.h"
#include "app/panels/children/SearchView.h"
#include "app/panels/elements/ElementPanel.h"
#include "app/panels/children/ChildPanelOps.h"
#include "log/PondrelLog.h"

namespace panels {

ChildrenThread::ChildrenThread() = default;

ChildrenThread::~ChildrenThread() = default;

std::unique_ptr<ChildrenThread> MakeChildrenThread() {
    auto thread = fx::StartSuspended<ChildrenThread>(fx::Apartment::None);
    if (thread) thread->SetName(L"children");
    return thread;
}

HRESULT ChildrenThread::StartApartment() { return ::OleInitialize(nullptr); }

void ChildrenThread::EndApartment() { ::OleUninitialize(); }

// The start: OLE, the handler window, every windowed element's child window
// (with its view), then ready for the panel thread.
bool ChildrenThread::InitInstance() {
    const HRESULT ole = StartApartment();
    m_OleStarted = SUCCEEDED(ole);
    if (!m_OleStarted) LogWithPrefix(L"The children thread has no OLE apartment: %s", L"its web views will not work");
    m_pViews = std::make_unique<ChildViewHost>(*this);
    m_pHandler = std::make_unique<ChildThreadMsgHandler>(this);
    if (!m_pHandler->CreateHandler()) LogWithPrefix(L"The children thread's %s window could not be created", L"handler");
    for (ContentElement* element : WindowedElements()) CreateChildFor(*element);
    PanelLockScope hold(m_pPanelLock);
    m_Ready = true;
    return true;
}

// The end: whatever child windows are left, the handler window, then OLE.
int ChildrenThread::ExitInstance() {
    DestroyChildWindows();
    m_Windows.clear();
    if (m_pHandler) {
        m_pHandler->Destroy();
        m_pHandler.reset();
    }
    m_pViews.reset();
    if (m_OleStarted) EndApartment();
    m_OleStarted = false;
    return UiThread::ExitInstance();
}

std::vector<ContentElement*> ChildrenThread::WindowedElements() const {
    std::vector<ContentElement*> out;
    if (!m_pElements) return out;
    PanelLockScope hold(m_pPanelLock);
    for (WindowElement* e : m_pElements->windowed)
        if (auto* content = dynamic_cast<ContentElement*>(e)) out.push_back(content);
    return out;
}

void ChildrenThread::CreateChildFor(ContentElement& element) {
    if (!m_pPanelWindow) return;
    std::unique_ptr<CChildWin> window;
    if (dynamic_cast<TailElement*>(&element))
        window = std::make_unique<BitmapChildWin>(&element, this);
    else
        window = std::make_unique<CChildWin>(&element, this);
    if (!element.CreateChildWindow(*m_pPanelWindow, *window)) {
        LogWithPrefix(L"The child window of panel element \"%s\" could not be created", element.id.c_str());
        return;
    }
    // The content loads, then the view takes the element's inner rectangle.
    NavigateElementView(element, *window);
    PlaceElementView(element, *window,
                     window->ScreenToClient(m_pPanelWindow->ClientToScreen(element.innerWindowRect)));
    if (auto* search = dynamic_cast<SearchView*>(window->View())) {
        PanelLockScope hold(m_pPanelLock);
        m_pSearchView = search;
    }
    m_Windows.push_back(std::move(window));
}

void ChildrenThread::DestroyChildWindows() {
    {
        PanelLockScope hold(m_pPanelLock);
        m_pSearchView = nullptr;
    }
    // Each element unlinks its window under the panel lock, then destroys it.
    for (ContentElement* element : WindowedElements()) element->DestroyChildWindow();
}

CChildWin* ChildrenThread::MainContentWindow() const {
    if (!m_pElements) return nullptr;
    PanelLockScope hold(m_pPanelLock);
    ContentElement* content = m_pElements->mainContent;
    return content ? dynamic_cast<CChildWin*>(content->LinkedWindow()) : nullptr;
}

HWND ChildrenThread::HandlerWindow() const { return m_pHandler ? m_pHandler->hwnd() : nullptr; }

HWND ChildrenThread::ControllerWindow() const { return m_pPanel ? m_pPanel->ControllerWindow() : nullptr; }

std::wstring ChildrenThread::Url() const {
    if (!m_pUrl) return std::wstring();
    fx::ScopedLock hold(g_SearchTextLock);
    return *m_pUrl;
}

void ChildrenThread::SetUrl(const std::wstring& url) {
    if (!m_pUrl) return;
    fx::ScopedLock hold(g_SearchTextLock);
    *m_pUrl = url;
}

bool ChildrenThread::OnThreadMessage(const MSG& msg) {
    switch (msg.message) {
    case children_msg::kClose: OnUrlDone(); return true;
    case children_msg::kSnapshot: OnSnapshot(); return true;
    case children_msg::kNavigateContent: OnNavigateContent(); return true;
    case children_msg::kSizeChildren: OnSizeChildren(); return true;
    case children_msg::kHideTail: OnHideTail(); return true;
    default: return false;
    }
}

// The end of the panel: the final URL left with the controller, the child
// windows destroyed, then 11212 to the panel window and the thread ends.
void ChildrenThread::OnUrlDone() {
    const std::wstring url = Url();
    if (m_pPanel) m_pPanel->LeavePanelUrl(url);
    TailElement* tail = nullptr;
    {
        PanelLockScope hold(m_pPanelLock);
        tail = m_pTail;
    }
    if (tail) PostMenuPanelGone();
    DestroyChildWindows();
    if (m_hPanelWindow) ::PostMessageW(m_hPanelWindow, panel_msg::kClose, 0, 0);
    ::PostQuitMessage(0);
}

// A picture of the main content view as a JPEG file.  The request is always
// answered, also without a content view or when the file cannot be written:
// the panel window waits for the answer.  A request the panel has given up
// on (its path gone or replaced) is not answered, and its file goes.
void ChildrenThread::OnSnapshot() {
    std::unique_ptr<Gdiplus::Bitmap> picture;
    if (CChildWin* content = MainContentWindow()) picture = SnapshotView(*content);
    std::wstring path;
    {
        PanelLockScope hold(m_pPanelLock);
        path = m_SnapshotPath;
    }
    bool written = false;
    if (picture && !path.empty()) {
        CLSID jpeg{};
        written = GetJpegEncoderClsid(&jpeg) >= 0 && picture->Save(path.c_str(), &jpeg, nullptr) == Gdiplus::Ok;
        if (!written) LogWithPrefix(L"The panel snapshot could not be saved to %s", path.c_str());
    }
    picture.reset();
    bool wanted = false;
    {
        PanelLockScope hold(m_pPanelLock);
        wanted = !path.empty() && m_SnapshotPath == path;
        if (wanted) m_SnapshotSaved = true;
    }
    if (written && !wanted) {
        LogWithPrefix(L"The panel snapshot %s came too late: it is deleted", path.c_str());
        ::DeleteFileW(path.c_str());
    }
}

// The elements' own steps call into their views (web browsers): they run
// after the panel lock is released.
void ChildrenThread::OnNavigateContent() {
    ContentElement* content = nullptr;
    if (m_pElements) {
        PanelLockScope hold(m_pPanelLock);
        content = m_pElements->mainContent;
    }
    auto* window = content ? dynamic_cast<CChildWin*>(content->LinkedWindow()) : nullptr;
    if (window && window->hwnd()) NavigateElementView(*content, *window);
}

void ChildrenThread::OnSizeChildren() {
    for (ContentElement* element : WindowedElements()) element->ResizeWindow();
    PlaceViews();
}

void ChildrenThread::PlaceViews() {
    for (ContentElement* element : WindowedElements()) {
        auto* window = dynamic_cast<CChildWin*>(element->LinkedWindow());
        if (!window || !window->hwnd() || !window->View()) continue;
        RECT client{};
        ::GetClientRect(window->hwnd(), &client);
        PlaceElementView(*element, *window, {0, 0, client.right, client.bottom});
    }
}

void ChildrenThread::HandOverUrl(const std::wstring& url) {
    if (!m_pHandOverUrl) {
        LogWithPrefix(L"The panel takes no handed-over address: %s is dropped", url.c_str());
        return;
    }
    *m_pHandOverUrl->Lock() = url;
}

void ChildrenThread::OnHideTail() {
    {
        PanelLockScope hold(m_pPanelLock);
        if (!m_pTail) return;
        m_pTail->noShow = true;
        m_pTail->Hide();
    }
    PostMenuPanelGone();
}

// 11138 names the panel: the controller forgets its menu panel only when it
// is this one.
void ChildrenThread::PostMenuPanelGone() {
    if (HWND controller = ControllerWindow())
        ::PostMessageW(controller, controller_msg::kMenuPanelGone, reinterpret_cast<WPARAM>(m_hPanelWindow), 0);
}

}  // namespace panels
