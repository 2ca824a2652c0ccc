// A real panel under Wine drawing the demo's Classic window template, which
// the loopback server serves from demo/: the panel thread loads it through
// the template cache, builds the element tree, sizes its window to the laid
// out template and, faded in, its back buffer shows the template's pictures
// at the elements' rectangles.  A panel whose template does not load keeps
// its plain face.  The window's behaviour over the template's elements: the
// child windows' places left transparent, the controls, the navigation
// buttons, resizing by message and by dragging a handle (the template
// rebuilt at the new size), the title and content URL messages.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/core/common/GlobalLocks.h"
#include "app/core/common/SharedUtilities.h"
#include "app/core/graphics/ImageRoutines.h"
#include "app/core/main/DockOps.h"
#include "app/core/main/PondrelApp.h"
#include "app/tests/support/CoreTestFiles.h"
#include "app/tests/support/RecordingPanelHost.h"
#include "app/core/net/HttpRoutines.h"
#include "app/panels/children/ChildViews.h"
#include "app/panels/children/ChildWin.h"
#include "app/panels/children/ChildrenThread.h"
#include "app/panels/cache/TemplateCache.h"
#include "app/panels/children/SearchView.h"
#include "app/panels/dockitems/DockItems.h"
#include "app/panels/elements/RenderElements.h"
#include "app/panels/thread/HoverThread.h"
#include "app/panels/thread/HoverThreadList.h"
#include "app/panels/window/MegaWin.h"
#include "tests/httpserver/LoopbackServer.h"
#include "tests/support/GdiplusTestEnv.h"
#include "tests/support/PngFile.h"
#include "tests/support/MessageRecorder.h"
#include "tests/support/TestSupport.h"

namespace {

using panels::HoverThread;
using testsupport::WaitFor;
using templates::LayoutRect;

// The dock bar as a panel reaches it: a window of the test's own that
// records the messages the panel posts to the bar.
class RecordingDock : public DockOps {
public:
    RecordingDock() { window_.Make(); }
    fx::UiThread& Thread() override { return thread_; }
    HWND Window() const override { return window_.hwnd(); }
    void ImportItems(XmlConfig&) override {}
    void SaveLayout(fx::Archive&) override {}
    void LoadLayout(fx::Archive&) override {}
    // What reached the bar so far, in order (this thread's messages pumped).
    std::vector<unsigned> Posted() {
        window_.Drain();
        return window_.Ids();
    }

private:
    fx::UiThread thread_;  // never started: the bar's window is there
    testsupport::MessageRecorder window_{WM_USER, 0xFFFF};
};

// The snapshot files (GUID-named JPEG files) in a directory.
std::vector<std::wstring> SnapshotFiles(const std::wstring& dir) {
    std::vector<std::wstring> files;
    WIN32_FIND_DATAW found{};
    HANDLE find = ::FindFirstFileW((dir + L"*.jpg").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return files;
    do {
        if (std::wstring(found.cFileName) != L"mask.jpg") files.push_back(found.cFileName);
    } while (::FindNextFileW(find, &found));
    ::FindClose(find);
    return files;
}

const WindowElement* FindElement(const ElementPanel& panel, const std::wstring& id) {
    for (WindowElement* e : panel.all)
        if (e->id == id) return e;
    return nullptr;
}

bool Near(uint32_t a, uint32_t b) {
    for (int shift = 0; shift < 32; shift += 8)
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > 2) return false;
    return true;
}

class PanelTemplate : public testing::Test {
protected:
    void SetUp() override {
        cacheDir_ = coretest::ScratchDir();
        RemoveDirectoryTree(cacheDir_, false);
        theApp.m_CacheDir = cacheDir_;
        wchar_t temp[MAX_PATH];
        ::GetTempPathW(MAX_PATH, temp);
        theApp.m_TempDir = std::wstring(temp) + L"panel_template_tests\\";
        ::CreateDirectoryW(theApp.m_TempDir.c_str(), nullptr);
        for (const std::wstring& file : SnapshotFiles(theApp.m_TempDir)) ::DeleteFileW((theApp.m_TempDir + file).c_str());
        theApp.PublishSnapshot();  // the panel thread reads the published values
    }
    void TearDown() override {
        if (thread_) {
            if (thread_->PanelWindow()) ::PostMessageW(thread_->PanelWindow(), panel_msg::kCloseNow, 0, 0);
            EXPECT_TRUE(WaitFor([&] { return host_.list.GetCount() == 0 && !thread_->IsRunning(); }, 10000));
        }
        ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Pondrel\\Classic");
        for (const std::wstring& key : cachedKeys_)
            ::RegDeleteTreeW(HKEY_CURRENT_USER, (L"Software\\Pondrel\\" + key).c_str());
        theApp.m_hDockWindow = nullptr;
        theApp.m_pDock.reset();
        theApp.m_InstallDir = installDir_;
        theApp.PublishSnapshot();
    }
    // The panel's posts to the dock bar reach a recording window.
    RecordingDock& UseRecordingDock() {
        auto dock = std::make_unique<RecordingDock>();
        RecordingDock& kept = *dock;
        theApp.m_pDock = std::move(dock);
        theApp.m_hDockWindow = kept.Window();  // published, as the dock thread does
        return kept;
    }
    HoverThread* Start(const std::wstring& skin, const std::wstring& templateUrl, bool showSearch = false) {
        std::unique_ptr<panels::PanelThread> made = panels::MakeHoverThread();
        EXPECT_TRUE(made);
        thread_ = static_cast<HoverThread*>(made.get());
        thread_->m_pHost = &host_;
        thread_->m_Current.m_Id = L"DEMO-1";
        thread_->m_Current.m_Name = L"Pond life";
        thread_->m_Current.m_Width = 420;
        thread_->m_Current.m_Height = 360;
        thread_->m_Current.m_Resizable = 1;
        thread_->m_Current.m_ShowSearch = showSearch ? 1 : 0;
        thread_->m_Current.m_Skin = thread_->m_Current.m_TemplateKey = skin;
        thread_->m_Current.m_QueryText = queryText_;
        if (record_) record_(thread_->m_Current);
        thread_->m_TemplateUrl = templateUrl;
        thread_->m_TemplateBase = loopback::Url(L"/files/templates/ecp/");
        thread_->m_Next.CopyFrom(thread_->m_Current);
        thread_->m_Next.m_Name = nextName_;
        thread_->m_Flags = flags_;
        thread_->m_Anchor = anchor_;
        UserSetting record;
        record.m_Id = L"DEMO-1";
        host_.list.Add(std::move(made), record);
        host_.created = false;
        thread_->Resume();
        EXPECT_TRUE(WaitFor([&] { return host_.created.load(); }, 30000));
        return thread_;
    }
    // A skin's template as the cache holds it: with no version on either
    // side it counts as current, and nothing is downloaded.  The key's
    // registry value goes at the test's end.
    void WriteCachedTemplate(const std::wstring& key, const std::string& xml) {
        ::CreateDirectoryW(panels::TemplateFolder(cacheDir_, key).c_str(), nullptr);
        testsupport::WriteAll(testsupport::Utf8(panels::TemplateFile(cacheDir_, key)), xml);
        cachedKeys_.push_back(key);
    }
    // Ends the panel started last and waits for both its threads.
    void EndPanel() {
        if (thread_ && thread_->PanelWindow()) ::PostMessageW(thread_->PanelWindow(), panel_msg::kCloseNow, 0, 0);
        EXPECT_TRUE(WaitFor([&] { return host_.list.GetCount() == 0 && (!thread_ || !thread_->IsRunning()); }, 10000));
        thread_ = nullptr;
        host_.created = false;
    }
    // The screen point of a client point of the panel window.
    POINT OnScreen(int x, int y) {
        POINT p{x, y};
        ::ClientToScreen(thread_->PanelWindow(), &p);
        return p;
    }
    // Visible and past its start: the panel's message loop answers.
    bool Running() {
        HWND w = thread_->PanelWindow();
        if (!WaitFor([&] { return ::IsWindowVisible(w) != FALSE; }, 10000)) return false;
        DWORD_PTR answer = 0;
        return ::SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer) != 0;
    }
    // Faded in: the back buffer is drawn at full opacity at (x, y) and the
    // fade has returned to the panel's message loop (a sent message is
    // answered only there), so the buffer stays as it is.
    bool FadedIn(int x, int y) {
        if (!Running()) return false;  // the start's frames are drawn
        HWND w = thread_->PanelWindow();
        ::PostMessageW(w, panel_msg::kFadeIn, 0, 0);
        if (!WaitFor([&] { return (thread_->Window()->m_pBackBuffer->Pixel(x, y) >> 24) == 255; }, 10000))
            return false;
        DWORD_PTR answer = 0;
        return ::SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer) != 0;
    }

    // The content URL of the last request for it the server saw ("" when none).
    static std::string ServerSawContent(const std::string& prefix) {
        for (const loopback::Request& r : loopback::Requests())
            if (r.target.compare(0, prefix.size(), prefix) == 0) return r.target;
        return std::string();
    }
    static std::string PercentDecoded(const std::string& text) {
        std::string out;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '%' && i + 2 < text.size()) {
                out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
                i += 2;
            } else {
                out += text[i];
            }
        }
        return out;
    }
    std::wstring ContentUrl(ElementPanel* elements) {
        fx::ScopedLock hold(g_PanelRecordLock);
        return elements->mainContent->contentUrl;
    }

    // Closes the panel and waits until both its threads have ended.
    bool Close() {
        HANDLE children = nullptr;
        if (thread_->Children())
            ::DuplicateHandle(::GetCurrentProcess(), thread_->Children()->handle(), ::GetCurrentProcess(), &children,
                              SYNCHRONIZE, FALSE, 0);
        fx::UniqueHandle childrenEnded(children);
        ::PostMessageW(thread_->PanelWindow(), panel_msg::kCloseNow, 0, 0);
        const bool ended = WaitFor([&] { return host_.list.GetCount() == 0 && !thread_->IsRunning(); }, 10000);
        thread_ = nullptr;
        return ended && (!children || ::WaitForSingleObject(children, 10000) == WAIT_OBJECT_0);
    }
    static RECT WorkArea() {
        RECT work{};
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        return work;
    }
    static std::wstring ClassOf(HWND w) {
        wchar_t name[64] = {};
        ::GetClassNameW(w, name, 64);
        return name;
    }
    // The panel's tail's window, or none.
    static panels::CChildWin* TailWindow(HoverThread* t) {
        return t->Tail() ? dynamic_cast<panels::CChildWin*>(t->Tail()->LinkedWindow()) : nullptr;
    }
    // Pixels of the tail's picture drawn at full opacity.
    static int OpaqueTailPixels(HoverThread* t) {
        panels::CChildWin* w = TailWindow(t);
        if (!w || !w->m_pBackBuffer) return 0;
        int opaque = 0;
        for (int y = 0; y < w->m_pBackBuffer->height(); ++y)
            for (int x = 0; x < w->m_pBackBuffer->width(); ++x) opaque += (w->m_pBackBuffer->Pixel(x, y) >> 24) == 255;
        return opaque;
    }

    apptest::RecordingPanelHost host_;
    HoverThread* thread_ = nullptr;
    std::wstring installDir_ = theApp.m_InstallDir;
    std::wstring cacheDir_;
    std::wstring queryText_;  // the record's query text
    std::wstring nextName_ = L"Pond life";  // the name of the record the launcher hands over as next
    uint32_t flags_ = 0x01;
    RECT anchor_{0, 0, 0, 0};
    std::function<void(UserSetting&)> record_;  // changes the record before the launch
    std::vector<std::wstring> cachedKeys_;
};

