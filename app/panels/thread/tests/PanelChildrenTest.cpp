// A real panel's child windows under Wine: made on the children thread over
// the template's windowed elements, hidden and shown with the panel and gone
// with it, and the focus put into the search box when the panel is ready.
#include "app/panels/thread/tests/PanelTemplateFixture.h"

namespace panel_template_test {
namespace {

// The demo panel's windowed elements have their child windows, made on the
// panel's children thread at their places over the panel; closing the panel
// destroys them and ends both threads.
TEST_F(PanelTemplate, ChildWindowsOverTheWindowedElementsGoWithThePanel) {
    HoverThread* t = Start(L"Classic", loopback::Url(L"/files/templates/?template=ecp&skin=Classic"));
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(t->PanelWindow()) != FALSE; }, 10000));
    const ElementPanel* elements = t->Elements();
    ASSERT_NE(nullptr, elements);
    ASSERT_NE(nullptr, elements->mainContent);
    panels::ChildrenThread* children = t->Children();
    ASSERT_NE(nullptr, children);
    ASSERT_NE(t->threadId(), children->threadId());
    HANDLE childrenHandle = nullptr;
    ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), children->handle(), ::GetCurrentProcess(), &childrenHandle,
                                  SYNCHRONIZE, FALSE, 0));
    fx::UniqueHandle childrenEnded(childrenHandle);

    std::vector<HWND> windows;
    for (WindowElement* e : elements->windowed) {
        SCOPED_TRACE(e->ClassName());
        auto* child = dynamic_cast<panels::CChildWin*>(static_cast<ContentElement*>(e)->LinkedWindow());
        ASSERT_NE(nullptr, child);
        HWND w = child->hwnd();
        ASSERT_TRUE(::IsWindow(w));
        EXPECT_EQ(children->threadId(), ::GetWindowThreadProcessId(w, nullptr));
        RECT rc{}, panel{};
        ::GetWindowRect(w, &rc);
        ::GetWindowRect(t->PanelWindow(), &panel);
        EXPECT_EQ(panel.left + e->windowRect.left, rc.left);
        EXPECT_EQ(panel.top + e->windowRect.top, rc.top);
        windows.push_back(w);
    }
    EXPECT_FALSE(windows.empty());
    // The content web view is a child window of the main content's window.
    auto* content = dynamic_cast<panels::CChildWin*>(elements->mainContent->LinkedWindow());
    ASSERT_NE(nullptr, content);
    ASSERT_NE(nullptr, content->View());
    EXPECT_EQ(content->hwnd(), ::GetParent(content->View()->hwnd()));

    ::PostMessageW(t->PanelWindow(), panel_msg::kCloseNow, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return host_.list.GetCount() == 0 && !t->IsRunning(); }, 10000));
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(childrenEnded.get(), 0));
    for (HWND w : windows) EXPECT_FALSE(::IsWindow(w));
    // The panel let go of the ended thread: nothing reaches it any more.
    EXPECT_EQ(nullptr, t->Children());
    EXPECT_EQ(nullptr, t->ChildHandlerWindow());
}

// 11207 hides the child windows with the panel; 11208 shows both again.
TEST_F(PanelTemplate, HideAndShowTakeTheChildWindowsAlong) {
    HoverThread* t = Start(L"Classic", loopback::Url(L"/files/templates/?template=ecp&skin=Classic"));
    ASSERT_TRUE(Running());
    const ElementPanel* elements = t->Elements();
    ASSERT_NE(nullptr, elements);
    // The child windows shown with the panel (the content's among them).
    std::vector<HWND> windows;
    ASSERT_NE(nullptr, elements->mainContent);
    auto* content = dynamic_cast<panels::CChildWin*>(elements->mainContent->LinkedWindow());
    ASSERT_NE(nullptr, content);
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(content->hwnd()) != FALSE; }, 10000));
    for (WindowElement* e : elements->windowed)
        if (auto* child = dynamic_cast<panels::CChildWin*>(static_cast<ContentElement*>(e)->LinkedWindow()))
            if (::IsWindowVisible(child->hwnd())) windows.push_back(child->hwnd());
    auto allVisible = [&](bool visible) {
        for (HWND w : windows)
            if ((::IsWindowVisible(w) != FALSE) != visible) return false;
        return true;
    };
    HWND w = t->PanelWindow();
    ::PostMessageW(w, panel_msg::kHide, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindowVisible(w) && allVisible(false); }, 10000));
    ::PostMessageW(w, panel_msg::kShow, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(w) && allVisible(true); }, 10000));
}

// The launcher's 11213 puts the keyboard focus into the search box, except
// in a menu panel (flag 0x10).
TEST_F(PanelTemplate, ReadyPutsTheFocusIntoTheSearchBoxButNotInAMenuPanel) {
    for (uint32_t flags : {0x01u, 0x11u}) {
        SCOPED_TRACE(flags);
        flags_ = flags;
        HoverThread* t = Start(L"Classic", loopback::Url(L"/files/templates/?template=ecp&skin=Classic"), true);
        ASSERT_TRUE(Running());
        ASSERT_NE(nullptr, t->Elements());
        ASSERT_NE(nullptr, t->Elements()->searchElement);
        panels::ChildrenThread* children = t->Children();
        ASSERT_NE(nullptr, children);
        HWND edit = nullptr;
        {
            fx::ScopedLock hold(t->m_PanelLock);
            if (children->m_pSearchView) edit = children->m_pSearchView->EditWindow();
        }
        ASSERT_TRUE(edit);
        auto focus = [&] {
            HWND focused = nullptr;
            testsupport::RunOn(*children, [&] { focused = ::GetFocus(); });
            return focused;
        };
        ASSERT_NE(edit, focus()) << "the box has the focus before the launch is over";
        HWND w = t->PanelWindow();
        ::SendMessageW(w, panel_msg::kReady, 0, 0);
        if (flags & 0x10) {
            // Any focus request is queued before this look at the focus.
            EXPECT_NE(edit, focus());
        } else {
            EXPECT_TRUE(WaitFor([&] { return focus() == edit; }, 10000));
        }
        ::PostMessageW(w, panel_msg::kCloseNow, 0, 0);
        ASSERT_TRUE(WaitFor([&] { return host_.list.GetCount() == 0 && !t->IsRunning(); }, 10000));
        thread_ = nullptr;
        host_.created = false;
    }
}

}  // namespace
}  // namespace panel_template_test
