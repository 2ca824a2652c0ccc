// The Win32 forms of the element tree's seams: the window template read
// through XmlConfig, the panel record taken from its settings record, the
// panel window and a layered child window over window handles, the panel
// lock over a critical section.
#pragma once

#include <windows.h>

#include <string>

#include "app/core/config/UserSetting.h"
#include "app/core/config/XmlConfig.h"
#include "app/panels/elements/ChildWindow.h"
#include "app/panels/elements/ElementPanel.h"
#include "fx/Lock.h"
#include "fx/Window.h"

class XmlTemplateDocument : public TemplateDocument {
 public:
  explicit XmlTemplateDocument(XmlConfig& config) : config_(config) {}
  std::wstring Text(const std::wstring& path) override { return config_.GetText(path); }
  int CountElements(const std::wstring& path) override;

 private:
  XmlConfig& config_;
};

// What the build takes from the record; adsUrl is the settings' ads address.
PanelRecord PanelRecordFrom(const UserSetting& record, const std::wstring& adsUrl);

// A panel's child window put at (x, y) with its size directly above the
// panel window (at the top of the top-most windows when nothing is above the
// panel), repainted; whether it is directly above the panel; shown or
// hidden.  A window of another thread is moved and shown through posted
// requests: the caller may hold the panel lock and never waits on the
// window's thread.
void MoveChildAbovePanel(HWND child, const PanelWindow& panel, int x, int y, int width, int height);
bool ChildRightAbovePanel(HWND child, const PanelWindow& panel);
void ShowChildWindow(HWND child, bool show);

class HwndPanelWindow : public PanelWindow {
 public:
  explicit HwndPanelWindow(HWND hwnd) : hwnd_(hwnd) {}
  templates::LayoutRect ClientToScreen(const templates::LayoutRect& r) const override;
  HWND hwnd() const { return hwnd_; }

 private:
  HWND hwnd_;
};

// A child window of a registered class (the children thread registers
// "BackWin777", "PondMenu" and "TailWin777"), layered, created without a
// parent on the calling thread and destroyed there.
class LayeredChildWindow : public ChildWindow, public fx::Window {
 public:
  bool Create(const wchar_t* windowClass, const templates::LayoutRect& screen) override;
  bool HasHandle() const override { return hwnd() != nullptr; }
  void Destroy() override { fx::Window::Destroy(); }
  void SetStoredRect(const templates::LayoutRect& r) override { stored_ = r; }
  templates::LayoutRect StoredRect() const override { return stored_; }
  void Move(const templates::LayoutRect& screen, bool repaint) override;
  void MoveAbovePanel(const PanelWindow& panel, int x, int y) override;
  templates::LayoutRect ScreenToClient(const templates::LayoutRect& r) const override;
  void Show(bool show) override;
  bool IsShown() const override { return hwnd() != nullptr && ::IsWindowVisible(hwnd()) != FALSE; }
  bool IsRightAbove(const PanelWindow& panel) const override;
  void SetAlpha(int alpha) override;

 private:
  templates::LayoutRect stored_;
};

class CriticalSectionPanelLock : public PanelLock {
 public:
  explicit CriticalSectionPanelLock(fx::CriticalSection& cs) : cs_(cs) {}
  void Lock() override { cs_.Lock(); }
  void Unlock() override { cs_.Unlock(); }

 private:
  fx::CriticalSection& cs_;
};

