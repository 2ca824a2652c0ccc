// A real menu panel's tail under Wine: the tail chosen to point at the
// anchor, its fades, its hiding for good, and a fade that never waits on the
// children thread.
#include "app/panels/thread/tests/PanelTemplateFixture.h"

namespace panel_template_test {
namespace {

// A menu panel (flag 0x10) points at its anchor with one of the template's
// tails: beside the anchor with the left-lower tail; gone left of an anchor
// near the right edge with the right-lower one; moved down from an anchor
// near the top with an upper one.  The chosen tail has its bitmap window on
// the children thread, where the launcher was told the panel is; the other
// tails are dropped.
TEST_F(PanelTemplate, MenuPanelPointsAtItsAnchorWithATail) {
    const RECT work = WorkArea();
    struct Case {
        const char* name;
        RECT anchor;
        int corner;
    } cases[] = {
        {"beside", {work.left + 100, work.top + 300, work.left + 140, work.top + 320}, panels::kTailLeftLower},
        {"right edge", {work.right - 60, work.top + 300, work.right - 20, work.top + 320}, panels::kTailRightLower},
        {"top", {work.left + 100, work.top + 20, work.left + 140, work.top + 40}, panels::kTailLeftUpper},
    };
    flags_ = 0x12;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        anchor_ = c.anchor;
        HoverThread* t = Start(L"Classic", loopback::Url(L"/files/templates/?template=ecp&skin=Classic"));
        ASSERT_TRUE(Running());
        ElementPanel* elements = t->Elements();
        ASSERT_NE(nullptr, elements);
        TailElement* tail = t->Tail();
        ASSERT_NE(nullptr, tail);
        for (int corner = 0; corner < 4; ++corner)
            EXPECT_EQ(corner == c.corner ? tail : nullptr, elements->tails[static_cast<size_t>(corner)].get());
        EXPECT_TRUE(t->Window()->m_HasTail);
        EXPECT_TRUE(std::find(elements->windowed.begin(), elements->windowed.end(), tail) != elements->windowed.end());
        ASSERT_NE(nullptr, t->Children());
        EXPECT_EQ(tail, t->Children()->m_pTail);

        // Its window: the tail's class, on the children thread, at the tail's
        // place beside the panel.
        panels::CChildWin* window = TailWindow(t);
        ASSERT_NE(nullptr, window);
        HWND w = window->hwnd();
        ASSERT_TRUE(::IsWindow(w));
        EXPECT_EQ(L"TailWin777", ClassOf(w));
        EXPECT_EQ(t->Children()->threadId(), ::GetWindowThreadProcessId(w, nullptr));
        RECT panel{}, rc{};
        ::GetWindowRect(t->PanelWindow(), &panel);
        ::GetWindowRect(w, &rc);
        EXPECT_EQ(panel.left + tail->windowRect.left, rc.left);
        EXPECT_EQ(panel.top + tail->windowRect.top, rc.top);
        EXPECT_EQ(28, rc.bottom - rc.top);
        const bool left = c.corner == panels::kTailLeftLower || c.corner == panels::kTailLeftUpper;
        if (left) {
            // Out of the panel's left edge, right of the anchor.
            EXPECT_LT(rc.left, panel.left);
            EXPECT_GT(rc.right, panel.left);
            EXPECT_GE(rc.left, c.anchor.right);
        } else {
            // Out of the panel's right edge, the panel left of the anchor.
            EXPECT_GT(rc.right, panel.right);
            EXPECT_LT(rc.left, panel.right);
            EXPECT_LT(panel.right, c.anchor.left + 16);
        }
        // Within the panel's height, at the anchor's height.
        EXPECT_GE(rc.top, panel.top);
        EXPECT_LE(rc.bottom, panel.bottom);
        EXPECT_GE(rc.bottom, c.anchor.top - 28);
        EXPECT_LE(rc.top, c.anchor.bottom);

        // The launcher was told of the panel with its tail.
        RECT both{};
        ::UnionRect(&both, &panel, &rc);
        const RECT created = host_.CreatedRect();
        EXPECT_TRUE(::EqualRect(&both, &created)) << created.left << "," << created.top << " " << created.right << ","
                                                  << created.bottom << " panel " << panel.left << "," << panel.top;
        ASSERT_TRUE(Close());
        EXPECT_FALSE(::IsWindow(w));
    }
}

// The tail fades in, hides and shows with the panel; 11209 hides it for good (a later show of
// the panel leaves it hidden) and tells the controller, as does the end of
// the panel.  Without flag 0x10 the panel has no tail.
TEST_F(PanelTemplate, TailFadesInAndHidesForGood) {
    const RECT work = WorkArea();
    flags_ = 0x12;
    anchor_ = RECT{work.left + 100, work.top + 300, work.left + 140, work.top + 320};
    HoverThread* t = Start(L"Classic", loopback::Url(L"/files/templates/?template=ecp&skin=Classic"));
    ASSERT_TRUE(Running());
    panels::CChildWin* window = TailWindow(t);
    ASSERT_NE(nullptr, window);
    HWND w = window->hwnd();
    EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(w) != FALSE; }, 10000));
    EXPECT_EQ(0, OpaqueTailPixels(t));  // drawn transparent until the fade
    ASSERT_TRUE(FadedIn(20, 10));
    EXPECT_TRUE(WaitFor([&] { return OpaqueTailPixels(t) > 20; }, 10000)) << OpaqueTailPixels(t);

    // Hidden and shown with the panel.
    ::PostMessageW(t->PanelWindow(), panel_msg::kHide, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindowVisible(t->PanelWindow()) && !::IsWindowVisible(w); }, 10000));
    ::PostMessageW(t->PanelWindow(), panel_msg::kShow, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(t->PanelWindow()) && ::IsWindowVisible(w); }, 10000));

    EXPECT_EQ(0u, host_.Count(controller_msg::kMenuPanelGone));
    ::PostMessageW(t->PanelWindow(), panel_msg::kHideTail, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindowVisible(w); }, 10000));
    EXPECT_TRUE(WaitFor([&] { return host_.Count(controller_msg::kMenuPanelGone) == 1; }, 10000));
    EXPECT_TRUE(t->Tail()->noShow);
    // The panel hidden and shown again (its windowed elements with it).
    ::PostMessageW(t->PanelWindow(), panel_msg::kHide, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindowVisible(t->PanelWindow()); }, 10000));
    ::PostMessageW(t->PanelWindow(), panel_msg::kShow, 0, 0);
    ASSERT_TRUE(Running());
    EXPECT_FALSE(::IsWindowVisible(w));
    // The panel with a tail ends: the controller hears of it once more.
    ASSERT_TRUE(Close());
    EXPECT_TRUE(WaitFor([&] { return host_.Count(controller_msg::kMenuPanelGone) == 2; }, 10000));

    flags_ = 0x02;
    t = Start(L"Classic", loopback::Url(L"/files/templates/?template=ecp&skin=Classic"));
    ASSERT_TRUE(Running());
    EXPECT_EQ(nullptr, t->Tail());
    EXPECT_FALSE(t->Window()->m_HasTail);
    for (const auto& tail : t->Elements()->tails) EXPECT_EQ(nullptr, tail.get());
    ASSERT_NE(nullptr, t->Children());
    EXPECT_EQ(nullptr, t->Children()->m_pTail);
    for (WindowElement* e : t->Elements()->windowed) EXPECT_EQ(nullptr, dynamic_cast<TailElement*>(e));
}

