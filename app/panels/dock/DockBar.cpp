#include "app/panels/dock/DockBar.h"

#include <windowsx.h>

#include <vector>

#include "app/core/common/AppMessages.h"
#include "app/core/common/GlobalLocks.h"
#include "app/core/graphics/Monitors.h"
#include "app/core/main/PondrelApp.h"
#include "app/panels/dock/DockContextMenu.h"
#include "app/panels/dock/DockThread.h"
#include "log/PondrelLog.h"

namespace {

constexpr int kBackWidth = 105;
constexpr int kBackHeight = dock::kStripHeight;
constexpr DWORD kTrackWaitMs = 10;  // the mouse tracking's pause per round

IntRect ToInt(const RECT& r) { return IntRect{r.left, r.top, r.right, r.bottom}; }
RECT ToRect(const IntRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

RECT PrimaryWorkArea() {
    RECT work{};
    if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) work = RECT{0, 0, 1024, 768};
    return work;
}

// The system's monitors with their work areas.
std::vector<dock::MonitorArea> SystemMonitors() {
    std::vector<dock::MonitorArea> areas;
    CMonitors monitors;
    for (int i = 0; i < monitors.GetSize(); ++i) {
        const CMonitor* m = monitors.GetAt(i);
        MONITORINFO info{};
        info.cbSize = sizeof(info);
        if (m && ::GetMonitorInfoW(m->handle(), &info)) areas.push_back({ToInt(info.rcMonitor), ToInt(info.rcWork)});
    }
    return areas;
}

bool AsyncButtonDown(int vk) { return (::GetAsyncKeyState(vk) & 0x8000) != 0; }

POINT SystemCursorPos() {
    POINT p{};
    ::GetCursorPos(&p);
    return p;
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[64] = {};
    if (hwnd) ::GetClassNameW(hwnd, name, 64);
    return name;
}

// The picture fitted into a size x size square, its aspect kept.
ArgbBitmap FittedCopy(Gdiplus::Bitmap* image, int size) {
    if (!image) return nullptr;
    ArgbBitmap copy = fx::NewGdiplus<Gdiplus::Bitmap>(size, size, PixelFormat32bppARGB);
    if (!copy || copy->GetLastStatus() != Gdiplus::Ok) return nullptr;
    Gdiplus::Graphics g(copy.get());
    g.Clear(Gdiplus::Color(0, 0, 0, 0));
    g.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    const dock::FloatRect r = dock::FitPicture(static_cast<int>(image->GetWidth()),
                                               static_cast<int>(image->GetHeight()), IntRect{0, 0, size, size});
    g.DrawImage(image, Gdiplus::RectF(r.x, r.y, r.width, r.height));
    return copy;
}

}  // namespace

DockBar::DockBar() : m_LastTick(::GetTickCount()), m_WorkArea(PrimaryWorkArea()), m_SavedWorkArea(m_WorkArea) {
    m_Slide.slideY = 0.0f;  // shown; OnShowWindow starts it above the edge
}

DockBar::~DockBar() { Shutdown(); }

bool DockBar::CreateBar(const std::wstring& installDir, HWND controllerWindow) {
    m_InstallDir = installDir;
    m_hController = controllerWindow;
    m_BackImage = LoadImageFile(installDir + L"Images\\DockBack.png", kBackWidth, kBackHeight);
    if (!m_BackImage) LogLine(L"Dock: no background image Images\\DockBack.png");
    return Create(kClass, kTitle, FloatingWin::kDefaultStyle);
}

void DockBar::Shutdown() {
    if (m_pContextMenu) m_pContextMenu->Destroy();
    m_pContextMenu.reset();
    m_Anchor.Destroy();
    Destroy();
    {
        fx::ScopedLock hold(g_DockLock);
        dockitems::Clear();
    }
    for (auto& piece : m_Pieces) piece.reset();
    m_BackImage.reset();
    m_pBackBuffer.reset();
}

