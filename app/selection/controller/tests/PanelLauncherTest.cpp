// The launcher under Wine with stand-in panel threads: the handshake's
// messages in order, the flags word and template URL a panel gets, the log
// lines, the seventeenth panel's message box, the single-instance re-show,
// the menu-panel record, a panel that never reports, and the exit; with the
// program's own panel threads, a search panel's final text handed to the
// next one; a page's request for another panel (11137).
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ViewerLog.h"
#include "app/core/common/GlobalLocks.h"
#include "app/core/config/Settings.h"
#include "app/core/config/UserSetting.h"
#include "app/core/main/PondrelApp.h"
#include "app/core/main/PondrelDoc.h"
#include "app/core/config/XmlConfig.h"
#include "app/tests/support/CoreTestFiles.h"
#include "app/panels/children/ChildWin.h"
#include "app/panels/children/ChildrenThread.h"
#include "app/panels/thread/HoverThread.h"
#include "app/panels/thread/tests/StandInPanel.h"
#include "app/selection/controller/BrowserTreeView.h"
#include "app/selection/controller/ControllerMessages.h"
#include "app/selection/controller/tests/ControllerWindow.h"
#include "app/selection/controller/tests/PanelTestSetup.h"
#include "log/Logger.h"
#include "tests/httpserver/LoopbackServer.h"
#include "tests/support/TestSupport.h"

namespace {

using panels::testing::StandInPanel;
using panels::testing::StandInScript;
using testsupport::WaitFor;

class Launcher : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(StartPanelTest(log_, L"panel_launcher_tests"));
        theApp.m_Starting = true;
        theApp.m_TemplatesUrl = L"http://t.example/templates.php";
        doc_ = std::make_unique<CPondrelDoc>();
        doc_->CreateProvidersPane();
        theApp.m_pDoc = doc_.get();
        view_ = std::make_unique<BrowserTreeView>();
        ASSERT_TRUE(MakeControllerWindow(parent_, *view_));
        view_->m_MakePanelThread = [this]() -> std::unique_ptr<panels::PanelThread> {
            auto t = fx::StartSuspended<StandInPanel>(fx::Apartment::None, script_);
            if (t) launched_.push_back(t.get());
            return t;
        };
    }
    void TearDown() override {
        view_->CloseAllPanels();
        if (demo_) {
            theApp.DeleteSettingsReader();
            theApp.m_SettingsLoaded = false;
            ::RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\Pondrel\\" + std::wstring(kDemoSkin)).c_str());
        }
        view_.reset();
        if (parent_) ::DestroyWindow(parent_);
        doc_.reset();
        delete g_pLogger;
        g_pLogger = nullptr;
        ::CoUninitialize();
    }
    UserSetting* AddEcp(const wchar_t* id) {
        auto record = std::make_unique<UserSetting>();
        record->m_Id = id;
        record->m_Skin = L"blue";
        std::wstring defaultEcp = L"x";
        return doc_->GetSettingsView()->AddRecord(std::move(record), L"", defaultEcp);
    }
    HWND Launch(UserSetting* record, DWORD flags) {
        return view_->LaunchEcp(RECT{100, 100, 200, 120}, record, L"", L"Title", flags);
    }
    bool Logged(const std::wstring& text) {
        for (const std::wstring& line : log_.ReadAll())
            if (line.find(text) != std::wstring::npos) return true;
        return false;
    }
    bool Received(StandInPanel* panel, std::vector<UINT> expected) {
        return WaitFor([&] { return panel->Messages() == expected; }, 5000);
    }
    // The demo settings with the loopback server's URL in (their window
    // templates and pictures served from demo/), the program's own panel
    // threads (the last one made in hover_) and a fresh cache directory.
    // Returns the "Dictionary" record (skin kDemoSkin, which has tails).
    UserSetting* UseDemoSettings() {
        demo_ = true;
        const std::wstring dir = coretest::ScratchDir();
        const std::wstring settings =
            coretest::WriteFile(dir, L"settings.xml", coretest::SampleSettings(testsupport::Utf8(DemoServer())));
        theApp.DeleteSettingsReader();
        theApp.m_pSettings = new XmlConfig(settings.c_str());
        theApp.m_SettingsLoaded = theApp.m_pSettings->LoadLists() == 0;
        EXPECT_TRUE(theApp.m_SettingsLoaded);
        theApp.m_CacheDir = dir;
        theApp.LoadSettingsValues(*doc_->GetSettingsView());  // publishes the snapshot
        view_->m_MakePanelThread = [this]() -> std::unique_ptr<panels::PanelThread> {
            std::unique_ptr<panels::PanelThread> t = panels::MakeHoverThread();
            hover_ = static_cast<panels::HoverThread*>(t.get());
            return t;
        };
        return doc_->GetSettingsView()->FindEcp(L"0E3A4C51-8D2B-4F6A-B1C7-2D9E5F8A3B14");
    }
    static std::wstring DemoServer() { return loopback::Url(L"/files"); }
    // Every panel closed at once, their threads ended.
    void CloseRealPanels() {
        view_->m_Panels.PostToAll(panel_msg::kCloseNow);
        EXPECT_TRUE(WaitFor([&] { return view_->m_Panels.GetCount() == 0; }, 20000));
    }
    static constexpr const wchar_t* kDemoSkin = L"Slate";

    ViewerLog log_;
    StandInScript script_;
    std::vector<StandInPanel*> launched_;
    std::unique_ptr<CPondrelDoc> doc_;
    HWND parent_ = nullptr;
    std::unique_ptr<BrowserTreeView> view_;
    bool demo_ = false;
    panels::HoverThread* hover_ = nullptr;
};

