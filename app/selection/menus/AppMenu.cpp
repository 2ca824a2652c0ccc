#include "app/selection/menus/AppMenu.h"

#include "app/core/main/PondrelApp.h"

void AppMenu::AddStandardItems(TxMenuWin& menu) {
    static const struct {
        const wchar_t* id;
        const wchar_t* text;
    } kCommands[] = {{L"Set", L"Settings"},      {L"Help", L"Help"},         {L"NF", L"Suggest New Feature"},
                     {L"RB", L"Report Bug"},     {L"RN", L"Release Notes"},  {L"AB", L"About Pondrel"}};
    for (const auto& command : kCommands) menu.AddItem(command.text, command.id, 0);
    menu.AddSeparator();
    menu.m_pDebugItem = menu.AddItem(theApp.m_DebugMode ? L"Set Debug Off" : L"Set Debug On", L"DM", 0);
    menu.AddSeparator();
    menu.AddItem(L"Shutdown", L"SD", 0);
}

RECT AppMenu::CommandAnchor(const TxMenuWin& menu) {
    RECT anchor{};
    HWND window = menu.m_pOwnerView ? menu.m_pOwnerView->ControllerWindow() : nullptr;
    if (!window) window = menu.hwnd();
    if (window) ::GetWindowRect(window, &anchor);
    return anchor;
}

// The hot item as it is (no new hit test, disabled flags not looked at) goes
// to the application; the menu hides in every case.
bool AppMenu::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg != WM_LBUTTONUP) return TxMenuWin::OnMessage(msg, wp, lp, result);
    result = 0;
    if (MyMenuItem* item = m_Items.GetSelectedItem()) {
        const std::wstring code = item->m_Id;  // the command may rebuild the items
        theApp.OnAppMenuCommand(code, CommandAnchor(*this));
    }
    HideMenu();
    return true;
}
