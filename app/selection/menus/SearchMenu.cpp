#include "app/selection/menus/SearchMenu.h"

#include "app/core/common/AppMessages.h"
#include "app/core/common/GlobalLocks.h"
#include "app/core/config/Settings.h"
#include "app/core/config/UserSetting.h"
#include "app/core/main/PondrelApp.h"
#include "app/core/main/PondrelDoc.h"
#include "app/selection/controller/BrowserTreeView.h"
#include "log/PondrelLog.h"

// A search opens its URL as it is; a panel's record goes to the owner panel
// as its next record, which the panel then shows (11201: wParam 1, lParam 0
// for a best guess, 1 otherwise).  The owner panel is looked up among the
// running panels, so a panel closed meanwhile gets nothing.
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
    panels::PanelThread* owner = m_pOwnerView ? m_pOwnerView->m_Panels.FindByWindow(m_hOwnerPanel) : nullptr;
    if (!owner) {
        LogLine(L"Search menu: the panel it was shown for has closed");
        return;
    }
    {
        fx::ScopedLock lock(g_PanelRecordLock);
        owner->m_Next.CopyFrom(*record);
        owner->m_Next.m_QueryText = item->m_Token;
        owner->m_Next.m_Counted = item->m_Counted ? 1 : 0;
    }
    ::PostMessageW(m_hOwnerPanel, panel_msg::kNavigate, 1, item->m_Counted ? 0 : 1);
}
