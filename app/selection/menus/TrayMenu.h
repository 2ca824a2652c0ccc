// TrayMenu: the menu of the tray icon's right click.  The configured tray
// items of the settings (panels and web links), the update item, the
// enable/disable switch and Exit; items that cannot work in the program's
// current state are shown disabled (recomputed at every paint).
#pragma once

#include "app/selection/menus/TrayMenuItems.h"
#include "app/selection/menus/TxMenuWin.h"

class TrayMenu : public TxMenuWin {
public:
    TrayMenu();

    void BuildItems() override;
    void RefreshItems() override;
    void OnItemChosen(MyMenuItem* item) override;
    // The item at the hot index, when enabled: chosen, then the menu hides.
    void OnLButtonUp();

    // The program's state as the menu sees it.
    static tray_menu::State CurrentState();

    bool m_Rebuild = true;

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void Rebuild();
};
