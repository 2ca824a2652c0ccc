// The application commands under Wine, through the controller the document
// owns: every application menu code and every command message with what it
// does (the panel launched, recorded by the controller's launcher seam; the
// switches flipped; the menus hidden; the file opened; the quit posted), the
// codes without a record launching nothing, the context menu's toggle, the
// bug report and the about box (closed by a watcher).
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/core/common/GlobalLocks.h"
#include "app/core/config/Settings.h"
#include "app/core/config/UserSetting.h"
#include "app/core/main/PondrelApp.h"
#include "app/core/main/PondrelDoc.h"
#include "app/selection/controller/BrowserTreeView.h"
#include "app/selection/menus/AppMenu.h"
#include "app/panels/dock/DockThread.h"
#include "app/panels/dockitems/DockItems.h"
#include "tests/support/GdiplusTestEnv.h"
#include "tests/support/TestSupport.h"

namespace {

using testsupport::WaitFor;

class Env : public ::testing::Environment {
public:
    void SetUp() override {
        RegisterPondrelWindowClasses(::GetModuleHandleW(nullptr));
        theApp.m_Graphics.Load(L"C:\\no-such-install\\");
    }
    void TearDown() override { theApp.m_Graphics.Free(); }
};
const auto* const kEnv = ::testing::AddGlobalTestEnvironment(new Env);

struct Launch {
    RECT anchor;
    UserSetting* record;
    std::wstring text, title;
    DWORD flags;
};

// The controller with its launcher recorded, made as the document makes it
// (its window a child of a window of its own).
class RecordingView : public BrowserTreeView {
public:
    std::vector<Launch> launches;
    HWND parent = nullptr;
    ~RecordingView() override {
        Destroy();
        if (parent) ::DestroyWindow(parent);
    }
    bool CreateControllerWindow(HWND, const RECT& rc, UINT id) override {
        parent = ::CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED, 0, 0, 400, 300, nullptr, nullptr, nullptr,
                                   nullptr);
        return BrowserTreeView::CreateControllerWindow(parent, rc, id);
    }
    HWND LaunchEcp(const RECT& anchor, UserSetting* record, const std::wstring& text, const std::wstring& title,
                   DWORD flags) override {
        launches.push_back({anchor, record, text, title, flags});
        return nullptr;
    }
};

struct ShellCall {
    std::wstring file, parameters;
    bool verbOrDirectory;
    INT show;
};
std::vector<ShellCall> g_ShellCalls;
HINSTANCE WINAPI RecordShellExecute(HWND, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory,
                                    INT show) {
    g_ShellCalls.push_back({file ? file : L"", parameters ? parameters : L"", verb || directory, show});
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(33));
}

class AppCommands : public testing::Test {
protected:
    void SetUp() override {
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        theApp.m_Starting = true;  // the heartbeat does nothing
        theApp.m_UserId = L"USER-42";
        theApp.m_Version = L" (Build 50";
        theApp.m_DebugMode = false;
        theApp.m_EnhancersOff = false;
        theApp.m_ClickOutsOff = false;
        theApp.m_ContextPanelKey = 0;
        theApp.m_ShellExecute = RecordShellExecute;
        g_ShellCalls.clear();
        doc_ = std::make_unique<CPondrelDoc>();
        doc_->CreateProvidersPane();
        theApp.m_pDoc = doc_.get();
        auto view = std::make_unique<RecordingView>();
        view_ = view.get();
        doc_->CreateController(std::move(view));
        ASSERT_TRUE(view_->hwnd());
        main_ = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        mainBefore_ = GetSharedMainWindow();
        SetSharedMainWindow(main_);
    }
    void TearDown() override {
        SetSharedMainWindow(mainBefore_);
        ::DestroyWindow(main_);
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        theApp.m_ShellExecute = ::ShellExecuteW;
        doc_.reset();
        theApp.m_pDoc = nullptr;
        ::CoUninitialize();
    }
    // Every well-known panel record, each named after its role.
    void BindAll() {
        Settings* s = doc_->GetSettingsView();
        s->m_pSettingsEcp = Add(L"settings");
        s->m_pHelpEcp = Add(L"help");
        s->m_pFeedbackEcp = Add(L"feedback");
        s->m_pAboutEcp = Add(L"about");
        s->m_pSearchEcp = Add(L"search");
        s->m_pPromoEcp = Add(L"promo");
        s->m_pMobileEcp = Add(L"mobile");
        s->m_pMiniBrowserEcp = Add(L"minibrowser");
        s->m_pFeedbackEcp->m_SingleInstance = 1;
        s->m_pSearchEcp->m_QueryText = L"old query";
    }
    UserSetting* Add(const wchar_t* id) {
        auto record = std::make_unique<UserSetting>();
        record->m_Id = id;
        std::wstring defaultEcp = L"x";
        return doc_->GetSettingsView()->AddRecord(std::move(record), L"", defaultEcp);
    }
    bool QuitPosted() {
        MSG msg;
        return ::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) && msg.hwnd == main_;
    }

    std::unique_ptr<CPondrelDoc> doc_;
    RecordingView* view_ = nullptr;
    HWND main_ = nullptr, mainBefore_ = nullptr;
};

