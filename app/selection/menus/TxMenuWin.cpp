#include "app/selection/menus/TxMenuWin.h"

#include <windowsx.h>

#include "app/core/graphics/AppImages.h"
#include "app/core/graphics/Monitors.h"
#include "app/core/graphics/OpacityDraw.h"
#include "app/core/graphics/SharedGraphics.h"
#include "app/core/main/PondrelApp.h"
#include "app/core/config/XmlConfig.h"
#include "app/selection/menus/ECPSubMenu.h"
#include "app/selection/menus/PondrelSubMenu.h"

namespace {

SharedGraphics& Graphics() { return theApp.m_Graphics; }

// A fill with a shared brush that may be missing.
void Fill(Gdiplus::Graphics& g, const Gdiplus::Brush* brush, int x, int y, int w, int h) {
    if (brush) g.FillRectangle(brush, x, y, w, h);
}

// The part (sx, sy, w, h) of an image 1:1 at (x, y), at full opacity.
void DrawImagePart(Gdiplus::Graphics& g, Gdiplus::Image* image, int x, int y, int sx, int sy, int w, int h) {
    if (!image || w <= 0 || h <= 0) return;
    render::DrawImageWithOpacity(x, y, w, h, image, sx, sy, w, h, 1.0, nullptr, Gdiplus::InterpolationModeDefault, g);
}

// A whole image at its own size at (x, y).
void DrawImageAt(Gdiplus::Graphics& g, Gdiplus::Image* image, int x, int y) {
    if (image)
        DrawImagePart(g, image, x, y, 0, 0, static_cast<int>(image->GetWidth()), static_cast<int>(image->GetHeight()));
}

HCURSOR ArrowCursor() {
    return Graphics().arrowCursor ? Graphics().arrowCursor : ::LoadCursorW(nullptr, IDC_ARROW);
}

}  // namespace

// ---- items ----

MyMenuItem::MyMenuItem() = default;
MyMenuItem::~MyMenuItem() = default;

// ---- the menu ----

TxMenuWin::TxMenuWin() {
    m_Width = 96;
    m_Height = 78;
}

TxMenuWin::~TxMenuWin() {
    // The window first, while the items (and their sub-menus) still exist.
    Destroy();
    m_pOpenSubMenu = nullptr;
    ClearItems();
}

bool TxMenuWin::CreateMenu(const wchar_t* name, MenuHost* ownerView, MenuObserver* observer) {
    name_ = name;
    if (ownerView) m_pOwnerView = ownerView;
    if (observer) m_pObserver = observer;
    return Create(kClass, name, FloatingWin::kDefaultStyle);
}

MyMenuItem* TxMenuWin::AddItem(const std::wstring& text, const std::wstring& id, int data, int where) {
    auto item = std::make_unique<MyMenuItem>();
    item->m_Text = text;
    item->m_Id = id;
    item->m_Data = data;
    return m_Items.Add(std::move(item), where != -1);
}

MyMenuItem* TxMenuWin::AddSeparator(int where) {
    auto item = std::make_unique<MyMenuItem>();
    item->m_Text.clear();
    item->m_Id.clear();
    item->m_Height = menu_layout::kSeparatorHeight;
    item->m_Data = 0;
    item->m_Separator = true;
    return m_Items.Add(std::move(item), where != -1);
}

void TxMenuWin::ClearItems() {
    if (m_pOpenSubMenu) CloseSubMenu();
    m_pDebugItem = nullptr;
    m_Items.RemoveAll();
}

void TxMenuWin::RemoveGuessItems() {
    CloseSubMenu();
    m_Items.RemoveGuessItems();
}

void TxMenuWin::MeasureItems() {
    HDC dc = ::GetDC(nullptr);
    {
        Gdiplus::Graphics g(dc);
        const Gdiplus::Font* font = Graphics().menuFont.get();
        auto textWidth = [&](const std::wstring& text) {
            if (m_MeasureText) return m_MeasureText(text);
            if (!font) return 0.0f;
            Gdiplus::RectF box;
            g.MeasureString(text.c_str(), static_cast<INT>(text.size()), font, Gdiplus::PointF(0, 0), &box);
            return box.Width;
        };
        menu_layout::Size size = m_Items.Measure(m_Wide, [&](const MyMenuItem& item) {
            int icon = item.m_pIcon ? static_cast<int>(item.m_pIcon->GetWidth()) : 0;
            return menu_layout::ItemWidth(item, item.m_FixedWidth ? 0.0f : textWidth(item.m_Text), icon);
        });
        m_Width = size.width;
        m_Height = size.height;
    }
    ::ReleaseDC(nullptr, dc);
}