TEST_F(PanelTemplate, DemoTemplateDrawnIntoTheBackBuffer) {
    HoverThread* t = Start(L"Classic", loopback::Url(L"/files/templates/?template=ecp&skin=Classic"));
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(t->PanelWindow()) != FALSE; }, 10000));
    const ElementPanel* elements = t->Elements();
    ASSERT_NE(nullptr, elements);

    // The window has the laid-out template's size: the title bar and the
    // frame around the record's 420 x 360.
    const LayoutRect panel = elements->panelRect;
    RECT window{};
    ::GetWindowRect(t->PanelWindow(), &window);
    EXPECT_EQ(panel.right - panel.left, window.right - window.left);
    EXPECT_EQ(panel.bottom - panel.top, window.bottom - window.top);
    EXPECT_GT(panel.bottom - panel.top, 360);

    const WindowElement* top = FindElement(*elements, L"frame_top");
    ASSERT_NE(nullptr, top);
    const LayoutRect tr = top->innerWindowRect;
    const int y = tr.top + 10;
    ASSERT_TRUE(FadedIn((tr.left + tr.right) / 2, y));
    const fx::BackBuffer& buffer = *t->Window()->m_pBackBuffer;

    // The title bar is the skin's top picture, repeated across.
    ArgbBitmap topImage =
        LoadImageFile(coretest::SourceDir() + L"demo\\templates\\ecp\\Classic\\images\\top.png", 0, 0);
    ASSERT_TRUE(topImage);
    Gdiplus::Color expected;
    topImage->GetPixel(0, 10, &expected);
    for (int x : {tr.left + 3, (tr.left + tr.right) / 2, tr.right - 3}) {
        SCOPED_TRACE(x);
        EXPECT_TRUE(Near(expected.GetValue(), buffer.Pixel(x, y))) << std::hex << buffer.Pixel(x, y);
    }

    // The close button draws its own picture over the title bar.
    ASSERT_FALSE(elements->close.Empty());
    const LayoutRect cr = elements->close.First()->innerWindowRect;
    int drawn = 0;
    for (int cy = cr.top; cy < cr.bottom; ++cy) {
        topImage->GetPixel(0, cy - tr.top, &expected);
        for (int cx = cr.left; cx < cr.right; ++cx) drawn += Near(expected.GetValue(), buffer.Pixel(cx, cy)) ? 0 : 1;
    }
    EXPECT_GT(drawn, 20) << cr.left << "," << cr.top << " " << cr.right << "," << cr.bottom << " drawn "
                         << elements->drawn.Count() << " windowed " << elements->windowed.Count() << " panel "
                         << panel.right << "x" << panel.bottom << " top " << tr.left << "," << tr.top;

    // The content area is left transparent: its child window shows there.
    ASSERT_NE(nullptr, elements->mainContent);
    const LayoutRect content = elements->mainContent->windowRect;
    EXPECT_EQ(0u, buffer.Pixel((content.left + content.right) / 2, (content.top + content.bottom) / 2) >> 24);
    EXPECT_EQ(0u, buffer.Pixel(content.left + 1, content.top + 1) >> 24);
    // Just outside it the frame is drawn.
    EXPECT_EQ(255u, buffer.Pixel(content.left - 1, (content.top + content.bottom) / 2) >> 24);
}

// The template rebuilt at a new size: the same elements laid out again, the
// window and its back buffer of the new layout's size, the handles at the
// new corners; a resize without a grabbed edge moves the left and top edges
// by half the growth.
TEST_F(PanelTemplate, ResizeMessageRebuildsTheTemplateAtTheNewSize) {
    HoverThread* t = Start(L"Classic", loopback::Url(L"/files/templates/?template=ecp&skin=Classic"));
    ASSERT_TRUE(Running());
    ElementPanel* elements = t->Elements();
    ASSERT_NE(nullptr, elements);
    ASSERT_EQ(8u, elements->resizeHandles.Count());  // the template has a resize control
    const std::vector<WindowElement*> before(elements->all.begin(), elements->all.end());
    RECT old{};
    ::GetWindowRect(t->PanelWindow(), &old);

    ::PostMessageW(t->PanelWindow(), panel_msg::kResize, 500, 420);
    ASSERT_TRUE(WaitFor([&] { return t->m_TemplateWidth == 500; }, 10000));
    EXPECT_TRUE(Running());  // the resize has run to its end
    ASSERT_TRUE(FadedIn(20, 10));
    RECT now{};
    ::GetWindowRect(t->PanelWindow(), &now);
    EXPECT_EQ(old.right - old.left + 80, now.right - now.left);
    EXPECT_EQ(old.bottom - old.top + 60, now.bottom - now.top);
    EXPECT_EQ(old.left + 40, now.left);
    EXPECT_EQ(old.top + 30, now.top);
    const LayoutRect panel = elements->panelRect;
    EXPECT_EQ(now.right - now.left, panel.right);
    EXPECT_EQ(panel.right, t->Window()->m_pBackBuffer->width());
    EXPECT_EQ(before, std::vector<WindowElement*>(elements->all.begin(), elements->all.end()));
    EXPECT_EQ((LayoutRect{panel.right - 23, panel.bottom - 23, panel.right, panel.bottom}),
              elements->resizeHandles.At(2)->windowRect);
    // The content area grew with the panel.
    EXPECT_EQ(0u, t->Window()->m_pBackBuffer->Pixel(panel.right - 40, panel.bottom / 2) >> 24);

    // A page's size below the least panel is clamped.
    ::PostMessageW(t->PanelWindow(), panel_msg::kResize, 10, 0);
    ASSERT_TRUE(WaitFor([&] { return t->m_TemplateWidth == 150; }, 10000));
    // The resize has run to its end once the panel answers again.
    DWORD_PTR answer = 0;
    ASSERT_TRUE(::SendMessageTimeoutW(t->PanelWindow(), WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer));
    EXPECT_EQ(150, t->m_TemplateWidth);
    EXPECT_EQ(150, t->m_TemplateHeight);
}

