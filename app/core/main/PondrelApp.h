// CPondrelApp: the main program's one application object and common store:
// settings values and URLs, directories, user ids, state flags, the long-lived
// windows and the worker threads.  Other threads read the values of
// AppSnapshot through Snapshot() and the run-state flags (atomic) directly;
// the other members shared between threads are guarded by the global locks of
// GlobalLocks.h.  Every other member belongs to the user-interface thread.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <atomic>
#include <list>
#include <memory>
#include <string>

#include "app/core/common/AppSnapshot.h"
#include "app/core/common/BestGuessShared.h"
#include "app/core/common/CommonRules.h"
#include "app/core/common/DockShared.h"
#include "app/core/common/GlobalLocks.h"
#include "app/core/enhancers/BrowserWindows.h"
#include "app/core/graphics/Monitors.h"
#include "app/core/graphics/SharedGraphics.h"
#include "app/core/main/FileVersionInfo.h"
#include "app/core/main/UpdateRules.h"
#include "app/core/main/UsageStats.h"
#include "app/core/tray/SystemTray.h"
#include "app/core/tray/TrayRules.h"
#include "app/selection/skin/DeskTopOverLayWin.h"
#include "app/selection/skin/SplashWnd.h"
#include "fx/App.h"
#include "fx/ComApartment.h"
#include "fx/Dialog.h"
#include "fx/GdiPlus.h"
#include "fx/Handle.h"
#include "fx/Locked.h"
#include "fx/Published.h"
#include "fx/UiThread.h"

class BackThread;
class BestGuessThread;
class CPondrelDoc;
class DockOps;
class DebugWin;
class Settings;
class XmlConfig;
class WatcherNode;
struct ISiteEnhancer;

// Name of the single-instance mutex.
const wchar_t* GetMasterMutexName();
// Whether another instance holds the single-instance mutex.  Creates it with
// initial ownership; when it was new and `keep` is given, the owned handle is
// handed to *keep instead of being closed.
// A mutex that cannot be created at all counts as running (logged).
bool IsAlreadyRunning(fx::UniqueHandle* keep = nullptr);
// The same test on a mutex of the given name.
bool IsNamedMutexTaken(const wchar_t* name, fx::UniqueHandle* keep = nullptr);
// Registers raw mouse and keyboard input for the shared main window.
bool RegisterRawInput();
// True while the left mouse button is down (asynchronous state).
bool IsLeftButtonDown();

// The main window of the running instance, kept in the data section that all
// running instances share (0 until the main frame exists).
HWND GetSharedMainWindow();
void SetSharedMainWindow(HWND hwnd);

// The six window classes, in registration order.
extern const wchar_t* const kPondrelWindowClasses[6];
void RegisterPondrelWindowClasses(HINSTANCE instance);

class CPondrelApp : public fx::App {
public:
    CPondrelApp();
    ~CPondrelApp() override;

    bool InitInstance() override;
    int Run() override;
    bool OnIdle(LONG count) override;
    int ExitInstance() override;

    // Start-up pieces of this object.
    bool CreateMasterMutex();
    void ReadStartFlag();
    void ReadSplashFlag();
    void EnsureUserIds();
    void PrepareUserIds();
    void CheckNewInstall();
    void CreateSplashWindow();
    void ShowSplashWindow();
    // The hidden dialog (template 131, never shown), its dialog keys taken
    // through this thread's pre-translate; and its end.
    void CreateHiddenDialog();
    void DestroyHiddenDialog();
    void StartDockThread();
    void OpenUrlInBrowser(const std::wstring& url);
    // "PondRel Version 1.0" + m_Version + ")".
    std::wstring GetVersionTitle() const;

