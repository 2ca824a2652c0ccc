// AppMenu ("AppMenu"): the application's commands as a root menu.  Its items
// are the standard list (AddStandardItems), each identified by its command
// code; releasing the button on the hot item hands the code to the
// application (CPondrelApp::OnAppMenuCommand) and hides the menu.
#pragma once

#include "app/selection/menus/TxMenuWin.h"

class AppMenu : public TxMenuWin {
public:
    void BuildItems() override { AddStandardItems(*this); }
    // The ten application items appended to menu: Settings, Help, Suggest New
    // Feature, Report Bug, Release Notes, About Pondrel, a separator, the
    // debug switch (kept as the menu's m_pDebugItem), a separator, Shutdown.
    static void AddStandardItems(TxMenuWin& menu);
    // The rectangle a command is anchored at: the owner view's window, the
    // menu's own window when it has no owner view.
    static RECT CommandAnchor(const TxMenuWin& menu);

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};
