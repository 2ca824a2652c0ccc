// The controller window under Wine: its window, timer and pop-up windows, the
// heartbeat over in-process enhancers, and the message table.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/selection/controller/tests/ControllerWindow.h"
#include "app/selection/controller/tests/FakeAction.h"
#include "app/core/common/GlobalLocks.h"
#include "app/core/main/BestGuessThread.h"
#include "app/core/main/PondrelApp.h"
#include "app/core/main/PondrelDoc.h"
#include "app/core/config/Settings.h"
#include "app/core/config/UserSetting.h"
#include "app/selection/controller/BrowserTreeView.h"
#include "app/selection/controller/ControllerMessages.h"
#include "tests/support/GdiplusTestEnv.h"
#include "tests/support/PngFile.h"
#include "tests/support/TestSupport.h"

namespace {

using testsupport::WaitFor;

class RecordingView : public BrowserTreeView {
public:
    struct Launch {
        RECT anchor;
        UserSetting* record;
        std::wstring text;
        DWORD flags;
    };
    std::vector<Launch> launches;
    std::vector<std::wstring> urls;
    std::vector<bool> guessAnswers;  // onSearchMenu of each 11140 taken

    HWND LaunchEcp(const RECT& anchor, UserSetting* record, const std::wstring& text, const std::wstring&,
                   DWORD flags) override {
        launches.push_back({anchor, record, text, flags});
        return nullptr;
    }
    void OpenUrlInBrowser(const std::wstring& url) override { urls.push_back(url); }

protected:
    void TakeBestGuessAnswer(bool onSearchMenu) override { guessAnswers.push_back(onSearchMenu); }
};

class Controller : public testing::Test {
protected:
    void SetUp() override {
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        RegisterPondrelWindowClasses(::GetModuleHandleW(nullptr));
        theApp.m_Starting = true;  // the window's own timer ticks do nothing
        theApp.m_SettingsLoaded = true;
        theApp.m_EnhancersOff = false;
        doc_ = std::make_unique<CPondrelDoc>();
        doc_->CreateProvidersPane();
        theApp.m_pDoc = doc_.get();
        view_ = std::make_unique<RecordingView>();
        ASSERT_TRUE(MakeControllerWindow(parent_, *view_));
    }
    void TearDown() override {
        view_.reset();
        if (parent_) ::DestroyWindow(parent_);
        doc_.reset();
        theApp.m_EnhancerCount = 0;
        ::CoUninitialize();
    }
    fake::FakeAction& AddEnhancer(const wchar_t* tag) {
        fakes_.push_back(std::make_unique<fake::FakeAction>(&calls_, tag));
        fakes_.back()->AddRef();
        auto node = std::make_unique<WatcherNode>(nullptr, fakes_.back().get(), true);
        node->m_Name = tag;
        nodes_.push_back(node.get());
        view_->m_Enhancers.push_back(std::move(node));
        theApp.m_EnhancerCount = static_cast<int>(view_->m_Enhancers.size());
        return *fakes_.back();
    }
    // A panel record of the settings view.
    UserSetting* AddEcp(const wchar_t* id) {
        auto record = std::make_unique<UserSetting>();
        record->m_Id = id;
        std::wstring defaultEcp = L"x";
        return doc_->GetSettingsView()->AddRecord(std::move(record), L"", defaultEcp);
    }
    int Count(const std::wstring& call) const { return static_cast<int>(std::count(calls_.begin(), calls_.end(), call)); }
    // The heartbeat's timer stopped; one enhancer whose last poll found a
    // selection, the program online with the context menu shown.
    void EnhancerWithASelection() {
        ASSERT_TRUE(::KillTimer(view_->hwnd(), 780));
        fake::FakeAction& a = AddEnhancer(L"A:");
        a.bits = 0x01;
        a.selections.push_back(fake::Piece{{1, 2, 3, 4}, L"sel"});
        nodes_[0]->m_LastBits = 0x01;
        theApp.m_Online = true;
        theApp.m_ShowContextMenu = true;
    }
    // The collection from the last poll's bits came before the new poll, and
    // the new poll collected again: two collections, one selection.
    void ExpectCollectionBeforeThePoll() {
        auto begin = std::find(calls_.begin(), calls_.end(), L"A:TextHotSpotTransferBegin");
        auto update = std::find(calls_.begin(), calls_.end(), L"A:Update");
        EXPECT_LT(begin - calls_.begin(), update - calls_.begin());
        EXPECT_EQ(Count(L"A:TextHotSpotTransferBegin"), 2);
        EXPECT_EQ(view_->m_Observer.m_Selections.GetCount(), 1u);
    }

