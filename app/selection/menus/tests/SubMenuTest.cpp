// The sub-menus and the application and search menus under Wine: a
// category's items from a settings fixture, the panel sub-menu's one launch
// and the messages its panel gets (a dummy panel window records them), the
// application items and their choices, the search menu handing a record to
// its panel.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/core/common/GlobalLocks.h"
#include "app/core/config/Settings.h"
#include "app/core/config/UserSetting.h"
#include "app/core/config/XmlConfig.h"
#include "app/tests/support/LaunchRecorder.h"
#include "app/tests/support/RecordsFixture.h"
#include "app/core/main/PondrelApp.h"
#include "app/core/main/PondrelDoc.h"
#include "app/selection/controller/BrowserTreeView.h"
#include "app/selection/menus/AppMenu.h"
#include "app/selection/menus/ECPSubMenu.h"
#include "app/selection/menus/PondrelSubMenu.h"
#include "app/selection/menus/SearchMenu.h"
#include "app/tests/support/MenuTestEnv.h"
#include "fx/Window.h"
#include "tests/support/GdiplusTestEnv.h"
#include "tests/support/MessageRecorder.h"
#include "tests/support/TestSupport.h"

namespace {

const auto* const kEnv = ::testing::AddGlobalTestEnvironment(new MenuWindowsEnv);

using testsupport::WaitFor;

// Plays a panel's window: records the panel messages (112xx) it gets.
class DummyPanel : public testsupport::MessageRecorder {
public:
    DummyPanel() : MessageRecorder(11200, 11299) {}
    bool Make() { return MessageRecorder::Make(RECT{0, 0, 10, 10}, 0, L"BackWin777"); }
};

// The controller as the menus see it: launches and URLs recorded; a launch
// answers with the dummy panel's window.
using RecordingView = LaunchRecorder<BrowserTreeView>;

// A panel thread object that never runs: the search menu's owner panel.
class IdlePanel : public panels::PanelThread {};

const char kSettings[] = R"(<?xml version="1.0"?>
<init><ecptree>
  <category><name>Reference</name><id>ref</id>
    <target>t1<ecp><id>PANEL</id><name>Dictionary</name></ecp>
              <ecp><id>SEARCH</id><name>Search the Web</name></ecp>
              <ecp><id>OFF</id><name>Inactive</name></ecp></target>
    <target>t2<ecp><id>HIDDEN</id><name>Not in menu</name></ecp>
              <ecp><id>UNKNOWN</id><name>No record</name></ecp>
              <ecp><id>LATE</id><name>Second target</name></ecp></target>
  </category>
  <category><name>PondRel Options</name><id>opt</id>
    <target>o<ecp><id>PANEL</id><name>Options panel</name></ecp></target>
  </category>
</ecptree></init>
)";

class SubMenus : public apptest::RecordsFixture {
protected:
    void SetUp() override {
        RecordsFixture::SetUp();
        theApp.m_DebugMode = false;
        path_ = WriteMenuFixture(L"submenu-settings.xml", kSettings);
        theApp.m_pSettings = new XmlConfig(path_.c_str());
        theApp.m_pSettings->LoadLists();
        ASSERT_TRUE(panel_.Make());
        view_.launchAnswer = panel_.hwnd();
    }
    void TearDown() override {
        theApp.DeleteSettingsReader();
        ::DeleteFileW(path_.c_str());
        RecordsFixture::TearDown();
    }
    UserSetting* AddEcp(const wchar_t* id, bool active = true, bool inMenu = true) {
        UserSetting* record = AddRecord({id, id});
        record->m_Active = active;
        record->m_InMenu = inMenu;
        record->m_Width = 300;
        record->m_Height = 200;
        return record;
    }
    static std::vector<std::wstring> Texts(const TxMenuWin& menu) {
        std::vector<std::wstring> out;
        for (size_t i = 0; i < menu.m_Items.GetCount(); ++i)
            out.push_back(menu.m_Items.GetAt(i)->m_Separator ? L"-" : menu.m_Items.GetAt(i)->m_Text);
        return out;
    }
    static std::vector<std::wstring> Ids(const TxMenuWin& menu) {
        std::vector<std::wstring> out;
        for (size_t i = 0; i < menu.m_Items.GetCount(); ++i)
            out.push_back(menu.m_Items.GetAt(i)->m_Separator ? L"-" : menu.m_Items.GetAt(i)->m_Id);
        return out;
    }
    // Lets the posted messages arrive.
    static void Pump() { WaitFor([] { return false; }, 100); }

