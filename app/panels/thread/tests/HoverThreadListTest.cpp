// The panel list with stand-in panel threads under Wine: look-up, removal by
// the panel itself, posting to every panel, the exit's bounded close, and
// the list left alone after a termination.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/panels/thread/HoverThreadList.h"
#include "app/panels/thread/tests/StandInPanel.h"
#include "app/tests/support/RecordingPanelHost.h"
#include "tests/support/TestSupport.h"

namespace {

using panels::HoverThreadList;
using panels::PanelThread;
using panels::testing::StandInPanel;
using panels::testing::StandInScript;
using testsupport::WaitFor;

class PanelList : public ::testing::Test {
protected:
    // The panels a test leaves running end before the list deletes them.
    void TearDown() override {
        host_.list.HideAllAndTerminate();
        host_.list.ReapEnded();
    }
    StandInPanel* Launch(const wchar_t* id, StandInScript script = {}) {
        auto t = fx::StartSuspended<StandInPanel>(fx::Apartment::None, script);
        EXPECT_TRUE(t);
        StandInPanel* raw = t.get();
        raw->m_pHost = &host_;
        raw->m_Current.m_Id = id;
        UserSetting record;
        record.m_Id = id;
        host_.list.Add(std::move(t), record);
        raw->Resume();
        EXPECT_TRUE(WaitFor([&] { return raw->PanelWindow() != nullptr; }, 5000));
        host_.list.SetWindow(raw, raw->PanelWindow());
        return raw;
    }
    // Every launch has the go at once; the usage reports are counted.
    apptest::RecordingPanelHost host_;
};

TEST_F(PanelList, FindsByExactIdentifierAndPanelsRemoveThemselves) {
    StandInPanel* a = Launch(L"ECP-A");
    StandInPanel* b = Launch(L"ECP-B");
    HWND w = nullptr;
    ASSERT_TRUE(host_.list.FindByGuid(L"ECP-B", &w));
    EXPECT_EQ(w, b->PanelWindow());
    EXPECT_FALSE(host_.list.FindByGuid(L"ecp-b", &w));
    EXPECT_EQ(host_.list.GetCount(), 2u);

    ::PostMessageW(a->PanelWindow(), panel_msg::kCloseNow, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return host_.list.GetCount() == 1; }, 5000));
    EXPECT_FALSE(host_.list.FindByGuid(L"ECP-A", &w));
    ASSERT_TRUE(WaitFor([&] { return !a->IsRunning(); }, 5000));
    host_.list.ReapEnded();
    EXPECT_EQ(host_.Usages(), 1);
}

// A panel whose node has no window yet (still being created) is not found:
// nothing is posted to a window that does not exist.
TEST_F(PanelList, APanelWithoutItsWindowIsNotFound) {
    auto t = fx::StartSuspended<StandInPanel>(fx::Apartment::None, StandInScript{});
    ASSERT_TRUE(t);
    StandInPanel* raw = t.get();
    raw->m_pHost = &host_;
    UserSetting record;
    record.m_Id = L"ECP-N";
    host_.list.Add(std::move(t), record);
    HWND w = nullptr;
    EXPECT_FALSE(host_.list.FindByGuid(L"ECP-N", &w));
    raw->Resume();
    ASSERT_TRUE(WaitFor([&] { return raw->PanelWindow() != nullptr; }, 5000));
    host_.list.SetWindow(raw, raw->PanelWindow());
    ASSERT_TRUE(host_.list.FindByGuid(L"ECP-N", &w));
    EXPECT_EQ(w, raw->PanelWindow());
    EXPECT_EQ(host_.list.HideAllAndTerminate(), 0u);
}

TEST_F(PanelList, PostsToEveryPanelWindow) {
    StandInPanel* a = Launch(L"A");
    StandInPanel* b = Launch(L"B");
    host_.list.PostToAll11214();
    host_.list.PostToAll11203();
    for (StandInPanel* p : {a, b}) {
        ASSERT_TRUE(WaitFor([&] { return p->Messages().size() == 2; }, 5000));
        EXPECT_EQ(p->Messages(), (std::vector<UINT>{11214, 11203}));
    }
}

// Sixteen panels that each close a little slowly, and take the list's lock
// to remove themselves: all close, all report their usage, none is
// terminated.  (How long that takes is the panel benchmark's.)
TEST_F(PanelList, ExitClosesSixteenPanelsWithinTheBound) {
    StandInScript slow;
    slow.closeDelayMs = 50;
    std::vector<StandInPanel*> panels;
    for (int i = 0; i < 16; ++i) panels.push_back(Launch((L"P" + std::to_wstring(i)).c_str(), slow));
    EXPECT_EQ(host_.list.HideAllAndTerminate(), 0u);
    EXPECT_EQ(host_.Usages(), 16);
    EXPECT_EQ(host_.list.GetCount(), 0u);
    for (StandInPanel* p : panels) {
        EXPECT_FALSE(p->IsRunning());
        EXPECT_EQ(p->Messages(), (std::vector<UINT>{11207, 11205}));
    }
}