    using FakeAction = fake::FakeAction;
    std::vector<std::wstring> calls_;
    std::vector<std::unique_ptr<FakeAction>> fakes_;  // outlive the view's nodes
    std::vector<WatcherNode*> nodes_;
    std::unique_ptr<CPondrelDoc> doc_;
    HWND parent_ = nullptr;
    std::unique_ptr<RecordingView> view_;
};

TEST_F(Controller, WindowClassStylesAndHeartbeatTimer) {
    wchar_t cls[64] = {};
    ::GetClassNameW(view_->hwnd(), cls, 64);
    EXPECT_STREQ(cls, L"SysTreeView32");
    LONG_PTR style = ::GetWindowLongPtrW(view_->hwnd(), GWL_STYLE);
    const LONG_PTR wanted = WS_CHILD | WS_VISIBLE | WS_BORDER | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT;
    EXPECT_EQ(style & wanted, wanted);
    EXPECT_EQ(::GetParent(view_->hwnd()), parent_);
    EXPECT_EQ(::GetDlgCtrlID(view_->hwnd()), 0xE900);
    // Timer 780 exists: killing it succeeds once.
    EXPECT_TRUE(::KillTimer(view_->hwnd(), 780));
    EXPECT_FALSE(::KillTimer(view_->hwnd(), 780));
}

TEST_F(Controller, OnlyTheHeartbeatTimerTicks) {
    ASSERT_TRUE(::KillTimer(view_->hwnd(), 780));  // no tick of its own in between
    AddEnhancer(L"A:");
    theApp.m_Starting = false;
    theApp.m_Online = true;
    for (UINT_PTR other : {UINT_PTR{779}, UINT_PTR{781}, UINT_PTR{0xBEEF}}) {
        ::SendMessageW(view_->hwnd(), WM_TIMER, other, 0);
    }
    EXPECT_EQ(Count(L"A:Update"), 0);
    ::SendMessageW(view_->hwnd(), WM_TIMER, 780, 0);
    EXPECT_EQ(Count(L"A:Update"), 1);
}

TEST_F(Controller, TheFivePopupWindowsByClassAndName) {
    for (const wchar_t* name : {L"HoverHotspot", L"TxMenu", L"SearchMenu", L"AppMenu", L"TrayMenu"}) {
        HWND w = testsupport::OwnWindow(L"PondMenu", name);
        ASSERT_TRUE(w) << testing::PrintToString(std::wstring(name));
        EXPECT_EQ(::GetWindowLongPtrW(w, GWL_EXSTYLE) & 0x08080088, 0x08080088);
        EXPECT_EQ(::GetParent(w), nullptr);
        EXPECT_FALSE(::IsWindowVisible(w));
    }
}

// A settings load asks for the tray menu's rebuild; showing the menu then
// replaces its items instead of adding a second set.
TEST_F(Controller, TrayMenuShownAfterARebuildRequestHasItsItemsOnce) {
    TxMenuWin& tray = *view_->m_pTrayMenu;
    auto ids = [&] {
        std::vector<std::wstring> out;
        for (size_t i = 0; i < tray.m_Items.GetCount(); ++i) out.push_back(tray.m_Items.GetAt(i)->m_Id);
        return out;
    };
    theApp.m_Disabled = false;
    view_->ShowTrayMenu(POINT{300, 300});
    EXPECT_EQ(ids(), (std::vector<std::wstring>{L"235DA57D-4BE6-4ABA-A46E-78012268DD93", L"disable", L"exit"}));
    tray.HideMenu();
    view_->ShowTrayMenu(POINT{300, 300});  // nothing pending: the same items
    tray.HideMenu();
    theApp.m_Disabled = true;
    view_->RequestTrayMenuRebuild();
    view_->ShowTrayMenu(POINT{300, 300});
    theApp.m_Disabled = false;
    EXPECT_TRUE(tray.IsVisible());
    EXPECT_EQ(ids(), (std::vector<std::wstring>{L"235DA57D-4BE6-4ABA-A46E-78012268DD93", L"enable", L"exit"}));
    tray.HideMenu();
}

TEST_F(Controller, OneUpdatePerActiveEnhancerPerTick) {
    fake::FakeAction& a = AddEnhancer(L"A:");
    AddEnhancer(L"B:");
    AddEnhancer(L"C:");
    nodes_[2]->m_Active = false;
    a.bits = 0x01;
    a.selections.push_back(fake::Piece{{1, 2, 3, 4}, L"sel"});
    theApp.m_Starting = false;
    theApp.m_Online = true;
    theApp.m_ShowContextMenu = true;
    view_->Tick();
    EXPECT_EQ(Count(L"A:Update"), 1);
    EXPECT_EQ(Count(L"B:Update"), 1);
    EXPECT_EQ(Count(L"C:Update"), 0);
    EXPECT_EQ(view_->m_Observer.m_Selections.GetCount(), 1u);
    EXPECT_TRUE(view_->m_NewSelection);

    // Offline, or enhancers switched off: nobody is polled and the lists empty.
    calls_.clear();
    theApp.m_Online = false;
    view_->Tick();
    theApp.m_Online = true;
    theApp.m_EnhancersOff = true;
    view_->Tick();
    theApp.m_EnhancersOff = false;
    EXPECT_EQ(Count(L"A:Update") + Count(L"B:Update"), 0);
    EXPECT_TRUE(view_->m_Observer.m_Selections.IsEmpty());

    // A page change alone clears what an earlier tick collected.
    view_->Tick();
    EXPECT_EQ(view_->m_Observer.m_Selections.GetCount(), 1u);
    a.bits = 0x04;
    view_->m_pCurrentLink = view_->m_Observer.m_Selections.GetHead();
    view_->Tick();
    EXPECT_TRUE(view_->m_Observer.m_Selections.IsEmpty());
    EXPECT_EQ(view_->m_pCurrentLink, nullptr);
    theApp.m_Starting = true;
}

TEST_F(Controller, PanelUsageMessageAddsCountAndTime) {
    UserSetting* r = AddEcp(L"ECP-1");
    ASSERT_TRUE(PostPanelUsage(view_->hwnd(), L"ECP-1", 1500));
    ASSERT_TRUE(PostPanelUsage(view_->hwnd(), L"no such panel", 99));
    ASSERT_TRUE(PostPanelUsage(view_->hwnd(), L"ECP-1", 500));
    EXPECT_TRUE(WaitFor([&] { return r->m_OpenCount == 2; }, 5000));
    EXPECT_EQ(r->m_OpenTime, 2000);
}

// The controller window can be found from other processes: an 11143 whose
// lParam is not a block PostPanelUsage handed out (or one already taken) is
// ignored, never freed or read.
TEST_F(Controller, PanelUsageMessageTakesOnlyBlocksItHandedOut) {
    UserSetting* r = AddEcp(L"ECP-1");
    auto foreign = std::make_unique<std::wstring>(L"ECP-1");  // a string the test made itself
    const LPARAM strangers[] = {reinterpret_cast<LPARAM>(foreign.get()), 0, 0x1234};
    for (LPARAM lp : strangers) ASSERT_TRUE(::PostMessageW(view_->hwnd(), controller_msg::kPanelUsage, 700, lp));
    ASSERT_TRUE(PostPanelUsage(view_->hwnd(), L"ECP-1", 1500));
    ASSERT_TRUE(WaitFor([&] { return r->m_OpenCount != 0; }, 5000));
    EXPECT_EQ(r->m_OpenCount, 1);
    EXPECT_EQ(r->m_OpenTime, 1500);
    EXPECT_EQ(*foreign, L"ECP-1");  // still the test's, untouched

    // A block is taken once; a failed post forgets (and frees) its block.
    std::wstring id;
    ASSERT_TRUE(PostPanelUsage(parent_, L"ECP-2", 5));  // a window that ignores 11143
    MSG msg;
    ASSERT_TRUE(::PeekMessageW(&msg, parent_, controller_msg::kPanelUsage, controller_msg::kPanelUsage, PM_REMOVE));
    EXPECT_TRUE(TakePanelUsageId(msg.lParam, &id));
    EXPECT_EQ(id, L"ECP-2");
    EXPECT_FALSE(TakePanelUsageId(msg.lParam, &id));
    EXPECT_FALSE(PostPanelUsage(reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x7FFF0)), L"ECP-3", 5));
}