    std::wstring path_;
    DummyPanel panel_;
    RecordingView view_;
};

// Active, in-menu entries with a record, over every target; a skinless
// record is a search (action mark, its action URL); the options category
// marks its items.
TEST_F(SubMenus, CategoryItemsFromTheSettings) {
    AddEcp(L"PANEL");
    UserSetting* search = AddEcp(L"SEARCH");
    search->m_NoSkin = 1;
    search->m_Action = L"http://example.test/find?q={pq_token}";
    AddEcp(L"OFF", false);
    AddEcp(L"HIDDEN", true, false);
    AddEcp(L"LATE");

    CompanyMenu reference;
    reference.m_CategoryIndex = 1;
    ASSERT_TRUE(reference.CreateMenu(L"company"));
    EXPECT_EQ(Texts(reference), (std::vector<std::wstring>{L"Dictionary", L"Search the Web", L"Second target"}));
    const MyMenuItem& panel = *reference.m_Items.GetAt(0);
    EXPECT_FALSE(panel.m_ActionMark);
    EXPECT_EQ(panel.m_Type, L"pq_default");
    EXPECT_FALSE(panel.m_Options);
    EXPECT_EQ(panel.m_TreeCategory, 1);
    const MyMenuItem& web = *reference.m_Items.GetAt(1);
    EXPECT_TRUE(web.m_ActionMark);
    EXPECT_EQ(web.m_Type, L"http://example.test/find?q={pq_token}");
    const MyMenuItem& late = *reference.m_Items.GetAt(2);
    EXPECT_EQ(late.m_TreeTarget, 2);
    EXPECT_EQ(late.m_TreeEntry, 3);

    CompanyMenu options;
    options.m_CategoryIndex = 2;
    ASSERT_TRUE(options.CreateMenu(L"company"));
    ASSERT_EQ(options.m_Items.GetCount(), 1u);
    EXPECT_TRUE(options.m_Items.GetAt(0)->m_Options);

    // No record in the settings view at all: an empty sub-menu.
    doc_->GetSettingsView()->DeleteAllRecords();
    CompanyMenu empty;
    empty.m_CategoryIndex = 1;
    ASSERT_TRUE(empty.CreateMenu(L"company"));
    EXPECT_EQ(empty.m_Items.GetCount(), 0u);
}

// The panel sub-menu: one fixed item of the panel's size; the panel is
// launched at the first show only, with 0x102 "MENU ECP" just inside the
// menu; shows and hides reach it as 11208 and 11207, the menu's end as
// 11224.
TEST_F(SubMenus, PanelSubMenuLaunchesOnceAndDrivesItsPanel) {
    AddEcp(L"PANEL");
    MyMenuItem owner;
    owner.m_Id = L"PANEL";
    owner.m_Token = L"pond life";
    auto menu = std::make_unique<ECPSubMenu>();
    menu->m_pOwnerItem = &owner;
    ASSERT_TRUE(menu->CreateMenu(L"ecpmenuitem"));
    ASSERT_EQ(menu->m_Items.GetCount(), 1u);
    const MyMenuItem& item = *menu->m_Items.GetAt(0);
    EXPECT_EQ(item.m_Text, L"");
    EXPECT_EQ(item.m_Id, L"PANEL");
    EXPECT_EQ(item.m_Token, L"pond life");
    EXPECT_EQ(item.m_Width, 304);
    EXPECT_EQ(item.m_Height, 201);
    EXPECT_TRUE(item.m_FixedWidth);

    menu->ShowAt(RECT{100, 100, 120, 119}, &view_, &view_.m_Observer);
    ASSERT_EQ(view_.launches.size(), 1u);
    RECT w{};
    ::GetWindowRect(menu->hwnd(), &w);
    const RecordingView::Launch& launch = view_.launches[0];
    EXPECT_EQ(launch.flags, 0x102u);
    EXPECT_EQ(launch.title, L"MENU ECP");
    EXPECT_EQ(launch.text, L"%70%6f%6e%64%20%6c%69%66%65");
    EXPECT_EQ(launch.anchor.left, w.left + 2);
    EXPECT_EQ(launch.anchor.top, w.top + 2);
    EXPECT_EQ(launch.anchor.right, w.right);
    EXPECT_EQ(launch.anchor.bottom, w.bottom);
    EXPECT_EQ(launch.record->m_QueryText, L"pond life");
    EXPECT_EQ(menu->m_hPanel, panel_.hwnd());
    EXPECT_EQ(w.right - w.left, 304);

    ::ShowWindow(menu->hwnd(), SW_HIDE);
    menu->ShowAt(RECT{100, 100, 120, 119}, &view_, &view_.m_Observer);
    EXPECT_EQ(view_.launches.size(), 1u);  // the same panel again
    Pump();
    EXPECT_EQ(panel_.Ids(), (std::vector<UINT>{11208, 11207, 11208}));

    menu.reset();
    Pump();
    EXPECT_EQ(panel_.Ids(), (std::vector<UINT>{11208, 11207, 11208, 11224}));
}