constexpr RECT kAnchor{300, 200, 400, 380};
constexpr RECT kCorner{0, 0, 20, 20};

struct Expected {
    const wchar_t* id;  // the record launched; null: no launch
    RECT anchor;
    const wchar_t* text;
    const wchar_t* title;
    DWORD flags;
};

void ExpectLaunch(const std::vector<Launch>& launches, const Expected& e, const std::wstring& what) {
    SCOPED_TRACE(what);
    if (!e.id) {
        EXPECT_TRUE(launches.empty());
        return;
    }
    ASSERT_EQ(launches.size(), 1u);
    const Launch& l = launches[0];
    ASSERT_TRUE(l.record);
    EXPECT_EQ(l.record->m_Id, e.id);
    EXPECT_TRUE(::EqualRect(&l.anchor, &e.anchor));
    EXPECT_EQ(l.text, e.text);
    EXPECT_EQ(l.title, e.title);
    EXPECT_EQ(l.flags, e.flags);
}

// The launching codes, in any case.
TEST_F(AppCommands, MenuCodesLaunchTheirPanels) {
    BindAll();
    const struct {
        const wchar_t* code;
        Expected launch;
    } cases[] = {
        {L"Set", {L"settings", kCorner, L"USER-42", L"PondRel Settings", 0}},
        {L"set", {L"settings", kCorner, L"USER-42", L"PondRel Settings", 0}},
        {L"HELP", {L"help", kAnchor, L"Help", L"PondRel Help", 0}},
        {L"nf", {L"feedback", kAnchor, L"Suggest Feature", L"Suggest Feature", 0}},
        {L"RB", {L"feedback", kAnchor, L"Bug Report", L"PondRel Bug Report", 0}},
        {L"Ab", {L"about", kAnchor, L"About Pondrel", L"PondRel Version 1.0 (Build 50)", 0}},
        {L"Settings", {nullptr, {}, L"", L"", 0}},
        {L"", {nullptr, {}, L"", L"", 0}},
    };
    for (const auto& c : cases) {
        view_->launches.clear();
        doc_->GetSettingsView()->m_pFeedbackEcp->m_SingleInstance = 1;
        theApp.OnAppMenuCommand(c.code, kAnchor);
        ExpectLaunch(view_->launches, c.launch, c.code);
    }
    // The feedback panels open as a second instance too.
    EXPECT_EQ(doc_->GetSettingsView()->m_pFeedbackEcp->m_SingleInstance, 1);
    theApp.OnAppMenuCommand(L"NF", kAnchor);
    EXPECT_EQ(doc_->GetSettingsView()->m_pFeedbackEcp->m_SingleInstance, 0);
    EXPECT_TRUE(g_ShellCalls.empty());
    EXPECT_FALSE(QuitPosted());
}

// Without the records no code and no message launches anything (the
// settings, help and about codes hand no null record to the launcher).
TEST_F(AppCommands, NothingLaunchesWithoutItsRecord) {
    for (const wchar_t* code : {L"Set", L"Help", L"NF", L"RB", L"AB"}) theApp.OnAppMenuCommand(code, kAnchor);
    for (UINT msg : {11114u, 11118u, 11121u, 11130u, 11132u, 11137u}) ::SendMessageW(view_->hwnd(), msg, 0, 0);
    theApp.OpenMiniBrowser();
    EXPECT_TRUE(view_->launches.empty());
}