TEST_F(Launcher, HandshakeThenFadeInWithTheFlagsAndTemplateUrl) {
    UserSetting* record = AddEcp(L"ECP-1");
    record->m_Placement = 0x80;
    HWND panel = Launch(record, 2);
    ASSERT_EQ(launched_.size(), 1u);
    StandInPanel* p = launched_[0];
    ASSERT_TRUE(panel);
    EXPECT_EQ(panel, p->PanelWindow());
    EXPECT_EQ(p->flagsAtStart, 0x82u);
    EXPECT_EQ(p->templateUrlAtStart, L"http://t.example/templates.php?template=ecp&skin=blue");
    EXPECT_TRUE(p->goSeen);
    EXPECT_TRUE(Received(p, {11213, 11219}));
    EXPECT_EQ(record->m_RunValue, 1);
    EXPECT_EQ(view_->m_Panels.GetCount(), 1u);
    EXPECT_TRUE(Logged(L"ActiveECP Count: 0"));
    EXPECT_TRUE(Logged(L"Launch ECP GUID: ECP-1"));
    EXPECT_EQ(view_->m_pMenuPanel, nullptr);
}

TEST_F(Launcher, HiddenLaunchesEndWithCloseNowAndOnly8DropsTheLocation) {
    UserSetting* record = AddEcp(L"ECP-H");
    record->m_Placement = 0x80;
    Launch(record, 8);
    Launch(record, 9);
    ASSERT_EQ(launched_.size(), 2u);
    EXPECT_EQ(launched_[0]->flagsAtStart, 8u);
    EXPECT_EQ(launched_[1]->flagsAtStart, 0x89u);
    EXPECT_TRUE(Received(launched_[0], {11213, 11205}));
    EXPECT_TRUE(Received(launched_[1], {11213, 11205}));
    EXPECT_TRUE(Logged(L"ActiveECP Count: 1"));
}

// The seventeenth launch shows the message box (a watcher reads and closes
// it) and starts nothing.
TEST_F(Launcher, SeventeenthPanelIsRefusedWithTheMessageBox) {
    for (int i = 0; i < 16; ++i)
        ASSERT_TRUE(Launch(AddEcp((L"P" + std::to_wstring(i)).c_str()), 1)) << i;
    testsupport::AnswerDialog watcher(L"To many PondRels!", 10000);
    HWND panel = Launch(AddEcp(L"P16"), 1);
    EXPECT_TRUE(watcher.Join());
    EXPECT_EQ(watcher.Message(),
              L"You must close some of the PondRels in the dockbar or on your desktop before more can be opened.");
    EXPECT_EQ(panel, nullptr);
    EXPECT_EQ(launched_.size(), 16u);
    EXPECT_EQ(view_->m_Panels.GetCount(), 16u);
    EXPECT_TRUE(Logged(L"ActiveECP Count: 16"));
}

