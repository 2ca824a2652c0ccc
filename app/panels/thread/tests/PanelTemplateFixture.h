// The fixture of the real panel tests (PanelDrawingTest.cpp and its
// siblings): a real panel thread (HoverThread) drawing one of the demo's
// window templates, which the loopback server serves from demo/, reporting
// to a recording host, with a recording dock bar on demand.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/core/common/GlobalLocks.h"
#include "app/core/common/SharedUtilities.h"
#include "app/core/graphics/ImageRoutines.h"
#include "app/core/main/DockOps.h"
#include "app/core/main/PondrelApp.h"
#include "app/tests/support/CoreTestFiles.h"
#include "app/tests/support/RecordingPanelHost.h"
#include "app/core/net/HttpRoutines.h"
#include "app/panels/children/ChildViews.h"
#include "app/panels/children/ChildWin.h"
#include "app/panels/children/ChildrenThread.h"
#include "app/panels/cache/TemplateCache.h"
#include "app/panels/children/SearchView.h"
#include "app/panels/dockitems/DockItems.h"
#include "app/panels/elements/RenderElements.h"
#include "app/panels/thread/HoverThread.h"
#include "app/panels/thread/HoverThreadList.h"
#include "app/panels/window/MegaWin.h"
#include "tests/httpserver/LoopbackServer.h"
#include "tests/support/GdiplusTestEnv.h"
#include "tests/support/PngFile.h"
#include "tests/support/MessageRecorder.h"
#include "tests/support/TestSupport.h"

