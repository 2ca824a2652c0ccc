// The fixture of the children thread tests (ChildrenThreadTest.cpp and
// SearchBoxTest.cpp): a panel's children thread under Wine over an element
// tree built from a fixture template, a recording stand-in for the panel
// window and a recording host for the controller.
#pragma once

#include <windows.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "app/panels/elements/tests/Fakes.h"
#include "app/panels/elements/tests/FixtureDocument.h"
#include "app/core/common/AppMessages.h"
#include "app/core/common/GlobalLocks.h"
#include "app/core/main/PondrelApp.h"
#include "app/panels/children/ChildWin.h"
#include "app/panels/children/ChildrenThread.h"
#include "app/panels/children/SearchText.h"
#include "app/panels/children/SearchView.h"
#include "app/panels/elements/Win32Elements.h"
#include "app/panels/views/BottomView.h"
#include "app/panels/children/ChildPanelOps.h"
#include "tests/support/AllocationFaults.h"
#include "tests/support/GdiplusTestEnv.h"
#include "tests/support/MessageRecorder.h"
#include "tests/support/TestSupport.h"

namespace children_test {

using testsupport::WaitFor;
using Posted = testsupport::MessageRecorder::Message;

// A window of the test thread at `at` that records the 111xx and 112xx
// messages it is posted; at 11212 it also notes whether the watched windows
// still exist.
class Recorder : public testsupport::MessageRecorder {
public:
    explicit Recorder(const RECT& at) : MessageRecorder(11100, 11299) { Make(at, WS_EX_TOOLWINDOW); }

    std::vector<HWND> watched;
    bool watchedGoneAtClose = false;

protected:
    void OnRecord(const Message& m) override {
        if (m.msg != panel_msg::kClose) return;
        watchedGoneAtClose = true;
        for (HWND w : watched) watchedGoneAtClose &= !::IsWindow(w);
    }
};

// The panel as the children thread sees it, with a recording controller.
class Host : public panels::ChildPanelOps {
public:
    HWND ControllerWindow() const override { return controller.hwnd(); }
    void LeavePanelUrl(const std::wstring& url) override {
        std::lock_guard<std::mutex> hold(mutex);
        lastUrl = url;
    }
    void LeavePanelOpen(const std::wstring&, const std::wstring&, const std::wstring&, const RECT&) override {}

    bool Got(UINT msg) const { return controller.Got(msg); }
    // The URL the panel left ("(none)" before any).
    std::wstring LastUrl() {
        std::lock_guard<std::mutex> hold(mutex);
        return lastUrl;
    }

