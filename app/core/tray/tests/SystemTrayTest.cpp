// The tray icon through a recording shell (the data of every call, the
// thread it came from) and once through the real Shell_NotifyIconW: creation,
// tooltips, balloons, hiding, the re-add after "TaskbarCreated" and a
// work-area change, the icon's notifications and requests from other threads.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/core/common/Resource.h"
#include "app/tests/support/RecordingShell.h"
#include "app/core/tray/SystemTray.h"
#include "fx/Handle.h"

namespace {

using apptest::Call;
using apptest::RecordingShell;

struct RecordingHost : TrayHost {
    bool FlushingInput() override { return flushing; }
    bool IsReady() override { return ready; }
    bool BalloonStartsUpdate() override { return updateBalloon; }
    void StartSetupDownload() override { ++setupDownloads; }
    void OpenTrayMenu(POINT) override { ++menus; }
    HWND CommandTarget() override { return target; }
    void ShowLook(bool connecting) override { looks.push_back(connecting); }
    std::vector<bool> looks;
    bool flushing = false, ready = true, updateBalloon = false;
    int setupDownloads = 0, menus = 0;
    HWND target = nullptr;
};

bool IconAlive(HICON icon) {
    ICONINFO info = {};
    if (!icon || !::GetIconInfo(icon, &info)) return false;
    if (info.hbmColor) ::DeleteObject(info.hbmColor);
    if (info.hbmMask) ::DeleteObject(info.hbmMask);
    return true;
}

// Runs the calling thread's queue until it is empty (bounded).
void Pump() {
    MSG msg;
    for (int i = 0; i < 1000 && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) ::DispatchMessageW(&msg);
}

class SystemTrayTest : public ::testing::Test {
protected:
    void SetUp() override {
        tray_.SetShell(&shell_);
        tray_.SetHost(&host_);
        ASSERT_TRUE(tray_.Create(nullptr, L"Click to Launch PondRel", ::LoadIconW(nullptr, IDI_APPLICATION)));
        shell_.calls.clear();
    }
    RecordingShell shell_;
    RecordingHost host_;
    CSystemTray tray_;
};

TEST(SystemTrayCreate, AddsTheIconWithTheProgramsRecordAndCutsTheTooltip) {
    RecordingShell shell;
    CSystemTray tray;
    tray.SetShell(&shell);
    std::wstring tip(200, L'x');
    ASSERT_TRUE(tray.Create(nullptr, tip.c_str(), ::LoadIconW(nullptr, IDI_APPLICATION)));
    ASSERT_EQ(shell.calls.size(), 1u);
    const Call& add = shell.calls[0];
    EXPECT_EQ(add.message, static_cast<DWORD>(NIM_ADD));
#ifndef _WIN64
    EXPECT_EQ(add.data.cbSize, 952u);
#else
    EXPECT_EQ(add.data.cbSize, offsetof(NOTIFYICONDATAW, hBalloonIcon));
#endif
    EXPECT_EQ(add.data.uID, 144u);
    EXPECT_EQ(add.data.uCallbackMessage, 32778u);
    EXPECT_EQ(add.data.uFlags, 7u);
    EXPECT_EQ(add.data.hWnd, tray.hwnd()) << "no owner: the tray's own window takes the callbacks";
    EXPECT_EQ(std::wstring(add.data.szTip), std::wstring(127, L'x'));
    EXPECT_FALSE(tray.Removed());
    EXPECT_FALSE(tray.Hidden());

    // A later tooltip is cut the same way.
    shell.calls.clear();
    ASSERT_TRUE(tray.SetTooltipText(std::wstring(300, L'y').c_str()));
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(shell.calls[0].data.uFlags, static_cast<UINT>(NIF_TIP));
    EXPECT_EQ(std::wstring(shell.calls[0].data.szTip), std::wstring(127, L'y'));
}

TEST(SystemTrayCreate, AFailedAddLeavesTheIconRemovedHiddenAndPending) {
    RecordingShell shell;
    shell.answer = FALSE;
    CSystemTray tray;
    tray.SetShell(&shell);
    EXPECT_FALSE(tray.Create(nullptr, L"tip", ::LoadIconW(nullptr, IDI_APPLICATION)));
    EXPECT_TRUE(tray.Removed());
    EXPECT_TRUE(tray.Hidden());
    EXPECT_TRUE(tray.ShowPending());
}

TEST(SystemTrayCreate, ANotEnabledTrayNeverCallsTheShell) {
    RecordingShell shell;
    CSystemTray tray;
    tray.SetShell(&shell);
    tray.SetEnabled(false);
    EXPECT_FALSE(tray.Create(nullptr, L"tip", nullptr));
    EXPECT_FALSE(tray.SetTooltipText(L"tip"));
    EXPECT_FALSE(tray.SetIcon(IDI_TRAY_ONLINE));
    EXPECT_FALSE(tray.ShowBalloon(L"text", L"title", nullptr));
    EXPECT_TRUE(shell.calls.empty());
}

TEST_F(SystemTrayTest, ABalloonShowsOnceWithItsIconAndCutTexts) {
    if (!tray_.BalloonSupport()) GTEST_SKIP() << "no balloons on this platform";
    HICON balloon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_BALLOON));
    ASSERT_NE(balloon, nullptr);
    std::wstring text(400, L't'), title(100, L'h');
    ASSERT_TRUE(tray_.ShowBalloon(text.c_str(), title.c_str(), balloon));
    ASSERT_EQ(shell_.calls.size(), 1u);
    const NOTIFYICONDATAW& d = shell_.calls[0].data;
    EXPECT_EQ(shell_.calls[0].message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(d.uFlags, static_cast<UINT>(NIF_ICON | NIF_INFO));
    EXPECT_EQ(d.uFlags, 0x12u);
    EXPECT_EQ(d.hIcon, balloon);
    EXPECT_EQ(std::wstring(d.szInfo), std::wstring(255, L't')) << "the 256-character field, ended";
    EXPECT_EQ(std::wstring(d.szInfoTitle), std::wstring(63, L'h')) << "the 64-character field, ended";
    EXPECT_EQ(d.dwInfoFlags, static_cast<DWORD>(NIIF_USER));
    EXPECT_EQ(d.uTimeout, 10000u);

    // The stored text is gone: the next change shows no balloon again.
    EXPECT_EQ(tray_.Data().szInfo[0], L'\0');
    ASSERT_TRUE(tray_.SetTooltipText(L"PondRel - Enabled and Online"));
    EXPECT_EQ(shell_.calls.back().data.szInfo[0], L'\0');

    // No title: an empty one.
    ASSERT_TRUE(tray_.ShowBalloon(L"text", nullptr, balloon));
    EXPECT_EQ(shell_.calls.back().data.szInfoTitle[0], L'\0');
}

