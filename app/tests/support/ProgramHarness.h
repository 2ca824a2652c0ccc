// What every test of the real PondRel.exe needs from outside: the
// single-instance mutex, the HKLM install values (set, and given back as they
// were), the program's top-level windows and plain-text output of wide strings.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace programharness {

constexpr const wchar_t* kMutexName = L"PONDREL-943AA19C-B2D0-4894-842D-624490679A3C";

bool MutexExists();
// True when the mutex exists and another process holds it.
bool MutexHeldByOther();

// A top-level window of process pid with this title.
HWND FindTopLevel(DWORD pid, const wchar_t* title);
// The hidden main frame (the top-level "PondRel Settings" window) of process pid.
HWND FindMainFrame(DWORD pid);

// Right-clicks the tray icon of process pid, as the shell tells its main
// frame (the icon's callback message with the icon's id), until the tray
// menu (the top-level "TrayMenu") shows or timeoutMs passes; the click is
// sent again each second, as a busy start-up may miss the first.  The shown
// menu, or nullptr.
HWND OpenTrayMenu(DWORD pid, DWORD timeoutMs);

// HKLM "Software\Pondrel" string value (nullptr deletes it) and a DWORD value.
void SetInstallValue(const wchar_t* name, const wchar_t* value);
void SetInstallDword(const wchar_t* name, DWORD value);

// One HKLM "Software\Pondrel" value, given back as it was (type and bytes, or
// absent) when its owner goes.
class SavedInstallValue {
public:
    explicit SavedInstallValue(const wchar_t* name);
    ~SavedInstallValue();
    SavedInstallValue(const SavedInstallValue&) = delete;
    SavedInstallValue& operator=(const SavedInstallValue&) = delete;

    void Set(const std::wstring& value) { SetInstallValue(name_, value.c_str()); }

private:
    const wchar_t* name_;
    bool had_ = false;
    DWORD type_ = 0;
    std::vector<BYTE> old_;
};

}  // namespace programharness
