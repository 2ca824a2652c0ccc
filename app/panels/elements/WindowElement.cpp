#include "app/panels/elements/WindowElement.h"

#include <utility>

namespace {

void ShrinkRight(templates::LayoutRect& r) { r.right -= 1; }

}  // namespace

WindowElement::~WindowElement() = default;

void WindowElement::OffsetWindowRects(int dx, int dy) {
  windowRect = {windowRect.left + dx, windowRect.top + dy, windowRect.right + dx, windowRect.bottom + dy};
  innerWindowRect = {innerWindowRect.left + dx, innerWindowRect.top + dy, innerWindowRect.right + dx,
                     innerWindowRect.bottom + dy};
}

void SetRenderElement(WindowElement& element, std::unique_ptr<RenderElement> render) {
  element.render_ = std::move(render);
  if (element.render_ != nullptr) element.render_->owner = &element;
}

void PlaceUnzoomed(WindowElement& element, int x, int y) {
  element.zoomedWidth = element.width;
  element.zoomedHeight = element.height;
  const templates::LayoutRect r{x, y, ToPixels(static_cast<double>(x) + ToPixels(element.width)),
                                 ToPixels(static_cast<double>(y) + ToPixels(element.height))};
  element.layoutRect = r;
  element.innerRect = r;
  element.SetWindowRects(r, r, 0, 0);
}

ChildWindow* ContentElement::LiveWindow() const {
  ChildWindow* window = LinkedWindow();
  return window != nullptr && window->HasHandle() ? window : nullptr;
}

bool ContentElement::CreateChildWindow(PanelWindow& panel, ChildWindow& child) {
  ShrinkRight(windowRect);
  ShrinkRight(innerWindowRect);
  const templates::LayoutRect screen = panel.ClientToScreen(windowRect);
  parentWindow_ = &panel;
  embedded_.element = this;
  embedded_.window = &child;
  child.SetStoredRect(screen);
  if (!child.Create(ChildWindowClass(), screen)) {
    embedded_.window = nullptr;
    return false;
  }
  {
    PanelLockScope hold(panelLock);
    container_ = &embedded_;
  }
  child.Move(screen, true);
  const templates::LayoutRect inner = child.ScreenToClient(panel.ClientToScreen(innerWindowRect));
  LoadContent();
  PlaceView(inner);
  return true;
}

void ContentElement::DestroyChildWindow() {
  ChildWindow* window = nullptr;
  {
    PanelLockScope hold(panelLock);
    if (container_ != nullptr) window = container_->window;
    container_ = nullptr;
    embedded_.window = nullptr;
  }
  if (window != nullptr && window->HasHandle()) window->Destroy();
}

void ContentElement::MoveWindowBy(int dx, int dy) {
  ChildWindow* window = LiveWindow();
  if (window == nullptr || parentWindow_ == nullptr) return;
  window->MoveAbovePanel(*parentWindow_, windowRect.left + dx, windowRect.top + dy);
}

// The children thread's step after a resize.  The panel thread reads and
// writes the rectangles (and reads the window's stored size) under the panel
// lock, so they change under it too; the panel window is asked for its place
// and this window moved with the lock given back.
void ContentElement::ResizeWindow() {
  ChildWindow* window = LiveWindow();
  if (window == nullptr || parentWindow_ == nullptr) return;
  templates::LayoutRect client;
  {
    PanelLockScope hold(panelLock);
    ShrinkRight(windowRect);
    ShrinkRight(innerWindowRect);
    client = windowRect;
  }
  const templates::LayoutRect screen = parentWindow_->ClientToScreen(client);
  {
    PanelLockScope hold(panelLock);
    window->SetStoredRect(screen);
  }
  window->Move(screen, true);
}

void ContentElement::Show() {
  ChildWindow* window = LiveWindow();
  if (window != nullptr && !noShow) window->Show(true);
}

void ContentElement::Hide() {
  ChildWindow* window = LiveWindow();
  if (window != nullptr) window->Show(false);
}

void ContentElement::SetAlpha(int alpha) {
  ChildWindow* window = LiveWindow();
  if (window != nullptr) window->SetAlpha(alpha);
}

bool TailElement::CreateChildWindow(PanelWindow& panel, ChildWindow& child) {
  // The tail's window is drawn by itself: the panel's clip path leaves it out.
  if (!ContentElement::CreateChildWindow(panel, child)) return false;
  inClipPath = false;
  return true;
}

void TailElement::LoadContent() {
  ChildWindow* window = LinkedWindow();
  if (window == nullptr) return;
  window->RedrawBitmap(0.0f, true);
  window->RedrawBitmap(0.0f, false);
}

// The fades call it under the panel lock: the picture is pushed in place,
// as a move would wait on the children thread, which may be waiting on that
// lock.
void TailElement::SetAlpha(int alpha) {
  ChildWindow* window = LiveWindow();
  if (window != nullptr) window->PushBitmap(static_cast<float>(alpha) / 255.0f);
}

