// The dock under Wine: the dock thread's windows, the bar's back buffer, the
// clicks on live and imported items, the dock menu, the settings' dock items
// and the contents file.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <thread>
#include <memory>
#include <string>
#include <vector>

#include "GdiplusTestEnv.h"
#include "app/core/common/AppMessages.h"
#include "app/core/common/GlobalLocks.h"
#include "app/tests/support/RecordingController.h"
#include "app/core/net/HttpRoutines.h"
#include "app/tests/support/AppFixture.h"
#include "app/tests/support/CoreTestFiles.h"
#include "app/panels/dock/DockBar.h"
#include "app/panels/dock/DockContextMenu.h"
#include "app/panels/dock/DockThread.h"
#include "app/panels/dockitems/DockItems.h"
#include "app/selection/controller/ControllerSteps.h"
#include "fx/Archive.h"
#include "tests/support/CpuTime.h"
#include "tests/support/PngFile.h"
#include "tests/support/TestSupport.h"
#include "tests/httpserver/LoopbackServer.h"

namespace {

class DockWindowsEnv : public ::testing::Environment {
public:
    void SetUp() override {
        RegisterPondrelWindowClasses(::GetModuleHandleW(nullptr));
        theApp.m_Graphics.Load(L"C:\\no-such-install\\");
    }
    void TearDown() override { theApp.m_Graphics.Free(); }
};
::testing::Environment* const kDockEnv = ::testing::AddGlobalTestEnvironment(new DockWindowsEnv);

// Colours of the test background: left cap red, the middle columns green,
// the right cap blue; item pictures yellow.
constexpr uint32_t kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kYellow = 0xFFFFFF00;

using testsupport::SavePng;

void WriteSolidPng(const std::wstring& path, int w, int h, uint32_t argb) {
    Gdiplus::Bitmap b(w, h, PixelFormat32bppARGB);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b.SetPixel(x, y, Gdiplus::Color(argb));
    ASSERT_TRUE(SavePng(b, path));
}

void WriteBackground(const std::wstring& path) {
    Gdiplus::Bitmap b(105, 86, PixelFormat32bppARGB);
    for (int y = 0; y < 86; ++y)
        for (int x = 0; x < 105; ++x) b.SetPixel(x, y, Gdiplus::Color(x < 32 ? kRed : x >= 73 ? kBlue : kGreen));
    ASSERT_TRUE(SavePng(b, path));
}

// A panel as the dock sees it: a message window of its own that records
// what the dock asked; it takes its item out when it goes.
class FakePanel : public DockedPanel {
public:
    FakePanel() {
        window_ = ::CreateWindowExW(0, L"STATIC", L"panel", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    }
    ~FakePanel() {
        {
            fx::ScopedLock hold(g_DockLock);
            dockitems::RemovePanelItem(this);
        }
        ::DestroyWindow(window_);
    }
    HWND DockedPanelWindow() const override { return window_; }
    void TakeUndockPlace(const RECT& cell, int index) override {
        undockCell = cell;
        undockIndex = index;
    }
    void ClearDockItem() override { ++cleared; }
    bool Received(UINT msg) {
        MSG m;
        return ::PeekMessageW(&m, window_, msg, msg, PM_REMOVE) != FALSE;
    }
    RECT undockCell{};
    int undockIndex = -1;
    int cleared = 0;

private:
    HWND window_ = nullptr;
};

// A message window standing in for the controller.
class ControllerWindow {
public:
    ControllerWindow() {
        hwnd = ::CreateWindowExW(0, L"STATIC", L"controller", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    }
    ~ControllerWindow() { ::DestroyWindow(hwnd); }
    bool Received(UINT msg) {
        MSG m;
        return ::PeekMessageW(&m, hwnd, msg, msg, PM_REMOVE) != FALSE;
    }
    HWND hwnd = nullptr;
};

// Waits (bounded) until the window is in front, pumping this thread's messages.
bool WaitForFront(HWND w) {
    return testsupport::WaitFor([&] { return ::GetForegroundWindow() == w; }, 5000);
}

// A bar made on the test's thread in a scratch install directory with the
// test background and a yellow item picture.
class DockBarTest : public testing::Test {
protected:
    void SetUp() override {
        dir_ = coretest::ScratchDir();
        ::CreateDirectoryW((dir_ + L"Images").c_str(), nullptr);
        WriteBackground(dir_ + L"Images\\DockBack.png");
        picture_ = dir_ + L"yellow.png";
        WriteSolidPng(picture_, 30, 30, kYellow);
        theApp.m_DockImportState.Lock()->m_DockImports.clear();
        bar_ = std::make_unique<DockBar>();
        ASSERT_TRUE(bar_->CreateBar(dir_, controller_.hwnd));
        bar_->m_WorkArea = RECT{0, 0, 1024, 700};
        bar_->m_ButtonDown = [](int) { return false; };
    }
    void TearDown() override {
        bar_.reset();
        theApp.m_DockImportState.Lock()->m_DockImports.clear();
    }
    DockItem* Add(DockedPanel* live, int position = -1) {
        fx::ScopedLock hold(g_DockLock);
        return dockitems::AddItem(picture_, L"", live, false, position, dir_);
    }
    size_t Count() {
        fx::ScopedLock hold(g_DockLock);
        return dockitems::Items().size();
    }
    // Draws a frame of a fully shown bar.
    void RenderShown() {
        bar_->m_Slide.slideY = 0;
        bar_->m_Slide.offsetX = dock::kBaseX;
        bar_->m_Slide.offsetY = dock::kBaseY;
        bar_->Render(0, false);
    }
    uint32_t Pixel(int x, int y) { return bar_->m_pBackBuffer->Pixel(x, y); }
    // The centre of item i's cell in client coordinates.
    POINT CellCentre(size_t i) {
        fx::ScopedLock hold(g_DockLock);
        const RECT r = dockitems::Items()[i]->rect;
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }

