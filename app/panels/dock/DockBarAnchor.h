// DockBarAnchor: the drag window ("DragWin") that shows a copy of the dock
// bar's picture where the bar will go while it is dragged.
#pragma once

#include <windows.h>

#include "app/selection/skin/FloatingWin.h"

class DockBarAnchor : public FloatingWin {
public:
    static constexpr const wchar_t* kTitle = L"DragWin";

    // The window (a class of default values, title "DragWin", style
    // 0xCF0000), hidden.
    bool CreateAnchor();
    // Shows a copy of `picture` (width by height from its top-left) at `where`
    // (screen), without activation.
    void ShowPicture(const fx::BackBuffer& picture, const RECT& where);
    void Hide();

protected:
    void PreCreateWindow(CREATESTRUCTW& cs) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};
