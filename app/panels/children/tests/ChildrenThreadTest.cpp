// A panel's children thread under Wine, over an element tree built from a
// fixture template and a recording stand-in for the panel window and the
// controller: the handler window and one child window per windowed element
// (the tail's a bitmap window), the OLE start and end, the 113xx requests,
// the end of the panel (windows first, then 11212), and the search box.
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
#include "app/panels/children/ChildPanelOps.h"
#include "app/panels/children/ChildWin.h"
#include "app/panels/children/ChildrenThread.h"
#include "app/panels/children/SearchText.h"
#include "app/panels/children/SearchView.h"
#include "app/panels/elements/Win32Elements.h"
#include "app/panels/views/BottomView.h"
#include "tests/support/AllocationFaults.h"
#include "tests/support/GdiplusTestEnv.h"
#include "tests/support/MessageRecorder.h"
#include "tests/support/TestSupport.h"

namespace {

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

std::wstring ClassOf(HWND w) {
    wchar_t name[64] = {};
    ::GetClassNameW(w, name, 64);
    return name;
}

std::wstring TextOf(HWND w) {
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
    std::wstring handedOver_;  // g_RegistryLock
    std::unique_ptr<CountingChildren> thread_;
};

// Every windowed element gets its child window at its place over the
// panel, layered, transparent and hidden; the end destroys them all before
// 11212 reaches the panel, and OLE, started once, is ended once after them.
TEST_F(Children, CreatesTheChildWindowsAndDestroysThemBeforeThePanelHearsTheEnd) {
    BuildTree(true);
    ASSERT_NE(nullptr, elements_.mainContent);
    ASSERT_NE(nullptr, elements_.searchElement);
    ASSERT_GE(elements_.windowed.Count(), 4u);  // content, ad, search, tail
    CountingChildren* t = Start(true);
    EXPECT_EQ(1, t->starts.load());
    EXPECT_FALSE(t->handlerBeforeStart.load()) << "OLE starts before the thread makes any window";

    HWND handler = t->HandlerWindow();
    ASSERT_TRUE(handler);
    EXPECT_EQ(L"BackWin777", ClassOf(handler));
    EXPECT_FALSE(::IsWindowVisible(handler));
    EXPECT_EQ(::GetWindowThreadProcessId(handler, nullptr), t->threadId());

    std::vector<HWND> windows{handler};
    for (WindowElement* e : elements_.windowed) {
        auto* content = static_cast<ContentElement*>(e);
        SCOPED_TRACE(e->ClassName());
        HWND w = WindowOf(content);
        ASSERT_TRUE(w);
        windows.push_back(w);
        EXPECT_EQ(::GetWindowThreadProcessId(w, nullptr), t->threadId());
        EXPECT_EQ(e == tail_ ? L"TailWin777" : L"BackWin777", ClassOf(w));
        EXPECT_EQ(0x80088u, static_cast<DWORD>(::GetWindowLongPtrW(w, GWL_EXSTYLE)));
        // Style 0 (the system keeps a top-level window's sibling clipping).
        EXPECT_EQ(0u, static_cast<DWORD>(::GetWindowLongPtrW(w, GWL_STYLE)) & ~static_cast<DWORD>(WS_CLIPSIBLINGS));
        EXPECT_FALSE(::IsWindowVisible(w));
        RECT rc{};
        ::GetWindowRect(w, &rc);
        const templates::LayoutRect screen = panelWindow_->ClientToScreen(e->windowRect);
        EXPECT_EQ(screen.left, rc.left);
        EXPECT_EQ(screen.top, rc.top);
        EXPECT_EQ(screen.right - screen.left, rc.right - rc.left);
        if (e != tail_) {  // a view window starts fully transparent
            BYTE alpha = 99;
            DWORD flags = 0;
            ASSERT_TRUE(::GetLayeredWindowAttributes(w, nullptr, &alpha, &flags));
            EXPECT_EQ(0, alpha);
            EXPECT_TRUE(flags & LWA_ALPHA);
        }
    }
    // The search box is the search window's view, the rich edit inside it.
    HWND edit = EditOf(t);
    ASSERT_TRUE(edit);
    EXPECT_EQ(panels::MyRichEditControl::kId, ::GetDlgCtrlID(edit));
    EXPECT_EQ(0x50000080u, static_cast<DWORD>(::GetWindowLongPtrW(edit, GWL_STYLE)) & 0x500000C0u);
    EXPECT_EQ(WindowOf(elements_.searchElement), ::GetParent(::GetParent(edit)));

    SetUrl(L"final words");
    // The child windows are gone when the panel hears the end; the handler
    // window too when OLE ends.
    panel_.watched.assign(windows.begin() + 1, windows.end());
    t->watched = windows;
    ASSERT_TRUE(EndedThroughTheHandler(t, handler));
    EXPECT_TRUE(panel_.watchedGoneAtClose);
    EXPECT_TRUE(t->windowsGoneAtEnd.load());
    EXPECT_EQ(1, t->starts.load());
    EXPECT_EQ(1, t->ends.load());
    for (WindowElement* e : elements_.windowed) EXPECT_EQ(nullptr, static_cast<ContentElement*>(e)->LinkedWindow());
    // With a tail the controller drops its menu panel; it keeps the final URL.
    EXPECT_TRUE(WaitFor([&] { return host_.Got(controller_msg::kMenuPanelGone); }, 5000));
    EXPECT_EQ(L"final words", host_.LastUrl());
}

// The main content's window hosts a BottomView that reaches the thread and
// the panel, the advertisement's a BannerView without the thread; 11304
// navigates the content view to the element's URL.
TEST_F(Children, ContentAndAdWindowsHostTheirWebViews) {
    BuildTree(false);
    ContentElement* ad = Ad();
    ASSERT_NE(nullptr, ad);
    CountingChildren* t = Start(true);
    auto* contentWindow = dynamic_cast<panels::CChildWin*>(elements_.mainContent->LinkedWindow());
    ASSERT_NE(nullptr, contentWindow);
    auto* content = dynamic_cast<panels::BottomView*>(contentWindow->View());
    ASSERT_NE(nullptr, content);
    EXPECT_EQ(contentWindow->hwnd(), ::GetParent(content->hwnd()));
    EXPECT_TRUE(::IsWindowVisible(content->hwnd()) || !::IsWindowVisible(contentWindow->hwnd()));
    EXPECT_EQ(static_cast<LONG_PTR>(WS_VISIBLE), ::GetWindowLongPtrW(content->hwnd(), GWL_STYLE) & WS_VISIBLE);
    EXPECT_EQ(t->HandlerWindow(), content->ChildHandlerWindow());
    EXPECT_EQ(panel_.hwnd(), content->PanelWindow());

    panels::BannerView* banner = BannerOf(ad);
    ASSERT_NE(nullptr, banner);
    EXPECT_EQ(nullptr, dynamic_cast<panels::BottomView*>(banner));
    EXPECT_EQ(nullptr, banner->ChildHandlerWindow());

    const int before = content->State().navigationCount;
    {
        fx::ScopedLock hold(g_PanelRecordLock);
        elements_.mainContent->contentUrl = L"http://127.0.0.1:9/content";
    }
    ::PostMessageW(t->HandlerWindow(), children_msg::kNavigateContent, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return content->State().navigationCount == before + 1; }, 5000));
    ASSERT_TRUE(EndedThroughTheHandler(t, t->HandlerWindow()));
}

