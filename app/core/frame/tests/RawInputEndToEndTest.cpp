// WM_INPUT reaching the hidden main frame while another window has the focus:
// a helper window of this process holds the X focus, xdotool moves the
// pointer and types a key, and the frame's handler calls the controller.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "app/tests/support/RecordingController.h"
#include "TestSupport.h"
#include "app/core/frame/MainFrame.h"
#include "app/core/frame/MainView.h"
#include "app/core/main/PondrelApp.h"
#include "app/core/main/PondrelDoc.h"
#include "app/core/common/Resource.h"

namespace {

const char* const kXdotool = "/usr/bin/xdotool";

bool Called(const RecordingController& c, const std::string& name) {
    return std::find(c.calls.begin(), c.calls.end(), name) != c.calls.end();
}

TEST(RawInputEndToEnd, InputOfTheSessionReachesTheHiddenFrame) {
    theApp.m_Starting = true;
    auto tmpl = fx::SingleDocTemplate::Of<CPondrelDoc, CMainFrame, MainView>(IDR_MAINFRAME);
    ASSERT_TRUE(tmpl->OpenNewDocument());
    theApp.m_pMainWnd = tmpl->frame();
    CPondrelDoc* doc = theApp.m_pDoc;
    doc->CreateMasterView();
    doc->CreateProvidersPane();
    auto owned = std::make_unique<RecordingController>();
    RecordingController* controller = owned.get();
    doc->CreateController(std::move(owned));
    HWND frame = tmpl->frame()->hwnd();
    SetSharedMainWindow(frame);
    ASSERT_TRUE(RegisterRawInput());
    theApp.m_Starting = false;

    // The helper window with the focus.
    fx::Window helper;
    std::wstring cls = fx::RegisterWindowClass(0, ::LoadCursorW(nullptr, IDC_ARROW),
                                               reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    ASSERT_TRUE(helper.CreateEx(0, cls.c_str(), L"raw input helper", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100,
                                300, 200, nullptr, nullptr));
    ::SetForegroundWindow(helper.hwnd());
    ::SetFocus(helper.hwnd());
    testsupport::WaitFor([] { return false; }, 300);
    testsupport::Run(kXdotool, {L"search", L"--name", L"raw input helper", L"windowfocus"}, 10000);

    // The pointer moves over the helper window (motion reaches Wine only
    // there): every mouse event steps the hotspot's fade.
    bool moved = false;
    for (int i = 0; i < 5 && !moved; ++i) {
        std::wstring x = std::to_wstring(150 + 37 * i), y = std::to_wstring(150 + 11 * i);
        testsupport::Run(kXdotool, {L"mousemove", x, y}, 10000);
        moved = testsupport::WaitFor([&] { return Called(*controller, "AdvanceHotspotFade"); }, 1000);
    }
    EXPECT_TRUE(moved) << "no mouse WM_INPUT reached the frame";

    // A click on the helper, a window not our own: menus and hotspot hide and
    // the controller re-collects.
    controller->calls.clear();
    testsupport::Run(kXdotool, {L"click", L"1"}, 10000);
    EXPECT_TRUE(testsupport::WaitFor([&] { return Called(*controller, "Rescan"); }, 3000))
        << "no click WM_INPUT reached the frame";
    EXPECT_TRUE(Called(*controller, "HideHotspot"));

    // A key: the hotspot and the menus hide.
    controller->calls.clear();
    testsupport::Run(kXdotool, {L"key", L"a"}, 10000);
    EXPECT_TRUE(testsupport::WaitFor([&] { return Called(*controller, "HideMenus(search)"); }, 3000))
        << "no keyboard WM_INPUT reached the frame";
    EXPECT_FALSE(::IsWindowVisible(frame));
    EXPECT_NE(::GetForegroundWindow(), frame);

    helper.Destroy();
    SetSharedMainWindow(nullptr);
    theApp.m_pMainWnd = nullptr;
    tmpl.reset();
}

}  // namespace
