#include "app/panels/children/SearchMatrixView.h"

#include "log/PondrelLog.h"

namespace panels {

SearchMatrixView::~SearchMatrixView() {
    // The view's handlers run while the object is whole.
    if (hwnd() && OnOwnThread()) ::DestroyWindow(hwnd());
}

bool SearchMatrixView::CreateIn(HWND parent, int id) {
    RECT client{};
    ::GetClientRect(parent, &client);
    const bool made = Create(parent, client, WS_CHILD | WS_VISIBLE, static_cast<UINT>(id));
    if (!made) LogWithPrefix(L"The search matrix has no web view: %s", hwnd() ? L"no control" : L"no window");
    return made;
}

void SearchMatrixView::OnBeforeNavigate2(IDispatch*, const std::wstring&, bool, bool*) {}

void SearchMatrixView::OnDocumentComplete(IDispatch*, const std::wstring&) {
    if (!m_FadeIn || !hwnd()) return;
    ::SetLayeredWindowAttributes(::GetParent(hwnd()), 0, 255, LWA_ALPHA);
    m_FadeIn = false;
    ::SetFocus(hwnd());
}

}  // namespace panels