    std::wstring dir_, picture_;
    ControllerWindow controller_;
    std::unique_ptr<DockBar> bar_;
};

TEST_F(DockBarTest, BackBufferHoldsTheBackgroundSlicesAndTheItemPictures) {
    Add(nullptr);
    Add(nullptr);
    RenderShown();
    // 68 + 60 + 6 + 60 wide, 186 high, centred at the top of the work area.
    EXPECT_EQ(bar_->m_Width, 194);
    EXPECT_EQ(bar_->m_Height, 186);
    EXPECT_EQ(bar_->m_WindowRect.left, (1024 - 194) / 2);
    EXPECT_EQ(bar_->m_WindowRect.top, 0);
    // The strip is drawn 10 pixels up: rows 0..75.
    EXPECT_EQ(Pixel(5, 40), kRed);       // left cap
    EXPECT_EQ(Pixel(100, 2), kGreen);     // a middle piece above the items
    EXPECT_EQ(Pixel(194 - 5, 40), kBlue); // right cap
    EXPECT_EQ(Pixel(5, 80), 0u);                  // below the strip: transparent
    // Items: cells at x 34 and 100, y 14, drawn 10 up, the 30-pixel picture
    // fitted into 60 x 60.
    EXPECT_EQ(Pixel(64, 34), kYellow);
    EXPECT_EQ(Pixel(130, 34), kYellow);
    EXPECT_EQ(Pixel(97, 34), kGreen);  // the gap shows the strip
}

TEST_F(DockBarTest, ASlidOutBarAndTheShowingFrameAreTransparent) {
    Add(nullptr);
    bar_->m_Slide.slideY = dock::kHiddenSlide;
    bar_->m_Slide.offsetY = dock::kBaseY + dock::kHiddenSlide;
    bar_->Render(0, false);
    for (int y = 0; y < bar_->m_Height; y += 7) EXPECT_EQ(Pixel(64, y) >> 24, 0u) << y;
    bar_->Render(0, true);
    EXPECT_EQ(Pixel(5, 40), 0u);
}

TEST_F(DockBarTest, MagnifiedItemDrawsItsLargeCopy) {
    Add(nullptr);
    Add(nullptr);
    {
        fx::ScopedLock hold(g_DockLock);
        dockitems::Items()[0]->scale.scaleX = dockitems::Items()[0]->scale.scaleY = 2.0f;
    }
    RenderShown();
    // Cell 4..124 x 14..134, drawn 10 up; 120 x 120 of yellow.
    EXPECT_EQ(Pixel(10, 10), kYellow);
    EXPECT_EQ(Pixel(120, 120), kYellow);
}

// The pointer over an item shows the application's shared hand cursor, off
// the items its shared arrow (stand-ins here, neither the system's cursor of
// that name), as published in the snapshot: the dock thread never reads the
// application's members (changed here after publishing, to the wait cursor).
TEST_F(DockBarTest, ThePointerTakesTheApplicationsHandOverAnItemAndItsArrowElsewhere) {
    Add(nullptr);
    RenderShown();
    SharedGraphics& g = theApp.m_Graphics;
    const HCURSOR arrow = g.arrowCursor, hand = g.handCursor;
    g.arrowCursor = ::LoadCursorW(nullptr, IDC_CROSS);
    g.handCursor = ::LoadCursorW(nullptr, IDC_IBEAM);
    theApp.PublishSnapshot();
    const POINT item = CellCentre(0);
    const struct {
        const char* where;
        POINT at;
        HCURSOR cursor;
    } cases[] = {
        {"over the item", item, g.handCursor},
        {"beside it", POINT{item.x + 120, item.y}, g.arrowCursor},
    };
    g.arrowCursor = g.handCursor = ::LoadCursorW(nullptr, IDC_WAIT);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.where);
        POINT screen = c.at;
        ::ClientToScreen(bar_->hwnd(), &screen);
        {
            fx::ScopedLock hold(g_DockLock);
            bar_->MagnifyAt(c.at, screen);
        }
        EXPECT_EQ(c.cursor, ::GetCursor());
    }
    g.arrowCursor = arrow;
    g.handCursor = hand;
    theApp.PublishSnapshot();
}

TEST_F(DockBarTest, ClickOnALiveItemUndocksItsPanelAndTheBarStaysWhileItemsAreLeft) {
    FakePanel first, second;
    Add(&first);
    Add(&second);
    RenderShown();
    ::ShowWindow(bar_->hwnd(), SW_SHOWNOACTIVATE);
    const POINT at = CellCentre(0);
    const RECT window = bar_->m_WindowRect;
    bar_->OnLButtonUp(at.x, at.y);
    EXPECT_TRUE(first.Received(panel_msg::kUndockAnimate));
    EXPECT_EQ(first.undockIndex, 0);
    EXPECT_EQ(first.undockCell.left, window.left + 34);
    EXPECT_EQ(first.undockCell.top, window.top + 14);
    EXPECT_EQ(first.cleared, 1);
    EXPECT_EQ(Count(), 1u);
    // One live item is left: the bar stays, or its panel could not come back.
    EXPECT_TRUE(::IsWindowVisible(bar_->hwnd()));
    const POINT next = CellCentre(0);
    bar_->OnLButtonUp(next.x, next.y);
    EXPECT_TRUE(second.Received(panel_msg::kUndockAnimate));
    EXPECT_EQ(Count(), 0u);
    EXPECT_FALSE(::IsWindowVisible(bar_->hwnd()));  // the last item gone: hidden
}

TEST_F(DockBarTest, APanelThatClosedLeavesNoItemToClick) {
    RECT cell{};
    {
        FakePanel panel;
        Add(&panel);
        RenderShown();
        fx::ScopedLock hold(g_DockLock);
        cell = dockitems::Items()[0]->rect;
    }  // the panel took its item out as it went
    EXPECT_EQ(Count(), 0u);
    bar_->OnLButtonUp((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
    EXPECT_FALSE(bar_->m_Pressed);
}

// A panel that takes its own item out (it came back by itself, or closed)
// tells the bar (11110): the bar draws itself without the item, and hides
// once none is left, as after a click.
TEST_F(DockBarTest, APanelTakingItsItemOutLeavesABarWithoutItHiddenWhenEmpty) {
    auto first = std::make_unique<FakePanel>(), second = std::make_unique<FakePanel>();
    Add(first.get());
    Add(second.get());
    RenderShown();
    ::ShowWindow(bar_->hwnd(), SW_SHOWNOACTIVATE);
    RenderShown();
    ASSERT_EQ(bar_->m_Width, 194);
    first.reset();  // takes its item out
    ::SendMessageW(bar_->hwnd(), dock_msg::kItemGone, 0, 0);
    EXPECT_EQ(bar_->m_Width, 128);  // one cell left
    EXPECT_TRUE(::IsWindowVisible(bar_->hwnd()));
    second.reset();
    ::SendMessageW(bar_->hwnd(), dock_msg::kItemGone, 0, 0);
    EXPECT_EQ(bar_->m_Width, 68);
    EXPECT_FALSE(::IsWindowVisible(bar_->hwnd()));
}

// 11118 shows or hides the bar by 11117's one rule: the settings decide,
// whatever items the rebuild leaves.
TEST_F(DockBarTest, RebuildShowsOrHidesTheBarAsTheSettingsSay) {
    struct Case {
        const char* name;
        bool wanted;     // show_dock_bar
        bool records;    // a qualifying settings item
        bool shownFirst;
    } cases[] = {
        {"wanted, empty, shown", true, false, true},
        {"wanted, empty, hidden", true, false, false},
        {"wanted, items, hidden", true, true, false},
        {"not wanted, items, shown", false, true, true},
    };
    const bool setting = theApp.m_ShowDockBar;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        theApp.m_ShowDockBar = c.wanted;
        theApp.PublishSnapshot();
        theApp.m_DockImportState.Lock()->m_DockImports.clear();
        if (c.records)
            theApp.m_DockImportState.Lock()->m_DockImports = {
                DockItemImportNode{L"One", L"ID-ONE", picture_, L"", true, false}};
        for (UINT msg : {dock_msg::kShowOrHide, dock_msg::kRebuildItems}) {
            ::ShowWindow(bar_->hwnd(), c.shownFirst ? SW_SHOWNOACTIVATE : SW_HIDE);
            ::SendMessageW(bar_->hwnd(), msg, 0, 0);
            EXPECT_EQ(c.wanted, ::IsWindowVisible(bar_->hwnd()) != FALSE) << msg;
        }
    }
    theApp.m_ShowDockBar = setting;
    theApp.PublishSnapshot();
}

TEST_F(DockBarTest, ClickOnAnImportedItemAsksTheControllerFor11145) {
    theApp.m_DockImportState.Lock()->m_DockImports = {
        DockItemImportNode{L"One", L"ID-ONE", picture_, L"http://one/", true, false},
        DockItemImportNode{L"Two", L"ID-TWO", picture_, L"http://two/", true, true},
        DockItemImportNode{L"Off", L"ID-OFF", picture_, L"", false, true},          // control off
        DockItemImportNode{L"Gone", L"ID-GONE", dir_ + L"none.png", L"", true, true},  // no picture
    };
    FakePanel live;
    Add(&live);
    bar_->OnRebuildItems();
    {
        fx::ScopedLock hold(g_DockLock);
        auto& items = dockitems::Items();
        ASSERT_EQ(items.size(), 3u);  // both qualifying records at the head, in reverse
        EXPECT_EQ(items[0]->ecpId, L"ID-TWO");
        EXPECT_EQ(items[1]->ecpId, L"ID-ONE");
        EXPECT_EQ(items[2]->livePanel, &live);
        EXPECT_TRUE(items[0]->imported);
    }
    RenderShown();
    const POINT at = CellCentre(1);
    bar_->OnLButtonUp(at.x, at.y);
    EXPECT_TRUE(controller_.Received(controller_msg::kDockEcp));
    {
        auto imports = theApp.m_DockImportState.Lock();
        EXPECT_EQ(imports->m_DockRequest.ecpId, L"ID-ONE");
        EXPECT_EQ(imports->m_DockRequest.url, L"http://one/");
    }
    EXPECT_EQ(Count(), 3u);  // imported items stay
    // A rebuild without records leaves the live item alone.
    theApp.m_DockImportState.Lock()->m_DockImports.clear();
    bar_->OnRebuildItems();
    EXPECT_EQ(Count(), 1u);
}

TEST_F(DockBarTest, DockMenuTogglesAutoHide) {
    DockContextMenu* menu = bar_->ContextMenu();
    ASSERT_NE(menu, nullptr);
    ASSERT_NE(menu->hwnd(), nullptr);
    wchar_t cls[32] = {}, title[32] = {};
    ::GetClassNameW(menu->hwnd(), cls, 32);
    ::GetWindowTextW(menu->hwnd(), title, 32);
    EXPECT_STREQ(cls, L"PondMenu");
    EXPECT_STREQ(title, L"dcontext");
    ASSERT_EQ(menu->m_Items.GetCount(), 1u);
    ASSERT_NE(menu->m_pAutoHideItem, nullptr);
    EXPECT_EQ(menu->m_pAutoHideItem->m_Text, L"Auto Hide");
    EXPECT_TRUE(bar_->AutoHide());
    // The right click's message shows the menu at its point.
    ::SendMessageW(bar_->hwnd(), WM_CONTEXTMENU, 0, MAKELPARAM(200, 50));
    EXPECT_TRUE(menu->IsVisible());
    menu->OnItemChosen(menu->m_pAutoHideItem);
    EXPECT_FALSE(menu->IsVisible());
    EXPECT_FALSE(bar_->AutoHide());
    menu->OnItemChosen(menu->m_pAutoHideItem);
    EXPECT_TRUE(bar_->AutoHide());
    menu->OnItemChosen(nullptr);
    EXPECT_TRUE(bar_->AutoHide());
}

// The menu never takes the front: the ticks keep it open while the window
// in front stays the one that was there when it opened, and close it when
// another window comes to the front.
TEST_F(DockBarTest, DockMenuStaysOpenUntilAnotherWindowComesToTheFront) {
    auto frontWindow = [](int x) {
        return ::CreateWindowExW(0, L"STATIC", L"front", WS_POPUP | WS_VISIBLE, x, 600, 60, 40, nullptr, nullptr,
                                 nullptr, nullptr);
    };
    HWND first = frontWindow(700), second = frontWindow(800);
    ::SetForegroundWindow(first);
    ASSERT_TRUE(WaitForFront(first));
    DockContextMenu* menu = bar_->ContextMenu();
    ::SendMessageW(bar_->hwnd(), WM_CONTEXTMENU, 0, MAKELPARAM(200, 50));
    ASSERT_TRUE(menu->IsVisible());
    DWORD now = ::GetTickCount();
    for (int i = 0; i < 4; ++i) bar_->Step(now += 25, POINT{210, 60});
    EXPECT_TRUE(menu->IsVisible());
    ::SetForegroundWindow(second);
    ASSERT_TRUE(WaitForFront(second));
    bar_->Step(now += 25, POINT{210, 60});
    EXPECT_FALSE(menu->IsVisible());
    ::DestroyWindow(first);
    ::DestroyWindow(second);
}

TEST_F(DockBarTest, TicksSlideTheBarInFromTheTopAndOutAgain) {
    Add(nullptr);
    ::ShowWindow(bar_->hwnd(), SW_SHOWNOACTIVATE);  // starts hidden above the edge
    EXPECT_EQ(bar_->m_Slide.slideY, dock::kHiddenSlide);
    const RECT w = bar_->m_WindowRect;
    const POINT top{(w.left + w.right) / 2, w.top + 2};
    DWORD now = ::GetTickCount();
    for (int i = 0; i < 30; ++i) bar_->Step(now += 25, top);
    EXPECT_EQ(bar_->m_Slide.slideY, 0.0f);
    EXPECT_EQ(Pixel(5, 40), kRed);  // drawn in place
    const POINT away{w.left + 5, w.bottom + 300};
    bar_->Step(now += 10, away);  // within 25 ms: no step
    EXPECT_EQ(bar_->m_Slide.slideY, 0.0f);
    for (int i = 0; i < 30; ++i) bar_->Step(now += 25, away);
    EXPECT_EQ(bar_->m_Slide.slideY, dock::kHiddenSlide);
}

// The bar at rest above the edge: a tick whose frame equals the last one
// pushed draws and pushes nothing; a tick with a changed input (the slide,
// the alpha, a live item's refresh) pushes its frame.
TEST_F(DockBarTest, ATickPushesAFrameOnlyWhenWhatItShowsChanged) {
    FakePanel panel;
    DockItem* live = Add(&panel);
    live->refreshInterval = 1000000;
    ::ShowWindow(bar_->hwnd(), SW_SHOWNOACTIVATE);  // starts hidden above the edge
    const RECT w = bar_->m_WindowRect;
    const POINT away{w.left + 5, w.bottom + 300};
    DWORD now = ::GetTickCount();
    bar_->Step(now += 25, away);
    const struct {
        const char* what;
        std::function<void()> change;
        bool pushes;
    } cases[] = {
        {"nothing", [] {}, false},
        {"the alpha", [&] { bar_->m_Alpha = 128.0; }, true},
        {"nothing after the alpha", [] {}, false},
        {"a live item's refresh", [&] { live->lastRefresh = now - 2000000; }, true},
        {"nothing after the refresh", [] {}, false},
    };
    for (const auto& c : cases) {
        c.change();
        const unsigned before = bar_->m_Pushes;
        for (int i = 0; i < 10; ++i) bar_->Step(now += 25, away);
        EXPECT_EQ(bar_->m_Pushes - before, c.pushes ? 1u : 0u) << c.what;
    }
    EXPECT_EQ(bar_->m_Slide.slideY, dock::kHiddenSlide);
    // The pointer at the top brings the bar in: each step of the slide is a
    // new frame, drawn in place at the end.
    const unsigned before = bar_->m_Pushes;
    const POINT top{(w.left + w.right) / 2, w.top + 2};
    for (int i = 0; i < 30; ++i) bar_->Step(now += 25, top);
    EXPECT_EQ(bar_->m_Slide.slideY, 0.0f);
    EXPECT_GT(bar_->m_Pushes - before, 3u);
    EXPECT_EQ(Pixel(5, 40), kRed);
}

// A drag between two monitors side by side (the display's list replaced:
// this X server shows one monitor): the press on empty bar space starts the
// drag with the drag window over the bar; the bar moved onto the second
// monitor moves the drag window to that monitor's top edge; the release
// leaves the bar centred on the second monitor's work area, at its top.
bool g_LeftDown = false;
std::vector<dock::MonitorArea> TwoMonitors() {
    return {{{0, 0, 640, 1024}, {0, 0, 640, 1000}}, {{640, 0, 1280, 1024}, {640, 30, 1280, 1024}}};
}

RECT RectOf(HWND w) {
    RECT r{};
    ::GetWindowRect(w, &r);
    return r;
}

void PumpPosted(HWND w) {
    MSG m;
    while (::PeekMessageW(&m, w, 0, 0, PM_REMOVE)) ::DispatchMessageW(&m);
}

TEST_F(DockBarTest, ADragAcrossMonitorsEndsOnTheTopEdgeOfTheMonitorItWasDroppedOn) {
    Add(nullptr);
    Add(nullptr);
    bar_->m_Monitors = &TwoMonitors;
    bar_->m_ButtonDown = [](int vk) { return vk == VK_LBUTTON && g_LeftDown; };
    bar_->m_WorkArea = RECT{0, 0, 640, 1000};
    bar_->m_Slide.autoHide = false;
    ::ShowWindow(bar_->hwnd(), SW_SHOWNOACTIVATE);
    RenderShown();
    const RECT start = RectOf(bar_->hwnd());
    EXPECT_EQ(start.left, (640 - 194) / 2);
    EXPECT_EQ(start.top, 0);
    HWND anchor = bar_->Anchor().hwnd();
    ASSERT_NE(anchor, nullptr);

    // The press on the left cap, away from the items: the drag starts and the
    // drag window shows the bar's picture over the bar.
    g_LeftDown = true;
    const POINT press{start.left + 10, start.top + 40};
    LRESULT hit = ::SendMessageW(bar_->hwnd(), WM_NCHITTEST, 0, MAKELPARAM(press.x, press.y));
    EXPECT_EQ(hit, HTCAPTION);
    ASSERT_TRUE(bar_->m_Dragging);
    EXPECT_TRUE(::IsWindowVisible(anchor));
    EXPECT_TRUE(::EqualRect(&start, &bar_->m_SavedRect));
    const RECT over = RectOf(anchor);
    EXPECT_EQ(over.left, start.left);
    EXPECT_EQ(over.top, start.top);
    // While the button stays down the drag goes on.
    EXPECT_EQ(::SendMessageW(bar_->hwnd(), WM_NCHITTEST, 0, MAKELPARAM(press.x, press.y)), HTCAPTION);

    // The system moves the bar with the pointer, most of it onto the second
    // monitor; the next tick takes that monitor's work area.
    ::SetWindowPos(bar_->hwnd(), nullptr, 600, 400, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    DWORD now = ::GetTickCount();
    bar_->Step(now += 25, POINT{610, 440});
    EXPECT_EQ(bar_->m_WorkArea.left, 640);
    EXPECT_EQ(bar_->m_WorkArea.top, 30);
    const RECT moved = RectOf(anchor);
    EXPECT_EQ(moved.left, 640 + (640 - 194) / 2);
    EXPECT_EQ(moved.top, 30);
    EXPECT_TRUE(::IsWindowVisible(anchor));
    // Another tick over the same monitor changes nothing.
    bar_->Step(now += 25, POINT{612, 440});
    const RECT still = RectOf(anchor);
    EXPECT_TRUE(::EqualRect(&moved, &still));

    // The release: the hit test ends the drag with a left-button-up, the bar
    // is drawn centred at the top of the second monitor's work area, the
    // drag window hides.
    g_LeftDown = false;
    hit = ::SendMessageW(bar_->hwnd(), WM_NCHITTEST, 0, MAKELPARAM(610, 440));
    EXPECT_EQ(hit, HTCLIENT);
    PumpPosted(bar_->hwnd());
    EXPECT_FALSE(bar_->m_Dragging);
    EXPECT_FALSE(::IsWindowVisible(anchor));
    const RECT dropped = RectOf(bar_->hwnd());
    EXPECT_EQ(dropped.left, 640 + (640 - 194) / 2);
    EXPECT_EQ(dropped.top, 30);
    EXPECT_EQ(dropped.right - dropped.left, 194);
    EXPECT_EQ(dropped.bottom - dropped.top, 186);

    // Dragged back: the first monitor again.
    g_LeftDown = true;
    EXPECT_EQ(::SendMessageW(bar_->hwnd(), WM_NCHITTEST, 0, MAKELPARAM(dropped.left + 10, dropped.top + 40)),
              HTCAPTION);
    ::SetWindowPos(bar_->hwnd(), nullptr, 20, 500, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    bar_->Step(now += 25, POINT{30, 540});
    g_LeftDown = false;
    ::SendMessageW(bar_->hwnd(), WM_NCHITTEST, 0, MAKELPARAM(30, 540));
    PumpPosted(bar_->hwnd());
    const RECT back = RectOf(bar_->hwnd());
    EXPECT_EQ(back.left, (640 - 194) / 2);
    EXPECT_EQ(back.top, 0);
}

// ---- the dock thread ----

struct FoundWindows {
    DWORD thread = 0;
    std::vector<std::wstring> classTitles;
};

BOOL CALLBACK CollectThreadWindow(HWND hwnd, LPARAM lp) {
    auto* found = reinterpret_cast<FoundWindows*>(lp);
    wchar_t cls[64] = {}, title[64] = {};
    ::GetClassNameW(hwnd, cls, 64);
    ::GetWindowTextW(hwnd, title, 64);
    found->classTitles.push_back(std::wstring(cls) + L"|" + title);
    return TRUE;
}

bool HasWindow(const FoundWindows& f, const std::wstring& classTitle) {
    for (const auto& s : f.classTitles)
        if (s == classTitle) return true;
    return false;
}

bool HasTitle(const FoundWindows& f, const std::wstring& title) {
    for (const auto& s : f.classTitles)
        if (s.size() >= title.size() && s.compare(s.size() - title.size(), title.size(), title) == 0) return true;
    return false;
}

using testsupport::WaitFor;

TEST(DockThread, MakesTheHoverWinFrameAndTheDragWinAnchorOnItsThread) {
    std::unique_ptr<DockOps> dock = MakeDock(nullptr);
    ASSERT_NE(dock, nullptr);
    ASSERT_TRUE(WaitFor([&] { return dock->Window() != nullptr; }, 10000));
    HWND bar = dock->Window();
    const DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(bar, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(::GetWindowLongPtrW(bar, GWL_EXSTYLE));
    EXPECT_EQ(exStyle & 0x80088u, 0x80088u);
    EXPECT_EQ(style & WS_CAPTION, 0u);
    FoundWindows found;
    found.thread = ::GetWindowThreadProcessId(bar, nullptr);
    EXPECT_EQ(found.thread, dock->Thread().threadId());
    ::EnumThreadWindows(found.thread, CollectThreadWindow, reinterpret_cast<LPARAM>(&found));
    EXPECT_TRUE(HasWindow(found, L"HoverWin|PondRel"));
    EXPECT_TRUE(HasWindow(found, L"PondMenu|dcontext"));
    EXPECT_TRUE(HasTitle(found, L"|DragWin"));
    // Thread messages: 11117 shows the bar (the settings want it), 11111 draws.
    ASSERT_TRUE(dock->Thread().PostThreadMessage(dock_msg::kShowOrHide));
    EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(bar) != FALSE; }, 10000));
    ASSERT_TRUE(dock->Thread().PostThreadMessage(dock_msg::kRender));
    EXPECT_TRUE(dock->Thread().Quit(5000));
    EXPECT_FALSE(::IsWindow(bar));
}

// The pointer of the tracking test, moved by the test's own thread: the bar
// reads it instead of the display's, which other programs on the display
// may move.
std::atomic<LONG> g_PointerX{-10000}, g_PointerY{-10000};
POINT TestPointer() { return POINT{g_PointerX.load(), g_PointerY.load()}; }
// The dock thread publishes the bar's window to the application, which hands
// it to any thread without its dock object (none here): another thread's
// 11117 shows the bar.  At the thread's end the window is withdrawn.
TEST(DockThread, PublishesTheBarsWindowToTheApplication) {
    ASSERT_FALSE(theApp.m_pDock);
    std::unique_ptr<DockOps> dock = MakeDock(nullptr);
    ASSERT_NE(dock, nullptr);
    ASSERT_TRUE(WaitFor([&] { return dock->Window() != nullptr; }, 10000));
    HWND bar = dock->Window();
    EXPECT_EQ(theApp.DockWindow(), bar);
    fx::UiThread panel;  // plays a panel thread
    ASSERT_TRUE(panel.Start(fx::Apartment::None, false));
    ASSERT_TRUE(testsupport::RunOn(panel, [] { theApp.PostToDockWindow(dock_msg::kShowOrHide); }));
    EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(bar) != FALSE; }, 10000));
    EXPECT_TRUE(panel.Quit(5000));
    EXPECT_TRUE(dock->Thread().Quit(5000));
    EXPECT_EQ(theApp.DockWindow(), nullptr);
}

