// The main road end to end, with no call into the program: the real
// PondRel.exe on the demo settings and images, the stand-in Firefox extension
// (its window in front) reporting a selection, the stand-in browser as the
// prefix's default browser.  The pointer is driven with xdotool on the test's
// own display: the hotspot appears beside the selection, the pointer on it
// opens the text menu ("TxMenu"), the pointer on its category opens the
// category's sub-menu, and a click on a search opens its URL, with the
// selected text encoded in it, in the stand-in browser; a click on a panel
// item there opens its panel window, whose dock control flies it into the
// dock bar.  The tray icon's right click opens the tray menu with the
// settings' items.
#include <gtest/gtest.h>

#include <windows.h>

#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "app/tests/support/CoreTestFiles.h"
#include "app/tests/support/ProgramHarness.h"
#include "tests/httpserver/LoopbackServer.h"
#include "tests/support/Scene.h"
#include "tests/support/TestSupport.h"

namespace {

using programharness::SavedInstallValue;
using scene::Shown;
using testsupport::WaitFor;

// The Slate template laid out round the panel's 360 by 420: a 5-pixel frame
// left, right and below and a 32-pixel title bar above, the far-anchored
// pieces ending one pixel inside; its dock control 20 by 20, anchored 52
// pixels in from the panel's right edge, 26 above its top.
constexpr int kFrameSide = 5, kFrameTop = 32, kFrameBottom = 5;
constexpr int kPanelWidth = 360, kPanelHeight = 420;
constexpr int kWindowWidth = kFrameSide + kPanelWidth + kFrameSide - 1;
constexpr int kWindowHeight = kFrameTop + kPanelHeight + kFrameBottom - 1;
constexpr int kDockLeft = kFrameSide + kPanelWidth - 52 - 20 - 1, kDockTop = kFrameTop - 26, kControlSize = 20;

struct LargestSearch {
    const wchar_t* cls;
    HWND found = nullptr;
    LONG area = 0;
};

BOOL CALLBACK TakeIfLarger(HWND w, LPARAM lp) {
    auto* s = reinterpret_cast<LargestSearch*>(lp);
    wchar_t name[64] = {};
    ::GetClassNameW(w, name, 64);
    RECT r{};
    if (wcscmp(name, s->cls) != 0 || !::IsWindowVisible(w) || !::GetWindowRect(w, &r)) return TRUE;
    const LONG area = (r.right - r.left) * (r.bottom - r.top);
    if (area > s->area) {
        s->area = area;
        s->found = w;
    }
    return TRUE;
}

// The biggest shown top-level window of a class: the panel window rather
// than its child windows, which share its class and show with it.
HWND LargestShown(const wchar_t* windowClass) {
    LargestSearch search{windowClass};
    ::EnumWindows(&TakeIfLarger, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The dock bar: the dock thread's frame.
HWND DockBar() { return ::FindWindowW(L"HoverWin", L"PondRel"); }

std::wstring Root() { return testsupport::WinDir(PROGRAM_HTTP_ROOT); }

class MainRoad : public testing::Test {
protected:
    void SetUp() override {
        install_ = coretest::ScratchDir();
        server_ = testsupport::Utf8(loopback::Url(L"/files"));
        // The demo install's images: the hotspot's and the menus' skin.
        const std::wstring images = install_ + L"Images\\";
        ::CreateDirectoryW(images.c_str(), nullptr);
        ASSERT_GT(scene::CopyFiles(coretest::SourceDir() + L"demo\\Images\\", L"*.png", images), 0);
        path_.Set(install_.substr(0, install_.size() - 1));

        // The stand-in browser as the default browser.
        browser_ = std::make_unique<scene::DefaultBrowser>(BROWSER_STANDIN_EXE);
        ASSERT_TRUE(browser_->registered());
        loopback::Clear();
    }
    void TearDown() override {
        if (program_.Wait(0) == false) {
            testsupport::Run(PONDREL_EXE, {L"shut"}, 30000);
            if (!program_.Wait(15000)) program_.Kill();
        }
        firefox_.Kill();
        browser_.reset();
    }
    // The program's log so far, for a failure's message.
    std::string Log() {
        for (auto& l : log_.Lines()) lines_.push_back(l);
        std::string out;
        for (size_t i = lines_.size() > 60 ? lines_.size() - 60 : 0; i < lines_.size(); ++i)
            out += testsupport::Utf8(lines_[i]) + "\n";
        return out;
    }
    bool Logged(const std::wstring& line, DWORD timeoutMs) {
        return WaitFor([&] {
            for (auto& l : log_.Lines()) lines_.push_back(l);
            for (auto& l : lines_)
                if (l == line) return true;
            return false;
        }, timeoutMs);
    }

    coretest::CapturedLog log_;
    SavedInstallValue init_{L"init"};
    SavedInstallValue path_{L"path"};
    std::wstring install_;
    std::string server_;
    std::unique_ptr<scene::DefaultBrowser> browser_;
    testsupport::Child program_;
    testsupport::Child firefox_;
    std::vector<std::wstring> lines_;
    scene::Road road_;

    // The program on the demo settings, its settings loaded.
    void StartTheProgram() {
        coretest::WriteFile(Root(), L"settings.xml", coretest::SampleSettings(server_));
        init_.Set(loopback::Url(L"/files/settings.xml"));
        ASSERT_TRUE(program_.Start(PONDREL_EXE, {}, install_));
        ASSERT_TRUE(Logged(L"Reload Settings done", 30000)) << Log();
    }

    // Firefox in front with "Pond life" selected and the program on the demo
    // settings; the pointer then opens the hotspot's text menu and the
    // "Reference" category's sub-menu (their places kept in road_).
    void OpenTheSubMenu() {
        const scene::Log log = [this] { return Log(); };
        ASSERT_NO_FATAL_FAILURE(scene::StartFirefoxInFront(firefox_, FIREFOX_EXT_EXE, install_));

        ASSERT_NO_FATAL_FAILURE(StartTheProgram());

        // The selection arrives and the hotspot fades in beside it.
        ASSERT_TRUE(Logged(L"Selection: \"Pond life\" at 300,300,420,318", 15000)) << Log();
        ASSERT_NO_FATAL_FAILURE(scene::AwaitHotspot(road_, log));
        scene::Snapshot("hotspot", {scene::kPiece, road_.hotspot});

        // The pointer on the hotspot opens the text menu below it.
        ASSERT_NO_FATAL_FAILURE(scene::OpenTextMenu(road_, log));
        scene::Snapshot("text-menu", {scene::kPiece, road_.hotspot, road_.menu});

        // The pointer on "Reference" opens its sub-menu of panels and searches.
        ASSERT_NO_FATAL_FAILURE(scene::OpenSubMenu(road_, log));
    }
};

TEST_F(MainRoad, SelectionHotspotTextMenuSearchOpensInTheBrowser) {
    ASSERT_NO_FATAL_FAILURE(OpenTheSubMenu());
    ASSERT_NO_FATAL_FAILURE(scene::ClickSubMenuItem(road_, scene::kSearchTheWeb, "sub-menu"));

    // The browser receives the search URL with the text percent-encoded as
    // UTF-8 in place of "{pq_token}", as one quoted argument.
    ASSERT_TRUE(WaitFor([&] { return browser_->Record().find(scene::kSearchTail) != std::string::npos; }, 15000))
        << "browser record: " << browser_->Record() << "\nmenu " << Shown(L"TxMenu") << " sub " << Shown(L"company")
        << " hotspot " << Shown(L"HoverHotspot") << "\n" << Log();
    // The choice closed the menus.
    EXPECT_TRUE(WaitFor([] { return !Shown(L"TxMenu") && !Shown(L"company"); }, 3000));
}

// A panel item of the sub-menu opens its panel: "Dictionary", the demo's
// Slate panel of 360 by 420, in a "BackWin777" window shown on the screen
// with its template's frame round it.
// Its dock control flies it into the dock bar: the window hides and the bar
// shows, one item wider.
TEST_F(MainRoad, SelectionHotspotTextMenuPanelItemOpensItsPanelItsDockControlDocksIt) {
    ASSERT_NO_FATAL_FAILURE(OpenTheSubMenu());
    ASSERT_NO_FATAL_FAILURE(scene::ClickSubMenuItem(road_, scene::kDictionary));

    HWND panel = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        panel = LargestShown(L"BackWin777");
        return panel != nullptr;
    }, 15000)) << "no panel window\n" << Log();
    // The choice closed the menus.
    EXPECT_TRUE(WaitFor([] { return !Shown(L"TxMenu") && !Shown(L"company"); }, 3000));
    // Its window template (the Slate skin's, from the server) laid out for
    // the panel's size: the window holds the panel and its frame.
    RECT shown{};
    EXPECT_TRUE(WaitFor([&] {
        shown = scene::WindowRect(panel);
        return shown.right - shown.left == kWindowWidth && shown.bottom - shown.top == kWindowHeight;
    }, 15000)) << "the panel's window is " << shown.right - shown.left << " by " << shown.bottom - shown.top << "\n"
               << Log();
    scene::Snapshot("panel", {shown});

