// TextRootMenu: the menu the hotspot opens ("TxMenu"), and the base of the
// search menu.  One item per content-panel category of the settings (each
// opening that category's sub-menu) and, on top, the best-guess items the
// best-guess worker suggests for the selected text.
#pragma once

#include <string>

#include "app/selection/menus/TxMenuWin.h"

class TextRootMenu : public TxMenuWin {
public:
    TextRootMenu() { m_Wide = true; }

    void BuildItems() override;
    void OnItemChosen(MyMenuItem* item) override;
    // Puts the default best-guess item on top and asks the best-guess worker
    // for suggestions (firstContext null: none given), or adds the ones it
    // holds for this text at once.  Always true.
    virtual bool RequestGuesses(const std::wstring& text, const std::wstring* firstContext,
                                const std::wstring& secondContext, bool resize);
    // The held answer's rows as items (message 11140).
    bool AddGuessItems(bool resize);

    bool m_WithAppItem = false;
};
