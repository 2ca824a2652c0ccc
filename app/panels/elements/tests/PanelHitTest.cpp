// A built panel's hit test: the controls, move areas, handles and windowed
// elements under a point, the child windows raised, the navigation buttons'
// state.
#include "app/panels/elements/tests/BuiltTree.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <string>
#include <vector>

using namespace elements_test;
using templates::TemplateSize;

namespace {

LayoutRect RectOf(const ElementPanel& panel, const char* id) { return Find(panel, id)->windowRect; }

// The middle of an element, inset so that a neighbour's edge is not hit.
std::pair<int, int> Middle(const LayoutRect& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

TEST(PanelHit, ControlsMoveAreasHandlesAndWindowedElementsUnderAPoint) {
  Built b("tree.xml");
  RecordingLock lock;
  b.panel.lock = &lock;
  b.Build(AllOn(), {300, 200});
  const LayoutRect panelRect = b.panel.LayoutPanel();
  b.panel.CreateResizeHandles(panelRect);
  const int w = panelRect.right, h = panelRect.bottom;

  struct Case {
    const char* what;
    std::pair<int, int> at;
    PanelControl control;
    const char* element;  // the control's element id, "" none
    bool move;
    int direction;
    int windowed;
  };
  // -1: not checked (the fixture's controls near the right and bottom edges
  // also lie on the 23-pixel resize handles, and the search area on the ad).
  const std::vector<Case> cases = {
      // Controls on the move bar: the control wins, the move area is still seen.
      {"close", Middle(RectOf(b.panel, "close")), PanelControl::kClose, "close", true, -1, false},
      {"share", Middle(RectOf(b.panel, "share")), PanelControl::kShare, "share", true, 0, false},
      {"dock", Middle(RectOf(b.panel, "dock")), PanelControl::kDock, "dock", true, 0, false},
      {"next", Middle(RectOf(b.panel, "next")), PanelControl::kNextBack, "next", true, 0, false},
      {"back", Middle(RectOf(b.panel, "back")), PanelControl::kNextBack, "back", true, 0, false},
      {"open", Middle(RectOf(b.panel, "open")), PanelControl::kOpenInBrowser, "open", true, 0, false},
      // A control over a resize handle is still that control.
      {"submit", Middle(RectOf(b.panel, "submitty")), PanelControl::kSearchSubmit, "submitty", false, 6, -1},
      {"search control", Middle(RectOf(b.panel, "pq_ecp_current")), PanelControl::kContextShift, "pq_ecp_current",
       false, 6, -1},
      {"shift", Middle(RectOf(b.panel, "shift")), PanelControl::kContextShift, "shift", false, 6, -1},
      // A resize handle is a control with its direction.
      {"top-left handle", {1, 1}, PanelControl::kResize, "", true, 1, false},
      {"right edge", {w - 2, h / 2}, PanelControl::kResize, "", false, 4, -1},
      {"bottom-right", {w - 2, h - 2}, PanelControl::kResize, "", false, 5, -1},
      // The move bar alone, the content's child window.
      {"move bar", {150, 12}, PanelControl::kNone, "", true, 0, false},
      {"content", Middle(RectOf(b.panel, "content")), PanelControl::kNone, "", false, 0, true},
      {"outside", {w + 5, h + 5}, PanelControl::kNone, "", false, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const PanelHit hit = b.panel.HitTest(c.at.first, c.at.second);
    EXPECT_EQ(static_cast<int>(c.control), static_cast<int>(hit.control));
    if (*c.element != 0) {
      ASSERT_NE(nullptr, hit.element);
      EXPECT_EQ(c.element, Utf8(hit.element->id));
    }
    EXPECT_EQ(c.move, hit.overMoveArea);
    if (c.direction >= 0) {
      EXPECT_EQ(c.direction, hit.resizeDirection);
    }
    if (c.windowed >= 0) {
      EXPECT_EQ(c.windowed != 0, hit.overWindowed);
    }
  }
  EXPECT_EQ(0, lock.depth);
  EXPECT_GE(lock.taken, 1);
}

TEST(PanelHit, ChildWindowsAreRaisedWhenOutOfOrderOrForcedAndOnlyWhenShown) {
  Built b("tree.xml");
  FakePanelWindow window;
  b.panel.window = &window;
  b.Build(AllOn(), {300, 200});
  b.panel.LayoutPanel();
  std::vector<std::unique_ptr<FakeChildWindow>> children;
  for (WindowElement* e : b.panel.windowed) {
    children.push_back(std::make_unique<FakeChildWindow>());
    ASSERT_TRUE(e->CreateChildWindow(window, *children.back()));
  }
  ASSERT_EQ(3u, children.size());
  FakeChildWindow& first = *children[0];
  auto clear = [&] {
    for (auto& c : children) c->calls.clear();
  };
  struct Case {
    bool shown, rightAbove, force, moved;
  };
  const std::vector<Case> cases = {
      {false, false, true, false},  // a hidden first window: nothing
      {true, true, false, false},   // in order: nothing
      {true, false, false, true},   // another window came between
      {true, true, true, true},     // a drag or a fresh show
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.shown) + std::to_string(c.rightAbove) + std::to_string(c.force));
    first.shown = c.shown;
    first.rightAbove = c.rightAbove;
    clear();
    EXPECT_EQ(c.moved, b.panel.RaiseChildWindows(400, 300, c.force));
    for (size_t i = 0; i < children.size(); ++i) {
      const LayoutRect r = b.panel.windowed.At(i)->windowRect;
      const std::vector<std::string> expected =
          c.moved ? std::vector<std::string>{"above " + std::to_string(r.left + 400) + "," + std::to_string(r.top + 300)}
                  : std::vector<std::string>{};
      EXPECT_EQ(expected, children[i]->calls) << i;
    }
  }
}

TEST(PanelHit, NavButtonStateMarksTheFirstControlOfItsDirection) {
  Built b("tree.xml");
  b.Build(AllOn(), {300, 200});
  ElementPanel& p = b.panel;
  // next and back draw boxes only once given a colour: give them drawings.
  for (WindowElement* e : p.navigate) SetRenderElement(*e, std::make_unique<FakeRender>("nav"));
  RenderElement* next = Find(p, "next")->Render();
  RenderElement* back = Find(p, "back")->Render();
  EXPECT_TRUE(p.SetNavButtonState(false, true));
  EXPECT_EQ(1, next->state);
  EXPECT_EQ(0, back->state);
  EXPECT_TRUE(p.SetNavButtonState(false, false));
  EXPECT_EQ(1, back->state);
  EXPECT_TRUE(p.SetNavButtonState(true, true));
  EXPECT_EQ(0, next->state);
  EXPECT_EQ(1, back->state);

  Built none("layout.xml");
  none.Build(AllOn(), {300, 200});
  EXPECT_FALSE(none.panel.SetNavButtonState(false, true));
}

}  // namespace
