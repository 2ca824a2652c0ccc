#include "app/selection/menus/PondrelSubMenu.h"

#include "app/core/main/PondrelApp.h"
#include "app/selection/menus/AppMenu.h"

void PondrelSubMenu::BuildItems() { AppMenu::AddStandardItems(*this); }

void PondrelSubMenu::OnItemChosen(MyMenuItem* item) {
    if (!item) return;
    if (m_pOwnerView && m_pOwnerView->HasMenuPanel()) return;
    const std::wstring code = item->m_Id;
    theApp.OnAppMenuCommand(code, AppMenu::CommandAnchor(*this));
}
