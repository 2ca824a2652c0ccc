// The default browser's path for each registry set-up, written into this
// test's own Wine prefix.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/core/common/SharedUtilities.h"

namespace {

const wchar_t kUserChoice[] = L"Software\\Microsoft\\Windows\\Shell\\Associations\\UrlAssociations\\http\\UserChoice";
const wchar_t kMozilla[] = L"Software\\Mozilla\\Mozilla Firefox";

void SetString(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    HKEY k = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr), ERROR_SUCCESS);
    ::RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(k);
}

// Writes the bytes of text without a terminator.
void SetUnterminated(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& text) {
    HKEY k = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr), ERROR_SUCCESS);
    ::RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.data()),
                     static_cast<DWORD>(text.size() * sizeof(wchar_t)));
    ::RegCloseKey(k);
}

void Clean() {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kUserChoice);
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kMozilla);
    ::RegDeleteTreeW(HKEY_CLASSES_ROOT, L"Applications\\iexplore.exe");
    ::RegDeleteTreeW(HKEY_CLASSES_ROOT, L"http\\shell\\open\\command");
}

const wchar_t kIE[] = L"\"C:\\Program Files\\Internet Explorer\\iexplore.exe\"";
const wchar_t kFox[] = L"C:\\Program Files\\Mozilla Firefox\\firefox.exe";
const wchar_t kDefault[] = L"\"C:\\windows\\system32\\winebrowser.exe\"";

TEST(GetDefaultBrowserPath, EachRegistrySetUp) {
    struct Case {
        const char* what;
        const wchar_t* progId;  // null: no user choice
        bool mozillaKey;
        const wchar_t* expected;
    } cases[] = {
        {"no user choice: the http command", nullptr, true, kDefault},
        {"empty user choice: the http command", L"", true, kDefault},
        {"Internet Explorer chosen", L"IE.HTTP", true, kIE},
        {"another browser counts as Internet Explorer", L"ChromeHTML", true, kIE},
        {"Firefox chosen", L"FirefoxURL", true, kFox},
        {"Firefox, compared ignoring case", L"firefoxurl", true, kFox},
        {"Firefox chosen without its key: the http command", L"FirefoxURL", false, kDefault},
    };
    for (const Case& c : cases) {
        Clean();
        SetString(HKEY_CLASSES_ROOT, L"http\\shell\\open\\command", nullptr, std::wstring(kDefault) + L" -nohome %1");
        SetString(HKEY_CLASSES_ROOT, L"Applications\\iexplore.exe\\shell\\open\\command", nullptr,
                  std::wstring(kIE) + L" -nohome");
        if (c.progId) SetString(HKEY_CURRENT_USER, kUserChoice, L"Progid", c.progId);
        if (c.mozillaKey) {
            SetString(HKEY_LOCAL_MACHINE, kMozilla, L"CurrentVersion", L"3.6 (en-US)");
            SetString(HKEY_LOCAL_MACHINE, std::wstring(kMozilla) + L"\\3.6 (en-US)\\Main", L"PathToExe", kFox);
        }
        EXPECT_EQ(GetDefaultBrowserPath(), c.expected) << c.what;
    }
    Clean();
    EXPECT_EQ(GetDefaultBrowserPath(), L"") << "no key at all";
}

TEST(GetDefaultBrowserPath, UnterminatedStringsAreReadWhole) {
    Clean();
    // A user choice stored without its terminator, followed in memory by
    // whatever comes: still exactly "FirefoxURL".
    SetUnterminated(HKEY_CURRENT_USER, kUserChoice, L"Progid", L"FirefoxURL");
    SetUnterminated(HKEY_LOCAL_MACHINE, kMozilla, L"CurrentVersion", L"3.6");
    SetUnterminated(HKEY_LOCAL_MACHINE, std::wstring(kMozilla) + L"\\3.6\\Main", L"PathToExe", kFox);
    EXPECT_EQ(GetDefaultBrowserPath(), kFox);
    std::wstring text;
    EXPECT_TRUE(ReadRegistryString(HKEY_CURRENT_USER, kUserChoice, L"Progid", &text));
    EXPECT_EQ(text, L"FirefoxURL");
    EXPECT_FALSE(ReadRegistryString(HKEY_CURRENT_USER, kUserChoice, L"Missing", &text));
    Clean();
}

}  // namespace