// A content load the advertisement's page asks for (before its "#") reaches
// the panel thread's handed-over URL through the thread, and the panel is
// asked to load it (11218); the advertisement's own navigation is cancelled.
TEST_F(Children, AdViewHandsAContentLoadToThePanelThread) {
    BuildTree(false);
    ContentElement* ad = Ad();
    ASSERT_NE(nullptr, ad);
    CountingChildren* t = Start(true);
    panels::BannerView* banner = BannerOf(ad);
    ASSERT_NE(nullptr, banner);
    const std::wstring url = L"http://127.0.0.1:9/ads/?pqecp=1&pqload=ecp#go";
    ASSERT_TRUE(testsupport::RunOn(*t, [&] { banner->Navigate2(url); }));
    ASSERT_TRUE(WaitFor([&] { return panel_.Got(panel_msg::kLoadContentUrl); }, 10000));
    {
        fx::ScopedLock hold(g_RegistryLock);
        EXPECT_EQ(url + L"&adtype=ecp", handedOver_);
    }
    ASSERT_TRUE(EndedThroughTheHandler(t, t->HandlerWindow()));
}

// 11305 after the panel grew: every child window takes its element's new
// place and the content's web view fills its window again.
TEST_F(Children, ResizeRequestRefitsTheChildWindowsAndTheirViews) {
    BuildTree(false);
    CountingChildren* t = Start(true);
    HWND content = WindowOf(elements_.mainContent);
    ASSERT_TRUE(content);
    auto* frame = dynamic_cast<panels::CChildWin*>(elements_.mainContent->LinkedWindow());
    ASSERT_TRUE(frame && frame->View());
    HWND view = frame->View()->hwnd();
    templates::LayoutRect grown;
    {
        PanelLockScope hold(panelLock_.get());
        ContentElement& e = *elements_.mainContent;
        e.windowRect.right += 41;
        e.windowRect.bottom += 30;
        e.innerWindowRect.right += 41;
        e.innerWindowRect.bottom += 30;
        grown = e.windowRect;
    }
    ::PostMessageW(t->HandlerWindow(), children_msg::kSizeChildren, 0, 0);
    // The window's right edge stays one pixel short of the element's, as at its creation.
    const templates::LayoutRect screen = panelWindow_->ClientToScreen(grown);
    ASSERT_TRUE(WaitFor(
        [&] {
            RECT rc{};
            ::GetWindowRect(content, &rc);
            return rc.left == screen.left && rc.top == screen.top && rc.right == screen.right - 1 &&
                   rc.bottom == screen.bottom;
        },
        5000));
    EXPECT_TRUE(WaitFor(
        [&] {
            RECT frameClient{}, viewRect{};
            ::GetClientRect(content, &frameClient);
            ::GetWindowRect(view, &viewRect);
            return viewRect.right - viewRect.left == frameClient.right &&
                   viewRect.bottom - viewRect.top == frameClient.bottom;
        },
        5000));
}