// A panel that has gone away counts as none: the next show launches a new
// one and nothing is posted to the old handle.
TEST_F(SubMenus, PanelSubMenuRelaunchesADeadPanel) {
    AddEcp(L"PANEL");
    MyMenuItem owner;
    owner.m_Id = L"PANEL";
    ECPSubMenu menu;
    menu.m_pOwnerItem = &owner;
    ASSERT_TRUE(menu.CreateMenu(L"ecpmenuitem"));
    view_.m_Observer.m_HoverText = L"lake";
    menu.ShowAt(RECT{100, 100, 120, 119}, &view_, &view_.m_Observer);
    ASSERT_EQ(view_.launches.size(), 1u);
    EXPECT_EQ(view_.launches[0].record->m_QueryText, L"lake");
    EXPECT_EQ(view_.launches[0].record->m_CurrentUrl, L"lake");
    ::ShowWindow(menu.hwnd(), SW_HIDE);
    panel_.Destroy();
    ASSERT_FALSE(::IsWindow(menu.m_hPanel));

    DummyPanel second;
    ASSERT_TRUE(second.Make());
    view_.launchAnswer = second.hwnd();
    menu.ShowAt(RECT{100, 100, 120, 119}, &view_, &view_.m_Observer);
    ASSERT_EQ(view_.launches.size(), 2u);
    EXPECT_EQ(view_.launches[1].flags, 0x102u);
    EXPECT_EQ(menu.m_hPanel, second.hwnd());
    Pump();
    EXPECT_EQ(second.Ids(), (std::vector<UINT>{11208}));
}

// Without a record for the owning item: no item and no launch.
TEST_F(SubMenus, PanelSubMenuWithoutARecordBuildsNothing) {
    MyMenuItem owner;
    owner.m_Id = L"MISSING";
    ECPSubMenu menu;
    menu.m_pOwnerItem = &owner;
    ASSERT_TRUE(menu.CreateMenu(L"ecpmenuitem"));
    EXPECT_EQ(menu.m_Items.GetCount(), 0u);
    menu.ShowAt(RECT{100, 100, 120, 119}, &view_, &view_.m_Observer);
    EXPECT_TRUE(view_.launches.empty());
    EXPECT_EQ(menu.m_hPanel, nullptr);
}

// A text menu item with the panel mark opens a panel sub-menu beside it.
TEST_F(SubMenus, AMarkedItemOpensItsPanelSubMenu) {
    AddEcp(L"PANEL");
    TxMenuWin root;
    root.m_Wide = true;
    ASSERT_TRUE(root.CreateMenu(L"TxMenu", &view_, &view_.m_Observer));
    MyMenuItem* item = root.AddItem(L"Dictionary", L"PANEL", 0);
    item->m_HasEcpMenu = true;
    root.ShowAt(RECT{100, 100, 110, 100}, &view_, &view_.m_Observer);
    ::SendMessageW(root.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(40, 5));
    ::SendMessageW(root.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(40, 5));
    auto* sub = dynamic_cast<ECPSubMenu*>(item->m_pSubMenu.get());
    ASSERT_TRUE(sub);
    EXPECT_TRUE(sub->IsVisible());
    EXPECT_EQ(view_.launches.size(), 1u);
    wchar_t name[32] = {};
    ::GetWindowTextW(sub->hwnd(), name, 32);
    EXPECT_STREQ(name, L"ecpmenuitem");
    // Hiding the root menu hides the sub-menu and, through it, the panel.
    root.HideMenu();
    EXPECT_FALSE(sub->IsVisible());
    Pump();
    EXPECT_EQ(panel_.Ids(), (std::vector<UINT>{11208, 11207}));
}

