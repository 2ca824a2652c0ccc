// The tray menu's item lists from configured items, the update item's text,
// the disabled matrix over ready, online and disabled, and what a choice does.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/selection/menus/TrayMenuItems.h"

namespace {

using tray_menu::ConfiguredItem;
using tray_menu::Planned;
using tray_menu::State;

tray_menu::Texts Texts() {
    return {L"Check for Update", L"Update PondRel...", L"Downloading Update", L"Enable", L"Disable", L"Exit"};
}

// "-" for a separator, else the text and "|id".
std::vector<std::wstring> Shape(const std::vector<Planned>& items) {
    std::vector<std::wstring> out;
    for (const Planned& p : items) out.push_back(p.separator ? L"-" : p.text + L"|" + p.id);
    return out;
}

TEST(TrayMenuItems, ListsFromTheSettingsAndTheState) {
    const std::wstring upd = std::wstring(L"|") + tray_menu::kUpdateId;
    State loaded;
    loaded.settingsLoaded = true;
    State notLoaded;
    State disabled = loaded;
    disabled.disabled = true;
    struct Case {
        const char* name;
        std::vector<ConfiguredItem> configured;
        State state;
        std::vector<std::wstring> shape;
    } cases[] = {
        {"no tray items: no leading separator", {}, loaded, {L"Check for Update" + upd, L"Disable|disable", L"Exit|exit"}},
        {"settings not loaded: the switch and exit only",
         {{L"Web", L"", L"http://a/", L"", L""}},
         notLoaded,
         {L"Disable|disable", L"Exit|exit"}},
        {"disabled: Enable", {}, disabled, {L"Check for Update" + upd, L"Enable|enable", L"Exit|exit"}},
        {"dividers before and after, any case",
         {{L"Panel", L"E1", L"", L"", L"BEFORE"}, {L"Web", L"", L"http://a/", L"", L"after"}, {L"Plain", L"", L"", L"", L"x"}},
         loaded,
         {L"-", L"Panel|E1", L"Web|", L"-", L"Plain|", L"-", L"Check for Update" + upd, L"Disable|disable",
          L"Exit|exit"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Shape(tray_menu::PlanItems(c.configured, c.state, Texts())), c.shape);
    }
    // Icons: the panel's for a panel item, else the icon URL.
    auto items = tray_menu::PlanItems({{L"P", L"E1", L"", L"http://i/1.png", L""}, {L"W", L"", L"http://a/", L"http://i/2.png", L""}},
                                      loaded, Texts());
    EXPECT_EQ(items[0].iconEcp, L"E1");
    EXPECT_EQ(items[0].iconUrl, L"");
    EXPECT_EQ(items[1].iconUrl, L"http://i/2.png");
    EXPECT_EQ(items[1].url, L"http://a/");
}

TEST(TrayMenuItems, TheUpdateItemFollowsTheUpdateState) {
    struct Case {
        int state;
        std::wstring text;
        bool disabled;
    } cases[] = {{0, L"Check for Update", false}, {1, L"Downloading Update", true}, {4, L"Update PondRel...", false}};
    for (const Case& c : cases) {
        State s;
        s.settingsLoaded = s.online = true;
        s.updateState = c.state;
        auto items = tray_menu::PlanItems({}, s, Texts());
        ASSERT_EQ(items[0].index, tray_menu::kUpdateIndex);
        EXPECT_EQ(items[0].text, c.text);
        MenuItemData item;
        item.m_Text = items[0].text;
        item.m_Id = items[0].id;
        item.m_Index = items[0].index;
        EXPECT_EQ(tray_menu::IsDisabled(item, false, s, L"Exit"), c.disabled) << c.state;
    }
}

// Every kind of item over every combination of disabled, online, settings
// loaded and starting.
TEST(TrayMenuItems, TheDisabledMatrix) {
    enum Kind { PanelItem, LinkItem, PlainItem, Toggle, Exit, UpdateItem };
    for (int bits = 0; bits < 16; ++bits) {
        State s;
        s.disabled = bits & 1;
        s.online = bits & 2;
        s.settingsLoaded = bits & 4;
        s.starting = bits & 8;
        const bool ready = !s.disabled && s.online && s.settingsLoaded && !s.starting;
        SCOPED_TRACE(testing::Message() << "disabled " << s.disabled << " online " << s.online << " loaded "
                                        << s.settingsLoaded << " starting " << s.starting);
        for (int kind = PanelItem; kind <= UpdateItem; ++kind) {
            MenuItemData item;
            bool record = false, expected = !ready;
            switch (kind) {
                case PanelItem: item.m_Text = L"Panel"; item.m_Id = L"E1"; record = true; break;
                case LinkItem: item.m_Text = L"Web"; item.m_Id = L""; item.m_Type = L"http://a/"; expected = !s.online; break;
                case PlainItem: item.m_Text = L"Plain"; item.m_Id = L"X"; break;
                case Toggle: item.m_Text = L"Disable"; item.m_Id = L"DISABLE"; expected = false; break;
                case Exit: item.m_Text = L"exit"; item.m_Id = L"exit"; expected = false; break;
                case UpdateItem: item.m_Text = L"Check for Update"; item.m_Id = tray_menu::kUpdateId; item.m_Index = 777; break;
            }
            EXPECT_EQ(tray_menu::IsDisabled(item, record, s, L"Exit"), expected) << "kind " << kind;
        }
    }
}

TEST(TrayMenuItems, WhatAChoiceDoes) {
    using tray_menu::Action;
    struct Case {
        const char* name;
        std::wstring id, type;
        int data;
        bool record;
        bool openUrl;
        Action action;
    } cases[] = {
        {"link", L"", L"http://a/", 0, false, true, Action::Nothing},
        {"link naming a panel: the URL only", L"E1", L"http://a/", 0, true, true, Action::Nothing},
        {"panel", L"E1", L"pq_default", 0, true, false, Action::Panel},
        {"panel without a record", L"E1", L"pq_default", 0, false, false, Action::Nothing},
        {"update", L"235da57d-4be6-4aba-a46e-78012268dd93", L"pq_default", 0, false, false, Action::Update},
        {"enable", L"Enable", L"PQ_DEFAULT", 0, false, false, Action::Toggle},
        {"disable", L"disable", L"pq_default", 0, false, false, Action::Toggle},
        {"exit", L"EXIT", L"pq_default", 0, false, false, Action::Exit},
        {"data set", L"exit", L"pq_default", 1, false, false, Action::Nothing},
        {"no identifier", L"", L"pq_default", 0, false, false, Action::Nothing},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MenuItemData item;
        item.m_Id = c.id;
        item.m_Type = c.type;
        item.m_Data = c.data;
        tray_menu::Choice choice = tray_menu::Choose(item, c.record);
        EXPECT_EQ(choice.openUrl, c.openUrl);
        EXPECT_EQ(choice.action, c.action);
    }
}

}  // namespace