TEST_F(Launcher, SingleInstanceIsShownAgainInsteadOfASecondPanel) {
    UserSetting* record = AddEcp(L"ECP-S");
    record->m_SingleInstance = 1;
    record->m_SearchPanel = 1;
    ASSERT_TRUE(Launch(record, 1));
    ASSERT_TRUE(Received(launched_[0], {11213, 11219}));
    EXPECT_EQ(Launch(record, 1), nullptr);
    EXPECT_EQ(launched_.size(), 1u);
    EXPECT_EQ(view_->m_Panels.GetCount(), 1u);
    EXPECT_TRUE(Received(launched_[0], {11213, 11219, 11208, 11223, 11213}));
    EXPECT_EQ(record->m_RunValue, 2);
}

TEST_F(Launcher, MenuPanelIsRecordedAndAnOlderOneClosedFirst) {
    HWND first = Launch(AddEcp(L"M1"), 0x12);
    ASSERT_TRUE(first);
    EXPECT_EQ(view_->m_pMenuPanel, launched_[0]);
    EXPECT_EQ(view_->m_hMenuPanel, first);
    HWND second = Launch(AddEcp(L"M2"), 0x12);
    ASSERT_TRUE(second);
    EXPECT_TRUE(Received(launched_[0], {11213, 11219, 11205}));
    ASSERT_TRUE(WaitFor([&] { return view_->m_Panels.GetCount() == 1; }, 5000));
    EXPECT_EQ(view_->m_pMenuPanel, launched_[1]);
    EXPECT_EQ(view_->m_hMenuPanel, second);
    EXPECT_FALSE(view_->m_MenuPanelSticky);

    // 11138 of the closed panel is not the recorded one's; the current one's is.
    ::SendMessageW(view_->hwnd(), controller_msg::kMenuPanelGone, reinterpret_cast<WPARAM>(first), 0);
    EXPECT_EQ(view_->m_pMenuPanel, launched_[1]);
    ::SendMessageW(view_->hwnd(), controller_msg::kMenuPanelGone, reinterpret_cast<WPARAM>(second), 0);
    EXPECT_EQ(view_->m_pMenuPanel, nullptr);
}

// A menu panel launched over an open one only asks the older to close: the
// launch runs no rescan (which would empty the lists and forget the current
// link) and no heartbeat inside it.
TEST_F(Launcher, ReplacingAMenuPanelOnlyAsksTheOlderToClose) {
    HWND first = Launch(AddEcp(L"R1"), 0x12);
    ASSERT_TRUE(first);
    auto piece = std::make_unique<LinkInfo>();
    piece->m_Text = L"pond";
    LinkInfo* selection = view_->m_Observer.m_Selections.Add(std::move(piece));
    view_->m_pCurrentLink = selection;

    HWND second = Launch(AddEcp(L"R2"), 0x12);
    ASSERT_TRUE(second);
    EXPECT_TRUE(Received(launched_[0], {11213, 11219, 11205}));
    EXPECT_EQ(view_->m_pMenuPanel, launched_[1]);
    EXPECT_EQ(view_->m_hMenuPanel, second);
    EXPECT_EQ(view_->m_Observer.m_Selections.GetCount(), 1u);
    EXPECT_EQ(view_->m_pCurrentLink, selection);
    view_->m_pCurrentLink = nullptr;
}

TEST_F(Launcher, StickyMenuPanelNeedsSingleInstanceAnd0x40) {
    UserSetting* record = AddEcp(L"ST");
    record->m_SingleInstance = 1;
    ASSERT_TRUE(Launch(record, 0x50));
    EXPECT_TRUE(launched_[0]->saveMaskAtStart);
    EXPECT_TRUE(view_->m_MenuPanelSticky);
}

// A panel that never reports created: the launcher gives up within its bound
// and the program goes on launching.
TEST_F(Launcher, PanelThatNeverReportsDoesNotHoldTheLauncher) {
    view_->m_LaunchWaitMs = 800;
    script_.reportCreated = false;
    DWORD start = ::GetTickCount();
    EXPECT_EQ(Launch(AddEcp(L"MUTE"), 1), nullptr);
    EXPECT_LT(::GetTickCount() - start, 3000u);
    EXPECT_TRUE(Logged(L"did not report created"));
    // The window it made is asked to close at once.
    ASSERT_EQ(launched_.size(), 1u);
    EXPECT_TRUE(Received(launched_[0], {11205}));

    script_ = StandInScript{};
    view_->m_LaunchWaitMs = panels::kLaunchWaitMs;
    EXPECT_TRUE(Launch(AddEcp(L"NEXT"), 1));
}