// A click on a child window brings the whole panel back to its z-order (11211).
TEST_F(Children, ClickOnAChildWindowRaisesThePanel) {
    BuildTree(false);
    Start(true);
    HWND content = WindowOf(elements_.mainContent);
    ASSERT_TRUE(content);
    DWORD_PTR answer = 0;
    ASSERT_TRUE(::SendMessageTimeoutW(content, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(panel_.hwnd()),
                                      MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN), SMTO_NORMAL, 5000, &answer));
    EXPECT_TRUE(WaitFor([&] { return panel_.Got(panel_msg::kRaise); }, 5000));
}

// Without windowed elements (no template) the thread still has its handler
// window and becomes ready; requests that need a missing window do nothing,
// and a snapshot request is answered all the same.
TEST_F(Children, WithoutElementsReadyAndEveryRequestAnswered) {
    CountingChildren* t = Start(false);
    HWND handler = t->HandlerWindow();
    ASSERT_TRUE(handler);
    for (UINT msg = children_msg::kNothing11301; msg <= children_msg::kGoBack; ++msg)
        if (msg != children_msg::kClose && msg != children_msg::kSnapshot) ::PostMessageW(handler, msg, 0, 0);
    {
        PanelLockScope hold(panelLock_.get());
        t->m_SnapshotPath = L"C:\\no-such-folder\\snapshot.jpg";
    }
    ::PostMessageW(handler, children_msg::kSnapshot, 0, 0);
    EXPECT_TRUE(WaitFor(
        [&] {
            PanelLockScope hold(panelLock_.get());
            return t->m_SnapshotSaved;
        },
        5000));
    EXPECT_FALSE(host_.Got(controller_msg::kMenuPanelGone));  // no tail, nothing to hide
    ASSERT_TRUE(EndedThroughTheHandler(t, handler));
    EXPECT_EQ(1, t->ends.load());
}

