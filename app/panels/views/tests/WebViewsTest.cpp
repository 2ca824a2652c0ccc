// The panels' web views over the real WebBrowser control under Wine (which
// fires BeforeNavigate2 and fetches the page but renders nothing): views on
// an apartment thread of their own, as on a panel's children thread, with
// recording windows in place of the panel window, the children thread's
// handler window and the controller.
#include <windows.h>
#include <exdispid.h>
#include <mshtmhst.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/core/common/AppMessages.h"
#include "app/panels/views/BannerView.h"
#include "app/panels/views/BottomView.h"
#include "app/panels/views/HackBrowser.h"
#include "fx/Handle.h"
#include "fx/UiThread.h"
#include "fx/Variant.h"
#include "tests/httpserver/LoopbackServer.h"
#include "tests/support/GdiplusTestEnv.h"
#include "tests/support/MessageRecorder.h"
#include "tests/support/TestSupport.h"

namespace {

using testsupport::RunOn;
using testsupport::Utf8;
using testsupport::WaitFor;

using Posted = testsupport::MessageRecorder::Message;

// A window on the test's thread that records the program's messages posted to it.
class Recorder : public testsupport::MessageRecorder {
public:
    Recorder() : MessageRecorder(11100, 11399) { Make(); }
};

// The children thread's and the application's part, recorded.
class RecordingHost : public panels::ViewHost {
public:
    explicit RecordingHost(HWND controller) : controller_(controller) {}
    HWND ControllerWindow() const override { return controller_; }
    std::wstring ServerDomain() const override { return L"127.0.0.1"; }
    bool ScriptErrorsSuppressed() const override { return true; }
    void StoreSearchText(const std::wstring& text) override { Set(searchText, text); }
    void HandOverUrl(const std::wstring& url) override { Set(handedOver, url); }
    void LeavePanelOpen(const std::wstring& id, const std::wstring& token, const std::wstring& url,
                        const RECT&) override {
        Set(panelOpen, id + L"|" + token + L"|" + url);
    }
    void StoreNavigateUrl(const std::wstring& url) override { Set(navigateUrl, url); }

