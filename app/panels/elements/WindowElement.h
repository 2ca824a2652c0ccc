// The element classes of a content panel: a plain element with its style
// values and rectangles (layout is LayoutNode's), the control and design
// areas, and the windowed elements that own a layered child window (content,
// menu content, search, ad, bitmap window, tail).  A windowed element's
// operations act on the child window linked to it; they do nothing while none
// is linked.  The views inside the child windows come with the web views.
#pragma once

#include "app/core/common/WindowClasses.h"
#include "app/panels/elements/ChildWindow.h"
#include "app/panels/elements/RenderElement.h"
#include "app/panels/templates/ElementLayout.h"
#include "app/panels/templates/TemplateValues.h"

#include <cstdint>
#include <memory>
#include <string>

class ElementPanel;

class WindowElement : public templates::LayoutNode {
 public:
  WindowElement() = default;
  ~WindowElement() override;
  WindowElement(const WindowElement&) = delete;
  WindowElement& operator=(const WindowElement&) = delete;

  // The run-time class name.
  virtual const char* ClassName() const { return "WindowElement"; }
  // Owns a child window (the windowed list holds it).
  virtual bool IsWindowed() const { return false; }

  // Window operations: nothing for a plain element.
  virtual void MoveWindowBy(int /*dx*/, int /*dy*/) {}
  void OffsetWindowRects(int dx, int dy);
  virtual void Show() {}
  virtual void Hide() {}
  virtual void ResizeWindow() {}
  virtual bool CreateChildWindow(PanelWindow& /*panel*/, ChildWindow& /*child*/) { return false; }
  virtual void DestroyChildWindow() {}
  virtual void SetAlpha(int /*alpha*/) {}

  // The i-th child in template order.
  WindowElement* Child(size_t i) const { return static_cast<WindowElement*>(children[i]); }
  size_t ChildCount() const { return children.size(); }
  void AddChild(WindowElement* child) { children.push_back(child); }

  RenderElement* Render() const { return render_.get(); }

  std::wstring id;
  uint32_t colour = templates::kColourWhite;
  bool inClipPath = true;
  bool noShow = false;
  int backgroundPosition = 0;  // 2 centred, 1 pixel offsets, 0 unset
  int backgroundX = 0;         // the pixel offsets as written
  int backgroundY = 0;
  int widthMode = 0;           // templates::LengthMode once read
  int heightMode = 0;
  int paddingTopMode = 0;
  int paddingLeftMode = 0;
  int paddingBottomMode = 0;
  int paddingRightMode = 0;
  int backgroundRepeat = templates::kRepeatBoth;
  bool whiteSpace = false;
  int index = -1;              // creation index in the panel's list of all elements
  ElementPanel* owner = nullptr;
  PanelWindow* panelWindow = nullptr;
  PanelLock* panelLock = nullptr;
  bool dockOnly = false;

 private:
  friend void SetRenderElement(WindowElement& element, std::unique_ptr<RenderElement> render);
  std::unique_ptr<RenderElement> render_;
};

// Replaces the element's render element (the old one is deleted) and points
// the new one back to the element.
void SetRenderElement(WindowElement& element, std::unique_ptr<RenderElement> render);

// A size or coordinate truncated toward zero, kept within the int range.
using templates::ToPixels;

// Places an element at (x, y) at its unzoomed size, window rectangles equal
// to the layout (the tail's placement).
void PlaceUnzoomed(WindowElement& element, int x, int y);

