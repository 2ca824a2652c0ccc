// "startup" and the HKCU Start flag, "jscmd:" and "jcmd.txt", and the
// installer's HKLM values.
#include <fstream>
#include <iterator>

#include "app/tests/support/ShellHarness.h"

namespace shell {
namespace {

class StartFlag : public ShellTest {};

TEST_F(StartFlag, StartupProceedsOnlyWhenTheUserAllowedIt) {
    struct Case {
        const wchar_t* start;  // nullptr: no "Start" subkey
        bool proceeds;
    };
    const Case cases[] = {{nullptr, true},  {L"", true},       {L"TRUE", true}, {L"true", true},
                          {L"false", false}, {L"no", false},   {L"1", false},   {L"true ", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start ? std::string(c.start, c.start + wcslen(c.start)) : std::string("(no key)"));
        SetUserValue(L"Start", c.start);
        size_t before = LineCount();
        Program& p = Start({L"startup"});
        if (c.proceeds) {
            ASSERT_TRUE(WaitUntilInstance(p));
            DWORD code = 99;
            ASSERT_TRUE(QuitInstance(p, &code));
            EXPECT_EQ(code, 0u);
        } else {
            DWORD code = 99;
            ASSERT_TRUE(p.child.Wait(10000, &code));
            EXPECT_EQ(code, 0u);
            auto lines = LinesFrom(before);
            EXPECT_TRUE(Contains(lines, L"No Start on boot flag = true ending...."));
            EXPECT_FALSE(Contains(lines, L"Create MasterMutex"));
            EXPECT_FALSE(MutexExists());
        }
    }
    SetUserValue(L"Start", nullptr);
}

std::string FileBytes(const std::wstring& path) {
    std::string bytes;
    return testsupport::ReadWholeFile(path, bytes) ? bytes : "(missing)";
}

std::string Utf16le(const std::wstring& text) {
    std::string b;
    for (wchar_t c : text) {
        b += static_cast<char>(c & 0xFF);
        b += static_cast<char>((c >> 8) & 0xFF);
    }
    return b;
}

class Jcmd : public ShellTest {};

TEST_F(Jcmd, TokenWritesTheGuidPieceAndTheCommandExactly) {
    const std::wstring def = L"guid:64BD9E73-2C6E-4597-AC6D-B606E6725485";
    const std::wstring own = L"guid:0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0";
    struct Case {
        std::wstring token;
        std::wstring content;
    };
    const Case cases[] = {
        {L"jscmd:open(1)", def + L"open(1)"},
        {own + L"jscmd:run it", own + L"run it"},
        {L"jscmd:", def},
        {L"/jscmd:x", def + L"x"},                       // the leading "/" is not part of the token
        {L"say jscmd:\x00e9\x4e2d", def + L"\x00e9\x4e2d"},  // anything before "jscmd:" is dropped
        {L"guid:12jscmd:go", L"guid:12jscmd:go" L"go"},  // a short "guid:" token: only what it has
    };
    const std::wstring file = InstallDir() + L"\\jcmd.txt";
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.token.begin(), c.token.end()));
        ::DeleteFileW(file.c_str());
        size_t before = LineCount();
        DWORD code = 99;
        // With "shut" and nothing running, the program ends right after parsing.
        ASSERT_TRUE(RunToEnd({c.token, L"shut"}, &code, 10000));
        EXPECT_EQ(FileBytes(file), Utf16le(c.content));
        EXPECT_TRUE(InOrder(LinesFrom(before), {L"Parsing", file, L"Post = true"}));
    }
}

TEST_F(Jcmd, ANewTokenReplacesTheOldFile) {
    const std::wstring file = InstallDir() + L"\\jcmd.txt";
    DWORD code = 99;
    ASSERT_TRUE(RunToEnd({L"jscmd:a long command text", L"shut"}, &code, 10000));
    ASSERT_TRUE(RunToEnd({L"jscmd:b", L"shut"}, &code, 10000));
    EXPECT_EQ(FileBytes(file), Utf16le(L"guid:64BD9E73-2C6E-4597-AC6D-B606E6725485b"));
}

TEST_F(Jcmd, AFileThatCannotBeCreatedIsLogged) {
    const std::wstring file = InstallDir() + L"\\jcmd.txt";
    ::DeleteFileW(file.c_str());
    ASSERT_TRUE(::CreateDirectoryW(file.c_str(), nullptr));
    size_t before = LineCount();
    DWORD code = 99;
    ASSERT_TRUE(RunToEnd({L"jscmd:x", L"shut"}, &code, 10000));
    EXPECT_EQ(code, 0u);
    auto lines = LinesFrom(before);
    EXPECT_TRUE(InOrder(lines, {file, L"open fail"}));
    EXPECT_FALSE(Contains(lines, L"Post = true"));
    ::RemoveDirectoryW(file.c_str());
}

class InstallValues : public ShellTest {};

// The install directory is the second line a start logs.
std::wstring LoggedInstallDir(const std::vector<std::wstring>& lines) { return lines.size() > 1 ? lines[1] : L""; }

TEST_F(InstallValues, PathIsUsedWhenItIsAStringElseTheProgramDirectory) {
    const std::wstring longPath = L"C:\\" + std::wstring(300, L'p');
    struct Case {
        const char* name;
        int kind;  // 0 string, 1 missing, 2 DWORD
        std::wstring value;
        std::wstring logged;
    };
    const Case cases[] = {
        {"string", 0, InstallDir(), InstallDir() + L"\\"},
        {"longer than 260 bytes", 0, longPath, longPath + L"\\"},
        {"missing", 1, L"", ProgramDir() + L"\\"},
        {"empty", 0, L"", ProgramDir() + L"\\"},
        {"not a string", 2, L"", ProgramDir() + L"\\"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.kind == 0) SetInstallValue(L"path", c.value.c_str());
        if (c.kind == 1) SetInstallValue(L"path", nullptr);
        if (c.kind == 2) SetInstallDword(L"path", 42);
        size_t before = LineCount();
        DWORD code = 99;
        ASSERT_TRUE(RunToEnd({L"shut"}, &code, 10000));
        EXPECT_EQ(code, 0u);
        EXPECT_EQ(LoggedInstallDir(LinesFrom(before)), c.logged);
    }
    SetInstallValue(L"path", InstallDir().c_str());
}

}  // namespace
}  // namespace shell
