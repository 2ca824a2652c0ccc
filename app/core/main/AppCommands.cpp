// The application's commands: the application menu's codes, the controller's
// command messages that open fixed panels or flip the program's switches,
// the about box and the hidden MiniBrowse panel of the start-up.  Panels open
// through the controller's launcher.  User-interface thread only.
#include <windows.h>

#include "app/core/common/Resource.h"
#include "app/core/config/Settings.h"
#include "app/core/config/UserSetting.h"
#include "app/core/frame/ControllerOps.h"
#include "app/core/main/AboutDlg.h"
#include "app/core/main/PondrelApp.h"
#include "app/core/main/PondrelDoc.h"
#include "log/PondrelLog.h"

namespace {

constexpr RECT kCornerAnchor{0, 0, 20, 20};

ControllerOps* Controller() { return theApp.m_pDoc ? theApp.m_pDoc->GetController() : nullptr; }
Settings* SettingsView() { return theApp.m_pDoc ? theApp.m_pDoc->GetSettingsView() : nullptr; }

// The launcher refuses a null record itself; without a controller nothing
// opens.
void Launch(const RECT& anchor, UserSetting* record, const std::wstring& text, const std::wstring& title, DWORD flags) {
    if (ControllerOps* controller = Controller()) controller->LaunchEcp(anchor, record, text, title, flags);
}

// The fixed panels that take the user id as their query text, at the screen
// corner; nothing for an absent record.
void LaunchWithUserId(UserSetting* (Settings::*which), const std::wstring& title, DWORD flags = 0) {
    Settings* settings = SettingsView();
    UserSetting* record = settings ? settings->*which : nullptr;
    if (!record) return;
    record->m_QueryText = theApp.m_UserId;
    Launch(kCornerAnchor, record, theApp.m_UserId, title, flags);
}

bool Is(const std::wstring& code, const wchar_t* command) { return ::lstrcmpiW(code.c_str(), command) == 0; }

}  // namespace

void CPondrelApp::OnAppMenuCommand(const std::wstring& code, const RECT& anchor) {
    Settings* settings = SettingsView();
    auto record = [&](UserSetting* (Settings::*which)) { return settings ? settings->*which : nullptr; };
    // The settings, help and about panels hand their record to the launcher
    // as it is; an absent record opens nothing.
    if (Is(code, L"Set"))
        if (UserSetting* r = record(&Settings::m_pSettingsEcp)) Launch(kCornerAnchor, r, m_UserId, L"PondRel Settings", 0);
    if (Is(code, L"Help"))
        if (UserSetting* r = record(&Settings::m_pHelpEcp)) Launch(anchor, r, L"Help", L"PondRel Help", 0);
    if (Is(code, L"NF"))
        if (UserSetting* r = record(&Settings::m_pFeedbackEcp)) {
            r->m_SingleInstance = 0;
            Launch(anchor, r, L"Suggest Feature", L"Suggest Feature", 0);
        }
    if (Is(code, L"RB"))
        if (UserSetting* r = record(&Settings::m_pFeedbackEcp)) {
            r->m_SingleInstance = 0;
            Launch(anchor, r, L"Bug Report", L"PondRel Bug Report", 0);
        }
    if (Is(code, L"AB"))
        if (UserSetting* r = record(&Settings::m_pAboutEcp)) Launch(anchor, r, L"About Pondrel", GetVersionTitle(), 0);
    if (Is(code, L"RN")) {
        if (ControllerOps* controller = Controller()) controller->HideTextMenu();
        m_ShellExecute(nullptr, nullptr, L"Notepad.exe", L"Pondrel Release Notes.txt", nullptr, SW_SHOWNORMAL);
    }
    if (Is(code, L"SD")) ::PostMessageW(GetSharedMainWindow(), WM_QUIT, 0, 0);
    if (Is(code, L"DM")) {
        m_DebugMode = !m_DebugMode;
        if (ControllerOps* controller = Controller())
            controller->SetDebugItemText(m_DebugMode ? L"Set Debug Off" : L"Set Debug On");
    }
}

void CPondrelApp::OnOpenDefaultPanel() {
    Settings* settings = SettingsView();
    UserSetting* record = settings ? settings->m_pSearchEcp : nullptr;
    if (!record) return;
    record->m_QueryText.clear();
    Launch(kCornerAnchor, record, L"", GetVersionTitle(), 0);
}

void CPondrelApp::OnOpenSettingsPanel() { LaunchWithUserId(&Settings::m_pSettingsEcp, L"PondRel Settings"); }
void CPondrelApp::OnToggleEnhancers() { m_EnhancersOff = !m_EnhancersOff; }
void CPondrelApp::OnToggleClickOuts() { m_ClickOutsOff = !m_ClickOutsOff; }
void CPondrelApp::OnOpenPromoPanel() { LaunchWithUserId(&Settings::m_pPromoEcp, L"PondRel Extras"); }
void CPondrelApp::OnOpenMobilePanel() { LaunchWithUserId(&Settings::m_pMobileEcp, L"PondRel Mobile"); }
void CPondrelApp::OnOpenMiniBrowser() { LaunchWithUserId(&Settings::m_pMiniBrowserEcp, L"MiniBrowse"); }
void CPondrelApp::OpenMiniBrowser() { LaunchWithUserId(&Settings::m_pMiniBrowserEcp, L"MiniBrowse", 8); }
void CPondrelApp::OnReloadSettings() { ReloadSettings(); }

void CPondrelApp::OnHideMenus() {
    if (ControllerOps* controller = Controller()) controller->HideMenus(true);
}

void CPondrelApp::OnAppAbout() {
    CAboutDlg about;
    about.DoModal(GetSharedMainWindow());
}