    std::wstring Get(std::wstring RecordingHost::*field) {
        std::lock_guard<std::mutex> hold(mutex_);
        return this->*field;
    }
    std::wstring searchText, handedOver, panelOpen, navigateUrl;

private:
    void Set(std::wstring& field, const std::wstring& value) {
        std::lock_guard<std::mutex> hold(mutex_);
        field = value;
    }
    HWND controller_;
    std::mutex mutex_;
};

// Records what BeforeNavigate2 brought and what the view decided.
template <class View>
class Probe : public View {
public:
    using View::View;
    struct Seen {
        std::wstring url;
        bool topLevel, cancel;
    };
    void OnBeforeNavigate2(IDispatch* disp, const std::wstring& url, bool topLevel, bool* cancel) override {
        View::OnBeforeNavigate2(disp, url, topLevel, cancel);
        std::lock_guard<std::mutex> hold(mutex_);
        seen_.push_back(Seen{url, topLevel, cancel && *cancel});
    }
    HRESULT SetOpticalZoom(int percent) override {
        {
            std::lock_guard<std::mutex> hold(mutex_);
            zooms_.push_back(percent);
        }
        return View::SetOpticalZoom(percent);
    }
    std::vector<int> Zooms() {
        std::lock_guard<std::mutex> hold(mutex_);
        return zooms_;
    }
    // The first navigation to url seen, if any.
    bool Find(const std::wstring& url, Seen* out) {
        std::lock_guard<std::mutex> hold(mutex_);
        for (const Seen& s : seen_)
            if (s.url == url) {
                if (out) *out = s;
                return true;
            }
        return false;
    }

private:
    std::mutex mutex_;
    std::vector<Seen> seen_;
    std::vector<int> zooms_;
};

// Every browser event a host hears, recorded; a URL holding "refuse" is
// cancelled, and a new window is refused with the host's own control given.
class EventRecorder : public fx::WebBrowserHost {
public:
    std::vector<std::wstring> events;
    void OnBeforeNavigate2(IDispatch*, const std::wstring& url, bool topLevel, bool* cancel) override {
        events.push_back(L"before " + url + (topLevel ? L" top" : L" frame"));
        *cancel = url.find(L"refuse") != std::wstring::npos;
    }
    void OnNewWindow2(IDispatch** newWindow, bool* cancel) override {
        events.push_back(L"new window");
        *newWindow = ApplicationDispatch();
        *cancel = true;
    }
    void OnNavigateComplete2(IDispatch*, const std::wstring& url) override { events.push_back(L"navigated " + url); }
    void OnDocumentComplete(IDispatch*, const std::wstring& url) override { events.push_back(L"complete " + url); }
    void OnCommandStateChange(long command, bool enabled) override {
        events.push_back(L"command " + std::to_wstring(command) + (enabled ? L" on" : L" off"));
    }
};

// The arguments of one event as the control passes them: last first, texts
// and optional values by reference to a variant, the cancel flag by
// reference.
class EventArgs {
public:
    ~EventArgs() {
        for (BSTR b : texts_) ::SysFreeString(b);
    }
    EventArgs& Dispatch(IDispatch* disp) {
        VARIANT v;
        ::VariantInit(&v);
        V_VT(&v) = VT_DISPATCH;
        V_DISPATCH(&v) = disp;
        return Push(v);
    }
    EventArgs& TextRef(const std::wstring& text) {
        texts_.push_back(::SysAllocString(text.c_str()));
        VARIANT& inner = Inner();
        V_VT(&inner) = VT_BSTR;
        V_BSTR(&inner) = texts_.back();
        return ByRefVariant(inner);
    }
    EventArgs& EmptyRef() { return ByRefVariant(Inner()); }
    EventArgs& CancelRef() {
        VARIANT v;
        ::VariantInit(&v);
        V_VT(&v) = VT_BYREF | VT_BOOL;
        V_BOOLREF(&v) = &cancel_;
        return Push(v);
    }
    EventArgs& NewWindowRef() {
        VARIANT v;
        ::VariantInit(&v);
        V_VT(&v) = VT_BYREF | VT_DISPATCH;
        V_DISPATCHREF(&v) = &newWindow_;
        return Push(v);
    }
    EventArgs& Long(long value) {
        VARIANT v;
        ::VariantInit(&v);
        V_VT(&v) = VT_I4;
        V_I4(&v) = value;
        return Push(v);
    }
    EventArgs& Bool(bool value) {
        VARIANT v;
        ::VariantInit(&v);
        V_VT(&v) = VT_BOOL;
        V_BOOL(&v) = value ? VARIANT_TRUE : VARIANT_FALSE;
        return Push(v);
    }
    HRESULT FireAt(IDispatch* sink, DISPID id) {
        std::vector<VARIANT> lastFirst(args_.rbegin(), args_.rend());
        DISPPARAMS params{lastFirst.data(), nullptr, static_cast<UINT>(lastFirst.size()), 0};
        return sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    }
    bool Cancelled() const { return cancel_ != VARIANT_FALSE; }
    IDispatch* NewWindow() const { return newWindow_; }

private:
    VARIANT& Inner() {
        inner_.emplace_back();
        ::VariantInit(&inner_.back());
        return inner_.back();
    }
    EventArgs& ByRefVariant(VARIANT& inner) {
        VARIANT v;
        ::VariantInit(&v);
        V_VT(&v) = VT_BYREF | VT_VARIANT;
        V_VARIANTREF(&v) = &inner;
        return Push(v);
    }
    EventArgs& Push(const VARIANT& v) {
        args_.push_back(v);
        return *this;
    }
    std::vector<VARIANT> args_;     // first to last
    std::deque<VARIANT> inner_;     // stable addresses for the references
    std::vector<BSTR> texts_;
    VARIANT_BOOL cancel_ = VARIANT_FALSE;
    IDispatch* newWindow_ = nullptr;
};

bool ServerSaw(const std::string& target) {
    for (const loopback::Request& r : loopback::Requests())
        if (r.target == target) return true;
    return false;
}

class WebViews : public testing::Test {
protected:
    void SetUp() override {
        loopback::Clear();
        ASSERT_TRUE(thread_.Start(fx::Apartment::Sta, false));
        ASSERT_TRUE(RunOn(thread_, [&] {
            parent_ = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 420, 320, nullptr, nullptr, nullptr,
                                        nullptr);
        }));
        ASSERT_NE(parent_, nullptr);
    }
    void TearDown() override {
        EXPECT_TRUE(RunOn(thread_, [&] {
            content_.reset();
            ad_.reset();
            ::DestroyWindow(parent_);
        }));
        EXPECT_TRUE(thread_.Quit(5000));
    }
    void MakeContentView(bool zoomed = true) {
        ASSERT_TRUE(RunOn(thread_, [&] {
            content_ = std::make_unique<Probe<panels::BottomView>>(host_);
            created_ = content_->Create(parent_, RECT{0, 0, 400, 300});
            content_->SetPanelWindow(panel_.hwnd());
            content_->SetChildHandlerWindow(handler_.hwnd());
            if (zoomed) content_->SetZoom(125);
        }));
        ASSERT_TRUE(created_) << "no WebBrowser control";
    }
    // A page of the content server (the loopback server's demo page path).
    static std::wstring Page(const std::wstring& query) { return loopback::Url(L"/files/ecp/?type=ecp" + query); }