    // Start-up and shutdown steps filled in by their own pieces
    // (PondrelAppSteps.cpp).
    bool CreateTrayIcon();
    // The debug window (DebugWin.cpp).
    void CreateDebugWindow();
    void LoadStringResources();
    // The text of a string id of m_Texts (empty for another id).
    const std::wstring& Text(unsigned id) const;
    // Makes the shared graphics; true.
    bool LoadGraphics();
    void FreeGraphics();
    // The tray and the connection state (AppTray.cpp).
    // Tests the default route; notify: a lost route shows the balloon once
    // per offline period.  A route back resends the best-guess settings or
    // reloads the settings (not while a reload runs).
    void UpdateConnectionState(bool notify = false);
    // The heartbeat's route test, every m_ConnCheckInterval.
    void PollConnection();
    // Not disabled, settings loaded, online, not starting.
    bool IsReady() const;
    // The tray looks; from another thread they are shown on the tray's thread.
    void UpdateTrayIcon();
    void ShowEnabledTrayState();
    void ShowDisabledTrayState();
    void ShowConnectingState();
    // Updates and server messages (AppUpdates.cpp).
    // The setup download: posts 11401 to the download thread (its balloon
    // first when asked); skipped (logged) when there is no download thread.
    void StartSetupDownload(bool withBalloon);
    // The download thread, its 11146 going to the controller window; waits
    // at most m_BackThreadStartWaitMs for its window.  False (logged) when it
    // could not be started: the program goes on without it.
    bool StartBackThread();
    bool StartBackThread(HWND controller);
    // The best-guess thread (AppBestGuess.cpp); true when it runs with its window.
    bool StartBestGuessThread();
    // Asks the server (the init URL) for the current version; another version
    // than ours gives the update state 4 and the new-version balloon.
    void CheckForNewVersion();
    // The update state 4 and the new-version balloon.
    void ReportNewVersion();
    // 11146: starts the downloaded setup program with "/S".
    void RunSetup();
    // 11149: the download thread's setup download failed; the update state
    // goes back to 0 once no other download is on its way.
    void OnSetupDownloadFailed();
    // The heartbeat's server messages: polls the messages file when due and
    // acts on each message.
    void ProcessServerMessages();
    void ActOnServerMessage(const update_rules::ServerMessage& message);
    // The MiniBrowse panel at the end of start-up: created hidden, it loads
    // its page and closes (AppCommands.cpp).
    void OpenMiniBrowser();
    void FlushPendingMessages();
    void ResetStatistics();
    void ResetPanelUsageCounts();
    void ShowFirstRunBalloon();
    void UnloadEnhancers();
    void CloseAllPanels();
    // The exit's end of the download and best-guess threads: the download's
    // request closed, both asked to quit and waited for a bounded time; a
    // thread still running is left to the process's end (fx::EndOrLeave).
    void EndWorkerThreads();
    void HideTrayIcon();
    void DeleteSettingsReader();
    // The tray icon's notification handler, for the callbacks the main frame
    // forwards.
    LRESULT OnTrayNotification(WPARAM wp, LPARAM lp);
    // The shared GDI font of the graphics (the stock GUI font before it is made).
    HFONT GetSharedGdiFont() const;

