// CSystemTray: the program's icon in the notification area.  A hidden pop-up
// window of its own receives the icon's callback message; the object adds the
// icon, changes its image and tooltip, shows balloons, hides and removes it,
// adds it again when the shell restarts or the work area changes, and turns
// the icon's mouse notifications into the program's actions (TrayHost).
//
// Threads: the window and the notification data belong to the thread that
// created the tray.  SetIcon and SetTooltipText may be called from any thread
// (server requests show the connecting look from their own threads): off the
// tray's thread they leave the request under the tray's one lock and post a
// small message to the tray window, whose thread applies it.  The shell is
// never called while that lock is held.
//
// Icons: an icon the tray loads (SetIcon) stays alive until the next SetIcon
// or the tray's end, so the data re-added after "TaskbarCreated" never names
// a destroyed icon.  Icons handed in (Create, ShowBalloon) belong to the
// caller and must outlive their use.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstddef>
#include <string>

#include "app/core/common/AppMessages.h"
#include "fx/Handle.h"
#include "fx/Lock.h"
#include "fx/Window.h"

// The one call into the shell; tests record it instead.
class TrayShell {
public:
    virtual ~TrayShell() = default;
    virtual BOOL NotifyIcon(DWORD message, NOTIFYICONDATAW* data) = 0;
};
// Shell_NotifyIconW.
TrayShell& RealTrayShell();

// What the icon's notifications ask of the program.
class TrayHost {
public:
    virtual ~TrayHost() = default;
    // True while queued input is being dropped (clicks then are ignored).
    virtual bool FlushingInput() = 0;
    // Not disabled, settings loaded, online and not starting.
    virtual bool IsReady() = 0;
    // The balloon shown is an update balloon: a click on it starts the setup
    // download (with its balloon).
    virtual bool BalloonStartsUpdate() = 0;
    virtual void StartSetupDownload() = 0;
    // Opens the tray menu with its bottom edge 2 pixels above the cursor.
    virtual void OpenTrayMenu(POINT cursor) = 0;
    // The window the icon's commands go to (the main window); null when none.
    virtual HWND CommandTarget() = 0;
    // A look requested from another thread (PostLookRequest), now on the
    // tray's thread: the connecting look, or the one for the current state.
    virtual void ShowLook(bool connecting) = 0;
};

namespace tray {
constexpr UINT kIconId = 144;
constexpr UINT kCallbackMessage = frame_msg::kTrayCallback;
constexpr UINT kCreationFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
constexpr int kTooltipChars = 127;     // plus the terminator
constexpr int kBalloonTextChars = 256;  // the whole field; the last one ends the text
constexpr int kBalloonTitleChars = 64;
constexpr UINT kBalloonTimeoutMs = 10000;
// The record's size: the layout that ends with the balloon title, flags and
// item GUID (952 bytes in the 32-bit program).
constexpr DWORD kDataSize = offsetof(NOTIFYICONDATAW, hBalloonIcon);
#ifndef _WIN64
static_assert(kDataSize == 952, "the notification record the program registers");
#endif
static_assert(kCreationFlags == 7, "message, icon and tip");
// The platform's major version (0 when unknown).
DWORD WindowsMajorVersion();
}  // namespace tray

class CSystemTray : public fx::Window {
public:
    CSystemTray();
    ~CSystemTray() override;

    // Clears the data and state (removed, not hidden, nothing pending) and
    // asks the platform for balloon support.
    void Initialise();
    // The platform supports a notification icon; every operation fails while
    // it is false.  Start-up sets it.
    void SetEnabled(bool enabled) { m_Enabled = enabled; }
    bool Enabled() const { return m_Enabled; }

    // Creates the hidden window and adds the icon; true when it was added.
    bool Create(HWND owner, const wchar_t* tooltip, HICON icon);
    bool RemoveIcon();
    bool HideIcon();
    // Loads icon resource `id` of the program and shows it.
    bool SetIcon(UINT id);
    bool SetTooltipText(const wchar_t* text);
    bool ShowBalloon(const wchar_t* text, const wchar_t* title, HICON icon);
    // From another thread: the host's ShowLook on the tray's thread.
    bool PostLookRequest(bool connecting);

    LRESULT OnTaskbarCreated();
    void OnSettingChange(UINT flag);
    virtual LRESULT OnTrayNotification(WPARAM wp, LPARAM lp);

    // Seams: the shell (tests record the calls), the program's side, the
    // module the icons are loaded from.
    void SetShell(TrayShell* shell) { m_Shell = shell; }
    void SetHost(TrayHost* host) { m_Host = host; }
    void SetIconModule(HINSTANCE module) { m_IconModule = module; }

    bool Hidden() const { return m_Hidden; }
    bool Removed() const { return m_Removed; }
    bool ShowPending() const { return m_ShowPending; }
    bool BalloonSupport() const { return m_BalloonSupport; }
    // A copy of the notification data (for the tests and the log).
    NOTIFYICONDATAW Data();

    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    bool Notify(DWORD message);
    bool ApplyIcon(UINT id);
    bool ApplyTooltip(const std::wstring& text);
    LRESULT AddAgain();

    NOTIFYICONDATAW m_Data;
    bool m_Enabled = true;
    bool m_Hidden = false;
    bool m_Removed = true;
    bool m_ShowPending = false;
    bool m_BalloonSupport = false;
    UINT m_CreationFlags = 0;
    fx::UniqueIcon m_LoadedIcon;   // the last icon SetIcon loaded
    fx::CriticalSection m_Lock;    // the notification data and the requests below
    std::wstring m_PendingTip;     // a tooltip set from another thread
    bool m_TipPending = false;
    TrayShell* m_Shell;
    TrayHost* m_Host = nullptr;
    HINSTANCE m_IconModule = nullptr;
    UINT m_TaskbarCreated;
};
