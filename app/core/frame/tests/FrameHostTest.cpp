// The hidden main frame and its page on a host and a document of the test's
// own, linked without the application object (pondrel_core_frame alone): the
// frame's flags, document, tray callbacks, about box, title and font come
// from the host it is given, and without one it does nothing.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/core/common/Resource.h"
#include "app/core/config/Settings.h"
#include "app/core/frame/FrameDocument.h"
#include "app/core/frame/FrameHost.h"
#include "app/core/frame/MainFrame.h"
#include "app/core/frame/MainView.h"
#include "app/tests/support/RecordingController.h"

namespace {

const wchar_t* const kSearchId = L"11111111-2222-3333-4444-555555555555";

// A document with a recording controller and a settings view holding the
// search panel.
class StandInDocument : public FrameDocument {
public:
    StandInDocument() {
        auto record = std::make_unique<UserSetting>();
        record->m_Id = kSearchId;
        std::wstring defaultEcp;
        settings->AddRecord(std::move(record), kSearchId, defaultEcp);
    }
    ControllerOps* GetController() const override { return controller.get(); }
    Settings* GetSettingsView() const override { return settings.get(); }

    std::unique_ptr<RecordingController> controller = std::make_unique<RecordingController>();
    std::unique_ptr<ECPSettings> settings = std::make_unique<ECPSettings>();
};

// A host that answers from its fields and records the calls it gets.
class RecordingHost : public FrameHost {
public:
    bool IsStarting() const override { return starting; }
    bool IsDisabled() const override { return disabled; }
    bool IsSettingsLoaded() const override { return loaded; }
    bool IsOnline() const override { return online; }
    FrameDocument* Document() const override { return document; }
    LRESULT OnTrayNotification(WPARAM wp, LPARAM lp) override {
        calls.push_back("tray " + std::to_string(wp) + " " + std::to_string(lp));
        return 7;
    }
    void OnAppAbout() override { calls.push_back("about"); }
    std::wstring VersionTitle() const override { return L"The host's title"; }
    HFONT SharedGdiFont() const override { return font; }

    bool starting = false, disabled = false, loaded = true, online = true;
    FrameDocument* document = nullptr;
    HFONT font = static_cast<HFONT>(::GetStockObject(ANSI_FIXED_FONT));
    std::vector<std::string> calls;
};

class FrameHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::InitCommonControls();
        SetFrameHost(&host_);
        template_ = fx::SingleDocTemplate::Of<StandInDocument, CMainFrame, MainView>(IDR_MAINFRAME);
        ASSERT_TRUE(template_->OpenNewDocument());
        doc_ = static_cast<StandInDocument*>(template_->document());
        frame_ = static_cast<CMainFrame*>(template_->frame());
        host_.document = doc_;
    }
    void TearDown() override {
        template_.reset();
        SetFrameHost(nullptr);
    }

    const std::vector<std::string>& ControllerCalls() const { return doc_->controller->calls; }

    RecordingHost host_;
    std::unique_ptr<fx::SingleDocTemplate> template_;
    StandInDocument* doc_ = nullptr;
    CMainFrame* frame_ = nullptr;
};

TEST_F(FrameHostTest, TrayCallbacksAndTheAboutCommandGoToTheHost) {
    EXPECT_EQ(::SendMessageW(frame_->hwnd(), CMainFrame::kTrayCallbackMessage, 5, 6), 7);
    ::SendMessageW(frame_->hwnd(), WM_COMMAND, frame_msg::kAboutCommand, 0);
    EXPECT_EQ(host_.calls, (std::vector<std::string>{"tray 5 6", "about"}));
}

TEST_F(FrameHostTest, OpenCommandFollowsTheHostsFlagsDocumentAndTitle) {
    struct Case {
        const char* name;
        bool starting, disabled, loaded, online, launches;
    } cases[] = {
        {"ready", false, false, true, true, true},
        {"starting", true, false, true, true, false},
        {"disabled", false, true, true, true, false},
        {"settings not loaded", false, false, false, true, false},
        {"offline", false, false, true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        doc_->controller->calls.clear();
        host_.starting = c.starting;
        host_.disabled = c.disabled;
        host_.loaded = c.loaded;
        host_.online = c.online;
        ::SendMessageW(frame_->hwnd(), WM_COMMAND, CMainFrame::kOpenSearchCommand, 0);
        EXPECT_EQ(ControllerCalls(), c.launches ? std::vector<std::string>{"LaunchEcp"} : std::vector<std::string>{});
    }
    EXPECT_EQ(doc_->controller->launchRecord, doc_->settings->m_pSearchEcp);
    EXPECT_EQ(doc_->controller->launchTitle, L"The host's title");
}

TEST_F(FrameHostTest, RawInputReachesTheHostsDocumentUnlessTheHostIsStarting) {
    RAWINPUT key{};
    key.header.dwType = RIM_TYPEKEYBOARD;
    key.data.keyboard.VKey = 'A';
    key.data.keyboard.Flags = RI_KEY_BREAK;
    frame_->HandleRawInput(key);
    EXPECT_EQ(ControllerCalls(), (std::vector<std::string>{"HideHotspot", "HideMenus(search)"}));
    doc_->controller->calls.clear();
    host_.starting = true;
    frame_->HandleRawInput(key);
    EXPECT_TRUE(ControllerCalls().empty());
}

TEST_F(FrameHostTest, PageRecordsItselfInItsDocumentAndTakesTheHostsFont) {
    ASSERT_NE(doc_->m_pMainView, nullptr);
    for (UINT id : {MainView::kOkId, MainView::kCancelId, MainView::kApplyId}) {
        SCOPED_TRACE(id);
        HWND button = ::GetDlgItem(doc_->m_pMainView->hwnd(), id);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(reinterpret_cast<HFONT>(::SendMessageW(button, WM_GETFONT, 0, 0)), host_.font);
    }
}

TEST_F(FrameHostTest, WithoutAHostTheFrameAnswersNothingAndOpensNothing) {
    SetFrameHost(nullptr);
    EXPECT_EQ(::SendMessageW(frame_->hwnd(), CMainFrame::kTrayCallbackMessage, 5, 6), 0);
    ::SendMessageW(frame_->hwnd(), WM_COMMAND, CMainFrame::kOpenSearchCommand, 0);
    ::SendMessageW(frame_->hwnd(), WM_COMMAND, frame_msg::kAboutCommand, 0);
    EXPECT_TRUE(host_.calls.empty());
    EXPECT_TRUE(ControllerCalls().empty());
}

}  // namespace
