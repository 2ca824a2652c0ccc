// A panel's children thread under Wine, over an element tree built from a
// fixture template and a recording stand-in for the panel window and the
// controller: the handler window and one child window per windowed element
// (the tail's a bitmap window), the OLE start and end, the 113xx requests,
// the end of the panel (windows first, then 11212).
#include "app/panels/children/tests/ChildrenFixture.h"

namespace children_test {
namespace {

// Every windowed element gets its child window at its place over the
// panel, layered, transparent and hidden; the end destroys them all before
// 11212 reaches the panel, and OLE, started once, is ended once after them.
TEST_F(Children, CreatesTheChildWindowsAndDestroysThemBeforeThePanelHearsTheEnd) {
    BuildTree(true);
    ASSERT_NE(nullptr, elements_.mainContent);
    ASSERT_NE(nullptr, elements_.searchElement);
    ASSERT_GE(elements_.windowed.Count(), 4u);  // content, ad, search, tail
    CountingChildren* t = Start(true);
    EXPECT_EQ(1, t->starts.load());
    EXPECT_FALSE(t->handlerBeforeStart.load()) << "OLE starts before the thread makes any window";

    HWND handler = t->HandlerWindow();
    ASSERT_TRUE(handler);
    EXPECT_EQ(L"BackWin777", ClassOf(handler));
    EXPECT_FALSE(::IsWindowVisible(handler));
    EXPECT_EQ(::GetWindowThreadProcessId(handler, nullptr), t->threadId());

    std::vector<HWND> windows{handler};
    for (WindowElement* e : elements_.windowed) {
        auto* content = static_cast<ContentElement*>(e);
        SCOPED_TRACE(e->ClassName());
        HWND w = WindowOf(content);
        ASSERT_TRUE(w);
        windows.push_back(w);
        EXPECT_EQ(::GetWindowThreadProcessId(w, nullptr), t->threadId());
        EXPECT_EQ(e == tail_ ? L"TailWin777" : L"BackWin777", ClassOf(w));
        EXPECT_EQ(0x80088u, static_cast<DWORD>(::GetWindowLongPtrW(w, GWL_EXSTYLE)));
        // Style 0 (the system keeps a top-level window's sibling clipping).
        EXPECT_EQ(0u, static_cast<DWORD>(::GetWindowLongPtrW(w, GWL_STYLE)) & ~static_cast<DWORD>(WS_CLIPSIBLINGS));
        EXPECT_FALSE(::IsWindowVisible(w));
        RECT rc{};
        ::GetWindowRect(w, &rc);
        const templates::LayoutRect screen = panelWindow_->ClientToScreen(e->windowRect);
        EXPECT_EQ(screen.left, rc.left);
        EXPECT_EQ(screen.top, rc.top);
        EXPECT_EQ(screen.right - screen.left, rc.right - rc.left);
        if (e != tail_) {  // a view window starts fully transparent
            BYTE alpha = 99;
            DWORD flags = 0;
            ASSERT_TRUE(::GetLayeredWindowAttributes(w, nullptr, &alpha, &flags));
            EXPECT_EQ(0, alpha);
            EXPECT_TRUE(flags & LWA_ALPHA);
        }
    }
    // The search box is the search window's view, the rich edit inside it.
    HWND edit = EditOf(t);
    ASSERT_TRUE(edit);
    EXPECT_EQ(panels::MyRichEditControl::kId, ::GetDlgCtrlID(edit));
    EXPECT_EQ(0x50000080u, static_cast<DWORD>(::GetWindowLongPtrW(edit, GWL_STYLE)) & 0x500000C0u);
    EXPECT_EQ(WindowOf(elements_.searchElement), ::GetParent(::GetParent(edit)));

    SetUrl(L"final words");
    // The child windows are gone when the panel hears the end; the handler
    // window too when OLE ends.
    panel_.watched.assign(windows.begin() + 1, windows.end());
    t->watched = windows;
    ASSERT_TRUE(EndedThroughTheHandler(t, handler));
    EXPECT_TRUE(panel_.watchedGoneAtClose);
    EXPECT_TRUE(t->windowsGoneAtEnd.load());
    EXPECT_EQ(1, t->starts.load());
    EXPECT_EQ(1, t->ends.load());
    for (WindowElement* e : elements_.windowed) EXPECT_EQ(nullptr, static_cast<ContentElement*>(e)->LinkedWindow());
    // With a tail the controller drops its menu panel; it keeps the final URL.
    EXPECT_TRUE(WaitFor([&] { return host_.Got(controller_msg::kMenuPanelGone); }, 5000));
    EXPECT_EQ(L"final words", host_.LastUrl());
}

// The main content's window hosts a BottomView that reaches the thread and
// the panel, the advertisement's a BannerView without the thread; 11304
// navigates the content view to the element's URL.
TEST_F(Children, ContentAndAdWindowsHostTheirWebViews) {
    BuildTree(false);
    ContentElement* ad = Ad();
    ASSERT_NE(nullptr, ad);
    CountingChildren* t = Start(true);
    auto* contentWindow = dynamic_cast<panels::CChildWin*>(elements_.mainContent->LinkedWindow());
    ASSERT_NE(nullptr, contentWindow);
    auto* content = dynamic_cast<panels::BottomView*>(contentWindow->View());
    ASSERT_NE(nullptr, content);
    EXPECT_EQ(contentWindow->hwnd(), ::GetParent(content->hwnd()));
    EXPECT_TRUE(::IsWindowVisible(content->hwnd()) || !::IsWindowVisible(contentWindow->hwnd()));
    EXPECT_EQ(static_cast<LONG_PTR>(WS_VISIBLE), ::GetWindowLongPtrW(content->hwnd(), GWL_STYLE) & WS_VISIBLE);
    EXPECT_EQ(t->HandlerWindow(), content->ChildHandlerWindow());
    EXPECT_EQ(panel_.hwnd(), content->PanelWindow());

    panels::BannerView* banner = BannerOf(ad);
    ASSERT_NE(nullptr, banner);
    EXPECT_EQ(nullptr, dynamic_cast<panels::BottomView*>(banner));
    EXPECT_EQ(nullptr, banner->ChildHandlerWindow());

    const int before = content->State().navigationCount;
    {
        fx::ScopedLock hold(g_PanelRecordLock);
        elements_.mainContent->contentUrl = L"http://127.0.0.1:9/content";
    }
    ::PostMessageW(t->HandlerWindow(), children_msg::kNavigateContent, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return content->State().navigationCount == before + 1; }, 5000));
    ASSERT_TRUE(EndedThroughTheHandler(t, t->HandlerWindow()));
}

