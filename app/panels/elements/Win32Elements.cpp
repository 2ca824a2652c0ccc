#include "app/panels/elements/Win32Elements.h"

#include <algorithm>

#include "app/panels/elements/ElementList.h"
#include "fx/GdiPlus.h"

namespace {

templates::LayoutRect MapRect(HWND from, HWND to, const templates::LayoutRect& r) {
  POINT points[2] = {{r.left, r.top}, {r.right, r.bottom}};
  ::MapWindowPoints(from, to, points, 2);
  return {points[0].x, points[0].y, points[1].x, points[1].y};
}

Gdiplus::Rect GdiplusRect(const templates::LayoutRect& r) {
  return Gdiplus::Rect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

}  // namespace

int XmlTemplateDocument::CountElements(const std::wstring& path) {
  return static_cast<int>(config_.SelectNodes(path + L"/element").size());
}

PanelRecord PanelRecordFrom(const UserSetting& record, const std::wstring& adsUrl) {
  PanelRecord r;
  r.flags.showAds = record.m_ShowAds != 0;
  r.flags.showSearch = record.m_ShowSearch != 0;
  r.flags.resizable = record.m_Resizable != 0;
  r.flags.dockable = record.m_Dockable != 0;
  r.flags.shareable = record.m_Shareable != 0;
  r.flags.actionUrl = record.m_Action;
  r.searchPanel = record.m_SearchPanel != 0;
  r.name = record.m_Name;
  r.queryText = record.m_QueryText;
  r.adsUrl = adsUrl;
  return r;
}

templates::LayoutRect HwndPanelWindow::ClientToScreen(const templates::LayoutRect& r) const {
  return MapRect(hwnd_, nullptr, r);
}

bool LayeredChildWindow::Create(const wchar_t* windowClass, const templates::LayoutRect& screen) {
  const DWORD kStyle = 0xCF0000;  // overlapped frame: caption, system menu, sizing border, boxes
  return CreateEx(WS_EX_LAYERED | WS_EX_TOOLWINDOW, windowClass, L"", kStyle, screen.left, screen.top,
                  screen.right - screen.left, screen.bottom - screen.top, nullptr, nullptr);
}

void LayeredChildWindow::Move(const templates::LayoutRect& screen, bool repaint) {
  if (hwnd() == nullptr) return;
  ::MoveWindow(hwnd(), screen.left, screen.top, screen.right - screen.left, screen.bottom - screen.top,
               repaint ? TRUE : FALSE);
}

namespace {
// Another thread's window is moved and shown through posted requests, so the
// caller (which may hold the panel lock) never waits on that thread.
bool OtherThreads(HWND hwnd) { return ::GetWindowThreadProcessId(hwnd, nullptr) != ::GetCurrentThreadId(); }
}  // namespace

void MoveChildAbovePanel(HWND child, const PanelWindow& panel, int x, int y, int width, int height) {
  if (child == nullptr) return;
  auto* win = dynamic_cast<const HwndPanelWindow*>(&panel);
  HWND above = win != nullptr ? ::GetWindow(win->hwnd(), GW_HWNDPREV) : nullptr;
  const UINT async = OtherThreads(child) ? SWP_ASYNCWINDOWPOS : 0;
  // Inserted after the window above the panel: between it and the panel.
  if (above != child)
    ::SetWindowPos(child, above != nullptr ? above : HWND_TOPMOST, x, y, width, height,
                   SWP_NOREDRAW | SWP_NOACTIVATE | async);
  ::SetWindowPos(child, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE | async);
}

bool ChildRightAbovePanel(HWND child, const PanelWindow& panel) {
  auto* win = dynamic_cast<const HwndPanelWindow*>(&panel);
  return win == nullptr || ::GetWindow(win->hwnd(), GW_HWNDPREV) == child;
}

void ShowChildWindow(HWND child, bool show) {
  if (child == nullptr) return;
  // Shown with the panel, never activated by that (an activated window is
  // handed to the window manager, which makes each later hide wait for it).
  const int how = show ? SW_SHOWNOACTIVATE : SW_HIDE;
  if (OtherThreads(child))
    ::ShowWindowAsync(child, how);
  else
    ::ShowWindow(child, how);
}

void LayeredChildWindow::MoveAbovePanel(const PanelWindow& panel, int x, int y) {
  MoveChildAbovePanel(hwnd(), panel, x, y, stored_.right - stored_.left, stored_.bottom - stored_.top);
}

bool LayeredChildWindow::IsRightAbove(const PanelWindow& panel) const { return ChildRightAbovePanel(hwnd(), panel); }

templates::LayoutRect LayeredChildWindow::ScreenToClient(const templates::LayoutRect& r) const {
  return MapRect(nullptr, hwnd(), r);
}

void LayeredChildWindow::Show(bool show) { ShowChildWindow(hwnd(), show); }

void LayeredChildWindow::SetAlpha(int alpha) {
  if (hwnd() != nullptr) {
    ::SetLayeredWindowAttributes(hwnd(), 0, static_cast<BYTE>(std::clamp(alpha, 0, 255)), LWA_ALPHA);
  }
}

void ElementList::FillRects(Gdiplus::Graphics& graphics) const {
  Gdiplus::SolidBrush white(Gdiplus::Color(0xFFFFFFFFu));
  for (WindowElement* e : items_) graphics.FillRectangle(&white, GdiplusRect(e->windowRect));
}

void ElementList::AddToPath(Gdiplus::GraphicsPath& path) const {
  for (const templates::LayoutRect& r : ClipRects()) path.AddRectangle(GdiplusRect(r));
}