void DockBar::PreCreateWindow(CREATESTRUCTW& cs) {
    cs.style = static_cast<LONG>(WS_POPUP);
    cs.dwExStyle = kExStyle;
    cs.lpszClass = kClass;
    cs.x = cs.y = 0;
    cs.cx = cs.cy = 1;
}

bool DockBar::OnCreateClient() {
    {
        fx::ScopedLock hold(g_DockLock);
        m_CellWidth = m_CellHeight = dock::kCellSize;
        m_Margins = dock::Margins{0, 0, 0, 100};
    }
    m_Slide.autoHide = true;
    m_Countdown = dock::kRedrawCountdownStart;
    m_pContextMenu = std::make_unique<DockContextMenu>(*this);
    m_pContextMenu->CreateDockMenu();
    Render(0, true);
    m_Anchor.CreateAnchor();
    StartTimer(timer_id::kFade, dock::kTickMs);
    return true;
}

bool DockBar::IsButtonDown(int vk) const { return (m_ButtonDown ? m_ButtonDown : AsyncButtonDown)(vk); }

POINT DockBar::CursorPos() const { return (m_CursorPos ? m_CursorPos : SystemCursorPos)(); }

// ---- drawing ----

void DockBar::DrawBackground(Gdiplus::Graphics& g) {
    if (!m_BackImage) return;
    const int width = static_cast<int>(m_BackImage->GetWidth());
    EnsureImagePiece(m_BackImage.get(), m_Pieces[0], 0, 0, 32, kBackHeight);
    EnsureImagePiece(m_BackImage.get(), m_Pieces[1], 40, 0, 1, kBackHeight);
    EnsureImagePiece(m_BackImage.get(), m_Pieces[2], 40, 0, 20, kBackHeight);
    EnsureImagePiece(m_BackImage.get(), m_Pieces[3], width - 32, 0, 32, kBackHeight);
    for (const dock::Slice& s : dock::PlanBackground(width, m_Width, m_Margins.right)) {
        Gdiplus::Bitmap* piece = s.srcX == 0 ? m_Pieces[0].get()
                                 : s.srcWidth == 1 ? m_Pieces[1].get()
                                 : s.srcWidth == 20 ? m_Pieces[2].get()
                                                    : m_Pieces[3].get();
        if (!piece) continue;
        for (int x = 0; x < s.dstWidth; x += s.srcWidth) g.DrawImage(piece, s.dstX + x, 0, s.srcWidth, kBackHeight);
    }
}

void DockBar::DrawItems(Gdiplus::Graphics& g) {
    for (const auto& item : dockitems::Items()) {
        if (!item->image) continue;
        const RECT& r = item->rect;
        if (item->scale.scaleX == 1.0f) {
            if (!item->cache60) item->cache60 = FittedCopy(item->image.get(), 60);
            if (item->cache60) g.DrawImage(item->cache60.get(), r.left, r.top, 60, 60);
        } else if (item->scale.scaleX == dock::kMaxScale) {
            if (!item->cache120) item->cache120 = FittedCopy(item->image.get(), 120);
            if (item->cache120) g.DrawImage(item->cache120.get(), r.left, r.top, 120, 120);
        } else {
            const dock::FloatRect f = dock::FitPicture(static_cast<int>(item->image->GetWidth()),
                                                       static_cast<int>(item->image->GetHeight()), ToInt(r));
            g.DrawImage(item->image.get(), Gdiplus::RectF(f.x, f.y, f.width, f.height));
        }
    }
}

void DockBar::Render(int, bool initial) { RenderFrame(initial, false); }

DockBar::FrameKey DockBar::CurrentFrame() const {
    FrameKey key;
    key.window = m_WindowRect;
    key.width = m_Width;
    key.height = m_Height;
    key.offsetX = m_Slide.offsetX;
    key.offsetY = m_Slide.offsetY;
    key.alpha = m_Alpha;
    key.refreshes = m_Refreshes;
    for (const auto& item : dockitems::Items())
        key.items.push_back(FrameItem{item->rect, item->scale.scaleX, item->scale.scaleY, item->image.get()});
    return key;
}

