// The real PondRel.exe seen from outside: its hidden main frame (class, styles,
// size, title), the child-window tree of the settings page, WM_CLOSE hiding
// the frame while the program runs on, and the end of the session ending it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/tests/support/ProgramHarness.h"
#include "TestSupport.h"

namespace {

using programharness::FindMainFrame;
using programharness::MutexExists;
using programharness::SavedInstallValue;
using programharness::SetInstallValue;

struct Child {
    HWND hwnd;
    HWND parent;
    int id;
    std::wstring cls, text;
    RECT rc;  // in the parent's client coordinates
    bool visible;
};

BOOL CALLBACK Collect(HWND hwnd, LPARAM lp) {
    auto* out = reinterpret_cast<std::vector<Child>*>(lp);
    Child c{hwnd, ::GetParent(hwnd), ::GetDlgCtrlID(hwnd), L"", L"", {}, ::IsWindowVisible(hwnd) != FALSE};
    wchar_t buf[256] = L"";
    ::GetClassNameW(hwnd, buf, 256);
    c.cls = buf;
    buf[0] = L'\0';
    ::GetWindowTextW(hwnd, buf, 256);
    c.text = buf;
    ::GetWindowRect(hwnd, &c.rc);
    ::MapWindowPoints(nullptr, c.parent, reinterpret_cast<POINT*>(&c.rc), 2);
    out->push_back(c);
    return TRUE;
}

// The main view holds the master view (the document's panes, made last).
bool PanesExist(HWND frame) {
    HWND view = ::GetDlgItem(frame, 0xE900);
    return view && ::GetDlgItem(view, 0xE900);
}

class FrameProgram : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(MutexExists()) << "an instance of PondRel.exe is already running";
        std::wstring dir = testsupport::WinPath(PONDREL_FRAME_TEST_DIR);
        ::CreateDirectoryW(dir.c_str(), nullptr);
        SetInstallValue(L"path", dir.c_str());
        // Nothing listens there: the settings download fails at once.
        SetInstallValue(L"init", L"http://127.0.0.1:9/init2.asp");
        ASSERT_TRUE(program_.Start(PONDREL_EXE, {}));
        // Hidden from its first moment to the idle loop.
        bool idle = testsupport::WaitFor(
            [&] {
                frame_ = FindMainFrame(program_.pid());
                if (frame_ && ::IsWindowVisible(frame_)) shownDuringStart_ = true;
                return frame_ && MutexExists() && PanesExist(frame_) &&
                       ::WaitForInputIdle(program_.handle(), 0) == 0;
            },
            20000);
        ASSERT_TRUE(idle) << "PondRel.exe did not reach its message loop";
    }
    void TearDown() override {
        if (!program_.Wait(0)) {
            if (frame_) ::PostMessageW(frame_, WM_QUIT, 0, 0);
            if (!program_.Wait(10000)) program_.Kill();
        }
        testsupport::WaitFor([] { return !MutexExists(); }, 5000);
    }

    SavedInstallValue path_{L"path"};
    SavedInstallValue init_{L"init"};
    testsupport::Child program_;
    HWND frame_ = nullptr;
    bool shownDuringStart_ = false;
};

