// Drives the real PondRel.exe under Wine: its install values, its per-user
// values, the single-instance mutex, its hidden main frame and its log lines
// in the viewer stand-in.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/tests/support/ProgramHarness.h"
#include "TestSupport.h"
#include "ViewerLog.h"

namespace shell {

using programharness::FindMainFrame;
using programharness::FindTopLevel;
using programharness::kMutexName;
using programharness::MutexExists;
using programharness::MutexHeldByOther;
using programharness::SavedInstallValue;
using programharness::SetInstallDword;
using programharness::SetInstallValue;
using testsupport::Utf8;

// The test's install directory (HKLM "path"), without the trailing "\".
std::wstring InstallDir();
// The directory of PondRel.exe, without the trailing "\".
std::wstring ProgramDir();

// HKCU "Software\Pondrel": the whole tree, and one subkey's default value.
void DeleteUserTree();
void SetUserValue(const wchar_t* subkey, const wchar_t* value);  // nullptr deletes the subkey
bool GetUserValue(const wchar_t* subkey, std::wstring& out);

// A running (or ended) PondRel.exe.
struct Program {
    testsupport::Child child;
    HWND frame = nullptr;
};

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts PondRel.exe with the arguments.
    Program& Start(const std::vector<std::wstring>& args);
    // Waits until p is the running instance: its frame exists, it holds the
    // mutex and it idles in its message loop.
    bool WaitUntilInstance(Program& p, DWORD timeoutMs = 15000);
    // Runs PondRel.exe to its end; false when it did not end in time.
    bool RunToEnd(const std::vector<std::wstring>& args, DWORD* exitCode, DWORD timeoutMs = 15000);
    // Posts WM_QUIT to p's main window and waits for p to end.
    bool QuitInstance(Program& p, DWORD* exitCode, DWORD timeoutMs = 15000);

    // The texts of all log lines so far (without the "(Pondrel) <time> \t " prefix).
    const std::vector<std::wstring>& Lines();
    size_t LineCount() { return Lines().size(); }
    // Lines from index `from` on.
    std::vector<std::wstring> LinesFrom(size_t from);

    // The install values SetUp overwrites, given back after the test.
    SavedInstallValue path_{L"path"};
    SavedInstallValue init_{L"init"};
    ViewerLog viewer_;
    std::vector<std::unique_ptr<Program>> programs_;
    std::vector<std::wstring> lines_;
};

// Whether `want` appears in `lines` in this order (other lines may lie between).
::testing::AssertionResult InOrder(const std::vector<std::wstring>& lines, const std::vector<std::wstring>& want);
bool Contains(const std::vector<std::wstring>& lines, const std::wstring& text);

}  // namespace shell