fx::GdiplusPtr<Gdiplus::Image> TxMenuWin::LoadItemIcon(const std::wstring& url) {
    return LoadCachedIcon(theApp.m_InstallDir, theApp.m_CacheDir, url);
}

void TxMenuWin::PreCreateWindow(CREATESTRUCTW& cs) {
    ClearItems();
    BuildItems();
    MeasureItems();
    cs.cx = m_Width;
    cs.cy = m_Height;
    // No window style: a bare pop-up (an overlapped window would get a
    // caption and a minimum size).
    cs.style = static_cast<LONG>(WS_POPUP);
    cs.lpszClass = kClass;
    cs.dwExStyle = kExStyle;
}

bool TxMenuWin::OnCreateClient() {
    RECT r{};
    ::GetWindowRect(hwnd(), &r);
    m_Width = r.right - r.left;
    m_Height = r.bottom - r.top;
    return FloatingWin::OnCreateClient();
}

void TxMenuWin::PaintFrame(Gdiplus::Graphics& g) {
    Gdiplus::Image* frame = Graphics().menuShadow.get();
    if (!frame) return;
    std::vector<int32_t> heights;
    for (size_t i = 0; i < m_Items.GetCount(); ++i) heights.push_back(m_Items.GetAt(i)->m_Height);
    for (const menu_layout::Blit& b :
         menu_layout::PlanFrame(m_Width, heights, static_cast<int32_t>(frame->GetWidth()),
                                static_cast<int32_t>(frame->GetHeight())))
        DrawImagePart(g, frame, b.dx, b.dy, b.x, b.y, b.w, b.h);
}

void TxMenuWin::PaintItems() {
    RefreshItems();
    if (!m_pBackBuffer) return;
    m_pBackBuffer->Clear();
    SharedGraphics& graphics = Graphics();
    Gdiplus::Graphics g(m_pBackBuffer->bitmap());
    PaintFrame(g);
    int y = 1;
    for (size_t i = 0; i < m_Items.GetCount(); ++i) {
        MyMenuItem& item = *m_Items.GetAt(i);
        const int w = item.m_Width, h = item.m_Height;
        const bool hot = static_cast<int>(i) == m_Items.m_HotIndex;
        if (!item.m_FixedWidth) Fill(g, graphics.whiteBrush.get(), 1, y, w - 4, h);
        if (item.m_Separator) {
            if (Gdiplus::Image* divider = graphics.menuDivider.get())
                DrawImagePart(g, divider, 2, y + 4, 0, 0, w - 5, static_cast<int>(divider->GetHeight()));
            y += h;
            continue;
        }
        if (hot && !item.m_FixedWidth) {
            Fill(g, graphics.highlightBrush.get(), 1, y, w - 5, h);
            if (graphics.highlightPen) g.DrawRectangle(graphics.highlightPen.get(), 1, y - 1, w - 5, h);
        }
        int textX = 27;
        if (item.m_pIcon) {
            DrawImageAt(g, item.m_pIcon.get(), 7, y + 1);
            textX = static_cast<int>(item.m_pIcon->GetWidth()) + 11;
        }
        if (!item.m_Text.empty())
            DrawTextString(&g, item.m_Text, static_cast<float>(textX), static_cast<float>(y + 2), graphics.menuFont.get(),
                           item.m_Disabled ? graphics.greyBrush.get() : graphics.blackBrush.get());
        if (item.m_Data != 0 || item.m_HasEcpMenu) DrawImageAt(g, graphics.subMenuArrow.get(), m_Width - 15, y + 1);
        if (hot && item.m_ActionMark) DrawImageAt(g, graphics.actionsIcon.get(), m_Width - 22, y + 1);
        y += h;
    }
}