    // The dock control, clicked, flies the panel into the dock.  (The panel
    // may still move while it fades in: its place is read again just before
    // the click.)
    HWND bar = DockBar();
    const LONG widthBefore = bar && ::IsWindowVisible(bar) ? scene::WindowRect(bar).right - scene::WindowRect(bar).left : 0;
    WaitFor([] { return false; }, 1500);
    shown = scene::WindowRect(panel);
    const int dockX = shown.left + kDockLeft + kControlSize / 2, dockY = shown.top + kDockTop + kControlSize / 2;
    scene::MoveTo(dockX, dockY);
    scene::MoveTo(dockX + 1, dockY);
    scene::Click();
    ASSERT_TRUE(WaitFor([&] { return !::IsWindowVisible(panel); }, 15000)) << "the panel did not dock\n" << Log();
    ASSERT_TRUE(WaitFor([&] {
        bar = DockBar();
        return bar && ::IsWindowVisible(bar) && scene::WindowRect(bar).right - scene::WindowRect(bar).left > widthBefore;
    }, 15000)) << "the dock bar did not show the docked panel\n" << Log();
    // The bar hides above the screen's edge until the pointer comes to the
    // edge over it; it slides in and stays while the pointer rests there.
    const RECT docked = scene::WindowRect(bar);
    scene::MoveTo((docked.left + docked.right) / 2, docked.top + 2);
    scene::MoveTo((docked.left + docked.right) / 2 + 1, docked.top + 2);
    scene::Snapshot("dock", {docked});
}

// The tray icon's right click opens the tray menu: the settings' five items
// (a divider before "Help"), the divider after them, then the update check,
// "Disable" and "Exit".
TEST_F(MainRoad, TrayIconOpensTheTrayMenuWithTheSettingsItems) {
    scene::MoveTo(900, 700);
    ASSERT_NO_FATAL_FAILURE(StartTheProgram());
    HWND menu = programharness::OpenTrayMenu(program_.pid(), 20000);
    ASSERT_TRUE(menu) << "no tray menu shown\n" << Log();
    const RECT r = scene::WindowRect(menu);
    EXPECT_EQ(r.bottom - r.top, 8 * scene::kItem + 2 * scene::kSeparator + 5);
    scene::Snapshot("tray-menu", {r});
}

}  // namespace
