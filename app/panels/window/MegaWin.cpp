#include "app/panels/window/MegaWin.h"

#include <shellapi.h>
#include <windowsx.h>

#include <string>
#include <vector>

#include "app/core/graphics/Monitors.h"
#include "app/core/main/PondrelApp.h"
#include "app/core/net/HttpRoutines.h"
#include "app/panels/thread/HoverThread.h"
#include "app/core/common/AppMessages.h"
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
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
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

BOOL CALLBACK CollectChild(HWND child, LPARAM lp) {
    auto* children = reinterpret_cast<std::vector<ChildWindow>*>(lp);
    wchar_t name[64] = {};
    ::GetClassNameW(child, name, 64);
    RECT rc{};
    ::GetWindowRect(child, &rc);
    children->push_back(ChildWindow{name, ToInt(rc)});
    return TRUE;
}

}  // namespace

MegaWin::~MegaWin() = default;

bool MegaWin::CreatePanel(const RECT& panelRect) {
    RegisterPanelClass();
    m_PanelRect = panelRect;
    if (!Create(kClass, L"", 0, nullptr)) return false;
    // The system gives a top-level window of style 0 a caption and with it a
    // window edge: the panel keeps exactly its own styles.
    ::SetWindowLongPtrW(hwnd(), GWL_STYLE, 0);
    ::SetWindowLongPtrW(hwnd(), GWL_EXSTYLE, static_cast<LONG_PTR>(kExStyle));
    return true;
}

