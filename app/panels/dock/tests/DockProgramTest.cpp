// The dock in the real PondRel.exe on the demo settings, driven by clicks
// only (xdotool on the test's display, no call into the program): the bar
// shows the settings' two dock items; a click on the "Dictionary" item opens
// its panel (11145, "Dock ECP") drawn from the demo's Slate template; a click
// on the panel's dock control flies it into the bar (its window hides and a
// live item joins the bar); a click on that item flies it back out to where
// it was (shown again, the item gone).  The items are counted by the bar's
// width (68 + 60 per item + 6 between neighbours while none is magnified);
// the program's log lines tell each step.  A right click on the bar opens
// the dock menu, whose "Auto Hide" keeps the bar in when the pointer leaves
// (the screen's pixels read back with ImageMagick).
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/core/config/XmlConfig.h"
#include "app/tests/support/CoreTestFiles.h"
#include "app/tests/support/ProgramHarness.h"
#include "app/panels/cache/TemplateCache.h"
#include "app/panels/dockitems/DockRules.h"
#include "app/panels/elements/ElementPanel.h"
#include "app/panels/elements/Win32Elements.h"
#include "app/panels/elements/tests/Fakes.h"
#include "tests/httpserver/LoopbackServer.h"
#include "tests/support/Scene.h"
#include "tests/support/TestSupport.h"

