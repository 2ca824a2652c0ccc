// CChildWin: the layered tool window of one windowed element of a content
// panel, made, driven and destroyed on the panel's children thread.  It has
// no frame, starts fully transparent (the panel fades it in with SetAlpha),
// hosts its element's view (web view or search box) and brings the whole
// panel back to its z-order when it is clicked (11211).  It is the element
// tree's ChildWindow: the element creates, moves, shows and destroys it.
#pragma once

#include <windows.h>

#include <memory>

#include "app/panels/elements/ChildWindow.h"
#include "app/selection/skin/FloatingWin.h"

class ContentElement;

namespace panels {

class ChildLink;

class CChildWin : public FloatingWin, public ChildWindow {
public:
    // Layered, tool window, topmost.
    static constexpr DWORD kExStyle = WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
    // The identifier of a frame's first pane (its view).
    static constexpr int kViewId = 0xE900;

    // element: the windowed element the window belongs to; link: the
    // children thread (its handler window, panel window, shared text).
    CChildWin(ContentElement* element, ChildLink* link) : m_pElement(element), m_pLink(link) {}
    ~CChildWin() override;

    // ChildWindow
    bool Create(const wchar_t* windowClass, const templates::LayoutRect& screen) override;
    bool HasHandle() const override { return hwnd() != nullptr; }
    void Destroy() override { FloatingWin::Destroy(); }
    void SetStoredRect(const templates::LayoutRect& r) override;
    templates::LayoutRect StoredRect() const override;
    void Move(const templates::LayoutRect& screen, bool repaint) override;
    void MoveAbovePanel(const PanelWindow& panel, int x, int y) override;
    templates::LayoutRect ScreenToClient(const templates::LayoutRect& r) const override;
    void Show(bool show) override;
    bool IsShown() const override;
    bool IsRightAbove(const PanelWindow& panel) const override;
    void SetAlpha(int alpha) override;

    // The hosted view (the window's first pane), once made.
    fx::Window* View() const { return m_pView.get(); }
    void SetView(std::unique_ptr<fx::Window> view) { m_pView = std::move(view); }
    // Moves the view to a rectangle of this window's client area.
    void PlaceView(const templates::LayoutRect& client);

    ContentElement* Element() const { return m_pElement; }
    ChildLink* Link() const { return m_pLink; }

protected:
    void PreCreateWindow(CREATESTRUCTW& cs) override;
    bool OnCreateClient() override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    // The element's view: made inside this window while it is created.
    virtual void CreateView();

    ContentElement* m_pElement;
    ChildLink* m_pLink;
    std::unique_ptr<fx::Window> m_pView;
};

// The pre-creation of a layered tool window at its stored rectangle: the
// window's size fields and the creation size from m_WindowRect, style 0, the
// extended style WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST.
void PrepareLayeredToolWindow(FloatingWin& window, CREATESTRUCTW& cs);

// Registers (once per name) a window class of that name for child windows
// (arrow cursor, no background, DefWindowProcW).
bool RegisterChildWindowClass(const wchar_t* name);

}  // namespace panels
