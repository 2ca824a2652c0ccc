// The tray menu's rules as plain code: the item list from the configured tray
// items and the program's state, which items are disabled, and what a choice
// does.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "app/selection/menus/MenuItems.h"

namespace tray_menu {

// The update item's identifier and index.
extern const wchar_t* const kUpdateId;
constexpr int kUpdateIndex = 777;
// The settings' tray items read (each may name an icon to download).
constexpr size_t kMaxConfiguredItems = 32;

// One "/init/tray/menu/item[n]" of the settings.
struct ConfiguredItem {
    std::wstring text, ecp, url, icon, divider;
};

struct State {
    bool settingsLoaded = false;
    bool disabled = false;
    bool online = false;
    bool starting = false;
    int updateState = 0;  // 0 none, 1 downloading, 4 a new version reported
};

// The texts of the fixed items (the program's string table).
struct Texts {
    std::wstring checkUpdate, update, downloading, enable, disable, exit;
};

// One item to add: a separator or an item (text, identifier, link URL or
// empty, the icon's panel identifier or URL, the index).
struct Planned {
    bool separator = false;
    std::wstring text, id, url;
    std::wstring iconEcp, iconUrl;
    int index = 0;
};

std::vector<Planned> PlanItems(const std::vector<ConfiguredItem>& configured, const State& state, const Texts& texts);

// An item's disabled flag; hasRecord: its identifier names a panel record.
bool IsDisabled(const MenuItemData& item, bool hasRecord, const State& state, const std::wstring& exitText);

enum class Action { Nothing, Update, Panel, Toggle, Exit };
struct Choice {
    bool openUrl = false;  // a link item: open m_Type
    Action action = Action::Nothing;
};
// What choosing the item does.  A link item opens its URL and stops there,
// also when it names a panel.
Choice Choose(const MenuItemData& item, bool hasRecord);

}  // namespace tray_menu