TEST_F(SystemTrayTest, TheLoadedIconStaysAliveForTheReAddAfterTheShellRestarts) {
    ASSERT_TRUE(tray_.SetIcon(IDI_TRAY_ONLINE));
    ASSERT_EQ(shell_.calls.size(), 1u);
    EXPECT_EQ(shell_.calls[0].data.uFlags, static_cast<UINT>(NIF_ICON));
    HICON first = shell_.calls[0].data.hIcon;
    ASSERT_TRUE(IconAlive(first)) << "the shown icon lives on after the call";

    shell_.calls.clear();
    ::SendMessageW(tray_.hwnd(), ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    ASSERT_EQ(shell_.calls.size(), 1u);
    EXPECT_EQ(shell_.calls[0].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(shell_.calls[0].data.uFlags, 7u) << "the creation flags again";
    EXPECT_EQ(shell_.calls[0].data.hIcon, first);
    EXPECT_TRUE(IconAlive(shell_.calls[0].data.hIcon)) << "the re-added icon is no destroyed handle";
    EXPECT_FALSE(tray_.ShowPending());

    // The next icon replaces the first, which goes then.
    ASSERT_TRUE(tray_.SetIcon(IDI_TRAY_CONNECTING));
    EXPECT_TRUE(IconAlive(tray_.Data().hIcon));
    EXPECT_FALSE(IconAlive(first));

    // An icon that cannot be loaded leaves the current one.
    HICON current = tray_.Data().hIcon;
    EXPECT_FALSE(tray_.SetIcon(9));
    EXPECT_EQ(tray_.Data().hIcon, current);
}

TEST_F(SystemTrayTest, AHiddenIconStaysHiddenWhenTheShellRestartsOrTheWorkAreaChanges) {
    if (!tray_.BalloonSupport()) GTEST_SKIP() << "hiding removes the icon on this platform";
    ASSERT_TRUE(tray_.HideIcon());
    ASSERT_EQ(shell_.calls.size(), 1u);
    EXPECT_EQ(shell_.calls[0].data.uFlags, static_cast<UINT>(NIF_STATE));
    EXPECT_EQ(shell_.calls[0].data.dwState, static_cast<DWORD>(NIS_HIDDEN));
    EXPECT_EQ(shell_.calls[0].data.dwStateMask, static_cast<DWORD>(NIS_HIDDEN));

    shell_.calls.clear();
    ::SendMessageW(tray_.hwnd(), ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    ::SendMessageW(tray_.hwnd(), WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    EXPECT_TRUE(shell_.calls.empty());
    EXPECT_TRUE(tray_.Hidden());
    // While hidden a new icon and tooltip are only kept.
    EXPECT_TRUE(tray_.SetIcon(IDI_TRAY_ONLINE));
    EXPECT_TRUE(tray_.SetTooltipText(L"kept"));
    EXPECT_TRUE(shell_.calls.empty());
    EXPECT_EQ(std::wstring(tray_.Data().szTip), L"kept");
}

TEST_F(SystemTrayTest, OnlyAWorkAreaChangeAddsTheIconAgain) {
    ::SendMessageW(tray_.hwnd(), WM_SETTINGCHANGE, SPI_SETDESKWALLPAPER, 0);
    EXPECT_TRUE(shell_.calls.empty());
    ::SendMessageW(tray_.hwnd(), WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    ASSERT_EQ(shell_.calls.size(), 1u);
    EXPECT_EQ(shell_.calls[0].message, static_cast<DWORD>(NIM_ADD));
}

TEST_F(SystemTrayTest, RemovingDeletesTheIconOnce) {
    EXPECT_TRUE(tray_.RemoveIcon());
    ASSERT_EQ(shell_.calls.size(), 1u);
    EXPECT_EQ(shell_.calls[0].message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_TRUE(tray_.Removed());
    EXPECT_TRUE(tray_.RemoveIcon());
    EXPECT_EQ(shell_.calls.size(), 1u);
}

DWORD WINAPI AskFromAnotherThread(void* p) {
    CSystemTray* tray = static_cast<CSystemTray*>(p);
    tray->SetIcon(IDI_TRAY_CONNECTING);
    tray->SetTooltipText(L"PondRel - Connecting...");
    tray->SetTooltipText(L"PondRel - Enabled and Online");
    return 0;
}

// Requests from another thread reach the shell from the tray's own thread,
// in order, the last tooltip winning.
TEST_F(SystemTrayTest, RequestsFromAnotherThreadAreAppliedOnTheTraysThread) {
    HANDLE worker = ::CreateThread(nullptr, 0, &AskFromAnotherThread, &tray_, 0, nullptr);
    ASSERT_NE(worker, nullptr);
    fx::UniqueHandle owner(worker);
    ASSERT_EQ(::WaitForSingleObject(worker, 10000), WAIT_OBJECT_0);
    EXPECT_TRUE(shell_.calls.empty()) << "nothing reached the shell from the other thread";
    Pump();
    ASSERT_EQ(shell_.calls.size(), 2u);
    for (const Call& c : shell_.calls) EXPECT_EQ(c.thread, ::GetCurrentThreadId());
    EXPECT_EQ(shell_.calls[0].data.uFlags, static_cast<UINT>(NIF_ICON));
    EXPECT_TRUE(IconAlive(shell_.calls[0].data.hIcon));
    EXPECT_EQ(std::wstring(shell_.calls[1].data.szTip), L"PondRel - Enabled and Online");
}

// The icon's notifications: what each does, and when they are ignored.
TEST_F(SystemTrayTest, NotificationsAskTheProgramWhenTheyMay) {
    HWND target = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(target, nullptr);
    host_.target = target;
    struct Case {
        const char* name;
        WPARAM wp;
        UINT code;
        bool flushing, ready, updateBalloon;
        LRESULT result;
        UINT posted;       // WM_COMMAND id posted, or WM_NULL as ~0u, or 0
        int menus, downloads;
    } cases[] = {
        {"left click, ready", 144, WM_LBUTTONUP, false, true, false, 1, 9999, 0, 0},
        {"left click, not ready", 144, WM_LBUTTONUP, false, false, false, 1, 0, 0, 0},
        {"left click while flushing", 144, WM_LBUTTONUP, true, true, false, 0, 0, 0, 0},
        {"left click, another icon", 145, WM_LBUTTONUP, false, true, false, 0, 0, 0, 0},
        {"double click", 144, WM_LBUTTONDBLCLK, false, false, false, 1, 9998, 0, 0},
        {"right click", 144, WM_RBUTTONUP, false, false, false, 1, ~0u, 1, 0},
        {"right click while flushing", 144, WM_RBUTTONUP, true, true, false, 0, 0, 0, 0},
        {"update balloon click", 144, NIN_BALLOONUSERCLICK, false, true, true, 1, 0, 0, 1},
        {"other balloon click", 144, NIN_BALLOONUSERCLICK, false, true, false, 1, 0, 0, 0},
        {"mouse move", 144, WM_MOUSEMOVE, false, true, false, 1, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host_.flushing = c.flushing;
        host_.ready = c.ready;
        host_.updateBalloon = c.updateBalloon;
        host_.menus = host_.setupDownloads = 0;
        LRESULT result = ::SendMessageW(tray_.hwnd(), 32778, c.wp, c.code);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(host_.menus, c.menus);
        EXPECT_EQ(host_.setupDownloads, c.downloads);
        MSG msg;
        bool command = ::PeekMessageW(&msg, target, WM_COMMAND, WM_COMMAND, PM_REMOVE) != FALSE;
        bool null = ::PeekMessageW(&msg, target, WM_NULL, WM_NULL, PM_REMOVE) != FALSE && msg.message == WM_NULL;
        if (c.posted == ~0u) {
            EXPECT_TRUE(null);
            EXPECT_FALSE(command);
        } else if (c.posted) {
            ASSERT_TRUE(command);
            EXPECT_EQ(LOWORD(msg.wParam), c.posted);
        } else {
            EXPECT_FALSE(command);
            EXPECT_FALSE(null);
        }
    }
    // Without a target nothing happens.
    host_.target = nullptr;
    host_.flushing = false;
    EXPECT_EQ(::SendMessageW(tray_.hwnd(), 32778, 144, WM_RBUTTONUP), 0);
    ::DestroyWindow(target);
}

// The real shell under Wine: the icon is added, changed, given a balloon and
// removed.
TEST(SystemTrayShell, TheRealShellTakesTheIcon) {
    CSystemTray tray;
    HICON balloon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_BALLOON));
    ASSERT_TRUE(tray.Create(nullptr, L"Click to Launch PondRel", balloon));
    EXPECT_TRUE(tray.SetIcon(IDI_TRAY_ONLINE));
    EXPECT_TRUE(tray.SetTooltipText(L"PondRel - Enabled and Online"));
    if (tray.BalloonSupport()) {
        EXPECT_TRUE(tray.ShowBalloon(L"Select any word or phrase to begin.", L"PondRel is now installed.", balloon));
    }
    EXPECT_EQ(::SendMessageW(tray.hwnd(), ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0), 0);
    EXPECT_TRUE(tray.RemoveIcon());
}

}  // namespace