// 11307 hides the tail for good and tells the controller.
TEST_F(Children, HideTailKeepsTheTailHidden) {
    BuildTree(true);
    CountingChildren* t = Start(true);
    HWND tailWindow = WindowOf(tail_);
    ASSERT_TRUE(tailWindow);
    ::PostMessageW(t->HandlerWindow(), children_msg::kHideTail, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return host_.Got(controller_msg::kMenuPanelGone); }, 5000));
    EXPECT_TRUE(tail_->noShow);
    tail_->Show();  // the panel showing its windows again
    EXPECT_FALSE(::IsWindowVisible(tailWindow));
}

// Typing publishes the box's text, the character just typed included;
// Enter asks the panel for the search.
TEST_F(Children, SearchBoxPublishesWhatIsTypedAndEnterRunsTheSearch) {
    CountingChildren* t = nullptr;
    HWND edit = nullptr, box = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartWithTheBox(false, t, edit, box));
    // Key presses as the keyboard gives them: the thread's loop translates
    // each key-down into its character.
    for (wchar_t c : std::wstring(L"POND")) {
        ::PostMessageW(edit, WM_KEYDOWN, c, 1);
        ::PostMessageW(edit, WM_KEYUP, c, 0xC0000001);
    }
    ASSERT_TRUE(WaitFor([&] { return TextOf(edit) == L"pond"; }, 5000)) << testsupport::Utf8(TextOf(edit));
    EXPECT_TRUE(WaitFor([&] { return Url() == L"pond" && SearchQuery() == L"pond"; }, 5000))
        << testsupport::Utf8(Url());

    ::PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 1);
    ASSERT_TRUE(WaitFor([&] { return panel_.Got(panel_msg::kReload); }, 5000));
    for (const Posted& p : panel_.Messages()) {
        if (p.msg != panel_msg::kReload) continue;
        EXPECT_EQ(0u, p.wp);
        EXPECT_EQ(1, p.lp);
    }
    EXPECT_EQ(L"pond", TextOf(edit));  // Enter is not passed on to the box
}

// Enter on an empty box still asks for the search, with an empty text.
TEST_F(Children, EnterOnAnEmptyBoxRunsTheSearchWithAnEmptyText) {
    CountingChildren* t = nullptr;
    HWND edit = nullptr, box = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartWithTheBox(false, t, edit, box));
    SetUrl(L"earlier words");
    ::PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 1);
    ASSERT_TRUE(WaitFor([&] { return panel_.Got(panel_msg::kReload); }, 5000));
    EXPECT_EQ(L"", Url());
}

// Focusing the box hides the panel's tail for good and brings the panel
// back to its z-order.
TEST_F(Children, FocusOnTheBoxHidesTheTailAndRaisesThePanel) {
    CountingChildren* t = nullptr;
    HWND edit = nullptr, box = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartWithTheBox(true, t, edit, box));
    ASSERT_TRUE(testsupport::RunOn(*t, [&] {
        ::ShowWindow(box, SW_SHOWNA);
        ::SetFocus(edit);
    }));
    ASSERT_TRUE(WaitFor([&] { return panel_.Got(panel_msg::kRaise); }, 5000));
    EXPECT_TRUE(WaitFor([&] { return host_.Got(controller_msg::kMenuPanelGone); }, 5000));
    PanelLockScope hold(panelLock_.get());
    EXPECT_TRUE(tail_->noShow);
}

// The panel's text goes into the box (11308); the search text read from a
// longer box is cut to 256 characters.
TEST_F(Children, PanelTextIntoTheBoxAndTheSearchTextBounded) {
    CountingChildren* t = nullptr;
    HWND edit = nullptr, box = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartWithTheBox(false, t, edit, box));
    const std::wstring longText(300, L'z');
    SetUrl(longText);
    ::PostMessageW(t->HandlerWindow(), children_msg::kSetSearchText, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return TextOf(edit) == longText; }, 5000));
    ::PostMessageW(edit, WM_KEYDOWN, VK_END, 1);
    EXPECT_TRUE(WaitFor([&] { return Url() == longText.substr(0, 256); }, 5000)) << Url().size();
}