// Dragging the bottom-right handle: the button goes down over it, the moves
// grow the template by the cursor's way, the top-left corner stays.
TEST_F(PanelTemplate, DraggingAResizeHandleResizesFromTheOppositeCorner) {
    HoverThread* t = Start(L"Classic", loopback::Url(L"/files/templates/?template=ecp&skin=Classic"));
    ASSERT_TRUE(Running());
    HWND w = t->PanelWindow();
    RECT old{};
    ::GetWindowRect(w, &old);
    const int x = old.right - old.left - 3, y = old.bottom - old.top - 3;
    ::SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    EXPECT_EQ(5, t->Window()->m_ResizeDirection);
    ::SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + 30, y + 20));
    RECT now{};
    ::GetWindowRect(w, &now);
    EXPECT_EQ(450, t->m_TemplateWidth);
    EXPECT_EQ(380, t->m_TemplateHeight);
    EXPECT_EQ(old.left, now.left);
    EXPECT_EQ(old.top, now.top);
    EXPECT_EQ(old.right - old.left + 30, now.right - now.left);
    // Far up and left: never below 150 x 150.
    ::SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-2000, -2000));
    EXPECT_EQ(150, t->m_TemplateWidth);
    EXPECT_EQ(150, t->m_TemplateHeight);
    ::SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(0, t->Window()->m_ResizeDirection);
    // Moves without the drag change nothing.
    ::SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + 300, y + 300));
    EXPECT_EQ(150, t->m_TemplateWidth);
}

// The title and the content URL messages (11206, 11218).
TEST_F(PanelTemplate, TitleAndContentUrl) {
    theApp.m_EcpUrl = L"http://panels.test/?type=ecp&ecpguid=";
    theApp.PublishSnapshot();
    HoverThread* t = Start(L"Classic", loopback::Url(L"/files/templates/?template=ecp&skin=Classic"));
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(t->PanelWindow()) != FALSE; }, 10000));
    ElementPanel* elements = t->Elements();
    ASSERT_NE(nullptr, elements);
    HWND w = t->PanelWindow();

    // The next and back controls exist (their states are set by 11222, which
    // the content view also sends as it navigates: tested on the tree).
    size_t forward = 0;
    for (WindowElement* e : elements->navigate) forward += dynamic_cast<NavigateElement*>(e)->forward ? 1 : 0;
    EXPECT_EQ(2u, elements->navigate.Count());
    EXPECT_EQ(1u, forward);

    // The content element was given the record's content URL at its build,
    // the title the record's name.
    ASSERT_NE(nullptr, elements->mainContent);
    EXPECT_EQ(0u, elements->mainContent->contentUrl.find(L"http://panels.test/?type=ecp&ecpguid=DEMO-1&token="));
    ASSERT_NE(nullptr, elements->titleElement);
    auto* title = dynamic_cast<TextElement*>(elements->titleElement->Render());
    ASSERT_NE(nullptr, title);
    EXPECT_EQ(L"Pond life", title->text);
    ::SendMessageW(w, panel_msg::kStoreUrl, 0, 0);
    EXPECT_EQ(L"", title->text);

    {
        fx::ScopedLock hold(g_RegistryLock);
        t->m_HandedOverUrl = L"http://panels.test/handed";
    }
    ::SendMessageW(w, panel_msg::kLoadContentUrl, 0, 0);
    EXPECT_EQ(L"http://panels.test/handed", elements->mainContent->contentUrl);
}

// The content URL is built while the element tree is built: the record's
// query text percent-encoded as UTF-8 after "&token="; the content view loads
// it, and the request reaching the server carries the encoded text.
TEST_F(PanelTemplate, ContentViewLoadsTheContentUrlWithTheEncodedText) {
    theApp.m_EcpUrl = loopback::Url(L"/files/ecp/?type=ecp&ecpguid=");
    theApp.m_UserId = L"U-7";
    theApp.m_Version = L"12";
    theApp.PublishSnapshot();
    queryText_ = L"pond lif\u00e9&x=1";
    HoverThread* t = Start(L"Classic", loopback::Url(L"/files/templates/?template=ecp&skin=Classic"));
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(t->PanelWindow()) != FALSE; }, 10000));
    ElementPanel* elements = t->Elements();
    ASSERT_NE(nullptr, elements);
    ASSERT_NE(nullptr, elements->mainContent);
    // Every byte of the text's UTF-8 form is encoded, letters included.
    const std::wstring encoded = L"%70%6f%6e%64%20%6c%69%66%c3%a9%26%78%3d%31";
    EXPECT_EQ(loopback::Url(L"/files/ecp/?type=ecp&ecpguid=DEMO-1&token=" + encoded +
                            L"&pqads=off&pqecp=1&pq_userid=U-7&pq_version=12"),
              ContentUrl(elements));
    const std::string prefix = "/files/ecp/?type=ecp&ecpguid=DEMO-1&token=";
    ASSERT_TRUE(WaitFor([&] { return !ServerSawContent(prefix).empty(); }, 20000)) << [] {
        std::string seen = "the server saw no content request; it saw:";
        for (const loopback::Request& r : loopback::Requests()) seen += "\n  " + r.target;
        return seen;
    }();
    // The browser may write the unreserved characters plainly: the token
    // reaches the server as one value that decodes to the text's UTF-8 form,
    // and the keys after it are the panel's own.
    const std::string target = ServerSawContent(prefix);
    const size_t end = target.find('&', prefix.size());
    ASSERT_NE(std::string::npos, end) << target;
    EXPECT_EQ("pond lif\xc3\xa9&x=1", PercentDecoded(target.substr(prefix.size(), end - prefix.size()))) << target;
    EXPECT_EQ("&pqads=off&pqecp=1&pq_userid=U-7&pq_version=12", target.substr(end)) << target;
}

// A URL a view hands over (an advertisement's content load) reaches the panel
// thread through its children thread; 11218 makes it the content element's
// URL and the content view loads it.
TEST_F(PanelTemplate, HandedOverUrlLoadsInTheContentView) {
    theApp.m_EcpUrl = loopback::Url(L"/files/ecp/?type=ecp&ecpguid=");
    theApp.PublishSnapshot();
    HoverThread* t = Start(L"Classic", loopback::Url(L"/files/templates/?template=ecp&skin=Classic"));
    ASSERT_TRUE(Running());
    ElementPanel* elements = t->Elements();
    ASSERT_NE(nullptr, elements);
    ASSERT_NE(nullptr, elements->mainContent);
    panels::ChildrenThread* children = t->Children();
    ASSERT_NE(nullptr, children);

    const std::wstring url = loopback::Url(L"/files/ecp/?type=ecp&handed=7&pqload=ecp#go&adtype=ecp");
    children->Views().HandOverUrl(url);
    ::PostMessageW(t->PanelWindow(), panel_msg::kLoadContentUrl, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return ContentUrl(elements) == url; }, 10000)) << testsupport::Utf8(ContentUrl(elements));
    EXPECT_TRUE(WaitFor([&] { return !ServerSawContent("/files/ecp/?type=ecp&handed=7&pqload=ecp").empty(); }, 20000))
        << "the content view did not load the handed-over URL";
}

// The close control: the menus hidden, the panel fades out and ends.
TEST_F(PanelTemplate, CloseControlEndsThePanel) {
    HoverThread* t = Start(L"Classic", loopback::Url(L"/files/templates/?template=ecp&skin=Classic"));
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(t->PanelWindow()) != FALSE; }, 10000));
    ASSERT_FALSE(t->Elements()->close.Empty());
    const LayoutRect c = t->Elements()->close.First()->windowRect;
    const LPARAM at = MAKELPARAM((c.left + c.right) / 2, (c.top + c.bottom) / 2);
    ::PostMessageW(t->PanelWindow(), WM_LBUTTONUP, 0, at);
    // The rescan is the panel's last report; it was posted before the thread
    // ended, but this thread's window has it only once it was dispatched here.
    auto heard = [&](unsigned msg) {
        const std::vector<unsigned> seen = host_.Messages();
        return std::find(seen.begin(), seen.end(), msg) != seen.end();
    };
    ASSERT_TRUE(WaitFor([&] { return host_.list.GetCount() == 0 && !t->IsRunning() && heard(controller_msg::kRescan); },
                        10000));
    const std::vector<unsigned> messages = host_.Messages();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(controller_msg::kHideMenus, messages.front());
    EXPECT_EQ(controller_msg::kRescan, messages.back());
}

