#include "app/core/config/RegistryValues.h"

#include <windows.h>

#include <cwchar>
#include <vector>

#include "fx/Handle.h"
#include "fx/Locked.h"

namespace {
constexpr const wchar_t* kUserKey = L"Software\\Pondrel";

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

// Text of a string value read into a byte buffer of `bytes` (not necessarily
// terminated by the writer).
std::wstring TerminatedText(const wchar_t* data, DWORD bytes) {
    size_t chars = bytes / sizeof(wchar_t);
    size_t n = 0;
    while (n < chars && data[n]) ++n;
    return std::wstring(data, n);
}
}  // namespace

void ReadRegistryValue(const wchar_t* name, std::wstring& out) {
    out.clear();
    std::wstring path = std::wstring(kUserKey) + L"\\" + name;
    fx::UniqueHKey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return;
    wchar_t buffer[128];
    DWORD bytes = sizeof buffer;
    DWORD type = 0;
    if (::RegQueryValueExW(key.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes) !=
            ERROR_SUCCESS ||
        !IsStringType(type))
        return;
    out = TerminatedText(buffer, bytes);
}

void WriteRegistryValue(const wchar_t* value, const wchar_t* name) {
    fx::UniqueHKey root;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kUserKey, 0, nullptr, 0, KEY_WRITE, nullptr, root.put(), nullptr) !=
        ERROR_SUCCESS)
        return;
    fx::UniqueHKey sub;
    if (::RegCreateKeyExW(root.get(), name, 0, nullptr, 0, KEY_WRITE, nullptr, sub.put(), nullptr) != ERROR_SUCCESS)
        return;
    std::wstring text = value ? value : L"";
    ::RegSetValueExW(sub.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

namespace {
// The per-user values as panel threads reach them: one read or write at a
// time, under the lock of PanelThreadValues().
struct UserValues {
    void Read(const wchar_t* name, std::wstring& out) const { ReadRegistryValue(name, out); }
    void Write(const wchar_t* value, const wchar_t* name) const { WriteRegistryValue(value, name); }
};

fx::Locked<UserValues>& PanelThreadValues() {
    static fx::Locked<UserValues> values;
    return values;
}
}  // namespace

void ReadRegistryValueLocked(const wchar_t* name, std::wstring& out) { PanelThreadValues().Lock()->Read(name, out); }

void WriteRegistryValueLocked(const wchar_t* value, const wchar_t* name) {
    PanelThreadValues().Lock()->Write(value, name);
}

void WriteStartFlag(const wchar_t* text) { WriteRegistryValue(text, L"Start"); }

void WriteSplashFlag(const wchar_t* text) { WriteRegistryValue(text, L"Splash"); }

bool ReadInstallValue(const wchar_t* name, std::wstring& out) {
    out.clear();
    fx::UniqueHKey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUserKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return false;
    DWORD type = 0, bytes = 0;
    if (::RegQueryValueExW(key.get(), name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS || !IsStringType(type))
        return false;
    // The value may grow between the two calls: retry with the new size.
    for (int attempt = 0; attempt < 3; ++attempt) {
        std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1, L'\0');
        DWORD got = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        LONG r = ::RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &got);
        if (r == ERROR_MORE_DATA) {
            bytes = got;
            continue;
        }
        if (r != ERROR_SUCCESS || !IsStringType(type)) return false;
        out = TerminatedText(buffer.data(), got);
        return true;
    }
    return false;
}

namespace {
bool EqualsNoCase(const std::wstring& a, const wchar_t* b) { return _wcsicmp(a.c_str(), b) == 0; }
}  // namespace

bool StartFlagAllows(const std::wstring& text) { return text.empty() || EqualsNoCase(text, L"true"); }

bool SplashFlagSet(const std::wstring& text) { return EqualsNoCase(text, L"true"); }

bool IsFirstRunMark(const std::wstring& text) { return text.empty() || EqualsNoCase(text, L"Yes"); }
