// DebugTextView: one read-only text pane of the debug window, a rich-edit
// control.  A double click copies the pane's whole text to the clipboard.
#pragma once

#include <windows.h>

#include "fx/Window.h"

class DebugTextView : public fx::Window {
public:
    // Child, visible, vertical scroll bar; multi-line, read-only, the
    // selection kept while not focused.
    static constexpr DWORD kStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                                    ES_READONLY | ES_NOHIDESEL;

    DebugTextView() = default;
    ~DebugTextView() override;

    // Creates the pane as child `id` of parent (empty rectangle; the parent
    // lays it out).  False when the rich-edit library or the window is
    // missing (logged).
    bool CreatePane(HWND parent, int id);

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    // Selects the whole text, copies it, then the usual double click.
    LRESULT OnDoubleClick(WPARAM wp, LPARAM lp);
};
