// The whole program from start to finish, through real processes only: the
// loopback server serving the demo (its settings with the server's base URL
// written in, the HKLM init value pointing there), the stand-in Firefox
// extension with its window of Firefox's class in front and "Pond life"
// selected, the stand-in browser registered as the default browser, the real
// PondRel.exe, and the shared debug log read as the log viewer reads it.  The
// pointer is driven with xdotool: the hotspot beside the selection, the text
// menu with the demo's searches and panels, a search opened in the browser,
// a panel opened with its template and content and closed from its close
// control; "shut" then ends the program, whose usage report has reached the
// server.  Each stage checks the program's log lines.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/tests/support/ShellHarness.h"
#include "tests/httpserver/LoopbackServer.h"
#include "tests/support/Scene.h"
#include "tests/support/TestSupport.h"

namespace {

using scene::Shown;
using testsupport::Utf8;
using testsupport::WaitFor;

// The demo's panel "Dictionary" (Slate skin, 360 by 420) and its content
// request's text parameter for "Pond life".
constexpr const wchar_t* kDictionary = L"0E3A4C51-8D2B-4F6A-B1C7-2D9E5F8A3B14";
constexpr const char* kDictionaryA = "0E3A4C51-8D2B-4F6A-B1C7-2D9E5F8A3B14";
// (The web control sends its URL canonical: the program's "%50%6f..." for
// "Pond life" arrives as "Pond%20life"; the test compares the decoded text.)
constexpr const char* kText = "Pond life";
// The Slate template laid out round the panel's 360 by 420: a 5-pixel frame
// left, right and below and a 32-pixel title bar above, the right and bottom
// pieces (anchored to the far edges) ending one pixel inside, as the
// template layout places far-anchored elements; its close control 20 by 20,
// anchored 4 pixels in from the panel's right edge, 26 above its top.
constexpr int kFrameSide = 5, kFrameTop = 32, kFrameBottom = 5;
constexpr int kPanelWidth = 360, kPanelHeight = 420;
constexpr int kWindowWidth = kFrameSide + kPanelWidth + kFrameSide - 1;
constexpr int kWindowHeight = kFrameTop + kPanelHeight + kFrameBottom - 1;
constexpr int kCloseLeft = kFrameSide + kPanelWidth - 4 - 20 - 1, kCloseTop = kFrameTop - 26, kCloseSize = 20;

std::wstring HttpRoot() { return testsupport::WinDir(E2E_HTTP_ROOT); }
std::wstring SourceDir() { return testsupport::WinDir(E2E_SOURCE_DIR); }

BOOL CALLBACK AddVisiblePanel(HWND w, LPARAM out) {
    wchar_t cls[64] = {};
    ::GetClassNameW(w, cls, 63);
    if (wcscmp(cls, L"BackWin777") == 0 && ::IsWindowVisible(w)) reinterpret_cast<std::set<HWND>*>(out)->insert(w);
    return TRUE;
}

LONG Area(HWND w) {
    RECT r{};
    ::GetWindowRect(w, &r);
    return (r.right - r.left) * (r.bottom - r.top);
}

// The visible top-level "BackWin777" windows: the panels on the screen and
// their child windows.
std::set<HWND> PanelWindows() {
    std::set<HWND> found;
    ::EnumWindows(AddVisiblePanel, reinterpret_cast<LPARAM>(&found));
    return found;
}

struct ProcessWindows {
    DWORD pid;
    int count;
};

BOOL CALLBACK CountProcessWindow(HWND w, LPARAM p) {
    auto* c = reinterpret_cast<ProcessWindows*>(p);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(w, &owner);
    if (owner == c->pid) ++c->count;
    return TRUE;
}

// The number of top-level windows of process pid.
int WindowsOf(DWORD pid) {
    ProcessWindows windows{pid, 0};
    ::EnumWindows(CountProcessWindow, reinterpret_cast<LPARAM>(&windows));
    return windows.count;
}

// Requests the server recorded whose target holds `part`.
std::vector<loopback::Request> RequestsFor(const std::string& method, const std::string& part) {
    std::vector<loopback::Request> out;
    for (auto& r : loopback::Requests())
        if (r.method == method && r.target.find(part) != std::string::npos) out.push_back(r);
    return out;
}

// One query parameter's value, percent-decoded ("" when absent).
std::string QueryValue(const std::string& target, const std::string& name) {
    size_t at = target.find('?');
    while (at != std::string::npos) {
        ++at;
        if (target.compare(at, name.size() + 1, name + "=") == 0) {
            const size_t start = at + name.size() + 1, end = std::min(target.find('&', start), target.size());
            std::string value;
            for (size_t i = start; i < end; ++i) {
                if (target[i] == '%' && i + 2 < end) {
                    value += static_cast<char>(std::strtol(target.substr(i + 1, 2).c_str(), nullptr, 16));
                    i += 2;
                } else {
                    value += target[i] == '+' ? ' ' : target[i];
                }
            }
            return value;
        }
        at = target.find('&', at);
    }
    return "";
}

std::string Targets() {
    std::string all;
    for (auto& r : loopback::Requests()) all += r.method + " " + r.target + "\n";
    return all;
}

class EndToEnd : public shell::ShellTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(shell::ShellTest::SetUp());
        // A fresh install: a new install folder holding only the images (the
        // hotspot's and the menus' skin, as tools/run installs them), no
        // per-user values.
        scratch_ = scene::ScratchDir(L"pondrel-e2e");
        const std::wstring install = scratch_ + L"install";
        ::CreateDirectoryW(install.c_str(), nullptr);
        path_.Set(install);
        const std::wstring images = install + L"\\Images\\";
        ::CreateDirectoryW(images.c_str(), nullptr);
        ASSERT_GT(scene::CopyFiles(SourceDir() + L"demo\\Images\\", L"*.png", images), 0);
        shell::DeleteUserTree();