// The panel's text put into the box (11308) is selected whole (11215), so
// the next key replaces it; a text of one character is left unselected.
TEST_F(Children, PanelTextIntoTheBoxIsSelectedWhole) {
    CountingChildren* t = nullptr;
    HWND edit = nullptr, box = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartWithTheBox(false, t, edit, box));
    struct Case {
        const wchar_t* text;
        bool selected;
    } cases[] = {{L"p", false}, {L"pond life", true}, {L"po", true}, {L"q", false}};
    auto selection = [&] {
        CHARRANGE range{-1, -1};
        ::SendMessageW(edit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
        return range;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testsupport::Utf8(c.text));
        SetUrl(c.text);
        ::PostMessageW(t->HandlerWindow(), children_msg::kSetSearchText, 0, 0);
        ASSERT_TRUE(WaitFor([&] { return TextOf(edit) == c.text; }, 5000));
        // The handler posts 11215 once the text is in: a second round trip
        // through the thread's queue comes after it.
        ASSERT_TRUE(testsupport::RunOn(*t, [] {}));
        ASSERT_TRUE(testsupport::RunOn(*t, [] {}));
        const CHARRANGE range = selection();
        if (c.selected) {
            EXPECT_EQ(0, range.cpMin);
            // A rich edit's whole selection takes in its closing paragraph mark.
            EXPECT_GE(range.cpMax, static_cast<LONG>(wcslen(c.text)));
        } else {
            EXPECT_EQ(range.cpMin, range.cpMax) << range.cpMin << ".." << range.cpMax;
        }
    }
}

// 11309 puts the keyboard focus into the search box.
TEST_F(Children, FocusRequestPutsTheFocusIntoTheBox) {
    CountingChildren* t = nullptr;
    HWND edit = nullptr, box = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartWithTheBox(false, t, edit, box));
    auto focus = [&] {
        HWND focused = nullptr;
        testsupport::RunOn(*t, [&] { focused = ::GetFocus(); });
        return focused;
    };
    ASSERT_TRUE(testsupport::RunOn(*t, [&] { ::ShowWindow(box, SW_SHOWNA); }));
    ASSERT_NE(edit, focus()) << "the box has the focus already";
    ::PostMessageW(t->HandlerWindow(), children_msg::kFocusSearch, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return focus() == edit; }, 5000));
}

// The box's look: the default character format is Tahoma, 170 twips,
// black, without effects; the formatting rectangle starts 2 pixels lower
// than a plain rich edit of the same size has it.
TEST_F(Children, SearchBoxFormat) {
    CountingChildren* t = nullptr;
    HWND edit = nullptr, box = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartWithTheBox(false, t, edit, box));
    ASSERT_TRUE(testsupport::RunOn(*t, [&] {
        CHARFORMAT2W format{};
        format.cbSize = sizeof format;
        ::SendMessageW(edit, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
        EXPECT_STREQ(L"Tahoma", format.szFaceName);
        EXPECT_EQ(170, format.yHeight);
        EXPECT_EQ(0u, static_cast<DWORD>(format.crTextColor));
        EXPECT_EQ(0u, format.dwEffects & (CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE | CFE_STRIKEOUT | CFE_PROTECTED |
                                          CFE_AUTOCOLOR));

        RECT client{};
        ::GetClientRect(edit, &client);
        HWND plain = ::CreateWindowExW(0, RICHEDIT_CLASSW, L"", WS_CHILD | ES_AUTOHSCROLL, 0, 0, client.right,
                                       client.bottom, ::GetParent(edit), nullptr, nullptr, nullptr);
        ASSERT_TRUE(plain);
        RECT plainRect{}, boxRect{};
        ::SendMessageW(plain, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&plainRect));
        ::SendMessageW(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&boxRect));
        ::DestroyWindow(plain);
        EXPECT_EQ(plainRect.top + 2, boxRect.top);
    }));
}

