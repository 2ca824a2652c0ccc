// CPondrelApp::LoadSettingsValues: the values of the loaded settings document
// copied into the application object, each logged with its label, then the
// panel records rebuilt; and the action icon and the hot key it sets up.
#include "app/core/main/PondrelApp.h"

#include "app/core/config/EcpRecords.h"
#include "app/core/config/HotKey.h"
#include "app/core/config/RegistryValues.h"
#include "app/core/config/Settings.h"
#include "app/core/config/SettingsLog.h"
#include "app/core/config/SettingsRules.h"
#include "app/core/config/XmlConfig.h"
#include "log/PondrelLog.h"

namespace {

using settings_log::Section;
using settings_log::TicksSince;
using settings_log::Value;

// The text of path, logged after label.
std::wstring Read(XmlConfig& x, const wchar_t* path, const wchar_t* label) {
    std::wstring text = x.GetText(path);
    Value(label, text);
    return text;
}

// A user setting, logged after label as read.
std::wstring User(XmlConfig& x, const wchar_t* key, const wchar_t* label) {
    std::wstring text = x.GetUserValue(key);
    Value(label, text);
    return text;
}

bool UserFlag(XmlConfig& x, const wchar_t* key, const wchar_t* label) {
    return settings_rules::FlagOrEmpty(User(x, key, label));
}

}  // namespace

void CPondrelApp::LoadSettingsValues(Settings& view) {
    // Values of earlier loads stay when nothing is loaded.
    if (!m_SettingsLoaded || !m_pSettings) return;
    XmlConfig& x = *m_pSettings;
    // The panel records are rebuilt from the new document.
    view.DeleteAllRecords();
    const DWORD start = ::GetTickCount();

    // Server URLs.
    Section(L"URLs");
    Value(L"Init URL ", m_SettingsUrl);
    if (!settings_rules::IsProductionUrl(m_SettingsUrl)) m_NonProductionServer = true;
    m_PreviewUrl = Read(x, L"//init//urls//preview", L"Preview URL ");
    m_LogUrl = Read(x, L"//init//urls//log", L"Metrics URL ");
    m_UploadUrl = Read(x, L"//init//urls//preview_link_upload", L"Preview Link Upload URL ");
    m_EcpUrl = Read(x, L"//init//urls//ecp", L"ECP URL ");
    std::wstring bestGuessUrl = Read(x, L"//init//urls//bestguess", L"Best Guess URL ");
    {
        fx::ScopedLock hold(g_BestGuessLock);
        m_BestGuessUrl = bestGuessUrl;
    }
    m_UpdatesUrl = Read(x, L"//init//urls//updates", L"Updates URL ");
    Read(x, L"//init//urls//download_page", L"download page URL ");
    m_ImagesUrl = Read(x, L"//init//urls//images", L"Images ");
    Read(x, L"//init//urls//updates", L"Updates ");
    m_AdsUrl = Read(x, L"//init//urls//ads", L"Ads ");
    m_TemplatesUrl = Read(x, L"//init//urls//templates", L"Templates ");
    m_SiteEnhancerUrl = Read(x, L"//init//urls//site_enhancer", L"Site Enhancer URL ");
    m_MessagesUrl = Read(x, L"//init//urls//messages", L"Messages URL ");
    m_IgnoresUrl = Read(x, L"//init//urls//ignores", L"Blacklist URL ");
    // Time taken so far.
    TicksSince(start);

    // The action icon and the upload and polling intervals.
    LoadActionIcon();
    m_LogInterval = settings_rules::IntervalMs(Read(x, L"//init//log_interval", L"Tracking upload interval "));
    m_MessagesInterval = settings_rules::IntervalMs(Read(x, L"//init//messages_interval", L"polling interval "));

    // User settings.
    Section(L"User Settings");
    User(x, L"userid", L"User ID ");
    WriteStartFlag(User(x, L"load_at_start", L"Load At Start ").c_str());
    WriteSplashFlag(User(x, L"show_splash", L"Show Splash ").c_str());
    m_HotKeyMode = User(x, L"hotkey_mode", L"Hot Key Mode  ");
    m_HotKeyChar = User(x, L"hotkey_char", L"Hot Key Char  ");
    ApplyHotKey();
    std::wstring bestGuessEcp = User(x, L"default_bestguess_ecp", L"Default BestGuess ECP ");
    {
        fx::ScopedLock hold(g_BestGuessLock);
        m_DefaultBestGuessEcp = bestGuessEcp;
    }
    m_ShowContextMenu = UserFlag(x, L"show_context_menu", L"Show ContextMenu ");
    m_UseIgnoreList = UserFlag(x, L"ignore_list", L"Use Ignore List ");
    UserFlag(x, L"automatic_updates", L"Auto Update ");
    m_EnableBestGuess = UserFlag(x, L"enable_bestguess", L"BestGuess enabled ");
    m_LogAuth = UserFlag(x, L"log_auth", L"Improvement Program =  ");
    UserFlag(x, L"display_update_alerts", L"Show upgrade alerts =  ");
    UserFlag(x, L"automatic_updates", L"Automatic Updates =  ");
    m_ShowLinkPreviews = UserFlag(x, L"show_link_previews", L"Show m_ShowLinkPreviews ");
    m_ShowDockBar = UserFlag(x, L"show_dock_bar", L"Show m_ShowDockBar ");
    UserFlag(x, L"show_tray_icon", L"Show m_ShowTrayIcon ");
    m_ScriptErrorsSuppressed = UserFlag(x, L"script_errors_suppressed", L"script_errors_suppressed ");
    // The key is a start-up value: later documents cannot change it.
    if (view.m_ReadKey) {
        m_Key = User(x, L"key", L"Key ");
        view.m_ReadKey = false;
    }
    {
        fx::ScopedLock hold(g_BestGuessLock);
        m_KeyShared = m_Key;
    }
    m_DefaultEcp = User(x, L"default_ecp", L"Default ECP ");
    m_SearchEcp = User(x, L"search_ecp", L"Search ECP ");

    // The panel records.
    Section(L"ECPs");
    EcpRecordSources sources;
    sources.installDir = m_InstallDir;
    sources.imagesUrl = m_ImagesUrl;
    sources.templatesUrl = m_TemplatesUrl;
    sources.searchEcp = m_SearchEcp;
    sources.defaultEcp = &m_DefaultEcp;
    RebuildEcpRecords(x, view, sources, start);

    // Other threads see the new values from here on, all at once.
    PublishSnapshot();

    // The tray menu, the dock's imported items and the time taken.
    RequestTrayMenuRebuild();
    if (m_pDockThread && m_SettingsLoaded) ImportDockItems();
    TicksSince(start);
}

