#include "app/selection/menus/TrayMenu.h"

#include "app/core/common/Resource.h"
#include "app/core/config/EcpIcon.h"
#include "app/core/config/Settings.h"
#include "app/core/config/UserSetting.h"
#include "app/core/config/XmlConfig.h"
#include "app/core/graphics/AppImages.h"
#include "app/core/main/PondrelApp.h"
#include "app/core/main/PondrelDoc.h"
#include "app/core/net/UrlEncodeUtf8.h"
#include "app/selection/menus/TextRootItems.h"
#include "log/PondrelLog.h"

namespace {

// The token of a panel item that carries none.
constexpr const wchar_t* kPlaceholderToken = L"PondRel";

UserSetting* FindRecord(const std::wstring& id) {
    Settings* settings = theApp.m_pDoc ? theApp.m_pDoc->GetSettingsView() : nullptr;
    return settings && !id.empty() ? settings->FindEcp(id) : nullptr;
}

std::vector<tray_menu::ConfiguredItem> ConfiguredItems(XmlConfig& reader) {
    std::vector<tray_menu::ConfiguredItem> out;
    size_t count = reader.SelectNodes(L"/init/tray/menu/item").size();
    if (count > tray_menu::kMaxConfiguredItems) {
        const std::wstring line = L"Tray menu: the settings name " + std::to_wstring(count) + L" items, the first " +
                                  std::to_wstring(tray_menu::kMaxConfiguredItems) + L" are shown";
        LogLine(line.c_str());
        count = tray_menu::kMaxConfiguredItems;
    }
    for (size_t n = 1; n <= count; ++n) {
        const std::wstring base = L"/init/tray/menu/item[" + std::to_wstring(n) + L"]/";
        tray_menu::ConfiguredItem c;
        c.text = reader.GetText(base + L"text");
        c.ecp = reader.GetText(base + L"ecp");
        c.url = reader.GetText(base + L"url");
        c.icon = reader.GetText(base + L"icon");
        c.divider = reader.GetText(base + L"divider");
        out.push_back(std::move(c));
    }
    return out;
}

}  // namespace

TrayMenu::TrayMenu() { m_Wide = true; }

tray_menu::State TrayMenu::CurrentState() {
    tray_menu::State s;
    s.settingsLoaded = theApp.m_SettingsLoaded;
    s.disabled = theApp.m_Disabled;
    s.online = theApp.m_Online;
    s.starting = theApp.m_Starting;
    s.updateState = theApp.m_UpdateState;
    return s;
}

void TrayMenu::BuildItems() {
    if (!m_Rebuild && m_Items.GetCount() > 0) return;
    const tray_menu::State state = CurrentState();
    std::vector<tray_menu::ConfiguredItem> configured;
    if (state.settingsLoaded && theApp.m_pSettings) configured = ConfiguredItems(*theApp.m_pSettings);
    const tray_menu::Texts texts{theApp.Text(IDS_CHECK_UPDATE), theApp.Text(IDS_UPDATE),
                                 theApp.Text(IDS_DOWNLOADING_UPDATE), theApp.Text(IDS_ENABLE),
                                 theApp.Text(IDS_DISABLE), theApp.Text(IDS_EXIT)};
    for (const tray_menu::Planned& p : tray_menu::PlanItems(configured, state, texts)) {
        if (p.separator) {
            AddSeparator();
            continue;
        }
        MyMenuItem* item = AddItem(p.text, p.id, 0);
        if (!item) continue;
        if (!p.url.empty()) item->m_Type = p.url;
        item->m_Index = p.index;
        if (!p.iconEcp.empty()) {
            if (UserSetting* record = FindRecord(p.iconEcp)) item->m_pIcon = LoadEcpIcon(theApp.m_InstallDir, *record);
        } else if (!p.iconUrl.empty()) {
            item->m_pIcon = LoadItemIcon(p.iconUrl);
        }
    }
    m_Rebuild = false;
}

void TrayMenu::RefreshItems() {
    const tray_menu::State state = CurrentState();
    const std::wstring& exitText = theApp.Text(IDS_EXIT);
    for (size_t i = 0; i < m_Items.GetCount(); ++i) {
        MyMenuItem& item = *m_Items.GetAt(i);
        item.m_Disabled = tray_menu::IsDisabled(item, FindRecord(item.m_Id) != nullptr, state, exitText);
    }
}

void TrayMenu::OnLButtonUp() {
    MyMenuItem* item = m_Items.GetSelectedItem();
    if (!item || item->m_Separator || item->m_Disabled) return;  // a disabled item keeps the menu open
    OnItemChosen(item);
    HideMenu();
}

void TrayMenu::Rebuild() {
    ClearItems();
    BuildItems();
}

void TrayMenu::OnItemChosen(MyMenuItem* item) {
    if (!item) return;
    // What the choice needs is copied first: a rebuild below deletes the item.
    const tray_menu::Choice choice = tray_menu::Choose(*item, FindRecord(item->m_Id) != nullptr);
    const std::wstring id = item->m_Id, type = item->m_Type, token = item->m_Token, target = item->m_Target;
    item = nullptr;
    if (choice.openUrl) {
        if (m_pOwnerView)
            m_pOwnerView->OpenUrlInBrowser(type);
        else
            theApp.OpenUrlInBrowser(type);
        return;
    }
    switch (choice.action) {
        case tray_menu::Action::Update:
            HideMenu();
            if (theApp.m_UpdateState == 0) {
                theApp.CheckForNewVersion();
                if (theApp.m_UpdateState == 0) {
                    theApp.m_BalloonStartsUpdate = false;
                    theApp.ShowTrayBalloon(theApp.Text(IDS_LATEST_VERSION).c_str(), L"PondRel", theApp.m_hIconBalloon);
                }
            } else {
                theApp.StartSetupDownload(true);
            }
            Rebuild();
            break;
        case tray_menu::Action::Panel: {
            UserSetting* record = FindRecord(id);
            if (!record) break;
            MenuItemData data;
            data.m_Token = token;
            data.m_Target = target;
            text_menu::PanelChoice panel = text_menu::ChoosePanel(data, kPlaceholderToken);
            record->m_CurrentUrl = panel.currentUrl;
            record->m_QueryText = panel.token;
            const std::wstring encoded = UrlEncodeUtf8(panel.token);
            record->m_Counted = 0;
            record->m_Transient = 1;
            if (m_pOwnerView) m_pOwnerView->LaunchEcp(RECT{0, 0, 20, 20}, record, encoded, L"Tray Menu", 1);
            break;
        }
        case tray_menu::Action::Toggle:
            theApp.m_Disabled = !theApp.m_Disabled;
            theApp.UpdateTrayIcon();
            m_Rebuild = true;
            Rebuild();
            break;
        case tray_menu::Action::Exit:
            ::PostMessageW(GetSharedMainWindow(), WM_QUIT, 0, 0);
            break;
        case tray_menu::Action::Nothing:
            break;
    }
}

bool TrayMenu::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_LBUTTONUP) {
        result = 0;
        OnLButtonUp();
        return true;
    }
    return TxMenuWin::OnMessage(msg, wp, lp, result);
}