// A content load the advertisement's page asks for (before its "#") reaches
// the panel thread's handed-over URL through the thread, and the panel is
// asked to load it (11218); the advertisement's own navigation is cancelled.
TEST_F(Children, AdViewHandsAContentLoadToThePanelThread) {
    BuildTree(false);
    ContentElement* ad = Ad();
    ASSERT_NE(nullptr, ad);
    CountingChildren* t = Start(true);
    panels::BannerView* banner = BannerOf(ad);
    ASSERT_NE(nullptr, banner);
    const std::wstring url = L"http://127.0.0.1:9/ads/?pqecp=1&pqload=ecp#go";
    ASSERT_TRUE(testsupport::RunOn(*t, [&] { banner->Navigate2(url); }));
    ASSERT_TRUE(WaitFor([&] { return panel_.Got(panel_msg::kLoadContentUrl); }, 10000));
    EXPECT_EQ(url + L"&adtype=ecp", handedOver_.Copy());
    ASSERT_TRUE(EndedThroughTheHandler(t, t->HandlerWindow()));
}

// 11305 after the panel grew: every child window takes its element's new
// place and the content's web view fills its window again.
TEST_F(Children, ResizeRequestRefitsTheChildWindowsAndTheirViews) {
    BuildTree(false);
    CountingChildren* t = Start(true);
    HWND content = WindowOf(elements_.mainContent);
    ASSERT_TRUE(content);
    auto* frame = dynamic_cast<panels::CChildWin*>(elements_.mainContent->LinkedWindow());
    ASSERT_TRUE(frame && frame->View());
    HWND view = frame->View()->hwnd();
    templates::LayoutRect grown;
    {
        PanelLockScope hold(panelLock_.get());
        ContentElement& e = *elements_.mainContent;
        e.windowRect.right += 41;
        e.windowRect.bottom += 30;
        e.innerWindowRect.right += 41;
        e.innerWindowRect.bottom += 30;
        grown = e.windowRect;
    }
    ::PostMessageW(t->HandlerWindow(), children_msg::kSizeChildren, 0, 0);
    // The window's right edge stays one pixel short of the element's, as at its creation.
    const templates::LayoutRect screen = panelWindow_->ClientToScreen(grown);
    ASSERT_TRUE(WaitFor(
        [&] {
            RECT rc{};
            ::GetWindowRect(content, &rc);
            return rc.left == screen.left && rc.top == screen.top && rc.right == screen.right - 1 &&
                   rc.bottom == screen.bottom;
        },
        5000));
    EXPECT_TRUE(WaitFor(
        [&] {
            RECT frameClient{}, viewRect{};
            ::GetClientRect(content, &frameClient);
            ::GetWindowRect(view, &viewRect);
            return viewRect.right - viewRect.left == frameClient.right &&
                   viewRect.bottom - viewRect.top == frameClient.bottom;
        },
        5000));
}

