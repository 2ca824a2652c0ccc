// LogViewer: a small stand-in for the outside log viewer.  Creates the shared
// log, shows a window listing the lines as they arrive, and echoes each line to
// standard output.
//   LogViewer.exe [--title T] [--size BYTES] [--seconds N]
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "ViewerLog.h"

namespace {
ViewerLog g_log;
HWND g_list = nullptr;

void EchoUtf8(const std::wstring& line) {
    int n = ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0,
                                  nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), &out[0], n, nullptr,
                          nullptr);
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void Poll() {
    for (const std::wstring& line : g_log.ReadNew()) {
        EchoUtf8(line);
        if (g_list) {
            ::SendMessageW(g_list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
            LRESULT count = ::SendMessageW(g_list, LB_GETCOUNT, 0, 0);
            ::SendMessageW(g_list, LB_SETTOPINDEX, count > 0 ? count - 1 : 0, 0);
        }
    }
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring title = L"LogViewer";
    DWORD size = 16 * 1024 * 1024;
    DWORD seconds = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!wcscmp(argv[i], L"--title")) title = argv[i + 1];
        else if (!wcscmp(argv[i], L"--size")) size = static_cast<DWORD>(_wtoi(argv[i + 1]));
        else if (!wcscmp(argv[i], L"--seconds")) seconds = static_cast<DWORD>(_wtoi(argv[i + 1]));
    }
    if (!g_log.Create(title.c_str(), size)) {
        std::fprintf(stderr, "LogViewer: cannot create the shared log (%lu)\n", ::GetLastError());
        return 1;
    }
    HWND w = g_log.window();
    RECT rc;
    ::GetClientRect(w, &rc);
    g_list = ::CreateWindowExW(0, L"LISTBOX", nullptr, WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_USETABSTOPS,
                               0, 0, rc.right, rc.bottom, w, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    ::ShowWindow(w, SW_SHOWNOACTIVATE);
    ::SetTimer(nullptr, 0, 200, nullptr);
    DWORD start = ::GetTickCount();
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER) {
            Poll();
            if (seconds && ::GetTickCount() - start > seconds * 1000) break;
            if (!::IsWindow(w)) break;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    Poll();
    return 0;
}
