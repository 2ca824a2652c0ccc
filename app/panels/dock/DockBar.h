// DockBar: the layered, top-most strip at the top edge of a monitor's work
// area that holds the docked panels' pictures (live items) and the settings'
// dock items (imported items).  Items magnify under the pointer, the bar
// slides out of view when the pointer leaves it (auto-hide), a click brings
// a live item's panel back (11204) or opens an imported item's panel (11145
// to the controller), a right click opens the dock menu, and a drag on empty
// bar space moves it to another monitor's top edge.  It lives on the dock
// thread (CDockThread); its items are dockitems::Items() under g_DockLock.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/core/common/WindowClasses.h"
#include "app/core/graphics/ImageRoutines.h"
#include "app/panels/dock/DockBarAnchor.h"
#include "app/panels/dockitems/DockItems.h"
#include "app/panels/dockitems/DockRules.h"
#include "app/selection/skin/FloatingWin.h"

class CDockThread;
class DockContextMenu;

class DockBar : public FloatingWin {
public:
    static constexpr const wchar_t* kClass = window_class::kHoverWin;
    static constexpr const wchar_t* kTitle = L"PondRel";
    static constexpr DWORD kExStyle = WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST;  // 0x80088

    DockBar();
    ~DockBar() override;

    // The window (class "HoverWin", title "PondRel", style 0xCF0000), on the
    // dock thread.  installDir holds "Images\DockBack.png".
    bool CreateBar(const std::wstring& installDir, HWND controllerWindow);
    // Frees the window, the menu, the drag window and every item (the dock
    // thread's end, before GDI+ goes).
    void Shutdown();

    // A frame: items laid out, the window sized and placed, background and
    // items drawn and pushed to the screen.  `initial` draws a transparent
    // frame and prepares the off-screen surface.
    void Render(int unused, bool initial) override;
    // The animation tick (timer 878 and the mouse tracking): at most one step
    // per 25 ms.
    void OnTimer();
    // The tick's step at `now` with the pointer at `cursor` (screen): tests
    // drive it directly.
    void Step(DWORD now, POINT cursor);
    // The fish-eye magnification for the pointer at client / screen points
    // (caller holds g_DockLock).
    void MagnifyAt(POINT client, POINT screen);
    // One animation step of every item; true when anything changed (caller
    // holds g_DockLock).
    bool AnimateItems(bool cursorOverBar);
    // 11117: shown when the settings want the dock bar, else hidden.
    void ShowOrHide();
    // 11118: the imported items anew from CPondrelApp::m_DockImportState; the
    // bar then shows or hides as for 11117.
    void OnRebuildItems();
    // 11110: a panel took its own item out (it came back by itself or
    // closed): a frame without it, and the bar hides when no item is left,
    // as after a click.
    void OnItemGone();
    // A left-button-up at a client point: ends a drag, or clicks an item.
    void OnLButtonUp(int x, int y);
    // The dock menu's "Auto Hide".
    void ToggleAutoHide() { m_Slide.autoHide = !m_Slide.autoHide; }
    bool AutoHide() const { return m_Slide.autoHide; }

    DockContextMenu* ContextMenu() const { return m_pContextMenu.get(); }
    DockBarAnchor& Anchor() { return m_Anchor; }

    CDockThread* m_pThread = nullptr;
    HWND m_hController = nullptr;  // receives 11145
    bool m_Pressed = false;
    DWORD m_LastTick = 0;
    int m_Edge = 0;
    bool m_MenuOpen = false;
    HWND m_MenuForeground = nullptr;  // the window in front when the dock menu opened
    bool m_Dragging = false;
    bool m_Probing = false;
    RECT m_SavedRect{};
    int m_SavedEdge = 0;
    RECT m_WorkArea{};
    RECT m_SavedWorkArea{};
    bool m_Visible = true;
    dock::Slide m_Slide;
    dock::Margins m_Margins;
    float m_CellWidth = dock::kCellSize, m_CellHeight = dock::kCellSize;
    int m_Countdown = 0;  // the redraw countdown
    // The left and right button states and the pointer's screen position
    // (tests replace them).
    bool (*m_ButtonDown)(int vk) = nullptr;
    POINT (*m_CursorPos)() = nullptr;
    // The display monitors a drag moves the bar between (tests replace them).
    std::vector<dock::MonitorArea> (*m_Monitors)() = nullptr;

protected:
    void PreCreateWindow(CREATESTRUCTW& cs) override;
    bool OnCreateClient() override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void DrawBackground(Gdiplus::Graphics& g);
    void DrawItems(Gdiplus::Graphics& g);
    // With `onlyIfChanged` (the tick) nothing is drawn when the frame would
    // equal the last one pushed.
    void RenderFrame(bool initial, bool showing, bool onlyIfChanged = false);
    void OnShowWindow(bool show);
    void OnMouseMove();
    LRESULT OnNcHitTest(POINT screen);
    void OnContextMenu(POINT screen);
    void DragStep();
    void StartDrag();
    bool IsButtonDown(int vk) const;
    POINT CursorPos() const;
    // Handles the bar's own messages that arrive while the mouse tracking
    // waits (11110, 11111, 11117, 11118).
    void HandleQueuedDockMessages();

    std::wstring m_InstallDir;
    ArgbBitmap m_BackImage;   // "Images\DockBack.png" at 105 x 86
    ArgbBitmap m_Pieces[4];   // left cap, column, middle, right cap
    std::unique_ptr<DockContextMenu> m_pContextMenu;
    DockBarAnchor m_Anchor;
    bool m_ShowingFrame = false;  // the frame drawn while the bar is being shown

    // What decides a drawn frame: a tick whose frame would equal the last
    // one pushed draws and pushes nothing.
    struct FrameItem {
        RECT rect;
        float scaleX, scaleY;
        const void* image;
        bool operator==(const FrameItem& o) const {
            return ::EqualRect(&rect, &o.rect) && scaleX == o.scaleX && scaleY == o.scaleY && image == o.image;
        }
    };
    struct FrameKey {
        RECT window{};
        int width = 0, height = 0;
        float offsetX = 0, offsetY = 0;
        double alpha = 0;
        unsigned refreshes = 0;
        std::vector<FrameItem> items;
        bool operator==(const FrameKey& o) const {
            return ::EqualRect(&window, &o.window) && width == o.width && height == o.height &&
                   offsetX == o.offsetX && offsetY == o.offsetY && alpha == o.alpha && refreshes == o.refreshes &&
                   items == o.items;
        }
    };
    FrameKey CurrentFrame() const;  // caller holds g_DockLock, after the layout
    FrameKey m_LastFrame;
    bool m_LastFramePushed = false;  // m_LastFrame is on the screen
    unsigned m_Refreshes = 0;        // live items' refreshes (their pictures may have changed)
};
