// SearchMatrixView: the view of the search-matrix window (its first pane).
// Every navigation may go on; when a document completes while the fade-in
// flag is set, the window becomes opaque and the view takes the focus.  It
// is a plain child window until the web-view host carries it.
#pragma once

#include <windows.h>

#include "fx/Window.h"

namespace panels {

class SearchMatrixView : public fx::Window {
public:
    ~SearchMatrixView() override;

    // Creates the view as pane id of parent, over the parent's client area.
    bool CreateIn(HWND parent, int id);
    // Every navigation may go on.
    bool AllowNavigation() const { return true; }
    // A document completed: with the fade-in flag, the frame's layered alpha
    // becomes 255, the flag is cleared and the view takes the focus.
    void OnDocumentComplete();

    bool m_FadeIn = false;  // the mark the window sets when it is shown
    int m_Countdown = 0;    // ticks of timer 880 until the window comes to the front
};

}  // namespace panels
