// Plays the user's default web browser for tests and for tools/run:
//   BrowserStandIn [arguments...]
// Appends its whole command line as one UTF-8 line to the file named by the
// environment variable PONDREL_BROWSER_RECORD (when set), stays busy for
// PONDREL_BROWSER_BUSY_MS milliseconds (default 0; it takes no input
// meanwhile), then shows a top-level window of the browser's class (PONDREL_BROWSER_CLASS, default
// "IEFrame") titled "Browser stand-in" and ends after PONDREL_BROWSER_SECONDS
// seconds (default 20) or when its window is closed.  Register it as the
// default browser with `BrowserStandIn --register` (the http and https
// commands of the classes root and Internet Explorer's application command)
// and undo that with `--unregister`.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "TextSupport.h"
#include "hosts/HostWindowClasses.h"

namespace {

using testsupport::Env;

void Record(const std::wstring& line) {
    const std::wstring path = Env(L"PONDREL_BROWSER_RECORD");
    if (!path.empty()) testsupport::AppendLine(path, line);
}

// The commands it takes over, each kept under its name while registered: the
// http and https commands of the classes root (what the shell reads) and
// Internet Explorer's application command (what the program's default-browser
// lookup reads when the user's choice names a browser other than Firefox,
// as a fresh prefix's choice does).
struct Command {
    const wchar_t* saved;
    const wchar_t* key;
};
const Command kCommands[] = {
    {L"http", L"http\\shell\\open\\command"},
    {L"https", L"https\\shell\\open\\command"},
    {L"iexplore", L"Applications\\iexplore.exe\\shell\\open\\command"},
};
const wchar_t kSaved[] = L"Software\\PondRel\\BrowserStandIn";

bool ReadDefault(HKEY root, const std::wstring& key, const wchar_t* name, std::wstring& value) {
    wchar_t buffer[2048] = {};
    DWORD size = sizeof(buffer) - sizeof(wchar_t);
    if (::RegGetValueW(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS) return false;
    value = buffer;
    return true;
}

bool WriteValue(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    HKEY h = nullptr;
    if (::RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr) != ERROR_SUCCESS)
        return false;
    LONG r = ::RegSetValueExW(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                              static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(h);
    return r == ERROR_SUCCESS;
}

// The commands of kCommands point at this program; the commands there before
// are kept under HKCU and put back by --unregister.
int Register(bool on) {
    wchar_t self[MAX_PATH];
    DWORD n = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return 1;
    bool ok = true;
    for (const Command& c : kCommands) {
        std::wstring previous;
        if (on) {
            std::wstring kept;
            if (!ReadDefault(HKEY_CURRENT_USER, kSaved, c.saved, kept) &&
                ReadDefault(HKEY_CLASSES_ROOT, c.key, nullptr, previous))
                WriteValue(HKEY_CURRENT_USER, kSaved, c.saved, previous);
            ok = WriteValue(HKEY_CLASSES_ROOT, c.key, nullptr, L"\"" + std::wstring(self) + L"\" \"%1\"") && ok;
        } else if (ReadDefault(HKEY_CURRENT_USER, kSaved, c.saved, previous)) {
            ok = WriteValue(HKEY_CLASSES_ROOT, c.key, nullptr, previous) && ok;
            ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kSaved, c.saved);
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
    const std::wstring busy = Env(L"PONDREL_BROWSER_BUSY_MS");
    const int busyMs = busy.empty() ? 0 : _wtoi(busy.c_str());
    if (busyMs > 0 && busyMs <= 600000) ::Sleep(static_cast<DWORD>(busyMs));

    std::wstring cls = Env(L"PONDREL_BROWSER_CLASS");
    if (cls.empty()) cls = host_class::kIEFrame;
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
