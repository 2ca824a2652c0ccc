// Plays the product's setup program for tests and for tools/run:
//   PondrelSetup.exe [arguments...]
// Appends its whole command line as one UTF-8 line to the file named by the
// environment variable PONDREL_SETUP_RECORD (when set) and ends with exit
// code 0.  It installs nothing.
#include <windows.h>

#include <string>

namespace {

std::wstring Env(const wchar_t* name) {
    wchar_t buffer[1024];
    DWORD n = ::GetEnvironmentVariableW(name, buffer, 1024);
    return (n > 0 && n < 1024) ? std::wstring(buffer, n) : std::wstring();
}

void Record(const std::wstring& line) {
    const std::wstring path = Env(L"PONDREL_SETUP_RECORD");
    if (path.empty()) return;
    int n = ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0, nullptr,
                                  nullptr);
    std::string utf8(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), &utf8[0], n, nullptr,
                              nullptr);
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

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    Record(::GetCommandLineW());
    return 0;
}