// A launch given up (no window before the time-out, or no ready report from
// a panel that is slow to close) leaves no entry: it does not count toward
// the limit and its single-instance record opens a new panel next time.  At
// exit the given-up panel is asked to close too, so no thread is terminated.
TEST_F(Launcher, AGivenUpLaunchLeavesNoEntryAndItsRecordOpensAgain) {
    struct Case {
        const char* name;
        StandInScript script;
        const wchar_t* logged;
    };
    StandInScript lateWindow;
    lateWindow.windowDelayMs = 1500;
    lateWindow.goWaitMs = 300;
    StandInScript noReady;
    noReady.reportReady = false;
    noReady.closeOnRequest = false;
    const Case cases[] = {
        {"no window before the time-out", lateWindow, L"did not report created"},
        {"no ready report", noReady, L"did not report ready"},
    };
    UserSetting* record = AddEcp(L"ONCE");
    record->m_SingleInstance = 1;
    record->m_SearchPanel = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        launched_.clear();
        view_->m_LaunchWaitMs = 800;
        script_ = c.script;
        EXPECT_EQ(Launch(record, 1), nullptr);
        EXPECT_TRUE(Logged(c.logged));
        EXPECT_EQ(view_->m_Panels.GetCount(), 0u);

        script_ = StandInScript{};
        view_->m_LaunchWaitMs = panels::kLaunchWaitMs;
        HWND again = Launch(record, 1);
        ASSERT_EQ(launched_.size(), 2u);
        EXPECT_NE(again, nullptr);
        EXPECT_EQ(again, launched_[1]->PanelWindow());
        EXPECT_TRUE(Received(launched_[1], {11213, 11219}));
        EXPECT_EQ(view_->m_Panels.GetCount(), 1u);
        const std::vector<UINT> old = launched_[0]->Messages();
        EXPECT_EQ(std::count(old.begin(), old.end(), panel_msg::kShow), 0);

        // The given-up panel closes at exit (a late window is asked to), the
        // one that ignores the request once it is told to quit.
        ASSERT_TRUE(WaitFor([&] { return launched_[0]->PanelWindow() != nullptr; }, 5000));
        if (!c.script.closeOnRequest) launched_[0]->RequestQuit();
        EXPECT_EQ(view_->m_Panels.HideAllAndTerminate(), 0u);
        view_->m_Panels.ReapEnded();
    }
}

// Readiness belongs to one launch: an open panel reporting ready (as a
// dragged search panel does) does not end another panel's launch early.
TEST_F(Launcher, AnotherPanelsReadinessDoesNotReleaseTheLaunch) {
    ASSERT_TRUE(Launch(AddEcp(L"OLD"), 1));
    StandInPanel* old = launched_[0];
    std::atomic<bool> stop{false};
    std::thread dragger([&] {
        while (!stop) {
            view_->ReportReady(old);
            ::Sleep(5);
        }
    });
    view_->m_LaunchWaitMs = 800;
    script_.reportReady = false;
    HWND panel = Launch(AddEcp(L"NEW"), 1);
    stop = true;
    dragger.join();
    EXPECT_EQ(panel, nullptr);
    ASSERT_EQ(launched_.size(), 2u);
    EXPECT_TRUE(Logged(L"did not report ready"));
}