// The menu panel's mask written as PNG data under the panel's "mask.jpg":
// the pointer is over the panel only where the mask is opaque, and never
// outside the panel's rectangle.
TEST_F(Controller, MenuPanelHitTestFollowsTheMasksAlpha) {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring dir = std::wstring(temp) + L"pondrel-mask-" + std::to_wstring(::GetCurrentProcessId()) + L"\\";
    ::CreateDirectoryW(dir.c_str(), nullptr);
    {
        // 40 x 30: the left half opaque, the right half transparent.
        Gdiplus::Bitmap mask(40, 30, PixelFormat32bppARGB);
        {
            Gdiplus::Graphics g(&mask);
            g.Clear(Gdiplus::Color(0, 0, 0, 0));
            Gdiplus::SolidBrush opaque(Gdiplus::Color(255, 10, 20, 30));
            g.FillRectangle(&opaque, 0, 0, 20, 30);
        }
        ASSERT_TRUE(testsupport::SavePng(mask, dir + L"mask.jpg"));
    }
    const std::wstring savedTemp = theApp.m_TempDir;
    theApp.m_TempDir = dir;
    view_->LoadMenuPanelMask();
    theApp.m_TempDir = savedTemp;
    ASSERT_TRUE(view_->m_pMenuPanelMask);

    HWND panel = ::CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 300, 200, 40, 30, nullptr, nullptr,
                                   nullptr, nullptr);
    ASSERT_TRUE(panel);
    int thread = 0;
    view_->m_pMenuPanel = &thread;
    view_->m_hMenuPanel = panel;
    view_->m_Launch.Lock()->m_MenuPanelRect = RECT{300, 200, 340, 230};
    const struct {
        POINT pt;
        bool over;
    } cases[] = {
        {{300, 200}, true},    // the opaque half's corner
        {{319, 229}, true},
        {{320, 200}, false},   // the transparent half
        {{339, 229}, false},
        {{299, 210}, false},   // outside the rectangle
        {{340, 210}, false},
        {{310, 230}, false},
        {{310, 199}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(view_->HitTestMenuEcp(c.pt), c.over) << c.pt.x << "," << c.pt.y;

    // Without a mask, or without a panel, nothing is over it.
    view_->m_pMenuPanelMask.reset();
    EXPECT_FALSE(view_->HitTestMenuEcp(POINT{305, 210}));
    view_->m_pMenuPanel = nullptr;
    view_->m_hMenuPanel = nullptr;
    ::DestroyWindow(panel);
    ::DeleteFileW((dir + L"mask.jpg").c_str());
    ::RemoveDirectoryW(dir.c_str());
}

TEST_F(Controller, MenuPanelGoneForgetsTheMenuPanel) {
    int panel = 0;
    view_->m_pMenuPanel = &panel;
    view_->m_pMenuPanelMask.reset(new Gdiplus::Bitmap(4, 4, PixelFormat32bppARGB));
    ::PostMessageW(view_->hwnd(), controller_msg::kMenuPanelGone, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return view_->m_pMenuPanel == nullptr; }, 5000));
    EXPECT_EQ(view_->m_pMenuPanelMask, nullptr);
}

