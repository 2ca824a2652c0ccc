// SearchMatrixView: the web view of the search-matrix window (its first
// pane), on the WebBrowser host.  Every navigation may go on; when a document
// completes while the fade-in flag is set, the window becomes opaque, the
// flag is cleared and the view takes the focus.  Its thread needs an
// apartment for the control (without one the view stays an empty window).
#pragma once

#include <windows.h>

#include <string>

#include "fx/WebBrowserHost.h"

namespace panels {

class SearchMatrixView : public fx::WebBrowserHost {
public:
    ~SearchMatrixView() override;

    // Creates the view and its control as pane id of parent, over the
    // parent's client area, shown.
    bool CreateIn(HWND parent, int id);

    // Every navigation may go on.
    void OnBeforeNavigate2(IDispatch* disp, const std::wstring& url, bool topLevel, bool* cancel) override;
    // With the fade-in flag: the frame's layered alpha becomes 255, the flag
    // is cleared and the view takes the focus.
    void OnDocumentComplete(IDispatch* disp, const std::wstring& url) override;

    bool m_FadeIn = false;  // the mark the window sets when it is shown
    int m_Countdown = 0;    // ticks of timer 880 until the window comes to the front
};

}  // namespace panels