// The demo panel's windowed elements have their child windows, made on the
// panel's children thread at their places over the panel; closing the panel
// destroys them and ends both threads.
TEST_F(PanelTemplate, ChildWindowsOverTheWindowedElementsGoWithThePanel) {
    HoverThread* t = Start(L"Classic", loopback::Url(L"/files/templates/?template=ecp&skin=Classic"));
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(t->PanelWindow()) != FALSE; }, 10000));
    const ElementPanel* elements = t->Elements();
    ASSERT_NE(nullptr, elements);
    ASSERT_NE(nullptr, elements->mainContent);
    panels::ChildrenThread* children = t->Children();
    ASSERT_NE(nullptr, children);
    ASSERT_NE(t->threadId(), children->threadId());
    HANDLE childrenHandle = nullptr;
    ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), children->handle(), ::GetCurrentProcess(), &childrenHandle,
                                  SYNCHRONIZE, FALSE, 0));
    fx::UniqueHandle childrenEnded(childrenHandle);

    std::vector<HWND> windows;
    for (WindowElement* e : elements->windowed) {
        SCOPED_TRACE(e->ClassName());
        auto* child = dynamic_cast<panels::CChildWin*>(static_cast<ContentElement*>(e)->LinkedWindow());
        ASSERT_NE(nullptr, child);
        HWND w = child->hwnd();
        ASSERT_TRUE(::IsWindow(w));
        EXPECT_EQ(children->threadId(), ::GetWindowThreadProcessId(w, nullptr));
        RECT rc{}, panel{};
        ::GetWindowRect(w, &rc);
        ::GetWindowRect(t->PanelWindow(), &panel);
        EXPECT_EQ(panel.left + e->windowRect.left, rc.left);
        EXPECT_EQ(panel.top + e->windowRect.top, rc.top);
        windows.push_back(w);
    }
    EXPECT_FALSE(windows.empty());
    // The content web view is a child window of the main content's window.
    auto* content = dynamic_cast<panels::CChildWin*>(elements->mainContent->LinkedWindow());
    ASSERT_NE(nullptr, content);
    ASSERT_NE(nullptr, content->View());
    EXPECT_EQ(content->hwnd(), ::GetParent(content->View()->hwnd()));

    ::PostMessageW(t->PanelWindow(), panel_msg::kCloseNow, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return host_.list.GetCount() == 0 && !t->IsRunning(); }, 10000));
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(childrenEnded.get(), 0));
    for (HWND w : windows) EXPECT_FALSE(::IsWindow(w));
    // The panel let go of the ended thread: nothing reaches it any more.
    EXPECT_EQ(nullptr, t->Children());
    EXPECT_EQ(nullptr, t->ChildHandlerWindow());
}

// A menu panel (flag 0x10) points at its anchor with one of the template's
// tails: beside the anchor with the left-lower tail; gone left of an anchor
// near the right edge with the right-lower one; moved down from an anchor
// near the top with an upper one.  The chosen tail has its bitmap window on
// the children thread, where the launcher was told the panel is; the other
// tails are dropped.
TEST_F(PanelTemplate, MenuPanelPointsAtItsAnchorWithATail) {
    const RECT work = WorkArea();
    struct Case {
        const char* name;
        RECT anchor;
        int corner;
    } cases[] = {
        {"beside", {work.left + 100, work.top + 300, work.left + 140, work.top + 320}, panels::kTailLeftLower},
        {"right edge", {work.right - 60, work.top + 300, work.right - 20, work.top + 320}, panels::kTailRightLower},
        {"top", {work.left + 100, work.top + 20, work.left + 140, work.top + 40}, panels::kTailLeftUpper},
    };
    flags_ = 0x12;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        anchor_ = c.anchor;
        HoverThread* t = Start(L"Classic", loopback::Url(L"/files/templates/?template=ecp&skin=Classic"));
        ASSERT_TRUE(Running());
        ElementPanel* elements = t->Elements();
        ASSERT_NE(nullptr, elements);
        TailElement* tail = t->Tail();
        ASSERT_NE(nullptr, tail);
        for (int corner = 0; corner < 4; ++corner)
            EXPECT_EQ(corner == c.corner ? tail : nullptr, elements->tails[static_cast<size_t>(corner)].get());
        EXPECT_TRUE(t->Window()->m_HasTail);
        EXPECT_TRUE(std::find(elements->windowed.begin(), elements->windowed.end(), tail) != elements->windowed.end());
        ASSERT_NE(nullptr, t->Children());
        EXPECT_EQ(tail, t->Children()->m_pTail);

        // Its window: the tail's class, on the children thread, at the tail's
        // place beside the panel.
        panels::CChildWin* window = TailWindow(t);
        ASSERT_NE(nullptr, window);
        HWND w = window->hwnd();
        ASSERT_TRUE(::IsWindow(w));
        EXPECT_EQ(L"TailWin777", ClassOf(w));
        EXPECT_EQ(t->Children()->threadId(), ::GetWindowThreadProcessId(w, nullptr));
        RECT panel{}, rc{};
        ::GetWindowRect(t->PanelWindow(), &panel);
        ::GetWindowRect(w, &rc);
        EXPECT_EQ(panel.left + tail->windowRect.left, rc.left);
        EXPECT_EQ(panel.top + tail->windowRect.top, rc.top);
        EXPECT_EQ(28, rc.bottom - rc.top);
        const bool left = c.corner == panels::kTailLeftLower || c.corner == panels::kTailLeftUpper;
        if (left) {
            // Out of the panel's left edge, right of the anchor.
            EXPECT_LT(rc.left, panel.left);
            EXPECT_GT(rc.right, panel.left);
            EXPECT_GE(rc.left, c.anchor.right);
        } else {
            // Out of the panel's right edge, the panel left of the anchor.
            EXPECT_GT(rc.right, panel.right);
            EXPECT_LT(rc.left, panel.right);
            EXPECT_LT(panel.right, c.anchor.left + 16);
        }
        // Within the panel's height, at the anchor's height.
        EXPECT_GE(rc.top, panel.top);
        EXPECT_LE(rc.bottom, panel.bottom);
        EXPECT_GE(rc.bottom, c.anchor.top - 28);
        EXPECT_LE(rc.top, c.anchor.bottom);

        // The launcher was told of the panel with its tail.
        RECT both{};
        ::UnionRect(&both, &panel, &rc);
        const RECT created = host_.CreatedRect();
        EXPECT_TRUE(::EqualRect(&both, &created)) << created.left << "," << created.top << " " << created.right << ","
                                                  << created.bottom << " panel " << panel.left << "," << panel.top;
        ASSERT_TRUE(Close());
        EXPECT_FALSE(::IsWindow(w));
    }
}

// The tail fades in, hides and shows with the panel; 11209 hides it for good (a later show of
// the panel leaves it hidden) and tells the controller, as does the end of
// the panel.  Without flag 0x10 the panel has no tail.
TEST_F(PanelTemplate, TailFadesInAndHidesForGood) {
    const RECT work = WorkArea();
    flags_ = 0x12;
    anchor_ = RECT{work.left + 100, work.top + 300, work.left + 140, work.top + 320};
    HoverThread* t = Start(L"Classic", loopback::Url(L"/files/templates/?template=ecp&skin=Classic"));
    ASSERT_TRUE(Running());
    panels::CChildWin* window = TailWindow(t);
    ASSERT_NE(nullptr, window);
    HWND w = window->hwnd();
    EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(w) != FALSE; }, 10000));
    EXPECT_EQ(0, OpaqueTailPixels(t));  // drawn transparent until the fade
    ASSERT_TRUE(FadedIn(20, 10));
    EXPECT_TRUE(WaitFor([&] { return OpaqueTailPixels(t) > 20; }, 10000)) << OpaqueTailPixels(t);

    // Hidden and shown with the panel.
    ::PostMessageW(t->PanelWindow(), panel_msg::kHide, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindowVisible(t->PanelWindow()) && !::IsWindowVisible(w); }, 10000));
    ::PostMessageW(t->PanelWindow(), panel_msg::kShow, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(t->PanelWindow()) && ::IsWindowVisible(w); }, 10000));

    EXPECT_EQ(0u, host_.Count(controller_msg::kMenuPanelGone));
    ::PostMessageW(t->PanelWindow(), panel_msg::kHideTail, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindowVisible(w); }, 10000));
    EXPECT_TRUE(WaitFor([&] { return host_.Count(controller_msg::kMenuPanelGone) == 1; }, 10000));
    EXPECT_TRUE(t->Tail()->noShow);
    // The panel hidden and shown again (its windowed elements with it).
    ::PostMessageW(t->PanelWindow(), panel_msg::kHide, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindowVisible(t->PanelWindow()); }, 10000));
    ::PostMessageW(t->PanelWindow(), panel_msg::kShow, 0, 0);
    ASSERT_TRUE(Running());
    EXPECT_FALSE(::IsWindowVisible(w));
    // The panel with a tail ends: the controller hears of it once more.
    ASSERT_TRUE(Close());
    EXPECT_TRUE(WaitFor([&] { return host_.Count(controller_msg::kMenuPanelGone) == 2; }, 10000));

    flags_ = 0x02;
    t = Start(L"Classic", loopback::Url(L"/files/templates/?template=ecp&skin=Classic"));
    ASSERT_TRUE(Running());
    EXPECT_EQ(nullptr, t->Tail());
    EXPECT_FALSE(t->Window()->m_HasTail);
    for (const auto& tail : t->Elements()->tails) EXPECT_EQ(nullptr, tail.get());
    ASSERT_NE(nullptr, t->Children());
    EXPECT_EQ(nullptr, t->Children()->m_pTail);
    for (WindowElement* e : t->Elements()->windowed) EXPECT_EQ(nullptr, dynamic_cast<TailElement*>(e));
}