// The mouse resting on the bar: the tracking loop pauses between rounds and
// handles the bar's messages meanwhile.
TEST(DockThread, MouseTrackingWaitsBetweenRoundsAndHandlesTheBarsMessages) {
    const std::wstring dir = coretest::ScratchDir();
    const std::wstring picture = dir + L"yellow.png";
    WriteSolidPng(picture, 30, 30, kYellow);
    theApp.m_DockImportState.Lock()->m_DockImports = {DockItemImportNode{L"One", L"ID-ONE", picture, L"", true, false}};
    std::unique_ptr<DockOps> dock = MakeDock(nullptr);
    ASSERT_NE(dock, nullptr);
    ASSERT_TRUE(WaitFor([&] { return dock->Window() != nullptr; }, 10000));
    HWND bar = dock->Window();
    DockBar& shown = static_cast<DockThreadOps&>(*dock).Dock().m_Bar;
    ASSERT_TRUE(testsupport::RunOn(dock->Thread(), [&] {
        shown.m_CursorPos = &TestPointer;
        shown.m_ButtonDown = [](int) { return false; };
    }));
    ::PostMessageW(bar, dock_msg::kShowOrHide, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(bar) != FALSE; }, 10000));
    RECT w{};
    ::GetWindowRect(bar, &w);
    {
        fx::ScopedLock hold(g_DockLock);
        dockitems::HoverState().cursorX = -1;
    }
    g_PointerX = w.left + 10;
    g_PointerY = w.top + 30;
    ::PostMessageW(bar, WM_MOUSEMOVE, 0, MAKELPARAM(10, 30));
    // The tracking loop is running: its magnification has seen the pointer.
    ASSERT_TRUE(WaitFor(
        [&] {
            fx::ScopedLock hold(g_DockLock);
            return dockitems::HoverState().cursorX == w.left + 10;
        },
        5000));
    const double cpu0 = testsupport::ThreadCpuSeconds(dock->Thread().handle());
    ::PostMessageW(bar, dock_msg::kRebuildItems, 0, 0);
    const bool rebuilt = WaitFor(
        [&] {
            fx::ScopedLock hold(g_DockLock);
            return dockitems::Items().size() == 1;
        },
        5000);
    // A deliberate measuring window, not a wait for something: the loop's
    // CPU time is taken over these 800 ms while the pointer rests.
    ::Sleep(800);
    const double cpu = testsupport::ThreadCpuSeconds(dock->Thread().handle()) - cpu0;
    g_PointerX = w.right + 200;  // let the loop end
    g_PointerY = w.bottom + 200;
    EXPECT_TRUE(dock->Thread().Quit(5000));
    theApp.m_DockImportState.Lock()->m_DockImports.clear();
    EXPECT_TRUE(rebuilt) << "11118 waited for the pointer to leave";
    EXPECT_LT(cpu, 0.3) << "the tracking loop spins";
}