        // The demo served: its settings with the server's base URL written
        // in, and a log URL that takes the usage report.  The one change to
        // the demo's settings: the usage statistics go out every 2 seconds
        // instead of every 5 minutes, so that the report reaches the server
        // within the test.
        std::string settings;
        ASSERT_TRUE(testsupport::ReadWholeFile(SourceDir() + L"demo\\settings.xml", settings));
        settings = scene::ReplaceAll(settings, "{server}", Utf8(loopback::Url(L"/files")));
        const std::string interval = "<log_interval>300</log_interval>";
        ASSERT_NE(settings.find(interval), std::string::npos);
        settings = scene::ReplaceAll(settings, interval, "<log_interval>2</log_interval>");
        scene::WriteFile(HttpRoot(), L"settings.xml", settings);
        ::CreateDirectoryW((HttpRoot() + L"log").c_str(), nullptr);
        scene::WriteFile(HttpRoot() + L"log\\", L"stats.asp", "ok");
        // The init URL names the production server's host in its query, so
        // that the program sends its usage statistics to this server.
        init_.Set(loopback::Url(L"/files/settings.xml?site=www.pondrel.com"));

        browser_ = std::make_unique<scene::DefaultBrowser>(BROWSER_STANDIN_EXE);
        ASSERT_TRUE(browser_->registered());
        loopback::Clear();
    }
    void TearDown() override {
        // Never leave an instance behind: its own "shut" first.
        if (program_ && !program_->child.Wait(0)) testsupport::Run(PONDREL_EXE, {L"shut"}, 30000);
        shell::ShellTest::TearDown();
        firefox_.Kill();
        browser_.reset();
    }

    // The program's last log lines, for a failure's message.
    std::string Log() {
        const auto& all = Lines();
        std::string out;
        for (size_t i = all.size() > 80 ? all.size() - 80 : 0; i < all.size(); ++i) out += Utf8(all[i]) + "\n";
        return out;
    }
    bool Logged(const std::wstring& line, DWORD timeoutMs) {
        return WaitFor([&] { return shell::Contains(Lines(), line); }, timeoutMs);
    }
    bool LoggedStart(const std::wstring& start, size_t from, DWORD timeoutMs) {
        return WaitFor([&] {
            for (const auto& l : LinesFrom(from))
                if (l.compare(0, start.size(), start) == 0) return true;
            return false;
        }, timeoutMs);
    }
    // The pointer from the selection to the category's sub-menu.
    void OpenTheSubMenu(scene::Road& road) {
        const scene::Log log = [this] { return Log(); };
        ASSERT_NO_FATAL_FAILURE(scene::AwaitHotspot(road, log));
        ASSERT_NO_FATAL_FAILURE(scene::OpenTextMenu(road, log));
        ASSERT_NO_FATAL_FAILURE(scene::OpenSubMenu(road, log));
    }

    std::wstring scratch_;
    std::unique_ptr<scene::DefaultBrowser> browser_;
    shell::Program* program_ = nullptr;
    testsupport::Child firefox_;
};

