#include "app/panels/children/ChildViews.h"

#include "app/core/common/GlobalLocks.h"
#include "app/panels/children/ChildPanelOps.h"
#include "app/panels/children/ChildLink.h"
#include "app/panels/children/ChildWin.h"
#include "app/panels/children/ChildrenThread.h"
#include "app/panels/children/SearchView.h"
#include "app/panels/elements/WindowElement.h"
#include "app/panels/templates/TemplateValues.h"
#include "app/panels/views/BottomView.h"

namespace panels {

namespace {

BannerView* WebViewOf(CChildWin& frame) { return dynamic_cast<BannerView*>(frame.View()); }

RECT ClientOf(HWND window) {
    RECT client{};
    ::GetClientRect(window, &client);
    return client;
}

// A web view made as the frame's first pane and shown (the view's own
// creation keeps it a plain child window).
template <class View>
std::unique_ptr<View> MakeWebView(CChildWin& frame, ChildrenThread& thread) {
    auto view = std::make_unique<View>(thread.Views());
    if (!view->Create(frame.hwnd(), ClientOf(frame.hwnd()), CChildWin::kViewId)) return nullptr;
    ::ShowWindow(view->hwnd(), SW_SHOW);
    view->SetPanelWindow(thread.PanelWindow());
    return view;
}

}  // namespace

ChildViewHost::ChildViewHost(ChildrenThread& thread) : AppViewHost(thread.ControllerWindow()), thread_(thread) {}

void ChildViewHost::StoreSearchText(const std::wstring& text) { thread_.SetUrl(text); }

void ChildViewHost::HandOverUrl(const std::wstring& url) { thread_.HandOverUrl(url); }

void ChildViewHost::LeavePanelOpen(const std::wstring& ecpId, const std::wstring& token, const std::wstring& url,
                                   const RECT& screenRect) {
    if (thread_.m_pPanel) thread_.m_pPanel->LeavePanelOpen(ecpId, token, url, screenRect);
}

void CreateElementView(ContentElement& element, CChildWin& frame) {
    ChildLink* link = frame.Link();
    if (dynamic_cast<SearchElement*>(&element)) {
        auto view = std::make_unique<SearchView>();
        if (view->CreateIn(frame.hwnd(), CChildWin::kViewId)) {
            if (link) view->Connect(link->HandlerWindow(), link->PanelWindow());
            view->OnInitialUpdate();
            frame.SetView(std::move(view));
        }
        return;
    }
    auto* thread = dynamic_cast<ChildrenThread*>(link);
    if (!thread) return;
    if (auto* content = dynamic_cast<ECPElement*>(&element)) {
        std::unique_ptr<BottomView> view = MakeWebView<BottomView>(frame, *thread);
        if (!view) return;
        view->SetRememberedSize(frame.m_Width, frame.m_Height);
        view->SetChildHandlerWindow(thread->HandlerWindow());
        if (dynamic_cast<ECPMenuElement*>(content)) view->SetMenuFlag(true);
        frame.SetView(std::move(view));
    } else if (dynamic_cast<AdElement*>(&element)) {
        // An advertisement view has no child handler window.
        if (std::unique_ptr<BannerView> view = MakeWebView<BannerView>(frame, *thread)) frame.SetView(std::move(view));
    }
}

void PlaceElementView(ContentElement& element, CChildWin& frame, const templates::LayoutRect& client) {
    frame.PlaceView(client);
    if (BannerView* view = WebViewOf(frame)) view->SetZoom(templates::ToPixels(element.zoom * 100.0));
}

void NavigateElementView(ContentElement& element, CChildWin& frame) {
    BannerView* view = WebViewOf(frame);
    if (!view) return;
    std::wstring url;
    {
        fx::ScopedLock hold(g_PanelRecordLock);
        url = element.contentUrl;
    }
    if (!url.empty()) view->Navigate(url);
}

std::unique_ptr<Gdiplus::Bitmap> SnapshotView(CChildWin& frame) {
    BannerView* view = WebViewOf(frame);
    return view ? view->Snapshot() : nullptr;
}

void GoForwardInView(CChildWin& frame) {
    if (BannerView* view = WebViewOf(frame)) view->GoForward();
}

void GoBackInView(CChildWin& frame) {
    if (BannerView* view = WebViewOf(frame)) view->GoBack();
}

}  // namespace panels