    // Application commands (AppCommands.cpp).  A code of the application
    // menu, compared with each command ignoring case (every match runs):
    // "Set", "Help", "NF", "RB", "AB", "RN", "SD", "DM".  anchor: where the
    // help, feedback and about panels open.
    void OnAppMenuCommand(const std::wstring& code, const RECT& anchor);
    // The controller's command messages.
    void OnOpenDefaultPanel();   // 11114: the search panel
    void OnOpenSettingsPanel();  // 11118
    void OnToggleEnhancers();    // 11119
    void OnToggleClickOuts();    // 11120
    void OnOpenPromoPanel();     // 11121
    void OnOpenMobilePanel();    // 11130
    void OnOpenMiniBrowser();    // 11132
    void OnReloadSettings();     // 11134
    void OnHideMenus();          // 11136
    // The framework's about command: the modal about box on template 100.
    void OnAppAbout();
    // How the commands open a file with a program (tests replace it).
    HINSTANCE(WINAPI* m_ShellExecute)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT) = ::ShellExecuteW;

    // Settings download and reload (SettingsDownload.cpp); true when the
    // settings are loaded.
    bool DownloadSettings();
    // Never nested: a request while one runs runs once after it.
    bool ReloadSettings();
    // The values of the loaded settings document into this object, and the
    // panel records into the view (SettingsValues.cpp).
    void LoadSettingsValues(Settings& view);
    void LoadActionIcon();
    // The action marker image from url into the shared graphics
    // (AppGraphics.cpp).
    void LoadActionMarkerImage(const std::wstring& url);
    void ApplyHotKey();
    // The panel content and advert URLs for a panel thread, from one snapshot.
    void CopyPanelUrls(std::wstring* ecpUrl, std::wstring* adsUrl) const;
    // The values other threads read, as last published (never null; any
    // thread).
    std::shared_ptr<const AppSnapshot> Snapshot() const { return m_Snapshot.Get(); }
    // Publishes the members' current values as the snapshot (user-interface
    // thread, after it changed any of them).
    void PublishSnapshot();

    // Steps of the settings reload that belong to other pieces of the program
    // (PondrelAppSteps.cpp).
    HWND GetControllerWindow() const;
    void ShowTrayBalloon(const wchar_t* text, const wchar_t* title, HICON icon);
    void RequestTrayMenuRebuild();
    void ImportDockItems();
    void PostToDockWindow(UINT message);
    // The dock bar's window (null before the dock thread made it and after
    // its end): panels post dock_msg ids there (AppMessages.h).  Any thread:
    // it reads only m_hDockWindow.
    HWND DockWindow() const;
    // The contents files (".pqd", AppDock.cpp): the dialogs of 11113 and
    // 11112, and the file written and read under g_DockLock.  False when the
    // file cannot be made or opened (the dock is left as it is).
    void OnSaveContents();
    void OnLoadEcpList();
    bool WriteContentsFile(const std::wstring& path);
    bool LoadContentsFile(const std::wstring& path);
    // The file dialog of the contents commands (tests replace it): true and
    // the path when the user chose one.
    bool (*m_AskContentsPath)(bool save, std::wstring* path) = nullptr;
    void PostToAllPanels(UINT message);
    // The best-guess settings to the thread (AppBestGuess.cpp).
    void RefreshBestGuessSettings();
    void RebuildMenus();
    bool LoadEnhancers();
    bool InitSiteEnhancer(BSTR* settingsText);
    // The controller's enhancer list (m_Enhancers).
    std::list<std::unique_ptr<WatcherNode>>& GetEnhancerList();

    // The browser window list (BrowserWindows.cpp).  With collect set the
    // windows of browserClass are gathered (EnumBrowserWindows, which clears
    // the list first) or the first window of a process not gathered is found
    // (FindBrowserWindow); with collect clear the last window of
    // m_BrowserProcessId is found.  Finding sets m_hBrowserWnd.
    void EnumBrowserWindows(const std::wstring& browserClass, bool collect);
    void FindBrowserWindow(const std::wstring& browserClass, bool collect);
    void ClearBrowserWindows();

    // Members, in the order of the program's store.
    fx::UiThread* m_pDockThread = nullptr;  // the dock's thread (CDockThread)
    fx::UniqueHandle m_hMasterMutex;
    HWND m_hBrowserWnd = nullptr;
    fx::UniqueHandle m_hBrowserProcess;
    DWORD m_BrowserProcessId = 0;
    std::wstring m_BrowserWindowClass;
    fx::Locked<std::wstring> m_NavigateUrl;  // from a panel's thread for 11144
    int m_UpdateState = 0;
    int m_SetupDownloadsPending = 0;  // 11401 posted, its 11146 or 11149 not yet come
    bool m_NonProductionServer = false;
    bool m_DownloadTried = false;
    DWORD m_StartTick = ::GetTickCount();  // the usage statistics' last collection (or reset)
    HWND m_hBestGuessWnd = nullptr;
    DWORD m_LogInterval = 0;
    DWORD m_MessagesInterval = 0;
    DWORD m_LastMessagesTick = 0;
    IDispatch* m_pSiteEnhancerDispatch = nullptr;
    ISiteEnhancer* m_pSiteEnhancer = nullptr;
    // m_SearchMatrixWin (the embedded search-matrix window) comes here.
    DeskTopOverLayWin m_Overlay;  // the desktop overlay; nothing creates its window
    std::wstring m_SearchQuery;  // g_SearchTextLock
    std::wstring m_PreviewUrl;
    std::wstring m_LogUrl;
    std::wstring m_UploadUrl;
    std::wstring m_InitUrl;
    std::wstring m_SettingsUrl;
    std::wstring m_EcpUrl;
    std::wstring m_BestGuessUrl;  // g_BestGuessLock
    std::wstring m_DefaultEcp;
    std::wstring m_SearchEcp;
    std::wstring m_ImagesUrl;
    std::wstring m_AdsUrl;
    std::wstring m_TemplatesUrl;
    std::wstring m_SiteEnhancerUrl;
    std::wstring m_MessagesUrl;
    std::wstring m_IgnoresUrl;
    CSystemTray m_Tray;  // the notification-area icon
    // The default-route test of the connection state (tests replace it).
    bool (*m_RouteTest)() = nullptr;
    LONG_PTR m_ContextPanelKey = 0;  // the panel whose context menu is open (its window)
    std::wstring m_Texts[kTextCount];
    std::wstring m_UpdatesUrl;
    std::atomic<bool> m_Starting{true};
    bool m_ShowSplash = false;
    bool m_StartAllowed = true;
    SplashWnd m_Splash;  // created hidden at start-up, shown when m_ShowSplash
    std::wstring m_UserId;
    std::wstring m_Tid;
    bool m_TrayReady = false;
    DWORD m_ConnCheckTick = 0;
    DWORD m_ConnCheckInterval = 3000;
    DWORD m_SettingsRetryTick = 0;
    DWORD m_SettingsRetryInterval = 60000;
    std::wstring m_Version;
    CFileVersionInfo m_VersionInfo;
    CMonitors m_Monitors;
    int m_EnhancerCount = 0;
    bool m_EnhancersOff = false;
    bool m_ClickOutsOff = false;
    bool m_DebugMode = false;
    std::atomic<bool> m_SettingsLoaded{false};
    UsageStats m_Stats;  // the usage statistics (ResetStatistics, CollectUsageStats)
    std::atomic<bool> m_Disabled{false};
    SharedGraphics m_Graphics;
    HICON m_hIconApp = nullptr;
    HICON m_hIconBalloon = nullptr;
    bool m_BalloonStartsUpdate = false;
    std::wstring m_InstallDir;
    std::wstring m_CacheDir;
    std::wstring m_TempDir;
    bool m_QuitOther = false;
    std::unique_ptr<DebugWin> m_pDebugWin;  // when "debug.txt" exists; closed by ExitInstance
    std::wstring m_HotKeyMode;
    std::wstring m_HotKeyChar;
    int m_HotKeyModifiers = 0;
    int m_HotKeyVirtualKey = 0;
    bool m_LogAuth = true;
    XmlConfig* m_pSettings = nullptr;
    std::atomic<bool> m_Online{false};
    bool m_WasOnline = false;
    bool m_OfflineNoticeShown = false;
    bool m_ShowContextMenu = false;
    bool m_EnableBestGuess = false;
    bool m_HaveBestGuesses = false;
    bool m_UseIgnoreList = false;
    std::wstring m_DefaultBestGuessEcp;
    std::wstring m_BestGuessEcpShared;  // g_BestGuessLock
    bool m_ShowDockBar = true;
    bool m_ScriptErrorsSuppressed = false;
    bool m_ShowLinkPreviews = false;
    std::wstring m_Key;
    std::wstring m_KeyShared;  // g_BestGuessLock
    std::wstring m_MenuClassName;
    bool m_BestGuessStarted = false;
    bool m_HaveInitDispatch = false;
    BrowserWindowList m_BrowserWindows;  // browser processes seen before a launch
    fx::ThreadOwner<BestGuessThread> m_pBestGuessThread;  // the best-guess worker (AppBestGuess.cpp)
    fx::ThreadOwner<BackThread> m_pBackThread;  // the download worker
    HWND m_hBackThreadWnd = nullptr;             // its window, the target of 11401
    DWORD m_BackThreadStartWaitMs = 5000;        // how long the start waits for that window
    // Makes the download worker (tests replace it; null: a BackThread).
    std::unique_ptr<BackThread> (*m_MakeBackThread)() = nullptr;
    // Setup programs the download thread saved whose 11146 has not been taken
    // yet: the thread adds one before it posts 11146, and RunSetup acts on an
    // 11146 only when it can take one (any thread).
    std::atomic<int> m_SetupsSaved{0};
    // The program whose signer the setup program must have; empty: this
    // program's own file (tests name a signed stand-in).
    std::wstring m_OwnSignerFile;
    int m_BestGuessRequestId = 0;
    int m_BestGuessCount = 0;
    std::wstring m_BestGuessTitle;
    // The best-guess worker's latest query and held answer (g_BestGuessLock).
    text_menu::BestGuessShared m_BestGuessShared;
    // The settings' dock items and an imported item's click (the dock thread's
    // and the user-interface thread's).
    fx::Locked<DockImportState> m_DockImportState;
    std::unique_ptr<DockOps> m_pDock;  // the dock thread and bar (m_pDockThread is its thread)
    // The bar's window as the dock thread published it (any thread).
    std::atomic<HWND> m_hDockWindow{nullptr};
    // The user-interface thread: the one that made this object.
    const DWORD m_UiThreadId = ::GetCurrentThreadId();
    CPondrelDoc* m_pDoc = nullptr;
    fx::Dialog m_HiddenDialog;

    // GDI+ for the program's life; shut down by ExitInstance.
    fx::GdiplusSession m_Gdiplus;

private:
    tray::StateFlags TrayFlags() const;
    void ShowTrayLook(const tray::Look& look);
    void ReloadSettingsOnce();
    bool m_ReloadRunning = false;  // a settings reload is in progress
    bool m_ReloadAgain = false;    // another was asked for meanwhile
    fx::UniqueHandle m_FirstMutex;  // owned by the first single-instance test when it made the mutex
    fx::ComApartment m_Com;  // this thread's COM start, from InitInstance to ExitInstance
    fx::Published<AppSnapshot> m_Snapshot;  // what other threads read (PublishSnapshot)
    std::unique_ptr<fx::DialogMessageFilter> m_pHiddenDialogKeys;  // while the hidden dialog exists
    void SetDefaultUrls();
    void ReadInstallValues();
    void TellRunningInstanceToQuit();
};

extern CPondrelApp theApp;

// The message id registered for "TaskbarCreated".
extern const UINT g_TaskbarCreatedMsg;
