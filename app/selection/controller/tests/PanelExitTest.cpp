// The program's exit with sixteen real panels open: each launched through
// the launcher on one of the demo's window templates (served by the loopback
// server), with its panel thread, its children thread, its layered window and
// its child windows.  The exit's close ends every one of those threads and
// leaves no window behind, and the usage report of every panel that closed
// by itself reaches the controller.  (How long the exit takes is measured by
// the benchmark, not here.)
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "ViewerLog.h"
#include "app/core/common/GlobalLocks.h"
#include "app/core/config/Settings.h"
#include "app/core/config/UserSetting.h"
#include "app/core/main/PondrelApp.h"
#include "app/core/main/PondrelDoc.h"
#include "app/tests/support/CoreTestFiles.h"
#include "app/panels/children/ChildrenThread.h"
#include "app/panels/thread/HoverThread.h"
#include "app/panels/thread/LaunchRules.h"
#include "app/selection/controller/BrowserTreeView.h"
#include "app/selection/controller/tests/ControllerWindow.h"
#include "app/selection/controller/tests/PanelTestSetup.h"
#include "fx/Handle.h"
#include "log/Logger.h"
#include "tests/httpserver/LoopbackServer.h"
#include "tests/support/GdiplusTestEnv.h"
#include "tests/support/TestSupport.h"

namespace {

using testsupport::WaitFor;

BOOL CALLBACK CollectThreadWindow(HWND window, LPARAM lp) {
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(window);
    return TRUE;
}

// Every top-level window of the thread and the windows inside them.
std::vector<HWND> WindowsOfThread(DWORD threadId) {
    std::vector<HWND> top, all;
    ::EnumThreadWindows(threadId, &CollectThreadWindow, reinterpret_cast<LPARAM>(&top));
    for (HWND w : top) {
        all.push_back(w);
        ::EnumChildWindows(w, &CollectThreadWindow, reinterpret_cast<LPARAM>(&all));
    }
    return all;
}

fx::UniqueHandle Duplicate(HANDLE thread) {
    HANDLE copy = nullptr;
    ::DuplicateHandle(::GetCurrentProcess(), thread, ::GetCurrentProcess(), &copy, SYNCHRONIZE, FALSE, 0);
    return fx::UniqueHandle(copy);
}

// What one open panel is made of, taken before the exit.
struct OpenPanel {
    UserSetting* record = nullptr;
    HWND window = nullptr;
    fx::UniqueHandle panelThread;
    fx::UniqueHandle childrenThread;
    std::vector<HWND> windows;  // the panel window, the child windows, the handler window
};

class PanelExit : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(StartPanelTest(log_, L"panel_exit_tests"));
        cacheDir_ = coretest::ScratchDir();
        theApp.m_CacheDir = cacheDir_;
        theApp.m_TemplatesUrl = loopback::Url(L"/files/templates/");
        theApp.m_EcpUrl = loopback::Url(L"/files/ecp/?ecpguid=");
        theApp.m_Starting = false;
        theApp.PublishSnapshot();
        doc_ = std::make_unique<CPondrelDoc>();
        doc_->CreateProvidersPane();
        theApp.m_pDoc = doc_.get();
        view_ = std::make_unique<BrowserTreeView>();
        ASSERT_TRUE(MakeControllerWindow(parent_, *view_));
    }
    void TearDown() override {
        view_->CloseAllPanels();
        view_.reset();
        if (parent_) ::DestroyWindow(parent_);
        theApp.m_pDoc = nullptr;
        doc_.reset();
        for (const wchar_t* skin : kSkins) ::RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(L"Software\\Pondrel\\") + skin).c_str());
        delete g_pLogger;
        g_pLogger = nullptr;
        ::CoUninitialize();
    }
    UserSetting* AddEcp(const std::wstring& id, const wchar_t* skin, bool search) {
        auto record = std::make_unique<UserSetting>();
        record->m_Id = id;
        record->m_Name = id;
        record->m_Skin = record->m_TemplateKey = skin;
        record->m_TemplateBaseUrl = loopback::Url(L"/files/templates/ecp/");
        record->m_Width = 300;
        record->m_Height = 220;
        record->m_ShowSearch = search ? 1 : 0;
        std::wstring defaultEcp = L"x";
        return doc_->GetSettingsView()->AddRecord(std::move(record), L"", defaultEcp);
    }
    // The panel's threads and windows once it shows its template.
    bool Take(OpenPanel& p) {
        auto* thread = dynamic_cast<panels::HoverThread*>(view_->m_Panels.FindByWindow(p.window));
        if (!thread || !thread->Elements() || !thread->Children()) return false;
        p.panelThread = Duplicate(thread->handle());
        p.childrenThread = Duplicate(thread->Children()->handle());
        for (DWORD id : {thread->threadId(), thread->Children()->threadId()})
            for (HWND w : WindowsOfThread(id)) p.windows.push_back(w);
        return p.panelThread && p.childrenThread && !p.windows.empty();
    }
    // The panels the exit had to end from outside (their log line).
    std::set<std::wstring> Terminated() {
        std::set<std::wstring> ids;
        const std::wstring mark = L"Thread panel ";
        for (const std::wstring& line : log_.ReadAll()) {
            size_t at = line.find(mark);
            if (at == std::wstring::npos || line.find(L"terminated") == std::wstring::npos) continue;
            at += mark.size();
            ids.insert(line.substr(at, line.find(L' ', at) - at));
        }
        return ids;
    }

    static constexpr const wchar_t* kSkins[] = {L"Classic", L"Slate", L"Mini"};
    ViewerLog log_;
    std::wstring cacheDir_;
    std::unique_ptr<CPondrelDoc> doc_;
    HWND parent_ = nullptr;
    std::unique_ptr<BrowserTreeView> view_;
};

// Every other panel has a search box, which takes the focus at the launch's end.
TEST_F(PanelExit, SixteenRealPanelsEndWithTheirThreadsWindowsAndUsage) {
    std::vector<OpenPanel> open(static_cast<size_t>(panels::kMaxPanels));
    for (size_t i = 0; i < open.size(); ++i) {
        OpenPanel& p = open[i];
        p.record = AddEcp(L"EXIT-" + std::to_wstring(i), kSkins[i % 3], i % 2 == 0);
        p.window = view_->LaunchEcp(RECT{100, 100, 200, 120}, p.record, L"", L"Title", 1);
        ASSERT_TRUE(p.window) << i;
    }
    for (OpenPanel& p : open) {
        ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(p.window) != FALSE; }, 20000));
        ASSERT_TRUE(Take(p));
    }
    ASSERT_EQ(view_->m_Panels.GetCount(), open.size());

    view_->CloseAllPanels();

    EXPECT_EQ(view_->m_Panels.GetCount(), 0u);
    const std::set<std::wstring> terminated = Terminated();
    for (OpenPanel& p : open) {
        SCOPED_TRACE(testsupport::Utf8(p.record->m_Id));
        EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(p.panelThread.get(), 0));
        EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(p.childrenThread.get(), 0));
        for (HWND w : p.windows) EXPECT_FALSE(::IsWindow(w));
        // A panel that closed by itself has its usage taken.
        if (!terminated.count(p.record->m_Id)) {
            EXPECT_EQ(p.record->m_OpenCount, 1);
        }
    }
    EXPECT_FALSE(testsupport::OwnWindow(L"BackWin777", nullptr));
}

}  // namespace
