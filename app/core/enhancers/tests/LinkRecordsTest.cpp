// The link records and their list, and the browser window searches.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/core/enhancers/BrowserWindows.h"
#include "app/core/enhancers/LinkInfo.h"
#include "app/core/graphics/Monitors.h"
#include "app/core/main/PondrelApp.h"
#include "tests/support/AllocationFaults.h"

namespace {

std::unique_ptr<LinkInfo> Record(const wchar_t* text) {
    auto r = std::make_unique<LinkInfo>();
    r->m_Text = text;
    return r;
}

TEST(LinkList, EmptyingClearsTheHotspotPointerOnlyWhenItPointsIntoTheList) {
    LinkInfo* hotspot = nullptr;
    LinkList list;
    list.SetHotspotLinkSlot(&hotspot);
    list.Add(Record(L"a"));
    hotspot = list.Add(Record(L"b"));
    list.RemoveAllLinks();
    EXPECT_EQ(hotspot, nullptr);
    EXPECT_TRUE(list.IsEmpty());

    LinkInfo elsewhere;
    hotspot = &elsewhere;
    list.Add(Record(L"c"));
    list.RemoveAllLinks();
    EXPECT_EQ(hotspot, &elsewhere);
    list.RemoveAllLinks();  // an empty list
    EXPECT_EQ(hotspot, &elsewhere);
}

TEST(LinkInfo, CopyFromCopiesEveryFieldAndOutlivesTheList) {
    LinkList list;
    LinkInfo* source = list.Add(Record(L"text"));
    source->m_Rect = RECT{1, 2, 3, 4};
    source->m_Context = L"%3c";
    source->m_BestGuess = L"guess";
    source->m_Reserved1 = 5;
    source->m_Countdown = 600;
    source->m_Domain = L"example.com";
    source->m_HRef = L"http://example.com/";
    source->m_Extra1 = L"x1";
    source->m_Extra2 = L"x2";
    source->m_EcpId = L"ecp";
    source->m_Token = L"token";
    LinkInfo copy;
    copy.CopyFrom(*source);
    EXPECT_EQ(source->m_Text, L"text");
    list.RemoveAllLinks();
    EXPECT_EQ(copy.m_Rect.left, 1);
    EXPECT_EQ(copy.m_Rect.bottom, 4);
    EXPECT_EQ(copy.m_Text, L"text");
    EXPECT_EQ(copy.m_Context, L"%3c");
    EXPECT_EQ(copy.m_BestGuess, L"guess");
    EXPECT_EQ(copy.m_Reserved1, 5);
    EXPECT_EQ(copy.m_Countdown, 600);
    EXPECT_EQ(copy.m_Domain, L"example.com");
    EXPECT_EQ(copy.m_HRef, L"http://example.com/");
    EXPECT_EQ(copy.m_Extra1, L"x1");
    EXPECT_EQ(copy.m_Extra2, L"x2");
    EXPECT_EQ(copy.m_EcpId, L"ecp");
    EXPECT_EQ(copy.m_Token, L"token");
}

HWND W(int n) { return reinterpret_cast<HWND>(static_cast<UINT_PTR>(n)); }

TEST(BrowserWindows, CollectThenFindTheFirstWindowOfANewProcess) {
    BrowserWindowList list;
    HWND result = nullptr;
    // Before the launch: two browser windows of process 10, one of 20, and
    // a window of another class.
    EXPECT_TRUE(list.EnumStep(BrowserWindowList::Collect, L"IEFrame", W(1), 10, L"IEFrame", &result));
    EXPECT_TRUE(list.EnumStep(BrowserWindowList::Collect, L"IEFrame", W(2), 10, L"ieframe", &result));
    EXPECT_TRUE(list.EnumStep(BrowserWindowList::Collect, L"IEFrame", W(3), 20, L"IEFrame", &result));
    EXPECT_TRUE(list.EnumStep(BrowserWindowList::Collect, L"IEFrame", W(4), 30, L"Other", &result));
    ASSERT_EQ(list.Nodes().size(), 2u);
    EXPECT_EQ(list.Nodes()[0].processId, 20u);  // newest first
    EXPECT_EQ(list.Nodes()[1].window, W(1));
    EXPECT_EQ(list.Nodes()[1].count, 1);
    EXPECT_EQ(result, nullptr);

    // After it: the known processes are passed over, the new one stops the walk.
    EXPECT_TRUE(list.EnumStep(BrowserWindowList::FindFirst, L"IEFrame", W(1), 10, L"IEFrame", &result));
    EXPECT_FALSE(list.EnumStep(BrowserWindowList::FindFirst, L"IEFrame", W(5), 40, L"IEFrame", &result));
    EXPECT_EQ(result, W(5));

    // No new browser process: nothing found.
    HWND none = nullptr;
    EXPECT_TRUE(list.EnumStep(BrowserWindowList::FindFirst, L"IEFrame", W(3), 20, L"IEFrame", &none));
    EXPECT_EQ(none, nullptr);
}

TEST(BrowserWindows, ProcessSearchTakesTheLastWindowOfTheProcess) {
    HWND result = nullptr;
    FindProcessStep(L"MozillaUIWindowClass", 7, W(1), 7, L"Other", &result);
    FindProcessStep(L"MozillaUIWindowClass", 7, W(2), 8, L"MozillaUIWindowClass", &result);
    FindProcessStep(L"MozillaUIWindowClass", 7, W(3), 7, L"MozillaUIWindowClass", &result);
    EXPECT_EQ(result, W(3));
    FindProcessStep(L"MozillaUIWindowClass", 7, W(4), 7, L"Tooltip", &result);
    EXPECT_EQ(result, W(4));
}

// An allocation that fails inside an enumeration's callback (the class name
// of each window, each monitor's record) stops the enumeration there; it
// does not cross the system's frames, which would end the program.
TEST(SystemCallbacks, AFailedAllocationStopsTheEnumeration) {
    const std::wstring cls = L"PondRelNoSuchBrowserClass";
    HWND window = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(window);
    theApp.m_BrowserWindowClass = cls;
    theApp.m_hBrowserWnd = nullptr;
    {
        testsupport::FailingAllocationsHere failing;
        theApp.EnumBrowserWindows(cls, true);
        theApp.FindBrowserWindow(cls, true);
        theApp.FindBrowserWindow(cls, false);
    }
    EXPECT_EQ(theApp.m_hBrowserWnd, nullptr);
    ::DestroyWindow(window);

    // The monitors' slots are made first: only the callback's records fail.
    struct OneMonitor : MonitorEnumeration {
        int Count() const override { return 1; }
        void Enumerate(MONITORENUMPROC proc, LPARAM context) const override {
            testsupport::FailingAllocationsHere failing;
            ::EnumDisplayMonitors(nullptr, nullptr, proc, context);
        }
    } source;
    CMonitors monitors(source);
    EXPECT_EQ(monitors.GetAt(0), nullptr) << "the failed record left its slot empty";
}

}  // namespace
