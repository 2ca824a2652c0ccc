#include "app/core/config/Settings.h"

#include "app/core/common/DialogFont.h"
#include "app/core/config/SettingsRules.h"

Settings::~Settings() {
    DeleteAllRecords();
    m_WndList.RemoveAll();
}

void Settings::ClearBindings() {
    m_pHelpEcp = m_pFeedbackEcp = m_pBugEcp = m_pAboutEcp = m_pDockToggleEcp = nullptr;
    m_pSettingsEcp = m_pPromoEcp = m_pMobileEcp = m_pSearchEcp = m_pMiniBrowserEcp = nullptr;
}

void Settings::DeleteAllRecords() {
    ClearBindings();
    m_EcpList.DeleteAll();
}

UserSetting* Settings::AddRecord(std::unique_ptr<UserSetting> record, const std::wstring& searchEcp,
                                 std::wstring& defaultEcp) {
    UserSetting* r = m_EcpList.Add(std::move(record));
    Bind(*r, searchEcp, defaultEcp);
    return r;
}

void Settings::Bind(UserSetting& r, const std::wstring& searchEcp, std::wstring& defaultEcp) {
    using settings_rules::EcpRole;
    const settings_rules::EcpBinding b = settings_rules::BindingFor(r.m_Id, searchEcp);
    switch (b.role) {
        case EcpRole::kHelp: m_pHelpEcp = &r; break;
        case EcpRole::kFeedback: m_pFeedbackEcp = &r; break;
        case EcpRole::kAbout: m_pAboutEcp = &r; break;
        case EcpRole::kDockToggle: m_pDockToggleEcp = &r; break;
        case EcpRole::kBug: m_pBugEcp = &r; break;
        case EcpRole::kSettings: m_pSettingsEcp = &r; break;
        case EcpRole::kMobile: m_pMobileEcp = &r; break;
        case EcpRole::kPromo: m_pPromoEcp = &r; break;
        case EcpRole::kSearch: m_pSearchEcp = &r; break;
        case EcpRole::kMiniBrowser: m_pMiniBrowserEcp = &r; break;
        case EcpRole::kNone: break;
    }
    if (b.singleInstance >= 0) r.m_SingleInstance = static_cast<BYTE>(b.singleInstance);
    if (b.settingsPanel) r.m_SettingsPanel = 1;
    if (b.searchPanel) r.m_SearchPanel = 1;
    if (b.defaultWhenUnset && defaultEcp.empty()) defaultEcp = r.m_Id;
}

UserSetting* Settings::FindEcp(const std::wstring& id) const {
    for (size_t i = 0; i < m_EcpList.GetCount(); ++i)
        if (m_EcpList.GetAt(i)->m_Id == id) return m_EcpList.GetAt(i);
    return nullptr;
}

UserSetting* Settings::NextUsedEcp(EcpPosition& pos) const {
    while (pos.next < m_EcpList.GetCount()) {
        UserSetting* r = m_EcpList.GetAt(pos.next++);
        if (r->m_OpenCount > 0) return r;
    }
    return nullptr;
}

void Settings::ResetEcpUsage() {
    for (size_t i = 0; i < m_EcpList.GetCount(); ++i) {
        m_EcpList.GetAt(i)->m_OpenCount = 0;
        m_EcpList.GetAt(i)->m_OpenTime = 0;
    }
}

void Settings::ReadCheckboxes() {
    if (m_EcpList.GetCount() == 0) return;
    UserSetting* first = m_EcpList.GetAt(0);
    for (size_t i = 0; i < m_WndList.GetCount(); ++i) {
        HWND box = m_WndList.GetAt(i)->CheckBoxWindow();
        if (box) first->m_Active = ::SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
}

void Settings::OnDraw(HDC dc) {
    Gdiplus::Graphics g(dc);
    for (size_t i = 0; i < m_WndList.GetCount(); ++i) m_WndList.GetAt(i)->Draw(g);
}

bool Settings::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
        case WM_CREATE: {
            result = Default(msg, wp, lp);
            if (result == -1) return true;
            if (HWND dialog = FontDialogWindow()) {
                LRESULT font = ::SendMessageW(dialog, WM_GETFONT, 0, 0);
                ::SendMessageW(hwnd(), WM_SETFONT, static_cast<WPARAM>(font), TRUE);
            }
            return true;
        }
        case WM_CTLCOLORSTATIC:
            if (!m_hStaticBrush) break;
            result = reinterpret_cast<LRESULT>(m_hStaticBrush);
            return true;
        case WM_MOUSEACTIVATE:
            result = MA_ACTIVATE;
            return true;
        case WM_ERASEBKGND:
            result = TRUE;
            return true;
        case WM_VSCROLL:
            result = 0;
            return true;
        default:
            break;
    }
    return fx::View::OnMessage(msg, wp, lp, result);
}

void ECPSettings::OnDraw(HDC dc) {
    RECT rc;
    ::GetClientRect(hwnd(), &rc);
    rc.right -= 17;
    ::FillRect(dc, &rc, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    Settings::OnDraw(dc);
}