TEST_F(EndToEnd, SelectionSearchPanelAndShut) {
    // Firefox in front with "Pond life" selected, then the program.
    ASSERT_NO_FATAL_FAILURE(scene::StartFirefoxInFront(firefox_, FIREFOX_EXT_EXE, scratch_));
    program_ = &Start({});
    ASSERT_TRUE(WaitUntilInstance(*program_, 30000)) << Log();
    const DWORD pid = program_->child.pid();

    // Start-up: the demo settings downloaded and applied, both enhancers
    // loaded.
    ASSERT_TRUE(Logged(L"Reload Settings done", 30000)) << Log();
    EXPECT_TRUE(LoggedStart(L"Init URL " + loopback::Url(L"/files/settings.xml?site=www.pondrel.com"), 0, 1000));
    EXPECT_TRUE(shell::InOrder(Lines(), {L"Internet Explorer Enhancer has been loaded!", L"Firefox Enhancer has been loaded!",
                                  L"Reload Settings done"}));
    EXPECT_FALSE(RequestsFor("GET", "/files/settings.xml?site=www.pondrel.com").empty()) << Targets();

    // The selection arrives from Firefox and the hotspot shows beside it.
    const std::wstring selection = L"Selection: \"Pond life\" at 300,300,420,318";
    ASSERT_TRUE(Logged(selection, 30000)) << Log();
    scene::Road road;
    ASSERT_NO_FATAL_FAILURE(OpenTheSubMenu(road));
    EXPECT_TRUE(shell::InOrder(Lines(), {selection, L"AddBestGuesses: Pond life", L"******ShowMini****"}));

    // A search: the stand-in browser receives its URL with the text encoded.
    ASSERT_NO_FATAL_FAILURE(scene::ClickSubMenuItem(road, scene::kSearchTheWeb));
    ASSERT_TRUE(WaitFor([&] { return browser_->Record().find(scene::kSearchTail) != std::string::npos; }, 30000))
        << "browser record: " << browser_->Record() << "\n" << Log();
    EXPECT_TRUE(WaitFor([] { return !Shown(L"TxMenu") && !Shown(L"company"); }, 5000)) << "the choice closes the menus";

    // A panel: back in Firefox, the selection brings the hotspot again, and
    // the sub-menu's "Dictionary" opens its panel.
    ASSERT_NO_FATAL_FAILURE(scene::BackToFirefox());
    const std::set<HWND> before = PanelWindows();
    const size_t launchFrom = LineCount();
    road = scene::Road{};
    ASSERT_NO_FATAL_FAILURE(OpenTheSubMenu(road));
    ASSERT_NO_FATAL_FAILURE(scene::ClickSubMenuItem(road, scene::kDictionary));
    ASSERT_TRUE(Logged(L"Launch ECP GUID: " + std::wstring(kDictionary), 30000)) << Log();
    EXPECT_TRUE(shell::InOrder(LinesFrom(launchFrom), {L"MenuCmdHandler: Token = Pond life",
                                                      L"Launch ECP GUID: " + std::wstring(kDictionary)}));
    EXPECT_TRUE(LoggedStart(L"ActiveECP Count: ", launchFrom, 1000)) << Log();
    HWND panel = nullptr;
    // The panel's child windows share its class and show with it: the panel
    // is the biggest new one.
    ASSERT_TRUE(WaitFor([&] {
        panel = nullptr;
        for (HWND w : PanelWindows())
            if (!before.count(w) && (!panel || Area(w) > Area(panel))) panel = w;
        return panel != nullptr && scene::WindowRect(panel).right - scene::WindowRect(panel).left == kWindowWidth;
    }, 30000)) << "no panel window\n" << Log();
    EXPECT_TRUE(WaitFor([] { return !Shown(L"TxMenu") && !Shown(L"company"); }, 5000)) << "the choice closes the menus";
    // Its window template (the Slate skin's, downloaded from the server),
    // laid out for the panel's size: the window holds the panel and its frame.
    EXPECT_FALSE(RequestsFor("GET", "/files/templates/?template=ecp&skin=Slate").empty()) << Targets();
    RECT shown = scene::WindowRect(panel);
    EXPECT_EQ(shown.right - shown.left, kWindowWidth);
    EXPECT_EQ(shown.bottom - shown.top, kWindowHeight);
    // Its content web view asks the server for the record's content with
    // the selected text.
    EXPECT_TRUE(WaitFor([&] {
        for (auto& r : RequestsFor("GET", "/files/ecp/?type=ecp&ecpguid=" + std::string(kDictionaryA)))
            if (QueryValue(r.target, "token") == kText) return true;
        return false;
    }, 30000)) << "no content request for the record with the text\n" << Targets() << Log();
    EXPECT_TRUE(LoggedStart(L"Navigating to " + loopback::Url(L"/files/ecp/?type=ecp&ecpguid=") + kDictionary +
                                L"&token=",
                            launchFrom, 5000))
        << Log();
    scene::Snapshot("panel", {shown});

    // The close control closes the panel.  (The panel may still move while
    // it fades in: the click goes where it has stayed for half a second.)
    RECT last = scene::WindowRect(panel);
    for (int i = 0; i < 60; ++i) {
        WaitFor([] { return false; }, 500);
        shown = scene::WindowRect(panel);
        if (::EqualRect(&shown, &last)) break;
        last = shown;
    }
    // A click on the title bar away from its controls leaves it open.
    scene::MoveTo(shown.left + kFrameSide + 100, shown.top + 4);
    scene::Click();
    WaitFor([] { return false; }, 1500);
    ASSERT_TRUE(::IsWindowVisible(panel)) << "a click on the title bar closed the panel\n" << Log();
    shown = scene::WindowRect(panel);
    const int closeX = shown.left + kCloseLeft + kCloseSize / 2;
    const int closeY = shown.top + kCloseTop + kCloseSize / 2;
    scene::MoveTo(closeX, closeY);
    scene::MoveTo(closeX + 1, closeY);
    scene::Click();
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(panel) || !::IsWindowVisible(panel); }, 30000))
        << "the panel did not close\n" << Log();

    // The usage reports reach the server's log URL (one batch every 2
    // seconds, each with what was counted since the one before): the
    // hotspot that opened the text menu, the panel launched from it, the
    // chosen items, the panel's record opened once (after it closed).
    std::string reports;
    auto reported = [&] {
        reports.clear();
        for (auto& r : RequestsFor("POST", "/files/log/stats.asp")) {
            EXPECT_EQ(r.body.compare(0, 5, "data="), 0) << r.body;
            reports += r.body + "\n";
        }
        return reports.find(std::string("1002.1\t")) != std::string::npos &&
               reports.find(std::string("\t") + kDictionaryA + "\t1\t") != std::string::npos;
    };
    EXPECT_TRUE(WaitFor(reported, 30000)) << "no usage report with the panel's line\n" << reports << Log();
    for (const char* metric : {"1000.0\t", "1001.0\t", "1010.0\t", "1033.0\t", "1036.0\t"})
        EXPECT_NE(reports.find(metric), std::string::npos) << metric << " missing from\n" << reports;

    // The running instance holds the single-instance mutex and its windows.
    // (Once the process is gone both are gone whatever it did: what shows a
    // clean end is its exit code and its threads ending within their bounds.)
    EXPECT_TRUE(shell::MutexExists());
    EXPECT_GT(WindowsOf(pid), 0);

    // "shut" ends the program: every thread within its bound, exit code 0.
    const size_t shutFrom = LineCount();
    DWORD code = 99;
    ASSERT_TRUE(RunToEnd({L"shut"}, &code, 60000)) << Log();
    EXPECT_EQ(code, 0u);
    DWORD programCode = 99;
    ASSERT_TRUE(program_->child.Wait(30000, &programCode)) << "the program did not end\n" << Log();
    EXPECT_EQ(programCode, 0u);
    const auto shut = LinesFrom(shutFrom);
    EXPECT_TRUE(shell::InOrder(shut, {L"Shut parm recieved", L"Already Running Kill"}));
    EXPECT_TRUE(LoggedStart(L"Quit ticks: ", shutFrom, 5000)) << Log();
    // The demo serves every document its settings name: a run on it logs
    // no failed download (the messages file, the ignore list, the icons).
    for (const auto& l : Lines()) {
        EXPECT_EQ(l.find(L"did not end within"), std::wstring::npos) << Utf8(l);
        EXPECT_EQ(l.find(L"*** Exception caught"), std::wstring::npos) << Utf8(l);
        EXPECT_EQ(l.find(L"failed: HTTP status"), std::wstring::npos) << Utf8(l);
    }
}

}  // namespace
