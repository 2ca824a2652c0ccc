// A real panel flying into the dock and back under Wine, with a recording
// dock bar: its content's picture as the dock item, and the banner when no
// snapshot comes in time.
#include "app/panels/thread/tests/PanelTemplateFixture.h"

namespace panel_template_test {
namespace {

// The dock flight: the content's picture becomes the panel's dock item, the
// window flies for the key frames' 467 ms and hides, back at its own place
// and size; 11208 brings it back out of the dock to where it was; a panel
// that closes leaves the dock.  The bar hears of each: shown and drawn for
// the docking, told when the panel takes its item out itself.
TEST_F(PanelTemplate, DockFlightIntoAndOutOfTheDock) {
    RecordingDock& bar = UseRecordingDock();
    HoverThread* t = Start(L"Classic", loopback::Url(L"/files/templates/?template=ecp&skin=Classic"));
    ASSERT_TRUE(Running());
    HWND w = t->PanelWindow();
    RECT before{};
    ::GetWindowRect(w, &before);
    t->m_Dockable = true;  // the demo's template has no dock control
    const DWORD start = ::GetTickCount();
    ::PostMessageW(w, panel_msg::kDockAnimate, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindowVisible(w); }, 10000));
    EXPECT_GE(::GetTickCount() - start, 400u);
    auto items = [&] {
        fx::ScopedLock hold(g_DockLock);
        size_t n = 0;
        for (const auto& item : dockitems::Items()) n += item->livePanel == t->Window() ? 1 : 0;
        return n;
    };
    EXPECT_TRUE(t->Window()->IsInDock());
    EXPECT_EQ(1u, items());
    ASSERT_TRUE(testsupport::RunOn(*t, [] {}, 10000));  // the flight has returned
    {
        // The hidden window, its rectangle and its buffer are the panel's
        // again, not the flight's.
        const panels::MegaWin& window = *t->Window();
        RECT now{};
        ::GetWindowRect(w, &now);
        EXPECT_TRUE(::EqualRect(&before, &now));
        EXPECT_TRUE(::EqualRect(&before, &window.m_PanelRect));
        ASSERT_NE(nullptr, window.m_pBackBuffer);
        EXPECT_EQ(before.right - before.left, window.m_pBackBuffer->width());
        EXPECT_EQ(before.bottom - before.top, window.m_pBackBuffer->height());
    }
    EXPECT_EQ((std::vector<unsigned>{dock_msg::kShowOrHide, dock_msg::kRender}), bar.Posted());
    EXPECT_TRUE(SnapshotFiles(theApp.m_TempDir).empty());
    {
        // The item's picture is the content view's snapshot: the view's
        // client area inside the content's place (its frame a few pixels).
        const LayoutRect content = t->Elements()->mainContent->windowRect;
        fx::ScopedLock hold(g_DockLock);
        for (const auto& item : dockitems::Items()) {
            if (item->livePanel != t->Window()) continue;
            ASSERT_NE(nullptr, item->image);
            EXPECT_NEAR(content.right - content.left, static_cast<int>(item->image->GetWidth()), 8);
            EXPECT_NEAR(content.bottom - content.top, static_cast<int>(item->image->GetHeight()), 8);
        }
    }
    // A second request while docked adds nothing.
    ::PostMessageW(w, panel_msg::kDockAnimate, 0, 0);
    DWORD_PTR answer = 0;
    ASSERT_TRUE(::SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer));
    EXPECT_EQ(1u, items());

    // Shown again: the docked panel flies out instead.
    ::PostMessageW(w, panel_msg::kShow, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(w) && !t->Window()->m_DockAnimation; }, 10000));
    ASSERT_TRUE(::SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer));
    RECT after{};
    ::GetWindowRect(w, &after);
    EXPECT_EQ(before.left, after.left);
    EXPECT_EQ(before.top, after.top);
    EXPECT_EQ(before.right, after.right);
    EXPECT_EQ(before.bottom, after.bottom);
    EXPECT_FALSE(t->Window()->IsInDock());
    EXPECT_EQ(0u, items());
    EXPECT_EQ(dock_msg::kItemGone, bar.Posted().back());

    // Docked again and closed: the item goes with the panel.
    ::PostMessageW(w, panel_msg::kDockAnimate, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindowVisible(w); }, 10000));
    ASSERT_TRUE(::SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer));
    EXPECT_EQ(1u, items());
    ::PostMessageW(w, panel_msg::kCloseNow, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return host_.list.GetCount() == 0 && !t->IsRunning(); }, 10000));
    const std::vector<unsigned> posted = bar.Posted();
    EXPECT_EQ(dock_msg::kItemGone, posted.back());
    EXPECT_EQ(2, std::count(posted.begin(), posted.end(), dock_msg::kItemGone));
    EXPECT_TRUE(SnapshotFiles(theApp.m_TempDir).empty());
    fx::ScopedLock hold(g_DockLock);
    for (const auto& item : dockitems::Items()) EXPECT_NE(nullptr, item->livePanel);
    EXPECT_TRUE(dockitems::Items().empty());
}