    fx::UiThread thread_;
    HWND parent_ = nullptr;
    Recorder controller_, panel_, handler_;
    RecordingHost host_{controller_.hwnd()};
    std::unique_ptr<Probe<panels::BottomView>> content_;
    std::unique_ptr<Probe<panels::BannerView>> ad_;
    bool created_ = false;
};

TEST_F(WebViews, ContentViewNavigatesToTheServersPage) {
    MakeContentView();
    const std::wstring url = Page(L"&ecpguid=PAGE-1&pqecpx=400");
    ASSERT_TRUE(RunOn(thread_, [&] { content_->Navigate(url); }));
    Probe<panels::BottomView>::Seen seen{};
    ASSERT_TRUE(WaitFor([&] { return content_->Find(url, &seen); }, 10000)) << "no BeforeNavigate2";
    EXPECT_TRUE(seen.topLevel);
    // The program's own navigation passes unread, keys and all.
    EXPECT_FALSE(seen.cancel);
    EXPECT_TRUE(WaitFor([&] { return ServerSaw(Utf8(url.substr(url.find(L"/files/")))); }, 10000));
    ASSERT_TRUE(panel_.Flush(thread_));
    EXPECT_FALSE(panel_.Got(panel_msg::kResize));
    ASSERT_TRUE(RunOn(thread_, [&] { EXPECT_EQ(content_->State().navigationCount, 0); }));
}

