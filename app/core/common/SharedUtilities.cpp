#include "app/core/common/SharedUtilities.h"

#include <objbase.h>

#include <cwchar>
#include <vector>

#include "fx/Handle.h"

bool EnsureDirectory(const std::wstring& path) {
    if (FileExists(path)) return true;
    return ::CreateDirectoryW(path.c_str(), nullptr) != FALSE;
}

bool FileExists(const std::wstring& path) {
    if (path.empty() || path.size() >= MAX_PATH) return false;
    if (path.find_first_of(L"*?") != std::wstring::npos) return false;
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsDotEntry(const wchar_t* name) {
    return name && name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

std::wstring NewTempFileIn(const std::wstring& dir, const wchar_t* prefix) {
    wchar_t name[MAX_PATH];
    if (!::GetTempFileNameW(dir.c_str(), prefix, 0, name)) return std::wstring();
    return name;
}

TempFile::~TempFile() {
    if (!path_.empty()) ::DeleteFileW(path_.c_str());
}

bool TempFile::MoveTo(const std::wstring& target, DWORD* error) {
    for (int attempt = 0;; ++attempt) {
        if (::MoveFileExW(path_.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
            path_.clear();
            return true;
        }
        *error = ::GetLastError();
        if (attempt >= 10 || (*error != ERROR_ACCESS_DENIED && *error != ERROR_SHARING_VIOLATION)) return false;
        ::Sleep(20);
    }
}

namespace {

// The path in its long form ("\\?\C:\..." or "\\?\UNC\server\share\..."), so
// no length limit applies to the calls on it.
std::wstring LongPath(const std::wstring& path) {
    if (path.compare(0, 4, L"\\\\?\\") == 0) return path;
    DWORD n = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return path;
    std::vector<wchar_t> full(n + 1);
    n = ::GetFullPathNameW(path.c_str(), n + 1, full.data(), nullptr);
    std::wstring p(full.data(), n);
    if (p.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + p.substr(2);
    return L"\\\\?\\" + p;
}

bool MakeWritable(const std::wstring& path, DWORD attributes) {
    if (!(attributes & FILE_ATTRIBUTE_READONLY)) return true;
    return ::SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY) != FALSE;
}

// Empties dir (in long form, no trailing backslash); false at the first entry
// that stays.
bool EmptyDirectory(const std::wstring& dir) {
    WIN32_FIND_DATAW found{};
    HANDLE find = ::FindFirstFileW((dir + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return ::GetLastError() == ERROR_FILE_NOT_FOUND;
    bool ok = true;
    do {
        if (IsDotEntry(found.cFileName)) continue;
        const std::wstring entry = dir + L"\\" + found.cFileName;
        const DWORD a = found.dwFileAttributes;
        MakeWritable(entry, a);
        if (a & FILE_ATTRIBUTE_REPARSE_POINT) {
            // A junction or link goes as the link; its target is not touched.
            ok = (a & FILE_ATTRIBUTE_DIRECTORY) ? ::RemoveDirectoryW(entry.c_str()) != FALSE
                                                 : ::DeleteFileW(entry.c_str()) != FALSE;
        } else if (a & FILE_ATTRIBUTE_DIRECTORY) {
            ok = EmptyDirectory(entry) && ::RemoveDirectoryW(entry.c_str()) != FALSE;
        } else {
            ok = ::DeleteFileW(entry.c_str()) != FALSE;
        }
    } while (ok && ::FindNextFileW(find, &found));
    ::FindClose(find);
    return ok;
}

}  // namespace

bool RemoveDirectoryTree(const std::wstring& path, bool removeSelf) {
    std::wstring dir = LongPath(path);
    while (dir.size() > 7 && (dir.back() == L'\\' || dir.back() == L'/')) dir.pop_back();
    bool emptied = EmptyDirectory(dir);
    if (!removeSelf) return false;
    return emptied && ::RemoveDirectoryW(dir.c_str()) != FALSE;
}

std::wstring NewGuidString() {
    GUID g{};
    if (FAILED(::CoCreateGuid(&g))) return L"";
    wchar_t text[40];
    _snwprintf(text, 39, L"%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x", static_cast<unsigned long>(g.Data1),
               g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6],
               g.Data4[7]);
    text[39] = L'\0';
    return text;
}

void CenterWindowOnScreen(HWND hwnd) {
    RECT r{};
    if (!hwnd || !::GetWindowRect(hwnd, &r)) return;
    const int w = r.right - r.left, h = r.bottom - r.top;
    ::MoveWindow(hwnd, (::GetSystemMetrics(SM_CXSCREEN) - w) / 2, (::GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h,
                 TRUE);
}

bool ReadRegistryString(HKEY root, const wchar_t* subKey, const wchar_t* valueName, std::wstring* out) {
    fx::UniqueHKey key;
    if (::RegOpenKeyExW(root, subKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return false;
    DWORD type = 0, size = 0;
    if (::RegQueryValueExW(key.get(), valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    // One character more than announced: the stored text need not end in a
    // terminator, and the buffer always does.
    std::vector<wchar_t> text(size / sizeof(wchar_t) + 2, L'\0');
    DWORD got = static_cast<DWORD>((text.size() - 1) * sizeof(wchar_t));
    if (::RegQueryValueExW(key.get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &got) !=
        ERROR_SUCCESS)
        return false;
    text[got / sizeof(wchar_t)] = L'\0';
    out->assign(text.data());
    return true;
}

std::wstring GetDefaultBrowserPath() {
    HKEY root = HKEY_CLASSES_ROOT;
    std::wstring subKey = L"http\\shell\\open\\command";
    std::wstring valueName;  // the default value

    std::wstring progId;
    ReadRegistryString(HKEY_CURRENT_USER,
                       L"Software\\Microsoft\\Windows\\Shell\\Associations\\UrlAssociations\\http\\UserChoice",
                       L"Progid", &progId);
    if (!progId.empty()) {
        if (_wcsicmp(progId.c_str(), L"FirefoxURL") != 0) {
            // Every other user choice counts as Internet Explorer.
            subKey = L"Applications\\iexplore.exe\\shell\\open\\command";
        } else {
            fx::UniqueHKey firefox;
            if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Mozilla\\Mozilla Firefox", 0, KEY_READ,
                                firefox.put()) == ERROR_SUCCESS) {
                std::wstring version;
                ReadRegistryString(HKEY_LOCAL_MACHINE, L"Software\\Mozilla\\Mozilla Firefox", L"CurrentVersion",
                                   &version);
                root = HKEY_LOCAL_MACHINE;
                subKey = L"Software\\Mozilla\\Mozilla Firefox\\" + version + L"\\Main";
                valueName = L"PathToExe";
            }
        }
    }
    std::wstring result;
    ReadRegistryString(root, subKey.c_str(), valueName.empty() ? nullptr : valueName.c_str(), &result);
    return CutBrowserArguments(result);
}
