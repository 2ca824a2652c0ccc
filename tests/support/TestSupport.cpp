#include "TestSupport.h"

#include <cstdio>
#include <utility>

namespace testsupport {

std::wstring WinPath(const std::string& p) {
    std::wstring w(p.begin(), p.end());
    if (!w.empty() && w[0] == L'/') {
        for (auto& c : w)
            if (c == L'/') c = L'\\';
        w = L"Z:" + w;
    }
    return w;
}

std::wstring WinDir(const std::string& p) {
    std::wstring w = WinPath(p);
    return !w.empty() && w.back() == L'\\' ? w : w + L'\\';
}

Child::~Child() {
    Kill();
}

Child::Child(Child&& o) noexcept : process_(std::move(o.process_)), pid_(o.pid_) {
    o.pid_ = 0;
}

Child& Child::operator=(Child&& o) noexcept {
    if (this != &o) {
        Kill();
        process_ = std::move(o.process_);
        pid_ = o.pid_;
        o.pid_ = 0;
    }
    return *this;
}

static std::wstring Quote(const std::wstring& a) {
    std::wstring q = L"\"";
    for (wchar_t c : a) {
        if (c == L'"') q += L'\\';
        q += c;
    }
    return q + L"\"";
}

bool Child::Start(const std::string& program, const std::vector<std::wstring>& args,
                  const std::wstring& workDir) {
    Kill();
    std::wstring exe = WinPath(program);
    std::wstring cmd = Quote(exe);
    for (const auto& a : args) cmd += L" " + Quote(a);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr,
                          workDir.empty() ? nullptr : workDir.c_str(), &si, &pi))
        return false;
    fx::UniqueHandle thread(pi.hThread);
    process_.reset(pi.hProcess);
    pid_ = pi.dwProcessId;
    return true;
}

bool Child::Wait(DWORD timeoutMs, DWORD* exitCode) {
    if (!process_) return true;
    if (::WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0) return false;
    DWORD code = 0;
    ::GetExitCodeProcess(process_.get(), &code);
    if (exitCode) *exitCode = code;
    return true;
}

void Child::Kill() {
    if (!process_) return;
    if (::WaitForSingleObject(process_.get(), 0) != WAIT_OBJECT_0) {
        ::TerminateProcess(process_.get(), 255);
        ::WaitForSingleObject(process_.get(), 5000);
    }
    process_.reset();
    pid_ = 0;
}

int Run(const std::string& program, const std::vector<std::wstring>& args, DWORD timeoutMs) {
    Child c;
    if (!c.Start(program, args)) return -1;
    DWORD code = 0;
    if (!c.Wait(timeoutMs, &code)) return -1;
    return static_cast<int>(code);
}

namespace {
void DumpKey(HKEY key, const std::wstring& path, std::set<std::wstring>& out) {
    out.insert(path);
    for (DWORD i = 0;; ++i) {
        wchar_t name[512];
        BYTE data[4096];
        DWORD nameLen = 512, dataLen = sizeof data - sizeof(wchar_t), type = 0;
        if (::RegEnumValueW(key, i, name, &nameLen, nullptr, &type, data, &dataLen) != ERROR_SUCCESS) break;
        std::wstring text;
        if (type == REG_SZ) {
            data[dataLen] = 0;
            data[dataLen + 1] = 0;
            text = reinterpret_cast<const wchar_t*>(data);
        } else {
            text = L"#" + std::to_wstring(type);
        }
        out.insert(path + L"|" + name + L"=" + text);
    }
    for (DWORD i = 0;; ++i) {
        wchar_t name[512];
        DWORD len = 512;
        if (::RegEnumKeyExW(key, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        fx::UniqueHKey child;
        if (::RegOpenKeyExW(key, name, 0, KEY_READ, child.put()) != ERROR_SUCCESS) continue;
        DumpKey(child.get(), path + L"\\" + name, out);
    }
}
}  // namespace

std::set<std::wstring> RegistryTree(HKEY root, const std::wstring& path) {
    std::set<std::wstring> out;
    fx::UniqueHKey key;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return out;
    DumpKey(key.get(), L"", out);
    return out;
}

bool WaitFor(const std::function<bool()>& cond, DWORD timeoutMs) {
    DWORD start = ::GetTickCount();
    for (;;) {
        if (cond()) return true;
        if (::GetTickCount() - start >= timeoutMs) return false;
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::Sleep(20);
    }
}

namespace {

struct OwnWindowSearch {
    const wchar_t* cls;
    const wchar_t* title;
    HWND found = nullptr;
};

BOOL CALLBACK MatchOwnWindow(HWND w, LPARAM lp) {
    auto* search = reinterpret_cast<OwnWindowSearch*>(lp);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(w, &pid);
    if (pid != ::GetCurrentProcessId()) return TRUE;
    wchar_t text[256] = {};
    ::GetClassNameW(w, text, 256);
    if (search->cls && ::lstrcmpiW(text, search->cls) != 0) return TRUE;
    text[0] = 0;
    ::InternalGetWindowText(w, text, 256);
    if (search->title && ::lstrcmpW(text, search->title) != 0) return TRUE;
    search->found = w;
    return FALSE;
}

}  // namespace

// EnumWindows walks one list taken at its start; a FindWindowEx walk from one
// window to the next skips windows that other programs move in the z-order
// meanwhile.
HWND OwnWindow(const wchar_t* cls, const wchar_t* title) {
    OwnWindowSearch search{cls, title};
    ::EnumWindows(&MatchOwnWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

AnswerDialog::AnswerDialog(std::wstring title, DWORD boundMs)
    : title_(std::move(title)), boundMs_(boundMs), watcher_([this] { Watch(); }) {}

AnswerDialog::~AnswerDialog() { Join(); }

bool AnswerDialog::Join() {
    if (watcher_.joinable()) watcher_.join();
    return answered_;
}

void AnswerDialog::Watch() {
    HWND box = nullptr;
    // The box is read once it is shown: its controls are made by then.
    if (!WaitFor(
            [&] {
                box = OwnWindow(L"#32770", title_.c_str());
                return box && ::IsWindowVisible(box);
            },
            boundMs_))
        return;
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t text[512] = L"";
        ::GetWindowTextW(child, text, 512);
        texts_.push_back(text);
        if (::GetDlgCtrlID(child) == 0xFFFF) message_ = text;
    }
    answered_ = ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0) != FALSE;
}

std::string TempFile(const char* name) {
    char dir[MAX_PATH];
    ::GetTempPathA(MAX_PATH, dir);
    std::string path = std::string(dir) + name;
    ::DeleteFileA(path.c_str());
    return path;
}

std::string ReadAll(const std::string& path) {
    std::string text;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
        std::fclose(f);
    }
    return text;
}

bool WriteAll(const std::string& path, const std::string& text) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool whole = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && whole;
}

}  // namespace testsupport