// ---- the settings' dock items, the dock request and the contents file ----

class DockAppTest : public coretest::AppFixture {
protected:
    void SetUp() override {
        coretest::AppFixture::SetUp();
        auto controller = std::make_unique<RecordingController>();
        controller_ = controller.get();
        doc_->CreateController(std::move(controller));
    }
    RecordingController* controller_ = nullptr;
};

TEST_F(DockAppTest, ImportReadsTheItemsAndFetchesTheirIconsUnderTheInstallDirectory) {
    loopback::Clear();
    const std::wstring base = loopback::Url(L"/files/");
    UseDocument(R"(<?xml version="1.0"?><init><dock><areas>
      <item><text>One</text><ecp>ID-ONE</ecp><icon>dock1.png</icon><context>http://one/</context><control>TRUE</control><docked>true</docked></item>
      <item><text>Two</text><ecp>ID-TWO</ecp><icon>../../escape.png</icon><context></context><control>false</control><docked>nope</docked></item>
      <item><text>Three</text><ecp>ID-3</ecp><icon>x.png:stream</icon><context></context><control>true</control><docked></docked></item>
    </areas></dock></init>)");
    ImportDockItems(*theApp.m_pSettings, base, dir_);
    auto imports = theApp.m_DockImportState.Lock();
    ASSERT_EQ(imports->m_DockImports.size(), 3u);
    const DockItemImportNode& one = imports->m_DockImports[0];
    EXPECT_EQ(one.text, L"One");
    EXPECT_EQ(one.ecpId, L"ID-ONE");
    EXPECT_EQ(one.iconPath, dir_ + L"Images\\dock1.png");
    EXPECT_EQ(one.context, L"http://one/");
    EXPECT_TRUE(one.control);
    EXPECT_TRUE(one.docked);
    const DockItemImportNode& two = imports->m_DockImports[1];
    EXPECT_EQ(two.iconPath, dir_ + L"Images\\escape.png");  // the last segment only
    EXPECT_FALSE(two.control);
    EXPECT_FALSE(two.docked);
    EXPECT_EQ(imports->m_DockImports[2].iconPath, L"");  // refused
    // The first icon's request went to the images URL.
    bool asked = false;
    for (const auto& r : loopback::Requests())
        if (r.target.find("/files/dock1.png") != std::string::npos) asked = true;
    EXPECT_TRUE(asked);
}