namespace {

using programharness::SavedInstallValue;
using scene::Click;
using scene::MoveTo;
using testsupport::WaitFor;

const char* const kXdotool = "/usr/bin/xdotool";
const std::wstring kDictionary = L"0E3A4C51-8D2B-4F6A-B1C7-2D9E5F8A3B14";

std::wstring Root() { return testsupport::WinDir(DOCK_HTTP_ROOT); }

// Copies the folder's files and sub-folders into `to`.
void CopyTree(const std::wstring& from, const std::wstring& to) {
    ::CreateDirectoryW(to.c_str(), nullptr);
    WIN32_FIND_DATAW f;
    HANDLE find = ::FindFirstFileW((from + L"*").c_str(), &f);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = f.cFileName;
        if (name == L"." || name == L"..") continue;
        if (f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            CopyTree(from + name + L"\\", to + name + L"\\");
        else
            ::CopyFileW((from + name).c_str(), (to + name).c_str(), FALSE);
    } while (::FindNextFileW(find, &f));
    ::FindClose(find);
}

// The panel windows of the program.
std::vector<HWND> PanelWindows() {
    std::vector<HWND> found;
    for (HWND w = ::FindWindowExW(nullptr, nullptr, L"BackWin777", nullptr); w;
         w = ::FindWindowExW(nullptr, w, L"BackWin777", nullptr))
        found.push_back(w);
    return found;
}

RECT WindowRect(HWND w) {
    RECT r{};
    ::GetWindowRect(w, &r);
    return r;
}

std::string Text(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

// The brightness (r + g + b) of the screen at (x, y), -1 when it could not
// be read: the pixel read with ImageMagick's import, as text (a comment
// line, then "0,0: (r,g,b)  #RRGGBB  ...").  The empty display is black.
int ScreenBrightness(int x, int y) {
    const std::string file = std::string(DOCK_HTTP_ROOT) + "/pixel.txt";
    ::DeleteFileW(testsupport::WinPath(file).c_str());
    const std::wstring crop = L"1x1+" + std::to_wstring(x) + L"+" + std::to_wstring(y);
    testsupport::Run("/usr/bin/import",
                     {L"-window", L"root", L"-crop", crop, L"+repage", L"-depth", L"8", testsupport::Wide("txt:" + file)},
                     30000);
    const std::string text = coretest::ReadFile(testsupport::WinPath(file));
    const size_t pixel = text.find("0,0:");
    const size_t hash = pixel == std::string::npos ? pixel : text.find('#', pixel);
    if (hash == std::string::npos || hash + 7 > text.size()) return -1;
    const unsigned long rgb = std::strtoul(text.substr(hash + 1, 6).c_str(), nullptr, 16);
    return static_cast<int>(((rgb >> 16) & 0xFF) + ((rgb >> 8) & 0xFF) + (rgb & 0xFF));
}
bool ScreenDrawnAt(int x, int y) { return ScreenBrightness(x, y) > 30; }
bool ScreenBlackAt(int x, int y) {
    const int b = ScreenBrightness(x, y);
    return b >= 0 && b <= 30;
}

// The bar's width with n items at rest.
int BarWidth(int n) { return dock::kCapsWidth + n * 60 + (n > 1 ? (n - 1) * dock::kItemGap : 0); }

// The demo's Dictionary panel laid out as its panel thread lays it out (its
// Slate template at the record's size and flags): the dock control's
// rectangle in the panel window.
bool DockControlRect(int width, int height, templates::LayoutRect* out, templates::LayoutRect* panelRect) {
    XmlConfig config((coretest::SourceDir() + L"demo\\templates\\ecp\\Slate.xml").c_str());
    if (!config.IsLoaded()) return false;
    const templates::TemplateSize size{width, height};
    const panels::WindowValues values = panels::ReadWindowValues(panels::LookupIn(config), size);
    elements_test::NoPictures factory;
    PanelRecord record;
    record.flags.showSearch = record.flags.resizable = record.flags.dockable = true;
    record.name = L"Dictionary";
    XmlTemplateDocument document(config);
    ElementPanel panel;
    panel.zoom = values.zoom;
    panel.BuildElements(document, record, size, factory);
    if (!panel.windowElement) return false;
    *panelRect = panel.LayoutPanel();
    for (WindowElement* e : panel.all) {
        if (e->id == L"button_dock") {
            *out = e->windowRect;
            return true;
        }
    }
    return false;
}

class DockProgram : public testing::Test {
protected:
    void SetUp() override {
        install_ = coretest::ScratchDir();
        // The demo install's images: the dock's strip and item pictures, the
        // menus' and the hotspot's skin.
        const std::wstring demo = coretest::SourceDir() + L"demo\\";
        CopyTree(demo + L"Images\\", install_ + L"Images\\");
        path_.Set(install_.substr(0, install_.size() - 1));
        // The demo served as tools/run serves it: its pages and templates, the
        // settings with the server's base URL.
        CopyTree(demo, Root());
        coretest::WriteFile(Root(), L"settings.xml",
                            coretest::SampleSettings(testsupport::Utf8(loopback::Url(L"/files"))));
        init_.Set(loopback::Url(L"/files/settings.xml"));
        ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Pondrel\\Slate");  // the template fetched afresh
        MoveTo(900, 900);
    }
    void TearDown() override {
        // The program's whole log beside the served files, for a failure.
        Collect();
        {
            std::string all;
            for (auto& l : lines_) all += testsupport::Utf8(l) + "\n";
            coretest::WriteFile(Root(), L"program-log.txt", all);
        }
        if (!program_.Wait(0)) {
            testsupport::Run(PONDREL_EXE, {L"shut"}, 30000);
            if (!program_.Wait(15000)) program_.Kill();
        }
    }
    std::string Log() {
        Collect();
        std::string out;
        for (size_t i = lines_.size() > 60 ? lines_.size() - 60 : 0; i < lines_.size(); ++i)
            out += testsupport::Utf8(lines_[i]) + "\n";
        return out;
    }
    void Collect() {
        for (auto& l : log_.Lines()) lines_.push_back(l);
    }
    bool Logged(const std::wstring& line, DWORD timeoutMs) {
        return WaitFor([&] {
            Collect();
            for (auto& l : lines_)
                if (l == line) return true;
            return false;
        }, timeoutMs);
    }
    // Starts the program on the install and waits for its dock bar, shown
    // with the settings' two items.
    ::testing::AssertionResult StartedWithBar() {
        if (!program_.Start(PONDREL_EXE, {}, install_)) return ::testing::AssertionFailure() << "no program";
        if (!Logged(L"Reload Settings done", 30000)) return ::testing::AssertionFailure() << Log();
        if (!WaitFor([&] {
                bar_ = ::FindWindowW(L"HoverWin", L"PondRel");
                return bar_ && ::IsWindowVisible(bar_);
            }, 15000))
            return ::testing::AssertionFailure() << "no dock bar\n" << Log();
        if (!BarHolds(2, 10000)) return ::testing::AssertionFailure() << Text(WindowRect(bar_)) << "\n" << Log();
        return ::testing::AssertionSuccess();
    }
    // The bar at rest with n items: shown and as wide as n items.
    bool BarHolds(int n, DWORD timeoutMs) {
        return WaitFor([&] {
            return bar_ && ::IsWindowVisible(bar_) && WindowRect(bar_).right - WindowRect(bar_).left == BarWidth(n);
        }, timeoutMs);
    }
    // Clicks the last of n items until `done` holds: the pointer first at the
    // top of the strip (the slid-out bar comes in), then on the item's
    // centre, where it rests until the item has grown (the hovered item grows
    // around its place, so the pointer stays on it), then the click.  Under
    // Wine a pointer event that one of the program's other windows hands on
    // late (a panel flying under a resting pointer makes them) moves the
    // system's pointer back for a moment: the bar takes the pointer as gone
    // and slides out.  The pointer then goes away and the click is tried
    // again, three times at most.
    bool ClickLastItemUntil(int n, const std::function<bool()>& done) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            MoveTo(900, 900);
            if (!BarHolds(n, 10000)) return false;
            WaitFor([] { return false; }, 800);  // slid out: 22 ticks of 25 ms
            const RECT bar = WindowRect(bar_);
            const int x = bar.left + dock::kFirstItemX + (n - 1) * (60 + dock::kItemGap) + 30;
            MoveTo(x, bar.top + 2);
            MoveTo(x + 1, bar.top + 2);
            WaitFor([] { return false; }, 1500);  // slid in
            MoveTo(x, bar.top + dock::kItemTop + 30);
            MoveTo(x + 1, bar.top + dock::kItemTop + 30);
            WaitFor([] { return false; }, 1000);  // magnified: 5 ticks
            Click();
            if (WaitFor(done, 5000)) return true;
            std::printf("the click on item %d of %d is tried again\n", n, n);
        }
        return false;
    }

