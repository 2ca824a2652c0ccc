#include "app/panels/children/SearchMatrixView.h"

#include <string>

namespace panels {

namespace {

const std::wstring& ViewClass() {
    static const std::wstring name = fx::RegisterWindowClass(0, ::LoadCursorW(nullptr, IDC_ARROW));
    return name;
}

}  // namespace

SearchMatrixView::~SearchMatrixView() { Destroy(); }

bool SearchMatrixView::CreateIn(HWND parent, int id) {
    RECT client{};
    ::GetClientRect(parent, &client);
    return CreateEx(0, ViewClass().c_str(), L"", WS_CHILD | WS_VISIBLE, 0, 0, client.right, client.bottom, parent,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

void SearchMatrixView::OnDocumentComplete() {
    if (!m_FadeIn || !hwnd()) return;
    ::SetLayeredWindowAttributes(::GetParent(hwnd()), 0, 255, LWA_ALPHA);
    m_FadeIn = false;
    ::SetFocus(hwnd());
}

}  // namespace panels
