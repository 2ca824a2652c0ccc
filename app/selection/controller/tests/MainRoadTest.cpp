// The main road end to end, with no call into the program: the real
// PondRel.exe on the demo settings and images, the stand-in Firefox extension
// (its window in front) reporting a selection, the stand-in browser as the
// prefix's default browser.  The pointer is driven with xdotool on the test's
// own display: the hotspot appears beside the selection, the pointer on it
// opens the text menu ("TxMenu"), the pointer on its category opens the
// category's sub-menu, and a click on a search opens its URL, with the
// selected text encoded in it, in the stand-in browser; a click on a panel
// item there opens its panel window.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/core/main/tests/CoreTestFiles.h"
#include "app/core/main/tests/ProgramHarness.h"
#include "fx/Handle.h"
#include "tests/httpserver/LoopbackServer.h"
#include "tests/support/TestSupport.h"

namespace {

using programharness::SavedInstallValue;
using testsupport::ReadAll;
using testsupport::WaitFor;

const char* const kXdotool = "/usr/bin/xdotool";
const std::string kBrowser = BROWSER_STANDIN_EXE;

// The selected piece, in screen coordinates, away from the screen's edges.
constexpr RECT kPiece{300, 300, 420, 318};
// The menus' item heights.
constexpr int kItem = 19, kSeparator = 11;

std::wstring Root() { return testsupport::WinDir(PROGRAM_HTTP_ROOT); }

HWND Popup(const wchar_t* name) { return ::FindWindowW(L"PondMenu", name); }

bool Shown(const wchar_t* name) {
    HWND w = Popup(name);
    return w && ::IsWindowVisible(w);
}

RECT WindowRect(HWND w) {
    RECT r{};
    ::GetWindowRect(w, &r);
    return r;
}

void MoveTo(int x, int y) { testsupport::Run(kXdotool, {L"mousemove", std::to_wstring(x), std::to_wstring(y)}, 10000); }

// When PONDREL_SCREENSHOT_DIR names a folder of the host (tools/screenshots
// sets it), saves the display's area around the given windows there as
// <name>.png, with ImageMagick's import on the test's display; unset, it does
// nothing and takes no time.  The capture waits a moment first so that a
// fade has ended.
void Snapshot(const char* name, std::initializer_list<RECT> windows) {
    const char* dir = std::getenv("PONDREL_SCREENSHOT_DIR");
    if (dir == nullptr || *dir == '\0') return;
    constexpr int kMargin = 24;
    RECT area = *windows.begin();
    for (const RECT& r : windows) ::UnionRect(&area, &area, &r);
    ::InflateRect(&area, kMargin, kMargin);
    area.left = std::max(0L, area.left);
    area.top = std::max(0L, area.top);
    testsupport::WaitFor([] { return false; }, 1500);
    const std::wstring geometry = std::to_wstring(area.right - area.left) + L"x" +
                                  std::to_wstring(area.bottom - area.top) + L"+" + std::to_wstring(area.left) +
                                  L"+" + std::to_wstring(area.top);
    const std::wstring file = testsupport::Wide(std::string(dir) + "/" + name + ".png");
    EXPECT_EQ(testsupport::Run("/usr/bin/import", {L"-window", L"root", L"-crop", geometry, L"+repage", file}, 30000), 0)
        << "could not capture " << name;
}

// Moves the pointer within a window's point until cond holds: a few moves a
// pixel apart, each followed by a bounded wait (a menu takes its first move
// to start tracking the pointer).
bool HoverUntil(int x, int y, const std::function<bool()>& cond) {
    for (int i = 0; i < 8; ++i) {
        MoveTo(x + (i % 2), y + (i % 3 == 2 ? 1 : 0));
        if (WaitFor(cond, 700)) return true;
    }
    return false;
}

class MainRoad : public testing::Test {
protected:
    void SetUp() override {
        install_ = coretest::ScratchDir();
        server_ = testsupport::Utf8(loopback::Url(L"/files"));
        // The demo install's images: the hotspot's and the menus' skin.
        const std::wstring images = install_ + L"Images\\";
        ::CreateDirectoryW(images.c_str(), nullptr);
        const std::wstring demo = coretest::SourceDir() + L"demo\\Images\\";
        WIN32_FIND_DATAW f;
        HANDLE find = ::FindFirstFileW((demo + L"*.png").c_str(), &f);
        ASSERT_NE(find, INVALID_HANDLE_VALUE);
        do {
            ::CopyFileW((demo + f.cFileName).c_str(), (images + f.cFileName).c_str(), FALSE);
        } while (::FindNextFileW(find, &f));
        ::FindClose(find);
        path_.Set(install_.substr(0, install_.size() - 1));

        // The stand-in browser as the default browser; the program's
        // children inherit where it writes its command lines.
        record_ = testsupport::TempFile("mainroad-browser.txt");
        ::DeleteFileW(testsupport::Wide(record_).c_str());
        ::SetEnvironmentVariableW(L"PONDREL_BROWSER_RECORD", testsupport::Wide(record_).c_str());
        ::SetEnvironmentVariableW(L"PONDREL_BROWSER_SECONDS", L"3");
        ::SetEnvironmentVariableW(L"PONDREL_BROWSER_CLASS", nullptr);
        ASSERT_EQ(testsupport::Run(kBrowser, {L"--register"}), 0);
        registered_ = true;
        loopback::Clear();
    }
    void TearDown() override {
        if (program_.Wait(0) == false) {
            testsupport::Run(PONDREL_EXE, {L"shut"}, 30000);
            if (!program_.Wait(15000)) program_.Kill();
        }
        firefox_.Kill();
        if (registered_) testsupport::Run(kBrowser, {L"--unregister"});
        ::SetEnvironmentVariableW(L"PONDREL_BROWSER_RECORD", nullptr);
        ::SetEnvironmentVariableW(L"PONDREL_BROWSER_SECONDS", nullptr);
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
    std::string record_;
    bool registered_ = false;
    testsupport::Child program_;
    testsupport::Child firefox_;
    std::vector<std::wstring> lines_;

    // Firefox in front with "Pond life" selected and the program on the demo
    // settings; the pointer then opens the hotspot's text menu and the
    // "Reference" category's sub-menu (their places kept in hotspot, menu
    // and sub).
    void OpenTheSubMenu() {
        // Firefox in front with "Pond life" selected.
        const std::wstring script = coretest::WriteFile(install_, L"firefox-page.txt",
            "location http://example.test/ponds\n"
            "domain example.test\n"
            "title Ponds\n"
            "piece Pond life|300,300,420,318\n"
            "flags page selection\n"
            "next\n"
            "location http://example.test/ponds\n"
            "domain example.test\n"
            "title Ponds\n"
            "piece Pond life|300,300,420,318\n"
            "flags none\n");
        const std::wstring report = install_ + L"firefox-report.txt";
        ASSERT_TRUE(firefox_.Start(FIREFOX_EXT_EXE, {L"--window", L"--script", script, L"--report", report,
                                                     L"--run-ms", L"90000"}));
        ASSERT_TRUE(WaitFor([&] { return coretest::ReadFile(report).find("foreground\n") != std::string::npos; }, 10000))
            << coretest::ReadFile(report);
        // The pointer away from where the hotspot and the menus will be.
        MoveTo(900, 800);

        // The program on the demo settings.
        coretest::WriteFile(Root(), L"settings.xml", coretest::SampleSettings(server_));
        init_.Set(loopback::Url(L"/files/settings.xml"));
        ASSERT_TRUE(program_.Start(PONDREL_EXE, {}, install_));
        ASSERT_TRUE(Logged(L"Reload Settings done", 30000)) << Log();

        // The selection arrives and the hotspot fades in beside it.
        ASSERT_TRUE(Logged(L"Selection: \"Pond life\" at 300,300,420,318", 15000)) << Log();
        ASSERT_TRUE(WaitFor([] { return Shown(L"HoverHotspot"); }, 5000)) << Log();
        hotspot = WindowRect(Popup(L"HoverHotspot"));
        EXPECT_GE(hotspot.left, kPiece.right - 8);
        EXPECT_LE(hotspot.left, kPiece.right + 3);
        EXPECT_LT(hotspot.bottom, kPiece.bottom);
        Snapshot("hotspot", {kPiece, hotspot});

        // The pointer on the hotspot opens the text menu below it.
        ASSERT_TRUE(HoverUntil((hotspot.left + hotspot.right) / 2, (hotspot.top + hotspot.bottom) / 2,
                               [] { return Shown(L"TxMenu"); }))
            << "the text menu did not open\n" << Log();
        menu = WindowRect(Popup(L"TxMenu"));
        EXPECT_EQ(menu.right - menu.left, 180);
        // The demo's one shown category, after its divider: a separator, then
        // "Reference".
        EXPECT_EQ(menu.bottom - menu.top, kSeparator + kItem + 5);
        Snapshot("text-menu", {kPiece, hotspot, menu});

        // The pointer on "Reference" opens its sub-menu of panels and searches.
        ASSERT_TRUE(HoverUntil(menu.left + 60, menu.top + kSeparator + kItem / 2, [] { return Shown(L"company"); }))
            << "the category's sub-menu did not open\n" << Log();
        sub = WindowRect(Popup(L"company"));
        // Dictionary, Encyclopedia, Web Search, Search the Web (Translate is off).
        EXPECT_EQ(sub.bottom - sub.top, 4 * kItem + 5);
    }
    RECT hotspot{}, menu{}, sub{};
};

TEST_F(MainRoad, SelectionHotspotTextMenuSearchOpensInTheBrowser) {
    ASSERT_NO_FATAL_FAILURE(OpenTheSubMenu());

    // "Search the Web" made hot, then clicked (the menu is as wide as its
    // texts measure, which depends on the fonts installed).
    const int x = (sub.left + sub.right) / 2, y = sub.top + 3 * kItem + kItem / 2;
    MoveTo(x, y);
    MoveTo(x + 1, y);
    MoveTo(x + 2, y);
    ASSERT_TRUE(WaitFor([] { return Shown(L"company"); }, 500));
    Snapshot("sub-menu", {kPiece, hotspot, menu, sub});
    testsupport::Run(kXdotool, {L"mousedown", L"1"}, 10000);
    testsupport::WaitFor([] { return false; }, 100);
    testsupport::Run(kXdotool, {L"mouseup", L"1"}, 10000);

    // The browser receives the search URL with the text percent-encoded as
    // UTF-8 in place of "{pq_token}", as one quoted argument.
    const std::string want = "/files/search?q=%50%6f%6e%64%20%6c%69%66%65\"";
    ASSERT_TRUE(WaitFor([&] { return ReadAll(record_).find(want) != std::string::npos; }, 15000))
        << "browser record: " << ReadAll(record_) << "\nmenu " << Shown(L"TxMenu") << " sub " << Shown(L"company")
        << " hotspot " << Shown(L"HoverHotspot") << "\n" << Log();
    // The choice closed the menus.
    EXPECT_TRUE(WaitFor([] { return !Shown(L"TxMenu") && !Shown(L"company"); }, 3000));
}

// A panel item of the sub-menu opens its panel: "Dictionary", the demo's
// Slate panel of 360 by 420, in a "BackWin777" window shown on the screen.
TEST_F(MainRoad, SelectionHotspotTextMenuPanelItemOpensItsPanel) {
    ASSERT_NO_FATAL_FAILURE(OpenTheSubMenu());

    // "Dictionary", the sub-menu's first item, made hot, then clicked.
    const int x = (sub.left + sub.right) / 2, y = sub.top + kItem / 2;
    MoveTo(x, y);
    MoveTo(x + 1, y);
    MoveTo(x + 2, y);
    ASSERT_TRUE(WaitFor([] { return Shown(L"company"); }, 500));
    testsupport::Run(kXdotool, {L"mousedown", L"1"}, 10000);
    testsupport::WaitFor([] { return false; }, 100);
    testsupport::Run(kXdotool, {L"mouseup", L"1"}, 10000);

    HWND panel = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        panel = ::FindWindowW(L"BackWin777", nullptr);
        return panel && ::IsWindowVisible(panel);
    }, 15000)) << "no panel window\n" << Log();
    const RECT shown = WindowRect(panel);
    EXPECT_EQ(shown.right - shown.left, 360);
    EXPECT_EQ(shown.bottom - shown.top, 420);
    // The choice closed the menus.
    EXPECT_TRUE(WaitFor([] { return !Shown(L"TxMenu") && !Shown(L"company"); }, 3000));
    Snapshot("panel", {shown});
}

}  // namespace