// A click on a child window brings the whole panel back to its z-order (11211).
TEST_F(Children, ClickOnAChildWindowRaisesThePanel) {
    BuildTree(false);
    Start(true);
    HWND content = WindowOf(elements_.mainContent);
    ASSERT_TRUE(content);
    DWORD_PTR answer = 0;
    ASSERT_TRUE(::SendMessageTimeoutW(content, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(panel_.hwnd()),
                                      MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN), SMTO_NORMAL, 5000, &answer));
    EXPECT_TRUE(WaitFor([&] { return panel_.Got(panel_msg::kRaise); }, 5000));
}

// Without windowed elements (no template) the thread still has its handler
// window and becomes ready; requests that need a missing window do nothing,
// and a snapshot request is answered all the same.
TEST_F(Children, WithoutElementsReadyAndEveryRequestAnswered) {
    CountingChildren* t = Start(false);
    HWND handler = t->HandlerWindow();
    ASSERT_TRUE(handler);
    for (UINT msg = children_msg::kNothing11301; msg <= children_msg::kGoBack; ++msg)
        if (msg != children_msg::kClose && msg != children_msg::kSnapshot) ::PostMessageW(handler, msg, 0, 0);
    {
        PanelLockScope hold(panelLock_.get());
        t->m_SnapshotPath = L"C:\\no-such-folder\\snapshot.jpg";
    }
    ::PostMessageW(handler, children_msg::kSnapshot, 0, 0);
    EXPECT_TRUE(WaitFor(
        [&] {
            PanelLockScope hold(panelLock_.get());
            return t->m_SnapshotSaved;
        },
        5000));
    EXPECT_FALSE(host_.Got(controller_msg::kMenuPanelGone));  // no tail, nothing to hide
    ASSERT_TRUE(EndedThroughTheHandler(t, handler));
    EXPECT_EQ(1, t->ends.load());
}

// 11307 hides the tail for good and tells the controller.
TEST_F(Children, HideTailKeepsTheTailHidden) {
    BuildTree(true);
    CountingChildren* t = Start(true);
    HWND tailWindow = WindowOf(tail_);
    ASSERT_TRUE(tailWindow);
    ::PostMessageW(t->HandlerWindow(), children_msg::kHideTail, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return host_.Got(controller_msg::kMenuPanelGone); }, 5000));
    EXPECT_TRUE(tail_->noShow);
    tail_->Show();  // the panel showing its windows again
    EXPECT_FALSE(::IsWindowVisible(tailWindow));
}

}  // namespace
}  // namespace children_test
