// The tray menu under Wine: its items from a settings fixture, the disabled
// flags at paint, a disabled item keeping the menu open, the switch changing
// its item and the tray's look, link and panel choices and Exit.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/core/common/AppMessages.h"
#include "app/core/config/Settings.h"
#include "app/core/config/UserSetting.h"
#include "app/core/config/XmlConfig.h"
#include "app/tests/support/LaunchRecorder.h"
#include "app/tests/support/RecordsFixture.h"
#include "app/tests/support/RecordingShell.h"
#include "app/core/main/PondrelApp.h"
#include "app/core/main/PondrelDoc.h"
#include "app/selection/controller/BrowserTreeView.h"
#include "app/selection/menus/TrayMenu.h"
#include "app/tests/support/MenuTestEnv.h"
#include "fx/Window.h"
#include "tests/support/GdiplusTestEnv.h"
#include "tests/support/MessageRecorder.h"
#include "tests/support/TestSupport.h"

namespace {

// The menus' environment, and the texts the tray menu's items show.
class WindowClassesEnv : public MenuWindowsEnv {
public:
    void SetUp() override {
        MenuWindowsEnv::SetUp();
        theApp.LoadStringResources();
    }
};
const auto* const kEnv = ::testing::AddGlobalTestEnvironment(new WindowClassesEnv);

using RecordingView = LaunchRecorder<BrowserTreeView>;

const char kSettings[] = R"(<?xml version="1.0"?>
<init>
  <tray><menu>
    <item><text>Panel One</text><ecp>E1</ecp><divider>before</divider></item>
    <item><text>Web Site</text><url>http://example.test/site</url><divider>After</divider></item>
    <item><text>Both</text><ecp>E1</ecp><url>http://example.test/both</url></item>
    <item><text>No Record</text><ecp>MISSING</ecp></item>
  </menu></tray>
</init>
)";

class TrayMenuTest : public apptest::RecordsFixture {
protected:
    TrayMenuTest() : RecordsFixture({{L"E1", L"Panel One", L"E1"}}) {}
    void SetUp() override {
        RecordsFixture::SetUp();
        record_ = Record(L"E1");
        path_ = WriteMenuFixture(L"tray-settings.xml", kSettings);
        theApp.m_pSettings = new XmlConfig(path_.c_str());
        theApp.m_pSettings->LoadLists();
        theApp.m_SettingsLoaded = true;
        theApp.m_Online = true;
        theApp.m_Starting = false;
        theApp.m_Disabled = false;
        theApp.m_UpdateState = 0;
        theApp.m_DownloadTried = true;
        theApp.m_Tray.SetShell(&shell_);
        theApp.m_Tray.Create(nullptr, L"tip", ::LoadIconW(nullptr, IDI_APPLICATION));
        menu_ = std::make_unique<TrayMenu>();
        ASSERT_TRUE(menu_->CreateMenu(L"TrayMenu", &view_, nullptr));
    }
    void TearDown() override {
        menu_.reset();
        theApp.m_Tray.RemoveIcon();
        theApp.m_Tray.SetShell(&RealTrayShell());
        theApp.m_Tray.Destroy();
        theApp.DeleteSettingsReader();
        theApp.m_SettingsLoaded = false;
        theApp.m_Disabled = false;
        ::DeleteFileW(path_.c_str());
        RecordsFixture::TearDown();
    }
    std::vector<std::wstring> Texts() {
        std::vector<std::wstring> out;
        for (size_t i = 0; i < menu_->m_Items.GetCount(); ++i) {
            const MyMenuItem& item = *menu_->m_Items.GetAt(i);
            out.push_back(item.m_Separator ? L"-" : item.m_Text);
        }
        return out;
    }
    int IndexOf(const std::wstring& text) {
        for (size_t i = 0; i < menu_->m_Items.GetCount(); ++i)
            if (menu_->m_Items.GetAt(i)->m_Text == text) return static_cast<int>(i);
        return -1;
    }
    MyMenuItem* Item(const std::wstring& text) { return menu_->m_Items.GetAt(static_cast<size_t>(IndexOf(text))); }
    // Shows the menu, makes the item hot and releases the button on it.
    void ClickOn(const std::wstring& text) {
        menu_->ShowAt(RECT{100, 100, 100, 100}, &view_, nullptr);
        menu_->RefreshItems();
        menu_->m_Items.m_HotIndex = IndexOf(text);
        ::SendMessageW(menu_->hwnd(), WM_LBUTTONUP, 0, 0);
    }

