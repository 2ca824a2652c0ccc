#include <gtest/gtest.h>

#include "app/tests/support/ShellHarness.h"

#include "fx/Handle.h"

namespace shell {

namespace {
constexpr const wchar_t* kKey = L"Software\\Pondrel";

std::wstring WinDir(const char* unixPath) {
    std::wstring w = testsupport::WinPath(unixPath);
    while (!w.empty() && (w.back() == L'\\' || w.back() == L'/')) w.pop_back();
    return w;
}

fx::UniqueHKey OpenKey(HKEY root, const std::wstring& path) {
    fx::UniqueHKey k;
    ::RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, k.put(), nullptr);
    return k;
}

}  // namespace

std::wstring InstallDir() { return WinDir(PONDREL_TEST_INSTALL_DIR); }

std::wstring ProgramDir() {
    std::wstring exe = testsupport::WinPath(PONDREL_EXE);
    return exe.substr(0, exe.find_last_of(L'\\'));
}

void DeleteUserTree() { ::RegDeleteTreeW(HKEY_CURRENT_USER, kKey); }

void SetUserValue(const wchar_t* subkey, const wchar_t* value) {
    std::wstring path = std::wstring(kKey) + L"\\" + subkey;
    if (!value) {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str());
        return;
    }
    fx::UniqueHKey k = OpenKey(HKEY_CURRENT_USER, path);
    ASSERT_TRUE(k);
    ::RegSetValueExW(k.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                     static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
}

bool GetUserValue(const wchar_t* subkey, std::wstring& out) {
    out.clear();
    std::wstring path = std::wstring(kKey) + L"\\" + subkey;
    fx::UniqueHKey k;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, k.put()) != ERROR_SUCCESS) return false;
    wchar_t buf[1024];
    DWORD bytes = sizeof buf - sizeof(wchar_t), type = 0;
    LONG r = ::RegQueryValueExW(k.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buf), &bytes);
    if (r != ERROR_SUCCESS || type != REG_SZ) return false;
    buf[bytes / sizeof(wchar_t)] = L'\0';
    out = buf;
    return true;
}

void ShellTest::SetUp() {
    ASSERT_FALSE(MutexExists()) << "an instance of PondRel.exe is already running";
    ::CreateDirectoryW(InstallDir().c_str(), nullptr);
    SetInstallValue(L"path", InstallDir().c_str());
    // Nothing listens there: the settings download fails at once.
    SetInstallValue(L"init", L"http://127.0.0.1:9/init2.asp");
    ASSERT_TRUE(viewer_.Create());
}

void ShellTest::TearDown() {
    // Never leave an instance behind: ask each to quit, then kill.
    for (auto& p : programs_) {
        if (p->child.Wait(0)) continue;
        HWND frame = FindMainFrame(p->child.pid());
        if (frame) ::PostMessageW(frame, WM_QUIT, 0, 0);
        if (!p->child.Wait(5000)) p->child.Kill();
    }
    programs_.clear();
    testsupport::WaitFor([] { return !MutexExists(); }, 5000);
}

Program& ShellTest::Start(const std::vector<std::wstring>& args) {
    programs_.push_back(std::make_unique<Program>());
    Program& p = *programs_.back();
    EXPECT_TRUE(p.child.Start(PONDREL_EXE, args));
    return p;
}

bool ShellTest::WaitUntilInstance(Program& p, DWORD timeoutMs) {
    DWORD start = ::GetTickCount();
    bool up = testsupport::WaitFor(
        [&] {
            p.frame = FindMainFrame(p.child.pid());
            return p.frame && MutexHeldByOther();
        },
        timeoutMs);
    if (!up) return false;
    DWORD left = timeoutMs - (::GetTickCount() - start);
    return ::WaitForInputIdle(p.child.handle(), left > timeoutMs ? 0 : left) == 0;
}

bool ShellTest::RunToEnd(const std::vector<std::wstring>& args, DWORD* exitCode, DWORD timeoutMs) {
    Program& p = Start(args);
    return p.child.Wait(timeoutMs, exitCode);
}

bool ShellTest::QuitInstance(Program& p, DWORD* exitCode, DWORD timeoutMs) {
    HWND frame = p.frame ? p.frame : FindMainFrame(p.child.pid());
    if (!frame || !::PostMessageW(frame, WM_QUIT, 0, 0)) return false;
    return p.child.Wait(timeoutMs, exitCode);
}

const std::vector<std::wstring>& ShellTest::Lines() {
    for (const std::wstring& line : viewer_.ReadNew()) {
        size_t at = line.find(L" \t ");
        lines_.push_back(line.compare(0, 10, L"(Pondrel) ") == 0 && at != std::wstring::npos ? line.substr(at + 3)
                                                                                              : line);
    }
    return lines_;
}

std::vector<std::wstring> ShellTest::LinesFrom(size_t from) {
    const auto& all = Lines();
    return from < all.size() ? std::vector<std::wstring>(all.begin() + from, all.end()) : std::vector<std::wstring>{};
}

::testing::AssertionResult InOrder(const std::vector<std::wstring>& lines, const std::vector<std::wstring>& want) {
    size_t i = 0;
    for (const std::wstring& w : want) {
        while (i < lines.size() && lines[i] != w) ++i;
        if (i == lines.size()) {
            std::string all;
            for (const auto& l : lines) all += Utf8(l) + "\n";
            return ::testing::AssertionFailure()
                   << "missing or out of order: \"" << Utf8(w) << "\"; lines:\n" << all;
        }
        ++i;
    }
    return ::testing::AssertionSuccess();
}

bool Contains(const std::vector<std::wstring>& lines, const std::wstring& text) {
    for (const auto& l : lines)
        if (l == text) return true;
    return false;
}

}  // namespace shell
