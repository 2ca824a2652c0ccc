// The document, the hidden main frame and its panes made through the program's
// document template, with a recording controller: the frame's window, the
// child-window tree of the page, closing, the tray's open command and the
// raw-input handler's calls on the controller.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/tests/support/RecordingController.h"
#include "app/core/frame/MainFrame.h"
#include "app/core/frame/MainView.h"
#include "app/core/frame/MasterView.h"
#include "app/core/main/PondrelApp.h"
#include "app/core/main/PondrelDoc.h"
#include "app/core/frame/ProvidersDlg.h"
#include "app/core/common/Resource.h"
#include "app/core/config/Settings.h"

namespace {

const wchar_t* const kSearchId = L"11111111-2222-3333-4444-555555555555";

std::unique_ptr<UserSetting> Record(const wchar_t* id) {
    auto r = std::make_unique<UserSetting>();
    r->m_Id = id;
    r->m_Name = id;
    return r;
}

RECT ChildRect(HWND child) {
    RECT rc{};
    ::GetWindowRect(child, &rc);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

class MainFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::InitCommonControls();
        theApp.m_Starting = true;
        template_ = fx::SingleDocTemplate::Of<CPondrelDoc, CMainFrame, MainView>(IDR_MAINFRAME);
        ASSERT_TRUE(template_->OpenNewDocument());
        theApp.m_pMainWnd = template_->frame();
        doc_ = theApp.m_pDoc;
        ASSERT_EQ(doc_, template_->document()) << "the new document is the application's";
        frame_ = static_cast<CMainFrame*>(template_->frame());
        doc_->CreateMasterView();
        doc_->CreateProvidersPane();
        auto controller = std::make_unique<RecordingController>();
        controller_ = controller.get();
        doc_->CreateController(std::move(controller));
        theApp.m_Starting = false;
        theApp.m_Online = true;
        theApp.m_SettingsLoaded = true;
        theApp.m_Disabled = false;
        theApp.m_Version = L"50";
    }
    void TearDown() override {
        theApp.m_pMainWnd = nullptr;
        template_.reset();
        EXPECT_EQ(theApp.m_pDoc, nullptr);
        theApp.m_Starting = true;
    }

    void AddSearchRecord() {
        std::wstring defaultEcp;
        doc_->GetSettingsView()->AddRecord(Record(kSearchId), kSearchId, defaultEcp);
    }

    std::unique_ptr<fx::SingleDocTemplate> template_;
    CPondrelDoc* doc_ = nullptr;
    CMainFrame* frame_ = nullptr;
    RecordingController* controller_ = nullptr;
};

TEST_F(MainFrameTest, FrameIsAHiddenFixedSizeSettingsWindow) {
    HWND h = frame_->hwnd();
    wchar_t title[64] = L"";
    ::GetWindowTextW(h, title, 64);
    EXPECT_STREQ(title, L"PondRel Settings");
    LONG style = ::GetWindowLongW(h, GWL_STYLE);
    EXPECT_EQ(style & 0x02C80000, 0x02C80000);
    EXPECT_EQ(style & (WS_VISIBLE | WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX | WS_CHILD), 0);
    EXPECT_EQ(::GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_NOPARENTNOTIFY, WS_EX_NOPARENTNOTIFY);
    EXPECT_EQ(::GetMenu(h), nullptr);
    RECT rc;
    ::GetWindowRect(h, &rc);
    EXPECT_EQ(rc.right - rc.left, 428);
    EXPECT_EQ(rc.bottom - rc.top, 365);
    EXPECT_EQ(::GetClassLongW(h, GCL_STYLE) & CS_DBLCLKS, static_cast<DWORD>(CS_DBLCLKS));
}

