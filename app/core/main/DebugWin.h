// DebugWin: the small debug window the program opens at start-up when
// "debug.txt" lies in its install directory.  Two read-only text panes, one
// above the other, share its client area in halves; nothing writes into them
// (a double click copies a pane's text).  A press above the client area
// (y < 0) hides the window.  It lives until the program ends.
#pragma once

#include <windows.h>

#include <memory>

#include "app/core/graphics/HtmlRenderer.h"
#include "app/core/main/DebugTextView.h"
#include "app/selection/skin/FloatingWin.h"

class DebugWin : public FloatingWin {
public:
    static constexpr int kWidth = 549;
    static constexpr int kHeight = 400;
    static constexpr DWORD kExStyle = WS_EX_TOOLWINDOW;
    // The id both panes have.
    static constexpr int kPaneId = 0xE900;

    DebugWin();
    ~DebugWin() override;

    // The layered-update step, one at a time: the window rectangle less one
    // pixel in width and height becomes m_WindowRect.  The device context it
    // takes is given back.
    void Render(int unused, bool initial) override;

    DebugTextView& UpperPane() { return m_Upper; }
    DebugTextView& LowerPane() { return m_Lower; }

    // Whether a mouse-leave notification is requested.
    bool m_LeaveRequested = false;

protected:
    // Size 549 x 400, no style bits, a tool window.
    void PreCreateWindow(CREATESTRUCTW& cs) override;
    // The base's client creation, then the two panes.
    bool OnCreateClient() override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    // The upper pane over the top half, the lower one over the rest (one
    // pixel more).
    void LayOutPanes(int width, int height);
    void OnMouseMove();
    void OnLeftButtonDown(int y);

    bool m_Updating = false;  // the layered-update step is running
    DebugTextView m_Upper;
    DebugTextView m_Lower;
    // The rendering pair the window carries; nothing fills it.
    render::HTML_Renderer m_Renderer;
    render::Render_Info m_RenderInfo;
};