TEST_F(SubMenus, ApplicationMenuItems) {
    AppMenu menu;
    ASSERT_TRUE(menu.CreateMenu(L"AppMenu", &view_, &view_.m_Observer));
    EXPECT_EQ(Ids(menu), (std::vector<std::wstring>{L"Set", L"Help", L"NF", L"RB", L"RN", L"AB", L"-", L"DM", L"-",
                                                     L"SD"}));
    EXPECT_EQ(Texts(menu),
              (std::vector<std::wstring>{L"Settings", L"Help", L"Suggest New Feature", L"Report Bug",
                                         L"Release Notes", L"About Pondrel", L"-", L"Set Debug On", L"-",
                                         L"Shutdown"}));
    ASSERT_TRUE(menu.m_pDebugItem);
    EXPECT_EQ(menu.m_pDebugItem->m_Id, L"DM");
    for (size_t i = 0; i < menu.m_Items.GetCount(); ++i) EXPECT_EQ(menu.m_Items.GetAt(i)->m_Data, 0);
}

// Releasing the button hands the hot item's code to the application (here
// "SD": WM_QUIT to the main window) and hides the menu; no new hit test.
TEST_F(SubMenus, ApplicationMenuChoiceRunsTheHotItemsCommand) {
    AppMenu menu;
    ASSERT_TRUE(menu.CreateMenu(L"AppMenu", &view_, &view_.m_Observer));
    HWND main = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    HWND before = GetSharedMainWindow();
    SetSharedMainWindow(main);
    menu.ShowAt(RECT{100, 100, 100, 100}, &view_, &view_.m_Observer);
    menu.m_Items.m_HotIndex = 9;  // Shutdown; the release is over "Settings"
    menu.m_Items.GetAt(9)->m_Disabled = true;  // not looked at
    ::SendMessageW(menu.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(20, 5));
    SetSharedMainWindow(before);
    MSG msg;
    EXPECT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, main);
    EXPECT_FALSE(menu.IsVisible());
    // A separator hot: nothing runs, the menu hides.
    menu.ShowAt(RECT{100, 100, 100, 100}, &view_, &view_.m_Observer);
    menu.m_Items.m_HotIndex = 6;
    SetSharedMainWindow(main);
    ::SendMessageW(menu.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(20, 5));
    SetSharedMainWindow(before);
    EXPECT_FALSE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_FALSE(menu.IsVisible());
    ::DestroyWindow(main);
}

// The application item of a text menu opens the same items as "PNDR"; its
// choices are dropped while a menu panel is open.
TEST_F(SubMenus, ApplicationSubMenuOfTheTextMenu) {
    TxMenuWin root;
    ASSERT_TRUE(root.CreateMenu(L"TxMenu", &view_, &view_.m_Observer));
    MyMenuItem* app = root.AddItem(L"PondRel", L"5000", 5000);
    app->m_Index = 0;
    root.ShowAt(RECT{100, 100, 110, 100}, &view_, &view_.m_Observer);
    ::SendMessageW(root.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(40, 5));
    ::SendMessageW(root.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(40, 5));
    auto* sub = dynamic_cast<PondrelSubMenu*>(app->m_pSubMenu.get());
    ASSERT_TRUE(sub);
    EXPECT_EQ(sub->m_Items.GetCount(), 10u);
    wchar_t name[32] = {};
    ::GetWindowTextW(sub->hwnd(), name, 32);
    EXPECT_STREQ(name, L"PNDR");

    HWND main = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    HWND before = GetSharedMainWindow();
    SetSharedMainWindow(main);
    int dummy = 0;
    view_.m_pMenuPanel = &dummy;
    sub->OnItemChosen(sub->m_Items.GetAt(9));
    MSG msg;
    EXPECT_FALSE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    view_.m_pMenuPanel = nullptr;
    sub->OnItemChosen(sub->m_Items.GetAt(9));
    SetSharedMainWindow(before);
    EXPECT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    ::DestroyWindow(main);
}