TEST_F(MainFrameTest, PanesFormThePageAroundTheController) {
    MainView* view = doc_->m_pMainView;
    ASSERT_NE(view, nullptr) << "the main view's initial update stored it";
    EXPECT_EQ(::GetParent(view->hwnd()), frame_->hwnd());
    EXPECT_EQ(::GetDlgCtrlID(view->hwnd()), 0xE900);
    RECT c;
    ::GetClientRect(view->hwnd(), &c);

    struct Button {
        UINT id;
        const wchar_t* text;
        LONG left;
        bool isDefault;
    } buttons[] = {{3333, L"Apply", c.right - 81, false},
                   {2222, L"Cancel", c.right - 162, false},
                   {1111, L"OK", c.right - 243, true}};
    for (const Button& b : buttons) {
        SCOPED_TRACE(b.id);
        HWND w = ::GetDlgItem(view->hwnd(), b.id);
        ASSERT_NE(w, nullptr);
        wchar_t text[32] = L"";
        ::GetWindowTextW(w, text, 32);
        EXPECT_STREQ(text, b.text);
        RECT r = ChildRect(w);
        EXPECT_EQ(r.left, b.left);
        EXPECT_EQ(r.top, c.bottom - 29);
        EXPECT_EQ(r.right - r.left, 75);
        EXPECT_EQ(r.bottom - r.top, 23);
        EXPECT_TRUE(::GetWindowLongW(w, GWL_STYLE) & WS_VISIBLE);
        EXPECT_EQ((::GetWindowLongW(w, GWL_STYLE) & 0xF) == BS_DEFPUSHBUTTON, b.isDefault);
    }

    HWND tab = ::GetDlgItem(view->hwnd(), 4102);
    ASSERT_NE(tab, nullptr);
    EXPECT_FALSE(::GetWindowLongW(tab, GWL_STYLE) & WS_VISIBLE);
    EXPECT_TRUE(::GetWindowLongW(tab, GWL_STYLE) & TCS_FIXEDWIDTH);
    EXPECT_EQ(::SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0), 2);
    RECT t = ChildRect(tab);
    EXPECT_EQ(t.left, c.left + 6);
    EXPECT_EQ(t.top, c.top - 16);
    EXPECT_EQ(t.right, c.right - 4);
    EXPECT_EQ(t.bottom, c.bottom - 32);

    // The master view inside the tab area, below the tab row.
    ASSERT_NE(doc_->m_pMasterView, nullptr);
    HWND master = doc_->m_pMasterView->hwnd();
    EXPECT_EQ(::GetParent(master), view->hwnd());
    EXPECT_EQ(::GetDlgCtrlID(master), 0xE900);
    RECT item{};
    ::SendMessageW(tab, TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
    RECT m = ChildRect(master);
    EXPECT_EQ(m.left, t.left + 4);
    EXPECT_EQ(m.right, t.right - 15);
    EXPECT_EQ(m.bottom, t.bottom - 8);
    EXPECT_EQ(m.top, t.top + (item.bottom - item.top) + 4);

    // The controller inside the master view, created and then updated.
    RECT mc;
    ::GetClientRect(master, &mc);
    EXPECT_EQ(controller_->createdParent, master);
    EXPECT_EQ(controller_->createdId, 0xE900u);
    EXPECT_EQ(controller_->createdRect.left, mc.left + 3);
    EXPECT_EQ(controller_->createdRect.top, mc.top + 30);
    EXPECT_EQ(controller_->createdRect.right, mc.right - 3);
    EXPECT_EQ(controller_->createdRect.bottom, mc.bottom - 8);
    EXPECT_EQ(controller_->calls, (std::vector<std::string>{"Create", "InitialUpdate"}));

    // The settings view holds the records; neither it nor its dialog has a window.
    ASSERT_NE(doc_->GetSettingsView(), nullptr);
    EXPECT_EQ(doc_->GetSettingsView()->hwnd(), nullptr);
    EXPECT_EQ(doc_->m_pProvidersDlg->hwnd(), nullptr);
    EXPECT_EQ(doc_->m_pProvidersDlg->templateId(), 143u);

    // The steps run once: a second call changes nothing.
    doc_->CreateMasterView();
    doc_->CreateController(std::make_unique<RecordingController>());
    EXPECT_EQ(doc_->m_pMasterView->hwnd(), master);
    EXPECT_EQ(doc_->GetController(), controller_);
}

// (Each hide of a shown window waits about 2 s for Wine's X11 side.)
TEST_F(MainFrameTest, CloseOkAndCancelHideTheFrameWithoutDestroyingIt) {
    HWND h = frame_->hwnd();
    for (UINT how : {0u, 1111u, 2222u}) {
        SCOPED_TRACE(how);
        ::ShowWindow(h, SW_SHOWNA);
        ASSERT_TRUE(::IsWindowVisible(h));
        if (how == 0)
            ::SendMessageW(h, WM_CLOSE, 0, 0);
        else
            ::SendMessageW(doc_->m_pMainView->hwnd(), WM_COMMAND, how, 0);
        EXPECT_TRUE(::IsWindow(h));
        EXPECT_FALSE(::IsWindowVisible(h));
    }
}