// Control and design areas: no behaviour beyond WindowElement's.
#define PONDREL_CONTROL_ELEMENT(Name)                                   \
  class Name : public WindowElement {                                   \
   public:                                                              \
    const char* ClassName() const override { return #Name; }            \
  };
PONDREL_CONTROL_ELEMENT(ContextShiftElement)
PONDREL_CONTROL_ELEMENT(SearchSubmitElement)
PONDREL_CONTROL_ELEMENT(AreaDesignElement)
PONDREL_CONTROL_ELEMENT(GripperElement)
PONDREL_CONTROL_ELEMENT(MaxToBrowserElement)
PONDREL_CONTROL_ELEMENT(CloseElement)
#undef PONDREL_CONTROL_ELEMENT

// A resize handle: its direction code 1..8 (clockwise from top-left).
class ResizeElement : public WindowElement {
 public:
  const char* ClassName() const override { return "ResizeElement"; }
  int direction = 0;
};

// Next or back.
class NavigateElement : public WindowElement {
 public:
  const char* ClassName() const override { return "NavigateElement"; }
  bool forward = false;
};

// Opens the panel record named by its target identifier.
class ShareElement : public WindowElement {
 public:
  const char* ClassName() const override { return "ShareElement"; }
  std::wstring target;
};

// Drawn only while the dock bar is enabled.
class DockElement : public WindowElement {
 public:
  DockElement() { dockOnly = true; }
  const char* ClassName() const override { return "DockElement"; }
};

class ContentElement;

// The link between a windowed element and its child window.
class ChildWinContainer {
 public:
  virtual ~ChildWinContainer() = default;
  ChildWindow* window = nullptr;
  ContentElement* element = nullptr;
};

class ContentElement : public WindowElement {
 public:
  const char* ClassName() const override { return "ContentElement"; }
  bool IsWindowed() const override { return true; }

  // Shrinks the window rectangles by a pixel on the right, links the child
  // window, creates it at the element's screen rectangle, loads the content
  // and places the view in the inner rectangle.  False when the window could
  // not be made (nothing stays linked).
  bool CreateChildWindow(PanelWindow& panel, ChildWindow& child) override;
  // Unlinks the child window under the panel lock, then destroys it; later
  // operations find no window.
  void DestroyChildWindow() override;
  void MoveWindowBy(int dx, int dy) override;
  void ResizeWindow() override;
  void Show() override;
  void Hide() override;
  void SetAlpha(int alpha) override;

  // The window class of the child window.
  virtual const wchar_t* ChildWindowClass() const { return window_class::kBackWin; }
  // Content and view steps (the views come with the web views).
  virtual void LoadContent() {}
  virtual void NavigateToUrl() {}
  virtual void PlaceView(const templates::LayoutRect& /*rect*/) {}

  // The linked child window, or none.
  ChildWindow* LinkedWindow() const { return container_ != nullptr ? container_->window : nullptr; }
  PanelWindow* ParentWindow() const { return parentWindow_; }

  std::wstring urlInProgress;  // written while the panel builds the content URL
  std::wstring contentUrl;     // what LoadContent and NavigateToUrl load

 protected:
  // The linked window when it exists, else none.
  ChildWindow* LiveWindow() const;

 private:
  ChildWinContainer embedded_;
  ChildWinContainer* container_ = nullptr;
  PanelWindow* parentWindow_ = nullptr;
};

class ECPElement : public ContentElement {
 public:
  const char* ClassName() const override { return "ECPElement"; }
};

class ECPMenuElement : public ECPElement {
 public:
  const char* ClassName() const override { return "ECPMenuElement"; }
  const wchar_t* ChildWindowClass() const override { return window_class::kPondMenu; }
};

class SearchElement : public ContentElement {
 public:
  const char* ClassName() const override { return "SearchElement"; }
};

class AdElement : public ContentElement {
 public:
  const char* ClassName() const override { return "AdElement"; }
};

class BitWindowElement : public ContentElement {
 public:
  const char* ClassName() const override { return "BitWindowElement"; }
};

// A speech-bubble tail in its own bitmap window.
class TailElement : public BitWindowElement {
 public:
  const char* ClassName() const override { return "TailElement"; }
  const wchar_t* ChildWindowClass() const override { return window_class::kTailWin; }
  bool CreateChildWindow(PanelWindow& panel, ChildWindow& child) override;
  // Redraws the bitmap window at opacity 0: once rebuilding its buffer, once
  // moving and updating the window.
  void LoadContent() override;
  // Redraws the bitmap window at opacity alpha / 255, where it stands.
  void SetAlpha(int alpha) override;
};

