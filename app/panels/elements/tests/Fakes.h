// Recording stand-ins for the element tree's seams: child and panel windows,
// the panel lock, drawing objects and their factory.
#pragma once

#include "app/panels/elements/ElementPanel.h"
#include "tests/support/Utf8.h"

#include <cstdio>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace templates {
inline std::ostream& operator<<(std::ostream& os, const LayoutRect& r) {
  return os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}
}  // namespace templates

namespace elements_test {

using templates::LayoutRect;

inline std::string Str(const LayoutRect& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}

// Panel client coordinates sit at (1000, 500) on the screen.
class FakePanelWindow : public PanelWindow {
 public:
  LayoutRect ClientToScreen(const LayoutRect& r) const override {
    return {r.left + 1000, r.top + 500, r.right + 1000, r.bottom + 500};
  }
};

// Every call as one line in calls.
class FakeChildWindow : public ChildWindow {
 public:
  std::vector<std::string> calls;
  bool createSucceeds = true;
  bool handle = false;
  LayoutRect stored;

  bool Create(const wchar_t* windowClass, const LayoutRect& screen) override {
    calls.push_back("create " + std::string(windowClass, windowClass + std::wstring(windowClass).size()) + " " +
                    Str(screen));
    handle = createSucceeds;
    return createSucceeds;
  }
  bool HasHandle() const override { return handle; }
  void Destroy() override {
    calls.push_back("destroy");
    handle = false;
  }
  void SetStoredRect(const LayoutRect& r) override { stored = r; }
  LayoutRect StoredRect() const override { return stored; }
  void Move(const LayoutRect& screen, bool repaint) override {
    calls.push_back("move " + Str(screen) + (repaint ? " repaint" : ""));
  }
  void MoveAbovePanel(const PanelWindow&, int x, int y) override {
    calls.push_back("above " + std::to_string(x) + "," + std::to_string(y));
  }
  // The child's client area starts at its screen rectangle's corner.
  LayoutRect ScreenToClient(const LayoutRect& r) const override {
    return {r.left - stored.left, r.top - stored.top, r.right - stored.left, r.bottom - stored.top};
  }
  void Show(bool show) override {
    calls.push_back(show ? "show" : "hide");
    shown = show;
  }
  bool IsShown() const override { return shown; }
  bool IsRightAbove(const PanelWindow&) const override { return rightAbove; }
  bool shown = false;
  bool rightAbove = true;
  void SetAlpha(int alpha) override { calls.push_back("alpha " + std::to_string(alpha)); }
  void RedrawBitmap(float opacity, bool rebuild) override {
    calls.push_back("redraw " + std::to_string(static_cast<int>(opacity * 1000)) + (rebuild ? " rebuild" : ""));
  }
  void PushBitmap(float opacity) override { calls.push_back("push " + std::to_string(static_cast<int>(opacity * 1000))); }
};

class RecordingLock : public PanelLock {
 public:
  int depth = 0;
  int taken = 0;
  void Lock() override {
    ++depth;
    ++taken;
  }
  void Unlock() override { --depth; }
};

// A drawing object that names what it is and records its draws.
class FakeRender : public RenderElement {
 public:
  explicit FakeRender(std::string k, std::vector<std::string>* log = nullptr) : kind(std::move(k)), draws(log) {}
  void Draw(Gdiplus::Graphics&, const RECT& rect, int width, int height, float opacity) override {
    if (draws != nullptr) {
      draws->push_back(kind + " " + Str({rect.left, rect.top, rect.right, rect.bottom}) + " " + std::to_string(width) + "x" + std::to_string(height) + " " +
                       std::to_string(static_cast<int>(opacity * 100)));
    }
  }
  std::string kind;
  std::vector<std::string>* draws;
};

using testsupport::Utf8;

// Bitmaps for every reference but those naming "missing".
class FakeFactory : public RenderFactory {
 public:
  std::unique_ptr<RenderElement> Bitmap(const WindowElement&,
                                                  const templates::ElementStyle& style) override {
    if (style.background.image.find(L"missing") != std::wstring::npos) return nullptr;
    return std::make_unique<FakeRender>("bitmap " + Utf8(style.background.image));
  }
  std::unique_ptr<RenderElement> Icon(const WindowElement&,
                                                const templates::ElementStyle&) override {
    return std::make_unique<FakeRender>("icon");
  }
  std::unique_ptr<RenderElement> Box(uint32_t colour) override {
    char buf[32];
    std::snprintf(buf, sizeof buf, "box %08X", static_cast<unsigned>(colour));
    return std::make_unique<FakeRender>(buf);
  }
  std::unique_ptr<RenderElement> Text(const std::wstring& text, uint32_t) override {
    return std::make_unique<FakeRender>("text " + Utf8(text));
  }
};

// No drawing objects at all: the tree's elements and layout alone.
class NoPictures : public RenderFactory {
 public:
  std::unique_ptr<RenderElement> Bitmap(const WindowElement&, const templates::ElementStyle&) override {
    return nullptr;
  }
  std::unique_ptr<RenderElement> Icon(const WindowElement&, const templates::ElementStyle&) override {
    return nullptr;
  }
  std::unique_ptr<RenderElement> Box(uint32_t) override { return nullptr; }
  std::unique_ptr<RenderElement> Text(const std::wstring&, uint32_t) override { return nullptr; }
};

inline std::string KindOf(const WindowElement& e) {
  auto* r = dynamic_cast<FakeRender*>(e.Render());
  return r != nullptr ? r->kind : std::string();
}

}  // namespace elements_test