// A fade never waits on the children thread: run while that thread waits on
// the panel lock (as it does when a page focuses an input and it hides the
// tail), the fade ends and its last round's tail picture is pushed; the
// children thread then hides the tail.
TEST_F(PanelTemplate, AFadeEndsWhileTheChildrenThreadWaitsOnThePanelLock) {
    const RECT work = WorkArea();
    flags_ = 0x12;
    anchor_ = RECT{work.left + 100, work.top + 300, work.left + 140, work.top + 320};
    HoverThread* t = Start(L"Classic", loopback::Url(L"/files/templates/?template=ecp&skin=Classic"));
    ASSERT_TRUE(Running());
    panels::CChildWin* tail = TailWindow(t);
    ASSERT_NE(nullptr, tail);
    ASSERT_EQ(0, OpaqueTailPixels(t));
    auto faded = std::make_shared<std::atomic<bool>>(false);
    // On the panel thread: the panel lock held (re-entrant for the fade's
    // own rounds), the children thread set to wait on it, then the fade.
    ASSERT_TRUE(t->PostTask([t, faded] {
        fx::ScopedLock hold(t->m_PanelLock);
        fx::UniqueHandle waiting(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        panels::ChildrenThread* children = t->Children();
        HANDLE event = waiting.get();
        if (!children || !children->PostTask([children, event] {
                ::SetEvent(event);
                children->OnHideTail();  // waits on the panel lock
            }))
            return;
        // From the event on the children thread answers nothing until it
        // has the lock.
        if (::WaitForSingleObject(event, 5000) != WAIT_OBJECT_0) return;
        t->Window()->FadeIn();
        *faded = true;
    }));
    EXPECT_TRUE(WaitFor([&] { return faded->load(); }, 10000)) << "the fade waits on the children thread";
    EXPECT_TRUE(WaitFor([&] { return OpaqueTailPixels(t) > 20; }, 10000)) << OpaqueTailPixels(t);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindowVisible(tail->hwnd()); }, 10000));
    EXPECT_TRUE(t->Tail()->noShow);
}

}  // namespace
}  // namespace panel_template_test
