// Self-registration of an in-process COM server, written from tables: the
// module's AppID, each class's CLSID and ProgIDs, and its type library.
// Classes go machine-wide, under HKLM\Software\Classes (HKCR).
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "fx/ClassFactory.h"

namespace fx {

// One key of a registration tree.  On registration a ForceRemove key is
// deleted with its whole subtree first, then written anew.  On unregistration
// a NoRemove key stays (its listed children are still removed), a ForceRemove
// key goes with its whole subtree, and a plain key loses its listed values and
// children and goes when nothing unlisted is left below it.
struct RegKey {
    enum Kind { Plain, NoRemove, ForceRemove };

    std::wstring name;
    Kind kind = Plain;
    bool hasDefault = false;
    std::wstring defaultValue;
    std::vector<std::pair<std::wstring, std::wstring>> values;  // REG_SZ values
    std::vector<RegKey> children;

    RegKey() = default;
    explicit RegKey(std::wstring n, Kind k = Plain) : name(std::move(n)), kind(k) {}
    RegKey& Default(std::wstring v) { hasDefault = true; defaultValue = std::move(v); return *this; }
    RegKey& Value(std::wstring n, std::wstring v) { values.emplace_back(std::move(n), std::move(v)); return *this; }
    RegKey& Child(RegKey k) { children.push_back(std::move(k)); return *this; }
};

// Writes or removes trees below root.
HRESULT WriteRegistration(HKEY root, const std::vector<RegKey>& tree);
HRESULT RemoveRegistration(HKEY root, const std::vector<RegKey>& tree);

// "{XXXXXXXX-...}" in upper case, as the registry keeps GUIDs.
std::wstring GuidText(REFGUID guid);

// The two trees of a server: its AppID entries and its classes' entries.
// modulePath is the DLL's full path (InprocServer32).
std::vector<RegKey> AppIdTree(const ComServer& server);
std::vector<RegKey> ClassTree(const ComServer& server, const std::wstring& modulePath);

// The bodies of DllRegisterServer / DllUnregisterServer.  Registration writes
// the AppID entries, then the classes and the type library; unregistration
// removes the classes and the type library first, then the AppID entries.
// The thread locale is LOCALE_SYSTEM_DEFAULT (0x0800) for the duration.
HRESULT RegisterServer(const ComServer& server);
HRESULT UnregisterServer(const ComServer& server);

}  // namespace fx