// The command messages that open panels write their query text first.
TEST_F(AppCommands, CommandMessagesLaunchTheirPanels) {
    BindAll();
    const struct {
        UINT msg;
        Expected launch;
        const wchar_t* query;
    } cases[] = {
        {11114, {L"search", kCorner, L"", L"PondRel Version 1.0 (Build 50)", 0}, L""},
        {11118, {L"settings", kCorner, L"USER-42", L"PondRel Settings", 0}, L"USER-42"},
        {11121, {L"promo", kCorner, L"USER-42", L"PondRel Extras", 0}, L"USER-42"},
        {11130, {L"mobile", kCorner, L"USER-42", L"PondRel Mobile", 0}, L"USER-42"},
        {11132, {L"minibrowser", kCorner, L"USER-42", L"MiniBrowse", 0}, L"USER-42"},
        {11115, {nullptr, {}, L"", L"", 0}, nullptr},
        {11116, {nullptr, {}, L"", L"", 0}, nullptr},
    };
    for (const auto& c : cases) {
        view_->launches.clear();
        ::SendMessageW(view_->hwnd(), c.msg, 0, 0);
        ExpectLaunch(view_->launches, c.launch, std::to_wstring(c.msg));
        if (c.query) {
            EXPECT_EQ(view_->launches[0].record->m_QueryText, c.query) << c.msg;
        }
    }
    // At the end of the start-up: the MiniBrowse panel, hidden.
    view_->launches.clear();
    theApp.OpenMiniBrowser();
    ExpectLaunch(view_->launches, {L"minibrowser", kCorner, L"USER-42", L"MiniBrowse", 8}, L"start-up");
}

// The switches, the menus, the release notes, the quit and the debug item.
TEST_F(AppCommands, SwitchesMenusNotesQuitAndDebug) {
    ::SendMessageW(view_->hwnd(), 11119, 0, 0);
    EXPECT_TRUE(theApp.m_EnhancersOff);
    ::SendMessageW(view_->hwnd(), 11119, 0, 0);
    EXPECT_FALSE(theApp.m_EnhancersOff);
    ::SendMessageW(view_->hwnd(), 11120, 0, 0);
    EXPECT_TRUE(theApp.m_ClickOutsOff);
    ::SendMessageW(view_->hwnd(), 11120, 0, 0);
    EXPECT_FALSE(theApp.m_ClickOutsOff);

    // 11136 hides the root menus.
    for (TxMenuWin* menu : {static_cast<TxMenuWin*>(view_->m_pTextMenu.get()), view_->m_pAppMenu.get()})
        menu->ShowAt(RECT{50, 50, 60, 60}, view_, &view_->m_Observer);
    ASSERT_TRUE(view_->m_pAppMenu->IsVisible());
    ::SendMessageW(view_->hwnd(), 11136, 0, 0);
    EXPECT_FALSE(view_->m_pAppMenu->IsVisible());
    EXPECT_FALSE(view_->m_pTextMenu->IsVisible());

    // "RN": the text menu hidden, the notes opened with Notepad.
    view_->m_pTextMenu->ShowAt(RECT{50, 50, 60, 60}, view_, &view_->m_Observer);
    theApp.OnAppMenuCommand(L"rn", kAnchor);
    EXPECT_FALSE(view_->m_pTextMenu->IsVisible());
    ASSERT_EQ(g_ShellCalls.size(), 1u);
    EXPECT_EQ(g_ShellCalls[0].file, L"Notepad.exe");
    EXPECT_EQ(g_ShellCalls[0].parameters, L"Pondrel Release Notes.txt");
    EXPECT_FALSE(g_ShellCalls[0].verbOrDirectory);
    EXPECT_EQ(g_ShellCalls[0].show, SW_SHOWNORMAL);

    // "SD": WM_QUIT to the main window.
    EXPECT_FALSE(QuitPosted());
    theApp.OnAppMenuCommand(L"sd", kAnchor);
    EXPECT_TRUE(QuitPosted());

    // "DM" flips the debug mode and the application menu's item.
    ASSERT_TRUE(view_->m_pAppMenu->m_pDebugItem);
    theApp.OnAppMenuCommand(L"DM", kAnchor);
    EXPECT_TRUE(theApp.m_DebugMode);
    EXPECT_EQ(view_->m_pAppMenu->m_pDebugItem->m_Text, L"Set Debug Off");
    theApp.OnAppMenuCommand(L"dm", kAnchor);
    EXPECT_FALSE(theApp.m_DebugMode);
    EXPECT_EQ(view_->m_pAppMenu->m_pDebugItem->m_Text, L"Set Debug On");
    EXPECT_TRUE(view_->launches.empty());
}