// Closing the menu panel does more than ask it to close at once: the panel is
// forgotten, the hotspot and the menus are hidden, the lists are collected
// again from the last poll, and a whole heartbeat runs (it polls, now that no
// menu panel is open).
TEST_F(Controller, ClosingTheMenuPanelHidesRescansAndTicks) {
    ASSERT_NO_FATAL_FAILURE(EnhancerWithASelection());
    theApp.m_ShowLinkPreviews = false;
    theApp.m_Starting = false;

    HWND panel = ::CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                   nullptr, nullptr);
    ASSERT_TRUE(panel);
    int thread = 0;
    view_->m_pMenuPanel = &thread;
    view_->m_hMenuPanel = panel;
    std::vector<HWND> shown = {view_->Hotspot()->hwnd(), view_->m_pTextMenu->hwnd(), view_->m_pSearchMenu->hwnd(),
                               view_->m_pAppMenu->hwnd(), view_->m_pTrayMenu->hwnd()};
    for (HWND w : shown) ::ShowWindow(w, SW_SHOWNOACTIVATE);

    theApp.m_Disabled = true;  // the heartbeat's hover tracking shows nothing again
    view_->CloseMenuEcp();
    theApp.m_Disabled = false;
    theApp.m_Starting = true;
    MSG msg;
    EXPECT_TRUE(::PeekMessageW(&msg, panel, panel_msg::kCloseNow, panel_msg::kCloseNow, PM_REMOVE));
    EXPECT_EQ(view_->m_pMenuPanel, nullptr);
    for (HWND w : shown) EXPECT_FALSE(::IsWindowVisible(w)) << w;
    // The rescan's collection from the last bits, then the heartbeat's poll
    // and its collection.
    EXPECT_EQ(Count(L"A:Update"), 1);
    ExpectCollectionBeforeThePoll();

    // With no menu panel open it does nothing.
    calls_.clear();
    ::ShowWindow(view_->m_pTextMenu->hwnd(), SW_SHOWNOACTIVATE);
    view_->CloseMenuEcp();
    EXPECT_TRUE(calls_.empty());
    EXPECT_TRUE(::IsWindowVisible(view_->m_pTextMenu->hwnd()));
    ::ShowWindow(view_->m_pTextMenu->hwnd(), SW_HIDE);
    view_->m_hMenuPanel = nullptr;
    ::DestroyWindow(panel);
}

