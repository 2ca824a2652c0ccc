// The version check, the update states and the server messages on the
// application object, against the loopback server: the version check's URL
// with and without a user id, the balloons' texts and title, the states 0,
// 4, 1 and 3, and every kind of server message (the controller recorded, the
// download thread's window played by a window that counts 11401).
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/core/common/AppMessages.h"
#include "app/core/common/Resource.h"
#include "app/core/config/Settings.h"
#include "app/core/config/UserSetting.h"
#include "app/tests/support/RecordingController.h"
#include "app/tests/support/LaunchRecorder.h"
#include "app/tests/support/RecordingShell.h"
#include "app/core/main/PondrelApp.h"
#include "app/core/main/PondrelDoc.h"
#include "app/core/main/UpdateRules.h"
#include "app/tests/support/CoreTestFiles.h"
#include "fx/Window.h"
#include "tests/httpserver/LoopbackServer.h"
#include "tests/support/MessageRecorder.h"
#include "tests/support/TestSupport.h"

namespace {

using coretest::ReadFile;

const RECT kAnchor{0, 0, 20, 20};

using testsupport::Utf8;
using testsupport::Wide;

class Env : public ::testing::Environment {
public:
    void SetUp() override {
        RegisterPondrelWindowClasses(::GetModuleHandleW(nullptr));
        theApp.LoadStringResources();
    }
};
const auto* const kEnv = ::testing::AddGlobalTestEnvironment(new Env);

std::wstring HttpRoot() { return testsupport::WinDir(UPDATES_HTTP_ROOT); }

// The controller with every URL and panel launch recorded.
using MessagesController = LaunchRecorder<RecordingController>;

struct ShellCall {
    std::wstring verb, file, parameters, directory;
    INT show;
};
std::vector<ShellCall> g_ShellCalls;
INT_PTR g_ShellResult = 42;
HINSTANCE WINAPI RecordShellExecute(HWND, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory,
                                    INT show) {
    g_ShellCalls.push_back({verb ? verb : L"<none>", file ? file : L"", parameters ? parameters : L"",
                            directory ? directory : L"<none>", show});
    return reinterpret_cast<HINSTANCE>(g_ShellResult);
}

class UpdatesTest : public testing::Test {
protected:
    void SetUp() override {
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        dir_ = coretest::ScratchDir();
        ::DeleteFileW((dir_ + L"pondrellpppdata.xml").c_str());  // from an earlier run
        theApp.m_TempDir = dir_;
        theApp.m_Version = L"57";
        theApp.m_UserId = L"";
        theApp.m_UpdateState = update_rules::kNone;
        theApp.m_BalloonStartsUpdate = false;
        theApp.m_Online = true;
        theApp.m_ShellExecute = RecordShellExecute;
        g_ShellCalls.clear();
        g_ShellResult = 42;
        theApp.m_Tray.SetShell(&shell_);
        theApp.m_Tray.Create(nullptr, L"tip", ::LoadIconW(nullptr, IDI_APPLICATION));
        if (!theApp.m_Tray.BalloonSupport()) GTEST_SKIP() << "no balloons on this platform";
        ASSERT_TRUE(download_.Make());
        theApp.m_hBackThreadWnd = download_.hwnd();
        doc_ = std::make_unique<CPondrelDoc>();
        doc_->CreateProvidersPane();
        theApp.m_pDoc = doc_.get();
        auto controller = std::make_unique<MessagesController>();
        controller_ = controller.get();
        doc_->CreateController(std::move(controller));
        for (const wchar_t* id : {L"E1", L"E2"}) {
            auto record = std::make_unique<UserSetting>();
            record->m_Id = id;
            record->m_Placement = id[1] == L'1' ? 1 : 128;
            std::wstring defaultEcp = L"x";
            doc_->GetSettingsView()->AddRecord(std::move(record), L"", defaultEcp);
        }
        loopback::Clear();
    }
    void TearDown() override {
        theApp.m_hBackThreadWnd = nullptr;
        download_.Destroy();
        theApp.m_pDoc = nullptr;
        doc_.reset();
        theApp.m_Tray.RemoveIcon();
        theApp.m_Tray.SetShell(&RealTrayShell());
        theApp.m_Tray.Destroy();
        theApp.m_ShellExecute = ::ShellExecuteW;
        theApp.m_MessagesInterval = 0;
        ::CoUninitialize();
    }
    // Delivers what was posted to this thread's windows.
    void Pump() {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    }
    UserSetting* Record(const wchar_t* id) { return doc_->GetSettingsView()->FindEcp(id); }
    // Serves messages (the file under the server's root) and makes the next
    // heartbeat's poll due.
    void ServeMessages(const std::string& xml) {
        // A file of its own per test: the server counts the polls per path.
        const std::wstring name =
            L"messages-" + Wide(testing::UnitTest::GetInstance()->current_test_info()->name()) + L".xml";
        coretest::WriteFile(HttpRoot(), name, xml);
        theApp.m_MessagesUrl = loopback::Url(L"/messages/" + name);
        theApp.m_MessagesInterval = 60000;
        PollDue();
    }
    void PollDue() { theApp.m_LastMessagesTick = ::GetTickCount() - theApp.m_MessagesInterval - 1000; }
    std::string MessagesFile() { return ReadFile(dir_ + L"pondrellpppdata.xml"); }

