// PondrelSubMenu ("PNDR"): the application's commands as the sub-menu of a
// text menu's application item (identifier "5000").  Its choices go to the
// application unless a menu panel is open.
#pragma once

#include "app/selection/menus/TxMenuWin.h"

class PondrelSubMenu : public SubMenu {
public:
    void BuildItems() override;
    void OnItemChosen(MyMenuItem* item) override;
};