// 11139 re-collects from the last poll's results and then runs a whole tick;
// while the program starts (or reloads) it does nothing.
TEST_F(Controller, RescanMessageRecollectsThenTicksUnlessStarting) {
    ASSERT_NO_FATAL_FAILURE(EnhancerWithASelection());
    theApp.m_ShowLinkPreviews = true;

    ::PostMessageW(view_->hwnd(), controller_msg::kRescan, 0, 0);  // m_Starting is set
    ::PostMessageW(view_->hwnd(), controller_msg::kToggleEnhancers, 0, 0);
    ASSERT_TRUE(WaitFor([] { return theApp.m_EnhancersOff; }, 5000));
    theApp.m_EnhancersOff = false;
    EXPECT_TRUE(calls_.empty());

    theApp.m_Starting = false;
    ::PostMessageW(view_->hwnd(), controller_msg::kRescan, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return Count(L"A:Update") == 1; }, 5000));
    theApp.m_Starting = true;
    ExpectCollectionBeforeThePoll();
}

TEST_F(Controller, BestGuessAnswerOnlyForTheCurrentRequest) {
    theApp.m_BestGuessRequestId = 7;
    ::PostMessageW(view_->hwnd(), controller_msg::kBestGuessAnswer, 6, 1);  // stale
    ::PostMessageW(view_->hwnd(), controller_msg::kBestGuessAnswer, 8, 0);  // not yet asked
    ::PostMessageW(view_->hwnd(), controller_msg::kBestGuessAnswer, 7, 1);
    ::PostMessageW(view_->hwnd(), controller_msg::kBestGuessAnswer, 7, 0);
    ASSERT_TRUE(WaitFor([&] { return view_->guessAnswers.size() == 2; }, 5000));
    EXPECT_EQ(view_->guessAnswers, (std::vector<bool>{true, false}));
    theApp.m_BestGuessRequestId = 0;
}

