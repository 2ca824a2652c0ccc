// A real panel under Wine drawing the demo's Classic window template, which
// the loopback server serves from demo/: the panel thread loads it through
// the template cache, builds the element tree, sizes its window to the laid
// out template and, faded in, its back buffer shows the template's pictures
// at the elements' rectangles.  Resizing by message and by dragging a handle
// rebuilds the template at the new size; a huge record is held to the work
// area; a panel without a template to show keeps its plain face.
#include "app/panels/thread/tests/PanelTemplateFixture.h"

namespace panel_template_test {
namespace {

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
}  // namespace panel_template_test