TEST_F(MainFrameTest, OpenCommandLaunchesTheSearchPanelOnlyWhenReady) {
    AddSearchRecord();
    struct Case {
        const char* name;
        bool disabled, loaded, online, starting, launches;
    } cases[] = {
        {"ready", false, true, true, false, true},
        {"disabled", true, true, true, false, false},
        {"settings not loaded", false, false, true, false, false},
        {"offline", false, true, false, false, false},
        {"starting", false, true, true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        controller_->calls.clear();
        theApp.m_Disabled = c.disabled;
        theApp.m_SettingsLoaded = c.loaded;
        theApp.m_Online = c.online;
        theApp.m_Starting = c.starting;
        ::SendMessageW(frame_->hwnd(), WM_COMMAND, CMainFrame::kOpenSearchCommand, 0);
        EXPECT_EQ(controller_->calls.size(), c.launches ? 1u : 0u);
    }
    theApp.m_Starting = false;
    ASSERT_EQ(controller_->launchRecord, doc_->GetSettingsView()->m_pSearchEcp);
    EXPECT_EQ(controller_->launchAnchor.right, 20);
    EXPECT_EQ(controller_->launchAnchor.bottom, 20);
    EXPECT_EQ(controller_->launchText, L"");
    EXPECT_EQ(controller_->launchTitle, L"PondRel Version 1.050)");
    EXPECT_EQ(controller_->launchFlags, 1u);

    // The double click does nothing.
    controller_->calls.clear();
    ::SendMessageW(frame_->hwnd(), WM_COMMAND, CMainFrame::kTrayDoubleClickCommand, 0);
    EXPECT_TRUE(controller_->calls.empty());
}

TEST_F(MainFrameTest, OpenCommandNeverFollowsABindingFromAnEarlierList) {
    Settings* view = doc_->GetSettingsView();
    AddSearchRecord();
    ASSERT_NE(view->m_pSearchEcp, nullptr);
    // A rebuilt list without the search panel.
    view->DeleteAllRecords();
    std::wstring defaultEcp;
    view->AddRecord(Record(L"other"), kSearchId, defaultEcp);
    ::SendMessageW(frame_->hwnd(), WM_COMMAND, CMainFrame::kOpenSearchCommand, 0);
    EXPECT_TRUE(controller_->calls.size() == 2) << "only creation and initial update";
    // A binding to a record outside the current list is not followed either.
    auto stray = Record(kSearchId);
    view->m_pSearchEcp = stray.get();
    ::SendMessageW(frame_->hwnd(), WM_COMMAND, CMainFrame::kOpenSearchCommand, 0);
    EXPECT_EQ(controller_->calls.size(), 2u);
    // Rebuilt with it again: the new record is launched.
    view->DeleteAllRecords();
    AddSearchRecord();
    ::SendMessageW(frame_->hwnd(), WM_COMMAND, CMainFrame::kOpenSearchCommand, 0);
    ASSERT_EQ(controller_->calls.back(), "LaunchEcp");
    EXPECT_EQ(controller_->launchRecord, view->m_pSearchEcp);
}

// Opens nothing; answers success.
HINSTANCE WINAPI NoShellExecute(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT) {
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(33));
}

