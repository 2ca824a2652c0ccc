// The views of a panel's child windows, as the children thread makes and
// drives them: which view a windowed element gets, and what the thread asks
// of the main content view (a picture of it, its history).  The web views
// are hosted here once they exist; until then the content, menu and ad
// windows stay without a view and these requests do nothing.
#pragma once

#include <memory>

#include "fx/GdiPlus.h"

class ContentElement;

namespace panels {

class CChildWin;

// Makes the element's view inside its child window while the window is
// being created (the window's first pane): the search box for the search
// element; nothing for a kind without a view.
void CreateElementView(ContentElement& element, CChildWin& frame);

// A picture of the view in frame (the caller owns it); null when it has none.
std::unique_ptr<Gdiplus::Bitmap> SnapshotView(CChildWin& frame);
// The history of the web view in frame; nothing without one.
void GoForwardInView(CChildWin& frame);
void GoBackInView(CChildWin& frame);

}  // namespace panels
