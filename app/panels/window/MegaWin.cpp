#include "app/panels/window/MegaWin.h"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/core/common/GlobalLocks.h"
#include "app/core/common/SharedUtilities.h"
#include "app/core/graphics/ImageRoutines.h"
#include "app/core/graphics/Monitors.h"
#include "app/core/graphics/OpacityDraw.h"
#include "app/core/main/PondrelApp.h"
#include "app/core/net/HttpRoutines.h"
#include "app/panels/elements/ElementPanel.h"
#include "app/core/common/AppMessages.h"
#include "fx/Fault.h"
#include "log/PondrelLog.h"

namespace panels {

namespace {

IntRect ToInt(const RECT& r) { return IntRect{r.left, r.top, r.right, r.bottom}; }
RECT ToRect(const IntRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

void RegisterPanelClass() {
    static const bool registered = [] {
        WNDCLASSEXW wc{sizeof(wc)};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        // No class cursor: the hit test sets the cursor (the sizing cursors
        // over the resize handles would be replaced by a class cursor).
        wc.hCursor = nullptr;
        wc.lpszClassName = MegaWin::kClass;
        return ::RegisterClassExW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    (void)registered;
}

RECT WorkAreaOf(const RECT& rect) {
    RECT work{};
    CMonitor::FromRect(rect).GetWorkAreaRect(&work);
    return work;
}

// The application's shared cursor for a hit-test cursor (the system's own
// while the shared ones are not loaded).
HCURSOR SharedCursor(Cursor cursor) {
    const std::shared_ptr<const AppSnapshot> g = theApp.Snapshot();
    auto pick = [](HCURSOR shared, const wchar_t* system) { return shared ? shared : ::LoadCursorW(nullptr, system); };
    switch (cursor) {
        case Cursor::Arrow: return pick(g->arrowCursor, IDC_ARROW);
        case Cursor::SizeNwSe: return pick(g->sizeNWSECursor, IDC_SIZENWSE);
        case Cursor::SizeNeSw: return pick(g->sizeNESWCursor, IDC_SIZENESW);
        case Cursor::SizeNs: return pick(g->sizeNSCursor, IDC_SIZENS);
        case Cursor::SizeWe: return pick(g->sizeWECursor, IDC_SIZEWE);
        case Cursor::None: break;
    }
    return nullptr;
}

// An exception (a failed allocation) stops the enumeration there instead of
// crossing the system's frames.
BOOL CALLBACK CollectChild(HWND child, LPARAM lp) {
    BOOL more = FALSE;
    fx::Guarded(L"the panel's child window enumeration", [&] {
        auto* children = reinterpret_cast<std::vector<ChildWindow>*>(lp);
        wchar_t name[64] = {};
        ::GetClassNameW(child, name, 64);
        RECT rc{};
        ::GetWindowRect(child, &rc);
        children->push_back(ChildWindow{name, ToInt(rc)});
        more = TRUE;
    });
    return more;
}

}  // namespace

MegaWin::~MegaWin() = default;

bool MegaWin::CreatePanel(const RECT& panelRect) {
    RegisterPanelClass();
    m_PanelRect = panelRect;
    if (!Create(kClass, L"", WS_POPUP, nullptr)) return false;
    // Made as a bare pop-up: the system gives a top-level window of style 0 a
    // caption and a window edge, and a window born with a caption is left
    // to the window manager (under Wine each hide then waits for one).  The
    // panel keeps exactly its own styles.
    ::SetWindowLongPtrW(hwnd(), GWL_STYLE, 0);
    ::SetWindowLongPtrW(hwnd(), GWL_EXSTYLE, static_cast<LONG_PTR>(kExStyle));
    return true;
}

void MegaWin::PreCreateWindow(CREATESTRUCTW& cs) {
    cs.lpszClass = kClass;
    cs.style = static_cast<LONG>(WS_POPUP);  // style 0 once created (CreatePanel)
    cs.dwExStyle = kExStyle;
    cs.x = m_PanelRect.left;
    cs.y = m_PanelRect.top;
    cs.cx = m_PanelRect.right - m_PanelRect.left;
    cs.cy = m_PanelRect.bottom - m_PanelRect.top;
}

bool MegaWin::OnCreateClient() {
    ::GetWindowRect(hwnd(), &m_WindowRect);
    m_Width = m_WindowRect.right - m_WindowRect.left;
    m_Height = m_WindowRect.bottom - m_WindowRect.top;
    m_PanelRect = m_WindowRect;
    GrowBackBuffer(m_Width, m_Height);
    return FloatingWin::OnCreateClient();
}

ElementPanel* MegaWin::Elements() const { return m_pOwner ? m_pOwner->Elements() : nullptr; }

// The panel's face: the template's drawn elements and resize handles at the
// given opacity, the windowed elements' places left transparent for their
// child windows; without a template a light box with a darker frame.
void MegaWin::PaintPanel(Gdiplus::Graphics& g, float alpha) {
    if (ElementPanel* elements = Elements()) {
        const bool showDockBar = theApp.Snapshot()->showDockBar;
        Gdiplus::GraphicsPath childPlaces;
        {
            PanelLockScope hold(elements->lock);
            elements->windowed.AddToPath(childPlaces);
        }
        g.SetClip(&childPlaces, Gdiplus::CombineModeExclude);
        elements->drawn.DrawAll(g, alpha, showDockBar);
        elements->resizeHandles.DrawAll(g, alpha, showDockBar);
        g.ResetClip();
        return;
    }
    const int w = m_PanelRect.right - m_PanelRect.left, h = m_PanelRect.bottom - m_PanelRect.top;
    if (w <= 0 || h <= 0) return;
    auto a = static_cast<BYTE>(alpha <= 0.0f ? 0 : alpha >= 1.0f ? 255 : alpha * 255.0f);
    Gdiplus::SolidBrush face(Gdiplus::Color(a, 0xF4, 0xF4, 0xF0));
    g.FillRectangle(&face, 0, 0, w, h);
    Gdiplus::Pen frame(Gdiplus::Color(a, 0x60, 0x60, 0x60), 1.0f);
    g.DrawRectangle(&frame, 0, 0, w - 1, h - 1);
    // Its close area: a cross.
    const IntRect close = PlainCloseRect(w, h);
    if (close.Width() <= 0 || close.Height() <= 0) return;
    Gdiplus::Pen cross(Gdiplus::Color(a, 0x60, 0x60, 0x60), 2.0f);
    g.DrawLine(&cross, close.left + 3, close.top + 3, close.right - 4, close.bottom - 4);
    g.DrawLine(&cross, close.left + 3, close.bottom - 4, close.right - 4, close.top + 3);
}

// The mask: the drawn elements at full opacity and the child windows' places
// opaque (the panel is there too).
void MegaWin::PaintMask(Gdiplus::Graphics& g) {
    ElementPanel* elements = Elements();
    if (!elements) {
        PaintPanel(g, 1.0f);
        return;
    }
    elements->drawn.DrawAll(g, 1.0f, theApp.Snapshot()->showDockBar);
    PanelLockScope hold(elements->lock);
    elements->windowed.FillRects(g);
}

void MegaWin::Render(int, bool updateOnly) {
    if (!m_pBackBuffer) return;
    m_pBackBuffer->Clear();
    {
        Gdiplus::Graphics g(m_pBackBuffer->bitmap());
        g.ResetTransform();
        if (m_DockAnimation) {
            // The flight draws the snapshot moved and scaled (nothing without one).
            if (m_DrawSnapshot && m_pSnapshot) {
                Gdiplus::Matrix flight;
                flight.Translate(m_FlightX, m_FlightY);
                flight.Scale(m_ScaleX, m_ScaleY);
                const int w = static_cast<int>(m_pSnapshot->GetWidth()), h = static_cast<int>(m_pSnapshot->GetHeight());
                render::DrawImageWithOpacity(4, 0, w, h, m_pSnapshot.get(), 0, 0, w, h, m_SnapshotAlpha, &flight,
                                             Gdiplus::InterpolationModeLowQuality, g);
            }
        } else {
            PaintPanel(g, m_FadeAlpha);
        }
    }
    if (m_pOwner && m_pOwner->MaskRequested()) {
        SaveMask();
        m_pOwner->ClearMaskRequest();  // the request is cleared once the file is written
    }
    if (!m_OffscreenReady) MakeOffscreen();
    if (!updateOnly) {
        m_WindowRect = m_PanelRect;
        m_Width = m_PanelRect.right - m_PanelRect.left;
        m_Height = m_PanelRect.bottom - m_PanelRect.top;
        GrowBackBuffer(m_Width, m_Height);
        ::SetWindowPos(hwnd(), nullptr, m_PanelRect.left, m_PanelRect.top, m_Width, m_Height,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
    UpdateLayered();
}

// The mask the launcher hit-tests a menu panel with: the panel at full
// opacity, saved as PNG so that its transparent pixels stay transparent.
void MegaWin::SaveMask() {
    const int w = m_PanelRect.right - m_PanelRect.left, h = m_PanelRect.bottom - m_PanelRect.top;
    if (w <= 0 || h <= 0 || m_MaskFile.empty()) return;
    Gdiplus::Bitmap mask(w, h, PixelFormat32bppARGB);
    {
        Gdiplus::Graphics g(&mask);
        g.Clear(Gdiplus::Color(0, 0, 0, 0));
        PaintMask(g);
    }
    CLSID png{};
    if (GetEncoderClsid(L"image/png", &png) < 0 || mask.Save(m_MaskFile.c_str(), &png, nullptr) != Gdiplus::Ok)
        LogWithPrefix(L"The panel mask could not be saved to %s", m_MaskFile.c_str());
}

void MegaWin::RunFade(float from, float to) {
    Fade fade(from, to, m_Clock());
    m_FadeAlpha = from;
    while (!fade.Done()) {
        m_Sleep(Fade::kRoundSleepMs);
        m_FadeAlpha = fade.Step(m_Clock());
        Render(0, false);
        // The child windows fade with the panel.
        if (ElementPanel* elements = Elements()) {
            PanelLockScope hold(elements->lock);
            for (WindowElement* e : elements->windowed) e->SetAlpha(static_cast<int>(m_FadeAlpha * 255.0f));
        }
    }
}

void MegaWin::FadeIn() {
    if (m_Closing) return;
    RunFade(0.0f, 1.0f);
}

void MegaWin::FadeOutAndClose() {
    if (m_Closing) return;
    if (m_pOwner && m_pOwner->CloseNeedsTwo() && !m_pOwner->CloseArmed()) {
        m_pOwner->SetCloseArmed(true);
        return;
    }
    ::GetWindowRect(hwnd(), &m_PanelRect);
    RunFade(m_FadeAlpha, 0.0f);
    BeginClose();
}

void MegaWin::BeginClose() {
    m_Closing = true;
    if (m_pOwner) m_pOwner->PostToChildren(children_msg::kClose);
}

POINT MegaWin::PlaceNearTaskbar(uint32_t flags) {
    RECT window{};
    ::GetWindowRect(hwnd(), &window);
    const int w = window.right - window.left, h = window.bottom - window.top;
    IntRect kept{kNoKeptRect, 0, 0, 0};
    if (m_pOwner && m_pOwner->IsSearchPanel() && m_pOwner->CurrentRecord().m_RunInt1 != kNoKeptRect) {
        const UserSetting& r = m_pOwner->CurrentRecord();
        kept = IntRect{r.m_RunInt1, r.m_RunInt2, r.m_RunInt3, r.m_RunInt4};
    }
    RECT work{};
    CMonitor::PrimaryMonitor().GetWorkAreaRect(&work);
    IntRect tray = (flags & kFlagTray) ? ToInt(GetTrayRect()) : IntRect{};
    Placement p = ChoosePlacement(flags, kept, ToInt(m_Anchor), tray, ToInt(work), w, h);
    m_Anchor = ToRect(p.anchor);
    ::SetWindowPos(hwnd(), nullptr, p.x, p.y, w, h, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    m_Width = w;
    m_Height = h;
    // A menu panel keeps off its anchor; the others only stay on the monitor.
    // A panel with a tail is only kept on the monitor: the correction tells
    // its thread where the tail has to go.
    const bool keepOffAnchor = (flags & kFlagMenuPanel) && !m_HasTail;
    POINT shift = KeepOnMonitor(WorkAreaOf(m_Anchor), keepOffAnchor ? &m_Anchor : nullptr);
    ::GetWindowRect(hwnd(), &m_PanelRect);
    m_WindowRect = m_PanelRect;
    if (!(flags & (kFlagNoShow | kFlagHidden))) ::ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
    return shift;
}

void MegaWin::MoveKeptOnMonitor(int x, int y) {
    ::SetWindowPos(hwnd(), nullptr, x, y, m_Width, m_Height, SWP_NOZORDER | SWP_NOACTIVATE);
    KeepOnMonitor(WorkAreaOf(m_Anchor));
    ::GetWindowRect(hwnd(), &m_PanelRect);
    m_WindowRect = m_PanelRect;
}

RECT MegaWin::GetTrayRect() const {
    if (HWND taskbar = ::FindWindowW(L"Shell_TrayWnd", nullptr)) {
        RECT rc{};
        ::GetWindowRect(taskbar, &rc);
        std::vector<ChildWindow> children;
        ::EnumChildWindows(taskbar, CollectChild, reinterpret_cast<LPARAM>(&children));
        return ToRect(TrayRectFromChildren(ToInt(rc), children));
    }
    APPBARDATA bar{sizeof(bar)};
    if (::SHAppBarMessage(ABM_GETTASKBARPOS, &bar)) return ToRect(TrayRectFromAppBar(ToInt(bar.rc), bar.uEdge));
    RECT work{};
    CMonitor::PrimaryMonitor().GetWorkAreaRect(&work);
    return ToRect(TrayRectFallback(ToInt(work)));
}

RECT MegaWin::WorkAreaAround(const RECT& rect) { return WorkAreaOf(rect); }

RECT MegaWin::MonitorAround(const RECT& rect) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetMonitorInfoW(CMonitor::FromRect(rect).handle(), &info)) return RECT{};
    return info.rcMonitor;
}

void MegaWin::CenterOnMonitor() { m_PanelRect = ToRect(CenterIn(ToInt(m_PanelRect), ToInt(WorkAreaOf(m_PanelRect)))); }

void MegaWin::SetNavButtonState(bool enabled, int which) {
    if (ElementPanel* elements = Elements()) elements->SetNavButtonState(enabled, which == 1);
    Render(0, false);
}

void MegaWin::RaiseChildWindows() {
    ElementPanel* elements = Elements();
    if (!elements) {
        m_JustShown = false;
        return;
    }
    RECT r{};
    ::GetWindowRect(hwnd(), &r);
    if (elements->RaiseChildWindows(r.left, r.top, m_Moving || m_JustShown)) m_JustShown = false;
}

bool MegaWin::IsInDock() const {
    fx::ScopedLock hold(g_DockLock);
    return m_pDockItem != nullptr;
}

void MegaWin::LeaveDock() {
    bool removed = false;
    {
        fx::ScopedLock hold(g_DockLock);
        removed = dockitems::RemovePanelItem(this);
        m_pDockItem = nullptr;
    }
    if (removed) theApp.PostToDockWindow(dock_msg::kItemGone);
}

void MegaWin::TakeUndockPlace(const RECT& screenCell, int index) {
    m_DockCell = screenCell;
    m_DockPosition = index;
}

void MegaWin::Fly(const RECT& grown, POINT from, POINT to, float fromScale, float toScale, float alphaStep) {
    m_WindowRect = m_PanelRect = grown;
    m_Width = grown.right - grown.left;
    m_Height = grown.bottom - grown.top;
    ResizeBackBuffer(m_Width, m_Height);
    m_DrawSnapshot = true;
    const uint32_t start = m_Clock();
    KeyFrameList x, y, sx, sy;
    for (KeyFrameList* list : {&x, &y, &sx, &sy}) list->Start(start);
    x.Add(0.0f, static_cast<float>(from.x));
    x.Add(kDockFlightEnd, static_cast<float>(to.x));
    y.Add(0.0f, static_cast<float>(from.y));
    y.Add(kDockFlightEnd, static_cast<float>(to.y));
    sx.Add(0.0f, fromScale);
    sx.Add(kDockFlightEnd, toScale);
    sy.Add(0.0f, fromScale);
    sy.Add(kDockFlightEnd, toScale);
    while (!x.m_AtEnd || !y.m_AtEnd) {
        m_Sleep(Fade::kRoundSleepMs);  // a round every 10 ms, no core burnt
        const uint32_t now = m_Clock();
        m_FlightX = x.Advance(now);
        m_FlightY = y.Advance(now);
        m_ScaleX = sx.Advance(now);
        m_ScaleY = sy.Advance(now);
        m_SnapshotAlpha = std::clamp(m_SnapshotAlpha + alphaStep, kDockedScale, 1.0f);
        Render(0, false);
    }
}

// Into the dock: the picture is taken first (bounded, without the dock lock
// held), the item added under the lock (the record's banner stands in for a
// missing picture), then the window flies and hides.  A panel that gets no
// item stays where it is: nothing could bring it back.
void MegaWin::AnimateIntoDock() {
    if (m_DockAnimation || !m_pOwner || IsInDock()) return;
    ::GetWindowRect(hwnd(), &m_UndockedRect);
    const std::wstring file = theApp.Snapshot()->tempDir + NewGuidString() + L".jpg";
    m_pSnapshot.reset();
    if (m_pOwner->TakeSnapshot(file)) m_pSnapshot = LoadImageFile(file, 0, 0);
    POINT target{};
    bool alreadyIn = false;
    DockItem* item = nullptr;
    {
        fx::ScopedLock hold(g_DockLock);
        alreadyIn = m_pDockItem != nullptr;
        if (!alreadyIn) {
            target = dockitems::DockPointOnScreen();
            m_pDockItem = item = dockitems::AddItem(file, m_pOwner->CurrentRecord().m_Id, this, false, m_DockPosition,
                                                    theApp.Snapshot()->installDir);
        }
    }
    ::DeleteFileW(file.c_str());  // the item holds its own copy; errors do not matter
    if (alreadyIn) return;
    if (!item) {
        LogWithPrefix(L"Panel %s has no picture for the dock: it stays where it is",
                      m_pOwner->CurrentRecord().m_Id.c_str());
        m_pSnapshot.reset();
        return;
    }
    LogWithPrefix(L"Panel %s docked", m_pOwner->CurrentRecord().m_Id.c_str());
    m_Docked = true;
    m_DockAnimation = true;
    theApp.PostToDockWindow(dock_msg::kShowOrHide);
    if (ElementPanel* elements = Elements()) {
        PanelLockScope hold(elements->lock);
        elements->windowed.HideAll();
    }
    m_SnapshotAlpha = 1.0f;
    const RECT panel = m_UndockedRect;
    const RECT grown = ToRect(DockFlightRect(ToInt(panel), Point{target.x, target.y}));
    Fly(grown, POINT{panel.left - grown.left, panel.top - grown.top}, POINT{target.x - grown.left, target.y - grown.top},
        1.0f, kDockedScale, -0.1f);
    m_DrawSnapshot = false;
    Render(0, false);
    ::ShowWindow(hwnd(), SW_HIDE);
    m_Docked = false;
    theApp.PostToDockWindow(dock_msg::kRender);
    m_ScaleX = m_ScaleY = 1.0f;
    m_DockAnimation = false;
    // The hidden panel takes back its own place, size and buffer from the
    // flight's grown window, for whatever draws, measures or shows it while
    // it is docked.
    m_WindowRect = m_PanelRect = panel;
    m_Width = panel.right - panel.left;
    m_Height = panel.bottom - panel.top;
    ResizeBackBuffer(m_Width, m_Height);
    ::SetWindowPos(hwnd(), nullptr, panel.left, panel.top, m_Width, m_Height,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
}

// Out of the dock: from the item's place back to where the panel was.
void MegaWin::AnimateOutOfDock() {
    if (m_DockAnimation) return;
    POINT from{};
    bool removed = false;
    {
        fx::ScopedLock hold(g_DockLock);
        from = POINT{m_DockCell.left, m_DockCell.top};
        if (m_DockCell.right == m_DockCell.left) from = dockitems::DockPointOnScreen();
        removed = dockitems::RemovePanelItem(this);
        m_pDockItem = nullptr;
    }
    // Out by the panel's own show, not by a click on its item: the bar is
    // told, which the click had done itself.
    if (removed) theApp.PostToDockWindow(dock_msg::kItemGone);
    if (m_pOwner) LogWithPrefix(L"Panel %s undocked", m_pOwner->CurrentRecord().m_Id.c_str());
    m_DockAnimation = true;
    m_SnapshotAlpha = kDockedScale;
    const RECT panel = m_UndockedRect;
    const RECT grown = ToRect(DockFlightRect(ToInt(panel), Point{from.x, from.y}));
    ::ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
    Fly(grown, POINT{from.x - grown.left, from.y - grown.top}, POINT{panel.left - grown.left, panel.top - grown.top},
        kDockedScale, 1.0f, 0.1f);
    m_WindowRect = m_PanelRect = panel;
    m_Width = panel.right - panel.left;
    m_Height = panel.bottom - panel.top;
    m_pSnapshot.reset();
    ResizeBackBuffer(m_Width, m_Height);
    m_ScaleX = m_ScaleY = 1.0f;
    m_DrawSnapshot = false;
    m_DockAnimation = false;
    // The end of the flight: drawn again, the child windows back, in front.
    m_FadeAlpha = 1.0f;
    Render(0, false);
    if (ElementPanel* elements = Elements()) {
        PanelLockScope hold(elements->lock);
        elements->windowed.ShowAll();
    }
    ::SetForegroundWindow(hwnd());
    m_JustShown = true;
    RaiseChildWindows();
}

// The timer's one job: the first tick after the panel shows drops the
// no-activate style; then it stops.
void MegaWin::OnTimer(UINT_PTR id) {
    if (id != kTimer || m_Closing) return;
    if (m_ActivationPending) {
        m_ActivationPending = false;
        ::SetWindowLongPtrW(hwnd(), GWL_EXSTYLE, static_cast<LONG_PTR>(kExStyleActive));
    }
    StopTimer(kTimer);
}

// Shown: the timer runs while its job is pending and the child windows show
// with the panel (not during a dock flight, which shows them at its end).
void MegaWin::OnShowWindow(bool shown) {
    if (!shown) {
        StopTimer(kTimer);
        return;
    }
    if (m_ActivationPending) StartTimer(kTimer, kTimerMs);
    if (m_DockAnimation) return;
    if (ElementPanel* elements = Elements()) {
        PanelLockScope hold(elements->lock);
        elements->windowed.ShowAll();
    }
}

PanelHit MegaWin::HitAt(POINT client) const {
    if (ElementPanel* elements = Elements()) return elements->HitTest(client.x, client.y);
    // A plain face closes from its close area and is moved by the rest.
    PanelHit plain;
    const IntRect close = PlainCloseRect(m_PanelRect.right - m_PanelRect.left, m_PanelRect.bottom - m_PanelRect.top);
    if (client.x >= close.left && client.x < close.right && client.y >= close.top && client.y < close.bottom)
        plain.control = PanelControl::kClose;
    else
        plain.overMoveArea = true;
    return plain;
}

LRESULT MegaWin::OnNcHitTest(POINT screen) {
    POINT client = screen;
    ::ScreenToClient(hwnd(), &client);
    const PanelHit hit = HitAt(client);
    const ElementPanel* elements = Elements();
    HitInput in;
    in.overControl = hit.control != PanelControl::kNone;
    in.overClose = hit.control == PanelControl::kClose;
    in.overMoveArea = hit.overMoveArea;
    in.resizeDirection = hit.resizeDirection;
    in.overWindowed = hit.overWindowed;
    in.hasTail = m_HasTail;
    in.leftDown = (::GetAsyncKeyState(::GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON) & 0x8000) != 0;
    in.moving = m_Moving;
    in.closing = m_Closing;
    in.hasSearch = elements && elements->searchElement;
    in.flags = m_pOwner ? m_pOwner->LaunchFlags() : 0;
    HitDecision d = DecideHit(in);
    if (d.dropTail) {
        m_HasTail = false;
        if (m_pOwner) m_pOwner->PostToChildren(children_msg::kHideTail);
    }
    if (HCURSOR cursor = SharedCursor(d.cursor)) ::SetCursor(cursor);
    if (d.hideMenus && m_pOwner && m_pOwner->HasController())
        m_pOwner->PostToController(controller_msg::kHideMenus, 0, 0);
    if (d.startMove) {
        m_Snap.Begin(Point{client.x, client.y});
        m_Moving = true;
    }
    if (d.raiseChildren) RaiseChildWindows();
    if (d.endMove) m_Moving = false;
    if (d.focusSearch && m_pOwner) m_pOwner->PostToChildren(children_msg::kFocusSearch);
    if (d.panelReady && m_pOwner && m_pOwner->HasController()) m_pOwner->ReportPanelReady();
    return d.caption ? HTCAPTION : HTCLIENT;
}

void MegaWin::OnMoving(RECT* proposed) {
    IntRect r = ToInt(*proposed);
    POINT cursor{};
    ::GetCursorPos(&cursor);
    RECT work = WorkAreaOf(*proposed);
    if (m_Snap.OnMoving(r, ToInt(m_PanelRect), ToInt(work), m_Edges, Point{cursor.x, cursor.y})) *proposed = ToRect(r);
    m_PanelRect = *proposed;
    m_WindowRect = m_PanelRect;
    RaiseChildWindows();
}

void MegaWin::OnLButtonDown(POINT client) {
    POINT screen = client;
    ::ClientToScreen(hwnd(), &screen);
    m_ResizeStartCursor = screen;
    const PanelHit hit = HitAt(client);
    if (hit.control == PanelControl::kContextShift) {
        OpenSearchMenu();
    } else if (hit.control == PanelControl::kResize && hit.resizeDirection != 0 && m_pOwner) {
        m_ResizeDirection = hit.resizeDirection;
        ::SetCapture(hwnd());
        ::GetWindowRect(hwnd(), &m_ResizeStartRect);
        m_ResizeStartSize = m_pOwner->TemplateSize();
    } else {
        RaiseChildWindows();
    }
}

// The search menu drops down from a 10 x 1 rectangle at the bottom-left of
// the first context-shift control, with the children's URL as its text.
void MegaWin::OpenSearchMenu() {
    ElementPanel* elements = Elements();
    if (!elements || elements->contextShift.Empty() || !m_pOwner || !m_pOwner->HasController()) return;
    const templates::LayoutRect& r = elements->contextShift.First()->windowRect;
    POINT corner{r.left, r.bottom};
    ::ClientToScreen(hwnd(), &corner);
    const RECT dropDown{corner.x, corner.y, corner.x + 10, corner.y + 1};
    std::wstring text;
    if (elements->searchElement) {
        // One hold around all three (the lock is re-entrant: ChildUrl takes it too).
        fx::ScopedLock hold(g_SearchTextLock);
        text = m_pOwner->ChildUrl();
        m_pOwner->CurrentRecord().m_CurrentUrl = text;
        theApp.m_SearchQuery = text;
    }
    m_pOwner->OfferSearchMenu(dropDown, hwnd(), text);
    m_pOwner->PostToController(controller_msg::kToggleContextPanel, 0, reinterpret_cast<LPARAM>(hwnd()));
}

void MegaWin::OnLButtonUp(POINT client) {
    if (m_ResizeDirection) {
        m_ResizeDirection = 0;
        ::ReleaseCapture();
    }
    const PanelHit hit = HitAt(client);
    Control control = Control::None;
    switch (hit.control) {
        case PanelControl::kClose: control = Control::Close; break;
        case PanelControl::kShare: control = Control::Share; break;
        case PanelControl::kSearchSubmit: control = Control::SearchSubmit; break;
        case PanelControl::kDock: control = Control::Dock; break;
        case PanelControl::kNextBack: control = Control::NextBack; break;
        case PanelControl::kOpenInBrowser: control = Control::OpenInBrowser; break;
        default: break;
    }
    auto* nav = dynamic_cast<NavigateElement*>(hit.element);
    const bool shift = ::GetKeyState(VK_SHIFT) < 0;
    for (const PanelAction& action : ButtonUpActions(control, shift, nav && nav->forward)) Carry(action);
}

void MegaWin::Carry(const PanelAction& action) {
    if (!m_pOwner) return;
    switch (action.kind) {
        case PanelAction::FadeOutAndClose: FadeOutAndClose(); return;
        case PanelAction::OpenInBrowser: m_pOwner->OpenInBrowser(); return;
        case PanelAction::Post: break;
    }
    const auto wp = static_cast<WPARAM>(action.wParam);
    const auto lp = static_cast<LPARAM>(action.lParam);
    switch (action.target) {
        case Target::Controller:
            if (m_pOwner->HasController()) m_pOwner->PostToController(action.msg, wp, lp);
            break;
        case Target::Self: ::PostMessageW(hwnd(), action.msg, wp, lp); break;
        case Target::Children: m_pOwner->PostToChildren(action.msg, wp, lp); break;
        case Target::Dock: theApp.PostToDockWindow(action.msg); break;
    }
}

// A resize drag: the template size from the cursor's movement since the
// button went down over the handle, the panel rebuilt at it.
void MegaWin::OnMouseMove(WPARAM keys, POINT client) {
    if (!m_ResizeDirection || !(keys & MK_LBUTTON) || !m_pOwner) return;
    POINT cursor = client;
    ::ClientToScreen(hwnd(), &cursor);
    Size size = ResizedSize(m_ResizeDirection, m_ResizeStartSize, cursor.x - m_ResizeStartCursor.x,
                            cursor.y - m_ResizeStartCursor.y);
    if (size == m_pOwner->TemplateSize()) return;
    m_pOwner->ResizePanel(size.width, size.height, m_ResizeDirection);
}

// The panel messages: most go to the thread's handlers and are ignored once
// the panel is closing; the close, the fades and the dock messages always run.
bool MegaWin::OnPanelMessage(UINT msg, WPARAM wp, LPARAM lp) {
    using namespace panel_msg;
    PanelThreadOps* t = m_pOwner;
    if (!t) return false;
    const bool alwaysRuns = msg == kCloseNow || msg == kClose || msg == kResize || (msg >= kFadeIn && msg <= kArmAndClose);
    if (m_Closing && !alwaysRuns) return true;
    switch (msg) {
        case kNavigate: t->OnNavigate(wp, lp); break;
        case kReload: t->OnReload(wp, lp); break;
        case kDockAnimate: t->OnDockAnimate(); break;
        case kUndockAnimate: t->OnUndockAnimate(); break;
        case kCloseNow: t->OnCloseNow(); break;
        case kStoreUrl: t->OnStoreUrl(); break;
        case kHide: t->OnHide(); break;
        case kShow:
            t->SetCloseArmed(false);
            t->OnShow(lp);
            break;
        case kHideTail:
            t->PostToChildren(children_msg::kHideTail);
            Render(0, false);
            break;
        case kOpenWithToken: t->OnOpenWithToken(); break;
        case kRaise: t->OnRaise(); break;
        case kClose: t->OnClose(); break;
        case kReady: t->OnReady(); break;
        case kRepaint:
        case kRedraw: Render(0, false); break;
        case kRefreshSearch: t->OnRefreshSearch(); break;
        case kResize: t->OnResize(static_cast<int>(wp), static_cast<int>(lp)); break;
        case kCenter:
            if (wp == 1) CenterOnMonitor();
            break;
        case kLoadContentUrl: t->OnLoadContentUrl(); break;
        case kFadeIn: FadeIn(); break;
        case kFadeOutAndClose: FadeOutAndClose(); break;
        case kNavButtonState: SetNavButtonState(wp != 0, static_cast<int>(lp)); break;
        case kPublishUrl: t->PublishUrl(); break;
        case kArmAndClose:
            t->SetCloseArmed(true);
            FadeOutAndClose();
            break;
        default: return false;
    }
    return true;
}

bool MegaWin::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    result = 0;
    if (msg >= panel_msg::kNavigate && msg <= panel_msg::kArmAndClose) return OnPanelMessage(msg, wp, lp);
    switch (msg) {
        case WM_CREATE: return FloatingWin::OnMessage(msg, wp, lp, result);
        case WM_PAINT:
            ::ValidateRect(hwnd(), nullptr);
            return true;
        case WM_NCCALCSIZE:
        case WM_NCPAINT:
        case WM_SETFOCUS: return true;
        case WM_NCACTIVATE: result = TRUE; return true;
        case WM_SHOWWINDOW:
            OnShowWindow(wp != 0);
            return false;
        case WM_TIMER:
            OnTimer(wp);
            return true;
        case WM_NCHITTEST:
            result = OnNcHitTest(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
            return true;
        case WM_MOVING:
            OnMoving(reinterpret_cast<RECT*>(lp));
            result = TRUE;
            return true;
        case WM_MOVE:
        case WM_MOUSEACTIVATE:
            RaiseChildWindows();
            return false;
        case WM_LBUTTONDOWN:
            OnLButtonDown(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
            return false;
        case WM_LBUTTONUP:
            OnLButtonUp(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
            return false;
        case WM_MOUSEMOVE:
            OnMouseMove(wp, POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
            return false;
        case WM_CAPTURECHANGED:
            m_ResizeDirection = 0;  // the drag ends with the capture
            return false;
        default: return false;
    }
}

}  // namespace panels
