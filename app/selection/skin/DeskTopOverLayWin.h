// DeskTopOverLayWin: a translucent dark layer meant to cover a rectangle of
// the desktop (m_WindowRect).  Unlike the other floating windows it is a
// constant-alpha layered window (99/255) painted through WM_PAINT with a
// half-transparent grey; it never takes activation.
#pragma once

#include <windows.h>

#include "app/selection/skin/FloatingWin.h"
#include "fx/GdiPlus.h"

class DeskTopOverLayWin : public FloatingWin {
public:
    static constexpr DWORD kExStyle = 0x00080088;  // layered, tool window, top-most
    static constexpr BYTE kConstantAlpha = 99;
    static constexpr Gdiplus::ARGB kFillColour = 0xC8373737;  // alpha 200, grey 0x37

    // WM_ERASEBKGND's answer: erased, without drawing.
    virtual bool OnEraseBackground() { return true; }
    // WM_PAINT: fills the client area with the overlay's colour.
    virtual void Paint();

    // Fills rect of dc with the overlay's colour through GDI+.
    static void FillOverlay(HDC dc, const RECT& rect);

    // Destroys the window and lets go of its back buffer (before GDI+ ends).
    void Close();

protected:
    void PreCreateWindow(CREATESTRUCTW& cs) override;
    bool OnCreateClient() override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};