    std::wstring dir_;
    apptest::RecordingShell shell_;
    // Plays the download thread's window: records 11401.
    testsupport::MessageRecorder download_{back_thread_msg::kDownload, back_thread_msg::kDownload};
    std::unique_ptr<CPondrelDoc> doc_;
    MessagesController* controller_ = nullptr;
};

const wchar_t kNewVersionText[] = L"Click to download a new version of PondRel.";
const wchar_t kDownloadingText[] = L"A new version of PondRel is downloading and will quickly upgrade.";

TEST_F(UpdatesTest, TheVersionCheckAlwaysAsksTheInitUrlForTheVersion) {
    theApp.m_InitUrl = loopback::Url(L"/version/57");
    theApp.m_SettingsUrl = loopback::Url(L"/settings-override.xml");
    theApp.m_UserId = L"{A1-b2} \u00e9";
    theApp.CheckForNewVersion();
    theApp.m_UserId = L"";
    theApp.CheckForNewVersion();
    auto requests = loopback::Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].target,
              "/version/57?pq_userid=%7b%41%31%2d%62%32%7d%20%c3%a9&pq_check=version");
    EXPECT_EQ(requests[1].target, "/version/57?pq_check=version");
    EXPECT_TRUE(shell_.Balloons().empty());
    EXPECT_EQ(theApp.m_UpdateState, update_rules::kNone);
}

TEST_F(UpdatesTest, AnotherVersionRaisesTheNewVersionBalloon) {
    struct Case {
        const wchar_t* path;
        int stateBefore;
        bool balloon;
        int stateAfter;
    } cases[] = {
        {L"/version/57", 0, false, 0},
        {L"/version/57%0A", 0, false, 0},        // "57" and a line feed
        {L"/version/%20%0D%0A57%09", 0, false, 0},
        {L"/status/404", 0, false, 0},
        {L"/status/500", 0, false, 0},
        {L"/files/none.xml", 0, false, 0},
        {L"/version/58", 0, true, 4},
        {L"/version/", 0, false, 0},             // no version segment: "ok", no version at all
        {L"/version/58", 4, true, 4},
        {L"/version/58", 1, true, 1},           // a download asked for stays so
        {L"/version/58", 3, true, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf8(c.path));
        shell_.calls.clear();
        theApp.m_UpdateState = c.stateBefore;
        theApp.m_BalloonStartsUpdate = false;
        theApp.m_InitUrl = loopback::Url(c.path);
        theApp.CheckForNewVersion();
        EXPECT_EQ(theApp.m_UpdateState, c.stateAfter);
        if (c.balloon) {
            ASSERT_EQ(shell_.Balloons().size(), 1u);
            EXPECT_EQ(shell_.Balloons()[0].text, kNewVersionText);
            EXPECT_EQ(shell_.Balloons()[0].title, L"PondRel");
            EXPECT_TRUE(theApp.m_BalloonStartsUpdate) << "a click on it starts the download";
        } else {
            EXPECT_TRUE(shell_.Balloons().empty());
            EXPECT_FALSE(theApp.m_BalloonStartsUpdate);
        }
    }
}