    UserSetting* record_ = nullptr;
    std::wstring path_;
    RecordingView view_;
    apptest::RecordingShell shell_;
    std::unique_ptr<TrayMenu> menu_;
};

TEST_F(TrayMenuTest, ItemsFromTheSettings) {
    EXPECT_EQ(Texts(), (std::vector<std::wstring>{L"-", L"Panel One", L"Web Site", L"-", L"Both", L"No Record", L"-",
                                                  L"Check for Update", L"Disable", L"Exit"}));
    EXPECT_EQ(Item(L"Check for Update")->m_Index, 777);
    EXPECT_EQ(Item(L"Web Site")->m_Type, L"http://example.test/site");
    EXPECT_EQ(Item(L"Panel One")->m_Id, L"E1");

    // Without settings: the switch and Exit only.
    theApp.m_SettingsLoaded = false;
    menu_->ClearItems();
    menu_->BuildItems();
    EXPECT_EQ(Texts(), (std::vector<std::wstring>{L"Disable", L"Exit"}));
}

// Each configured item may name an icon to download: a document of a
// hundred items shows the first kMaxConfiguredItems.
TEST_F(TrayMenuTest, NoMoreConfiguredItemsThanTheBound) {
    std::string items;
    for (int i = 0; i < 100; ++i) items += "<item><text>Item " + std::to_string(i) + "</text></item>";
    const std::wstring many = WriteMenuFixture(L"tray-many.xml", "<init><tray><menu>" + items + "</menu></tray></init>");
    theApp.DeleteSettingsReader();
    theApp.m_pSettings = new XmlConfig(many.c_str());
    menu_->ClearItems();
    menu_->BuildItems();
    size_t configured = 0;
    for (const std::wstring& text : Texts()) configured += text.rfind(L"Item ", 0) == 0;
    EXPECT_EQ(configured, tray_menu::kMaxConfiguredItems);
    EXPECT_EQ(IndexOf(L"Item 32"), -1);
    EXPECT_NE(IndexOf(L"Item 31"), -1);
    ::DeleteFileW(many.c_str());
}

TEST_F(TrayMenuTest, DisabledFlagsFollowTheStateAtEveryRefresh) {
    struct Case {
        bool online, disabled;
        bool panel, link, update, toggle, exit;
    } cases[] = {
        {true, false, false, false, false, false, false},
        {false, false, true, true, true, false, false},
        {true, true, true, false, true, false, false},
    };
    for (const Case& c : cases) {
        theApp.m_Online = c.online;
        theApp.m_Disabled = c.disabled;
        menu_->RefreshItems();
        EXPECT_EQ(Item(L"Panel One")->m_Disabled, c.panel);
        EXPECT_EQ(Item(L"Web Site")->m_Disabled, c.link);
        EXPECT_EQ(Item(L"Check for Update")->m_Disabled, c.update);
        EXPECT_EQ(Item(L"Disable")->m_Disabled, c.toggle);
        EXPECT_EQ(Item(L"Exit")->m_Disabled, c.exit);
    }
}

TEST_F(TrayMenuTest, ADisabledItemKeepsTheMenuOpen) {
    theApp.m_Online = false;
    ClickOn(L"Web Site");
    EXPECT_TRUE(menu_->IsVisible());
    EXPECT_TRUE(view_.urls.empty());
    theApp.m_Online = true;
    ClickOn(L"Web Site");
    EXPECT_FALSE(menu_->IsVisible());
    EXPECT_EQ(view_.urls, (std::vector<std::wstring>{L"http://example.test/site"}));
}

TEST_F(TrayMenuTest, AnItemWithAPanelAndAUrlOpensTheUrlOnly) {
    ClickOn(L"Both");
    EXPECT_EQ(view_.urls, (std::vector<std::wstring>{L"http://example.test/both"}));
    EXPECT_TRUE(view_.launches.empty());
}

TEST_F(TrayMenuTest, APanelItemLaunchesItsPanel) {
    ClickOn(L"Panel One");
    ASSERT_EQ(view_.launches.size(), 1u);
    const RecordingView::Launch& l = view_.launches[0];
    EXPECT_EQ(l.record, record_);
    EXPECT_EQ(l.anchor.left, 0);
    EXPECT_EQ(l.anchor.top, 0);
    EXPECT_EQ(l.anchor.right, 20);
    EXPECT_EQ(l.anchor.bottom, 20);
    EXPECT_EQ(l.title, L"Tray Menu");
    EXPECT_EQ(l.flags, 1u);
    EXPECT_EQ(record_->m_Transient, 1u);
    EXPECT_EQ(record_->m_Counted, 0);
    EXPECT_EQ(record_->m_QueryText, L"PondRel");
    // A configured panel without a record does nothing.
    ClickOn(L"No Record");
    EXPECT_EQ(view_.launches.size(), 1u);
}