TEST_F(WebViews, CommandUrlsAreCancelledAndTheirMessagesArrive) {
    MakeContentView();
    // A page navigating to a size command.
    const std::wstring size = Page(L"&pqecpx=400&pqecpy=300");
    ASSERT_TRUE(RunOn(thread_, [&] { content_->Navigate2(size); }));
    ASSERT_TRUE(WaitFor([&] { return panel_.Got(panel_msg::kHideTail); }, 10000));
    auto seen = panel_.Messages();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], (Posted{panel_msg::kResize, 400, 300}));
    EXPECT_EQ(seen[1], (Posted{panel_msg::kHideTail, 1, 0}));
    Probe<panels::BottomView>::Seen nav{};
    ASSERT_TRUE(content_->Find(size, &nav));
    EXPECT_TRUE(nav.cancel);

    // Closing the panel.
    const std::wstring cancel = Page(L"&pqwindow=cancel");
    ASSERT_TRUE(RunOn(thread_, [&] { content_->Navigate2(cancel); }));
    EXPECT_TRUE(WaitFor([&] { return panel_.Has(Posted{panel_msg::kFadeOutAndClose, 0, 0}); }, 10000));
    EXPECT_TRUE(controller_.Has(Posted{controller_msg::kHideMenus, 0, 0}));

    // Another host at the top level is refused before the server hears of it.
    const std::wstring foreign = L"http://localhost:" + std::to_wstring(loopback::Port()) + L"/files/ecp/?x=1";
    ASSERT_TRUE(RunOn(thread_, [&] { content_->Navigate2(foreign); }));
    ASSERT_TRUE(WaitFor([&] { return content_->Find(foreign, &nav); }, 10000));
    EXPECT_TRUE(nav.cancel);

    // A frame's navigation to that host, after those top-level ones, loads
    // (the event as the control sends it for a frame: another dispatch).
    ASSERT_TRUE(RunOn(thread_, [&] {
        bool frameCancel = false;
        content_->OnBeforeNavigate2(nullptr, foreign, false, &frameCancel);
        EXPECT_FALSE(frameCancel);
        EXPECT_FALSE(content_->TopLevelNavigation());
    }));

    // None of them reached the server, though a page asked for after them did.
    const std::wstring marker = Page(L"&after=commands");
    ASSERT_TRUE(RunOn(thread_, [&] { content_->Navigate(marker); }));
    ASSERT_TRUE(WaitFor([&] { return ServerSaw(Utf8(marker.substr(marker.find(L"/files/")))); }, 10000));
    WaitFor([] { return false; }, 300);
    EXPECT_FALSE(ServerSaw(Utf8(size.substr(size.find(L"/files/")))));
    EXPECT_FALSE(ServerSaw(Utf8(cancel.substr(cancel.find(L"/files/")))));
    EXPECT_FALSE(ServerSaw("/files/ecp/?x=1"));
}

// A content view applies no zoom until its element gives it one; from then
// on every completed navigation applies that zoom.
TEST_F(WebViews, AGivenZoomIsAppliedAtEveryCompletedNavigation) {
    MakeContentView(false);
    ASSERT_TRUE(RunOn(thread_, [&] {
        content_->OnNavigateComplete2(nullptr, Page(L"&n=1"));
        EXPECT_TRUE(content_->Zooms().empty()) << "no zoom given, none applied";
        content_->SetZoom(150);
        EXPECT_TRUE(content_->Zooms().empty()) << "a zoom is applied when a navigation completes";
        content_->OnNavigateComplete2(nullptr, Page(L"&n=2"));
        content_->OnNavigateComplete2(nullptr, Page(L"&n=3"));
        EXPECT_EQ(content_->Zooms(), (std::vector<int>{150, 150}));
        content_->SetZoom(80);
        content_->OnNavigateComplete2(nullptr, Page(L"&n=4"));
        EXPECT_EQ(content_->Zooms(), (std::vector<int>{150, 150, 80}));
    }));
}

