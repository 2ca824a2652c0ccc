// MegaWin ("BackWin777"): the layered top-level window of one content panel,
// made and driven by its panel thread on that thread, which it reaches
// through PanelThreadOps.  It
// places itself near the selection, the tray or the screen centre, snaps to
// the work area's edges while dragged, resizes within the template's limits,
// fades in and out on its own clock, and turns the panel messages 11201-11224
// into its thread's handlers.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "app/core/common/AppMessages.h"
#include "app/core/common/WindowClasses.h"
#include "app/panels/dockitems/DockItems.h"
#include "app/panels/window/PanelGeometry.h"
#include "app/panels/window/PanelThreadOps.h"
#include "app/selection/skin/FloatingWin.h"

class ElementPanel;
struct PanelHit;

namespace panels {

class MegaWin : public FloatingWin, public DockedPanel {
public:
    static constexpr const wchar_t* kClass = window_class::kBackWin;
    // No-activate, layered, tool window, topmost; the first timer tick drops
    // no-activate.
    static constexpr DWORD kExStyle = 0x08080088;
    static constexpr DWORD kExStyleActive = 0x00080088;
    static constexpr UINT_PTR kTimer = timer_id::kFade;
    static constexpr UINT kTimerMs = 50;
    // The work area of the monitor nearest to a screen rectangle.
    static RECT WorkAreaAround(const RECT& rect);
    // That monitor's whole rectangle (empty when it cannot be read).
    static RECT MonitorAround(const RECT& rect);

    explicit MegaWin(PanelThreadOps* owner) : m_pOwner(owner) {}
    ~MegaWin() override;

    // Creates the hidden window at the panel rectangle.
    bool CreatePanel(const RECT& panelRect);

    // Paints the panel into the back buffer at the fade alpha and pushes it
    // (updateOnly: without moving the window to the panel rectangle).
    void Render(int unused, bool updateOnly) override;
    // The fades: rounds of about 10 ms on the window's clock; nothing once
    // the panel is closing.
    void FadeIn();
    void FadeOutAndClose();
    // Places the window for the launch flags; returns the work-area check's
    // correction (x: the window went to the other side of the anchor).
    POINT PlaceNearTaskbar(uint32_t flags);
    // Moves the window to (x, y) at its size, keeps it on the work area of
    // the anchor's monitor and takes where it ended up as the panel rectangle.
    void MoveKeptOnMonitor(int x, int y);
    RECT GetTrayRect() const;
    void CenterOnMonitor();
    // The first next (which 1) or back (which 2) control drawn enabled or
    // disabled; then a frame.
    void SetNavButtonState(bool enabled, int which);
    // The windowed elements' child windows back above the panel when another
    // window came between, while the panel is dragged and once after a show.
    void RaiseChildWindows();
    // The dock flight: a snapshot of the panel becomes its dock item and
    // flies, shrinking, to the dock bar; the window hides.  Nothing while a
    // flight runs or the panel has an item.  Out of the dock: the mirror.
    void AnimateIntoDock();
    void AnimateOutOfDock();
    // The panel has a dock item (g_DockLock).
    bool IsInDock() const;
    // A closing panel takes its item out of the dock (g_DockLock).
    void LeaveDock();

    // The dock's side (called under g_DockLock on the dock thread).
    HWND DockedPanelWindow() const override { return hwnd(); }
    void TakeUndockPlace(const RECT& screenCell, int index) override;
    void ClearDockItem() override { m_pDockItem = nullptr; }
    // Closing: the flag that stops the fades and most panel messages, then
    // the children's close (11302), which ends the panel.
    void BeginClose();

    PanelThreadOps* m_pOwner;
    float m_FadeAlpha = 0.0f;
    bool m_ActivationPending = true;
    bool m_Closing = false;
    bool m_Moving = false;
    bool m_JustShown = false;
    bool m_HasTail = false;
    bool m_Docked = false;
    bool m_DockAnimation = false;
    Edges m_Edges;
    RECT m_Anchor{0, 0, 0, 0};
    RECT m_PanelRect{0, 0, 0, 0};
    RECT m_UndockedRect{0, 0, 0, 0};
    EdgeSnap m_Snap;
    int m_ResizeDirection = 0;
    RECT m_ResizeStartRect{0, 0, 0, 0};
    POINT m_ResizeStartCursor{0, 0};
    Size m_ResizeStartSize;
    int m_DockPosition = -1;
    DockItem* m_pDockItem = nullptr;  // g_DockLock
    RECT m_DockCell{0, 0, 0, 0};      // where an undocking flight starts (g_DockLock)
    bool m_DrawSnapshot = false;
    float m_SnapshotAlpha = 1.0f;
    ArgbBitmap m_pSnapshot;
    float m_FlightX = 0, m_FlightY = 0;
    std::wstring m_MaskFile;  // where the mask image goes (temp directory + "mask.jpg")
    // The window's clock and pause between fade rounds (tests step their own).
    std::function<uint32_t()> m_Clock = [] { return static_cast<uint32_t>(::GetTickCount()); };
    std::function<void(DWORD)> m_Sleep = [](DWORD ms) { ::Sleep(ms); };

protected:
    void PreCreateWindow(CREATESTRUCTW& cs) override;
    bool OnCreateClient() override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    bool OnPanelMessage(UINT msg, WPARAM wp, LPARAM lp);
    void OnTimer(UINT_PTR id);
    void OnShowWindow(bool shown);
    LRESULT OnNcHitTest(POINT screen);
    void OnMoving(RECT* proposed);
    void OnLButtonDown(POINT client);
    void OnLButtonUp(POINT client);
    void OnMouseMove(WPARAM keys, POINT client);
    void RunFade(float from, float to);
    // The element tree, once the template built one.
    ElementPanel* Elements() const;
    // What lies under a client point (a plain face is all move area).
    PanelHit HitAt(POINT client) const;
    // A context-shift or search control pressed: the search menu below it.
    void OpenSearchMenu();
    // One step a released control asks for.
    void Carry(const PanelAction& action);
    void PaintPanel(Gdiplus::Graphics& g, float alpha);
    void PaintMask(Gdiplus::Graphics& g);
    // The flight's frames from one place and scale to another in the grown
    // window; the snapshot's alpha steps by alphaStep a round.
    void Fly(const RECT& grown, POINT from, POINT to, float fromScale, float toScale, float alphaStep);
    void SaveMask();
};

}  // namespace panels
