#include "app/selection/menus/SearchMenu.h"

#include "app/core/common/AppMessages.h"
#include "app/core/config/Settings.h"
#include "app/core/config/UserSetting.h"
#include "app/core/main/PondrelApp.h"
#include "app/core/main/PondrelDoc.h"
#include "log/PondrelLog.h"

// A search opens its URL as it is; a panel's record goes to the owner panel
// as its next record, which the panel then shows (11201: wParam 1, lParam 0
// for a best guess, 1 otherwise).  The controller looks the owner panel up
// among the running panels, so a panel closed meanwhile gets nothing.
void SearchMenu::OnItemChosen(MyMenuItem* item) {
    if (!item || item->m_Data != 0) return;
    if (!menu_layout::IsPanelType(item->m_Type) && !item->m_ActionMark) {
        if (m_pOwnerView) m_pOwnerView->OpenUrlInBrowser(item->m_Type);
        return;
    }
    Settings* settings = theApp.m_pDoc ? theApp.m_pDoc->GetSettingsView() : nullptr;
    UserSetting* record = settings ? settings->FindEcp(item->m_Id) : nullptr;
    if (!record) return;
    record->m_Transient = item->m_Options ? 1u : 0u;
    if (!m_pOwnerView || !m_pOwnerView->GiveNextRecord(m_hOwnerPanel, *record, item->m_Token, item->m_Counted)) {
        LogLine(L"Search menu: the panel it was shown for has closed");
        return;
    }
    ::PostMessageW(m_hOwnerPanel, panel_msg::kNavigate, 1, item->m_Counted ? 0 : 1);
}
