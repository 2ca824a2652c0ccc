// The controller and the settings reload while an enhancer's call pumps
// messages: the recording enhancer (registered in the test prefix) dispatches
// what waits for the thread inside a scripted call, the test has a settings
// reload (11134) and a rescan (11139) waiting there.  Nothing may change or
// free the enhancer list while the call runs; the reload runs once after it.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/core/enhancers/EnhancerRules.h"
#include "app/tests/support/AppFixture.h"
#include "StandIns.h"
#include "TestSupport.h"
#include "app/selection/controller/BrowserTreeView.h"
#include "app/selection/controller/ControllerMessages.h"
#include "app/selection/controller/tests/ControllerWindow.h"
#include "tests/httpserver/LoopbackServer.h"

namespace {

using Lines = std::vector<std::wstring>;

std::wstring HttpRoot() {
    std::wstring r = testsupport::WinPath(REENTRY_HTTP_ROOT);
    return r.back() == L'\\' ? r : r + L'\\';
}

// A settings document that loads the recording enhancer A.
std::string Document() {
    const std::wstring id = standin::kRecordingAText;
    return "<init><urls><site_enhancer>http://site.example/se</site_enhancer></urls>"
           "<ecptree><category><name>c</name></category></ecptree>"
           "<enhancers><app><enhancer><id>" +
           std::string(id.begin(), id.end()) + "</id><active>true</active></enhancer></app></enhancers></init>";
}

class ControllerReentry : public coretest::AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        ASSERT_NE(0, loopback::Port());
        script_ = dir_ + L"recorder-script.txt";
        records_ = dir_ + L"records.txt";
        for (auto var : {standin::kRecorderScriptVar, standin::kSiteScriptVar})
            ::SetEnvironmentVariableW(var, script_.c_str());
        for (auto var : {standin::kRecorderLogVar, standin::kSiteLogVar})
            ::SetEnvironmentVariableW(var, records_.c_str());
        enhancerseam::extraClasses = {standin::kRecordingAText};   // loads as the program's own do
        coretest::WriteFile(HttpRoot(), L"reentry.xml", Document());
        theApp.m_InitUrl = loopback::Url(L"/files/reentry.xml");
        theApp.m_UserId.clear();
        theApp.m_UseIgnoreList = false;
        theApp.m_ShowContextMenu = true;
        theApp.m_ShowLinkPreviews = true;
        theApp.m_EnhancersOff = false;

        RegisterPondrelWindowClasses(::GetModuleHandleW(nullptr));
        auto view = std::make_unique<BrowserTreeView>();
        ASSERT_TRUE(MakeControllerWindow(parent_, *view));
        ::KillTimer(view->hwnd(), kHeartbeatTimer);  // the test ticks by itself
        view_ = view.get();
        doc_->m_pController = std::move(view);

        // The first load, with nothing pumping.
        ASSERT_TRUE(standin::WriteScript(script_, L"update 1\n"));
        ASSERT_TRUE(theApp.ReloadSettings());
        ASSERT_EQ(Names(), (Lines{L"Recording Enhancer A"}));
        theApp.m_Starting = false;
        theApp.m_Online = true;
        log_->Lines();
        seen_ = Records().size();
    }
    void TearDown() override {
        theApp.UnloadEnhancers();
        doc_->m_pController.reset();
        if (parent_) ::DestroyWindow(parent_);
        theApp.m_Starting = true;
        enhancerseam::extraClasses.clear();
        AppFixture::TearDown();
    }
    Lines Records() { return standin::ReadRecords(records_); }
    // The records since the last look, of the recording enhancers only.
    Lines NewEnhancerRecords() {
        Lines all = Records(), out;
        for (size_t i = seen_; i < all.size(); ++i)
            if (!all[i].empty() && all[i][0] == L'A') out.push_back(all[i]);
        seen_ = all.size();
        return out;
    }
    Lines Names() {
        Lines names;
        for (auto& node : view_->Enhancers()) names.push_back(node->m_Name);
        return names;
    }
    static int Count(const Lines& lines, const std::wstring& text) {
        return static_cast<int>(std::count(lines.begin(), lines.end(), text));
    }
    void Post(UINT message) { ASSERT_TRUE(::PostMessageW(view_->hwnd(), message, 0, 0)); }

    std::wstring script_, records_;
    size_t seen_ = 0;
    HWND parent_ = nullptr;
    BrowserTreeView* view_ = nullptr;
};

