#include "app/core/main/PondrelApp.h"

#include <commctrl.h>

#include <cstdio>
#include <cwchar>

#include "app/core/main/AppFrameHost.h"
#include "app/core/main/AppHttpHost.h"
#include "app/core/main/BackThread.h"
#include "app/core/main/BestGuessThread.h"
#include "app/core/main/DebugWin.h"
#include "app/core/main/DockOps.h"
#include "app/core/net/HttpRoutines.h"
#include "app/core/frame/MainFrame.h"
#include "app/core/frame/MainView.h"
#include "app/core/main/PondrelCmdParser.h"
#include "app/core/main/PondrelDoc.h"
#include "app/core/config/RegistryValues.h"
#include "app/core/config/SettingsRules.h"
#include "app/core/common/DialogFont.h"
#include "app/core/common/Resource.h"
#include "app/core/common/WindowClasses.h"
#include "app/core/common/SharedUtilities.h"
#include "log/Logger.h"
#include "log/PondrelLog.h"

// Static objects, in construction order (destroyed in reverse order); the
// global locks come before them all (app/core/common/GlobalLocks.cpp).
CPondrelApp theApp;
std::wstring g_InstallPathScratch;
const UINT g_TaskbarCreatedMsg = ::RegisterWindowMessageW(L"TaskbarCreated");

// The data section shared by every running instance of the program: the main
// window of the instance that owns the single-instance mutex.
// Window handles carry 32 significant bits, also in a 64-bit process (where
// they are sign-extended), so a LONG holds one.
__attribute__((section(".shared"), shared)) volatile LONG g_SharedMainWnd = 0;

HWND GetSharedMainWindow() {
    return reinterpret_cast<HWND>(static_cast<LONG_PTR>(::InterlockedCompareExchange(&g_SharedMainWnd, 0, 0)));
}

void SetSharedMainWindow(HWND hwnd) {
    ::InterlockedExchange(&g_SharedMainWnd, static_cast<LONG>(reinterpret_cast<LONG_PTR>(hwnd)));
}

namespace {
constexpr const wchar_t* kUploadServer = L"http://upload.pondrel.com";
constexpr const wchar_t* kPanelServer = L"http://ecp.pondrel.com";
constexpr DWORD kShutPollMs = 2000;
// How long "shut" waits for the running instance to go (its exit takes a few
// seconds at most).
constexpr DWORD kShutWaitMs = 30000;
constexpr DWORD kThreadQuitWaitMs = 2000;
constexpr const wchar_t* kDashes = L"-----------------------------------------------------------------";
static_assert(sizeof(L"-----------------------------------------------------------------") / sizeof(wchar_t) == 66,
              "65 dashes");

std::wstring LoadResourceString(HINSTANCE inst, UINT id) {
    wchar_t text[512] = L"";
    ::LoadStringW(inst, id, text, 512);
    return text;
}

// The directory of the running program, without the trailing "\".
std::wstring ProgramDirectory() {
    wchar_t path[MAX_PATH];
    DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return L".";
    std::wstring p(path, n);
    size_t slash = p.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : p.substr(0, slash);
}
}  // namespace

const wchar_t* GetMasterMutexName() { return L"PONDREL-943AA19C-B2D0-4894-842D-624490679A3C"; }

bool IsAlreadyRunning(fx::UniqueHandle* keep) { return IsNamedMutexTaken(GetMasterMutexName(), keep); }

bool IsNamedMutexTaken(const wchar_t* name, fx::UniqueHandle* keep) {
    fx::UniqueHandle mutex(::CreateMutexW(nullptr, TRUE, name));
    const DWORD error = ::GetLastError();
    if (!mutex) {
        // The name is held by an object of another kind, or by one we may not
        // open: whoever holds it, this start must not become a second full
        // instance (and "shut" keeps waiting).
        wchar_t line[128];
        _snwprintf(line, 127, L"Single-instance mutex not created (error %lu): counted as running",
                   static_cast<unsigned long>(error));
        line[127] = L'\0';
        LogLine(line);
        return true;
    }
    bool running = error == ERROR_ALREADY_EXISTS;
    if (!running && keep) *keep = std::move(mutex);
    return running;
}

bool RegisterRawInput() {
    HWND target = GetSharedMainWindow();
    RAWINPUTDEVICE devices[2] = {};
    devices[0].usUsagePage = 1;
    devices[0].usUsage = 2;  // mouse
    devices[0].dwFlags = RIDEV_INPUTSINK;
    devices[0].hwndTarget = target;
    devices[1].usUsagePage = 1;
    devices[1].usUsage = 6;  // keyboard
    devices[1].dwFlags = RIDEV_INPUTSINK;
    devices[1].hwndTarget = target;
    return ::RegisterRawInputDevices(devices, 2, sizeof(RAWINPUTDEVICE)) != FALSE;
}

