// ECPSubMenu ("ecpmenuitem"): a sub-menu that shows one content panel inside
// it.  Its one item has the panel's size and no background; the panel,
// launched at the menu's first show, sits right behind the menu and is
// shown and hidden with it.  Deleting the menu tells the panel to close.
#pragma once

#include <windows.h>

#include "app/selection/menus/TxMenuWin.h"

class ECPSubMenu : public SubMenu {
public:
    ~ECPSubMenu() override;

    void BuildItems() override;
    void ShowAt(const RECT& rect, MenuHost* ownerView, MenuObserver* observer) override;

    // The panel shown inside; null until launched.  A handle that is no
    // window any more counts as no panel.
    HWND m_hPanel = nullptr;

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    HWND LivePanel() const { return m_hPanel && ::IsWindow(m_hPanel) ? m_hPanel : nullptr; }
    void LaunchPanel();
};
