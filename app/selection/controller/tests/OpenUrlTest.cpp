// Opening URLs in the default browser under Wine, with the stand-in browser
// registered as the prefix's default: what the browser is started with, the
// reuse of its window, Firefox told by its path, refused schemes.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "app/core/main/PondrelApp.h"
#include "app/selection/controller/BrowserTreeView.h"
#include "fx/Handle.h"
#include "fx/UiThread.h"
#include "tests/support/TestSupport.h"

namespace {

using testsupport::ReadAll;
using testsupport::TempFile;
using testsupport::WaitFor;
using testsupport::Wide;

const std::string kStandIn = BROWSER_STANDIN_EXE;

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[256] = {};
    ::GetClassNameW(hwnd, name, 256);
    return name;
}

int Lines(const std::string& text) {
    int n = 0;
    for (char c : text) n += c == '\n';
    return n;
}

class OpenUrl : public testing::Test {
protected:
    void SetUp() override {
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        record_ = TempFile("browser-record.txt");
        ::SetEnvironmentVariableW(L"PONDREL_BROWSER_RECORD", Wide(record_).c_str());
        ::SetEnvironmentVariableW(L"PONDREL_BROWSER_SECONDS", L"10");
        ::SetEnvironmentVariableW(L"PONDREL_BROWSER_CLASS", nullptr);
        ::SetEnvironmentVariableW(L"PONDREL_BROWSER_BUSY_MS", nullptr);
        ASSERT_EQ(testsupport::Run(kStandIn, {L"--register"}), 0);
        saved_ = DefaultBrowserStarter();
        theApp.m_hBrowserWnd = nullptr;
    }
    void TearDown() override {
        testsupport::Run(kStandIn, {L"--unregister"});
        DefaultBrowserStarter() = saved_;
        for (const wchar_t* cls : {L"IEFrame", L"MozillaUIWindowClass"})
            for (HWND w; (w = ::FindWindowW(cls, L"Browser stand-in")) != nullptr;) {
                ::PostMessageW(w, WM_CLOSE, 0, 0);
                DWORD pid = 0;
                ::GetWindowThreadProcessId(w, &pid);
                fx::UniqueHandle p(::OpenProcess(SYNCHRONIZE, FALSE, pid));
                if (p) ::WaitForSingleObject(p.get(), 5000);
                if (::IsWindow(w)) break;
            }
        theApp.m_hBrowserWnd = nullptr;
        ::CoUninitialize();
    }
    bool Recorded(const std::string& part, DWORD ms = 10000) {
        return WaitFor([&] { return ReadAll(record_).find(part) != std::string::npos; }, ms);
    }

    std::string record_;
    BrowserStarter saved_;
};

TEST_F(OpenUrl, StartsTheBrowserWithOneQuotedArgumentThenNavigatesItsWindow) {
    DefaultBrowserStarter().browserPath = [] { return L"\"" + testsupport::WinPath(kStandIn) + L"\""; };
    BrowserTreeView view;  // no enhancers: a known window is reached through the shell
    view.OpenUrlInBrowser(L"http://127.0.0.1:9/find?q=\"pond\"&x=1");
    EXPECT_TRUE(Recorded("\"http://127.0.0.1:9/find?q=%22pond%22&x=1\"")) << ReadAll(record_);
    ASSERT_TRUE(theApp.m_hBrowserWnd);
    EXPECT_EQ(ClassOf(theApp.m_hBrowserWnd), L"IEFrame");

    HWND first = theApp.m_hBrowserWnd;
    view.OpenUrlInBrowser(L"HTTPS://127.0.0.1:9/two");
    EXPECT_TRUE(Recorded("HTTPS://127.0.0.1:9/two")) << ReadAll(record_);
    EXPECT_EQ(theApp.m_hBrowserWnd, first);
}