// A fade never waits on the children thread: run while that thread waits on
// the panel lock (as it does when a page focuses an input and it hides the
// tail), the fade ends and its last round's tail picture is pushed; the
// children thread then hides the tail.
TEST_F(PanelTemplate, AFadeEndsWhileTheChildrenThreadWaitsOnThePanelLock) {
    const RECT work = WorkArea();
    flags_ = 0x12;
    anchor_ = RECT{work.left + 100, work.top + 300, work.left + 140, work.top + 320};
    HoverThread* t = Start(L"Classic", loopback::Url(L"/files/templates/?template=ecp&skin=Classic"));
    ASSERT_TRUE(Running());
    panels::CChildWin* tail = TailWindow(t);
    ASSERT_NE(nullptr, tail);
    ASSERT_EQ(0, OpaqueTailPixels(t));
    auto faded = std::make_shared<std::atomic<bool>>(false);
    // On the panel thread: the panel lock held (re-entrant for the fade's
    // own rounds), the children thread set to wait on it, then the fade.
    ASSERT_TRUE(t->PostTask([t, faded] {
        fx::ScopedLock hold(t->m_PanelLock);
        fx::UniqueHandle waiting(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        panels::ChildrenThread* children = t->Children();
        HANDLE event = waiting.get();
        if (!children || !children->PostTask([children, event] {
                ::SetEvent(event);
                children->OnHideTail();  // waits on the panel lock
            }))
            return;
        // From the event on the children thread answers nothing until it
        // has the lock.
        if (::WaitForSingleObject(event, 5000) != WAIT_OBJECT_0) return;
        t->Window()->FadeIn();
        *faded = true;
    }));
    EXPECT_TRUE(WaitFor([&] { return faded->load(); }, 10000)) << "the fade waits on the children thread";
    EXPECT_TRUE(WaitFor([&] { return OpaqueTailPixels(t) > 20; }, 10000)) << OpaqueTailPixels(t);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindowVisible(tail->hwnd()); }, 10000));
    EXPECT_TRUE(t->Tail()->noShow);
}

// The dock flight: the content's picture becomes the panel's dock item, the
// window flies for the key frames' 467 ms and hides, back at its own place
// and size; 11208 brings it back out of the dock to where it was; a panel
// that closes leaves the dock.  The bar hears of each: shown and drawn for
// the docking, told when the panel takes its item out itself.
TEST_F(PanelTemplate, DockFlightIntoAndOutOfTheDock) {
    RecordingDock& bar = UseRecordingDock();
    HoverThread* t = Start(L"Classic", loopback::Url(L"/files/templates/?template=ecp&skin=Classic"));
    ASSERT_TRUE(Running());
    HWND w = t->PanelWindow();
    RECT before{};
    ::GetWindowRect(w, &before);
    t->m_Dockable = true;  // the demo's template has no dock control
    const DWORD start = ::GetTickCount();
    ::PostMessageW(w, panel_msg::kDockAnimate, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindowVisible(w); }, 10000));
    EXPECT_GE(::GetTickCount() - start, 400u);
    auto items = [&] {
        fx::ScopedLock hold(g_DockLock);
        size_t n = 0;
        for (const auto& item : dockitems::Items()) n += item->livePanel == t->Window() ? 1 : 0;
        return n;
    };
    EXPECT_TRUE(t->Window()->IsInDock());
    EXPECT_EQ(1u, items());
    ASSERT_TRUE(testsupport::RunOn(*t, [] {}, 10000));  // the flight has returned
    {
        // The hidden window, its rectangle and its buffer are the panel's
        // again, not the flight's.
        const panels::MegaWin& window = *t->Window();
        RECT now{};
        ::GetWindowRect(w, &now);
        EXPECT_TRUE(::EqualRect(&before, &now));
        EXPECT_TRUE(::EqualRect(&before, &window.m_PanelRect));
        ASSERT_NE(nullptr, window.m_pBackBuffer);
        EXPECT_EQ(before.right - before.left, window.m_pBackBuffer->width());
        EXPECT_EQ(before.bottom - before.top, window.m_pBackBuffer->height());
    }
    EXPECT_EQ((std::vector<unsigned>{dock_msg::kShowOrHide, dock_msg::kRender}), bar.Posted());
    EXPECT_TRUE(SnapshotFiles(theApp.m_TempDir).empty());
    {
        // The item's picture is the content view's snapshot: the view's
        // client area inside the content's place (its frame a few pixels).
        const LayoutRect content = t->Elements()->mainContent->windowRect;
        fx::ScopedLock hold(g_DockLock);
        for (const auto& item : dockitems::Items()) {
            if (item->livePanel != t->Window()) continue;
            ASSERT_NE(nullptr, item->image);
            EXPECT_NEAR(content.right - content.left, static_cast<int>(item->image->GetWidth()), 8);
            EXPECT_NEAR(content.bottom - content.top, static_cast<int>(item->image->GetHeight()), 8);
        }
    }
    // A second request while docked adds nothing.
    ::PostMessageW(w, panel_msg::kDockAnimate, 0, 0);
    DWORD_PTR answer = 0;
    ASSERT_TRUE(::SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer));
    EXPECT_EQ(1u, items());

    // Shown again: the docked panel flies out instead.
    ::PostMessageW(w, panel_msg::kShow, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(w) && !t->Window()->m_DockAnimation; }, 10000));
    ASSERT_TRUE(::SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer));
    RECT after{};
    ::GetWindowRect(w, &after);
    EXPECT_EQ(before.left, after.left);
    EXPECT_EQ(before.top, after.top);
    EXPECT_EQ(before.right, after.right);
    EXPECT_EQ(before.bottom, after.bottom);
    EXPECT_FALSE(t->Window()->IsInDock());
    EXPECT_EQ(0u, items());
    EXPECT_EQ(dock_msg::kItemGone, bar.Posted().back());

    // Docked again and closed: the item goes with the panel.
    ::PostMessageW(w, panel_msg::kDockAnimate, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindowVisible(w); }, 10000));
    ASSERT_TRUE(::SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer));
    EXPECT_EQ(1u, items());
    ::PostMessageW(w, panel_msg::kCloseNow, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return host_.list.GetCount() == 0 && !t->IsRunning(); }, 10000));
    const std::vector<unsigned> posted = bar.Posted();
    EXPECT_EQ(dock_msg::kItemGone, posted.back());
    EXPECT_EQ(2, std::count(posted.begin(), posted.end(), dock_msg::kItemGone));
    EXPECT_TRUE(SnapshotFiles(theApp.m_TempDir).empty());
    fx::ScopedLock hold(g_DockLock);
    for (const auto& item : dockitems::Items()) EXPECT_NE(nullptr, item->livePanel);
    EXPECT_TRUE(dockitems::Items().empty());
}