// The control's events reach the host through its site's IDispatch with
// their arguments in the control's order (last first, by reference), and
// what the host decides goes back into the by-reference arguments.
TEST_F(WebViews, EventsReachTheHostWithTheirArguments) {
    std::unique_ptr<EventRecorder> host;
    ASSERT_TRUE(RunOn(thread_, [&] {
        host = std::make_unique<EventRecorder>();
        ASSERT_TRUE(host->Create(parent_, RECT{0, 0, 200, 100}, WS_CHILD, 0)) << "no WebBrowser control";
        fx::ComPtr<IDispatch> sink;
        ASSERT_TRUE(SUCCEEDED(host->ClientSite()->QueryInterface(IID_IDispatch, sink.put_void())));
        IDispatch* own = host->Browser();
        host->events.clear();

        EventArgs top, frame, refused;
        top.Dispatch(own).TextRef(L"http://pond.test/a").EmptyRef().EmptyRef().EmptyRef().EmptyRef().CancelRef();
        frame.Dispatch(nullptr).TextRef(L"http://pond.test/f").EmptyRef().EmptyRef().EmptyRef().EmptyRef().CancelRef();
        refused.Dispatch(own).TextRef(L"http://pond.test/refuse").EmptyRef().EmptyRef().EmptyRef().EmptyRef()
            .CancelRef();
        EXPECT_EQ(S_OK, top.FireAt(sink.get(), DISPID_BEFORENAVIGATE2));
        EXPECT_EQ(S_OK, frame.FireAt(sink.get(), DISPID_BEFORENAVIGATE2));
        EXPECT_EQ(S_OK, refused.FireAt(sink.get(), DISPID_BEFORENAVIGATE2));
        EXPECT_FALSE(top.Cancelled());
        EXPECT_FALSE(frame.Cancelled());
        EXPECT_TRUE(refused.Cancelled());

        EventArgs window;
        window.NewWindowRef().CancelRef();
        EXPECT_EQ(S_OK, window.FireAt(sink.get(), DISPID_NEWWINDOW2));
        EXPECT_TRUE(window.Cancelled());
        ASSERT_NE(nullptr, window.NewWindow()) << "the host's window went back to the control";
        window.NewWindow()->Release();

        EventArgs navigated, complete, forward, back;
        navigated.Dispatch(own).TextRef(L"http://pond.test/n");
        complete.Dispatch(own).TextRef(L"http://pond.test/d");
        forward.Long(CSC_NAVIGATEFORWARD).Bool(true);
        back.Long(CSC_NAVIGATEBACK).Bool(false);
        EXPECT_EQ(S_OK, navigated.FireAt(sink.get(), DISPID_NAVIGATECOMPLETE2));
        EXPECT_EQ(S_OK, complete.FireAt(sink.get(), DISPID_DOCUMENTCOMPLETE));
        EXPECT_EQ(S_OK, forward.FireAt(sink.get(), DISPID_COMMANDSTATECHANGE));
        EXPECT_EQ(S_OK, back.FireAt(sink.get(), DISPID_COMMANDSTATECHANGE));

        const std::vector<std::wstring> expected = {
            L"before http://pond.test/a top", L"before http://pond.test/f frame",
            L"before http://pond.test/refuse top", L"new window", L"navigated http://pond.test/n",
            L"complete http://pond.test/d", L"command 1 on", L"command 2 off"};
        EXPECT_EQ(expected, host->events);
        host.reset();
    }));
}

// Keys that go on or load again: the search text (decoded through WinINet)
// and a content load, which the view starts itself with "&adtype=ecp" and
// then lets through.
TEST_F(WebViews, SearchTextAndContentLoad) {
    MakeContentView();
    const std::wstring alias = Page(L"&pqalias=pond%20life");
    ASSERT_TRUE(RunOn(thread_, [&] { content_->Navigate2(alias); }));
    ASSERT_TRUE(WaitFor([&] { return handler_.Has(Posted{children_msg::kSetSearchText, 0, 0}); }, 10000));
    EXPECT_EQ(host_.Get(&RecordingHost::searchText), L"pond life");
    Probe<panels::BottomView>::Seen seen{};
    ASSERT_TRUE(content_->Find(alias, &seen));
    EXPECT_FALSE(seen.cancel);

    const std::wstring load = Page(L"&pqload=ecp");
    ASSERT_TRUE(RunOn(thread_, [&] { content_->Navigate2(load); }));
    ASSERT_TRUE(WaitFor([&] { return content_->Find(load + L"&adtype=ecp", &seen); }, 10000));
    EXPECT_FALSE(seen.cancel);
    ASSERT_TRUE(content_->Find(load, &seen));
    EXPECT_TRUE(seen.cancel);
    EXPECT_TRUE(WaitFor([&] { return ServerSaw(Utf8(load.substr(load.find(L"/files/"))) + "&adtype=ecp"); }, 10000));
}