// A browser that takes long to start (it reads no input for 8 s) does not
// hold up the program: a message sent to the user-interface thread while it
// starts the browser is answered at once.  The shell here, asked to wait for
// the browser to take input, waits as Windows' shell does (up to a minute,
// answering nothing meanwhile); Wine's ignores the request.
TEST_F(OpenUrl, ASlowBrowserStartLeavesTheThreadAnswering) {
    DefaultBrowserStarter().browserPath = [] { return testsupport::WinPath(kStandIn); };
    DefaultBrowserStarter().shellExecuteEx = [](SHELLEXECUTEINFOW& info) {
        const bool waitForIdle = (info.fMask & SEE_MASK_WAITFORINPUTIDLE) != 0;
        info.fMask = (info.fMask & ~static_cast<ULONG>(SEE_MASK_WAITFORINPUTIDLE)) | SEE_MASK_NOCLOSEPROCESS;
        if (!::ShellExecuteExW(&info)) return FALSE;
        // The stand-in takes input once its window is up.
        const DWORD start = ::GetTickCount();
        while (waitForIdle && info.hProcess && !::FindWindowW(L"IEFrame", L"Browser stand-in") &&
               ::GetTickCount() - start < 60000 && ::WaitForSingleObject(info.hProcess, 50) == WAIT_TIMEOUT) {
        }
        return TRUE;
    };
    ::SetEnvironmentVariableW(L"PONDREL_BROWSER_BUSY_MS", L"8000");
    HWND window = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(window);
    // Once the browser runs, another thread sends this thread a message.
    fx::UiThread other;
    ASSERT_TRUE(other.Start(fx::Apartment::None, false));
    std::atomic<int> answered{-1};
    const std::string record = record_;
    ASSERT_TRUE(other.PostTask([&answered, record, window] {
        WaitFor([&] { return ReadAll(record).find("slow-start") != std::string::npos; }, 20000);
        DWORD_PTR result = 0;
        answered = ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 1500, &result) != 0;
    }));
    BrowserTreeView view;
    view.OpenUrlInBrowser(L"http://127.0.0.1:9/slow-start");
    EXPECT_TRUE(WaitFor([&] { return answered.load() >= 0; }, 20000));
    EXPECT_EQ(answered.load(), 1) << "the thread waited for the browser without answering";
    EXPECT_TRUE(other.Quit(5000));
    ::DestroyWindow(window);
    // The stand-in is still starting: it goes now, before it shows a window.
    fx::UniqueHandle browser(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, theApp.m_BrowserProcessId));
    if (browser) {
        ::TerminateProcess(browser.get(), 0);
        ::WaitForSingleObject(browser.get(), 5000);
    }
}

TEST_F(OpenUrl, RefusedSchemesOpenNothing) {
    DefaultBrowserStarter().browserPath = [] { return testsupport::WinPath(kStandIn); };
    BrowserTreeView view;
    for (const wchar_t* url : {L"file:///c:/windows/notepad.exe", L"javascript:alert(1)", L"http://x/\r\nrun"})
        view.OpenUrlInBrowser(url);
    view.OpenUrlInBrowser(L"http://127.0.0.1:9/after");
    ASSERT_TRUE(Recorded("after"));
    EXPECT_EQ(Lines(ReadAll(record_)), 1) << ReadAll(record_);
}

TEST_F(OpenUrl, FirefoxIsStartedWithANewWindow) {
    // The stand-in under the name Firefox has, showing Firefox's window class.
    std::string dir = TempFile("firefox-standin");
    ::CreateDirectoryW(Wide(dir).c_str(), nullptr);
    const std::wstring exe = Wide(dir) + L"\\FIREFOX.EXE";
    ASSERT_TRUE(::CopyFileW(testsupport::WinPath(kStandIn).c_str(), exe.c_str(), FALSE));
    ::SetEnvironmentVariableW(L"PONDREL_BROWSER_CLASS", L"MozillaUIWindowClass");
    DefaultBrowserStarter().browserPath = [exe] { return exe; };
    BrowserTreeView view;
    view.OpenUrlInBrowser(L"http://127.0.0.1:9/ff");
    EXPECT_TRUE(Recorded(" -new-window \"http://127.0.0.1:9/ff\"")) << ReadAll(record_);
    ASSERT_TRUE(theApp.m_hBrowserWnd);
    EXPECT_EQ(ClassOf(theApp.m_hBrowserWnd), L"MozillaUIWindowClass");
}

}  // namespace
