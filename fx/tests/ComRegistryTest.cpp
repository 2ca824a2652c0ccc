// Registration trees: what writing and removing leave in the registry.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "fx/ComRegistry.h"
#include "fx/Handle.h"
#include "TestSupport.h"

namespace {

using fx::RegKey;

const wchar_t kScratch[] = L"Software\\PondrelFxRegistryTest";

class ComRegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kScratch);
        ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_CURRENT_USER, kScratch, 0, nullptr, 0, KEY_ALL_ACCESS,
                                                   nullptr, root_.put(), nullptr));
    }
    void TearDown() override {
        root_.reset();
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kScratch);
    }
    std::set<std::wstring> Contents() { return testsupport::RegistryTree(HKEY_CURRENT_USER, kScratch); }
    void Add(const std::wstring& path, const wchar_t* value = nullptr) {
        fx::UniqueHKey k;
        ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(root_.get(), path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                                   nullptr, k.put(), nullptr));
        if (value)
            ::RegSetValueExW(k.get(), value, 0, REG_SZ, reinterpret_cast<const BYTE*>(L"x"), 4);
    }

    // The shape of a class registration: NoRemove parent, ForceRemove class,
    // plain ProgID key.
    std::vector<RegKey> Tree() {
        RegKey parent(L"CLSID", RegKey::NoRemove);
        parent.Child(RegKey(L"{C}", RegKey::ForceRemove)
                         .Default(L"Class")
                         .Value(L"AppID", L"{A}")
                         .Child(RegKey(L"Programmable", RegKey::ForceRemove))
                         .Child(RegKey(L"InprocServer32").Default(L"x.dll").Value(L"ThreadingModel", L"Apartment")));
        RegKey progId(L"X.Class.1");
        progId.Default(L"Class").Child(RegKey(L"CLSID").Default(L"{C}"));
        return {parent, progId};
    }

    fx::UniqueHKey root_;
};

TEST_F(ComRegistryTest, WritesEveryKeyAndValue) {
    ASSERT_EQ(S_OK, fx::WriteRegistration(root_.get(), Tree()));
    std::set<std::wstring> expected = {
        L"",
        L"\\CLSID",
        L"\\CLSID\\{C}",
        L"\\CLSID\\{C}|=Class",
        L"\\CLSID\\{C}|AppID={A}",
        L"\\CLSID\\{C}\\Programmable",
        L"\\CLSID\\{C}\\InprocServer32",
        L"\\CLSID\\{C}\\InprocServer32|=x.dll",
        L"\\CLSID\\{C}\\InprocServer32|ThreadingModel=Apartment",
        L"\\X.Class.1",
        L"\\X.Class.1|=Class",
        L"\\X.Class.1\\CLSID",
        L"\\X.Class.1\\CLSID|={C}",
    };
    EXPECT_EQ(expected, Contents());
}

TEST_F(ComRegistryTest, ForceRemoveKeyIsRewrittenWithoutStaleContent) {
    Add(L"CLSID\\{C}\\Stale", L"old");
    Add(L"X.Class.1\\Other");
    ASSERT_EQ(S_OK, fx::WriteRegistration(root_.get(), Tree()));
    std::set<std::wstring> got = Contents();
    EXPECT_EQ(0u, got.count(L"\\CLSID\\{C}\\Stale"));
    // A plain key is written over, keeping what it had.
    EXPECT_EQ(1u, got.count(L"\\X.Class.1\\Other"));
}

TEST_F(ComRegistryTest, RemovalKeepsNoRemoveKeysAndUnlistedContent) {
    ASSERT_EQ(S_OK, fx::WriteRegistration(root_.get(), Tree()));
    Add(L"CLSID\\{Other}");
    Add(L"CLSID\\{C}\\InprocServer32\\Unlisted");
    ASSERT_EQ(S_OK, fx::RemoveRegistration(root_.get(), Tree()));
    std::set<std::wstring> expected = {L"", L"\\CLSID", L"\\CLSID\\{Other}"};
    EXPECT_EQ(expected, Contents());
}

TEST_F(ComRegistryTest, PlainKeyWithUnlistedSubkeyStaysWithoutItsListedParts) {
    ASSERT_EQ(S_OK, fx::WriteRegistration(root_.get(), Tree()));
    Add(L"X.Class.1\\Other");
    ASSERT_EQ(S_OK, fx::RemoveRegistration(root_.get(), Tree()));
    std::set<std::wstring> expected = {L"", L"\\CLSID", L"\\X.Class.1", L"\\X.Class.1|=Class",
                                       L"\\X.Class.1\\Other"};
    EXPECT_EQ(expected, Contents());
}

TEST_F(ComRegistryTest, RemovingWhatIsNotThereSucceeds) {
    EXPECT_EQ(S_OK, fx::RemoveRegistration(root_.get(), Tree()));
    std::set<std::wstring> expected = {L""};
    EXPECT_EQ(expected, Contents());
}

TEST(GuidText, UpperCaseWithBraces) {
    const GUID g = {0x5fa5bcf8, 0x7c6f, 0x4e28, {0x94, 0x79, 0x3a, 0xb9, 0x92, 0xf8, 0xb5, 0x79}};
    EXPECT_EQ(L"{5FA5BCF8-7C6F-4E28-9479-3AB992F8B579}", fx::GuidText(g));
}

}  // namespace
