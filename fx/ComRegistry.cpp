#include "fx/ComRegistry.h"

#include <oleauto.h>

#include "fx/Handle.h"

namespace fx {
namespace {

const wchar_t kClassesKey[] = L"Software\\Classes";

LONG SetString(HKEY key, const wchar_t* name, const std::wstring& value) {
    return ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

bool HasSubkeys(HKEY key) {
    DWORD subkeys = 0;
    if (::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr,
                           nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return true;
    return subkeys != 0;
}

// Deletes name below parent with everything under it.
LONG DeleteTree(HKEY parent, const std::wstring& name) {
    UniqueHKey key;
    LONG rc = ::RegOpenKeyExW(parent, name.c_str(), 0, KEY_READ | KEY_WRITE, key.put());
    if (rc == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (rc != ERROR_SUCCESS) return rc;
    for (;;) {
        wchar_t child[256];
        DWORD len = ARRAYSIZE(child);
        rc = ::RegEnumKeyExW(key.get(), 0, child, &len, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS) return rc;
        rc = DeleteTree(key.get(), child);
        if (rc != ERROR_SUCCESS) return rc;
    }
    key.reset();
    return ::RegDeleteKeyW(parent, name.c_str());
}

LONG Write(HKEY parent, const RegKey& entry) {
    if (entry.kind == RegKey::ForceRemove) {
        LONG rc = DeleteTree(parent, entry.name);
        if (rc != ERROR_SUCCESS) return rc;
    }
    UniqueHKey key;
    LONG rc = ::RegCreateKeyExW(parent, entry.name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                KEY_READ | KEY_WRITE, nullptr, key.put(), nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    if (entry.hasDefault && (rc = SetString(key.get(), nullptr, entry.defaultValue)) != ERROR_SUCCESS)
        return rc;
    for (const auto& value : entry.values)
        if ((rc = SetString(key.get(), value.first.c_str(), value.second)) != ERROR_SUCCESS) return rc;
    for (const RegKey& child : entry.children)
        if ((rc = Write(key.get(), child)) != ERROR_SUCCESS) return rc;
    return ERROR_SUCCESS;
}

LONG Remove(HKEY parent, const RegKey& entry) {
    if (entry.kind == RegKey::ForceRemove) return DeleteTree(parent, entry.name);
    UniqueHKey key;
    LONG rc = ::RegOpenKeyExW(parent, entry.name.c_str(), 0, KEY_READ | KEY_WRITE, key.put());
    if (rc == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
    if (rc != ERROR_SUCCESS) return rc;
    for (const RegKey& child : entry.children)
        if ((rc = Remove(key.get(), child)) != ERROR_SUCCESS) return rc;
    for (const auto& value : entry.values) {
        rc = ::RegDeleteValueW(key.get(), value.first.c_str());
        if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) return rc;
    }
    if (entry.kind == RegKey::NoRemove) return ERROR_SUCCESS;
    bool keep = HasSubkeys(key.get());
    key.reset();
    return keep ? ERROR_SUCCESS : ::RegDeleteKeyW(parent, entry.name.c_str());
}

HRESULT OpenClassesRoot(UniqueHKey& key) {
    LONG rc = ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kClassesKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                KEY_READ | KEY_WRITE, nullptr, key.put(), nullptr);
    return HRESULT_FROM_WIN32(rc);
}

// Sets the thread locale for one scope and restores the previous one.
class ThreadLocaleScope {
public:
    explicit ThreadLocaleScope(LCID lcid) : previous_(::GetThreadLocale()) { ::SetThreadLocale(lcid); }
    ~ThreadLocaleScope() { ::SetThreadLocale(previous_); }
    ThreadLocaleScope(const ThreadLocaleScope&) = delete;
    ThreadLocaleScope& operator=(const ThreadLocaleScope&) = delete;

private:
    LCID previous_;
};

HRESULT LoadModuleTypeLib(const std::wstring& path, ComPtr<ITypeLib>& lib) {
    return ::LoadTypeLibEx(path.c_str(), REGKIND_NONE, lib.put());
}

HRESULT RegisterModuleTypeLib(const std::wstring& path) {
    ComPtr<ITypeLib> lib;
    FX_RETURN_IF_FAILED(LoadModuleTypeLib(path, lib));
    std::wstring file = path;
    return ::RegisterTypeLib(lib.get(), &file[0], nullptr);
}

HRESULT UnregisterModuleTypeLib(const std::wstring& path) {
    ComPtr<ITypeLib> lib;
    FX_RETURN_IF_FAILED(LoadModuleTypeLib(path, lib));
    TLIBATTR* attr = nullptr;
    FX_RETURN_IF_FAILED(lib->GetLibAttr(&attr));
    TLIBATTR a = *attr;
    lib->ReleaseTLibAttr(attr);
    // Nothing registered is nothing to remove.
    wchar_t version[32];
    _snwprintf(version, 32, L"\\%x.%x", a.wMajorVerNum, a.wMinorVerNum);
    const std::wstring key = std::wstring(kClassesKey) + L"\\TypeLib\\" + GuidText(a.guid) + version;
    UniqueHKey registered;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, registered.put()) != ERROR_SUCCESS)
        return S_OK;
    registered.reset();
    return ::UnRegisterTypeLib(a.guid, a.wMajorVerNum, a.wMinorVerNum, a.lcid, a.syskind);
}

}  // namespace

HRESULT WriteRegistration(HKEY root, const std::vector<RegKey>& tree) {
    for (const RegKey& key : tree) {
        LONG rc = Write(root, key);
        if (rc != ERROR_SUCCESS) return HRESULT_FROM_WIN32(rc);
    }
    return S_OK;
}

HRESULT RemoveRegistration(HKEY root, const std::vector<RegKey>& tree) {
    HRESULT result = S_OK;
    for (const RegKey& key : tree) {
        LONG rc = Remove(root, key);
        if (rc != ERROR_SUCCESS && SUCCEEDED(result)) result = HRESULT_FROM_WIN32(rc);
    }
    return result;
}

std::wstring GuidText(REFGUID guid) {
    wchar_t text[40] = {};
    ::StringFromGUID2(guid, text, ARRAYSIZE(text));
    return text;
}

std::vector<RegKey> AppIdTree(const ComServer& server) {
    if (!server.appId) return {};
    const std::wstring appId = GuidText(*server.appId);
    RegKey root(L"AppID", RegKey::NoRemove);
    root.Child(RegKey(appId).Default(server.appName));
    root.Child(RegKey(server.moduleKey).Value(L"AppID", appId));
    return {root};
}

std::vector<RegKey> ClassTree(const ComServer& server, const std::wstring& modulePath) {
    std::vector<RegKey> tree;
    RegKey clsidRoot(L"CLSID", RegKey::NoRemove);
    const std::wstring appId = server.appId ? GuidText(*server.appId) : std::wstring();
    for (size_t i = 0; i < server.classCount; ++i) {
        const ComClass& c = server.classes[i];
        const std::wstring clsid = GuidText(*c.clsid);
        tree.push_back(RegKey(c.progId).Default(c.description).Child(RegKey(L"CLSID").Default(clsid)));
        tree.push_back(RegKey(c.versionIndependentProgId)
                           .Default(c.description)
                           .Child(RegKey(L"CLSID").Default(clsid))
                           .Child(RegKey(L"CurVer").Default(c.progId)));
        RegKey key(clsid, RegKey::ForceRemove);
        key.Default(c.description)
            .Child(RegKey(L"ProgID").Default(c.progId))
            .Child(RegKey(L"VersionIndependentProgID").Default(c.versionIndependentProgId))
            .Child(RegKey(L"Programmable", RegKey::ForceRemove))
            .Child(RegKey(L"InprocServer32").Default(modulePath).Value(L"ThreadingModel", L"Apartment"));
        if (server.appId) key.Value(L"AppID", appId);
        if (server.libId) key.Child(RegKey(L"TypeLib").Default(GuidText(*server.libId)));
        clsidRoot.Child(key);
    }
    tree.push_back(clsidRoot);
    return tree;
}

HRESULT RegisterServer(const ComServer& server) {
    ThreadLocaleScope locale(LOCALE_SYSTEM_DEFAULT);
    UniqueHKey classes;
    FX_RETURN_IF_FAILED(OpenClassesRoot(classes));
    const std::wstring path = ModulePath();
    FX_RETURN_IF_FAILED(WriteRegistration(classes.get(), AppIdTree(server)));
    FX_RETURN_IF_FAILED(WriteRegistration(classes.get(), ClassTree(server, path)));
    return server.libId ? RegisterModuleTypeLib(path) : S_OK;
}

HRESULT UnregisterServer(const ComServer& server) {
    ThreadLocaleScope locale(LOCALE_SYSTEM_DEFAULT);
    UniqueHKey classes;
    FX_RETURN_IF_FAILED(OpenClassesRoot(classes));
    const std::wstring path = ModulePath();
    HRESULT result = RemoveRegistration(classes.get(), ClassTree(server, path));
    HRESULT hr = server.libId ? UnregisterModuleTypeLib(path) : S_OK;
    if (SUCCEEDED(result)) result = hr;
    hr = RemoveRegistration(classes.get(), AppIdTree(server));
    if (SUCCEEDED(result)) result = hr;
    return result;
}

}  // namespace fx
