// The windows an element's operations act on, as seams: the panel window
// (coordinates only) and the layered child window a windowed element owns.
// The children thread creates, drives and destroys the real windows (the
// Win32 forms are in Win32ChildWindow.h); tests hand in recording fakes.
// The panel lock guards what the panel and children threads share.
#pragma once

#include "app/panels/templates/ElementLayout.h"

// The panel window a child window sits above.
class PanelWindow {
 public:
  virtual ~PanelWindow() = default;
  // Panel client coordinates to screen coordinates.
  virtual templates::LayoutRect ClientToScreen(const templates::LayoutRect& r) const = 0;
};

// A windowed element's child window.
class ChildWindow {
 public:
  virtual ~ChildWindow() = default;

  // Creates the window of windowClass at the screen rectangle (empty title,
  // pop-up frame style); false when it could not be made.
  virtual bool Create(const wchar_t* windowClass, const templates::LayoutRect& screen) = 0;
  // The window's handle exists.
  virtual bool HasHandle() const = 0;
  virtual void Destroy() = 0;

  // The window's own record of its rectangle and size.
  virtual void SetStoredRect(const templates::LayoutRect& r) = 0;
  virtual templates::LayoutRect StoredRect() const = 0;

  // Moves the window to the screen rectangle.
  virtual void Move(const templates::LayoutRect& screen, bool repaint) = 0;
  // Puts the window at (x, y) with its stored size directly above the panel
  // window in z-order, then moves it there again with repaint.
  virtual void MoveAbovePanel(const PanelWindow& panel, int x, int y) = 0;
  virtual templates::LayoutRect ScreenToClient(const templates::LayoutRect& r) const = 0;

  virtual void Show(bool show) = 0;
  // The window is shown; whether it sits directly above the panel window in
  // z-order (a window of another kind answers as if it did).
  virtual bool IsShown() const { return false; }
  virtual bool IsRightAbove(const PanelWindow& /*panel*/) const { return true; }
  // Layered alpha 0-255.
  virtual void SetAlpha(int alpha) = 0;
  // Bitmap windows only: draws the element's picture at opacity 0..1, first
  // rebuilding the back buffer when asked.
  virtual void RedrawBitmap(float /*opacity*/, bool /*rebuildBuffer*/) {}
  // Bitmap windows only: draws the element's picture at opacity 0..1 and
  // pushes it to the window where it stands, neither moving nor sizing it.
  // It never waits on the window's thread, so the panel thread may call it
  // while it holds the panel lock.
  virtual void PushBitmap(float /*opacity*/) {}
};

// The panel's lock (re-entrant for its owner).
class PanelLock {
 public:
  virtual ~PanelLock() = default;
  virtual void Lock() = 0;
  virtual void Unlock() = 0;
};

class PanelLockScope {
 public:
  explicit PanelLockScope(PanelLock* lock) : lock_(lock) {
    if (lock_ != nullptr) lock_->Lock();
  }
  ~PanelLockScope() {
    if (lock_ != nullptr) lock_->Unlock();
  }
  PanelLockScope(const PanelLockScope&) = delete;
  PanelLockScope& operator=(const PanelLockScope&) = delete;

 private:
  PanelLock* lock_;
};

