// Opening URLs in the default browser under Wine, with the stand-in browser
// registered as the prefix's default: what the browser is started with, the
// reuse of its window, Firefox told by its path, refused schemes.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <string>

#include "app/core/main/PondrelApp.h"
#include "app/selection/controller/BrowserTreeView.h"
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
