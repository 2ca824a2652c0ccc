#include "app/panels/dock/DockContextMenu.h"

#include "app/panels/dock/DockBar.h"
#include "log/PondrelLog.h"

void DockContextMenu::BuildItems() { m_pAutoHideItem = AddItem(kAutoHide, L"AutoHide", 0); }

void DockContextMenu::OnItemChosen(MyMenuItem* item) {
    if (!item || item->m_Disabled) return;
    HideMenu();
    if (item == m_pAutoHideItem) {
        bar_.ToggleAutoHide();
        LogLine(bar_.AutoHide() ? L"Dock: auto hide on" : L"Dock: auto hide off");
    }
}

void DockContextMenu::ShowAtPoint(POINT screen) {
    RECT at{screen.x, screen.y, screen.x + 1, screen.y + 1};
    ShowAt(at, nullptr, nullptr);
}