bool IsLeftButtonDown() { return (::GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0; }

const wchar_t* const kPondrelWindowClasses[6] = {window_class::kPondMenu, window_class::kSearchMatrix,
                                                 window_class::kHoverWin, window_class::kBackWin,
                                                 window_class::kPondrelKid, window_class::kTailWin};

void RegisterPondrelWindowClasses(HINSTANCE instance) {
    for (const wchar_t* name : kPondrelWindowClasses) {
        WNDCLASSW wc{};
        wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = instance;
        wc.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME));
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = name;
        ::RegisterClassW(&wc);
    }
}

CPondrelApp::CPondrelApp() : m_ConnCheckTick(::GetTickCount()) {
    // The program's pages take the hidden dialog's font; the main frame
    // reads this object through its host.
    SetFontDialog(&m_HiddenDialog);
    SetFrameHost(AppFrameHost());
}

CPondrelApp::~CPondrelApp() {
    SetFrameHost(nullptr);
    SetFontDialog(nullptr);
}

void CPondrelApp::SetDefaultUrls() {
    m_PreviewUrl = settings_rules::ProductionServerUrl() + L"/";
    m_UploadUrl = std::wstring(kUploadServer) + L"/upload/lc.asp";
    m_InitUrl = settings_rules::ProductionServerUrl() + L"/init2.asp";
    m_EcpUrl = std::wstring(kPanelServer) + L"/?type=ecp&ecpguid=";
}

void CPondrelApp::ReadInstallValues() {
    // A missing or empty "init" keeps the default init URL.
    if (ReadInstallValue(L"init", g_InstallPathScratch) && !g_InstallPathScratch.empty())
        m_InitUrl = g_InstallPathScratch;
    // A missing or empty "path": the program's own directory.
    if (!ReadInstallValue(L"path", g_InstallPathScratch) || g_InstallPathScratch.empty())
        g_InstallPathScratch = ProgramDirectory();
    m_InstallDir = g_InstallPathScratch;
    if (m_InstallDir.back() != L'\\' && m_InstallDir.back() != L'/') m_InstallDir += L"\\";
    g_InstallPathScratch.clear();
    ::SetCurrentDirectoryW(m_InstallDir.c_str());
    LogLine(m_InstallDir.c_str());
}

bool CPondrelApp::CreateMasterMutex() {
    LogLine(L"Create MasterMutex");
    // The first single-instance test already made and owns it: keep that one,
    // so no second start can slip in between the test and this step.
    if (m_FirstMutex)
        m_hMasterMutex = std::move(m_FirstMutex);
    else
        m_hMasterMutex.reset(::CreateMutexW(nullptr, TRUE, GetMasterMutexName()));
    return static_cast<bool>(m_hMasterMutex);
}

void CPondrelApp::ReadStartFlag() {
    std::wstring text;
    ReadRegistryValue(L"Start", text);
    m_StartAllowed = StartFlagAllows(text);
}

void CPondrelApp::ReadSplashFlag() {
    std::wstring text;
    ReadRegistryValue(L"Splash", text);
    m_ShowSplash = SplashFlagSet(text);
}

void CPondrelApp::EnsureUserIds() {
    ReadRegistryValue(L"UserID", m_UserId);
    if (m_UserId.empty()) {
        m_UserId = NewGuidString();
        if (!m_UserId.empty()) WriteRegistryValue(m_UserId.c_str(), L"UserID");
    }
    ReadRegistryValue(L"TID", m_Tid);
    if (m_Tid.empty()) {
        m_Tid = NewGuidString();
        if (!m_Tid.empty()) WriteRegistryValue(m_Tid.c_str(), L"TID");
    }
}

void CPondrelApp::PrepareUserIds() {
    EnsureUserIds();
    // Directories, ids and the default URLs are known: threads started from
    // here on read them from the snapshot.
    PublishSnapshot();
}

void CPondrelApp::CheckNewInstall() {
    std::wstring text;
    ReadRegistryValue(L"NewInstall", text);
    if (!IsFirstRunMark(text)) return;
    WriteRegistryValue(L"No", L"NewInstall");
    m_BalloonStartsUpdate = false;
    ShowFirstRunBalloon();
}