void DockBar::RenderFrame(bool initial, bool showing, bool onlyIfChanged) {
    if (m_Dragging && !initial) return;  // the drag step draws its own frames
    const bool full = !initial && !showing;
    {
        fx::ScopedLock hold(g_DockLock);
        dockitems::LayoutItems(m_CellWidth, m_CellHeight, m_Slide.slideX, m_Slide.slideY);
        const IntRect bar = dock::BarRect(ToInt(m_WorkArea), dockitems::ItemsWidth(), m_Margins);
        m_WindowRect = ToRect(bar);
        m_Width = bar.Width();
        m_Height = bar.Height();
        dockitems::BarRect() = m_WindowRect;
        dockitems::BarEdge() = m_Edge;
        FrameKey key = CurrentFrame();
        const bool same = m_LastFramePushed && key == m_LastFrame;
        if (onlyIfChanged && full && same && m_Visible && hwnd()) return;
        m_LastFramePushed = false;
        if (full) m_LastFrame = std::move(key);
        GrowBackBuffer(m_Width, m_Height);
        if (!m_pBackBuffer) return;
        m_pBackBuffer->Clear();
        if (full) {
            Gdiplus::Graphics g(m_pBackBuffer->bitmap());
            g.TranslateTransform(m_Slide.offsetX, m_Slide.offsetY);
            DrawBackground(g);
            DrawItems(g);
        }
    }
    if (!m_Visible || !hwnd()) return;
    if (!m_OffscreenReady) MakeOffscreen();
    // Moves and sizes the window to m_WindowRect too.
    if (UpdateLayered() && full) m_LastFramePushed = true;
}

// ---- the tick ----

void DockBar::OnTimer() { Step(::GetTickCount(), CursorPos()); }

void DockBar::Step(DWORD now, POINT cursor) {
    if (m_pContextMenu && m_pContextMenu->IsVisible()) {
        // The menu never takes the front: it closes when another window
        // comes to the front.
        HWND front = ::GetForegroundWindow();
        if (!dock::KeepsDockMenu(ClassOf(front) == TxMenuWin::kClass, reinterpret_cast<std::uintptr_t>(m_MenuForeground),
                                 reinterpret_cast<std::uintptr_t>(front)))
            m_pContextMenu->HideMenu();
        return;
    }
    if (now - m_LastTick < dock::kTickMs) return;
    m_LastTick = now;
    if (hwnd()) ::SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    bool changed = false;
    if (m_Visible) {
        if (m_Dragging) {
            if (hwnd()) ::SetForegroundWindow(hwnd());
            DragStep();
        }
        if (dock::StepCountdown(m_Countdown)) changed = true;
        RECT window{};
        if (hwnd()) ::GetWindowRect(hwnd(), &window);
        const RECT strip = ToRect(dock::HotStrip(ToInt(window)));
        dock::SlideInput in;
        in.dragging = m_Dragging;
        in.cursorInStrip = ::PtInRect(&strip, cursor) != FALSE;
        in.buttonDown = IsButtonDown(VK_LBUTTON) || IsButtonDown(VK_RBUTTON);
        in.cursorFromTop = cursor.y - window.top;
        if (dock::StepSlide(m_Slide, in)) changed = true;
    }
    m_Probing = true;
    HWND under = ::WindowFromPoint(cursor);
    m_Probing = false;
    const bool overBar = under && (under == hwnd() || (m_pContextMenu && under == m_pContextMenu->hwnd()));
    {
        fx::ScopedLock hold(g_DockLock);
        if (AnimateItems(overBar)) changed = true;
        for (const auto& item : dockitems::Items()) {
            if (item->livePanel && now - item->lastRefresh >= item->refreshInterval) {
                item->lastRefresh = now;
                ++m_Refreshes;
                changed = true;
            }
        }
    }
    if (changed) RenderFrame(false, false, true);
}

