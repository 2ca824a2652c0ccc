// The element classes' window operations over a recording child window, and
// the element list's walks.
#include "Fakes.h"

#include "app/panels/elements/ElementList.h"
#include "app/panels/elements/WindowElement.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace elements_test;
using Calls = std::vector<std::string>;

namespace {

void Place(WindowElement& e, LayoutRect outer, LayoutRect inner) {
  e.SetWindowRects(outer, inner, 0, 0);
}

TEST(ContentElement, CreatesItsChildWindowOfItsClassAtTheScreenRectangleLessOnePixel) {
  struct Case {
    const char* name;
    std::function<std::unique_ptr<ContentElement>()> make;
    Calls expected;
    bool inClipPath;
  };
  const std::vector<Case> cases = {
      {"content", [] { return std::make_unique<ECPElement>(); },
       {"create BackWin777 1010,520,1109,580", "move 1010,520,1109,580 repaint"}, true},
      {"menu content", [] { return std::make_unique<ECPMenuElement>(); },
       {"create PondMenu 1010,520,1109,580", "move 1010,520,1109,580 repaint"}, true},
      {"search", [] { return std::make_unique<SearchElement>(); },
       {"create BackWin777 1010,520,1109,580", "move 1010,520,1109,580 repaint"}, true},
      {"ad", [] { return std::make_unique<AdElement>(); },
       {"create BackWin777 1010,520,1109,580", "move 1010,520,1109,580 repaint"}, true},
      // The tail draws its picture twice at opacity 0 and leaves the clip path.
      {"tail", [] { return std::make_unique<TailElement>(); },
       {"create TailWin777 1010,520,1109,580", "move 1010,520,1109,580 repaint", "redraw 0 rebuild", "redraw 0"},
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<ContentElement> e = c.make();
    Place(*e, {10, 20, 110, 80}, {12, 22, 100, 70});
    FakePanelWindow panel;
    FakeChildWindow child;
    RecordingLock lock;
    e->panelLock = &lock;
    ASSERT_TRUE(e->CreateChildWindow(panel, child));
    EXPECT_EQ(c.expected, child.calls);
    EXPECT_EQ((LayoutRect{10, 20, 109, 80}), e->windowRect);
    EXPECT_EQ((LayoutRect{12, 22, 99, 70}), e->innerWindowRect);
    EXPECT_EQ(&child, e->LinkedWindow());
    EXPECT_EQ(&panel, e->ParentWindow());
    EXPECT_EQ(c.inClipPath, e->inClipPath);
    EXPECT_GE(lock.taken, 1);
    EXPECT_EQ(0, lock.depth);
  }
}

TEST(ContentElement, WindowOperationsActOnTheLinkedWindow) {
  ECPElement e;
  Place(e, {10, 20, 110, 80}, {10, 20, 110, 80});
  FakePanelWindow panel;
  FakeChildWindow child;
  ASSERT_TRUE(e.CreateChildWindow(panel, child));
  child.calls.clear();

  e.Show();
  e.Hide();
  e.SetAlpha(128);
  e.MoveWindowBy(300, 40);
  e.ResizeWindow();
  EXPECT_EQ((Calls{"show", "hide", "alpha 128", "above 310,60", "move 1010,520,1108,580 repaint"}), child.calls);
  EXPECT_EQ((LayoutRect{1010, 520, 1108, 580}), child.StoredRect());

  // noShow keeps it hidden.
  child.calls.clear();
  e.noShow = true;
  e.Show();
  EXPECT_TRUE(child.calls.empty());
}

// Pushed where the window stands: the fades call it under the panel lock.
TEST(ContentElement, TailPushesItsBitmapAtTheAlphaAsOpacity) {
  TailElement tail;
  FakePanelWindow panel;
  FakeChildWindow child;
  ASSERT_TRUE(tail.CreateChildWindow(panel, child));
  child.calls.clear();
  tail.SetAlpha(51);
  EXPECT_EQ((Calls{"push 200"}), child.calls);
}

// The children thread refits the window after a resize while the panel
// thread reads the rectangles and the window's stored size under the panel
// lock: they change under it, and the window moves (which waits on the
// window's own handlers) with the lock free.
TEST(ContentElement, ResizeWindowChangesTheRectanglesUnderThePanelLockAndMovesWithoutIt) {
  class LockWatchingWindow : public FakeChildWindow {
   public:
    explicit LockWatchingWindow(const RecordingLock& held) : lock(held) {}
    void SetStoredRect(const LayoutRect& r) override {
      FakeChildWindow::SetStoredRect(r);
      calls.push_back("stored under " + std::to_string(lock.depth));
    }
    void Move(const LayoutRect& screen, bool repaint) override {
      FakeChildWindow::Move(screen, repaint);
      calls.push_back("moved under " + std::to_string(lock.depth));
    }
    const RecordingLock& lock;
  };
  ECPElement e;
  Place(e, {10, 20, 110, 80}, {12, 22, 100, 70});
  FakePanelWindow panel;
  RecordingLock lock;
  e.panelLock = &lock;
  LockWatchingWindow child(lock);
  ASSERT_TRUE(e.CreateChildWindow(panel, child));
  child.calls.clear();
  const int takenBefore = lock.taken;
  e.ResizeWindow();
  EXPECT_EQ((Calls{"stored under 1", "move 1010,520,1108,580 repaint", "moved under 0"}), child.calls);
  EXPECT_GT(lock.taken, takenBefore);
  EXPECT_EQ((LayoutRect{10, 20, 108, 80}), e.windowRect);
  EXPECT_EQ((LayoutRect{12, 22, 98, 70}), e.innerWindowRect);
}

TEST(ContentElement, NothingHappensWithoutAWindow) {
  FakePanelWindow panel;
  // Never created.
  ECPElement none;
  none.Show();
  none.Hide();
  none.SetAlpha(1);
  none.MoveWindowBy(1, 1);
  none.ResizeWindow();
  none.DestroyChildWindow();
  EXPECT_EQ(nullptr, none.LinkedWindow());

  // Creation failed: nothing stays linked.
  ECPElement failed;
  FakeChildWindow child;
  child.createSucceeds = false;
  EXPECT_FALSE(failed.CreateChildWindow(panel, child));
  EXPECT_EQ(nullptr, failed.LinkedWindow());
  child.calls.clear();
  failed.Show();
  failed.SetAlpha(3);
  EXPECT_TRUE(child.calls.empty());

  // Plain elements have no window operations.
  CloseElement plain;
  FakeChildWindow unused;
  EXPECT_FALSE(plain.CreateChildWindow(panel, unused));
  plain.Show();
  plain.MoveWindowBy(2, 2);
  EXPECT_TRUE(unused.calls.empty());
}

TEST(ContentElement, DestroyChildWindowUnlinksUnderThePanelLockSoLaterOperationsFindNoWindow) {
  ECPElement e;
  FakePanelWindow panel;
  FakeChildWindow child;
  RecordingLock lock;
  e.panelLock = &lock;
  ASSERT_TRUE(e.CreateChildWindow(panel, child));
  const int takenBefore = lock.taken;
  child.calls.clear();

  e.DestroyChildWindow();
  EXPECT_EQ((Calls{"destroy"}), child.calls);
  EXPECT_EQ(nullptr, e.LinkedWindow());
  EXPECT_GT(lock.taken, takenBefore);
  EXPECT_EQ(0, lock.depth);

  // The window object may be gone now: nothing reaches it, not even a
  // window whose handle came back.
  child.handle = true;
  child.calls.clear();
  e.Show();
  e.Hide();
  e.SetAlpha(10);
  e.MoveWindowBy(1, 1);
  e.ResizeWindow();
  e.DestroyChildWindow();
  EXPECT_TRUE(child.calls.empty());
}

TEST(WindowElement, RenderElementIsReplacedAndPointsBack) {
  struct Counted : FakeRender {
    explicit Counted(int* gone) : FakeRender("counted"), gone_(gone) {}
    ~Counted() override { ++*gone_; }
    int* gone_;
  };
  int gone = 0;
  CloseElement e;
  SetRenderElement(e, std::make_unique<Counted>(&gone));
  EXPECT_EQ(&e, e.Render()->owner);
  SetRenderElement(e, std::make_unique<FakeRender>("box"));
  EXPECT_EQ(1, gone);
  EXPECT_EQ("box", KindOf(e));
  EXPECT_EQ(&e, e.Render()->owner);
}

TEST(WindowElement, PlaceUnzoomedUsesTheUnzoomedSize) {
  TailElement tail;
  tail.width = 20.7;
  tail.height = 30.2;
  tail.zoom = 2.0;
  PlaceUnzoomed(tail, -30, 40);
  EXPECT_EQ((LayoutRect{-30, 40, -10, 70}), tail.layoutRect);
  EXPECT_EQ(tail.layoutRect, tail.innerRect);
  EXPECT_EQ(tail.layoutRect, tail.windowRect);
  EXPECT_EQ(tail.layoutRect, tail.innerWindowRect);
  EXPECT_DOUBLE_EQ(20.7, tail.zoomedWidth);
}

TEST(ElementList, WalksHitTestsHidesMovesAndClips) {
  ElementList list;
  CloseElement a;
  DockElement dock;
  GripperElement noRender;
  ECPElement content;
  Place(a, {0, 0, 10, 10}, {1, 1, 9, 9});
  Place(dock, {5, 5, 20, 20}, {5, 5, 20, 20});
  Place(noRender, {0, 0, 100, 100}, {0, 0, 100, 100});
  Place(content, {30, 30, 60, 60}, {30, 30, 60, 60});
  content.inClipPath = false;
  list.Add(&a);
  list.Add(&dock);
  list.Add(&noRender);
  list.Add(&content);

  // Hit test: the first element holding the point; right and bottom edges are outside.
  EXPECT_EQ(&a, list.HitTest(5, 5));
  EXPECT_EQ(&dock, list.HitTest(10, 10));
  EXPECT_EQ(&noRender, list.HitTest(25, 25));
  EXPECT_EQ(nullptr, list.HitTest(100, 50));

  EXPECT_EQ((std::vector<LayoutRect>{{0, 0, 10, 10}, {5, 5, 20, 20}, {0, 0, 100, 100}}), list.ClipRects());

  // Hide, move and show reach the windowed element's window.
  FakePanelWindow panel;
  FakeChildWindow child;
  ASSERT_TRUE(content.CreateChildWindow(panel, child));
  child.calls.clear();
  list.HideAll();
  list.MoveAll(7, 8);
  list.ShowAll();
  EXPECT_EQ((Calls{"hide", "above 37,38", "show"}), child.calls);
}

TEST(ElementList, LayoutAllLinksSiblingsAndOnlyTheOwningListDeletes) {
  int gone = 0;
  struct Counted : AreaDesignElement {
    explicit Counted(int* g) : gone_(g) {}
    ~Counted() override { ++*gone_; }
    int* gone_;
  };
  {
    ElementList owning(true);
    ElementList pointing;
    for (int i = 0; i < 3; ++i) {
      auto* e = new Counted(&gone);
      e->width = 10;
      e->height = 10;
      e->display = templates::kDisplayNone;
      owning.Add(e);
      pointing.Add(e);
    }
    AreaDesignElement parent;
    parent.layoutRect = {0, 0, 100, 100};
    templates::ContentBounds bounds;
    owning.LayoutAll(parent, 1.0, bounds);
    EXPECT_EQ(nullptr, owning.At(0)->previousSibling);
    EXPECT_EQ(owning.At(0), owning.At(1)->previousSibling);
    EXPECT_EQ(owning.At(1), owning.At(2)->previousSibling);
    // Display none stacks each below the one before.
    EXPECT_EQ((LayoutRect{0, 20, 10, 30}), owning.At(2)->layoutRect);
  }
  EXPECT_EQ(3, gone);
}

}  // namespace
