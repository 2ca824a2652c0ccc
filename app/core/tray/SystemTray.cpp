#include "app/core/tray/SystemTray.h"

#include <cstring>
#include <cwchar>

#include "fx/Fault.h"

namespace {

class ShellNotify : public TrayShell {
public:
    BOOL NotifyIcon(DWORD message, NOTIFYICONDATAW* data) override { return ::Shell_NotifyIconW(message, data); }
};

// Copies at most (size - 1) characters of text into a field of `size`
// characters and ends it there.
template <size_t N>
void CopyField(wchar_t (&field)[N], const wchar_t* text, size_t limit) {
    size_t count = text ? std::wcslen(text) : 0;
    if (count > limit) count = limit;
    if (count > N - 1) count = N - 1;
    if (count) std::wmemcpy(field, text, count);
    field[count] = L'\0';
}

OSVERSIONINFOW PlatformVersion() {
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!::GetVersionExW(&info)) info = OSVERSIONINFOW{};
#pragma GCC diagnostic pop
    return info;
}

bool PlatformHasBalloons() {
    OSVERSIONINFOW info = PlatformVersion();
    return info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion > 4;
}

}  // namespace

DWORD tray::WindowsMajorVersion() { return PlatformVersion().dwMajorVersion; }

TrayShell& RealTrayShell() {
    static ShellNotify shell;
    return shell;
}

CSystemTray::CSystemTray() : m_Shell(&RealTrayShell()), m_TaskbarCreated(::RegisterWindowMessageW(L"TaskbarCreated")) {
    Initialise();
}

CSystemTray::~CSystemTray() {
    if (m_Enabled && !m_Removed) RemoveIcon();
    if (hwnd() && OnOwnThread()) ::DestroyWindow(hwnd());
    // m_LoadedIcon goes after the icon has left the notification area.
}

void CSystemTray::Initialise() {
    {
        fx::ScopedLock hold(m_Lock);
        std::memset(&m_Data, 0, sizeof(m_Data));
        m_PendingTip.clear();
        m_TipPending = false;
    }
    m_Removed = true;
    m_Hidden = false;
    m_ShowPending = false;
    m_BalloonSupport = PlatformHasBalloons();
}

NOTIFYICONDATAW CSystemTray::Data() {
    fx::ScopedLock hold(m_Lock);
    return m_Data;
}

// The shell gets a copy of the data taken under the lock; the call itself is
// made without it.  Only the tray's own thread changes the icon handle, so the
// copy's icon is alive during the call.
bool CSystemTray::Notify(DWORD message) {
    NOTIFYICONDATAW copy;
    {
        fx::ScopedLock hold(m_Lock);
        copy = m_Data;
    }
    return m_Shell->NotifyIcon(message, &copy) != FALSE;
}

bool CSystemTray::Create(HWND owner, const wchar_t* tooltip, HICON icon) {
    if (!m_Enabled) return false;
    std::wstring cls = fx::RegisterWindowClass(0);
    if (!hwnd() && !CreateEx(0, cls.c_str(), L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr)) return false;
    {
        fx::ScopedLock hold(m_Lock);
        m_Data.cbSize = tray::kDataSize;
        m_Data.hWnd = owner ? owner : hwnd();
        m_Data.hIcon = icon;
        m_Data.uID = tray::kIconId;
        m_Data.uFlags = tray::kCreationFlags;
        m_Data.uCallbackMessage = tray::kCallbackMessage;
        CopyField(m_Data.szTip, tooltip, tray::kTooltipChars);
    }
    m_Hidden = false;
    m_CreationFlags = tray::kCreationFlags;
    bool added = Notify(NIM_ADD);
    m_Removed = m_Hidden = m_ShowPending = !added;
    return added;
}

bool CSystemTray::RemoveIcon() {
    m_ShowPending = false;
    if (!m_Enabled || m_Removed) return true;
    {
        fx::ScopedLock hold(m_Lock);
        m_Data.uFlags = 0;
    }
    if (Notify(NIM_DELETE)) m_Hidden = m_Removed = true;
    return m_Removed;
}

bool CSystemTray::HideIcon() {
    if (!m_Enabled || m_Removed || m_Hidden) return true;
    if (!m_BalloonSupport) return RemoveIcon();
    {
        fx::ScopedLock hold(m_Lock);
        m_Data.uFlags = NIF_STATE;
        m_Data.dwState = NIS_HIDDEN;
        m_Data.dwStateMask = NIS_HIDDEN;
    }
    m_Hidden = Notify(NIM_MODIFY);
    return m_Hidden;
}

bool CSystemTray::SetIcon(UINT id) {
    if (!m_Enabled) return false;
    if (hwnd() && !OnOwnThread()) return ::PostMessageW(hwnd(), tray_msg::kApplyIcon, id, 0) != FALSE;
    return ApplyIcon(id);
}

bool CSystemTray::ApplyIcon(UINT id) {
    HINSTANCE module = m_IconModule ? m_IconModule : ::GetModuleHandleW(nullptr);
    fx::UniqueIcon loaded(static_cast<HICON>(
        ::LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON, 0, 0, LR_DEFAULTCOLOR)));
    if (!loaded) return false;
    if (!m_Enabled) return false;
    {
        fx::ScopedLock hold(m_Lock);
        m_Data.uFlags = NIF_ICON;
        m_Data.hIcon = loaded.get();
    }
    bool result = m_Hidden ? true : Notify(NIM_MODIFY);
    // The shell holds its own copy; ours stays until the next icon replaces
    // it, for a re-add after the shell restarts.
    m_LoadedIcon = std::move(loaded);
    return result;
}