void CPondrelApp::TellRunningInstanceToQuit() {
    DWORD start = ::GetTickCount();
    ::PostMessageW(GetSharedMainWindow(), WM_QUIT, 0, 0);
    // An instance that does not go (or whatever else holds the mutex) is
    // not waited for beyond the bound.
    bool gone = !IsAlreadyRunning();
    while (!gone && ::GetTickCount() - start < kShutWaitMs) {
        ::Sleep(kShutPollMs);
        gone = !IsAlreadyRunning();
    }
    if (!gone) {
        wchar_t line[128];
        _snwprintf(line, 127, L"Shut: the running instance did not end within %lu ms; giving up",
                   static_cast<unsigned long>(kShutWaitMs));
        line[127] = L'\0';
        LogLine(line);
    }
    wchar_t ticks[64];
    _snwprintf(ticks, 63, L"Quit ticks: %lu", static_cast<unsigned long>(::GetTickCount() - start));
    ticks[63] = L'\0';
    LogLine(kDashes);
    LogLine(ticks);
    LogLine(kDashes);
}

bool CPondrelApp::InitInstance() {
    // Start tick and the program's own version.
    m_StartTick = ::GetTickCount();
    m_VersionInfo.Create();
    int versionPart = LOWORD(m_VersionInfo.GetProductVersionLS());
    m_Version = std::to_wstring(versionPart);
    // The main frame stays hidden.
    m_nCmdShow = SW_HIDE;
    // Default server URLs.
    SetDefaultUrls();
    // The server routines read this object's flags, log URL and tray look.
    SetHttpHost(AppHttpHost());
    // The debug log and the version line.
    g_pLogger = Logger::Open();
    LogVersionNumber(versionPart);
    // The installer's values; the install directory becomes current.
    ReadInstallValues();
    // OLE.
    if (!OleInit()) {
        std::wstring text = LoadResourceString(m_hInstance, IDP_OLE_INIT_FAILED);
        ::MessageBoxW(nullptr, text.c_str(), L"PondRel", MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    // Our OLE start installs no message filter, so neither the busy nor the
    //    not-responding dialog can show.
    // COM and GDI+.
    LogLine(L"CoInit");
    m_Com.Start(COINIT_APARTMENTTHREADED);
    LogLine(L"GdiplusStartup");
    m_Gdiplus.Startup();
    // Single-instance test (a new mutex stays owned until this is known to be the instance).
    bool running = IsAlreadyRunning(&m_FirstMutex);
    // Icons.
    m_hIconApp = ::LoadIconW(m_hInstance, MAKEINTRESOURCEW(IDI_APP));
    m_hIconBalloon = ::LoadIconW(m_hInstance, MAKEINTRESOURCEW(IDI_BALLOON));
    // Window classes.
    RegisterPondrelWindowClasses(m_hInstance);
    // Command line.
    PondrelCmdParser cmdInfo;
    LogLine(L"ParseCommandLine");
    ParseCommandLine(cmdInfo);
    // Class objects: the program serves none, so there is nothing to register
    // (the log line stays, a step of the start).
    LogLine(L"RegisterClassObjects");
    // Start at login allowed?
    if (!m_StartAllowed) {
        LogLine(L"No Start on boot flag = true ending....");
        return false;
    }
    // Another instance runs: end, or ask it to quit and wait for it.
    if (running) {
        LogLine(L"Already Running Kill");
        if (!GetSharedMainWindow()) {
            LogLine(L"hOther = null!");
            return false;
        }
        if (!m_QuitOther) return false;
        TellRunningInstanceToQuit();
        return false;
    }
    // "shut" with nothing to shut down.
    if (m_QuitOther) return false;
    // This is the instance.
    CreateMasterMutex();
    // Common controls and the framework.
    LogLine(L"InitCommonControls");
    ::InitCommonControls();
    LogLine(L"InitInstance");
    fx::App::InitInstance();
    LogLine(L"AfxEnableControlContainer");
    // The document template.
    LogLine(L"CSingleDocTemplate");
    AddDocTemplate(fx::SingleDocTemplate::Of<CPondrelDoc, CMainFrame, MainView>(IDR_MAINFRAME));
    // The tray icon.
    if (!CreateTrayIcon()) return false;
    // The cache directory.
    m_CacheDir = m_InstallDir + L"Cache";
    EnsureDirectory(m_CacheDir);
    m_CacheDir += L"\\";
    // The temporary directory.
    wchar_t temp[512];
    DWORD tempLength = ::GetTempPathW(512, temp);
    if (tempLength == 0 || tempLength > 512) {
        std::printf("GetTempPath failed (%lu)\n", static_cast<unsigned long>(::GetLastError()));
        LogLine(L"Failed to find Temp Directory");
        LogLine(m_TempDir.c_str());
        return false;
    }
    m_TempDir.assign(temp, tempLength);
    LogLine(L"Temp Directory");
    LogLine(m_TempDir.c_str());
    // The debug window.
    if (FileExists(m_InstallDir + L"debug.txt")) CreateDebugWindow();
    // User ids.
    LogLine(L"RegisterDLLs");
    PrepareUserIds();
    // Texts and graphics.
    LoadStringResources();
    LogLine(L"LoadGraphics");
    LoadGraphics();
    // Splash window and flag.
    CreateSplashWindow();
    ReadSplashFlag();
    // The hidden dialog.
    CreateHiddenDialog();
    // Connection state.
    m_Online = true;
    UpdateConnectionState();
    // Settings.
    LogLine(L"DownloadSettings");
    DownloadSettings();
    UpdateTrayIcon();
    if (!m_SettingsLoaded) {
        if (!m_HaveInitDispatch) LogLine(L"-------------------------->ERROR: m_HaveInitDispatch is false");
        LogLine(L"-------------------------->Faild to load settings!");
    }
    // Document, hidden main frame and view.
    if (!ProcessShellCommand(cmdInfo) || !m_pMainWnd || !m_pDoc) return false;
    // Share the main window; raw input; centre it (it stays hidden).
    SetSharedMainWindow(m_pMainWnd->hwnd());
    RegisterRawInput();
    fx::CenterOnScreen(m_pMainWnd->hwnd());
    ::UpdateWindow(m_pMainWnd->hwnd());
    // Document steps.
    m_pDoc->CreateMasterView();
    m_pDoc->CreateProvidersPane();
    m_pDoc->CreateController();
    // Dock thread.
    StartDockThread();
    // Second settings download and everything made from it.
    ReloadSettings();
    // Worker threads.
    StartBackThread();
    m_BestGuessStarted = StartBestGuessThread();
    // What waits for a finished start: the update check, mini browse, the tray's
    // look, the splash, pending messages, statistics, panel usage and the
    // new-install check.
    CheckForNewVersion();
    OpenMiniBrowser();
    UpdateTrayIcon();
    if (m_ShowSplash) ShowSplashWindow();
    FlushPendingMessages();
    ResetStatistics();
    ResetPanelUsageCounts();
    CheckNewInstall();
    // Started.
    m_Starting = false;
    return true;
}

std::wstring CPondrelApp::GetVersionTitle() const { return L"PondRel Version 1.0" + m_Version + L")"; }

int CPondrelApp::Run() { return fx::App::Run(); }

bool CPondrelApp::OnIdle(LONG count) { return fx::App::OnIdle(count); }

void CPondrelApp::EndWorkerThreads() {
    // The download's request is closed from here, which ends a read waiting
    // on the server; both threads are asked to quit, then each is waited for
    // within the bound.  A thread still stuck (in WinINet, or in the
    // best-guess component) is left to the process's end, not terminated:
    // stopped there it could keep the loader's or the heap's lock for the
    // rest of the exit.
    if (m_pBackThread) m_pBackThread->CancelDownload();
    if (m_pBestGuessThread) m_pBestGuessThread->RequestQuit();
    if (m_pBackThread) m_pBackThread->RequestQuit();
    fx::EndOrLeave(m_pBestGuessThread, kThreadQuitWaitMs);
    fx::EndOrLeave(m_pBackThread, kThreadQuitWaitMs);
    m_hBestGuessWnd = nullptr;
    m_hBackThreadWnd = nullptr;
}

int CPondrelApp::ExitInstance() {
    // Enhancers and the site enhancer.
    if (m_pDoc) UnloadEnhancers();
    // The kept browser process.
    m_hBrowserProcess.reset();
    // Worker threads.
    EndWorkerThreads();
    // Tray icon.
    if (m_pMainWnd) HideTrayIcon();
    // Running panels (the list's lock is taken inside only to copy it: a
    //     closing panel takes it to leave the list).
    if (m_pDoc) CloseAllPanels();
    // Dock thread.  One that had to be terminated may have died holding
    //     g_DockLock, which the bar's end takes: that dock is left to the
    //     process's end.
    if (m_pDockThread && !m_pDockThread->Quit(kThreadQuitWaitMs)) (void)m_pDock.release();
    m_pDockThread = nullptr;
    m_hDockWindow = nullptr;
    m_pDock.reset();
    // Settings reader.
    if (m_pSettings) DeleteSettingsReader();
    // Shared graphics, and the windows that may draw with GDI+, go before
    //    GDI+ itself.
    m_Splash.Close();
    m_Overlay.Close();
    m_pDebugWin.reset();
    FreeGraphics();
    DestroyHiddenDialog();
    CloseDocumentTemplate();
    // GDI+ and COM.
    m_Gdiplus.Shutdown();
    m_Com.Stop();
    // From here a new instance can start; a later one must not find our
    //     main window in the shared section.
    if (m_hMasterMutex) SetSharedMainWindow(nullptr);
    m_hMasterMutex.reset();
    m_FirstMutex.reset();  // a start that ended before it knew itself the instance made it
    // The framework's end.
    return fx::App::ExitInstance();
}
