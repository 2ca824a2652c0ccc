// A real panel's controls under Wine: the close and share controls, the
// cursors of the hit test, and the search and context-shift controls that
// offer the search menu, with the search control's icon from the server.
#include "app/panels/thread/tests/PanelTemplateFixture.h"

namespace panel_template_test {
namespace {

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

}  // namespace
}  // namespace panel_template_test