// 0 -> 4 (a new version), 4 -> 1 (the download asked for, with its
// balloon), 1 -> 3 (the setup program started) or 1 kept (it could not be).
TEST_F(UpdatesTest, UpdateStatesThroughDownloadAndSetup) {
    theApp.m_InitUrl = loopback::Url(L"/version/58");
    theApp.CheckForNewVersion();
    EXPECT_EQ(theApp.m_UpdateState, 4);
    shell_.calls.clear();

    theApp.StartSetupDownload(true);
    Pump();
    EXPECT_EQ(static_cast<int>(download_.Count(back_thread_msg::kDownload)), 1);
    EXPECT_EQ(theApp.m_UpdateState, 1);
    ASSERT_EQ(shell_.Balloons().size(), 1u);
    EXPECT_EQ(shell_.Balloons()[0].text, kDownloadingText);
    EXPECT_EQ(shell_.Balloons()[0].title, L"PondRel");
    EXPECT_FALSE(theApp.m_BalloonStartsUpdate);

    theApp.StartSetupDownload(false);
    Pump();
    EXPECT_EQ(static_cast<int>(download_.Count(back_thread_msg::kDownload)), 2);
    EXPECT_EQ(shell_.Balloons().size(), 1u) << "no balloon without asking";

    // Each as after a download of the program's own (this test program is
    // unsigned: the setup program is run unchecked).
    for (INT_PTR result : {0, 2, 31, 32}) {
        g_ShellResult = result;
        theApp.m_SetupsSaved = 1;
        theApp.RunSetup();
        EXPECT_EQ(theApp.m_UpdateState, 1) << "ShellExecute gave " << result;
    }
    g_ShellResult = 33;
    theApp.m_SetupsSaved = 1;
    theApp.RunSetup();
    EXPECT_EQ(theApp.m_UpdateState, 3);
    ASSERT_EQ(g_ShellCalls.size(), 5u);
    for (const ShellCall& call : g_ShellCalls) {
        EXPECT_EQ(call.verb, L"<none>");
        EXPECT_EQ(call.file, dir_ + L"PondrelSetup.exe");
        EXPECT_EQ(call.parameters, L"/S");
        EXPECT_EQ(call.directory, L"<none>");
        EXPECT_EQ(call.show, SW_SHOWNORMAL);
    }
}

TEST_F(UpdatesTest, ServerMessagesOfEachKind) {
    ServeMessages(R"(<?xml version="1.0"?>
<messages>
  <message><url>http://example.test/news</url><update>silent</update><ecp>E1</ecp></message>
  <message><url>file:///c:/windows/notepad.exe</url></message>
  <message><url>javascript:alert(1)</url></message>
  <message><ecp>E2</ecp><context>&lt;context&gt;c1&lt;/context&gt;</context><token>Pond life</token></message>
  <message><ecp>NoSuchPanel</ecp><token>x</token></message>
  <message><update>new-version-bubble</update></message>
  <message><update>SILENT</update></message>
  <message><update>silent-bubble</update></message>
  <message><update>Silent</update></message>
</messages>
)");
    theApp.ProcessServerMessages();
    Pump();
    EXPECT_EQ(controller_->urls, std::vector<std::wstring>{L"http://example.test/news"})
        << "the url message opens its URL only; file and javascript URLs open nothing";
    ASSERT_EQ(controller_->launches.size(), 1u);
    const MessagesController::Launch& launch = controller_->launches[0];
    EXPECT_EQ(launch.record, Record(L"E2"));
    EXPECT_EQ(launch.context, L"<context>c1</context>");
    EXPECT_EQ(Record(L"E2")->m_Context, L"<context>c1</context>");
    EXPECT_EQ(launch.text, L"Pond life");
    EXPECT_EQ(launch.title, L"Message");
    EXPECT_EQ(launch.flags, 128u);
    EXPECT_TRUE(::EqualRect(&launch.anchor, &kAnchor));
    // The new-version balloon (state 4), then one silent download (state 1):
    // the other two wait while it is asked for.
    EXPECT_EQ(static_cast<int>(download_.Count(back_thread_msg::kDownload)), 1);
    EXPECT_EQ(theApp.m_UpdateState, 1);
    ASSERT_EQ(shell_.Balloons().size(), 1u);
    EXPECT_EQ(shell_.Balloons()[0].text, kNewVersionText);
    EXPECT_EQ(shell_.Balloons()[0].title, L"PondRel");
    auto requests = loopback::Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].target, "/messages/messages-ServerMessagesOfEachKind.xml");
}

