#include "app/panels/children/MyRichEditControl.h"

#include <richedit.h>

#include "app/core/common/AppMessages.h"
#include "app/panels/children/SearchView.h"
#include "log/PondrelLog.h"

namespace panels {

namespace {

constexpr WPARAM kKeyV = 86, kKeyV2 = 118;

// The rich-edit library, loaded once and kept for the process's life (its
// window class must outlive every box).
bool RichEditLoaded() {
    static const bool loaded = ::LoadLibraryW(L"riched20.dll") != nullptr;
    return loaded;
}

bool CtrlDown() { return (::GetKeyState(VK_CONTROL) & 0x8000) != 0; }

}  // namespace

MyRichEditControl::~MyRichEditControl() { Destroy(); }

bool MyRichEditControl::CreateBox(HWND parent, const RECT& rect) {
    if (!RichEditLoaded()) {
        LogWithPrefix(L"The search box has no rich-edit library (%s)", L"riched20.dll");
        return false;
    }
    return CreateEx(0, RICHEDIT_CLASSW, L"", kStyle, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kId)));
}

// Enter runs the search and is not passed on; Ctrl+V pastes through the view.
// Every other key takes the default and the text is published.
void MyRichEditControl::OnKeyDown(WPARAM key, LPARAM lp, LRESULT& result) {
    m_pView->ApplyFormat();
    if (CtrlDown() && (key == kKeyV || key == kKeyV2)) {
        m_pView->Paste();
        return;
    }
    if (!CtrlDown() && key == VK_RETURN) {
        m_pView->RunSearch();
        return;
    }
    result = Default(WM_KEYDOWN, key, lp);
    m_pView->Publish();
}

void MyRichEditControl::OnKeyUp(WPARAM key, LPARAM lp, LRESULT& result) {
    if (CtrlDown() && (key == kKeyV || key == kKeyV2)) {
        m_pView->Publish();
        return;
    }
    result = Default(WM_KEYUP, key, lp);
}

void MyRichEditControl::OnSetFocus(WPARAM wp, LPARAM lp, LRESULT& result) {
    if (m_pView->ChildHandlerWindow()) ::PostMessageW(m_pView->ChildHandlerWindow(), children_msg::kHideTail, 0, 0);
    if (m_pView->PanelWindow()) ::PostMessageW(m_pView->PanelWindow(), panel_msg::kRaise, 0, 0);
    m_pView->ApplyFormat();
    result = Default(WM_SETFOCUS, wp, lp);
}

bool MyRichEditControl::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    result = 0;
    switch (msg) {
    case WM_KEYDOWN: OnKeyDown(wp, lp, result); return true;
    case WM_KEYUP: OnKeyUp(wp, lp, result); return true;
    case WM_CHAR:
        // The character is in the box only after the default handling: the
        // text is published then, so that it is never one key behind.
        result = Default(msg, wp, lp);
        m_pView->Publish();
        return true;
    case WM_SETFOCUS: OnSetFocus(wp, lp, result); return true;
    case WM_PASTE:  // Shift+Insert, the context menu: one line, as Ctrl+V
        m_pView->Paste();
        return true;
    case WM_COMMAND:
        if (LOWORD(wp) != SearchView::kEditPasteCommand) return false;
        m_pView->Paste();
        return true;
    case WM_NCCALCSIZE:
    case WM_NCPAINT: return true;  // no border
    default: return false;
    }
}

}  // namespace panels
