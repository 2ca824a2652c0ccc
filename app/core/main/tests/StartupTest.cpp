// A first start becomes the single instance and idles; WM_QUIT ends it; a
// second start never becomes a full instance.
#include "app/tests/support/ShellHarness.h"

#include <algorithm>

namespace shell {
namespace {

class StartUp : public ShellTest {};

TEST_F(StartUp, FirstStartOwnsTheMutexLogsItsStepsInOrderAndEndsOnWmQuit) {
    Program& first = Start({});
    ASSERT_TRUE(WaitUntilInstance(first)) << "no idle instance";
    EXPECT_TRUE(MutexHeldByOther());
    EXPECT_FALSE(::IsWindowVisible(first.frame)) << "the main frame stays hidden";
    HWND dialog = FindTopLevel(first.child.pid(), L"Dialog");
    ASSERT_TRUE(dialog) << "the hidden dialog of template 131";
    EXPECT_FALSE(::IsWindowVisible(dialog));
    EXPECT_TRUE(::GetDlgItem(dialog, IDOK) && ::GetDlgItem(dialog, IDCANCEL));

    wchar_t temp[512];
    ::GetTempPathW(512, temp);
    const auto& lines = Lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0].compare(0, 3, L"1.0"), 0) << "version line first";
    EXPECT_TRUE(InOrder(lines, {InstallDir() + L"\\", L"CoInit", L"GdiplusStartup", L"ParseCommandLine",
                                L"RegisterClassObjects", L"Create MasterMutex", L"InitCommonControls",
                                L"InitInstance", L"AfxEnableControlContainer", L"CSingleDocTemplate",
                                L"Temp Directory", L"RegisterDLLs", L"LoadGraphics", L"DownloadSettings",
                                L"-------------------------->ERROR: m_HaveInitDispatch is false",
                                L"-------------------------->Faild to load settings!"}));
    EXPECT_FALSE(Contains(lines, L"Parsing")) << "no token, no parsing line";
    EXPECT_FALSE(Contains(lines, L"Already Running Kill"));
    EXPECT_TRUE(::GetFileAttributesW((InstallDir() + L"\\Cache").c_str()) & FILE_ATTRIBUTE_DIRECTORY);

    // Still idling in its loop: its heartbeat runs (the first tick retries
    // the settings download, which fails again), and it answers.
    const std::wstring startEnd = L"-------------------------->Faild to load settings!";
    const std::wstring retry = L"HttpGetToFile failed";
    EXPECT_TRUE(testsupport::WaitFor(
        [&] {
            const auto& now = Lines();
            auto end = std::find(now.begin(), now.end(), startEnd);
            return end != now.end() && std::any_of(end, now.end(), [&](const std::wstring& l) {
                       return l.compare(0, retry.size(), retry) == 0;
                   });
        },
        10000))
        << "no heartbeat";
    EXPECT_FALSE(first.child.Wait(0));
    DWORD_PTR answer = 0;
    EXPECT_TRUE(::SendMessageTimeoutW(first.frame, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer));

    DWORD code = 99;
    ASSERT_TRUE(QuitInstance(first, &code)) << "did not end after WM_QUIT";
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(MutexExists()) << "the mutex goes with the instance";
}

TEST_F(StartUp, SecondStartWithoutArgumentsEndsAtOnceAndChangesNothing) {
    Program& first = Start({});
    ASSERT_TRUE(WaitUntilInstance(first));
    size_t before = LineCount();

    DWORD code = 99;
    ASSERT_TRUE(RunToEnd({}, &code, 10000));
    EXPECT_EQ(code, 0u);
    auto second = LinesFrom(before);
    EXPECT_TRUE(InOrder(second, {L"ParseCommandLine", L"RegisterClassObjects", L"Already Running Kill"}));
    EXPECT_FALSE(Contains(second, L"Create MasterMutex"));
    EXPECT_FALSE(Contains(second, L"hOther = null!")) << "the shared section gave it the first instance's window";

    EXPECT_FALSE(first.child.Wait(0)) << "the first instance still runs";
    EXPECT_EQ(FindMainFrame(first.child.pid()), first.frame);
    EXPECT_TRUE(MutexHeldByOther());
    DWORD_PTR answer = 0;
    EXPECT_TRUE(::SendMessageTimeoutW(first.frame, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer));
}

TEST_F(StartUp, OfSimultaneousStartsExactlyOneBecomesTheInstance) {
    Program* starts[3] = {&Start({}), &Start({}), &Start({})};
    auto countEnded = [&] {
        int n = 0;
        for (Program* p : starts) n += p->child.Wait(0) ? 1 : 0;
        return n;
    };
    testsupport::WaitFor([&] { return countEnded() >= 2; }, 10000);
    int ended = 0;
    for (Program* p : starts) {
        DWORD code = 99;
        if (p->child.Wait(0, &code)) {
            ++ended;
            EXPECT_EQ(code, 0u);
        }
    }
    EXPECT_EQ(ended, 2) << "all but one end at start-up";
    int instances = 0;
    for (Program* p : starts)
        if (!p->child.Wait(0) && WaitUntilInstance(*p)) ++instances;
    EXPECT_EQ(instances, 1);
}

TEST_F(StartUp, ANewStartAfterTheInstanceEndedProceeds) {
    Program& first = Start({});
    ASSERT_TRUE(WaitUntilInstance(first));
    DWORD code = 99;
    ASSERT_TRUE(QuitInstance(first, &code));
    Program& next = Start({});
    EXPECT_TRUE(WaitUntilInstance(next));
}

// "debug.txt" in the install directory opens the debug window at start-up:
// shown, 549 x 400, a tool window titled "Debug".  Without the file there is
// none.
TEST_F(StartUp, TheDebugWindowOpensOnlyWithDebugTxt) {
    const std::wstring marker = InstallDir() + L"\\debug.txt";
    struct RemoveAtEnd {
        const std::wstring& path;
        ~RemoveAtEnd() { ::DeleteFileW(path.c_str()); }
    } removeAtEnd{marker};
    ::DeleteFileW(marker.c_str());
    Program& plain = Start({});
    ASSERT_TRUE(WaitUntilInstance(plain));
    EXPECT_EQ(FindTopLevel(plain.child.pid(), L"Debug"), nullptr);
    DWORD code = 99;
    ASSERT_TRUE(QuitInstance(plain, &code));

    HANDLE file = ::CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ::CloseHandle(file);
    Program& debug = Start({});
    ASSERT_TRUE(WaitUntilInstance(debug));
    HWND window = FindTopLevel(debug.child.pid(), L"Debug");
    ASSERT_TRUE(window) << "no debug window";
    EXPECT_TRUE(::IsWindowVisible(window));
    RECT r{};
    ::GetWindowRect(window, &r);
    EXPECT_EQ(r.right - r.left, 549);
    EXPECT_EQ(r.bottom - r.top, 400);
    EXPECT_TRUE(::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(::FindWindowExW(window, nullptr, L"RichEdit20W", nullptr)) << "its panes";
    ASSERT_TRUE(QuitInstance(debug, &code));
    EXPECT_EQ(code, 0u);
}

}  // namespace
}  // namespace shell
