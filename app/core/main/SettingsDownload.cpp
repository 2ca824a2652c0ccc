// CPondrelApp::DownloadSettings and ReloadSettings: fetching settings.xml
// from the init URL, replacing the settings reader, and the whole refresh
// made from a new document.
#include "app/core/main/PondrelApp.h"

#include "app/core/common/AppMessages.h"
#include "app/core/main/PondrelDoc.h"
#include "app/core/net/HttpRoutines.h"
#include "app/core/config/ReloadDecisions.h"
#include "app/core/config/Settings.h"
#include "app/core/config/SettingsRules.h"
#include "app/core/net/UrlEncodeUtf8.h"
#include "app/core/config/XmlConfig.h"
#include "log/PondrelLog.h"

bool CPondrelApp::DownloadSettings() {
    // The retry clock restarts; the request URL carries the user id and the version.
    m_SettingsRetryTick = ::GetTickCount();
    const std::wstring user = m_UserId.empty() ? std::wstring() : UrlEncodeUtf8(m_UserId);
    m_SettingsUrl = settings_rules::SettingsRequestUrl(m_InitUrl, user, m_Version);
    // The old reader goes first, whatever the download brings.
    DeleteSettingsReader();
    m_HaveInitDispatch = false;
    m_SettingsLoaded = false;
    // Offline: no request; settings.xml on disk is not read.
    if (!m_Online) {
        UpdateTrayIcon();
        return false;
    }
    // A failed download leaves the file on disk as it was.
    const std::wstring path = m_InstallDir + L"settings.xml";
    m_HaveInitDispatch = HttpGetToFile(m_SettingsUrl, path);
    m_DownloadTried = true;
    bool loaded = false;
    if (m_HaveInitDispatch) {
        m_pSettings = new XmlConfig(path.c_str());
        m_pSettings->SetSource(m_SettingsUrl.c_str());
        loaded = m_pSettings->LoadLists() == 0;
        m_SettingsLoaded = loaded;
    }
    // The settings URL asked is published with the rest.
    PublishSnapshot();
    // The tray shows the result.
    UpdateTrayIcon();
    return loaded;
}

bool CPondrelApp::ReloadSettings() {
    // A request while a reload runs (an enhancer or a message box pumping
    // messages meanwhile) is remembered and runs once after it.
    if (m_ReloadRunning) {
        m_ReloadAgain = true;
        LogLine(L"Reload Settings requested during a reload: it follows");
        return m_SettingsLoaded;
    }
    // While the controller is inside a call into an enhancer, it runs the
    // reload itself once that call has returned.
    ControllerOps* controller = m_pDoc ? m_pDoc->GetController() : nullptr;
    if (controller && controller->DeferReload()) {
        LogLine(L"Reload Settings waits for the enhancer call in progress");
        return m_SettingsLoaded;
    }
    struct Running {
        bool& flag;
        explicit Running(bool& f) : flag(f) { flag = true; }
        ~Running() { flag = false; }
    } running(m_ReloadRunning);
    do {
        m_ReloadAgain = false;
        ReloadSettingsOnce();
    } while (m_ReloadAgain);
    return m_SettingsLoaded;
}

void CPondrelApp::ReloadSettingsOnce() {
    // The dock flag to compare against, the starting look and the connection state.
    const bool dockBefore = RememberedDockFlag(m_SettingsLoaded, m_ShowDockBar);
    m_Starting = true;
    UpdateTrayIcon();
    m_SettingsLoaded = false;
    m_SettingsRetryTick = ::GetTickCount();
    UpdateConnectionState();
    // Without a loaded document the values read before stay.
    DownloadSettings();
    if (m_pDoc && m_pDoc->GetSettingsView()) LoadSettingsValues(*m_pDoc->GetSettingsView());
    // Which messages the reload sends about the dock flag.
    const ReloadMessages messages = MessagesAfterReload(dockBefore, m_SettingsLoaded, m_ShowDockBar);
    if (messages.toDock) PostToDockWindow(dock_msg::kShowOrHide);
    // Best guesses, menus and enhancers made afresh from the new settings.
    RefreshBestGuessSettings();
    RebuildMenus();
    UnloadEnhancers();
    LoadEnhancers();
    // The focus goes back to the foreground window.
    ::SetFocus(::GetForegroundWindow());
    LogLine(L"Set Focus");
    // Open panels hear of a changed dock flag.
    if (messages.toPanels) PostToAllPanels(panel_msg::kRepaint);
    // Started: the tray's look and the messages that waited for the settings.
    m_Starting = false;
    UpdateTrayIcon();
    FlushPendingMessages();
    LogLine(L"Reload Settings done");
}

// Destroys and frees the settings reader (on the thread that made it).
void CPondrelApp::DeleteSettingsReader() {
    delete m_pSettings;
    m_pSettings = nullptr;
}

// Resets the panel usage counts of the settings view.
void CPondrelApp::ResetPanelUsageCounts() {
    if (m_pDoc && m_pDoc->GetSettingsView()) m_pDoc->GetSettingsView()->ResetEcpUsage();
}