class SearchMenus : public SubMenus {
protected:
    void SetUp() override {
        SubMenus::SetUp();
        auto thread = std::make_unique<IdlePanel>();
        owner_ = thread.get();
        UserSetting ecp;
        ecp.m_Id = L"OWNER";
        view_.m_Panels.Add(std::move(thread), ecp);
        view_.m_Panels.SetWindow(owner_, panel_.hwnd());
        menu_.m_pOwnerView = &view_;
        menu_.m_hOwnerPanel = panel_.hwnd();
    }
    void TearDown() override {
        view_.m_Panels.Remove(owner_);
        view_.m_Panels.ReapEnded();
        SubMenus::TearDown();
    }
    panels::PanelThread* owner_ = nullptr;
    SearchMenu menu_;
};

// A search opens its URL as it is; a panel item's record becomes the owner
// panel's next record with the item's token and best-guess flag, and 11201
// tells the panel (lParam 0 for a best guess, 1 otherwise).
TEST_F(SearchMenus, ChoicesOpenTheUrlOrHandTheRecordToThePanel) {
    UserSetting* record = AddEcp(L"PANEL");
    record->m_Name = L"Dictionary";
    MyMenuItem* search = menu_.AddItem(L"Web", L"S", 0);
    search->m_Type = L"http://example.test/find?q={pq_token}";
    menu_.OnItemChosen(search);
    EXPECT_EQ(view_.urls, std::vector<std::wstring>{L"http://example.test/find?q={pq_token}"});

    MyMenuItem* guess = menu_.AddItem(L"Guess", L"PANEL", 0);
    guess->m_Token = L"pond life";
    guess->m_Counted = true;
    guess->m_Options = true;
    menu_.OnItemChosen(guess);
    {
        fx::ScopedLock lock(g_PanelRecordLock);
        EXPECT_EQ(owner_->m_Next.m_Id, L"PANEL");
        EXPECT_EQ(owner_->m_Next.m_Name, L"Dictionary");
        EXPECT_EQ(owner_->m_Next.m_QueryText, L"pond life");
        EXPECT_EQ(owner_->m_Next.m_Counted, 1);
    }
    EXPECT_EQ(record->m_Transient, 1u);

    MyMenuItem* plain = menu_.AddItem(L"Plain", L"PANEL", 0);
    plain->m_Token = L"lake";
    plain->m_Type = L"PQ_DEFAULT";
    menu_.OnItemChosen(plain);
    Pump();
    ASSERT_EQ(panel_.Messages().size(), 2u);
    EXPECT_EQ(panel_.Messages()[0].msg, 11201u);
    EXPECT_EQ(panel_.Messages()[0].wp, 1u);
    EXPECT_EQ(panel_.Messages()[0].lp, 0);
    EXPECT_EQ(panel_.Messages()[1].wp, 1u);
    EXPECT_EQ(panel_.Messages()[1].lp, 1);
    {
        fx::ScopedLock lock(g_PanelRecordLock);
        EXPECT_EQ(owner_->m_Next.m_QueryText, L"lake");
        EXPECT_EQ(owner_->m_Next.m_Counted, 0);
    }
    EXPECT_EQ(view_.urls.size(), 1u);
}

// A missing record, an item with data, or an owner panel that has closed:
// nothing happens.
TEST_F(SearchMenus, NothingForAMissingRecordOrAClosedPanel) {
    AddEcp(L"PANEL");
    MyMenuItem* missing = menu_.AddItem(L"Gone", L"NO-RECORD", 0);
    menu_.OnItemChosen(missing);
    MyMenuItem* category = menu_.AddItem(L"Category", L"PANEL", 3);
    menu_.OnItemChosen(category);
    menu_.OnItemChosen(nullptr);
    view_.m_Panels.Remove(owner_);
    MyMenuItem* panelItem = menu_.AddItem(L"Panel", L"PANEL", 0);
    menu_.OnItemChosen(panelItem);
    Pump();
    EXPECT_TRUE(panel_.Messages().empty());
    EXPECT_TRUE(view_.urls.empty());
    fx::ScopedLock lock(g_PanelRecordLock);
    EXPECT_TRUE(owner_->m_Next.m_Id.empty());
}

}  // namespace
