// Text and file helpers shared by the tests and the stand-ins they drive
// (header only, so a stand-in DLL takes them without the rest of the test
// support).
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "fx/Handle.h"
#include "tests/support/Utf8.h"

namespace testsupport {

// UTF-8 to UTF-16 (and back: Utf8, tests/support/Utf8.h).
inline std::wstring Wide(const std::string& s) {
    if (s.empty()) return std::wstring();
    int n = ::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(n, L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), &w[0], n);
    return w;
}

// Environment variable as wide text ("" when unset or longer than 4095).
inline std::wstring Env(const wchar_t* name) {
    wchar_t buffer[4096];
    DWORD n = ::GetEnvironmentVariableW(name, buffer, 4096);
    return n > 0 && n < 4096 ? std::wstring(buffer, n) : std::wstring();
}

// The text of a BSTR (its stored length counts; NULL is "").
inline std::wstring Text(BSTR b) { return b ? std::wstring(b, ::SysStringLen(b)) : std::wstring(); }

// The text of a BSTR an interface handed out; frees it.
inline std::wstring Take(BSTR b) {
    std::wstring s = Text(b);
    ::SysFreeString(b);
    return s;
}

// A file's whole content into out; false when it cannot be opened (others
// may hold it open for writing or deleting meanwhile).
inline bool ReadWholeFile(const std::wstring& path, std::string& out) {
    fx::UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return false;
    out.clear();
    char buffer[8192];
    DWORD got = 0;
    while (::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) out.append(buffer, got);
    return true;
}

// Appends line and a line end, as UTF-8, to the file at path (made when
// missing).  Several processes may append at once: the file is opened alone
// and a busy one is tried again for a moment.  False when it stayed busy.
inline bool AppendLine(const std::wstring& path, const std::wstring& line) {
    const std::string bytes = Utf8(line) + "\n";
    for (int attempt = 0; attempt < 50; ++attempt) {
        fx::UniqueHandle file(::CreateFileW(path.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            DWORD written = 0;
            return ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                   written == bytes.size();
        }
        ::Sleep(20);
    }
    return false;
}

// The fields of s between separators (n separators give n + 1 fields).
inline std::vector<std::wstring> Split(const std::wstring& s, wchar_t separator) {
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (;;) {
        size_t at = s.find(separator, start);
        parts.push_back(s.substr(start, at == std::wstring::npos ? std::wstring::npos : at - start));
        if (at == std::wstring::npos) return parts;
        start = at + 1;
    }
}

}  // namespace testsupport