// A panel that ignores the close is terminated after the one bound; the
// others are not.
TEST_F(PanelList, ExitTerminatesOnlyTheStraggler) {
    StandInScript stubborn;
    stubborn.closeOnRequest = false;
    Launch(L"ok-1");
    StandInPanel* hung = Launch(L"hung", stubborn);
    Launch(L"ok-2");
    DWORD start = ::GetTickCount();
    EXPECT_EQ(host_.list.HideAllAndTerminate(500), 1u);
    DWORD spent = ::GetTickCount() - start;
    EXPECT_GE(spent, 450u);
    EXPECT_LT(spent, 2500u);
    EXPECT_EQ(host_.Usages(), 2);
    EXPECT_FALSE(hung->IsRunning());
}

// A closing panel leaves the list without walking the whole process heap
// (that check belongs to debug builds): its close is not held up while
// another thread holds the process heap's lock.
TEST_F(PanelList, AClosingPanelDoesNotWalkTheProcessHeap) {
#ifndef NDEBUG
    GTEST_SKIP() << "a debug build checks the heap at every close";
#endif
    StandInPanel* p = Launch(L"ECP-H");
    HANDLE heap = ::GetProcessHeap();
    ASSERT_TRUE(::HeapLock(heap));
    ::PostMessageW(p->PanelWindow(), panel_msg::kCloseNow, 0, 0);
    const bool removed = WaitFor([&] { return p->removed.load(); }, 5000);
    ::HeapUnlock(heap);
    EXPECT_TRUE(removed) << "the close waited for the process heap's lock";
    ASSERT_TRUE(WaitFor([&] { return !p->IsRunning(); }, 5000));
    host_.list.ReapEnded();
    EXPECT_EQ(host_.list.GetCount(), 0u);
}

// Panels that close one after another, each well within the bound of the
// one before though all of them take longer than one bound: none is
// terminated, every usage is reported.
TEST_F(PanelList, ExitWaitsWhilePanelsKeepEnding) {
    std::vector<StandInPanel*> panels;
    for (int i = 0; i < 4; ++i) {
        StandInScript slow;
        slow.closeDelayMs = 250u * static_cast<DWORD>(i + 1);
        panels.push_back(Launch((L"S" + std::to_wstring(i)).c_str(), slow));
    }
    EXPECT_EQ(host_.list.HideAllAndTerminate(500), 0u);
    EXPECT_EQ(host_.Usages(), 4);
    for (StandInPanel* p : panels) EXPECT_FALSE(p->IsRunning());
}

// Last in this program: the panel it terminates may leave behind whatever
// it held (the list's lock, or a lock of the system's), which no later test
// of this process should meet.
// A panel that hangs holding the list's lock (it takes it on the exit's
// close) is terminated; the exit then takes that lock no more: it returns,
// and the list answers without it from then on (no panel, nothing reaped).
// The exit runs on a thread of its own, so that a hang fails this test only.
TEST_F(PanelList, AfterATerminationTheListsLockIsNotTakenAgain) {
    StandInScript hanging;
    hanging.hangHoldingListLock = true;
    StandInPanel* hung = Launch(L"hung", hanging);
    fx::UiThread exit;
    ASSERT_TRUE(exit.Start(fx::Apartment::None, false));
    size_t terminated = 99, count = 99, windows = 99;
    bool found = true;
    const bool returned = testsupport::RunOn(
        exit,
        [&] {
            terminated = host_.list.HideAllAndTerminate(500);
            host_.list.ReapEnded();
            count = host_.list.GetCount();
            found = host_.list.FindByGuid(L"hung", nullptr);
            windows = host_.list.Windows().size();
            host_.list.PostToAll11214();
        },
        20000);
    ASSERT_TRUE(returned) << "the exit waited for the lock the terminated panel held";
    EXPECT_TRUE(hung->holdingListLock.load()) << "the panel held the lock when it was terminated";
    EXPECT_EQ(terminated, 1u);
    EXPECT_FALSE(hung->IsRunning());
    EXPECT_TRUE(host_.list.Left());
    EXPECT_EQ(count, 0u);
    EXPECT_FALSE(found);
    EXPECT_EQ(windows, 0u);
    EXPECT_EQ(host_.list.HideAllAndTerminate(500), 0u) << "a second exit finds nothing";
}

}  // namespace
