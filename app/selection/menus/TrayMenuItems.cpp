#include "app/selection/menus/TrayMenuItems.h"

#include <cwctype>

namespace tray_menu {

const wchar_t* const kUpdateId = L"235DA57D-4BE6-4ABA-A46E-78012268DD93";

namespace {

bool SameNoCase(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::towlower(a[i]) != std::towlower(b[i])) return false;
    return true;
}

bool IsLink(const MenuItemData& item) { return !SameNoCase(item.m_Type, L"pq_default"); }

Planned Separator() {
    Planned p;
    p.separator = true;
    return p;
}

}  // namespace

std::vector<Planned> PlanItems(const std::vector<ConfiguredItem>& configured, const State& state, const Texts& texts) {
    std::vector<Planned> out;
    if (state.settingsLoaded) {
        for (const ConfiguredItem& c : configured) {
            if (SameNoCase(c.divider, L"before")) out.push_back(Separator());
            Planned p;
            p.text = c.text;
            p.id = c.ecp;
            p.url = c.url;
            if (!c.ecp.empty())
                p.iconEcp = c.ecp;
            else
                p.iconUrl = c.icon;
            out.push_back(p);
            if (SameNoCase(c.divider, L"after")) out.push_back(Separator());
        }
        if (!configured.empty()) out.push_back(Separator());
        Planned update;
        update.id = kUpdateId;
        update.index = kUpdateIndex;
        update.text = state.updateState == 4 ? texts.update
                      : state.updateState == 1 ? texts.downloading
                                               : texts.checkUpdate;
        out.push_back(update);
    }
    Planned toggle;
    toggle.id = state.disabled ? L"enable" : L"disable";
    toggle.text = state.disabled ? texts.enable : texts.disable;
    out.push_back(toggle);
    Planned exit;
    exit.id = L"exit";
    exit.text = texts.exit;
    out.push_back(exit);
    return out;
}

bool IsDisabled(const MenuItemData& item, bool hasRecord, const State& state, const std::wstring& exitText) {
    const bool ready = !state.disabled && state.settingsLoaded && state.online && !state.starting;
    bool disabled = false;
    if (hasRecord) {
        disabled = !ready;
    } else if (!SameNoCase(item.m_Text, exitText)) {
        disabled = !ready;
        if (IsLink(item)) disabled = !state.online;
        if (SameNoCase(item.m_Id, L"disable") || SameNoCase(item.m_Id, L"enable")) disabled = false;
    }
    if (item.m_Index == kUpdateIndex && state.updateState == 1) disabled = true;
    return disabled;
}

Choice Choose(const MenuItemData& item, bool hasRecord) {
    Choice c;
    if (IsLink(item)) {
        c.openUrl = true;
        return c;
    }
    if (item.m_Id.empty() || item.m_Data != 0) return c;
    if (SameNoCase(item.m_Id, kUpdateId))
        c.action = Action::Update;
    else if (hasRecord)
        c.action = Action::Panel;
    else if (SameNoCase(item.m_Id, L"disable") || SameNoCase(item.m_Id, L"enable"))
        c.action = Action::Toggle;
    else if (SameNoCase(item.m_Id, L"exit"))
        c.action = Action::Exit;
    return c;
}

}  // namespace tray_menu
