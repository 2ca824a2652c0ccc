#include "app/core/main/DebugTextView.h"

#include <richedit.h>

#include "log/PondrelLog.h"

namespace {

// The rich-edit library, loaded once and kept for the process's life (its
// window class must outlive every pane).
bool RichEditLoaded() {
    static const bool loaded = ::LoadLibraryW(L"riched20.dll") != nullptr;
    return loaded;
}

}  // namespace

DebugTextView::~DebugTextView() { Destroy(); }

bool DebugTextView::CreatePane(HWND parent, int id) {
    if (!RichEditLoaded()) {
        LogLine(L"The debug window has no rich-edit library (riched20.dll)");
        return false;
    }
    if (CreateEx(0, RICHEDIT_CLASSW, L"", kStyle, 0, 0, 0, 0, parent,
                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id))))
        return true;
    LogLine(L"The debug window could not create a text pane");
    return false;
}

bool DebugTextView::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg != WM_LBUTTONDBLCLK) return false;
    result = OnDoubleClick(wp, lp);
    return true;
}

LRESULT DebugTextView::OnDoubleClick(WPARAM wp, LPARAM lp) {
    ::SendMessageW(hwnd(), EM_SETSEL, 0, -1);
    ::SendMessageW(hwnd(), WM_COPY, 0, 0);
    return Default(WM_LBUTTONDBLCLK, wp, lp);
}