bool CSystemTray::SetTooltipText(const wchar_t* text) {
    if (!m_Enabled) return false;
    if (hwnd() && !OnOwnThread()) {
        {
            fx::ScopedLock hold(m_Lock);
            m_PendingTip = text ? text : L"";
            m_TipPending = true;
        }
        return ::PostMessageW(hwnd(), tray_msg::kApplyTooltip, 0, 0) != FALSE;
    }
    return ApplyTooltip(text ? text : L"");
}

bool CSystemTray::ApplyTooltip(const std::wstring& text) {
    {
        fx::ScopedLock hold(m_Lock);
        m_Data.uFlags = NIF_TIP;
        CopyField(m_Data.szTip, text.c_str(), tray::kTooltipChars);
    }
    if (m_Hidden) return true;
    return Notify(NIM_MODIFY);
}

bool CSystemTray::ShowBalloon(const wchar_t* text, const wchar_t* title, HICON icon) {
    if (!m_Enabled || !m_BalloonSupport) return false;
    {
        fx::ScopedLock hold(m_Lock);
        m_Data.uFlags = NIF_ICON | NIF_INFO;
        m_Data.hIcon = icon;
        CopyField(m_Data.szInfo, text, tray::kBalloonTextChars);
        CopyField(m_Data.szInfoTitle, title, tray::kBalloonTitleChars);
        m_Data.dwInfoFlags = NIIF_USER;
        m_Data.uTimeout = tray::kBalloonTimeoutMs;
    }
    bool shown = Notify(NIM_MODIFY);
    {
        // A later modification must not show the balloon again.
        fx::ScopedLock hold(m_Lock);
        m_Data.szInfo[0] = L'\0';
    }
    return shown;
}

bool CSystemTray::PostLookRequest(bool connecting) {
    return hwnd() && ::PostMessageW(hwnd(), tray_msg::kShowLook, connecting ? 1 : 0, 0) != FALSE;
}

LRESULT CSystemTray::AddAgain() {
    {
        fx::ScopedLock hold(m_Lock);
        m_Data.uFlags = m_CreationFlags;
    }
    // The result of the re-add is not needed: the icon counts as shown.
    Notify(NIM_ADD);
    m_Hidden = m_ShowPending = false;
    return 0;
}

LRESULT CSystemTray::OnTaskbarCreated() {
    m_ShowPending = true;
    if (m_Hidden) return 0;
    return AddAgain();
}

void CSystemTray::OnSettingChange(UINT flag) {
    if (flag != SPI_SETWORKAREA) return;
    m_ShowPending = !m_Hidden;
    if (m_Hidden) return;
    AddAgain();
}

LRESULT CSystemTray::OnTrayNotification(WPARAM wp, LPARAM lp) {
    if (!m_Host || m_Host->FlushingInput() || wp != tray::kIconId) return 0;
    HWND target = m_Host->CommandTarget();
    if (!target) return 0;
    switch (LOWORD(lp)) {
        case NIN_BALLOONUSERCLICK:
            if (m_Host->BalloonStartsUpdate()) m_Host->StartSetupDownload();
            break;
        case WM_LBUTTONUP:
            if (m_Host->IsReady()) ::PostMessageW(target, WM_COMMAND, frame_msg::kOpenSearchCommand, 0);
            break;
        case WM_RBUTTONUP: {
            POINT cursor = {};
            ::GetCursorPos(&cursor);
            m_Host->OpenTrayMenu(cursor);
            // Lets the menu's foreground handling complete.
            ::PostMessageW(target, WM_NULL, 0, 0);
            break;
        }
        case WM_LBUTTONDBLCLK:
            ::PostMessageW(target, WM_COMMAND, frame_msg::kTrayDoubleClickCommand, 0);
            break;
        default:
            break;
    }
    return 1;
}

LRESULT CSystemTray::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == tray::kCallbackMessage) return OnTrayNotification(wp, lp);
    if (m_TaskbarCreated && msg == m_TaskbarCreated) return OnTaskbarCreated();
    switch (msg) {
        case WM_SETTINGCHANGE: {
            LRESULT result = fx::Window::WindowProc(msg, wp, lp);
            OnSettingChange(static_cast<UINT>(wp));
            return result;
        }
        case tray_msg::kShowLook:
            if (m_Host) m_Host->ShowLook(wp != 0);
            return 0;
        case tray_msg::kApplyIcon:
            ApplyIcon(static_cast<UINT>(wp));
            return 0;
        case tray_msg::kApplyTooltip: {
            std::wstring text;
            {
                // Several requests may wait behind one text: the latest.
                fx::ScopedLock hold(m_Lock);
                if (!m_TipPending) return 0;
                text.swap(m_PendingTip);
                m_TipPending = false;
            }
            ApplyTooltip(text);
            return 0;
        }
        default:
            return fx::Window::WindowProc(msg, wp, lp);
    }
}
