// The element tree's Win32 seams under Wine: fixtures read through XmlConfig
// build the same trees as the test reader; a content element drives a real
// layered child window; the clip path and the white fill over a back buffer.
#include "Fakes.h"
#include "FixtureDocument.h"
#include "GdiplusTestEnv.h"
#include "TestSupport.h"

#include "app/panels/elements/Win32Elements.h"
#include "fx/BackBuffer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace elements_test;

namespace {

PanelRecord AllOn() {
  PanelRecord r;
  r.flags.showAds = r.flags.showSearch = r.flags.resizable = r.flags.dockable = r.flags.shareable = true;
  r.name = L"Pond";
  return r;
}

std::vector<std::string> Describe(ElementPanel& panel) {
  std::vector<std::string> out;
  for (WindowElement* e : panel.all) {
    out.push_back(std::string(e->ClassName()) + " " + Utf8(e->id) + " " + Str(e->windowRect) + " " +
                  Str(e->innerWindowRect) + " " + KindOf(*e));
  }
  return out;
}

TEST(XmlTemplateDocument, BuildsTheSameTreesAsTheFixtureReader) {
  struct Case {
    const char* fixture;
    templates::TemplateSize size;
    double zoom;
  };
  const std::vector<Case> cases = {
      {"tree.xml", {300, 200}, 1.0}, {"layout.xml", {300, 200}, 1.5}, {"padding.xml", {200, 100}, 2.0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fixture);
    XmlConfig config(testsupport::WinPath(std::string(ELEMENTS_FIXTURES) + "/" + c.fixture).c_str());
    ASSERT_TRUE(config.IsLoaded()) << Utf8(config.LoadDiagnostic());
    XmlTemplateDocument xml(config);
    FixtureDocument plain(ReadFixture(c.fixture));
    FakeFactory factory;
    ElementPanel a, b;
    a.zoom = b.zoom = c.zoom;
    a.BuildElements(xml, AllOn(), c.size, factory);
    b.BuildElements(plain, AllOn(), c.size, factory);
    a.LayoutPanel();
    b.LayoutPanel();
    EXPECT_GE(a.all.Count(), 3u);
    EXPECT_EQ(Describe(b), Describe(a));
    EXPECT_EQ(b.panelRect, a.panelRect);
  }
}

TEST(XmlTemplateDocument, PanelRecordFromTheSettingsRecord) {
  UserSetting s;
  s.m_ShowAds = 1;
  s.m_Dockable = 1;
  s.m_Action = L"false";
  s.m_Name = L"Weather";
  s.m_QueryText = L"q";
  s.m_SearchPanel = 1;
  const PanelRecord r = PanelRecordFrom(s, L"http://ads/");
  EXPECT_TRUE(r.flags.showAds);
  EXPECT_TRUE(r.flags.dockable);
  EXPECT_FALSE(r.flags.showSearch || r.flags.resizable || r.flags.shareable);
  EXPECT_EQ(L"false", r.flags.actionUrl);
  EXPECT_TRUE(r.searchPanel);
  EXPECT_EQ(L"Weather", r.name);
  EXPECT_EQ(L"q", r.queryText);
  EXPECT_EQ(L"http://ads/", r.adsUrl);
}

// A top-level window of a registered class at a known place.
struct TestWindows {
  TestWindows() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"BackWin777";
    ::RegisterClassW(&wc);
    panel = ::CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, L"BackWin777", L"", WS_POPUP, 200, 150, 400, 300,
                              nullptr, nullptr, nullptr, nullptr);
  }
  ~TestWindows() {
    if (panel != nullptr) ::DestroyWindow(panel);
  }
  HWND panel = nullptr;
};

RECT ScreenRect(HWND hwnd) {
  RECT r{};
  ::GetWindowRect(hwnd, &r);
  return r;
}