// 11147 names the best-guess thread's window.  Any window can post it: only
// the thread's own window is taken.
TEST_F(Controller, BestGuessWindowIsTakenOnlyFromTheBestGuessThread) {
    theApp.m_hBestGuessWnd = nullptr;
    BestGuessStart start;
    start.controller = view_->hwnd();
    ASSERT_TRUE(StartBestGuessWorker(start, 10000, &theApp.m_pBestGuessThread));
    const HWND own = theApp.m_pBestGuessThread->HandlerWindow();
    EXPECT_TRUE(WaitFor([&] { return theApp.m_hBestGuessWnd == own; }, 5000)) << "the thread's own 11147";

    ::PostMessageW(view_->hwnd(), controller_msg::kBestGuessWindow, reinterpret_cast<WPARAM>(parent_), 0);
    ::PostMessageW(view_->hwnd(), controller_msg::kBestGuessWindow, 0, 0);
    ::PostMessageW(view_->hwnd(), controller_msg::kToggleEnhancers, 0, 0);   // taken after both
    ASSERT_TRUE(WaitFor([] { return theApp.m_EnhancersOff; }, 5000));
    theApp.m_EnhancersOff = false;
    EXPECT_EQ(own, theApp.m_hBestGuessWnd);

    EXPECT_TRUE(theApp.m_pBestGuessThread->Quit(10000));
    theApp.m_pBestGuessThread.reset();
    theApp.m_hBestGuessWnd = nullptr;
}

TEST_F(Controller, NavigateMessageOpensTheNavigateUrl) {
    *theApp.m_NavigateUrl.Lock() = L"http://example.com/page";
    ::PostMessageW(view_->hwnd(), controller_msg::kNavigateUrl, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !view_->urls.empty(); }, 5000));
    EXPECT_EQ(view_->urls[0], L"http://example.com/page");
}

TEST_F(Controller, ToggleEnhancersTwiceLeavesThemOn) {
    ::PostMessageW(view_->hwnd(), controller_msg::kToggleEnhancers, 0, 0);
    ASSERT_TRUE(WaitFor([] { return theApp.m_EnhancersOff; }, 5000));
    ::PostMessageW(view_->hwnd(), controller_msg::kToggleEnhancers, 0, 0);
    EXPECT_TRUE(WaitFor([] { return !theApp.m_EnhancersOff; }, 5000));
}

TEST_F(Controller, HotKeyLaunchesTheSearchPanel) {
    Settings& settings = *doc_->GetSettingsView();
    auto record = std::make_unique<UserSetting>();
    record->m_Id = L"SEARCH";
    std::wstring defaultEcp = L"x";
    UserSetting* r = settings.AddRecord(std::move(record), L"SEARCH", defaultEcp);
    settings.m_pSearchEcp = r;
    ::PostMessageW(view_->hwnd(), WM_HOTKEY, 7778, 0);  // not ours
    ::PostMessageW(view_->hwnd(), WM_HOTKEY, 7777, 0);
    ASSERT_TRUE(WaitFor([&] { return !view_->launches.empty(); }, 5000));
    ASSERT_EQ(view_->launches.size(), 1u);
    const RecordingView::Launch& l = view_->launches[0];
    EXPECT_EQ(l.record, r);
    EXPECT_EQ(l.anchor.left, 0);
    EXPECT_EQ(l.anchor.top, 0);
    EXPECT_EQ(l.anchor.right, 20);
    EXPECT_EQ(l.anchor.bottom, 20);
    EXPECT_TRUE(l.text.empty());
    EXPECT_EQ(l.flags, 1u);
}

