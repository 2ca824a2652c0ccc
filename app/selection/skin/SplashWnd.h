// SplashWnd: the start-up splash, a layered top-most window showing the
// splash image with a 10-pixel margin.  Once shown it runs timer 878 every
// 50 ms; SplashAnimation fades it in, holds it and fades it out, and the
// window hides itself at the end.  A positive scatter radius draws the image
// through the scatter effect until the radius has shrunk to 0.
#pragma once

#include <windows.h>

#include <memory>

#include "app/selection/skin/FloatingWin.h"
#include "app/selection/skin/SplashAnimation.h"
#include "fx/GdiPlus.h"

class SplashWnd : public FloatingWin {
public:
    static constexpr DWORD kExStyle = 0x00080088;  // layered, tool window, top-most
    static constexpr int kMargin = 10;

    SplashWnd();

    // The splash image (the shared graphics own it; may be null: an empty
    // window).  Set before the window is created.
    void SetImage(Gdiplus::Image* image) { image_ = image; }

    // Paints the image (or its scattered copy) into the back buffer and
    // pushes it to the screen.
    void Render(int unused, bool initial) override;

    // Destroys the window and lets go of its GDI+ objects (before GDI+ ends).
    void Close();

    SplashAnimation m_Animation;
    fx::GdiplusPtr<Gdiplus::Matrix> m_pMatrix;

protected:
    void PreCreateWindow(CREATESTRUCTW& cs) override;
    bool OnCreateClient() override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

    // Timer 878's start and end (tests replace them with a clock of their own).
    virtual void StartAnimationTimer();
    virtual void StopAnimationTimer();

private:
    void OnShowWindow(bool shown);
    void OnTimer(UINT_PTR id);
    // The image drawn at the margin, through the world transform, into the
    // back buffer (nothing without an image).
    void DrawSplashImage();
    // Scatters the back buffer's pixels with blocks of the current radius.
    void ScatterBackBuffer();

    Gdiplus::Image* image_ = nullptr;
};