// The view's paste command (ID_EDIT_PASTE) pastes one line as Ctrl+V does.
TEST_F(Children, PasteCommandOfTheViewPastesOneLine) {
    CountingChildren* t = nullptr;
    HWND edit = nullptr, box = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartWithTheBox(false, t, edit, box));
    const std::wstring clipboard = L"pond\r\nlife\tnow";
    ASSERT_TRUE(FillClipboard(clipboard));
    SetUrl(L"stale");
    ::PostMessageW(::GetParent(edit), WM_COMMAND, MAKEWPARAM(0xE125, 0), 0);
    EXPECT_TRUE(WaitFor([&] { return TextOf(edit) == panels::PasteText(clipboard); }, 5000))
        << testsupport::Utf8(TextOf(edit));
    EXPECT_TRUE(WaitFor([&] { return Url() == panels::PasteText(clipboard); }, 5000));
}

// A paste whose copy of the clipboard's text fails (no memory) leaves the
// clipboard closed: no other program is locked out of it.
TEST_F(Children, AFailedPasteLeavesTheClipboardClosed) {
    CountingChildren* t = nullptr;
    HWND edit = nullptr, box = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartWithTheBox(false, t, edit, box));
    ASSERT_TRUE(FillClipboard(L"a text that no short string holds"));
    HWND openBy = reinterpret_cast<HWND>(1);
    ASSERT_TRUE(testsupport::RunOn(*t, [&] {
        {
            testsupport::FailingAllocationsHere failing;
            ::SendMessageW(::GetParent(edit), WM_COMMAND, MAKEWPARAM(0xE125, 0), 0);
        }
        openBy = ::GetOpenClipboardWindow();
        if (openBy) ::CloseClipboard();
    }));
    EXPECT_EQ(openBy, nullptr) << "the paste left the clipboard open";
}

// A paste by WM_PASTE (Shift+Insert, the context menu) inserts one line of at
// most 255 characters and publishes it.
TEST_F(Children, PasteInsertsOneLineAndPublishesIt) {
    CountingChildren* t = nullptr;
    HWND edit = nullptr, box = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartWithTheBox(false, t, edit, box));
    const std::wstring clipboard = L"pond\r\nlife\tnow " + std::wstring(300, L'x');
    ASSERT_TRUE(FillClipboard(clipboard));

    ::PostMessageW(edit, WM_PASTE, 0, 0);
    const std::wstring expected = panels::PasteText(clipboard);
    ASSERT_EQ(255u, expected.size());
    EXPECT_TRUE(WaitFor([&] { return TextOf(edit) == expected; }, 5000)) << testsupport::Utf8(TextOf(edit));
    EXPECT_TRUE(WaitFor([&] { return Url() == expected && SearchQuery() == expected; }, 5000));
}

// Ctrl+V (key code 86 or 118 with Ctrl held on the box's thread) pastes
// through the view as one line, and its key-up publishes the text.
TEST_F(Children, CtrlVPastesOneLineThroughTheView) {
    CountingChildren* t = nullptr;
    HWND edit = nullptr, box = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartWithTheBox(false, t, edit, box));
    for (WPARAM key : {WPARAM{86}, WPARAM{118}}) {
        SCOPED_TRACE(key);
        ASSERT_TRUE(testsupport::RunOn(*t, [&] { ::SetWindowTextW(edit, L""); }));
        const std::wstring clipboard = L"pond\r\nlife\tnow";
        ASSERT_TRUE(FillClipboard(clipboard));
        SetUrl(L"stale");
        ASSERT_TRUE(testsupport::RunOn(*t, [&] {
            BYTE keys[256] = {};
            ::GetKeyboardState(keys);
            const BYTE before = keys[VK_CONTROL];
            keys[VK_CONTROL] = 0x80;
            ::SetKeyboardState(keys);
            ::SendMessageW(edit, WM_KEYDOWN, key, 1);
            ::SendMessageW(edit, WM_KEYUP, key, 0xC0000001);
            keys[VK_CONTROL] = before;
            ::SetKeyboardState(keys);
        }));
        EXPECT_EQ(panels::PasteText(clipboard), TextOf(edit));
        EXPECT_EQ(panels::PasteText(clipboard), Url());
    }
}

}  // namespace