TEST_F(TrayMenuTest, TheSwitchTurnsTheProgramOffAndBackOn) {
    ClickOn(L"Disable");
    EXPECT_TRUE(theApp.m_Disabled);
    EXPECT_EQ(IndexOf(L"Disable"), -1);
    EXPECT_NE(IndexOf(L"Enable"), -1);
    EXPECT_EQ(shell_.LastTip(), L"PondRel - Disabled and Online");
    menu_->RefreshItems();
    EXPECT_TRUE(Item(L"Panel One")->m_Disabled);
    ClickOn(L"Enable");
    EXPECT_FALSE(theApp.m_Disabled);
    EXPECT_NE(IndexOf(L"Disable"), -1);
    EXPECT_EQ(shell_.LastTip(), L"PondRel - Enabled and Online");
}

// The update item in each update state: a check that finds no new version
// says so in a balloon; a reported version starts the setup download; the
// item's text follows the state, and while the download runs it is
// disabled and keeps the menu open.
TEST_F(TrayMenuTest, TheUpdateItemChecksOrStartsTheDownload) {
    // Plays the setup download's thread window: records the download requests.
    testsupport::MessageRecorder download(back_thread_msg::kDownload, back_thread_msg::kDownload);
    ASSERT_TRUE(download.Make());
    theApp.m_hBackThreadWnd = download.hwnd();
    theApp.m_InitUrl = L"http://127.0.0.1:9/init.php";  // nothing answers: no new version
    struct Case {
        const char* name;
        int state;
        const wchar_t* text;  // the item before the click
        int stateAfter;
        const wchar_t* textAfter;
        int downloads;
        const wchar_t* balloon;  // none: nullptr
    } cases[] = {
        {"no update known", 0, L"Check for Update", 0, L"Check for Update", 0,
         L"PondRel: You are running the latest version of PondRel."},
        {"a new version reported", 4, L"Update PondRel...", 1, L"Downloading Update", 1,
         L"PondRel: A new version of PondRel is downloading and will quickly upgrade."},
        {"downloading", 1, L"Downloading Update", 1, L"Downloading Update", 0, nullptr},
    };
    for (const Case& c : cases) {
        theApp.m_UpdateState = c.state;
        theApp.m_BalloonStartsUpdate = true;
        menu_->ClearItems();
        menu_->BuildItems();
        shell_.calls.clear();
        download.Clear();
        ASSERT_NE(IndexOf(c.text), -1) << c.name;
        ClickOn(c.text);
        EXPECT_EQ(theApp.m_UpdateState, c.stateAfter) << c.name;
        EXPECT_NE(IndexOf(c.textAfter), -1) << c.name;
        EXPECT_EQ(Item(c.textAfter)->m_Index, 777) << c.name;
        testsupport::WaitFor([&] { return static_cast<int>(download.Count(back_thread_msg::kDownload)) >= c.downloads; }, 2000);
        EXPECT_EQ(static_cast<int>(download.Count(back_thread_msg::kDownload)), c.downloads) << c.name;
        if (c.balloon) {
            EXPECT_EQ(shell_.BalloonLines(), std::vector<std::wstring>{c.balloon}) << c.name;
            EXPECT_FALSE(theApp.m_BalloonStartsUpdate) << c.name;
            EXPECT_FALSE(menu_->IsVisible()) << c.name;
        } else {
            EXPECT_TRUE(shell_.BalloonLines().empty()) << c.name;
            EXPECT_TRUE(menu_->IsVisible()) << c.name << ": a disabled item keeps the menu open";
        }
        menu_->RefreshItems();
        EXPECT_EQ(Item(c.textAfter)->m_Disabled, c.stateAfter == 1) << c.name;
        menu_->HideMenu();
    }
    theApp.m_hBackThreadWnd = nullptr;
    theApp.m_UpdateState = 0;
}

TEST_F(TrayMenuTest, ExitAsksTheMainWindowToQuit) {
    HWND main = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    HWND before = GetSharedMainWindow();
    SetSharedMainWindow(main);
    ClickOn(L"Exit");
    SetSharedMainWindow(before);
    MSG msg;
    EXPECT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.hwnd, main);
    ::DestroyWindow(main);
}

}  // namespace
