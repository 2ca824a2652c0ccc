#include "app/panels/children/ChildThreadMsgHandler.h"

#include "app/core/common/AppMessages.h"
#include "app/panels/children/ChildViews.h"
#include "app/panels/children/ChildWin.h"
#include "app/panels/children/ChildrenThread.h"
#include "app/panels/children/SearchView.h"
#include "app/panels/elements/Win32Elements.h"

namespace panels {

ChildLink* ChildLink::FromHandler(HWND handler) {
    auto* window = dynamic_cast<ChildThreadMsgHandler*>(fx::Window::FromHandle(handler));
    return window ? window->Thread() : nullptr;
}

ChildThreadMsgHandler::~ChildThreadMsgHandler() { Destroy(); }

bool ChildThreadMsgHandler::CreateHandler() {
    if (!RegisterChildWindowClass(kClass)) return false;
    return CreateEx(0, kClass, L"", 0, 0, 0, 10, 10, nullptr, nullptr);
}

bool ChildThreadMsgHandler::OnMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) {
    using namespace children_msg;
    if (msg < kNothing11301 || msg > kGoBack) return false;
    result = 0;
    switch (msg) {
    case kClose: m_pThread->OnUrlDone(); break;
    case kSnapshot: m_pThread->OnSnapshot(); break;
    case kNavigateContent: m_pThread->OnNavigateContent(); break;
    case kSizeChildren: m_pThread->OnSizeChildren(); break;
    case kHideTail: m_pThread->OnHideTail(); break;
    case kSetSearchText: OnSetSearchText(); break;
    case kFocusSearch: OnFocusSearch(); break;
    case kRefreshSearch:
        if (SearchView* view = m_pThread->m_pSearchView) ::PostMessageW(view->hwnd(), search_box_msg::kSelectAll, 0, 0);
        break;
    case kGoForward: OnGoForward(); break;
    case kGoBack: OnGoBack(); break;
    default: break;  // 11301, 11306: nothing
    }
    return true;
}

// The shared text into the search box, then selected (11215).
void ChildThreadMsgHandler::OnSetSearchText() {
    SearchView* view = m_pThread->m_pSearchView;
    const std::wstring text = m_pThread->Url();
    if (!view) return;
    view->SetText(text);
    m_pThread->SetUrl(text);
    ::PostMessageW(view->hwnd(), search_box_msg::kSelectAll, 0, 0);
}

void ChildThreadMsgHandler::OnFocusSearch() {
    SearchView* view = m_pThread->m_pSearchView;
    if (!view || !view->hwnd()) return;
    ::SetForegroundWindow(view->hwnd());
    ::SetFocus(view->hwnd());
}

void ChildThreadMsgHandler::OnGoForward() {
    if (CChildWin* content = m_pThread->MainContentWindow()) GoForwardInView(*content);
}

void ChildThreadMsgHandler::OnGoBack() {
    if (CChildWin* content = m_pThread->MainContentWindow()) GoBackInView(*content);
}

}  // namespace panels