// The program's own panel thread through the launcher: a "BackWin777"
// window shown and faded in; its close comes back as a usage report.
TEST_F(Launcher, RealPanelOpensFadesInAndReportsItsUsageWhenClosed) {
    view_->m_MakePanelThread = panels::MakeHoverThread;
    UserSetting* record = AddEcp(L"REAL");
    record->m_Width = 200;
    record->m_Height = 150;
    HWND panel = Launch(record, 1);
    ASSERT_TRUE(panel);
    wchar_t name[64] = {};
    ::GetClassNameW(panel, name, 64);
    EXPECT_STREQ(name, L"BackWin777");
    EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(panel) != FALSE; }, 5000));
    RECT rc{};
    ::GetWindowRect(panel, &rc);
    EXPECT_EQ(rc.right - rc.left, 200);
    EXPECT_EQ(rc.bottom - rc.top, 150);
    ::PostMessageW(panel, panel_msg::kFadeOutAndClose, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return view_->m_Panels.GetCount() == 0 && record->m_OpenCount == 1; }, 10000));
    EXPECT_FALSE(::IsWindow(panel) && ::IsWindowVisible(panel));
}

// A search panel's final text, which its children thread leaves with the
// controller as the panel ends, is the text the next search panel opens
// with; a panel of another kind leaves the search text as it was.
TEST_F(Launcher, SearchPanelsFinalTextOpensTheNextSearchPanel) {
    view_->m_LaunchWaitMs = 30000;  // a loaded machine: the template's fetch fails slowly
    panels::HoverThread* hover = nullptr;
    view_->m_MakePanelThread = [&]() -> std::unique_ptr<panels::PanelThread> {
        std::unique_ptr<panels::PanelThread> t = panels::MakeHoverThread();
        hover = static_cast<panels::HoverThread*>(t.get());
        return t;
    };
    // Opens the record, lets its text become text (as the search box does)
    // and closes it; the window's rectangle comes back.
    auto openAndClose = [&](UserSetting* record, const std::wstring& text, RECT* where) {
        hover = nullptr;
        HWND panel = Launch(record, 1);
        ASSERT_TRUE(panel);
        ASSERT_NE(nullptr, hover);
        {
            fx::ScopedLock hold(g_SearchTextLock);
            hover->m_ChildUrl = text;
        }
        ::GetWindowRect(panel, where);
        ::PostMessageW(panel, panel_msg::kCloseNow, 0, 0);
        ASSERT_TRUE(WaitFor([&] { return view_->m_Panels.GetCount() == 0; }, 10000));
    };
    UserSetting* other = AddEcp(L"OTHER");
    other->m_Width = other->m_Height = 200;
    UserSetting* search = AddEcp(L"SEARCH");
    search->m_Width = search->m_Height = 200;
    search->m_SearchPanel = 1;

    RECT rect{};
    openAndClose(other, L"other words", &rect);
    EXPECT_EQ(L"", view_->SearchText());
    EXPECT_EQ(-9999, view_->m_PanelStrings.Copy().m_LastPanelRect.left);

    openAndClose(search, L"pond life", &rect);
    EXPECT_EQ(L"pond life", view_->SearchText());
    {
        auto strings = view_->m_PanelStrings.Lock();
        EXPECT_EQ(rect.left, strings->m_LastPanelRect.left);
        EXPECT_EQ(rect.bottom, strings->m_LastPanelRect.bottom);
    }

    // The next search panel starts from that text.
    hover = nullptr;
    HWND next = Launch(search, 1);
    ASSERT_TRUE(next);
    ASSERT_NE(nullptr, hover);
    EXPECT_EQ(L"pond life", hover->m_Current.m_QueryText);
    EXPECT_EQ(L"pond life", hover->m_Current.m_CurrentUrl);
    ::PostMessageW(next, panel_msg::kCloseNow, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return view_->m_Panels.GetCount() == 0; }, 10000));
}

// A page asking for another panel (pqwindow=open) leaves the panel's
// identifier, its token and URL and the view's rectangle with the controller
// and posts 11137: the record opens with the token as its query text and the
// URL as its context, at that rectangle, in the tray placement.
TEST_F(Launcher, PageAskingForAPanelOpensItWithTheTokenAndUrl) {
    AddEcp(L"OPENED");
    panels::PanelHost& host = *view_;
    host.LeavePanelOpen(L"OPENED", L"pond life", L"http://s.test/ecp/?type=ecp&ecpguid=OPENED",
                        RECT{30, 40, 330, 240});
    ::PostMessageW(view_->hwnd(), controller_msg::kReportBug, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return launched_.size() == 1u; }, 10000));
    StandInPanel* p = launched_[0];
    ASSERT_TRUE(Received(p, {11213, 11219}));
    EXPECT_EQ(L"OPENED", p->m_Current.m_Id);
    EXPECT_EQ(L"pond life", p->m_Current.m_QueryText);
    EXPECT_EQ(L"http://s.test/ecp/?type=ecp&ecpguid=OPENED", p->m_Current.m_Context);
    EXPECT_EQ(0x80u, p->flagsAtStart);
    EXPECT_EQ(30, p->m_Anchor.left);
    EXPECT_EQ(240, p->m_Anchor.bottom);

    // An identifier no record has opens nothing.
    host.LeavePanelOpen(L"opened", L"x", L"", RECT{});
    ::PostMessageW(view_->hwnd(), controller_msg::kReportBug, 0, 0);
    WaitFor([] { return false; }, 300);
    EXPECT_EQ(1u, launched_.size());
}