// A snapshot that does not come in time (the children thread busy past the
// bound): the panel docks with its record's banner, and the picture the
// children thread writes later does not stay in the temp directory.  With
// no banner and no product icon either the panel has nothing to dock with:
// it stays shown, outside the dock.
TEST_F(PanelTemplate, WithoutASnapshotInTimeThePanelDocksWithItsBannerOrStays) {
    struct Case {
        const char* name;
        bool banner;
    } cases[] = {{"banner", true}, {"no picture at all", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring install = coretest::ScratchDir();
        RemoveDirectoryTree(install, false);  // left by an earlier run
        if (c.banner) {
            ::CreateDirectoryW((install + L"Images").c_str(), nullptr);
            ::CreateDirectoryW((install + L"Images\\EcpBanners").c_str(), nullptr);
            Gdiplus::Bitmap banner(40, 20, PixelFormat32bppARGB);
            for (int y = 0; y < 20; ++y)
                for (int x = 0; x < 40; ++x) banner.SetPixel(x, y, Gdiplus::Color(0xFFFF00FF));
            ASSERT_TRUE(testsupport::SavePng(banner, install + L"Images\\EcpBanners\\DEMO-1.png"));
        }
        theApp.m_InstallDir = install;
        theApp.PublishSnapshot();
        HoverThread* t = Start(L"Classic", loopback::Url(L"/files/templates/?template=ecp&skin=Classic"));
        ASSERT_TRUE(Running());
        HWND w = t->PanelWindow();
        t->m_Dockable = true;
        t->m_SnapshotWaitMs = 300;
        fx::UniqueHandle release(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        HANDLE r = release.get();
        ASSERT_NE(nullptr, t->Children());
        ASSERT_TRUE(t->Children()->PostTask([r] { ::WaitForSingleObject(r, 10000); }));
        ::PostMessageW(w, panel_msg::kDockAnimate, 0, 0);
        ASSERT_TRUE(testsupport::RunOn(*t, [] {}, 10000));  // the docking has run to its end
        {
            fx::ScopedLock hold(g_DockLock);
            const DockItem* item = nullptr;
            for (const auto& i : dockitems::Items())
                if (i->livePanel == t->Window()) item = i.get();
            if (c.banner) {
                ASSERT_NE(nullptr, item);
                ASSERT_NE(nullptr, item->image);
                Gdiplus::Color colour;
                item->image->GetPixel(10, 10, &colour);
                EXPECT_EQ(0xFFFF00FFu, static_cast<uint32_t>(colour.GetValue()));
            } else {
                EXPECT_EQ(nullptr, item);
            }
        }
        EXPECT_EQ(c.banner, t->Window()->IsInDock());
        EXPECT_EQ(!c.banner, ::IsWindowVisible(w) != FALSE);
        // The children thread answers late: its picture goes.
        ::SetEvent(r);
        ASSERT_TRUE(testsupport::RunOn(*t->Children(), [] {}, 10000));
        EXPECT_TRUE(SnapshotFiles(theApp.m_TempDir).empty());
        // Docked, it comes back out; else it goes on as it was.
        ::PostMessageW(w, panel_msg::kShow, 0, 0);
        ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(w) && !t->Window()->m_DockAnimation; }, 10000));
        EXPECT_FALSE(t->Window()->IsInDock());
        ASSERT_TRUE(Close());
    }
}

}  // namespace
}  // namespace panel_template_test
