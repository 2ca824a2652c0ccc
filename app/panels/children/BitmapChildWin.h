// BitmapChildWin: the child window of the panel's tail (the speech-bubble
// point beside the selection).  It has no view: it draws its element's
// picture into its own back buffer and pushes it as a per-pixel-alpha layered
// window, at the opacity the panel's fade gives.
#pragma once

#include "app/panels/children/ChildWin.h"

namespace panels {

class BitmapChildWin : public CChildWin {
public:
    using CChildWin::CChildWin;
    using FloatingWin::Render;

    // Draws the element's picture at opacity 0..1 into the cleared back
    // buffer.  update: only push the buffer (making the off-screen surface
    // first when missing); otherwise move the window to its rectangle and push.
    void Render(bool update, float opacity);
    void RedrawBitmap(float opacity, bool rebuildBuffer) override { Render(rebuildBuffer, opacity); }
    // The picture at that opacity pushed where the window stands (the
    // panel's fades, from the panel thread).
    void PushBitmap(float opacity) override;

protected:
    bool OnCreateClient() override;

private:
    // The element's picture at that opacity into the cleared back buffer.
    void Paint(float opacity);
};

}  // namespace panels