// A panel launched from the demo settings, served by the loopback server:
// its content web view is a child window of the content element's window,
// it loads the record's content URL with the text encoded, and closing the
// panel destroys the child windows and ends both of its threads.
TEST_F(Launcher, DemoPanelLoadsItsContentWithTheEncodedText) {
    const std::wstring server = DemoServer();
    UserSetting* record = UseDemoSettings();  // "Dictionary"
    ASSERT_NE(nullptr, record);
    const std::wstring id = record->m_Id;
    record->m_QueryText = L"pond life";

    view_->m_LaunchWaitMs = 30000;
    HWND panel = Launch(record, 1);
    ASSERT_TRUE(panel);
    panels::HoverThread* hover = hover_;
    ASSERT_NE(nullptr, hover);
    ElementPanel* elements = hover->Elements();
    ASSERT_NE(nullptr, elements) << "the demo template was not built";
    ASSERT_NE(nullptr, elements->mainContent);
    panels::ChildrenThread* children = hover->Children();
    ASSERT_NE(nullptr, children);
    auto* content = dynamic_cast<panels::CChildWin*>(elements->mainContent->LinkedWindow());
    ASSERT_NE(nullptr, content);
    ASSERT_NE(nullptr, content->View());
    EXPECT_EQ(content->hwnd(), ::GetParent(content->View()->hwnd()));
    EXPECT_EQ(children->threadId(), ::GetWindowThreadProcessId(content->View()->hwnd(), nullptr));
    std::vector<HWND> windows;
    for (WindowElement* e : elements->windowed)
        if (auto* w = dynamic_cast<panels::CChildWin*>(static_cast<ContentElement*>(e)->LinkedWindow()))
            windows.push_back(w->hwnd());

    // The record's content URL, the text encoded byte by byte.
    std::wstring url;
    {
        fx::ScopedLock hold(g_PanelRecordLock);
        url = elements->mainContent->contentUrl;
    }
    EXPECT_EQ(0u, url.find(server + L"/ecp/?type=ecp&ecpguid=" + id + L"&token=%70%6f%6e%64%20%6c%69%66%65&pqads=off&pqecp=1"))
        << testsupport::Utf8(url);
    // The request reaching the server (the browser may write unreserved
    // characters plainly).
    const std::string prefix = "/files/ecp/?type=ecp&ecpguid=" + testsupport::Utf8(id) + "&token=";
    auto seen = [&] {
        for (const loopback::Request& r : loopback::Requests())
            if (r.target.compare(0, prefix.size(), prefix) == 0) return r.target;
        return std::string();
    };
    ASSERT_TRUE(WaitFor([&] { return !seen().empty(); }, 20000)) << "the content page was not requested";
    const std::string target = seen();
    const std::string token = target.substr(prefix.size(), target.find('&', prefix.size()) - prefix.size());
    EXPECT_TRUE(token == "pond%20life" || token == "%70%6f%6e%64%20%6c%69%66%65") << target;

    // Closing: the child windows go and both threads end.
    auto duplicate = [](HANDLE h) {
        HANDLE out = nullptr;
        ::DuplicateHandle(::GetCurrentProcess(), h, ::GetCurrentProcess(), &out, SYNCHRONIZE, FALSE, 0);
        return fx::UniqueHandle(out);
    };
    fx::UniqueHandle panelThread = duplicate(hover->handle());
    fx::UniqueHandle childrenThread = duplicate(children->handle());
    ASSERT_TRUE(panelThread && childrenThread);
    ::PostMessageW(panel, panel_msg::kCloseNow, 0, 0);
    ASSERT_TRUE(WaitFor(
        [&] {
            return ::WaitForSingleObject(panelThread.get(), 0) == WAIT_OBJECT_0 &&
                   ::WaitForSingleObject(childrenThread.get(), 0) == WAIT_OBJECT_0;
        },
        20000));
    EXPECT_TRUE(WaitFor([&] { return view_->m_Panels.GetCount() == 0; }, 5000));
    EXPECT_FALSE(windows.empty());
    for (HWND w : windows) EXPECT_FALSE(::IsWindow(w));
}