// A snapshot that does not come in time (the children thread busy past the
// bound): the panel docks with its record's banner, and the picture the
// children thread writes later does not stay in the temp directory.  With
// no banner and no product icon either the panel has nothing to dock with:
// it stays shown, outside the dock.
TEST_F(PanelTemplate, WithoutASnapshotInTimeThePanelDocksWithItsBannerOrStays) {
    struct Case {
        const char* name;
        bool banner;
    } cases[] = {{"banner", true}, {"no picture at all", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring install = coretest::ScratchDir();
        RemoveDirectoryTree(install, false);  // left by an earlier run
        if (c.banner) {
            ::CreateDirectoryW((install + L"Images").c_str(), nullptr);
            ::CreateDirectoryW((install + L"Images\\EcpBanners").c_str(), nullptr);
            Gdiplus::Bitmap banner(40, 20, PixelFormat32bppARGB);
            for (int y = 0; y < 20; ++y)
                for (int x = 0; x < 40; ++x) banner.SetPixel(x, y, Gdiplus::Color(0xFFFF00FF));
            ASSERT_TRUE(testsupport::SavePng(banner, install + L"Images\\EcpBanners\\DEMO-1.png"));
        }
        theApp.m_InstallDir = install;
        theApp.PublishSnapshot();
        HoverThread* t = Start(L"Classic", loopback::Url(L"/files/templates/?template=ecp&skin=Classic"));
        ASSERT_TRUE(Running());
        HWND w = t->PanelWindow();
        t->m_Dockable = true;
        t->m_SnapshotWaitMs = 300;
        fx::UniqueHandle release(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        HANDLE r = release.get();
        ASSERT_NE(nullptr, t->Children());
        ASSERT_TRUE(t->Children()->PostTask([r] { ::WaitForSingleObject(r, 10000); }));
        ::PostMessageW(w, panel_msg::kDockAnimate, 0, 0);
        ASSERT_TRUE(testsupport::RunOn(*t, [] {}, 10000));  // the docking has run to its end
        {
            fx::ScopedLock hold(g_DockLock);
            const DockItem* item = nullptr;
            for (const auto& i : dockitems::Items())
                if (i->livePanel == t->Window()) item = i.get();
            if (c.banner) {
                ASSERT_NE(nullptr, item);
                ASSERT_NE(nullptr, item->image);
                Gdiplus::Color colour;
                item->image->GetPixel(10, 10, &colour);
                EXPECT_EQ(0xFFFF00FFu, static_cast<uint32_t>(colour.GetValue()));
            } else {
                EXPECT_EQ(nullptr, item);
            }
        }
        EXPECT_EQ(c.banner, t->Window()->IsInDock());
        EXPECT_EQ(!c.banner, ::IsWindowVisible(w) != FALSE);
        // The children thread answers late: its picture goes.
        ::SetEvent(r);
        ASSERT_TRUE(testsupport::RunOn(*t->Children(), [] {}, 10000));
        EXPECT_TRUE(SnapshotFiles(theApp.m_TempDir).empty());
        // Docked, it comes back out; else it goes on as it was.
        ::PostMessageW(w, panel_msg::kShow, 0, 0);
        ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(w) && !t->Window()->m_DockAnimation; }, 10000));
        EXPECT_FALSE(t->Window()->IsInDock());
        ASSERT_TRUE(Close());
    }
}

// A template with a search box but without a content area: at its start the
// panel navigates to the record it was handed (11201), which its search
// control would show; a search panel would skip its first reload.
TEST_F(PanelTemplate, WithoutAContentAreaThePanelNavigatesToItsNextRecord) {
    const std::wstring key = L"BareSearch";
    ::CreateDirectoryW(panels::TemplateFolder(cacheDir_, key).c_str(), nullptr);
    testsupport::WriteAll(testsupport::Utf8(panels::TemplateFile(cacheDir_, key)),
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<window>\n"
        "  <style><zoom>100%</zoom><width>{pq_width}</width><height>{pq_height}</height></style>\n"
        "  <edges><top>0</top><left>0</left><bottom>0</bottom><right>0</right></edges>\n"
        "  <element>\n"
        "    <type>area.design</type><id>frame</id>\n"
        "    <style><position>absolute</position><left>0</left><top>0</top><width>100%</width>"
        "<height>100%</height></style>\n"
        "    <element>\n"
        "      <type>controls.search_text</type><id>search_text</id>\n"
        "      <style><position>absolute</position><left>10</left><top>10</top><width>120</width>"
        "<height>16</height></style>\n"
        "    </element>\n"
        "  </element>\n"
        "</window>\n");
    nextName_ = L"Pond life, next";
    // The cached copy is current (no version on either side): nothing is
    // downloaded from this address.
    HoverThread* t = Start(key, loopback::Url(L"/files/templates/?template=ecp&skin=BareSearch"), true);
    ASSERT_TRUE(Running());
    ElementPanel* elements = t->Elements();
    ASSERT_NE(nullptr, elements);
    EXPECT_EQ(nullptr, elements->mainContent);
    ASSERT_NE(nullptr, elements->searchElement);
    ASSERT_TRUE(WaitFor([&] { return !t->m_SkipFirstReload; }, 10000));
    DWORD_PTR answer = 0;  // the navigation has run to its end
    ASSERT_TRUE(::SendMessageTimeoutW(t->PanelWindow(), WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer));
    EXPECT_EQ(L"Pond life, next", t->m_Current.m_Name);
    Close();
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Pondrel\\BareSearch");
}

// A panel without a template to show draws its plain face at the record's
// size, whose close area in the top-right corner ends it: when no template
// loads, and when the template loads but lays out to nothing.
TEST_F(PanelTemplate, WithoutATemplateThePanelDrawsItsPlainFaceAndClosesFromIt) {
    WriteCachedTemplate(L"Empty",
                        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                        "<window><element><type>area.design</type><id>nothing</id>"
                        "<element><type>controls.dock</type><id>dock</id></element></element></window>\n");
    record_ = [](UserSetting& r) { r.m_Dockable = 1; };
    const struct {
        const char* name;
        const wchar_t* skin;
        const wchar_t* templatePath;
    } cases[] = {
        {"no template", L"Classic", L"/files/templates/missing.xml"},
        {"a template of no size", L"Empty", L"/files/templates/?template=ecp&skin=Empty"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HoverThread* t = Start(c.skin, loopback::Url(c.templatePath));
        ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(t->PanelWindow()) != FALSE; }, 10000));
        EXPECT_EQ(nullptr, t->Elements());
        EXPECT_FALSE(t->m_Dockable);  // nor does a control it cannot show make it dockable
        RECT window{};
        ::GetWindowRect(t->PanelWindow(), &window);
        EXPECT_EQ(420, window.right - window.left);
        EXPECT_EQ(360, window.bottom - window.top);
        ASSERT_TRUE(FadedIn(100, 100));
        EXPECT_EQ(0xFFF4F4F0u, t->Window()->m_pBackBuffer->Pixel(100, 100));

        // A press elsewhere moves the panel; a click on the close area ends it.
        const IntRect close = panels::PlainCloseRect(420, 360);
        const POINT middle{(close.left + close.right) / 2, (close.top + close.bottom) / 2};
        const uint32_t cross = t->Window()->m_pBackBuffer->Pixel(middle.x, middle.y);
        EXPECT_NE(0xFFF4F4F0u, cross) << std::hex << cross;  // the cross is drawn there
        const size_t hidden = host_.Count(controller_msg::kHideMenus);
        ::PostMessageW(t->PanelWindow(), WM_LBUTTONUP, 0, MAKELPARAM(middle.x, middle.y));
        ASSERT_TRUE(WaitFor([&] { return host_.list.GetCount() == 0 && !t->IsRunning(); }, 10000));
        EXPECT_TRUE(WaitFor([&] { return host_.Count(controller_msg::kHideMenus) == hidden + 1; }, 5000));
        thread_ = nullptr;
        host_.created = false;
    }
}

// 11207 hides the child windows with the panel; 11208 shows both again.
TEST_F(PanelTemplate, HideAndShowTakeTheChildWindowsAlong) {
    HoverThread* t = Start(L"Classic", loopback::Url(L"/files/templates/?template=ecp&skin=Classic"));
    ASSERT_TRUE(Running());
    const ElementPanel* elements = t->Elements();
    ASSERT_NE(nullptr, elements);
    // The child windows shown with the panel (the content's among them).
    std::vector<HWND> windows;
    ASSERT_NE(nullptr, elements->mainContent);
    auto* content = dynamic_cast<panels::CChildWin*>(elements->mainContent->LinkedWindow());
    ASSERT_NE(nullptr, content);
    ASSERT_TRUE(WaitFor([&] { return ::IsWindowVisible(content->hwnd()) != FALSE; }, 10000));
    for (WindowElement* e : elements->windowed)
        if (auto* child = dynamic_cast<panels::CChildWin*>(static_cast<ContentElement*>(e)->LinkedWindow()))
            if (::IsWindowVisible(child->hwnd())) windows.push_back(child->hwnd());
    auto allVisible = [&](bool visible) {
        for (HWND w : windows)
            if ((::IsWindowVisible(w) != FALSE) != visible) return false;
        return true;
    };
    HWND w = t->PanelWindow();
    ::PostMessageW(w, panel_msg::kHide, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return !::IsWindowVisible(w) && allVisible(false); }, 10000));
    ::PostMessageW(w, panel_msg::kShow, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return ::IsWindowVisible(w) && allVisible(true); }, 10000));
}

