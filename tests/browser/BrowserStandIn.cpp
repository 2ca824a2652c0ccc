// Plays the user's default web browser for tests and for tools/run:
//   BrowserStandIn [arguments...]
// Appends its whole command line as one UTF-8 line to the file named by the
// environment variable PONDREL_BROWSER_RECORD (when set), then shows a
// top-level window of the browser's class (PONDREL_BROWSER_CLASS, default
// "IEFrame") titled "Browser stand-in" and ends after PONDREL_BROWSER_SECONDS
// seconds (default 20) or when its window is closed.  Register it as the
// default browser with `BrowserStandIn --register` (the http and https
// associations of the current user) and undo that with `--unregister`.
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

std::wstring Env(const wchar_t* name) {
    wchar_t buffer[1024];
    DWORD n = ::GetEnvironmentVariableW(name, buffer, 1024);
    return (n > 0 && n < 1024) ? std::wstring(buffer, n) : std::wstring();
}

void Record(const std::wstring& line) {
    std::wstring path = Env(L"PONDREL_BROWSER_RECORD");
    if (path.empty()) return;
    int n = ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0, nullptr,
                                  nullptr);
    std::string utf8(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), &utf8[0], n, nullptr, nullptr);
    utf8 += "\n";
    // Several starts may append at once: retry a busy file for a moment.
    for (int attempt = 0; attempt < 50; ++attempt) {
        HANDLE file = ::CreateFileW(path.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            ::WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
            ::CloseHandle(file);
            return;
        }
        ::Sleep(20);
    }
}

const wchar_t* const kSchemes[] = {L"http", L"https"};

bool SetCommand(const wchar_t* scheme, const std::wstring& command) {
    std::wstring key = std::wstring(L"Software\\Classes\\") + scheme + L"\\shell\\open\\command";
    HKEY h = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr) !=
        ERROR_SUCCESS)
        return false;
    LONG r = ::RegSetValueExW(h, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                              static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(h);
    return r == ERROR_SUCCESS;
}

int Register(bool on) {
    wchar_t self[MAX_PATH];
    DWORD n = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return 1;
    bool ok = true;
    for (const wchar_t* scheme : kSchemes) {
        if (on) {
            ok = SetCommand(scheme, L"\"" + std::wstring(self) + L"\" \"%1\"") && ok;
        } else {
            std::wstring key = std::wstring(L"Software\\Classes\\") + scheme;
            ::RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
        }
    }
    return ok ? 0 : 1;
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    if (msg == WM_TIMER) {
        ::DestroyWindow(hwnd);
        return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 2 && std::wstring(argv[1]) == L"--register") return Register(true);
    if (argc == 2 && std::wstring(argv[1]) == L"--unregister") return Register(false);

    Record(::GetCommandLineW());

    std::wstring cls = Env(L"PONDREL_BROWSER_CLASS");
    if (cls.empty()) cls = L"IEFrame";
    std::wstring seconds = Env(L"PONDREL_BROWSER_SECONDS");
    int runSeconds = seconds.empty() ? 20 : _wtoi(seconds.c_str());
    if (runSeconds < 1 || runSeconds > 3600) runSeconds = 20;

    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = cls.c_str();
    if (!::RegisterClassExW(&wc)) return 2;
    HWND hwnd = ::CreateWindowExW(0, cls.c_str(), L"Browser stand-in", WS_OVERLAPPEDWINDOW, 40, 40, 640, 480,
                                  nullptr, nullptr, instance, nullptr);
    if (!hwnd) return 3;
    ::ShowWindow(hwnd, SW_SHOWNORMAL);
    ::SetTimer(hwnd, 1, static_cast<UINT>(runSeconds) * 1000u, nullptr);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}
