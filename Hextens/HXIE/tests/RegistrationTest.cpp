// regsvr32 of both enhancers: the exact registry entries written under
// HKLM\Software\Classes, and what unregistration leaves.  Runs in a Wine
// prefix of its own, since it removes what other tests need.
#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>

#include "Hextens/HXFirefox/HXFirefox.h"
#include "Hextens/HXIE/HXIE.h"
#include "TestSupport.h"
#include "fx/ComRegistry.h"
#include "fx/Handle.h"

namespace {

using Tree = std::set<std::wstring>;

struct Server {
    const char* label;
    const char* dll;
    const wchar_t* appId;
    const wchar_t* appName;
    const wchar_t* moduleKey;
    const wchar_t* clsid;
    const wchar_t* description;
    const wchar_t* progId;
    const wchar_t* versionIndependentProgId;
    const wchar_t* libId;
    const wchar_t* libHelp;
};

const Server kServers[] = {
    {"HXIE", HXIE_DLL, L"{DD673879-655E-4658-BD71-48EB879CB6A7}", L"HXIE", L"HXIE.DLL",
     L"{5FA5BCF8-7C6F-4E28-9479-3AB992F8B579}", L"Action Class", L"HXIE.Action.1", L"HXIE.Action",
     L"{EDE946EF-48C7-45C9-9EDD-26B28E1C5A65}", L"HXIE 1.0 Type Library"},
    {"HXFirefox", HXFIREFOX_DLL, L"{B0EEADAE-4AEA-41B4-954C-A3B9FF951250}", L"HXFirefox", L"HXFirefox.DLL",
     L"{B5BDB5FF-5288-4423-A77D-6418C864F6F6}", L"FirefoxEnhancer Class", L"HXFirefox.FirefoxEnhancer.1",
     L"HXFirefox.FirefoxEnhancer", L"{7D08A5CA-C61B-49BE-B98C-17A764E824B8}", L"HXFirefox 1.0 Type Library"},
};

const std::wstring kClasses = L"Software\\Classes\\";

Tree Classes(const std::wstring& path) { return testsupport::RegistryTree(HKEY_LOCAL_MACHINE, kClasses + path); }

int Regsvr32(const Server& s, bool unregister) {
    wchar_t system[MAX_PATH];
    ::GetSystemDirectoryW(system, MAX_PATH);
    std::wstring exe = std::wstring(system) + L"\\regsvr32.exe";
    std::vector<std::wstring> args = {L"/s"};
    if (unregister) args.push_back(L"/u");
    args.push_back(testsupport::WinPath(s.dll));
    return testsupport::Run(std::string(exe.begin(), exe.end()), args, 30000);
}

class Registration : public ::testing::TestWithParam<Server> {
protected:
    void SetUp() override {
        ASSERT_EQ(0, Regsvr32(GetParam(), true));
        ASSERT_EQ(0, Regsvr32(GetParam(), false));
    }
};

TEST_P(Registration, WritesExactlyTheClassEntries) {
    const Server& s = GetParam();
    const std::wstring path = testsupport::WinPath(s.dll);
    Tree clsid = {
        L"",
        std::wstring(L"|=") + s.description,
        std::wstring(L"|AppID=") + s.appId,
        L"\\InprocServer32",
        L"\\InprocServer32|=" + path,
        L"\\InprocServer32|ThreadingModel=Apartment",
        L"\\ProgID",
        std::wstring(L"\\ProgID|=") + s.progId,
        L"\\Programmable",
        L"\\TypeLib",
        std::wstring(L"\\TypeLib|=") + s.libId,
        L"\\VersionIndependentProgID",
        std::wstring(L"\\VersionIndependentProgID|=") + s.versionIndependentProgId,
    };
    EXPECT_EQ(clsid, Classes(std::wstring(L"CLSID\\") + s.clsid));

    Tree progId = {L"", std::wstring(L"|=") + s.description, L"\\CLSID", std::wstring(L"\\CLSID|=") + s.clsid};
    EXPECT_EQ(progId, Classes(s.progId));
    Tree versionIndependent = progId;
    versionIndependent.insert(L"\\CurVer");
    versionIndependent.insert(std::wstring(L"\\CurVer|=") + s.progId);
    EXPECT_EQ(versionIndependent, Classes(s.versionIndependentProgId));

    Tree appId = {L"", std::wstring(L"|=") + s.appName};
    EXPECT_EQ(appId, Classes(std::wstring(L"AppID\\") + s.appId));
    Tree moduleKey = {L"", std::wstring(L"|AppID=") + s.appId};
    EXPECT_EQ(moduleKey, Classes(std::wstring(L"AppID\\") + s.moduleKey));
}

TEST_P(Registration, RegistersTheTypeLibrary) {
    const Server& s = GetParam();
    Tree lib = Classes(std::wstring(L"TypeLib\\") + s.libId + L"\\1.0");
    EXPECT_EQ(1u, lib.count(std::wstring(L"|=") + s.libHelp));
#ifdef _WIN64
    const std::wstring platform = L"win64";
#else
    const std::wstring platform = L"win32";
#endif
    EXPECT_EQ(1u, lib.count(L"\\409\\" + platform + L"|=" + testsupport::WinPath(s.dll)));
}

TEST_P(Registration, UnregistrationRemovesItsEntries) {
    const Server& s = GetParam();
    ASSERT_EQ(0, Regsvr32(s, true));
    for (std::wstring path : {std::wstring(L"CLSID\\") + s.clsid, std::wstring(s.progId),
                              std::wstring(s.versionIndependentProgId), std::wstring(L"AppID\\") + s.appId,
                              std::wstring(L"AppID\\") + s.moduleKey, std::wstring(L"TypeLib\\") + s.libId}) {
        EXPECT_TRUE(Classes(path).empty()) << std::string(path.begin(), path.end());
    }
    // The shared parents stay (NoRemove).
    EXPECT_FALSE(Classes(L"AppID").empty());
    EXPECT_FALSE(Classes(L"CLSID").empty());
    // Unregistering again finds nothing to remove and succeeds.
    EXPECT_EQ(0, Regsvr32(s, true));
}

TEST_P(Registration, ReRegistrationReplacesTheClassKey) {
    const Server& s = GetParam();
    fx::UniqueHKey stale;
    std::wstring path = kClasses + L"CLSID\\" + s.clsid + L"\\Stale";
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                               stale.put(), nullptr));
    stale.reset();
    ASSERT_EQ(0, Regsvr32(s, false));
    EXPECT_EQ(0u, Classes(std::wstring(L"CLSID\\") + s.clsid).count(L"\\Stale"));
}

INSTANTIATE_TEST_SUITE_P(Both, Registration, ::testing::ValuesIn(kServers),
                         [](const ::testing::TestParamInfo<Server>& info) { return info.param.label; });

TEST(HXIERegistration, RegistersTheIActionInterface) {
    ASSERT_EQ(0, Regsvr32(kServers[0], false));
    const std::wstring iface = L"Interface\\" + fx::GuidText(IID_IAction);
    Tree t = Classes(iface);
    EXPECT_EQ(1u, t.count(L"|=IAction"));
    EXPECT_EQ(1u, t.count(L"\\TypeLib|=" + std::wstring(kServers[0].libId)));
    ASSERT_EQ(0, Regsvr32(kServers[0], true));
    EXPECT_TRUE(Classes(iface).empty());
}

}  // namespace
