#include "app/tests/support/ProgramHarness.h"

#include <gtest/gtest.h>

#include "fx/Handle.h"
#include "tests/support/TestSupport.h"

namespace programharness {

namespace {
constexpr const wchar_t* kInstallKey = L"Software\\Pondrel";
// The tray icon's callback message (WM_APP + 10) and the icon's id.
constexpr UINT kTrayCallback = 32778;
constexpr WPARAM kTrayIconId = 144;

struct FrameSearch {
    DWORD pid;
    const wchar_t* title;
    HWND found;
};

BOOL CALLBACK MatchFrame(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<FrameSearch*>(lp);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    wchar_t title[64] = L"";
    ::GetWindowTextW(hwnd, title, 64);
    if (pid == s->pid && wcscmp(title, s->title) == 0) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

bool MutexExists() {
    fx::UniqueHandle h(::OpenMutexW(SYNCHRONIZE, FALSE, kMutexName));
    return static_cast<bool>(h);
}

bool MutexHeldByOther() {
    fx::UniqueHandle h(::OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, kMutexName));
    if (!h) return false;
    DWORD r = ::WaitForSingleObject(h.get(), 0);
    if (r == WAIT_OBJECT_0 || r == WAIT_ABANDONED) ::ReleaseMutex(h.get());
    return r == WAIT_TIMEOUT;
}

HWND FindTopLevel(DWORD pid, const wchar_t* title) {
    FrameSearch s{pid, title, nullptr};
    ::EnumWindows(&MatchFrame, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND FindMainFrame(DWORD pid) { return FindTopLevel(pid, L"PondRel Settings"); }

HWND OpenTrayMenu(DWORD pid, DWORD timeoutMs) {
    HWND menu = nullptr;
    DWORD clicked = 0;
    bool first = true;
    const bool shown = testsupport::WaitFor(
        [&] {
            menu = FindTopLevel(pid, L"TrayMenu");
            if (menu && ::IsWindowVisible(menu)) return true;
            const DWORD now = ::GetTickCount();
            if (first || now - clicked >= 1000) {
                if (HWND frame = FindMainFrame(pid)) ::PostMessageW(frame, kTrayCallback, kTrayIconId, WM_RBUTTONUP);
                clicked = now;
                first = false;
            }
            return false;
        },
        timeoutMs);
    return shown ? menu : nullptr;
}

void SetInstallValue(const wchar_t* name, const wchar_t* value) {
    fx::UniqueHKey k;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kInstallKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, k.put(),
                                nullptr),
              ERROR_SUCCESS);
    if (value)
        ::RegSetValueExW(k.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                         static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
    else
        ::RegDeleteValueW(k.get(), name);
}

void SetInstallDword(const wchar_t* name, DWORD value) {
    fx::UniqueHKey k;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kInstallKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, k.put(),
                                nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExW(k.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

SavedInstallValue::SavedInstallValue(const wchar_t* name) : name_(name) {
    fx::UniqueHKey k;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kInstallKey, 0, KEY_READ, k.put()) != ERROR_SUCCESS) return;
    DWORD bytes = 0;
    if (::RegQueryValueExW(k.get(), name, nullptr, &type_, nullptr, &bytes) != ERROR_SUCCESS) return;
    old_.resize(bytes);
    had_ = ::RegQueryValueExW(k.get(), name, nullptr, &type_, old_.data(), &bytes) == ERROR_SUCCESS;
    old_.resize(bytes);
}

SavedInstallValue::~SavedInstallValue() {
    fx::UniqueHKey k;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kInstallKey, 0, KEY_SET_VALUE, k.put()) != ERROR_SUCCESS) return;
    if (had_)
        ::RegSetValueExW(k.get(), name_, 0, type_, old_.data(), static_cast<DWORD>(old_.size()));
    else
        ::RegDeleteValueW(k.get(), name_);
}

}  // namespace programharness
