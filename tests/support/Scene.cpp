#include "tests/support/Scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>

#include "fx/Handle.h"
#include "hosts/HostWindowClasses.h"

namespace scene {

namespace {

const char* const kXdotool = "/usr/bin/xdotool";

}  // namespace

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

RECT Center(const RECT& r) {
    const LONG x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
    return RECT{x, y, x + 1, y + 1};
}

void MoveTo(int x, int y) { testsupport::Run(kXdotool, {L"mousemove", std::to_wstring(x), std::to_wstring(y)}, 10000); }

void Click() {
    testsupport::Run(kXdotool, {L"mousedown", L"1"}, 10000);
    testsupport::WaitFor([] { return false; }, 100);
    testsupport::Run(kXdotool, {L"mouseup", L"1"}, 10000);
}

bool HoverUntil(int x, int y, const std::function<bool()>& cond) {
    for (int i = 0; i < 8; ++i) {
        MoveTo(x + (i % 2), y + (i % 3 == 2 ? 1 : 0));
        if (testsupport::WaitFor(cond, 700)) return true;
    }
    return false;
}

void Snapshot(const char* name, std::initializer_list<RECT> windows) {
    const char* dir = std::getenv("PONDREL_SCREENSHOT_DIR");
    if (dir == nullptr || *dir == '\0') return;
    constexpr int kMargin = 24;
    RECT area = *windows.begin();
    for (const RECT& r : windows) ::UnionRect(&area, &area, &r);
    ::InflateRect(&area, kMargin, kMargin);
    area.left = std::max(0L, area.left);
    area.top = std::max(0L, area.top);
    // A fade has ended by then.
    testsupport::WaitFor([] { return false; }, 1500);
    const std::wstring geometry = std::to_wstring(area.right - area.left) + L"x" +
                                  std::to_wstring(area.bottom - area.top) + L"+" + std::to_wstring(area.left) +
                                  L"+" + std::to_wstring(area.top);
    const std::wstring file = testsupport::Wide(std::string(dir) + "/" + name + ".png");
    EXPECT_EQ(testsupport::Run("/usr/bin/import", {L"-window", L"root", L"-crop", geometry, L"+repage", file}, 30000), 0)
        << "could not capture " << name;
}

std::wstring ScratchDir(const wchar_t* prefix) {
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    std::wstring dir = std::wstring(temp) + prefix + L"-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                       std::to_wstring(++counter) + L"\\";
    ::CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

std::wstring WriteFile(const std::wstring& dir, const std::wstring& name, const std::string& text) {
    const std::wstring path = dir + name;
    fx::UniqueHandle h(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!h || !::WriteFile(h.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written != text.size())
        ADD_FAILURE() << "could not write " << testsupport::Utf8(path);
    return path;
}

int CopyFiles(const std::wstring& from, const wchar_t* pattern, const std::wstring& to) {
    WIN32_FIND_DATAW f;
    HANDLE find = ::FindFirstFileW((from + pattern).c_str(), &f);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int copied = 0;
    do {
        if (f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (::CopyFileW((from + f.cFileName).c_str(), (to + f.cFileName).c_str(), FALSE)) ++copied;
    } while (::FindNextFileW(find, &f));
    ::FindClose(find);
    return copied;
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

DefaultBrowser::DefaultBrowser(const std::string& exe) : exe_(exe) {
    record_ = testsupport::TempFile("scene-browser.txt");
    ::SetEnvironmentVariableW(L"PONDREL_BROWSER_RECORD", testsupport::Wide(record_).c_str());
    ::SetEnvironmentVariableW(L"PONDREL_BROWSER_SECONDS", L"3");
    ::SetEnvironmentVariableW(L"PONDREL_BROWSER_CLASS", nullptr);
    registered_ = testsupport::Run(exe_, {L"--register"}) == 0;
}

DefaultBrowser::~DefaultBrowser() {
    if (registered_) testsupport::Run(exe_, {L"--unregister"});
    ::SetEnvironmentVariableW(L"PONDREL_BROWSER_RECORD", nullptr);
    ::SetEnvironmentVariableW(L"PONDREL_BROWSER_SECONDS", nullptr);
}

std::string DefaultBrowser::Record() const { return testsupport::ReadAll(record_); }

void StartFirefoxInFront(testsupport::Child& firefox, const std::string& exe, const std::wstring& dir) {
    const std::string page = "location http://example.test/ponds\n"
                             "domain example.test\n"
                             "title Ponds\n"
                             "piece Pond life|" + std::to_string(kPiece.left) + "," + std::to_string(kPiece.top) +
                             "," + std::to_string(kPiece.right) + "," + std::to_string(kPiece.bottom) + "\n";
    const std::wstring script = WriteFile(dir, L"firefox-page.txt",
                                          page + "flags page selection\n"
                                                 "next\n" +
                                              page + "flags none\n");
    const std::wstring report = dir + L"firefox-report.txt";
    ::DeleteFileW(report.c_str());
    ASSERT_TRUE(firefox.Start(exe, {L"--window", L"--script", script, L"--report", report, L"--run-ms", L"170000"}));
    std::string seen;
    ASSERT_TRUE(testsupport::WaitFor(
        [&] {
            seen = testsupport::ReadAll(testsupport::Utf8(report));
            return seen.find("foreground\n") != std::string::npos;
        },
        20000))
        << "the stand-in Firefox window did not come to the foreground: " << seen;
    // The pointer rests on the text just selected.
    MoveTo(kPiece.left + 20, (kPiece.top + kPiece.bottom) / 2);
}

void BackToFirefox() {
    // The browser's window shows for a few seconds, then closes.
    auto browserShown = [] {
        HWND w = ::FindWindowW(host_class::kIEFrame, L"Browser stand-in");
        return w && ::IsWindowVisible(w);
    };
    if (testsupport::WaitFor(browserShown, 20000)) testsupport::WaitFor([&] { return !browserShown(); }, 30000);
    MoveTo(kPiece.left + 20, (kPiece.top + kPiece.bottom) / 2);
    HWND firefox = ::FindWindowW(host_class::kFirefoxFrame, nullptr);
    ASSERT_NE(firefox, nullptr);
    ASSERT_TRUE(testsupport::WaitFor(
        [&] {
            if (::GetForegroundWindow() == firefox) return true;
            ::SetForegroundWindow(firefox);
            return false;
        },
        20000))
        << "the stand-in Firefox window did not come back to the foreground";
}

void AwaitHotspot(Road& road, const Log& log) {
    ASSERT_TRUE(testsupport::WaitFor([] { return Shown(L"HoverHotspot"); }, 15000))
        << "no hotspot beside the selection\n" << log();
    road.hotspot = WindowRect(Popup(L"HoverHotspot"));
    // Just right of the selection's top right corner.
    EXPECT_GE(road.hotspot.left, kPiece.right - 8);
    EXPECT_LE(road.hotspot.left, kPiece.right + 3);
    EXPECT_LT(road.hotspot.bottom, kPiece.bottom);
}

void OpenTextMenu(Road& road, const Log& log) {
    const RECT at = Center(road.hotspot);
    ASSERT_TRUE(HoverUntil(at.left, at.top, [] { return Shown(L"TxMenu"); }))
        << "the text menu did not open\n" << log();
    road.menu = WindowRect(Popup(L"TxMenu"));
    EXPECT_GE(road.menu.top, road.hotspot.top) << "below the hotspot";
    EXPECT_EQ(road.menu.right - road.menu.left, 180);
    // The default best guess and its divider, then "Reference" after its own.
    EXPECT_EQ(road.menu.bottom - road.menu.top, kReferenceTop + kItem + 5);
}

void OpenSubMenu(Road& road, const Log& log) {
    ASSERT_TRUE(HoverUntil(road.menu.left + 60, road.menu.top + kReferenceTop + kItem / 2,
                           [] { return Shown(L"company"); }))
        << "the category's sub-menu did not open\n" << log();
    road.sub = WindowRect(Popup(L"company"));
    // Dictionary, Encyclopedia, Web Search, Search the Web.
    EXPECT_EQ(road.sub.bottom - road.sub.top, kSubMenuItems * kItem + 5);
}

void ClickSubMenuItem(const Road& road, SubMenuItem item, const char* snapshot) {
    // The menu is as wide as its texts measure, which depends on the fonts
    // installed: the middle of the row is on the item whatever they are.
    const int x = (road.sub.left + road.sub.right) / 2, y = road.sub.top + item * kItem + kItem / 2;
    MoveTo(x, y);
    MoveTo(x + 1, y);
    MoveTo(x + 2, y);
    ASSERT_TRUE(testsupport::WaitFor([] { return Shown(L"company"); }, 500));
    if (snapshot) Snapshot(snapshot, {kPiece, road.hotspot, road.menu, road.sub});
    Click();
}

}  // namespace scene