void DockBar::MagnifyAt(POINT client, POINT screen) {
    dockitems::Hover& hover = dockitems::HoverState();
    DockItem* hit = hover.last;
    if (screen.x != hover.cursorX || !hover.last) {
        hit = dockitems::HitTestItem(m_CellWidth, m_CellHeight, 4, 0, client.x, client.y);
        hover.cursorX = screen.x;
    }
    const int index = hit ? dockitems::IndexOf(hit) : -1;
    const std::shared_ptr<const AppSnapshot> app = theApp.Snapshot();
    if (index < 0) {
        ::SetCursor(app->arrowCursor ? app->arrowCursor : ::LoadCursorW(nullptr, IDC_ARROW));
        hover.last = nullptr;
        hover.magnified = false;
        return;
    }
    DockItemList& items = dockitems::Items();
    std::vector<dock::ItemScale> scales;
    for (const auto& item : items) scales.push_back(item->scale);
    dock::MagnifyTargets(scales, index, hit->hitOffset);
    for (size_t i = 0; i < items.size(); ++i) items[i]->scale = scales[i];
    ::SetCursor(app->handCursor ? app->handCursor : ::LoadCursorW(nullptr, IDC_HAND));
    hover.last = hit;
    hover.magnified = true;
}

bool DockBar::AnimateItems(bool cursorOverBar) {
    DockItemList& items = dockitems::Items();
    if (items.empty()) return false;
    std::vector<dock::ItemScale> scales;
    bool sliding = false;
    for (const auto& item : items) {
        scales.push_back(item->scale);
        if (item->slideY < 0.0f || item->slideX < 0.0f) sliding = true;
    }
    const bool changed = dock::AnimateItems(scales, cursorOverBar, dockitems::HoverState().magnified, sliding,
                                            !IsButtonDown(VK_LBUTTON));
    for (size_t i = 0; i < items.size(); ++i) items[i]->scale = scales[i];
    return changed;
}

// ---- messages ----

void DockBar::ShowOrHide() {
    if (!hwnd()) return;
    // Only a change of visibility: each show starts the bar above the edge.
    const bool show = theApp.Snapshot()->showDockBar;
    if (show != (::IsWindowVisible(hwnd()) != FALSE)) ::ShowWindow(hwnd(), show ? SW_SHOWNOACTIVATE : SW_HIDE);
}

void DockBar::OnRebuildItems() {
    {
        fx::ScopedLock dockHold(g_DockLock);
        dockitems::RemoveImportedItems();
        auto imports = theApp.m_DockImportState.Lock();
        for (const DockItemImportNode& record : imports->m_DockImports) {
            if (!record.control) continue;
            DockItem* item = dockitems::AddItem(record.iconPath, L"", nullptr, false, -2, m_InstallDir);
            if (!item) continue;
            item->ecpId = record.ecpId;
            item->url = record.context;
            item->imported = true;
        }
    }
    // Shown or hidden by the one rule of 11117: the settings decide.
    ShowOrHide();
    Render(0, false);
}

void DockBar::OnItemGone() {
    size_t left = 0;
    {
        fx::ScopedLock hold(g_DockLock);
        left = dockitems::Items().size();
    }
    Render(0, false);
    if (dock::HidesAfterRemoval(left) && hwnd() && ::IsWindowVisible(hwnd())) ::ShowWindow(hwnd(), SW_HIDE);
}

void DockBar::OnShowWindow(bool show) {
    if (!show) {
        StopTimer(timer_id::kFade);
        return;
    }
    StartTimer(timer_id::kFade, dock::kTickMs);
    m_Slide.slideY = dock::kHiddenSlide;
    m_Slide.slidingIn = m_Slide.slidingOut = false;
    m_Slide.offsetX = dock::kBaseX + m_Slide.slideX;
    m_Slide.offsetY = dock::kBaseY + m_Slide.slideY;
    RenderFrame(false, true);
}

