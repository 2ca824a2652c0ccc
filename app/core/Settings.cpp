#include "core/Settings.h"

#include "core/PondrelApp.h"
#include "core/SettingsRules.h"

namespace well_known {
const wchar_t* const kHelp = L"8B33A94F-37ED-4EA3-9053-D6B32D3DD608";
const wchar_t* const kFeedback = L"7B143EB0-67E7-42F2-A976-D7EE507D0EA5";
const wchar_t* const kBug = L"EF59F3D4-13D1-4A05-88B3-4832MLA0C742";
const wchar_t* const kAbout = L"B738D536-E6B1-49C4-B565-C4A425A0973B";
const wchar_t* const kDockToggle = L"235DA57D-4BE6-4ABA-A46E-78012268DD93";
const wchar_t* const kSettings = L"2338AD2E-CDAC-11DB-8314-0800200C9A66";
const wchar_t* const kMobile = L"PondRel Mobile";
const wchar_t* const kPromo = L"PondRel Offers";
const wchar_t* const kMiniBrowser = L"4C733FB7-1F02-4F4F-BBBD-C5156B5B9872";
const wchar_t* const kSingleInstanceOnly = L"DE493F68-8353-1A76-AEF1-E3CD929F5C4C";
}  // namespace well_known

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

// The rows are tried in order, ignoring case; the first match wins.
void Settings::Bind(UserSetting& r, const std::wstring& searchEcp, std::wstring& defaultEcp) {
    using settings_rules::EqualsNoCase;
    namespace wk = well_known;
    const std::wstring& id = r.m_Id;
    if (EqualsNoCase(id, wk::kHelp)) {
        m_pHelpEcp = &r;
    } else if (EqualsNoCase(id, wk::kFeedback)) {
        m_pFeedbackEcp = &r;
        r.m_SingleInstance = 0;
    } else if (EqualsNoCase(id, wk::kAbout)) {
        m_pAboutEcp = &r;
        r.m_SingleInstance = 1;
    } else if (EqualsNoCase(id, wk::kDockToggle)) {
        m_pDockToggleEcp = &r;
        r.m_SingleInstance = 1;
    } else if (EqualsNoCase(id, wk::kBug)) {
        m_pBugEcp = &r;
    } else if (EqualsNoCase(id, wk::kSettings)) {
        m_pSettingsEcp = &r;
        r.m_SingleInstance = 1;
        r.m_SettingsPanel = 1;
        if (defaultEcp.empty()) defaultEcp = id;
    } else if (EqualsNoCase(id, wk::kMobile)) {
        m_pMobileEcp = &r;
    } else if (EqualsNoCase(id, wk::kPromo)) {
        m_pPromoEcp = &r;
    } else if (EqualsNoCase(id, searchEcp)) {
        m_pSearchEcp = &r;
        r.m_SearchPanel = 1;
        r.m_SingleInstance = 1;
    } else if (EqualsNoCase(id, wk::kMiniBrowser)) {
        m_pMiniBrowserEcp = &r;
        r.m_SingleInstance = 0;
    } else if (EqualsNoCase(id, wk::kSingleInstanceOnly)) {
        r.m_SingleInstance = 1;
    }
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
            if (HWND dialog = theApp.m_HiddenDialog.hwnd()) {
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