void CPondrelApp::LoadActionIcon() {
    if (!m_SettingsLoaded || !m_pSettings) return;
    std::wstring url = m_pSettings->GetText(L"/init/actions/icon");
    if (!url.empty()) LoadActionMarkerImage(url);
}

void CPondrelApp::ApplyHotKey() {
    m_HotKeyModifiers = settings_rules::HotKeyModifiers(m_HotKeyMode, m_HotKeyModifiers);
    m_HotKeyVirtualKey = settings_rules::HotKeyVirtualKey(m_HotKeyChar, m_HotKeyVirtualKey);
    if (ReRegisterHotKey(GetControllerWindow(), m_HotKeyModifiers, m_HotKeyVirtualKey) ==
        HotKeyResult::AlreadyInUse) {
        m_BalloonStartsUpdate = false;
        LogLine(kHotKeyInUseText);
        ShowTrayBalloon(kHotKeyInUseText, L"PondRel", m_hIconApp);
    }
}

void CPondrelApp::CopyPanelUrls(std::wstring* ecpUrl, std::wstring* adsUrl) const {
    const std::shared_ptr<const AppSnapshot> snapshot = Snapshot();
    if (ecpUrl) *ecpUrl = snapshot->ecpUrl;
    if (adsUrl) *adsUrl = snapshot->adsUrl;
}

void CPondrelApp::PublishSnapshot() {
    AppSnapshot s;
    s.initUrl = m_InitUrl;
    s.settingsUrl = m_SettingsUrl;
    s.previewUrl = m_PreviewUrl;
    s.logUrl = m_LogUrl;
    s.uploadUrl = m_UploadUrl;
    s.ecpUrl = m_EcpUrl;
    s.adsUrl = m_AdsUrl;
    s.imagesUrl = m_ImagesUrl;
    s.templatesUrl = m_TemplatesUrl;
    s.siteEnhancerUrl = m_SiteEnhancerUrl;
    s.messagesUrl = m_MessagesUrl;
    s.ignoresUrl = m_IgnoresUrl;
    s.updatesUrl = m_UpdatesUrl;
    s.defaultEcp = m_DefaultEcp;
    s.searchEcp = m_SearchEcp;
    s.userId = m_UserId;
    s.tid = m_Tid;
    s.version = m_Version;
    s.installDir = m_InstallDir;
    s.cacheDir = m_CacheDir;
    s.tempDir = m_TempDir;
    s.useIgnoreList = m_UseIgnoreList;
    s.enableBestGuess = m_EnableBestGuess;
    s.showLinkPreviews = m_ShowLinkPreviews;
    s.showDockBar = m_ShowDockBar;
    s.scriptErrorsSuppressed = m_ScriptErrorsSuppressed;
    s.logAuth = m_LogAuth;
    s.arrowCursor = m_Graphics.arrowCursor;
    s.handCursor = m_Graphics.handCursor;
    s.sizeNWSECursor = m_Graphics.sizeNWSECursor;
    s.sizeNESWCursor = m_Graphics.sizeNESWCursor;
    s.sizeWECursor = m_Graphics.sizeWECursor;
    s.sizeNSCursor = m_Graphics.sizeNSCursor;
    m_Snapshot.Publish(std::move(s));
}
