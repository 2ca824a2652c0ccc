// SearchView: the search box of a content panel, the view inside the search
// element's child window on the panel's children thread.  It holds the
// one-line rich-edit box (MyRichEditControl) and publishes whatever is typed
// or pasted, at once, as the children thread's shared text and as
// CPondrelApp::m_SearchQuery (both under g_SearchTextLock).  Enter asks the
// panel to run the search (11202 with wParam 0, lParam 1); 11215 selects the
// text the panel put in.
#pragma once

#include <windows.h>

#include <string>

#include "app/panels/children/MyRichEditControl.h"
#include "fx/Window.h"

namespace panels {

class SearchView : public fx::Window {
public:
    // The format's mask: bold, italic, underline, strike-out, protected,
    // size, face and colour.
    static constexpr DWORD kFormatMask = 0xE000001F;
    static constexpr LONG kFormatHeightTwips = 170;
    static constexpr UINT kEditPasteCommand = 0xE125;
    static constexpr UINT kEditCopyCommand = 0xE122;

    SearchView();
    ~SearchView() override;

    // Creates the view as pane id of parent (child, visible, bordered), over
    // the parent's client area.
    bool CreateIn(HWND parent, int id);
    // The children thread's handler window and the panel window.
    void Connect(HWND childHandlerWindow, HWND panelWindow);
    // Makes the box over the parent's client area, its format rectangle two
    // pixels lower, in the box's format.
    void OnInitialUpdate();

    // Pastes the clipboard's text as one line of at most 255 characters
    // (nothing when the clipboard holds none), then publishes the text.
    void Paste();
    // The box's text, at most its first 256 characters.
    std::wstring GetSearchText() const;
    // The box's text as the shared text and the application's search query.
    void Publish();
    // Enter: the text as the shared text, then the panel's search request.
    void RunSearch();
    // Re-applies the box's default character format.
    void ApplyFormat();
    // Puts text into the box (the panel's text, 11308).
    void SetText(const std::wstring& text);

    HWND EditWindow() const { return m_Edit.hwnd(); }
    HWND ChildHandlerWindow() const { return m_hChildHandler; }
    HWND PanelWindow() const { return m_hPanel; }

    std::wstring m_Text;  // the text after the last paste

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    HWND m_hChildHandler = nullptr;
    HWND m_hPanel = nullptr;
    MyRichEditControl m_Edit;
};

}  // namespace panels
