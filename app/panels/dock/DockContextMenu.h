// DockContextMenu: the dock bar's right-click menu, one item "Auto Hide"
// that toggles the bar's auto-hide (the item does not show the state).
#pragma once

#include "app/selection/menus/TxMenuWin.h"

class DockBar;

class DockContextMenu : public TxMenuWin {
public:
    static constexpr const wchar_t* kName = L"dcontext";
    static constexpr const wchar_t* kAutoHide = L"Auto Hide";

    explicit DockContextMenu(DockBar& bar) : bar_(bar) {}
    // The menu window (class "PondMenu", title "dcontext", style 0xCF0000).
    bool CreateDockMenu() { return CreateMenu(kName); }
    void BuildItems() override;
    void OnItemChosen(MyMenuItem* item) override;
    // Shows the menu with its top-left at a screen point.
    void ShowAtPoint(POINT screen);

    MyMenuItem* m_pAutoHideItem = nullptr;

private:
    DockBar& bar_;
};
