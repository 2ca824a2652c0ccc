// SearchMenu ("SearchMenu"): the text menu a content panel shows beside
// itself as its context menu (message 11135).  The panel leaves where to show
// it, its own window and its text in m_Context; a search item opens its URL,
// a panel item becomes the owner panel's next record (message 11201).
#pragma once

#include <windows.h>

#include <string>

#include "app/selection/menus/TextRootMenu.h"
#include "fx/Locked.h"

// What a panel leaves for its context menu before posting 11135 (a panel's
// thread writes it, the user-interface thread reads it: SearchMenu::m_Context).
struct SearchMenuContext {
    RECT anchor{0, 0, 0, 0};
    HWND panel = nullptr;  // the panel asking; also the key of 11135
    std::wstring text;
    int mode = 0;
};

class SearchMenu : public TextRootMenu {
public:
    SearchMenu() { m_WithAppItem = false; }

    void OnItemChosen(MyMenuItem* item) override;

    fx::Locked<SearchMenuContext> m_Context;
    HWND m_hOwnerPanel = nullptr;     // the panel the menu is shown for
    int m_Mode = 0;
};