TEST(LayeredChildWindow, ContentElementDrivesARealChildWindow) {
  TestWindows windows;
  ASSERT_NE(nullptr, windows.panel);
  HwndPanelWindow panel(windows.panel);
  fx::CriticalSection cs;
  CriticalSectionPanelLock lock(cs);
  ECPElement e;
  e.panelLock = &lock;
  // Larger than a framed window's least size.
  e.SetWindowRects({10, 20, 210, 220}, {12, 22, 200, 210}, 0, 0);
  LayeredChildWindow child;
  ASSERT_TRUE(e.CreateChildWindow(panel, child));
  ASSERT_TRUE(child.HasHandle());
  HWND hwnd = child.hwnd();

  RECT r = ScreenRect(hwnd);
  EXPECT_EQ(210, r.left);
  EXPECT_EQ(170, r.top);
  EXPECT_EQ(409, r.right);
  EXPECT_EQ(370, r.bottom);
  EXPECT_NE(0, ::GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED);

  e.Show();
  EXPECT_TRUE(::IsWindowVisible(hwnd));
  e.SetAlpha(77);
  BYTE alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(::GetLayeredWindowAttributes(hwnd, nullptr, &alpha, &flags));
  EXPECT_EQ(77, alpha);
  EXPECT_EQ(static_cast<DWORD>(LWA_ALPHA), flags & LWA_ALPHA);

  e.MoveWindowBy(500, 400);
  r = ScreenRect(hwnd);
  EXPECT_EQ(510, r.left);
  EXPECT_EQ(420, r.top);
  EXPECT_EQ(199, r.right - r.left);

  e.Hide();
  EXPECT_FALSE(::IsWindowVisible(hwnd));

  e.DestroyChildWindow();
  EXPECT_FALSE(::IsWindow(hwnd));
  EXPECT_EQ(nullptr, e.LinkedWindow());
  e.Show();  // finds no window
}

TEST(ElementListGdiplus, DrawAllSkipsElementsWithoutPictureAndTheDockControlWithoutTheDockBar) {
  ElementList list;
  CloseElement a;
  DockElement dock;
  GripperElement noRender;
  a.SetWindowRects({0, 0, 10, 10}, {1, 1, 9, 9}, 0, 0);
  dock.SetWindowRects({5, 5, 20, 20}, {5, 5, 20, 20}, 0, 0);
  a.zoomedWidth = 10.9;
  a.zoomedHeight = 10;
  dock.zoomedWidth = dock.zoomedHeight = 15;
  std::vector<std::string> draws;
  SetRenderElement(a, std::make_unique<FakeRender>("a", &draws));
  SetRenderElement(dock, std::make_unique<FakeRender>("dock", &draws));
  list.Add(&a);
  list.Add(&dock);
  list.Add(&noRender);

  auto buffer = fx::BackBuffer::Create(32, 32);
  ASSERT_NE(nullptr, buffer);
  Gdiplus::Graphics g(buffer->bitmap());
  list.DrawAll(g, 0.5f, true);
  EXPECT_EQ((std::vector<std::string>{"a 1,1,9,9 10x10 50", "dock 5,5,20,20 15x15 50"}), draws);
  draws.clear();
  list.DrawAll(g, 1.0f, false);
  EXPECT_EQ((std::vector<std::string>{"a 1,1,9,9 10x10 100"}), draws);
}

TEST(ElementListGdiplus, ClipPathAndWhiteFill) {
  ElementList list;
  CloseElement a;
  ECPElement b;
  a.SetWindowRects({2, 2, 6, 6}, {2, 2, 6, 6}, 0, 0);
  b.SetWindowRects({10, 0, 14, 4}, {10, 0, 14, 4}, 0, 0);
  b.inClipPath = false;
  list.Add(&a);
  list.Add(&b);

  Gdiplus::GraphicsPath path;
  list.AddToPath(path);
  EXPECT_EQ(4, path.GetPointCount());  // one rectangle

  auto buffer = fx::BackBuffer::Create(16, 8);
  ASSERT_NE(nullptr, buffer);
  Gdiplus::Graphics g(buffer->bitmap());
  list.FillRects(g);
  g.Flush(Gdiplus::FlushIntentionSync);
  EXPECT_EQ(0xFFFFFFFFu, buffer->Pixel(3, 3));
  EXPECT_EQ(0xFFFFFFFFu, buffer->Pixel(11, 1));
  EXPECT_EQ(0u, buffer->Pixel(8, 3));
  EXPECT_EQ(0u, buffer->Pixel(6, 6));
}

}  // namespace
