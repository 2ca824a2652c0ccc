// FloatingWin: the base of every skinned window of the program (hotspot,
// menus, splash, overlay, panels, dock).  A top-level window whose pixels come
// from a 32-bit premultiplied back buffer: a subclass paints into the buffer
// in Render and pushes it to the screen as a per-pixel-alpha layered window,
// multiplied by the window's constant alpha.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>

#include "fx/BackBuffer.h"
#include "fx/Handle.h"
#include "fx/Window.h"

class FloatingWin : public fx::Window {
public:
    // The creation style the owners pass (a pre-create step usually replaces it).
    static constexpr DWORD kDefaultStyle = 0x00CF0000;  // WS_OVERLAPPEDWINDOW

    FloatingWin() = default;
    ~FloatingWin() override;

    // Creates the window of `className` (none: a class of this base, arrow
    // cursor, no background) at the system's default place; the pre-create
    // step may change class, size, styles and place first.
    bool Create(const wchar_t* className, const wchar_t* title, DWORD style = kDefaultStyle, HWND parent = nullptr);

    // Invalidates and repaints the window area of a float rectangle, half a
    // pixel wider on every side.
    virtual void RedrawRectF(float x, float y, float width, float height);
    virtual void RedrawRect(const RECT& rect);
    // Paints the content into the back buffer and updates the layered window
    // (empty here).  Overrides: paint; then with `initial` make the memory DC
    // when not ready (MakeOffscreen) and UpdateLayered; without it, move the
    // window to its rectangle and UpdateLayered.
    virtual void Render(int unused, bool initial);

    // Keeps a back buffer at least width by height (a new one of exactly that
    // size otherwise; null when it cannot be had).
    void GrowBackBuffer(int width, int height);
    // Like GrowBackBuffer but keeps only a buffer of exactly that size.
    void ResizeBackBuffer(int width, int height);
    // Creates the memory device context the layered update draws from.
    void MakeOffscreen();
    // Pushes the back buffer (m_Width by m_Height from its top-left) to the
    // screen at m_WindowRect's top-left with the constant alpha m_Alpha.
    // False when there is nothing to push or the system refused it.
    bool UpdateLayered();
    // A new back buffer of m_Width by m_Height, the window moved and sized to
    // it, and a full render.
    void ResizeAndRedraw();
    // Moves the window back inside the monitor area (and off `avoid`); the
    // correction made, also kept in m_MonitorShift.
    POINT KeepOnMonitor(const RECT& area, const RECT* avoid = nullptr);
    // Whether a screen point lies in the window's hit region (never for a
    // hidden window or one without a region).
    bool HitTestRegion(POINT screen, bool unused = false) const;

    bool m_OffscreenReady = false;
    fx::MemoryDC m_MemDC;
    int m_Width = 0;
    int m_Height = 0;
    fx::GdiObject<HRGN> m_hRegion;
    float m_ScaleX = 1.0f;
    float m_ScaleY = 1.0f;
    POINT m_MonitorShift{0, 0};
    std::unique_ptr<fx::BackBuffer> m_pBackBuffer;
    RECT m_WindowRect{0, 0, 0, 0};
    double m_Alpha = 255.0;
    // The layered pushes made (UpdateLayered that reached the system); read
    // from other threads by the benchmarks.
    std::atomic<unsigned> m_Pushes{0};

protected:
    // The pre-create step: a subclass sets its size, styles and class here.
    virtual void PreCreateWindow(CREATESTRUCTW& cs);
    // The client creation (on WM_CREATE): makes the back buffer, m_Width + 32
    // by m_Height, when there is none.  False fails the creation.
    virtual bool OnCreateClient();
    // UpdateLayered's last step: the layered-window call itself, with the
    // constant alpha already worked out.  False when the system refused it.
    virtual bool PushToScreen(POINT at, SIZE size, HDC source, BYTE constantAlpha);

    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};