// The share control (11210): the record it names becomes the report's
// identifier, the content's URL its first context string, and 11137 asks
// the application to open it; without a share control nothing happens.
TEST_F(PanelTemplate, ShareOpensItsTargetWithTheContentUrl) {
    HoverThread* t = Start(L"Classic", loopback::Url(L"/files/templates/?template=ecp&skin=Classic"));
    ASSERT_TRUE(Running());
    ElementPanel* elements = t->Elements();
    ASSERT_NE(nullptr, elements);
    ASSERT_NE(nullptr, elements->mainContent);
    HWND w = t->PanelWindow();
    ASSERT_EQ(nullptr, elements->shareElement);  // the demo's template has none
    ::SendMessageW(w, panel_msg::kOpenWithToken, 0, 0);
    const std::vector<unsigned> before = host_.Messages();
    EXPECT_EQ(0, std::count(before.begin(), before.end(), controller_msg::kReportBug));

    ShareElement share;
    share.target = L"SHARED-7";
    {
        fx::ScopedLock hold(g_PanelRecordLock);
        elements->mainContent->contentUrl = L"http://panels.test/?ecpguid=DEMO-1&token=pond";
    }
    host_.UpdateReport([](panels::PanelReport& r) { r.url = L"kept"; });
    ::SendMessageW(w, WM_NULL, 0, 0);  // the panel thread sees the element from here on
    elements->shareElement = &share;
    ::SendMessageW(w, panel_msg::kOpenWithToken, 0, 0);
    elements->shareElement = nullptr;
    const panels::PanelReport report = host_.Report();
    EXPECT_EQ(L"SHARED-7", report.id);
    EXPECT_EQ(L"http://panels.test/?ecpguid=DEMO-1&token=pond", report.token);
    EXPECT_EQ(L"kept", report.url);
    EXPECT_TRUE(WaitFor(
        [&] {
            const std::vector<unsigned> m = host_.Messages();
            return std::count(m.begin(), m.end(), controller_msg::kReportBug) == 1;
        },
        5000));
}

// 11201: the next record becomes the current one; a one-visit record is
// shown (the application is asked to open it) but the panel keeps its
// record, which also stays as the back record.
TEST_F(PanelTemplate, NavigateTakesTheNextRecordButNotAOneVisitOne) {
    HoverThread* t = Start(L"Classic", loopback::Url(L"/files/templates/?template=ecp&skin=Classic"), true);
    ASSERT_TRUE(Running());
    ASSERT_NE(nullptr, t->Elements());
    ASSERT_NE(nullptr, t->Elements()->searchElement);
    HWND w = t->PanelWindow();

    // The panel thread reads the records only inside the sent messages.
    t->m_Next.m_Id = L"ONCE";
    t->m_Next.m_Transient = 1;
    ::SendMessageW(w, panel_msg::kNavigate, 1, 0);
    EXPECT_EQ(L"DEMO-1", t->m_Current.m_Id);
    EXPECT_EQ(L"DEMO-1", t->m_Back.m_Id);

    t->m_Next.m_Id = L"NEXT";
    t->m_Next.m_Transient = 0;
    ::SendMessageW(w, panel_msg::kNavigate, 1, 0);
    EXPECT_EQ(L"NEXT", t->m_Current.m_Id);
    EXPECT_EQ(L"DEMO-1", t->m_Back.m_Id);  // only a one-visit record makes a back record
}

// The launcher's 11213 puts the keyboard focus into the search box, except
// in a menu panel (flag 0x10).
TEST_F(PanelTemplate, ReadyPutsTheFocusIntoTheSearchBoxButNotInAMenuPanel) {
    for (uint32_t flags : {0x01u, 0x11u}) {
        SCOPED_TRACE(flags);
        flags_ = flags;
        HoverThread* t = Start(L"Classic", loopback::Url(L"/files/templates/?template=ecp&skin=Classic"), true);
        ASSERT_TRUE(Running());
        ASSERT_NE(nullptr, t->Elements());
        ASSERT_NE(nullptr, t->Elements()->searchElement);
        panels::ChildrenThread* children = t->Children();
        ASSERT_NE(nullptr, children);
        HWND edit = nullptr;
        {
            fx::ScopedLock hold(t->m_PanelLock);
            if (children->m_pSearchView) edit = children->m_pSearchView->EditWindow();
        }
        ASSERT_TRUE(edit);
        auto focus = [&] {
            HWND focused = nullptr;
            testsupport::RunOn(*children, [&] { focused = ::GetFocus(); });
            return focused;
        };
        ASSERT_NE(edit, focus()) << "the box has the focus before the launch is over";
        HWND w = t->PanelWindow();
        ::SendMessageW(w, panel_msg::kReady, 0, 0);
        if (flags & 0x10) {
            // Any focus request is queued before this look at the focus.
            EXPECT_NE(edit, focus());
        } else {
            EXPECT_TRUE(WaitFor([&] { return focus() == edit; }, 10000));
        }
        ::PostMessageW(w, panel_msg::kCloseNow, 0, 0);
        ASSERT_TRUE(WaitFor([&] { return host_.list.GetCount() == 0 && !t->IsRunning(); }, 10000));
        thread_ = nullptr;
        host_.created = false;
    }
}

// A record under a parent that is not searchable goes by its parent's
// identifier once the content's address was built with its own; any other
// record keeps its identifier.
TEST_F(PanelTemplate, ARecordUnderANonSearchableParentTakesItsParentsIdAfterTheContentUrl) {
    theApp.m_EcpUrl = L"http://panels.test/?type=ecp&ecpguid=";
    theApp.PublishSnapshot();
    const struct {
        bool hasParent, searchable;
        const wchar_t* id;
    } cases[] = {
        {true, false, L"PARENT-9"},
        {true, true, L"DEMO-1"},
        {false, false, L"DEMO-1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.hasParent) + std::to_string(c.searchable));
        record_ = [&](UserSetting& r) {
            r.m_Parent = L"PARENT-9";
            r.m_HasParent = c.hasParent ? 1 : 0;
            r.m_Searchable = c.searchable ? 1 : 0;
        };
        HoverThread* t = Start(L"Classic", loopback::Url(L"/files/templates/?template=ecp&skin=Classic"));
        ASSERT_TRUE(Running());
        ASSERT_NE(nullptr, t->Elements());
        ASSERT_NE(nullptr, t->Elements()->mainContent);
        EXPECT_EQ(0u, ContentUrl(t->Elements()).find(L"http://panels.test/?type=ecp&ecpguid=DEMO-1&token="));
        EXPECT_EQ(c.id, t->m_Current.m_Id);
        EndPanel();
    }
}

// The hit test sets the application's shared cursors: the sizing cursor of
// a resize handle's direction, the arrow elsewhere.  The panel thread takes
// them from the published snapshot, never from the application's members
// (changed here after publishing, to the wait cursor).
TEST_F(PanelTemplate, TheHitTestSetsTheApplicationsCursors) {
    HoverThread* t = Start(L"Classic", loopback::Url(L"/files/templates/?template=ecp&skin=Classic"));
    ASSERT_TRUE(Running());
    ElementPanel* elements = t->Elements();
    ASSERT_NE(nullptr, elements);
    ASSERT_EQ(8u, elements->resizeHandles.Count());
    const LayoutRect panel = elements->panelRect;
    // Stand-ins for the shared cursors, none of them the system's cursor of
    // that name.
    SharedGraphics& g = theApp.m_Graphics;
    const HCURSOR arrow = g.arrowCursor, nwse = g.sizeNWSECursor, nesw = g.sizeNESWCursor, ns = g.sizeNSCursor,
                  we = g.sizeWECursor;
    g.arrowCursor = ::LoadCursorW(nullptr, IDC_CROSS);
    g.sizeNWSECursor = ::LoadCursorW(nullptr, IDC_IBEAM);
    g.sizeNESWCursor = ::LoadCursorW(nullptr, IDC_HELP);
    g.sizeNSCursor = ::LoadCursorW(nullptr, IDC_NO);
    g.sizeWECursor = ::LoadCursorW(nullptr, IDC_APPSTARTING);
    theApp.PublishSnapshot();
    const struct {
        const char* where;
        POINT at;
        HCURSOR cursor;
    } cases[] = {
        {"bottom-right handle", {panel.right - 3, panel.bottom - 3}, g.sizeNWSECursor},
        {"top-right handle", {panel.right - 3, 3}, g.sizeNESWCursor},
        {"bottom edge", {panel.right / 2, panel.bottom - 3}, g.sizeNSCursor},
        {"left edge", {3, panel.bottom / 2}, g.sizeWECursor},
        {"outside the handles", {panel.right / 2, 12}, g.arrowCursor},
    };
    for (HCURSOR* member : {&g.arrowCursor, &g.sizeNWSECursor, &g.sizeNESWCursor, &g.sizeNSCursor, &g.sizeWECursor})
        *member = ::LoadCursorW(nullptr, IDC_WAIT);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.where);
        const POINT screen = OnScreen(c.at.x, c.at.y);
        ::SendMessageW(t->PanelWindow(), WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
        HCURSOR now = nullptr;
        ASSERT_TRUE(testsupport::RunOn(*t, [&] { now = ::GetCursor(); }));
        EXPECT_EQ(c.cursor, now);
    }
    g.arrowCursor = arrow;
    g.sizeNWSECursor = nwse;
    g.sizeNESWCursor = nesw;
    g.sizeNSCursor = ns;
    g.sizeWECursor = we;
    theApp.PublishSnapshot();
}