// Each item's icon is a download: a document of a hundred items gives the
// first kMaxImportedItems.
TEST_F(DockAppTest, ImportReadsNoMoreThanItsBoundOfItems) {
    loopback::Clear();
    std::string items;
    for (int i = 0; i < 100; ++i)
        items += "<item><text>T</text><ecp>ID-" + std::to_string(i) + "</ecp><icon>i" + std::to_string(i) +
                 ".png</icon><control>true</control></item>";
    UseDocument("<?xml version=\"1.0\"?><init><dock><areas>" + items + "</areas></dock></init>");
    ImportDockItems(*theApp.m_pSettings, loopback::Url(L"/status/404/"), dir_);
    {
        auto imports = theApp.m_DockImportState.Lock();
        ASSERT_EQ(imports->m_DockImports.size(), static_cast<size_t>(dock::kMaxImportedItems));
        EXPECT_EQ(imports->m_DockImports.back().ecpId, L"ID-31");
    }
    EXPECT_EQ(loopback::Requests().size(), static_cast<size_t>(dock::kMaxImportedItems));
}

TEST_F(DockAppTest, ImportHoldsNoLockWhileItDownloads) {
    UseDocument(R"(<?xml version="1.0"?><init><dock><areas>
      <item><text>Slow</text><ecp>ID</ecp><icon>slow.png</icon><context></context><control>true</control><docked></docked></item>
    </areas></dock></init>)");
    std::atomic<bool> done{false};
    loopback::Clear();
    std::thread importer([&] {
        ImportDockItems(*theApp.m_pSettings, loopback::Url(L"/slow/1500/status/404/"), dir_);
        done = true;
    });
    // The download is under way once the server has its request.
    const bool asked = WaitFor([] { return !loopback::Requests().empty(); }, 5000);
    // Another thread (the dock) takes the imports lock meanwhile: at once,
    // not after the download.
    const DWORD start = ::GetTickCount();
    {
        auto imports = theApp.m_DockImportState.Lock();
    }
    const DWORD waited = ::GetTickCount() - start;
    const bool downloading = !done;
    importer.join();
    ASSERT_TRUE(asked) << "the download never started";
    ASSERT_TRUE(downloading) << "the download ended too early to tell";
    EXPECT_LT(waited, 700u);
    EXPECT_TRUE(done);
}