// The application menu's choice goes through the application: "Help" opens
// the help panel at the controller's window.
TEST_F(AppCommands, ApplicationMenuChoiceReachesTheApplication) {
    BindAll();
    AppMenu& menu = static_cast<AppMenu&>(*view_->m_pAppMenu);
    menu.ShowAt(RECT{50, 50, 60, 60}, view_, &view_->m_Observer);
    menu.m_Items.m_HotIndex = 1;
    ::SendMessageW(menu.hwnd(), WM_LBUTTONUP, 0, 0);
    RECT controller{};
    ::GetWindowRect(view_->hwnd(), &controller);
    ExpectLaunch(view_->launches, {L"help", controller, L"Help", L"PondRel Help", 0}, L"Help");
    EXPECT_FALSE(menu.IsVisible());
}

// 11137 opens the record the panel named, with its token and URL as its
// query text and context, at its rectangle, in the tray placement; an
// unknown identifier opens nothing.
TEST_F(AppCommands, ReportBugOpensTheNamedRecord) {
    UserSetting* record = Add(L"BUG-PANEL");
    {
        fx::ScopedLock lock(g_PanelRecordLock);
        view_->m_LastInnerEcp = L"BUG-PANEL";
        view_->m_ReportToken = L"pond life";
        view_->m_ReportUrl = L"http://example.test/page";
        view_->m_ReportRect = RECT{10, 20, 110, 220};
    }
    ::SendMessageW(view_->hwnd(), 11137, 0, 0);
    ExpectLaunch(view_->launches, {L"BUG-PANEL", RECT{10, 20, 110, 220}, L"pond life", L"Report PondRel Bug", 0x80},
                 L"report");
    EXPECT_EQ(record->m_QueryText, L"pond life");
    EXPECT_EQ(record->m_Context, L"http://example.test/page");

    view_->launches.clear();
    {
        fx::ScopedLock lock(g_PanelRecordLock);
        view_->m_LastInnerEcp = L"bug-panel";  // identifiers match exactly
    }
    ::SendMessageW(view_->hwnd(), 11137, 0, 0);
    EXPECT_TRUE(view_->launches.empty());
}

// 11135 twice with the same panel opens and closes the search menu; another
// panel's key reopens it for that panel, at the place the panel left.
TEST_F(AppCommands, ContextMenuToggle) {
    SearchMenu& menu = *view_->m_pSearchMenu;
    HWND first = reinterpret_cast<HWND>(static_cast<LONG_PTR>(0x1010));
    HWND second = reinterpret_cast<HWND>(static_cast<LONG_PTR>(0x2020));
    auto post = [&](HWND panel, const RECT& anchor) {
        {
            auto context = menu.m_Context.Lock();
            context->anchor = anchor;
            context->panel = panel;
            context->mode = 3;
        }
        ::SendMessageW(view_->hwnd(), 11135, 0, reinterpret_cast<LPARAM>(panel));
    };
    post(first, RECT{100, 100, 110, 101});
    EXPECT_TRUE(menu.IsVisible());
    EXPECT_EQ(menu.m_hOwnerPanel, first);
    EXPECT_EQ(menu.m_Mode, 3);
    EXPECT_EQ(theApp.m_ContextPanelKey, reinterpret_cast<LONG_PTR>(first));
    RECT r{};
    ::GetWindowRect(menu.hwnd(), &r);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 101);

    post(first, RECT{100, 100, 110, 101});
    EXPECT_FALSE(menu.IsVisible());
    EXPECT_EQ(theApp.m_ContextPanelKey, 0);

    post(first, RECT{100, 100, 110, 101});
    EXPECT_TRUE(menu.IsVisible());
    post(second, RECT{200, 150, 210, 151});
    EXPECT_TRUE(menu.IsVisible());
    EXPECT_EQ(menu.m_hOwnerPanel, second);
    EXPECT_EQ(theApp.m_ContextPanelKey, reinterpret_cast<LONG_PTR>(second));
    ::GetWindowRect(menu.hwnd(), &r);
    EXPECT_EQ(r.left, 200);
}

