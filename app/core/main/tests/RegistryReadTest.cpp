// Reading the installer's and the per-user values: only string types, any
// length for the install values, always terminated.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/core/config/RegistryValues.h"
#include "fx/Handle.h"

namespace {

constexpr const wchar_t* kKey = L"Software\\Pondrel";

// Writes raw bytes as value `name` of `key` under root.
void SetRaw(HKEY root, const std::wstring& key, const wchar_t* name, DWORD type, const void* data, DWORD bytes) {
    fx::UniqueHKey k;
    ASSERT_EQ(::RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, k.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegSetValueExW(k.get(), name, 0, type, static_cast<const BYTE*>(data), bytes), ERROR_SUCCESS);
}

struct Case {
    const char* name;
    DWORD type;
    std::wstring data;   // stored as UTF-16 bytes
    bool terminated;     // the stored bytes include the terminator
    bool installOk;      // ReadInstallValue's result
    std::wstring installText;
    std::wstring userText;  // ReadRegistryValue's text
};

TEST(RegistryRead, OnlyStringsAreReadAndTheTextIsAlwaysTerminated) {
    const std::wstring url = L"http://127.0.0.1:9/init2.asp";
    const std::wstring longText(300, L'x');  // more than the 260 and 256 bytes of fixed buffers
    const Case cases[] = {
        {"string", REG_SZ, url, true, true, url, url},
        {"expandable string", REG_EXPAND_SZ, L"%TEMP%", true, true, L"%TEMP%", L"%TEMP%"},
        {"stored without its terminator", REG_SZ, L"abc", false, true, L"abc", L"abc"},
        {"empty", REG_SZ, L"", true, true, L"", L""},
        {"longer than the buffers", REG_SZ, longText, true, true, longText, L""},
        {"a number", REG_DWORD, std::wstring(L"\x002a\x0000", 2), false, false, L"", L""},
        {"binary", REG_BINARY, L"ab", false, false, L"", L""},
    };
    const std::wstring userKey = std::wstring(kKey) + L"\\ShellReadTest";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DWORD bytes = static_cast<DWORD>((c.data.size() + (c.terminated ? 1 : 0)) * sizeof(wchar_t));
        SetRaw(HKEY_LOCAL_MACHINE, kKey, L"ShellReadTest", c.type, c.data.c_str(), bytes);
        SetRaw(HKEY_CURRENT_USER, userKey, nullptr, c.type, c.data.c_str(), bytes);
        std::wstring got = L"stale";
        EXPECT_EQ(ReadInstallValue(L"ShellReadTest", got), c.installOk);
        EXPECT_EQ(got, c.installText);
        got = L"stale";
        ReadRegistryValue(L"ShellReadTest", got);
        EXPECT_EQ(got, c.userText);
    }
    fx::UniqueHKey k;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_ALL_ACCESS, k.put()) == ERROR_SUCCESS)
        ::RegDeleteValueW(k.get(), L"ShellReadTest");
    ::RegDeleteTreeW(HKEY_CURRENT_USER, userKey.c_str());

    std::wstring got = L"stale";
    EXPECT_FALSE(ReadInstallValue(L"ShellReadTest", got)) << "missing";
    EXPECT_EQ(got, L"");
    got = L"stale";
    ReadRegistryValue(L"ShellReadTest", got);
    EXPECT_EQ(got, L"");
}

TEST(RegistryRead, WritingCreatesTheUserKeyWhenMissing) {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
    WriteRegistryValue(L"value", L"ShellWriteTest");
    std::wstring got;
    ReadRegistryValue(L"ShellWriteTest", got);
    EXPECT_EQ(got, L"value");
    ::RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(kKey) + L"\\ShellWriteTest").c_str());
}

}  // namespace