void DockBar::OnLButtonUp(int x, int y) {
    if (m_Dragging) {
        m_Pressed = false;
        m_Dragging = false;
        RECT now{};
        if (hwnd()) ::GetWindowRect(hwnd(), &now);
        if (!::EqualRect(&now, &m_SavedRect)) Render(0, false);  // centred on the new work area's top edge
        m_Anchor.Hide();
        return;
    }
    bool hide = false, redraw = false;
    std::wstring asked;  // an imported item's record, logged once the locks are given back
    {
        fx::ScopedLock hold(g_DockLock);
        DockItem* hit = dockitems::HitTestItem(m_CellWidth, m_CellHeight, 0, 0, x, y);
        m_Pressed = hit != nullptr;
        if (!hit) return;
        if (hit->livePanel) {
            RECT cell = hit->rect;
            ::OffsetRect(&cell, m_WindowRect.left, m_WindowRect.top);
            hit->livePanel->TakeUndockPlace(cell, hit->index);
            ::PostMessageW(hit->livePanel->DockedPanelWindow(), panel_msg::kUndockAnimate, 0, 0);
            dockitems::RemoveItem(hit);
            hide = dock::HidesAfterRemoval(dockitems::Items().size());
            redraw = true;
        } else if (hit->imported) {
            theApp.m_DockImportState.Lock()->m_DockRequest = DockRequest{hit->ecpId, hit->url};
            asked = hit->ecpId;
            if (m_hController) ::PostMessageW(m_hController, controller_msg::kDockEcp, 0, 0);
        }
    }
    if (!asked.empty()) LogWithPrefix(L"Dock: item %s asks for its panel", asked.c_str());
    if (redraw) Render(0, false);
    if (hide && hwnd()) ::ShowWindow(hwnd(), SW_HIDE);
}

void DockBar::HandleQueuedDockMessages() {
    MSG msg;
    for (UINT id : {dock_msg::kItemGone, dock_msg::kRender, dock_msg::kShowOrHide, dock_msg::kRebuildItems}) {
        while (::PeekMessageW(&msg, nullptr, id, id, PM_REMOVE)) {
            if (msg.hwnd && msg.hwnd != hwnd()) {
                ::DispatchMessageW(&msg);
                continue;
            }
            if (id == dock_msg::kItemGone) OnItemGone();
            else if (id == dock_msg::kRender) Render(0, false);
            else if (id == dock_msg::kShowOrHide) ShowOrHide();
            else OnRebuildItems();
        }
    }
}

