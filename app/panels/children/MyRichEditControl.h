// MyRichEditControl: the one-line rich-edit box of a panel's search view.
// It keeps the box's format, pastes through its view (one line, 255
// characters), turns Enter into the panel's search request (11202) and has
// its view publish the text after every change a key or a paste makes.
#pragma once

#include <windows.h>

#include "fx/Window.h"

namespace panels {

class SearchView;

class MyRichEditControl : public fx::Window {
public:
    // The identifier of the box inside its view.
    static constexpr int kId = 9999;
    // WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL.
    static constexpr DWORD kStyle = 0x50000080;

    explicit MyRichEditControl(SearchView* view) : m_pView(view) {}
    ~MyRichEditControl() override;

    // Creates the box over rect of parent; false when the rich-edit library
    // or the window is missing.
    bool CreateBox(HWND parent, const RECT& rect);

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void OnKeyDown(WPARAM key, LPARAM lp, LRESULT& result);
    void OnKeyUp(WPARAM key, LPARAM lp, LRESULT& result);
    void OnSetFocus(WPARAM wp, LPARAM lp, LRESULT& result);

    SearchView* m_pView;
};

}  // namespace panels