TEST_F(UpdatesTest, ASilentBubbleMessageDownloadsWithItsBalloon) {
    ServeMessages("<messages><message><update>Silent-Bubble</update></message></messages>");
    theApp.ProcessServerMessages();
    Pump();
    EXPECT_EQ(static_cast<int>(download_.Count(back_thread_msg::kDownload)), 1);
    EXPECT_EQ(theApp.m_UpdateState, 1);
    ASSERT_EQ(shell_.Balloons().size(), 1u);
    EXPECT_EQ(shell_.Balloons()[0].text, kDownloadingText);
}

// Every poll fetches the file anew (rewriting the copy in the temporary
// folder) and acts on all of it again; between polls nothing is asked.
TEST_F(UpdatesTest, EveryPollRewritesTheMessagesFileAndActsAgain) {
    ServeMessages("<messages><message><url>http://example.test/poll/{poll}</url></message></messages>");
    theApp.ProcessServerMessages();
    EXPECT_NE(MessagesFile().find("http://example.test/poll/1<"), std::string::npos) << MessagesFile();
    theApp.ProcessServerMessages();  // not due yet
    EXPECT_EQ(loopback::Requests().size(), 1u);
    PollDue();
    theApp.ProcessServerMessages();
    EXPECT_NE(MessagesFile().find("http://example.test/poll/2<"), std::string::npos) << MessagesFile();
    EXPECT_EQ(controller_->urls,
              (std::vector<std::wstring>{L"http://example.test/poll/1", L"http://example.test/poll/2"}));
    EXPECT_EQ(loopback::Requests().size(), 2u);

    // A poll that fails keeps the last file, acts on nothing and waits for
    // the next interval.
    theApp.m_MessagesUrl = loopback::Url(L"/status/500");
    PollDue();
    theApp.ProcessServerMessages();
    EXPECT_EQ(controller_->urls.size(), 2u);
    EXPECT_NE(MessagesFile().find("poll/2<"), std::string::npos);
    theApp.ProcessServerMessages();
    EXPECT_EQ(loopback::Requests().size(), 3u);
}

TEST_F(UpdatesTest, NoPollingWithIntervalZeroOrOffline) {
    ServeMessages("<messages><message><url>http://example.test/</url></message></messages>");
    theApp.m_MessagesInterval = 0;
    theApp.m_LastMessagesTick = ::GetTickCount() - 0x70000000u;
    theApp.ProcessServerMessages();
    theApp.m_MessagesInterval = 60000;
    PollDue();
    theApp.m_Online = false;
    theApp.ProcessServerMessages();
    theApp.m_Online = true;
    EXPECT_TRUE(loopback::Requests().empty());
    EXPECT_TRUE(controller_->urls.empty());
    EXPECT_EQ(MessagesFile(), "");
    // Online with an interval, the same due poll does ask: the server and
    // the messages were there all along.
    theApp.ProcessServerMessages();
    EXPECT_EQ(loopback::Requests().size(), 1u);
    EXPECT_EQ(controller_->urls, std::vector<std::wstring>{L"http://example.test/"});
}

}  // namespace