// A page opening a new window: the control asks for the window (NewWindow2),
// the view hands over its hidden browser, and that browser's first
// navigation goes to the user's browser through the controller (11144).
TEST_F(WebViews, NewWindowGoesToTheUsersBrowserAndOnlyForWebUrls) {
    MakeContentView();
    auto openWindow = [&](const std::wstring& url) {
        bool cancelled = true;
        EXPECT_TRUE(RunOn(thread_, [&] {
            IDispatch* window = nullptr;
            bool cancel = false;
            content_->OnNewWindow2(&window, &cancel);
            cancelled = cancel;
            fx::ComPtr<IDispatch> owned = fx::ComPtr<IDispatch>::Attach(window);
            fx::ComPtr<IWebBrowser2> browser = owned.As<IWebBrowser2>();
            ASSERT_TRUE(browser) << "the hidden browser was not handed over";
            EXPECT_TRUE(content_->HiddenBrowser()->Armed());
            fx::Variant target = fx::Variant::FromString(url);
            VARIANT empty;
            ::VariantInit(&empty);
            browser->Navigate2(target.get(), &empty, &empty, &empty, &empty);
        }));
        EXPECT_FALSE(cancelled);
    };

    openWindow(L"http://example.org/story?id=7");
    ASSERT_TRUE(WaitFor([&] { return controller_.Got(controller_msg::kNavigateUrl); }, 10000));
    EXPECT_EQ(host_.Get(&RecordingHost::navigateUrl), L"http://example.org/story?id=7");
    ASSERT_TRUE(RunOn(thread_, [&] { EXPECT_FALSE(content_->HiddenBrowser()->Armed()); }));

    // A file: URL opens nothing: no message, no URL for the browser.
    controller_.Clear();
    openWindow(L"file:///c:/windows/win.ini");
    ASSERT_TRUE(WaitFor([&] {
        bool disarmed = false;
        RunOn(thread_, [&] { disarmed = !content_->HiddenBrowser()->Armed(); });
        return disarmed;
    }, 10000));
    ASSERT_TRUE(controller_.Flush(thread_));
    EXPECT_FALSE(controller_.Got(controller_msg::kNavigateUrl));
    EXPECT_EQ(host_.Get(&RecordingHost::navigateUrl), L"http://example.org/story?id=7");

    // The hidden browser loads nothing itself: a new window's page of a
    // server that answers is never asked for, while a page the content view
    // asks for after it is.
    controller_.Clear();
    const std::wstring story = Page(L"&story=8");
    openWindow(story);
    ASSERT_TRUE(WaitFor([&] { return controller_.Got(controller_msg::kNavigateUrl); }, 10000));
    EXPECT_EQ(host_.Get(&RecordingHost::navigateUrl), story);
    const std::wstring marker = Page(L"&after=story");
    ASSERT_TRUE(RunOn(thread_, [&] { content_->Navigate(marker); }));
    ASSERT_TRUE(WaitFor([&] { return ServerSaw(Utf8(marker.substr(marker.find(L"/files/")))); }, 10000));
    WaitFor([] { return false; }, 500);
    EXPECT_FALSE(ServerSaw(Utf8(story.substr(story.find(L"/files/"))))) << "the hidden browser loaded the page";
}

// The advertisement view reads keys only before a "#" and hands a content
// load to the panel thread (11218).
TEST_F(WebViews, AdViewHandsAContentLoadToThePanel) {
    bool made = false;
    ASSERT_TRUE(RunOn(thread_, [&] {
        ad_ = std::make_unique<Probe<panels::BannerView>>(host_);
        made = ad_->Create(parent_, RECT{0, 300, 400, 320});
        ad_->SetPanelWindow(panel_.hwnd());
    }));
    ASSERT_TRUE(made);
    const std::wstring url = loopback::Url(L"/files/ads/?pqecp=1&pqload=ecp#go");
    ASSERT_TRUE(RunOn(thread_, [&] { ad_->Navigate2(url); }));
    ASSERT_TRUE(WaitFor([&] { return panel_.Got(panel_msg::kLoadContentUrl); }, 10000));
    EXPECT_EQ(host_.Get(&RecordingHost::handedOver), url + L"&adtype=ecp");
    Probe<panels::BannerView>::Seen seen{};
    ASSERT_TRUE(ad_->Find(url, &seen));
    EXPECT_TRUE(seen.cancel);
}