void MegaWin::PreCreateWindow(CREATESTRUCTW& cs) {
    cs.lpszClass = kClass;
    cs.style = 0;
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

// The panel's face: the template's drawn elements and resize handles at the
// given opacity, the windowed elements' places filled opaque where their
// child windows sit; without a template a light box with a darker frame.
void MegaWin::PaintPanel(Gdiplus::Graphics& g, float alpha) {
    if (const ElementPanel* elements = m_pOwner ? m_pOwner->Elements() : nullptr) {
        const bool showDockBar = theApp.Snapshot()->showDockBar;
        elements->drawn.DrawAll(g, alpha, showDockBar);
        elements->resizeHandles.DrawAll(g, alpha, showDockBar);
        elements->windowed.FillRects(g);
        return;
    }
    const int w = m_PanelRect.right - m_PanelRect.left, h = m_PanelRect.bottom - m_PanelRect.top;
    if (w <= 0 || h <= 0) return;
    auto a = static_cast<BYTE>(alpha <= 0.0f ? 0 : alpha >= 1.0f ? 255 : alpha * 255.0f);
    Gdiplus::SolidBrush face(Gdiplus::Color(a, 0xF4, 0xF4, 0xF0));
    g.FillRectangle(&face, 0, 0, w, h);
    Gdiplus::Pen frame(Gdiplus::Color(a, 0x60, 0x60, 0x60), 1.0f);
    g.DrawRectangle(&frame, 0, 0, w - 1, h - 1);
}

void MegaWin::Render(int, bool updateOnly) {
    if (!m_pBackBuffer) return;
    m_pBackBuffer->Clear();
    {
        Gdiplus::Graphics g(m_pBackBuffer->bitmap());
        g.ResetTransform();
        PaintPanel(g, m_FadeAlpha);
    }
    if (m_pOwner && m_pOwner->m_SaveMask.load()) {
        SaveMask();
        m_pOwner->m_SaveMask = false;  // the request is cleared once the file is written
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
        PaintPanel(g, 1.0f);
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
    }
}

void MegaWin::FadeIn() {
    if (m_Closing) return;
    RunFade(0.0f, 1.0f);
}

void MegaWin::FadeOutAndClose() {
    if (m_Closing) return;
    if (m_pOwner && m_pOwner->m_CloseNeedsTwo && !m_pOwner->m_CloseArmed) {
        m_pOwner->m_CloseArmed = true;
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
    if (m_pOwner && m_pOwner->m_IsSearchPanel && m_pOwner->m_Current.m_RunInt1 != kNoKeptRect) {
        const UserSetting& r = m_pOwner->m_Current;
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
    POINT shift = KeepOnMonitor(WorkAreaOf(m_Anchor), (flags & kFlagMenuPanel) ? &m_Anchor : nullptr);
    ::GetWindowRect(hwnd(), &m_PanelRect);
    m_WindowRect = m_PanelRect;
    if (!(flags & (kFlagNoShow | kFlagHidden))) ::ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
    return shift;
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

void MegaWin::CenterOnMonitor() { m_PanelRect = ToRect(CenterIn(ToInt(m_PanelRect), ToInt(WorkAreaOf(m_PanelRect)))); }

// Until the element tree exists the panel has no next/back controls.
void MegaWin::SetNavButtonState(bool, int) { Render(0, false); }

// The windowed elements' child windows come with the element tree.
void MegaWin::RaiseChildWindows() { m_JustShown = false; }

// The flight into the dock: the window shrinks toward the target and hides.
void MegaWin::AnimateIntoDock(const RECT& target) {
    if (m_DockAnimation || m_Docked) return;
    m_DockAnimation = true;
    ::GetWindowRect(hwnd(), &m_UndockedRect);
    m_Docked = true;
    RunFade(m_FadeAlpha, 0.0f);
    m_PanelRect = target;
    Render(0, false);
    ::ShowWindow(hwnd(), SW_HIDE);
    m_DockAnimation = false;
}

void MegaWin::AnimateOutOfDock() {
    if (m_DockAnimation || !m_Docked) return;
    m_DockAnimation = true;
    m_PanelRect = m_UndockedRect;
    ::ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
    RunFade(0.0f, 1.0f);
    m_Docked = false;
    m_DockAnimation = false;
}

void MegaWin::OnTimer(UINT_PTR id) {
    if (id != kTimer || m_Closing) return;
    if (m_ActivationPending) {
        m_ActivationPending = false;
        ::SetWindowLongPtrW(hwnd(), GWL_EXSTYLE, static_cast<LONG_PTR>(kExStyleActive));
    }
}

void MegaWin::OnShowWindow(bool shown) {
    if (shown)
        StartTimer(kTimer, kTimerMs);
    else
        StopTimer(kTimer);
}

// Until the element tree exists, the whole panel is its move area.
LRESULT MegaWin::OnNcHitTest(POINT screen) {
    HitInput in;
    in.overMoveArea = true;
    in.hasTail = m_HasTail;
    in.leftDown = (::GetAsyncKeyState(::GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON) & 0x8000) != 0;
    in.moving = m_Moving;
    in.closing = m_Closing;
    in.flags = m_pOwner ? m_pOwner->m_Flags : 0;
    HitDecision d = DecideHit(in);
    if (d.dropTail) {
        m_HasTail = false;
        if (m_pOwner) m_pOwner->PostToChildren(children_msg::kHideTail);
    }
    if (d.cursor == Cursor::Arrow) ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
    if (d.hideMenus && m_pOwner && m_pOwner->m_pHost)
        ::PostMessageW(m_pOwner->m_pHost->HostWindow(), controller_msg::kHideMenus, 0, 0);
    if (d.startMove) {
        POINT client = screen;
        ::ScreenToClient(hwnd(), &client);
        m_Snap.Begin(Point{client.x, client.y});
        m_Moving = true;
    }
    if (d.endMove) m_Moving = false;
    if (d.raiseChildren) RaiseChildWindows();
    if (d.focusSearch && m_pOwner) m_pOwner->PostToChildren(children_msg::kFocusSearch);
    if (d.panelReady && m_pOwner && m_pOwner->m_pHost) m_pOwner->m_pHost->ReportReady(m_pOwner);
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
    RaiseChildWindows();
}

void MegaWin::OnLButtonUp(POINT) {
    if (m_ResizeDirection) {
        m_ResizeDirection = 0;
        ::ReleaseCapture();
    }
}

void MegaWin::OnMouseMove() {
    if (!m_ResizeDirection || ::GetCapture() != hwnd()) return;
    POINT cursor{};
    ::GetCursorPos(&cursor);
    Size size = ResizedSize(m_ResizeDirection, m_ResizeStartSize, cursor.x - m_ResizeStartCursor.x,
                            cursor.y - m_ResizeStartCursor.y);
    if (m_pOwner) m_pOwner->ResizePanel(size.width, size.height, m_ResizeDirection);
    Render(0, false);
}

// The panel messages: most go to the thread's handlers and are ignored once
// the panel is closing; the close, the fades and the dock messages always run.
bool MegaWin::OnPanelMessage(UINT msg, WPARAM wp, LPARAM lp) {
    using namespace panel_msg;
    HoverThread* t = m_pOwner;
    if (!t) return false;
    const bool alwaysRuns = msg == kCloseNow || msg == kClose || msg == kResize || (msg >= kFadeIn && msg <= kArmAndClose);
    if (m_Closing && !alwaysRuns) return true;
    switch (msg) {
        case kNavigate: t->OnNavigate(wp, lp); break;
        case kReload: t->OnReload(wp, lp); break;
        case kDockAnimate: t->OnDockAnimate(); break;
        case kUndockAnimate: t->OnUndockAnimate(); break;
        case kCloseNow: t->OnCloseNow(); break;
        case kStoreUrl: break;
        case kHide: t->OnHide(); break;
        case kShow:
            t->m_CloseArmed = false;
            t->OnShow(lp);
            break;
        case kHideTail:
            t->PostToChildren(children_msg::kHideTail);
            Render(0, false);
            break;
        case kOpenWithToken: break;
        case kRaise: t->OnRaise(); break;
        case kClose: t->OnClose(); break;
        case kReady: t->OnReady(); break;
        case kRepaint:
        case kRedraw: Render(0, false); break;
        case kRefreshSearch: break;
        case kResize: t->OnResize(static_cast<int>(wp), static_cast<int>(lp)); break;
        case kCenter:
            if (wp == 1) CenterOnMonitor();
            break;
        case kLoadContentUrl: break;
        case kFadeIn: FadeIn(); break;
        case kFadeOutAndClose: FadeOutAndClose(); break;
        case kNavButtonState: SetNavButtonState(wp != 0, static_cast<int>(lp)); break;
        case kPublishUrl: t->PublishUrl(); break;
        case kArmAndClose:
            t->m_CloseArmed = true;
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
            OnMouseMove();
            return false;
        default: return false;
    }
}

}  // namespace panels