TEST_F(FrameProgram, HiddenFrameAndTheSettingsPageTree) {
    EXPECT_FALSE(shownDuringStart_);
    EXPECT_FALSE(::IsWindowVisible(frame_));
    LONG style = ::GetWindowLongW(frame_, GWL_STYLE);
    EXPECT_EQ(style & 0x02C80000, 0x02C80000);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_CHILD | WS_POPUP), 0);
    EXPECT_TRUE(::GetWindowLongW(frame_, GWL_EXSTYLE) & WS_EX_NOPARENTNOTIFY);
    RECT rc;
    ::GetWindowRect(frame_, &rc);
    EXPECT_EQ(rc.right - rc.left, 428);
    EXPECT_EQ(rc.bottom - rc.top, 365);
    // Centred on the work area.
    RECT work;
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR(rc.left, work.left + ((work.right - work.left) - 428) / 2, 1);
    EXPECT_EQ(::GetClassLongW(frame_, GCL_STYLE) & CS_DBLCLKS, static_cast<DWORD>(CS_DBLCLKS));

    std::vector<Child> tree;
    ::EnumChildWindows(frame_, &Collect, reinterpret_cast<LPARAM>(&tree));
    const Child* view = nullptr;
    for (const Child& c : tree)
        if (c.parent == frame_) view = &c;
    ASSERT_NE(view, nullptr) << "the main view";
    EXPECT_EQ(view->id, 0xE900);
    RECT client;
    ::GetClientRect(view->hwnd, &client);

    auto find = [&](int id, HWND parent) -> const Child* {
        for (const Child& c : tree)
            if (c.id == id && c.parent == parent) return &c;
        return nullptr;
    };
    struct Want {
        int id;
        const wchar_t* text;
        LONG left;
    } buttons[] = {{1111, L"OK", client.right - 243}, {2222, L"Cancel", client.right - 162},
                   {3333, L"Apply", client.right - 81}};
    for (const Want& w : buttons) {
        SCOPED_TRACE(w.id);
        const Child* b = find(w.id, view->hwnd);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(_wcsicmp(b->cls.c_str(), L"Button"), 0);
        EXPECT_EQ(b->text, w.text);
        EXPECT_EQ(b->rc.left, w.left);
        EXPECT_EQ(b->rc.top, client.bottom - 29);
        EXPECT_EQ(b->rc.right - b->rc.left, 75);
        EXPECT_EQ(b->rc.bottom - b->rc.top, 23);
    }
    const Child* tab = find(4102, view->hwnd);
    ASSERT_NE(tab, nullptr);
    EXPECT_EQ(_wcsicmp(tab->cls.c_str(), L"SysTabControl32"), 0);
    EXPECT_FALSE(tab->visible);
    EXPECT_EQ(tab->rc.left, 6);
    EXPECT_EQ(tab->rc.top, -16);
    EXPECT_EQ(tab->rc.right, client.right - 4);
    EXPECT_EQ(tab->rc.bottom, client.bottom - 32);
    const Child* master = find(0xE900, view->hwnd);
    ASSERT_NE(master, nullptr) << "the master view";
    EXPECT_EQ(master->rc.left, tab->rc.left + 4);
    EXPECT_EQ(master->rc.right, tab->rc.right - 15);
    EXPECT_EQ(master->rc.bottom, tab->rc.bottom - 8);
    EXPECT_GT(master->rc.top, tab->rc.top + 4) << "below the tab row";
}

TEST_F(FrameProgram, CloseHidesTheFrameAndTheProgramRunsOn) {
    ::ShowWindow(frame_, SW_SHOWNA);
    ASSERT_TRUE(testsupport::WaitFor([&] { return ::IsWindowVisible(frame_) != FALSE; }, 5000));
    ::PostMessageW(frame_, WM_CLOSE, 0, 0);
    EXPECT_TRUE(testsupport::WaitFor([&] { return !::IsWindowVisible(frame_); }, 5000));
    EXPECT_FALSE(program_.Wait(500)) << "the program keeps running";
    EXPECT_TRUE(::IsWindow(frame_));
    DWORD_PTR answer = 0;
    EXPECT_TRUE(::SendMessageTimeoutW(frame_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer));
}

TEST_F(FrameProgram, EndOfTheSessionEndsTheProgram) {
    DWORD_PTR answer = 0;
    ::SendMessageTimeoutW(frame_, WM_ENDSESSION, FALSE, 0, SMTO_ABORTIFHUNG, 5000, &answer);
    EXPECT_FALSE(program_.Wait(300)) << "a session that does not end changes nothing";
    ::SendMessageTimeoutW(frame_, WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 5000, &answer);
    DWORD code = 99;
    ASSERT_TRUE(program_.Wait(10000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(MutexExists());
}

}  // namespace