TEST_F(ControllerReentry, ReloadAndRescanDuringAnUpdateWaitForItThenTheReloadRunsOnce) {
    ASSERT_TRUE(standin::WriteScript(script_, L"update 1\npump Update\nselection 10 20 30 40 0 pond|<c/>|\n"));
    Post(controller_msg::kReloadSettings);
    Post(controller_msg::kRescan);

    view_->Tick();

    // A1 answered its Update, dispatched both messages with the controller's
    // two references still held, and only then was unloaded and destroyed;
    // the reload made A2, which nothing polled or asked for a transfer
    // before this tick ended.
    Lines records = NewEnhancerRecords();
    const Lines a1 = {L"A1 Update", L"A1 Pumped 2 | refs 2", L"A1 Unload", L"A1 Destroyed"};
    Lines got1;
    for (const std::wstring& r : records)
        if (r.compare(0, 3, L"A1 ") == 0) got1.push_back(r);
    EXPECT_EQ(got1, a1);
    Lines got2;
    for (const std::wstring& r : records)
        if (r.compare(0, 3, L"A2 ") == 0) got2.push_back(r.substr(3));
    ASSERT_FALSE(got2.empty());
    EXPECT_EQ(got2.front(), L"Init");
    EXPECT_EQ(Count(got2, L"Update"), 0);
    EXPECT_EQ(Count(got2, L"TextHotSpotTransferBegin"), 0);

    Lines log = log_->Lines();
    EXPECT_EQ(Count(log, L"Reload Settings waits for the enhancer call in progress"), 1);
    EXPECT_EQ(Count(log, L"Reload Settings done"), 1);
    EXPECT_EQ(Names(), (Lines{L"Recording Enhancer A"}));
    EXPECT_EQ(theApp.m_EnhancerCount, 1);
    EXPECT_FALSE(theApp.m_Starting);
    EXPECT_FALSE(view_->InEnhancerCall());

    // The next tick polls the new enhancer and collects its selection.
    ASSERT_TRUE(standin::WriteScript(script_, L"update 1\nselection 10 20 30 40 0 pond|<c/>|\n"));
    view_->Tick();
    EXPECT_EQ(Count(NewEnhancerRecords(), L"A2 Update"), 1);
    EXPECT_EQ(view_->m_Observer.m_Selections.GetCount(), 1u);
}

TEST_F(ControllerReentry, ARescanDuringACollectionRunsAfterItOnTheSameList) {
    ASSERT_TRUE(standin::WriteScript(script_, L"update 1\npump GetSelectedText\n"
                                              L"selection 10 20 30 40 0 one|<c/>|\nselection 50 20 70 40 0 two||\n"));
    view_->Tick();  // polls, then collects: the first piece pumps an empty queue
    NewEnhancerRecords();
    Post(controller_msg::kRescan);
    view_->Rescan(false);

    // The posted rescan (with its tick) waited for the collection, then
    // collected both pieces again, and its tick polled and collected once
    // more; each transfer ended before the next began.
    Lines records = NewEnhancerRecords();
    Lines order;
    for (const std::wstring& r : records)
        if (r.find(L"TransferBegin") != std::wstring::npos || r.find(L"TransferEnd") != std::wstring::npos)
            order.push_back(r);
    const std::wstring begin = L"A1 TextHotSpotTransferBegin", end = L"A1 TextHotSpotTransferEnd";
    EXPECT_EQ(order, (Lines{begin, end, begin, end, begin, end}));
    EXPECT_EQ(Count(records, L"A1 Update"), 1);
    EXPECT_EQ(view_->m_Observer.m_Selections.GetCount(), 2u);
}

TEST_F(ControllerReentry, AReloadAskedForDuringAReloadRunsOnceAfterIt) {
    ASSERT_TRUE(standin::WriteScript(script_, L"update 1\npump Init\n"));
    Post(controller_msg::kReloadSettings);
    Post(controller_msg::kReloadSettings);
    EXPECT_TRUE(theApp.ReloadSettings());

    // A2's Init dispatched both requests; they made one more reload, after
    // the first had ended: A2 unloaded, A3 loaded, one enhancer in the list.
    Lines log = log_->Lines();
    EXPECT_EQ(Count(log, L"Reload Settings done"), 2);
    EXPECT_EQ(Count(log, L"Reload Settings requested during a reload: it follows"), 2);
    Lines records = NewEnhancerRecords();
    EXPECT_EQ(Count(records, L"A1 Destroyed"), 1);
    EXPECT_EQ(Count(records, L"A2 Pumped 2 | refs 2"), 1);
    EXPECT_EQ(Count(records, L"A2 Destroyed"), 1);
    EXPECT_EQ(Count(records, L"A3 Pumped 0 | refs 2"), 1);
    EXPECT_EQ(Count(records, L"A3 Destroyed"), 0);
    EXPECT_EQ(Count(records, L"A4 Init"), 0);
    EXPECT_EQ(Names(), (Lines{L"Recording Enhancer A"}));
    EXPECT_EQ(theApp.m_EnhancerCount, 1);
    EXPECT_FALSE(theApp.m_Starting);
}

}  // namespace