// The demo's menu panel (its skin has a tail) tells the controller itself
// when its tail goes, through its children thread: when it closes by itself,
// and when only the tail is hidden (the panel stays open as a plain panel).
// The controller then forgets its menu panel, so the heartbeat polls again.
TEST_F(Launcher, AMenuPanelsOwnReportMakesTheControllerForgetIt) {
    UserSetting* record = UseDemoSettings();
    ASSERT_NE(nullptr, record);
    const struct {
        const char* name;
        UINT message;
    } cases[] = {
        {"the panel closes by itself", panel_msg::kFadeOutAndClose},
        {"its tail is hidden", panel_msg::kHideTail},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HWND panel = Launch(record, 0x12);
        ASSERT_TRUE(panel);
        ASSERT_NE(nullptr, hover_->Tail()) << "the menu panel has its tail";
        EXPECT_EQ(view_->m_pMenuPanel, hover_);
        EXPECT_EQ(view_->m_hMenuPanel, panel);
        EXPECT_TRUE(view_->m_pMenuPanelMask) << "the mask the panel saved";
        ::PostMessageW(panel, c.message, 0, 0);
        EXPECT_TRUE(WaitFor([&] { return view_->m_pMenuPanel == nullptr; }, 15000));
        EXPECT_FALSE(view_->m_pMenuPanelMask);
        CloseRealPanels();
    }
}

// A panel's start keeps within the launcher's bound whatever the template
// server does: a skin that another panel holds, a slow answer, or no answer
// for longer than the start's share for the template (the panel then draws
// its plain face).  The launcher's own bound is the one in force.
TEST_F(Launcher, ASlowOrBusyTemplateServerStillOpensThePanel) {
    UserSetting* record = UseDemoSettings();
    ASSERT_NE(nullptr, record);
    const struct {
        const char* name;
        const wchar_t* templates;  // under the server's root
        bool skinHeld;
        bool templateBuilt;
    } cases[] = {
        {"the skin held by another panel", L"/files/templates/", true, true},
        {"a slow answer", L"/slow/2500/files/templates/", false, true},
        {"no answer within the template's share", L"/slow/90000/files/templates/", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        theApp.m_CacheDir = coretest::ScratchDir();  // nothing cached
        theApp.PublishSnapshot();
        theApp.m_TemplatesUrl = loopback::Url(c.templates);
        fx::UniqueHandle other;
        if (c.skinHeld) {
            other.reset(::CreateMutexW(nullptr, TRUE, panels::TemplateMutexName(kDemoSkin).c_str()));
            ASSERT_TRUE(other);
        }
        hover_ = nullptr;
        HWND panel = Launch(record, 1);
        if (other) ::ReleaseMutex(other.get());
        ASSERT_TRUE(panel);
        ASSERT_NE(nullptr, hover_);
        EXPECT_EQ(hover_->Elements() != nullptr, c.templateBuilt);
        CloseRealPanels();
    }
}

// At exit every panel closes and its usage report is taken.
TEST_F(Launcher, ExitClosesThePanelsAndTakesTheirUsage) {
    std::vector<UserSetting*> records;
    for (int i = 0; i < 16; ++i) {
        records.push_back(AddEcp((L"U" + std::to_wstring(i)).c_str()));
        ASSERT_TRUE(Launch(records.back(), 1));
    }
    view_->CloseAllPanels();
    EXPECT_EQ(view_->m_Panels.GetCount(), 0u);
    for (UserSetting* r : records) EXPECT_EQ(r->m_OpenCount, 1) << std::string(r->m_Id.begin(), r->m_Id.end());
}

}  // namespace
