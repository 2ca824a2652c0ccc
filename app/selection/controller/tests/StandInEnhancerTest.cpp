// The controller's calls on the recording stand-in enhancer, a real
// in-process COM server registered in the test prefix: one Update per poll,
// the exact order of a selection and a hot-spot transfer, and the object gone
// once the controller unloads it.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ActionTransfers.h"
#include "Hextens/HXIE/HXIE.h"
#include "StandIns.h"
#include "app/selection/controller/EnhancerCalls.h"

namespace {

class StandInEnhancer : public testing::Test {
protected:
    void SetUp() override {
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        wchar_t dir[MAX_PATH];
        ::GetTempPathW(MAX_PATH, dir);
        std::wstring base = std::wstring(dir) + L"pondrel-controller-" + std::to_wstring(::GetCurrentProcessId());
        script_ = base + L".script";
        log_ = base + L".log";
        ::DeleteFileW(log_.c_str());
        ::SetEnvironmentVariableW(standin::kRecorderScriptVar, script_.c_str());
        ::SetEnvironmentVariableW(standin::kRecorderLogVar, log_.c_str());
    }
    void TearDown() override {
        UnloadEnhancers(enhancers_, nullptr, nullptr);
        ::CoUninitialize();
        ::DeleteFileW(script_.c_str());
        ::DeleteFileW(log_.c_str());
    }
    // Creates class A as the enhancer load does: IDispatch, then IAction.
    bool Load() {
        IDispatch* dispatch = nullptr;
        if (FAILED(::CoCreateInstance(standin::kRecordingA, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                      reinterpret_cast<void**>(&dispatch))))
            return false;
        IAction* action = nullptr;
        if (FAILED(dispatch->QueryInterface(IID_IAction, reinterpret_cast<void**>(&action)))) {
            dispatch->Release();
            return false;
        }
        auto node = std::make_unique<WatcherNode>(dispatch, action, true);
        node->m_Name = L"Recording Enhancer A";
        enhancers_.push_back(std::move(node));
        return true;
    }
    // The recorded calls of object A1 since the last look.
    std::vector<std::wstring> Recorded() {
        std::vector<std::wstring> all = standin::ReadRecords(log_), mine;
        for (size_t i = seen_; i < all.size(); ++i)
            if (all[i].compare(0, 3, L"A1 ") == 0) mine.push_back(all[i].substr(3));
        seen_ = all.size();
        return mine;
    }

    std::wstring script_, log_;
    size_t seen_ = 0;
    WatcherObList enhancers_;
};

using testsupport::Calls;

TEST_F(StandInEnhancer, SelectionAndHotSpotTransfersInOrderThenUnloadedToNothing) {
    ASSERT_TRUE(standin::WriteScript(script_,
                                     L"update 3\n"
                                     L"title Page\n"
                                     L"selection 10 20 30 40 0 one|<c/>|g1\n"
                                     L"selection 50 20 50 40 0 empty||\n"
                                     L"selection 60 20 70 40 0 two|\u00e9|g2\n"
                                     L"hotspot 1 2 3 4 0 example.com|link|http://example.com/|<h/>|hg\n"));
    ASSERT_TRUE(Load());
    Recorded();  // creation

    EXPECT_EQ(PollEnhancers(enhancers_, PollGate{1, false, false}), 3);
    EXPECT_EQ(Recorded(), (Calls{L"Update"}));

    LinkList selections;
    EXPECT_EQ(CollectSelections(enhancers_, selections), 2);
    // Kept, dropped for its zero width, kept.
    const Calls expected = testsupport::SelectionTransferCalls({true, false, true});
    EXPECT_EQ(Recorded(), expected);
    ASSERT_EQ(selections.GetCount(), 2u);
    EXPECT_EQ(selections.GetAt(0)->m_Text, L"one");
    EXPECT_EQ(selections.GetAt(0)->m_Context, L"%3c%63%2f%3e");
    EXPECT_EQ(selections.GetAt(1)->m_Context, L"%c3%a9");
    EXPECT_EQ(selections.GetAt(1)->m_Rect.left, 60);

    LinkList hotSpots;
    std::wstring title;
    EXPECT_EQ(CollectHotSpots(enhancers_, hotSpots, &title), 1);
    EXPECT_EQ(Recorded(), testsupport::OneHotSpotTransferCalls());
    EXPECT_EQ(title, L"Page");
    ASSERT_EQ(hotSpots.GetCount(), 1u);
    EXPECT_EQ(hotSpots.GetHead()->m_HRef, L"http://example.com/");
    EXPECT_EQ(hotSpots.GetHead()->m_Token, L"link");

    UnloadEnhancers(enhancers_, nullptr, nullptr);
    EXPECT_EQ(Recorded(), (Calls{L"Unload", L"Destroyed"}));  // reference count back to 0
    UnloadEnhancers(enhancers_, nullptr, nullptr);          // nothing left to release
    EXPECT_TRUE(Recorded().empty());
}

TEST_F(StandInEnhancer, AFailedCallStillEndsTheTransfer) {
    ASSERT_TRUE(standin::WriteScript(script_,
                                     L"update 1\n"
                                     L"selection 10 20 30 40 0 one||\n"
                                     L"fail GetSelectedText 80004005\n"));
    ASSERT_TRUE(Load());
    PollEnhancers(enhancers_, PollGate{1, false, false});
    Recorded();
    LinkList selections;
    EXPECT_EQ(CollectSelections(enhancers_, selections), 0);
    Calls calls = Recorded();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back(), L"TextHotSpotTransferEnd");
}

}  // namespace