    coretest::CapturedLog log_;
    SavedInstallValue init_{L"init"};
    SavedInstallValue path_{L"path"};
    std::wstring install_;
    testsupport::Child program_;
    std::vector<std::wstring> lines_;
    HWND bar_ = nullptr;
};

TEST_F(DockProgram, ItemOpensItsPanelThePanelDocksAndAClickBringsItBack) {
    // The bar at the top of the screen with the settings' two items.
    ASSERT_TRUE(StartedWithBar());
    EXPECT_EQ(WindowRect(bar_).top, 0);

    // A click on "Dictionary" (the second item; the items go to the head in
    // the settings' order, so the last one named is first) opens its panel.
    const std::vector<HWND> earlier = PanelWindows();  // the start-up's MiniBrowse
    ASSERT_TRUE(ClickLastItemUntil(2, [&] {
        return Logged(L"Dock: item " + kDictionary + L" asks for its panel", 0);
    })) << Log();
    ASSERT_TRUE(Logged(L"Launch ECP GUID: " + kDictionary, 10000)) << Log();
    HWND panel = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        // The panel's child windows share its class and show with it: the
        // panel is the biggest new one.
        panel = nullptr;
        LONG area = 0;
        for (HWND w : PanelWindows()) {
            const RECT r = WindowRect(w);
            const LONG a = (r.right - r.left) * (r.bottom - r.top);
            if (std::find(earlier.begin(), earlier.end(), w) == earlier.end() && ::IsWindowVisible(w) && a > area) {
                panel = w;
                area = a;
            }
        }
        return panel != nullptr;
    }, 20000)) << "no panel window\n" << Log();
    MoveTo(900, 900);
    // The imported item stays; the pointer gone, the bar is back at rest.
    EXPECT_TRUE(BarHolds(2, 10000)) << Text(WindowRect(bar_));

    // The panel settles (faded in, its template laid out): its window stays
    // unchanged for a second.
    RECT before = WindowRect(panel);
    DWORD steadySince = ::GetTickCount();
    ASSERT_TRUE(WaitFor([&] {
        const RECT now = WindowRect(panel);
        if (!::EqualRect(&now, &before)) {
            before = now;
            steadySince = ::GetTickCount();
        }
        return ::GetTickCount() - steadySince > 1000;
    }, 15000)) << Text(before);
    templates::LayoutRect dockControl{}, laidOut{};
    ASSERT_TRUE(DockControlRect(360, 420, &dockControl, &laidOut));
    ASSERT_EQ(before.right - before.left, laidOut.right - laidOut.left) << Text(before) << "\n" << Log();
    ASSERT_EQ(before.bottom - before.top, laidOut.bottom - laidOut.top) << Text(before);

    // The panel's dock control: the panel flies into the bar and hides; its
    // live item joins the bar at the tail.
    const int cx = before.left + (dockControl.left + dockControl.right) / 2;
    const int cy = before.top + (dockControl.top + dockControl.bottom) / 2;
    MoveTo(cx, cy);
    MoveTo(cx + 1, cy);
    WaitFor([] { return false; }, 300);
    Click();
    MoveTo(5, 1000);  // away from the flight's path (see ClickLastItemUntil)
    ASSERT_TRUE(Logged(L"Panel " + kDictionary + L" docked", 15000)) << Log();
    ASSERT_TRUE(WaitFor([&] { return !::IsWindowVisible(panel); }, 10000)) << Log();
    MoveTo(900, 900);
    ASSERT_TRUE(BarHolds(3, 10000)) << Text(WindowRect(bar_)) << "\n" << Log();

    // A click on the live item: the panel flies out of the bar back to where
    // it was and shows; its item is gone, the two imported ones stay.
    ASSERT_TRUE(ClickLastItemUntil(3, [&] { return Logged(L"Panel " + kDictionary + L" undocked", 0); })) << Log();
    ASSERT_TRUE(WaitFor([&] {
        const RECT now = WindowRect(panel);
        return ::IsWindowVisible(panel) && ::EqualRect(&now, &before);
    }, 10000)) << Text(WindowRect(panel)) << " shown " << ::IsWindowVisible(panel) << " was " << Text(before);
    MoveTo(900, 900);
    EXPECT_TRUE(BarHolds(2, 10000)) << Text(WindowRect(bar_)) << "\n" << Log();
    EXPECT_TRUE(::IsWindow(panel));
}