void DockBar::OnMouseMove() {
    MSG msg;
    if (::PeekMessageW(&msg, hwnd(), WM_LBUTTONUP, WM_LBUTTONUP, PM_NOREMOVE)) return;
    bool rightDown = false;
    POINT screen{};
    for (;;) {
        screen = CursorPos();
        RECT window{};
        ::GetWindowRect(hwnd(), &window);
        if (!::PtInRect(&window, screen) || m_Dragging || IsButtonDown(VK_LBUTTON)) break;
        if (::PeekMessageW(&msg, hwnd(), WM_LBUTTONUP, WM_LBUTTONUP, PM_NOREMOVE)) break;
        if (::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) break;
        if (m_pThread && m_pThread->QuitRequested()) break;
        if (IsButtonDown(VK_RBUTTON)) {
            rightDown = true;
        } else if (rightDown) {  // a right click completed
            ::PostMessageW(hwnd(), WM_CONTEXTMENU, 0, MAKELPARAM(screen.x, screen.y));
            m_MenuOpen = true;
            while (::PeekMessageW(&msg, hwnd(), WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
            }
            return;
        }
        if (m_MenuOpen || (m_pContextMenu && m_pContextMenu->IsVisible())) break;
        POINT client = screen;
        ::ScreenToClient(hwnd(), &client);
        {
            fx::ScopedLock hold(g_DockLock);
            MagnifyAt(client, screen);
        }
        Step(::GetTickCount(), screen);
        // A short pause instead of spinning; the bar's own messages are
        // handled meanwhile.
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, kTrackWaitMs, QS_POSTMESSAGE | QS_SENDMESSAGE);
        HandleQueuedDockMessages();
    }
    if (::PeekMessageW(&msg, hwnd(), WM_LBUTTONUP, WM_LBUTTONUP, PM_NOREMOVE)) {
        while (::PeekMessageW(&msg, hwnd(), WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
        }
        POINT client = screen;
        ::ScreenToClient(hwnd(), &client);
        ::PostMessageW(hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(client.x, client.y));
    }
}

void DockBar::StartDrag() {
    ::GetWindowRect(hwnd(), &m_SavedRect);
    m_SavedEdge = m_Edge;
    m_SavedWorkArea = m_WorkArea;
    m_Dragging = true;
    // The bar's picture, unslid, into the drag window over the bar.
    const dock::Slide slide = m_Slide;
    m_Slide.offsetX = dock::kBaseX;
    m_Slide.offsetY = dock::kBaseY;
    m_Dragging = false;
    RenderFrame(false, false);
    m_Dragging = true;
    m_Slide = slide;
    if (m_pBackBuffer) m_Anchor.ShowPicture(*m_pBackBuffer, m_WindowRect);
    ::SetForegroundWindow(hwnd());
}

void DockBar::DragStep() {
    RECT window{};
    ::GetWindowRect(hwnd(), &window);
    const RECT work = ToRect(dock::WorkAreaUnder((m_Monitors ? m_Monitors : SystemMonitors)(), ToInt(window),
                                                 ToInt(m_WorkArea)));
    if (::EqualRect(&work, &m_WorkArea)) return;
    m_WorkArea = work;
    int itemsWidth = 0;
    {
        fx::ScopedLock hold(g_DockLock);
        itemsWidth = dockitems::ItemsWidth();
    }
    const RECT place = ToRect(dock::BarRect(ToInt(work), itemsWidth, m_Margins));
    if (m_pBackBuffer) m_Anchor.ShowPicture(*m_pBackBuffer, place);
}

LRESULT DockBar::OnNcHitTest(POINT screen) {
    POINT client = screen;
    ::ScreenToClient(hwnd(), &client);
    const bool leftDown = IsButtonDown(VK_LBUTTON);
    if (!leftDown || m_Probing) {
        if (m_Dragging) {
            if (leftDown) return HTCAPTION;
            ::PostMessageW(hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(client.x, client.y));
            m_Pressed = false;
            return HTCLIENT;
        }
        if (!leftDown) m_Pressed = false;
        return HTCLIENT;
    }
    DockItem* hit = nullptr;
    {
        fx::ScopedLock hold(g_DockLock);
        hit = dockitems::HitTestItem(m_CellWidth, m_CellHeight, 0, 0, client.x, client.y);
    }
    if (hit || m_Pressed) return m_Dragging ? HTCAPTION : HTCLIENT;
    if (!m_Dragging) StartDrag();
    return HTCAPTION;
}

void DockBar::OnContextMenu(POINT screen) {
    m_MenuOpen = false;
    m_MenuForeground = ::GetForegroundWindow();
    if (m_pContextMenu) m_pContextMenu->ShowAtPoint(screen);
}

bool DockBar::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    result = 0;
    switch (msg) {
        case dock_msg::kItemGone: OnItemGone(); return true;
        case dock_msg::kRender: Render(0, false); return true;
        case dock_msg::kShowOrHide: ShowOrHide(); return true;
        case dock_msg::kRebuildItems: OnRebuildItems(); return true;
        case WM_TIMER:
            if (wp == timer_id::kFade) OnTimer();
            return true;
        case WM_SHOWWINDOW:
            OnShowWindow(wp != 0);
            return false;  // the default handling follows
        case WM_MOUSEMOVE: OnMouseMove(); return true;
        case WM_NCHITTEST: result = OnNcHitTest(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}); return true;
        case WM_LBUTTONUP: OnLButtonUp(GET_X_LPARAM(lp), GET_Y_LPARAM(lp)); return true;
        case WM_LBUTTONDOWN: return true;
        case WM_CONTEXTMENU: OnContextMenu(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}); return true;
        case WM_MOUSEACTIVATE: result = MA_NOACTIVATE; return true;
        default: return FloatingWin::OnMessage(msg, wp, lp, result);
    }
}