TEST_F(WebViews, OptionKeyPathAndReleaseOnTheCreatingThread) {
    MakeContentView();
    ASSERT_TRUE(RunOn(thread_, [&] {
        fx::ComPtr<IDocHostUIHandler> ui;
        ASSERT_TRUE(SUCCEEDED(content_->ClientSite()->QueryInterface(IID_IDocHostUIHandler, ui.put_void())));
        LPOLESTR key = nullptr;
        EXPECT_EQ(ui->GetOptionKeyPath(&key, 0), S_OK);
        ASSERT_NE(key, nullptr);
        EXPECT_STREQ(key, L"Software\\Pondrel\\Pondrel");
        ::CoTaskMemFree(key);
    }));
    const DWORD viewThread = content_->CreatingThread();
    EXPECT_NE(viewThread, ::GetCurrentThreadId());
    // Destroyed from here: the window's own thread destroys it and lets go of the control.
    content_->Destroy();
    ASSERT_TRUE(WaitFor([&] {
        bool gone = false;
        RunOn(thread_, [&] { gone = content_->hwnd() == nullptr; });
        return gone;
    }, 5000));
    EXPECT_EQ(content_->ReleasingThread(), viewThread);
    EXPECT_FALSE(content_->HasBrowser());
}

// Focus coming from another window hides the menus and the tail and raises
// the panel; a menu panel's view ignores it.
TEST_F(WebViews, FocusFromAnotherWindowRaisesThePanel) {
    MakeContentView();
    auto focusFromOther = [&] {
        EXPECT_TRUE(RunOn(thread_, [&] {
            HWND other = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, parent_, nullptr,
                                           nullptr, nullptr);
            ::ShowWindow(parent_, SW_SHOWNA);
            ::ShowWindow(content_->hwnd(), SW_SHOWNA);
            ::SetFocus(other);
            ::SetFocus(content_->hwnd());
            ::DestroyWindow(other);
        }));
    };
    ASSERT_TRUE(RunOn(thread_, [&] { content_->SetMenuFlag(true); }));
    focusFromOther();
    ASSERT_TRUE(panel_.Flush(thread_));
    ASSERT_TRUE(controller_.Flush(thread_));
    EXPECT_FALSE(panel_.Got(panel_msg::kRaise));
    EXPECT_FALSE(controller_.Got(controller_msg::kHideMenus));

    ASSERT_TRUE(RunOn(thread_, [&] { content_->SetMenuFlag(false); }));
    focusFromOther();
    ASSERT_TRUE(WaitFor([&] { return panel_.Has(Posted{panel_msg::kRaise, 0, 0}); }, 5000));
    EXPECT_TRUE(controller_.Has(Posted{controller_msg::kHideMenus, 0, 0}));
    EXPECT_TRUE(handler_.Has(Posted{children_msg::kHideTail, 0, 0}));
}

// Moving the view resizes the control in place (SetObjectRects): its window
// fills the view's client area.
TEST_F(WebViews, ControlFollowsTheViewsSize) {
    MakeContentView();
    ASSERT_TRUE(RunOn(thread_, [&] {
        content_->MoveTo(RECT{10, 10, 310, 210}, true);
        HWND control = ::GetWindow(content_->hwnd(), GW_CHILD);
        ASSERT_NE(control, nullptr) << "the control made no window";
        RECT r{};
        ::GetWindowRect(control, &r);
        EXPECT_EQ(r.right - r.left, 300);
        EXPECT_EQ(r.bottom - r.top, 200);
    }));
}

TEST_F(WebViews, SnapshotAndNavigationButtons) {
    MakeContentView();
    ASSERT_TRUE(RunOn(thread_, [&] {
        fx::GdiplusPtr<Gdiplus::Bitmap> shot = content_->Snapshot();
        ASSERT_TRUE(shot);
        EXPECT_EQ(shot->GetWidth(), 395u);
        EXPECT_EQ(shot->GetHeight(), 295u);
        EXPECT_EQ(shot->GetPixelFormat(), PixelFormat32bppARGB);
        // The browser's command states become the panel's button states.
        content_->OnCommandStateChange(1, true);
        content_->OnCommandStateChange(2, false);
        content_->OnCommandStateChange(-1, true);
    }));
    ASSERT_TRUE(WaitFor([&] { return panel_.Messages().size() >= 2; }, 5000));
    WaitFor([] { return false; }, 100);
    auto seen = panel_.Messages();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], (Posted{panel_msg::kNavButtonState, 1, 1}));
    EXPECT_EQ(seen[1], (Posted{panel_msg::kNavButtonState, 0, 2}));
}

}  // namespace