// Pressing the search control or a context-shift control drops the search
// menu down from the bottom-left of the first of them, with the search box's
// text, which also becomes the record's current URL and the application's
// search text; 11135 tells the controller which panel asks.
TEST_F(PanelTemplate, PressingTheSearchOrAContextShiftControlOffersTheSearchMenu) {
    WriteCachedTemplate(L"Shift",
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<window>\n"
        "  <style><width>{pq_width}</width><height>{pq_height}</height></style>\n"
        "  <element><type>area.design</type><id>frame</id>\n"
        "    <style><left>0</left><top>0</top><width>100%</width><height>100%</height></style>\n"
        "    <element><type>controls.search_text</type><id>text</id>\n"
        "      <style><left>10</left><top>10</top><width>120</width><height>16</height></style></element>\n"
        "    <element><type>controls.search</type><id>search</id>\n"
        "      <style><left>140</left><top>10</top><width>16</width><height>16</height></style></element>\n"
        "    <element><type>controls.context_shift</type><id>shift</id>\n"
        "      <style><left>170</left><top>10</top><width>10</width><height>16</height></style></element>\n"
        "  </element>\n"
        "</window>\n");
    HoverThread* t = Start(L"Shift", loopback::Url(L"/files/templates/?template=ecp&skin=Shift"), true);
    ASSERT_TRUE(Running());
    ElementPanel* elements = t->Elements();
    ASSERT_NE(nullptr, elements);
    ASSERT_NE(nullptr, elements->searchElement);
    ASSERT_EQ(2u, elements->contextShift.Count());
    const LayoutRect first = elements->contextShift.First()->windowRect;
    const POINT corner = OnScreen(first.left, first.bottom);
    HWND w = t->PanelWindow();
    int offers = 0;
    for (const wchar_t* id : {L"search", L"shift"}) {
        SCOPED_TRACE(testsupport::Utf8(id));
        const std::wstring text = std::wstring(L"pond text ") + id;
        {
            fx::ScopedLock hold(g_SearchTextLock);
            t->m_ChildUrl = text;
        }
        const WindowElement* control = FindElement(*elements, id);
        ASSERT_NE(nullptr, control);
        const LayoutRect r = control->windowRect;
        const size_t asked = host_.Count(controller_msg::kToggleContextPanel);
        ::SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2));
        const apptest::RecordingPanelHost::SearchMenuOffer offer = host_.Offer();
        EXPECT_EQ(++offers, offer.count);
        EXPECT_EQ(corner.x, offer.dropDown.left);
        EXPECT_EQ(corner.y, offer.dropDown.top);
        EXPECT_EQ(corner.x + 10, offer.dropDown.right);
        EXPECT_EQ(corner.y + 1, offer.dropDown.bottom);
        EXPECT_EQ(w, offer.panel);
        EXPECT_EQ(text, offer.text);
        EXPECT_EQ(text, t->m_Current.m_CurrentUrl);
        {
            fx::ScopedLock hold(g_SearchTextLock);
            EXPECT_EQ(text, theApp.m_SearchQuery);
        }
        ASSERT_TRUE(WaitFor([&] { return host_.Count(controller_msg::kToggleContextPanel) == asked + 1; }, 5000));
        EXPECT_EQ(reinterpret_cast<LPARAM>(w), host_.LastLParam(controller_msg::kToggleContextPanel));
        ::SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    }
    // A press beside the controls offers nothing.
    ::SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 200));
    EXPECT_EQ(offers, host_.Offer().count);
}

// The search control shows the record's icon, which may come from the
// server: the panel thread loads it with the panel lock free (the children
// thread waits on that lock), then puts it in place.
TEST_F(PanelTemplate, TheSearchControlsIconIsDownloadedWithThePanelLockFree) {
    const std::wstring install = cacheDir_ + L"install\\";
    ::CreateDirectoryW(install.c_str(), nullptr);
    ::CreateDirectoryW((install + L"Images").c_str(), nullptr);
    ::CreateDirectoryW((install + L"Images\\EcpIcons").c_str(), nullptr);
    record_ = [&](UserSetting& r) {
        r.m_InstallDir = install;
        r.m_IconUrl = loopback::Url(L"/slow/5000/files/Images/pondrel.png");
        r.m_Version = L"7";
    };
    HoverThread* t = Start(L"Classic", loopback::Url(L"/files/templates/?template=ecp&skin=Classic"), true);
    ASSERT_TRUE(Running());
    ASSERT_NE(nullptr, t->Elements());
    ASSERT_NE(nullptr, t->Elements()->searchControl);
    loopback::Clear();
    ::PostMessageW(t->PanelWindow(), panel_msg::kNavigate, 1, 0);
    ASSERT_TRUE(WaitFor([&] { return !ServerSawContent("/slow/5000/").empty(); }, 10000));
    // The server holds its answer for 5 s; the lock is free meanwhile.
    EXPECT_TRUE(WaitFor(
        [&] {
            if (!t->m_PanelLock.TryLock()) return false;
            t->m_PanelLock.Unlock();
            return true;
        },
        2000))
        << "the panel lock is held across the download";
    // Then the icon is in place: the downloaded picture at 16 x 16.
    EXPECT_TRUE(WaitFor(
        [&] {
            fx::ScopedLock hold(t->m_PanelLock);
            auto* icon = dynamic_cast<ECP_IconElement*>(t->Elements()->searchControl->Render());
            return icon && icon->image() && icon->image()->GetWidth() == 16u;
        },
        15000));
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW((install + L"Images\\EcpIcons\\pondrel7.png").c_str()));
}

// A record may ask for any size, and a template lay out to any size: the
// panel is held to the work area of its monitor, the window and the template
// size it was built for alike.
TEST_F(PanelTemplate, AHugeRecordSizeIsHeldToTheWorkArea) {
    record_ = [](UserSetting& r) {
        r.m_Width = 60000;
        r.m_Height = 2000000000;
    };
    HoverThread* t = Start(L"Classic", loopback::Url(L"/files/templates/?template=ecp&skin=Classic"));
    ASSERT_TRUE(Running());
    const RECT work = WorkArea();
    EXPECT_LE(t->m_TemplateWidth, work.right - work.left);
    EXPECT_LE(t->m_TemplateHeight, work.bottom - work.top);
    RECT window{};
    ::GetWindowRect(t->PanelWindow(), &window);
    EXPECT_LE(window.right - window.left, work.right - work.left);
    EXPECT_LE(window.bottom - window.top, work.bottom - work.top);
    ASSERT_NE(nullptr, t->Elements());
    const LayoutRect panel = t->Elements()->panelRect;
    EXPECT_EQ(window.right - window.left, panel.right - panel.left);
    EXPECT_EQ(window.bottom - window.top, panel.bottom - panel.top);
    // A page's resize to a size beyond it is held there too.
    ::SendMessageW(t->PanelWindow(), panel_msg::kResize, 5000, 4000);
    ::GetWindowRect(t->PanelWindow(), &window);
    EXPECT_LE(t->m_TemplateWidth, work.right - work.left);
    EXPECT_LE(window.right - window.left, work.right - work.left);
    EXPECT_LE(window.bottom - window.top, work.bottom - work.top);
    // Nor does it cover its monitor whole (here the work area is all of it):
    // it would count as a full-screen program, and each hide of it would
    // wait for a window manager.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ASSERT_TRUE(::GetMonitorInfoW(::MonitorFromWindow(t->PanelWindow(), MONITOR_DEFAULTTONEAREST), &monitor));
    const RECT& m = monitor.rcMonitor;
    EXPECT_FALSE(window.left <= m.left && window.top <= m.top && window.right >= m.right && window.bottom >= m.bottom)
        << window.right - window.left << " x " << window.bottom - window.top;
}

}  // namespace