// 11113 through the controller's window: the save dialog's file written with
// the dock's contents; 11112: the open dialog's file loaded into the dock,
// which reads nothing and changes nothing.  Both leave the install directory
// current, also after a cancel.
std::wstring g_ContentsPath;
int g_Asked[2] = {0, 0};  // open, save
bool AskContents(bool save, std::wstring* path) {
    ++g_Asked[save ? 1 : 0];
    if (g_ContentsPath.empty()) return false;  // cancelled
    *path = g_ContentsPath;
    return true;
}

std::string FileBytes(const std::wstring& path) {
    std::string bytes;
    HANDLE f = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return bytes;
    char buffer[256];
    DWORD got = 0;
    while (::ReadFile(f, buffer, sizeof(buffer), &got, nullptr) && got) bytes.append(buffer, got);
    ::CloseHandle(f);
    return bytes;
}

TEST_F(AppCommands, ContentsMessagesSaveAndLoadTheDock) {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring install = std::wstring(temp) + L"app_commands_contents\\";
    ::CreateDirectoryW(install.c_str(), nullptr);
    const std::wstring installBefore = theApp.m_InstallDir;
    theApp.m_InstallDir = install;
    theApp.m_pDock = MakeDock(nullptr);
    ASSERT_NE(theApp.m_pDock, nullptr);
    theApp.m_AskContentsPath = AskContents;
    g_Asked[0] = g_Asked[1] = 0;
    auto current = [] {
        wchar_t dir[MAX_PATH] = {};
        ::GetCurrentDirectoryW(MAX_PATH, dir);
        return std::wstring(dir) + L"\\";
    };

    g_ContentsPath = install + L"layout.pqd";
    ::DeleteFileW(g_ContentsPath.c_str());
    ::SetCurrentDirectoryW(L"C:\\");
    ::SendMessageW(view_->hwnd(), 11113, 0, 0);
    EXPECT_EQ(g_Asked[1], 1);
    const std::vector<uint8_t> allDone = dock::ArchiveStringBytes(u"AllDone");
    EXPECT_EQ(FileBytes(g_ContentsPath), std::string(allDone.begin(), allDone.end()));
    EXPECT_EQ(current(), install);

    size_t items = 0;
    {
        fx::ScopedLock hold(g_DockLock);
        items = dockitems::Items().size();
    }
    ::SetCurrentDirectoryW(L"C:\\");
    ::SendMessageW(view_->hwnd(), 11112, 0, 0);
    EXPECT_EQ(g_Asked[0], 1);
    EXPECT_EQ(current(), install);
    {
        fx::ScopedLock hold(g_DockLock);
        EXPECT_EQ(dockitems::Items().size(), items);
    }

    // Cancelled: nothing written, the install directory current all the same.
    g_ContentsPath.clear();
    ::DeleteFileW((install + L"layout.pqd").c_str());
    ::SetCurrentDirectoryW(L"C:\\");
    ::SendMessageW(view_->hwnd(), 11113, 0, 0);
    EXPECT_EQ(g_Asked[1], 2);
    EXPECT_EQ(::GetFileAttributesW((install + L"layout.pqd").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(current(), install);

    theApp.m_AskContentsPath = nullptr;
    theApp.m_pDock->Thread().Quit(5000);
    theApp.m_pDock.reset();
    theApp.m_InstallDir = installBefore;
}

// The framework's about command shows the about box on its template; a
// watcher reads it and presses OK.
TEST_F(AppCommands, AboutBoxShownAndClosed) {
    testsupport::AnswerDialog watcher(L"About Pondrel", 10000);
    ::SendMessageW(main_, WM_NULL, 0, 0);
    theApp.OnAppAbout();
    EXPECT_TRUE(watcher.Join());
    std::wstring version;
    for (const std::wstring& text : watcher.Texts())
        if (text.find(L"Version") != std::wstring::npos) version = text;
    EXPECT_EQ(version, L"Pondrel Version 1.0");
}

}  // namespace