namespace panel_template_test {

using panels::HoverThread;
using testsupport::WaitFor;
using templates::LayoutRect;

// The dock bar as a panel reaches it: a window of the test's own that
// records the messages the panel posts to the bar.
class RecordingDock : public DockOps {
public:
    RecordingDock() { window_.Make(); }
    fx::UiThread& Thread() override { return thread_; }
    HWND Window() const override { return window_.hwnd(); }
    void ImportItems(XmlConfig&) override {}
    void SaveLayout(fx::Archive&) override {}
    void LoadLayout(fx::Archive&) override {}
    // What reached the bar so far, in order (this thread's messages pumped).
    std::vector<unsigned> Posted() {
        window_.Drain();
        return window_.Ids();
    }

private:
    fx::UiThread thread_;  // never started: the bar's window is there
    testsupport::MessageRecorder window_{WM_USER, 0xFFFF};
};

// The snapshot files (GUID-named JPEG files) in a directory.
inline std::vector<std::wstring> SnapshotFiles(const std::wstring& dir) {
    std::vector<std::wstring> files;
    WIN32_FIND_DATAW found{};
    HANDLE find = ::FindFirstFileW((dir + L"*.jpg").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return files;
    do {
        if (std::wstring(found.cFileName) != L"mask.jpg") files.push_back(found.cFileName);
    } while (::FindNextFileW(find, &found));
    ::FindClose(find);
    return files;
}

inline const WindowElement* FindElement(const ElementPanel& panel, const std::wstring& id) {
    for (WindowElement* e : panel.all)
        if (e->id == id) return e;
    return nullptr;
}

inline bool Near(uint32_t a, uint32_t b) {
    for (int shift = 0; shift < 32; shift += 8)
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > 2) return false;
    return true;
}

class PanelTemplate : public testing::Test {
protected:
    void SetUp() override {
        cacheDir_ = coretest::ScratchDir();
        RemoveDirectoryTree(cacheDir_, false);
        theApp.m_CacheDir = cacheDir_;
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        theApp.m_TempDir = std::wstring(temp) + L"panel_template_tests\\";
        ::CreateDirectoryW(theApp.m_TempDir.c_str(), nullptr);
        for (const std::wstring& file : SnapshotFiles(theApp.m_TempDir)) ::DeleteFileW((theApp.m_TempDir + file).c_str());
        theApp.PublishSnapshot();  // the panel thread reads the published values
    }
    void TearDown() override {
        if (thread_) {
            if (thread_->PanelWindow()) ::PostMessageW(thread_->PanelWindow(), panel_msg::kCloseNow, 0, 0);
            EXPECT_TRUE(WaitFor([&] { return host_.list.GetCount() == 0 && !thread_->IsRunning(); }, 10000));
        }
        ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Pondrel\\Classic");
        for (const std::wstring& key : cachedKeys_)
            ::RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\Pondrel\\" + key).c_str());
        theApp.m_hDockWindow = nullptr;
        theApp.m_pDock.reset();
        theApp.m_InstallDir = installDir_;
        theApp.PublishSnapshot();
    }
    // The panel's posts to the dock bar reach a recording window.
    RecordingDock& UseRecordingDock() {
        auto dock = std::make_unique<RecordingDock>();
        RecordingDock& kept = *dock;
        theApp.m_pDock = std::move(dock);
        theApp.m_hDockWindow = kept.Window();  // published, as the dock thread does
        return kept;
    }
    HoverThread* Start(const std::wstring& skin, const std::wstring& templateUrl, bool showSearch = false) {
        std::unique_ptr<panels::PanelThread> made = panels::MakeHoverThread();
        EXPECT_TRUE(made);
        thread_ = static_cast<HoverThread*>(made.get());
        thread_->m_pHost = &host_;
        thread_->m_Current.m_Id = L"DEMO-1";
        thread_->m_Current.m_Name = L"Pond life";
        thread_->m_Current.m_Width = 420;
        thread_->m_Current.m_Height = 360;
        thread_->m_Current.m_Resizable = 1;
        thread_->m_Current.m_ShowSearch = showSearch ? 1 : 0;
        thread_->m_Current.m_Skin = thread_->m_Current.m_TemplateKey = skin;
        thread_->m_Current.m_QueryText = queryText_;
        if (record_) record_(thread_->m_Current);
        thread_->m_TemplateUrl = templateUrl;
        thread_->m_TemplateBase = loopback::Url(L"/files/templates/ecp/");
        thread_->m_Next.CopyFrom(thread_->m_Current);
        thread_->m_Next.m_Name = nextName_;
        thread_->m_Flags = flags_;
        thread_->m_Anchor = anchor_;
        UserSetting record;
        record.m_Id = L"DEMO-1";
        host_.list.Add(std::move(made), record);
        host_.created = false;
        thread_->Resume();
        EXPECT_TRUE(WaitFor([&] { return host_.created.load(); }, 30000));
        return thread_;
    }
    // A skin's template as the cache holds it: with no version on either
    // side it counts as current, and nothing is downloaded.  The key's
    // registry value goes at the test's end.
    void WriteCachedTemplate(const std::wstring& key, const std::string& xml) {
        ::CreateDirectoryW(panels::TemplateFolder(cacheDir_, key).c_str(), nullptr);
        testsupport::WriteAll(testsupport::Utf8(panels::TemplateFile(cacheDir_, key)), xml);
        cachedKeys_.push_back(key);
    }
    // Ends the panel started last and waits for both its threads.
    void EndPanel() {
        if (thread_ && thread_->PanelWindow()) ::PostMessageW(thread_->PanelWindow(), panel_msg::kCloseNow, 0, 0);
        EXPECT_TRUE(WaitFor([&] { return host_.list.GetCount() == 0 && (!thread_ || !thread_->IsRunning()); }, 10000));
        thread_ = nullptr;
        host_.created = false;
    }
    // The screen point of a client point of the panel window.
    POINT OnScreen(int x, int y) {
        POINT p{x, y};
        ::ClientToScreen(thread_->PanelWindow(), &p);
        return p;
    }
    // Visible and past its start: the panel's message loop answers.
    bool Running() {
        HWND w = thread_->PanelWindow();
        if (!WaitFor([&] { return ::IsWindowVisible(w) != FALSE; }, 10000)) return false;
        DWORD_PTR answer = 0;
        return ::SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer) != 0;
    }
    // Faded in: the back buffer is drawn at full opacity at (x, y) and the
    // fade has returned to the panel's message loop (a sent message is
    // answered only there), so the buffer stays as it is.
    bool FadedIn(int x, int y) {
        if (!Running()) return false;  // the start's frames are drawn
        HWND w = thread_->PanelWindow();
        ::PostMessageW(w, panel_msg::kFadeIn, 0, 0);
        if (!WaitFor([&] { return (thread_->Window()->m_pBackBuffer->Pixel(x, y) >> 24) == 255; }, 10000))
            return false;
        DWORD_PTR answer = 0;
        return ::SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer) != 0;
    }

    // The content URL of the last request for it the server saw ("" when none).
    static std::string ServerSawContent(const std::string& prefix) {
        for (const loopback::Request& r : loopback::Requests())
            if (r.target.compare(0, prefix.size(), prefix) == 0) return r.target;
        return std::string();
    }
    static std::string PercentDecoded(const std::string& text) {
        std::string out;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '%' && i + 2 < text.size()) {
                out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
                i += 2;
            } else {
                out += text[i];
            }
        }
        return out;
    }
    std::wstring ContentUrl(ElementPanel* elements) {
        fx::ScopedLock hold(g_PanelRecordLock);
        return elements->mainContent->contentUrl;
    }

    // Closes the panel and waits until both its threads have ended.
    bool Close() {
        HANDLE children = nullptr;
        if (thread_->Children())
            ::DuplicateHandle(::GetCurrentProcess(), thread_->Children()->handle(), ::GetCurrentProcess(), &children,
                              SYNCHRONIZE, FALSE, 0);
        fx::UniqueHandle childrenEnded(children);
        ::PostMessageW(thread_->PanelWindow(), panel_msg::kCloseNow, 0, 0);
        const bool ended = WaitFor([&] { return host_.list.GetCount() == 0 && !thread_->IsRunning(); }, 10000);
        thread_ = nullptr;
        return ended && (!children || ::WaitForSingleObject(children, 10000) == WAIT_OBJECT_0);
    }
    static RECT WorkArea() {
        RECT work{};
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        return work;
    }
    static std::wstring ClassOf(HWND w) {
        wchar_t name[64] = {};
        ::GetClassNameW(w, name, 64);
        return name;
    }
    // The panel's tail's window, or none.
    static panels::CChildWin* TailWindow(HoverThread* t) {
        return t->Tail() ? dynamic_cast<panels::CChildWin*>(t->Tail()->LinkedWindow()) : nullptr;
    }
    // Pixels of the tail's picture drawn at full opacity.
    static int OpaqueTailPixels(HoverThread* t) {
        panels::CChildWin* w = TailWindow(t);
        if (!w || !w->m_pBackBuffer) return 0;
        int opaque = 0;
        for (int y = 0; y < w->m_pBackBuffer->height(); ++y)
            for (int x = 0; x < w->m_pBackBuffer->width(); ++x) opaque += (w->m_pBackBuffer->Pixel(x, y) >> 24) == 255;
        return opaque;
    }

    apptest::RecordingPanelHost host_;
    HoverThread* thread_ = nullptr;
    std::wstring installDir_ = theApp.m_InstallDir;
    std::wstring cacheDir_;
    std::wstring queryText_;  // the record's query text
    std::wstring nextName_ = L"Pond life";  // the name of the record the launcher hands over as next
    uint32_t flags_ = 0x01;
    RECT anchor_{0, 0, 0, 0};
    std::function<void(UserSetting&)> record_;  // changes the record before the launch
    std::vector<std::wstring> cachedKeys_;
};

}  // namespace panel_template_test
