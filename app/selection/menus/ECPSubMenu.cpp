#include "app/selection/menus/ECPSubMenu.h"

#include "app/core/common/AppMessages.h"
#include "app/core/config/Settings.h"
#include "app/core/config/UserSetting.h"
#include "app/core/main/PondrelApp.h"
#include "app/core/main/PondrelDoc.h"
#include "app/core/net/UrlEncodeUtf8.h"
#include "app/selection/menus/TextRootItems.h"
#include "log/PondrelLog.h"

namespace {

UserSetting* FindRecord(const std::wstring& id) {
    Settings* settings = theApp.m_pDoc ? theApp.m_pDoc->GetSettingsView() : nullptr;
    return settings ? settings->FindEcp(id) : nullptr;
}

}  // namespace

ECPSubMenu::~ECPSubMenu() {
    if (HWND panel = LivePanel()) ::PostMessageW(panel, panel_msg::kArmAndClose, 0, 0);
    m_hPanel = nullptr;
}

// One item of the panel's size (plus the frame's edge), no text, no
// background: the panel shows through.  No record, no item.
void ECPSubMenu::BuildItems() {
    if (!m_pOwnerItem) return;
    UserSetting* record = FindRecord(m_pOwnerItem->m_Id);
    if (!record) return;
    MyMenuItem* item = AddItem(L"", m_pOwnerItem->m_Id, 0);
    item->m_Token = m_pOwnerItem->m_Token;
    item->m_Width = record->m_Width + 4;
    item->m_Height = record->m_Height + 1;
    item->m_FixedWidth = true;
}

void ECPSubMenu::ShowAt(const RECT& rect, MenuHost* ownerView, MenuObserver* observer) {
    m_pOwnerView = ownerView;
    m_pObserver = observer;
    m_Items.m_HotIndex = -1;
    MeasureItems();
    PlaceOnMonitor(rect);
    m_Width = m_WindowRect.right - m_WindowRect.left;
    m_Height = m_WindowRect.bottom - m_WindowRect.top;
    ::SetWindowPos(hwnd(), nullptr, m_WindowRect.left, m_WindowRect.top, m_Width, m_Height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    ResizeAndRedraw();
    Render(0, true);
    Render(0, false);
    LaunchPanel();
    ::ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
}

// The panel is launched once, with the item's token (or the selected text)
// as its query; a panel that has gone away is launched anew.
void ECPSubMenu::LaunchPanel() {
    MyMenuItem* item = m_Items.GetAt(0);
    UserSetting* record = item ? FindRecord(item->m_Id) : nullptr;
    if (!record) return;
    const std::wstring observerText = m_pObserver ? m_pObserver->HoverText() : std::wstring();
    text_menu::PanelChoice choice = text_menu::ChoosePanel(*item, observerText);
    record->m_CurrentUrl = choice.currentUrl;
    record->m_QueryText = choice.token;
    const std::wstring encoded = UrlEncodeUtf8(choice.token);
    if (LivePanel() || !m_pOwnerView) return;
    if (m_hPanel) LogWithPrefix(L"Menu panel %s has gone: launched again", item->m_Id.c_str());
    RECT anchor{m_WindowRect.left + 2, m_WindowRect.top + 2, m_WindowRect.right, m_WindowRect.bottom};
    m_hPanel = m_pOwnerView->LaunchEcp(anchor, record, encoded, L"MENU ECP", 0x102);
}

bool ECPSubMenu::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_SHOWWINDOW) {
        if (HWND panel = LivePanel()) {
            if (wp) {
                ::PostMessageW(panel, panel_msg::kShow, 0, 0);
                // Right behind the menu; the request is posted to the
                // panel's thread.
                ::SetWindowPos(panel, hwnd(), 0, 0, 0, 0,
                               SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_ASYNCWINDOWPOS);
            } else {
                ::PostMessageW(panel, panel_msg::kHide, 0, 0);
            }
        }
    }
    return SubMenu::OnMessage(msg, wp, lp, result);
}