// The dock menu by a right click on the bar: its "Auto Hide" turns the
// slide off, so the bar stays drawn when the pointer leaves it.  The bar's
// left cap tells whether the strip is drawn (slid out, the display shows
// black there).
TEST_F(DockProgram, RightClickMenuTurnsAutoHideOff) {
    ASSERT_TRUE(StartedWithBar());
    const RECT bar = WindowRect(bar_);
    const POINT cap{bar.left + 8, bar.top + 30};  // the left cap, drawn 10 pixels up

    // The pointer at the top of the strip brings the bar in; away, it slides
    // out again.
    MoveTo(cap.x, bar.top + 2);
    MoveTo(cap.x + 1, bar.top + 2);
    EXPECT_TRUE(WaitFor([&] { return ScreenDrawnAt(cap.x, cap.y); }, 15000));
    MoveTo(900, 900);
    EXPECT_TRUE(WaitFor([&] { return ScreenBlackAt(cap.x, cap.y); }, 15000));

    // Back in, a right click on the empty cap opens the dock menu there.
    HWND menu = nullptr;
    for (int attempt = 0; attempt < 3 && !menu; ++attempt) {
        MoveTo(cap.x, bar.top + 2);
        MoveTo(cap.x + 1, bar.top + 2);
        WaitFor([] { return false; }, 1500);  // slid in
        MoveTo(cap.x, cap.y);
        MoveTo(cap.x + 1, cap.y);
        WaitFor([] { return false; }, 300);
        testsupport::Run(kXdotool, {L"mousedown", L"3"}, 10000);
        WaitFor([] { return false; }, 100);
        testsupport::Run(kXdotool, {L"mouseup", L"3"}, 10000);
        WaitFor([&] {
            HWND w = ::FindWindowW(L"PondMenu", L"dcontext");
            if (w && ::IsWindowVisible(w)) menu = w;
            return menu != nullptr;
        }, 5000);
        if (!menu) {
            std::printf("the right click is tried again\n");
            MoveTo(900, 900);
            WaitFor([] { return false; }, 800);
        }
    }
    ASSERT_NE(menu, nullptr) << "no dock menu\n" << Log();
    const RECT m = WindowRect(menu);
    EXPECT_GE(m.left, cap.x - 2);
    EXPECT_LE(m.left, cap.x + 2);

    // "Auto Hide", its one item, chosen.
    const int ix = (m.left + m.right) / 2, iy = m.top + 19 / 2;
    MoveTo(ix, iy);
    MoveTo(ix + 1, iy);
    MoveTo(ix + 2, iy);
    WaitFor([] { return false; }, 300);
    Click();
    ASSERT_TRUE(Logged(L"Dock: auto hide off", 5000)) << Log();
    EXPECT_TRUE(WaitFor([&] { return !::IsWindowVisible(menu); }, 5000));

    // The pointer away: the bar stays.
    MoveTo(900, 900);
    WaitFor([] { return false; }, 1500);  // long enough to slide out
    EXPECT_TRUE(WaitFor([&] { return ScreenDrawnAt(cap.x, cap.y); }, 5000));
}

}  // namespace