TEST_F(DockAppTest, DockRequestLaunchesItsRecordWithDockEcpFlags) {
    UseDocument(coretest::SampleSettings());
    theApp.LoadSettingsValues(View());
    const std::wstring id = L"0E3A4C51-8D2B-4F6A-B1C7-2D9E5F8A3B14";
    ASSERT_NE(View().FindEcp(id), nullptr);
    theApp.m_DockImportState.Lock()->m_DockRequest = DockRequest{id, L"http://dock/context"};
    DockEcp();
    ASSERT_EQ(controller_->launchRecord, View().FindEcp(id));
    EXPECT_EQ(controller_->launchTitle, L"Dock ECP");
    EXPECT_EQ(controller_->launchFlags, 1u);
    EXPECT_EQ(controller_->launchRecord->m_QueryText, L"http://dock/context");
    EXPECT_EQ(controller_->launchRecord->m_CurrentUrl, L"http://dock/context");
    // An identifier no record has opens nothing.
    controller_->launchRecord = nullptr;
    theApp.m_DockImportState.Lock()->m_DockRequest = DockRequest{L"NO-SUCH-ID", L""};
    DockEcp();
    EXPECT_EQ(controller_->launchRecord, nullptr);
}

TEST_F(DockAppTest, ContentsFileHoldsAllDoneAndLoadingChangesNothing) {
    theApp.m_pDock = MakeDock(nullptr);
    ASSERT_NE(theApp.m_pDock, nullptr);
    const std::wstring path = dir_ + L"layout.pqd";
    ASSERT_TRUE(theApp.WriteContentsFile(path));
    const std::string bytes = coretest::ReadFile(path);
    const std::vector<uint8_t> want = dock::ArchiveStringBytes(u"AllDone");
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.end()), want);
    size_t before = 0;
    {
        fx::ScopedLock hold(g_DockLock);
        before = dockitems::Items().size();
    }
    EXPECT_TRUE(theApp.LoadContentsFile(path));
    {
        fx::ScopedLock hold(g_DockLock);
        EXPECT_EQ(dockitems::Items().size(), before);
    }
    // A file that cannot be made or opened: nothing written, false.
    EXPECT_FALSE(theApp.WriteContentsFile(dir_ + L"no-such-dir\\x.pqd"));
    EXPECT_FALSE(theApp.LoadContentsFile(dir_ + L"missing.pqd"));
    // The commands through their dialog: a cancel leaves the install
    // directory current; a chosen file is written.
    static std::wstring chosen;
    chosen = dir_ + L"chosen.pqd";
    theApp.m_AskContentsPath = [](bool save, std::wstring* p) {
        if (!save) return false;
        *p = chosen;
        return true;
    };
    ::SetCurrentDirectoryW(L"C:\\");
    theApp.OnSaveContents();
    EXPECT_EQ(coretest::ReadFile(chosen).size(), want.size());
    wchar_t current[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, current);
    EXPECT_EQ(std::wstring(current) + L"\\", dir_);
    ::SetCurrentDirectoryW(L"C:\\");
    theApp.OnLoadEcpList();  // cancelled
    ::GetCurrentDirectoryW(MAX_PATH, current);
    EXPECT_EQ(std::wstring(current) + L"\\", dir_);
    theApp.m_AskContentsPath = nullptr;
    theApp.m_pDock->Thread().Quit(5000);
    theApp.m_pDock.reset();
}

}  // namespace