    Recorder controller{RECT{0, 0, 1, 1}};
    std::mutex mutex;
    std::wstring lastUrl = L"(none)";
};


// Counts the thread's OLE starts and ends and notes whether its windows
// were gone at the end.
class CountingChildren : public panels::ChildrenThread {
public:
    std::atomic<int> starts{0}, ends{0};
    std::atomic<bool> windowsGoneAtEnd{false};
    std::atomic<bool> handlerBeforeStart{false};  // a window existed when OLE started
    std::vector<HWND> watched;  // set before the thread is asked to end

protected:
    HRESULT StartApartment() override {
        handlerBeforeStart = HandlerWindow() != nullptr;
        ++starts;
        return ChildrenThread::StartApartment();
    }
    void EndApartment() override {
        bool gone = true;
        for (HWND w : watched) gone &= !::IsWindow(w);
        windowsGoneAtEnd = gone;
        ++ends;
        ChildrenThread::EndApartment();
    }
};

inline std::wstring ClassOf(HWND w) {
    wchar_t name[64] = {};
    ::GetClassNameW(w, name, 64);
    return name;
}

inline std::wstring TextOf(HWND w) {
    wchar_t text[1024] = {};
    ::GetWindowTextW(w, text, 1024);
    return text;
}

class Children : public testing::Test {
protected:
    void SetUp() override {
        panelLock_ = std::make_unique<CriticalSectionPanelLock>(panelCs_);
        panelWindow_ = std::make_unique<HwndPanelWindow>(panel_.hwnd());
    }
    void TearDown() override {
        if (thread_) {
            EXPECT_TRUE(thread_->Quit(5000));
        }
    }
    // The fixture's tree for a 300 x 200 panel, with the search area and the
    // ad; withTail also adds the left-lower tail to the windowed elements.
    void BuildTree(bool withTail) {
        elements_.lock = panelLock_.get();
        elements_.window = panelWindow_.get();
        PanelRecord record;
        record.flags.showAds = record.flags.showSearch = true;
        elements_test::FixtureDocument document(elements_test::ReadFixture("tree.xml"));
        elements_test::NoPictures factory;
        elements_.BuildElements(document, record, {300, 200}, factory);
        elements_.LayoutPanel();
        if (withTail) {
            tail_ = elements_.tails[1].get();
            ASSERT_NE(nullptr, tail_);
            PlaceUnzoomed(*tail_, 0, 40);
            elements_.windowed.Add(tail_);
        }
    }
    CountingChildren* Start(bool withElements) {
        thread_ = fx::StartSuspended<CountingChildren>(fx::Apartment::None);
        EXPECT_TRUE(thread_);
        thread_->m_pElements = withElements ? &elements_ : nullptr;
        thread_->m_pPanelWindow = panelWindow_.get();
        thread_->m_hPanelWindow = panel_.hwnd();
        thread_->m_pPanelLock = panelLock_.get();
        thread_->m_pUrl = &url_;
        thread_->m_pHandOverUrl = &handedOver_;
        thread_->m_pPanel = &host_;
        thread_->m_pTail = tail_;
        thread_->Resume();
        EXPECT_TRUE(WaitFor(
            [&] {
                PanelLockScope hold(panelLock_.get());
                return thread_->m_Ready;
            },
            10000));
        return thread_.get();
    }
    std::wstring Url() {
        fx::ScopedLock hold(g_SearchTextLock);
        return url_;
    }
    void SetUrl(const std::wstring& url) {
        fx::ScopedLock hold(g_SearchTextLock);
        url_ = url;
    }
    static std::wstring SearchQuery() {
        fx::ScopedLock hold(g_SearchTextLock);
        return theApp.m_SearchQuery;
    }
    // The advertisement's element in the tree (null when it has none).
    ContentElement* Ad() {
        for (WindowElement* e : elements_.windowed)
            if (dynamic_cast<AdElement*>(e)) return static_cast<ContentElement*>(e);
        return nullptr;
    }
    // The banner view the advertisement's child window hosts (null when none).
    static panels::BannerView* BannerOf(ContentElement* ad) {
        auto* w = dynamic_cast<panels::CChildWin*>(ad ? ad->LinkedWindow() : nullptr);
        return w ? dynamic_cast<panels::BannerView*>(w->View()) : nullptr;
    }
    HWND WindowOf(ContentElement* e) {
        auto* w = dynamic_cast<panels::CChildWin*>(e ? e->LinkedWindow() : nullptr);
        return w ? w->hwnd() : nullptr;
    }
    bool FillClipboard(const std::wstring& text) {
        if (!::OpenClipboard(panel_.hwnd())) return false;
        ::EmptyClipboard();
        HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
        bool set = false;
        if (block) {
            memcpy(::GlobalLock(block), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
            ::GlobalUnlock(block);
            set = ::SetClipboardData(CF_UNICODETEXT, block) != nullptr;
            if (!set) ::GlobalFree(block);
        }
        ::CloseClipboard();
        return set;
    }
    HWND EditOf(CountingChildren* t) {
        PanelLockScope hold(panelLock_.get());
        return t->m_pSearchView ? t->m_pSearchView->EditWindow() : nullptr;
    }
    // The tree built (withTail as BuildTree takes it), the thread started
    // with its elements, and its search box: the edit control and the box's
    // own window.
    void StartWithTheBox(bool withTail, CountingChildren*& t, HWND& edit, HWND& box) {
        ASSERT_NO_FATAL_FAILURE(BuildTree(withTail));
        t = Start(true);
        ASSERT_TRUE(t);
        edit = EditOf(t);
        ASSERT_TRUE(edit);
        box = WindowOf(elements_.searchElement);
        ASSERT_TRUE(box);
    }
    // The panel's end: 11302 to the handler window, the thread gone.
    bool EndedThroughTheHandler(CountingChildren* t, HWND handler) {
        ::PostMessageW(handler, children_msg::kClose, 0, 0);
        return WaitFor([&] { return panel_.Got(panel_msg::kClose) && !t->IsRunning(); }, 10000);
    }

    Recorder panel_{RECT{200, 150, 500, 350}};
    Host host_;
    fx::CriticalSection panelCs_;
    std::unique_ptr<CriticalSectionPanelLock> panelLock_;
    std::unique_ptr<HwndPanelWindow> panelWindow_;
    ElementPanel elements_;
    TailElement* tail_ = nullptr;
    std::wstring url_;
    fx::Locked<std::wstring> handedOver_;
    std::unique_ptr<CountingChildren> thread_;
};

}  // namespace children_test
