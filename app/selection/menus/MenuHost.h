// What the menus ask of their owner, the controller (MenuHost), and what
// they read of its observer (MenuObserver).  The controller implements both
// and hands them over when it creates or shows a menu; every call comes
// from a menu's window, on the user-interface thread.
#pragma once

#include <windows.h>

#include <string>

class TxSelWin;
class UserSetting;

class MenuHost {
public:
    virtual ~MenuHost() = default;

    // The controller's window: where the application commands anchor.
    virtual HWND ControllerWindow() const = 0;
    // The hotspot the text menu's best guesses show on, and its hiding when
    // a menu closes.
    virtual TxSelWin* Hotspot() const = 0;
    virtual void HideHotspot() = 0;
    // A menu panel is open (the application menu's commands then wait).
    virtual bool HasMenuPanel() const = 0;
    // Whether best-guess items were offered, and whether they launch
    // panels (the text menu sets both as the answers arrive).
    virtual bool HaveGuesses() const = 0;
    virtual void SetHaveGuesses(bool value) = 0;
    virtual void SetGuessLaunchMode(bool value) = 0;
    // Adds one to the usage statistics' counter of metric.
    virtual void CountUsage(const wchar_t* metric) = 0;

    // What a chosen item opens: a URL in the user's browser, or a panel
    // (its window, or null).
    virtual void OpenUrlInBrowser(const std::wstring& url) = 0;
    virtual HWND LaunchEcp(const RECT& anchor, UserSetting* record, const std::wstring& text,
                           const std::wstring& title, DWORD flags) = 0;
    // The search menu's choice for the running panel whose window is panel:
    // record becomes its next record, with queryText and the best-guess
    // flag.  False when no running panel has that window.
    virtual bool GiveNextRecord(HWND panel, const UserSetting& record, const std::wstring& queryText,
                                bool counted) = 0;
};

class MenuObserver {
public:
    virtual ~MenuObserver() = default;

    // The hovered text and the current target's rectangle.
    virtual std::wstring HoverText() const = 0;
    virtual RECT HoverAnchor() const = 0;
};