TEST(OpenInDefaultBrowser, OnlyWebUrlsAsOneQuotedArgument) {
    struct Case {
        const wchar_t* url;
        bool ok;
        const wchar_t* parameters;
    };
    const Case cases[] = {
        {L"http://example.com/a b", true, L"\"http://example.com/a b\""},
        {L"HTTPS://example.com/", true, L"\"HTTPS://example.com/\""},
        {L"https://example.com/dir\\", true, L"\"https://example.com/dir\\\\\""},
        {L"http://x/\" -new-window calc", true, L"\"http://x/%22 -new-window calc\""},
        {L"file:///c:/windows/system32/calc.exe", false, nullptr},
        {L"javascript:alert(1)", false, nullptr},
        {L"http://", false, nullptr},
        {L"http://x/\r\n", false, nullptr},
        {L"", false, nullptr},
    };
    BrowserStarter& starter = DefaultBrowserStarter();
    BrowserStarter saved = starter;
    std::vector<std::wstring> started;
    starter.browserPath = [] { return std::wstring(L"C:\\browser.exe"); };
    starter.start = [&](const std::wstring& file, const std::wstring& parameters) {
        started.push_back(file + L"|" + parameters);
        return true;
    };
    BrowserTreeView view;  // no window: only the observer is used
    for (const Case& c : cases) {
        started.clear();
        view.m_ButtonDownSeen = view.m_DownOverPopup = true;
        EXPECT_EQ(view.m_Observer.OpenInDefaultBrowser(c.url), c.ok) << testing::PrintToString(std::wstring(c.url));
        EXPECT_FALSE(view.m_ButtonDownSeen || view.m_DownOverPopup);
        if (c.ok) {
            ASSERT_EQ(started.size(), 1u);
            EXPECT_EQ(started[0], std::wstring(L"C:\\browser.exe|") + c.parameters);
        } else {
            EXPECT_TRUE(started.empty());
        }
    }
    starter = saved;
}

}  // namespace

// Hover tracking through the controller's windows, with the pointer seams:
// the hotspot comes beside the selected piece and goes when the cursor
// leaves it.
TEST_F(Controller, HoverShowsTheHotspotBesideTheSelectionAndHidesIt) {
    auto piece = std::make_unique<LinkInfo>();
    piece->m_Rect = RECT{100, 50, 200, 70};
    piece->m_Text = L"Pond life";
    view_->m_Observer.m_Selections.Add(std::move(piece));
    POINT cursor{150, 60};
    view_->m_CursorPos = [&] { return cursor; };
    view_->m_LeftButtonDown = [] { return false; };

    view_->TrackHover();
    HWND hotspot = view_->HotspotWindow();
    ASSERT_TRUE(::IsWindowVisible(hotspot));
    RECT r{};
    ::GetWindowRect(hotspot, &r);
    EXPECT_EQ(r.left, 200);  // its left edge at the piece's right edge
    EXPECT_EQ(r.top + (r.bottom - r.top) / 2, 50 - 9);
    EXPECT_EQ(view_->m_pCurrentLink, &view_->m_HoverSelection);
    EXPECT_EQ(view_->m_Observer.m_HoverText, L"Pond life");
    EXPECT_TRUE(view_->HotspotGuessesRequested());

    cursor = POINT{600, 400};
    view_->TrackHover();
    EXPECT_FALSE(::IsWindowVisible(hotspot));
    EXPECT_EQ(view_->m_pCurrentLink, nullptr);
}
