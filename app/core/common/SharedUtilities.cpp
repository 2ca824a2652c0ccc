#include "app/core/common/SharedUtilities.h"

#include <objbase.h>

#include <cwchar>

void EnsureDirectory(const std::wstring& path) {
    DWORD a = ::GetFileAttributesW(path.c_str());
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY)) return;
    ::CreateDirectoryW(path.c_str(), nullptr);
}

std::wstring NewGuidString() {
    GUID g{};
    if (FAILED(::CoCreateGuid(&g))) return L"";
    wchar_t text[40];
    _snwprintf(text, 39, L"%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X", g.Data1, g.Data2, g.Data3,
               g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    text[39] = L'\0';
    return text;
}

bool FileExists(const std::wstring& path) {
    DWORD a = ::GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}