// The application's steps that belong to the controller reach the
// document's controller, each with its own operation.
TEST_F(MainFrameTest, ApplicationStepsReachTheDocumentsController) {
    auto savedShell = theApp.m_ShellExecute;
    theApp.m_ShellExecute = &NoShellExecute;
    const bool savedDebug = theApp.m_DebugMode;
    theApp.m_DebugMode = false;
    const RECT anchor{0, 0, 20, 20};
    struct Case {
        const char* name;
        std::function<void()> step;
        std::vector<std::string> want;
    } cases[] = {
        {"close all panels", [] { theApp.CloseAllPanels(); }, {"CloseAllPanels"}},
        {"post to all panels", [] { theApp.PostToAllPanels(11203); }, {"PostToAllPanels(11203)"}},
        {"tray menu rebuild", [] { theApp.RequestTrayMenuRebuild(); }, {"RequestTrayMenuRebuild"}},
        {"menus rebuilt", [] { theApp.RebuildMenus(); }, {"RebuildMenus"}},
        {"URL opened", [] { theApp.OpenUrlInBrowser(L"http://example.test/"); }, {"OpenUrlInBrowser"}},
        {"enhancers unloaded", [] { theApp.UnloadEnhancers(); }, {"UnloadEnhancers"}},
        {"debug mode on", [&] { theApp.OnAppMenuCommand(L"DM", anchor); }, {"SetDebugItemText(Set Debug Off)"}},
        {"debug mode off", [&] { theApp.OnAppMenuCommand(L"DM", anchor); }, {"SetDebugItemText(Set Debug On)"}},
        {"release notes", [&] { theApp.OnAppMenuCommand(L"RN", anchor); }, {"HideTextMenu"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        controller_->calls.clear();
        c.step();
        EXPECT_EQ(controller_->calls, c.want);
    }
    theApp.m_ShellExecute = savedShell;
    theApp.m_DebugMode = savedDebug;
}

RAWINPUT KeyboardInput(USHORT vk, USHORT flags) {
    RAWINPUT in{};
    in.header.dwType = RIM_TYPEKEYBOARD;
    in.data.keyboard.VKey = vk;
    in.data.keyboard.Flags = flags;
    return in;
}

TEST_F(MainFrameTest, RawInputHandlerCarriesOutTheDecisionOnTheController) {
    controller_->calls.clear();
    frame_->HandleRawInput(KeyboardInput(VK_SHIFT, RI_KEY_MAKE));
    EXPECT_TRUE(controller_->calls.empty());
    frame_->HandleRawInput(KeyboardInput('A', RI_KEY_BREAK));
    EXPECT_EQ(controller_->calls, (std::vector<std::string>{"HideHotspot", "HideMenus(search)"}));

    // With a menu panel: a left click far from it, answered "not over a
    // pop-up" after a recorded press, closes it.
    controller_->calls.clear();
    controller_->hasMenuPanel = true;
    // The click lands on a plain top-most window of the test's own, so no
    // pop-up of a test running beside this one is under the cursor.
    const int sw = ::GetSystemMetrics(SM_CXSCREEN), sh = ::GetSystemMetrics(SM_CYSCREEN);
    HWND plain = ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"STATIC", L"plain", WS_POPUP | WS_VISIBLE,
                                   sw - 40, sh - 40, 30, 30, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(plain);
    struct Gone { HWND h; ~Gone() { ::DestroyWindow(h); } } gone{plain};
    ::SetWindowPos(plain, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    ASSERT_TRUE(::SetCursorPos(sw - 25, sh - 25));
    RAWINPUT click{};
    click.header.dwType = RIM_TYPEMOUSE;
    click.data.mouse.usButtonFlags = RI_MOUSE_LEFT_BUTTON_DOWN;
    frame_->HandleRawInput(click);
    EXPECT_EQ(controller_->calls,
              (std::vector<std::string>{"AdvanceHotspotFade", "HideMenus(search)", "HideHotspot",
                                        "IsPointOverPopup(down)", "CloseMenuEcp"}));

    // While starting: nothing.
    controller_->calls.clear();
    theApp.m_Starting = true;
    frame_->HandleRawInput(KeyboardInput('A', RI_KEY_MAKE));
    frame_->HandleRawInput(click);
    EXPECT_TRUE(controller_->calls.empty());
}

}  // namespace

namespace {

// An element of the settings pane with a check box window.
class CheckElement : public WndElement {
public:
    explicit CheckElement(HWND box) : box_(box) {}
    void Draw(Gdiplus::Graphics&) override {}
    HWND CheckBoxWindow() const override { return box_; }

private:
    HWND box_;
};

// Apply and OK copy the check boxes into the records; Cancel copies nothing.
TEST_F(MainFrameTest, ApplyAndOkCopyTheCheckBoxesIntoTheFirstRecordCancelDoesNot) {
    Settings* view = doc_->GetSettingsView();
    std::wstring defaultEcp;
    view->AddRecord(Record(L"first"), kSearchId, defaultEcp);
    view->AddRecord(Record(L"second"), kSearchId, defaultEcp);
    view->m_EcpList.GetAt(1)->m_Active = TRUE;
    fx::Window box;
    ASSERT_TRUE(box.CreateEx(0, L"BUTTON", L"", WS_CHILD | BS_AUTOCHECKBOX, 0, 0, 10, 10,
                             doc_->m_pMainView->hwnd(), nullptr));
    CheckElement element(box.hwnd());
    view->m_WndList.AddTail(&element);
    for (bool checked : {true, false}) {
        SCOPED_TRACE(checked);
        ::SendMessageW(box.hwnd(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
        ::SendMessageW(doc_->m_pMainView->hwnd(), WM_COMMAND, MainView::kApplyId, 0);
        EXPECT_EQ(view->m_EcpList.GetAt(0)->m_Active != FALSE, checked);
        EXPECT_TRUE(view->m_EcpList.GetAt(1)->m_Active) << "only the first record";
    }
    ::SendMessageW(box.hwnd(), BM_SETCHECK, BST_CHECKED, 0);
    ::SendMessageW(doc_->m_pMainView->hwnd(), WM_COMMAND, MainView::kCancelId, 0);
    EXPECT_FALSE(view->m_EcpList.GetAt(0)->m_Active);
    ::SendMessageW(doc_->m_pMainView->hwnd(), WM_COMMAND, MainView::kOkId, 0);
    EXPECT_TRUE(view->m_EcpList.GetAt(0)->m_Active);
    view->m_WndList.RemoveAll();
}

TEST_F(MainFrameTest, SettingsViewAsAPane) {
    ECPSettings pane;
    RECT rc{0, 0, 100, 80};
    ASSERT_TRUE(pane.CreateView(doc_->m_pMainView->hwnd(), rc, 1234, WS_CHILD));
    EXPECT_EQ(::SendMessageW(pane.hwnd(), WM_MOUSEACTIVATE, 0, 0), MA_ACTIVATE);
    EXPECT_EQ(::SendMessageW(pane.hwnd(), WM_ERASEBKGND, 0, 0), TRUE);
}

}  // namespace

namespace {

// A played GetRawInputData: the size it announces, the size its read returns
// and the record it copies.
struct PlayedRead {
    UINT sizeAnswer;   // result of the size query
    UINT announced;    // size it announces
    UINT readResult;   // result of the read
    RAWINPUT record;
};
PlayedRead g_played;

UINT WINAPI PlayRead(HRAWINPUT, UINT, LPVOID data, PUINT size, UINT) {
    if (!data) {
        *size = g_played.announced;
        return g_played.sizeAnswer;
    }
    if (g_played.readResult != static_cast<UINT>(-1))
        memcpy(data, &g_played.record, std::min<UINT>(*size, sizeof(RAWINPUT)));
    return g_played.readResult;
}

TEST(RawInputRead, FailedOrShortReadsAreNotExamined) {
    // Sizes as the running program sees them: 16 + 16 and 16 + 24 bytes in
    // the 32-bit program.
    const UINT kHeader = sizeof(RAWINPUTHEADER);
    const UINT kKey = kHeader + sizeof(RAWKEYBOARD);
    const UINT kMouse = kHeader + sizeof(RAWMOUSE);
    RAWINPUT key{};
    key.header.dwType = RIM_TYPEKEYBOARD;
    key.header.dwSize = kKey;
    key.data.keyboard.VKey = 'Q';
    RAWINPUT mouse{};
    mouse.header.dwType = RIM_TYPEMOUSE;
    mouse.header.dwSize = kMouse;
    const UINT kFail = static_cast<UINT>(-1);
    struct Case {
        const char* name;
        PlayedRead played;
        bool examined;
    } cases[] = {
        {"keyboard record", {0, kKey, kKey, key}, true},
        {"mouse record", {0, kMouse, kMouse, mouse}, true},
        {"size query fails", {kFail, kKey, kKey, key}, false},
        {"size zero", {0, 0, 0, key}, false},
        {"read fails", {0, kKey, kFail, key}, false},
        {"read shorter than announced", {0, kKey, kKey - 8, key}, false},
        {"mouse record too short for its type", {0, kHeader + 8, kHeader + 8, mouse}, false},
        {"header only", {0, kHeader, kHeader, key}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_played = c.played;
        RAWINPUT out{};
        EXPECT_EQ(CMainFrame::ReadRawInputRecord(nullptr, out, &PlayRead), c.examined);
        if (c.examined) EXPECT_EQ(out.header.dwType, c.played.record.header.dwType);
    }
}

}  // namespace