void TxMenuWin::Render(int, bool full) {
    PaintItems();
    if (!full) {
        if (!hwnd()) return;
        ::GetWindowRect(hwnd(), &m_WindowRect);
        ::SetWindowPos(hwnd(), nullptr, m_WindowRect.left, m_WindowRect.top, m_Width, m_Height,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        m_WindowRect.right = m_WindowRect.left + m_Width;
        m_WindowRect.bottom = m_WindowRect.top + m_Height;
        UpdateLayered();
        return;
    }
    if (m_pBackBuffer) {
        if (!m_OffscreenReady) MakeOffscreen();
        UpdateLayered();
    }
}

void TxMenuWin::PlaceOnMonitor(const RECT& rect) {
    if (!hwnd()) return;
    ::SetWindowPos(hwnd(), nullptr, rect.left, rect.bottom, m_Width, m_Height,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (::GetMonitorInfoW(::MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &info)) KeepOnMonitor(info.rcMonitor);
    ::GetWindowRect(hwnd(), &m_WindowRect);
}

void TxMenuWin::ShowAt(const RECT& rect, MenuHost* ownerView, MenuObserver* observer) {
    m_pOwnerView = ownerView;
    m_pObserver = observer;
    m_Items.m_HotIndex = -1;
    MeasureItems();
    PlaceOnMonitor(rect);
    ResizeAndRedraw();
    Render(0, true);
    Render(0, false);
    ::ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
    ::InvalidateRect(hwnd(), nullptr, FALSE);
}

void TxMenuWin::OnItemChosen(MyMenuItem* item) {
    if (item && !item->m_Disabled && m_pParentMenu) m_pParentMenu->OnItemChosen(item);
}

void TxMenuWin::HideSubMenu(TxMenuWin* sub) {
    if (!sub) return;
    if (sub->hwnd()) ::ShowWindow(sub->hwnd(), SW_HIDE);
    sub->m_Items.m_HotIndex = -1;
}

void TxMenuWin::HideMenu() {
    HideSubMenu(m_pOpenSubMenu);
    if (IsVisible()) ::ShowWindow(hwnd(), SW_HIDE);
    m_pOpenSubMenu = nullptr;
    m_Items.m_HotIndex = -1;
}

void TxMenuWin::CloseSubMenu() {
    if (!m_pOpenSubMenu) return;
    HideSubMenu(m_pOpenSubMenu);
    m_pOpenSubMenu = nullptr;
}

void TxMenuWin::CountShownGuesses() {
    if (!m_pOwnerView) return;
    for (size_t i = 0; i < m_Items.GetCount(); ++i) {
        const MyMenuItem& item = *m_Items.GetAt(i);
        if (item.m_Counted && !menu_layout::IsPanelType(item.m_Type)) m_pOwnerView->CountUsage(L"1034.0");
    }
}

void TxMenuWin::AttachSubMenu(MyMenuItem* item) {
    if (!item->m_pSubMenu) return;
    m_pOpenSubMenu = item->m_pSubMenu.get();
    m_pOpenSubMenu->m_pParentMenu = this;
}

// Gives a new sub-menu of this menu its owner item, observer, view and
// parent, creates its window and hands it to the item.
void TxMenuWin::AdoptSubMenu(MyMenuItem* item, std::unique_ptr<SubMenu> sub, const wchar_t* name) {
    sub->m_pOwnerItem = item;
    sub->m_pObserver = m_pObserver;
    sub->m_pOwnerView = m_pOwnerView;
    sub->m_pParentMenu = this;
    sub->CreateMenu(name);
    item->m_pSubMenu = std::move(sub);
}

void TxMenuWin::OpenCompanyMenu(MyMenuItem* item) {
    if (!item->m_pSubMenu) {
        auto sub = std::make_unique<CompanyMenu>();
        sub->m_CategoryIndex = item->m_Index;
        theApp.m_MenuClassName = kClass;
        if (theApp.m_pSettings) {
            theApp.m_pSettings->ReadCategory(item->m_Index);
            theApp.m_pSettings->ReadTarget(1);
        }
        AdoptSubMenu(item, std::move(sub), L"company");
    }
    AttachSubMenu(item);
}

void TxMenuWin::OpenEcpSubMenu(MyMenuItem* item) {
    if (!item->m_pSubMenu) {
        auto sub = std::make_unique<ECPSubMenu>();
        sub->m_hPanel = nullptr;
        sub->m_CategoryIndex = item->m_Index;
        theApp.m_MenuClassName = kClass;
        AdoptSubMenu(item, std::move(sub), L"ecpmenuitem");
    }
    AttachSubMenu(item);
}

void TxMenuWin::OpenPondrelSubMenu(MyMenuItem* item) {
    if (!item->m_pSubMenu) AdoptSubMenu(item, std::make_unique<PondrelSubMenu>(), L"PNDR");
    AttachSubMenu(item);
}

void TxMenuWin::OnMouseMove(int x, int y) {
    ::SetCursor(ArrowCursor());
    if (!m_Tracking) {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, hwnd(), 0};
        if (::TrackMouseEvent(&track)) m_Tracking = true;
        return;
    }
    int hot = m_Items.HitTest(x, y);
    if (hot == m_Items.m_HotIndex) return;
    m_Items.m_HotIndex = hot;

    MyMenuItem* item = m_Items.GetSelectedItem();
    auto closeOther = [&] {
        if (m_pOpenSubMenu && (!item || m_pOpenSubMenu != item->m_pSubMenu.get())) CloseSubMenu();
    };
    if (!item || (!item->m_HasEcpMenu && item->m_Index == -1)) {
        CloseSubMenu();
    } else if (item->m_Id == L"5000") {
        closeOther();
        OpenPondrelSubMenu(item);
    } else if (item->m_HasEcpMenu) {
        closeOther();
        OpenEcpSubMenu(item);
    } else if (item->m_Data != 0) {
        closeOther();
        OpenCompanyMenu(item);
    } else {
        CloseSubMenu();
    }

    if (m_pOpenSubMenu && item && !m_pOpenSubMenu->IsVisible()) {
        RECT anchor{item->m_X, item->m_Y, item->m_X + item->m_Width, item->m_Y + item->m_Height};
        ::OffsetRect(&anchor, 16, 4);
        POINT corners[2] = {{anchor.left, anchor.top}, {anchor.right, anchor.bottom}};
        ::MapWindowPoints(hwnd(), nullptr, corners, 2);
        anchor = RECT{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
        m_pOpenSubMenu->ShowAt(anchor, m_pOwnerView, m_pObserver);
    }
    Render(0, false);
}

void TxMenuWin::OnLButtonUp(int x, int y) {
    m_Items.m_HotIndex = m_Items.HitTest(x, y);
    MyMenuItem* chosen = m_Items.GetSelectedItem();
    if (m_pParentMenu) {
        if (m_pParentMenu->m_pOpenSubMenu) HideSubMenu(m_pParentMenu->m_pOpenSubMenu);
        m_pParentMenu->HideMenu();
        if (m_pOwnerView) m_pOwnerView->HideHotspot();
    } else {
        if (m_pOpenSubMenu) return;
        HideMenu();
        if (m_pOwnerView) m_pOwnerView->HideHotspot();
    }
    if (chosen && !chosen->m_Disabled) OnItemChosen(chosen);
}

bool TxMenuWin::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    result = 0;
    switch (msg) {
        case WM_MOUSEMOVE:
            OnMouseMove(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
            return false;  // then the default processing
        case WM_LBUTTONUP:
            OnLButtonUp(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
            return false;
        case WM_LBUTTONDOWN: m_Tracking = false; return true;
        case WM_SHOWWINDOW:
            if (!wp) CloseSubMenu();
            return false;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            ::BeginPaint(hwnd(), &ps);
            ::EndPaint(hwnd(), &ps);
            return true;
        }
        case WM_ERASEBKGND:
        case WM_NCACTIVATE: result = TRUE; return true;
        case WM_NCHITTEST: result = HTCLIENT; return true;
        case WM_NCPAINT:
        case WM_NCCALCSIZE:
        case WM_NCMOUSEMOVE:
        case WM_MOUSELEAVE: return true;
        default: return FloatingWin::OnMessage(msg, wp, lp, result);
    }
}

// ---- sub-menus ----

void SubMenu::PlaceOnMonitor(const RECT& rect) {
    if (!hwnd()) return;
    RECT work{};
    CMonitor::FromRect(rect).GetWorkAreaRect(&work);
    const IntRect place = menu_layout::PlaceSubMenu(IntRect{rect.left, rect.top, rect.right, rect.bottom}, m_Width,
                                                    m_Height, IntRect{work.left, work.top, work.right, work.bottom});
    ::SetWindowPos(hwnd(), nullptr, place.left, place.top, m_Width, m_Height,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    ::GetWindowRect(hwnd(), &m_WindowRect);
}

bool SubMenu::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_MOUSELEAVE) {
        m_Tracking = false;
        result = 0;
        return true;
    }
    return TxMenuWin::OnMessage(msg, wp, lp, result);
}

bool CompanyMenu::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_MOUSEACTIVATE) {
        result = MA_NOACTIVATE;
        return true;
    }
    if (msg == WM_LBUTTONDOWN) {  // the tracking flag is kept
        result = 0;
        return true;
    }
    return SubMenu::OnMessage(msg, wp, lp, result);
}
