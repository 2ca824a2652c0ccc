// The plug-in's entry: PlugInMain, the setup and handshake procedures and the
// four procedures the handshake hands to the host.
#include <windows.h>

#include <algorithm>

#include "PluginModule.h"
#include "SharedData.h"
#include "log/Logger.h"

using namespace acrohost;

PluginModule g_module;

namespace {

const char kExtensionName[] = "ADBE:PondrelHXAcrobat";

// The Core table's version is fixed at 0x20000 at setup, so this holds; a
// failure names the check and where it stands.
bool CoreVersionHolds(int line) {
    if (g_module.coreVersion >= kCoreVersion) return true;
    LogMessage(L"(%s) Check failed: %S (%S, line %d)", kAcrobatModuleName, "gCoreVersion >=CoreHFT_VERSION_2",
               "..\\sources\\PondrelHXAcrobatInit", line);
    return false;
}

class HostTableSource : public TableSource {
public:
    Atom AtomOf(const char* name) override { return ::AtomOf(name); }
    Table Request(Atom name, Version v) override {
        return HostCall<core::RequestTable>(g_module.core, core::kRequestTable, name, v);
    }
    Version VersionOf(Table support, Table t) override {
        return HostCall<support::TableVersion>(support, support::kTableVersion, t);
    }
};

HostBool ACROHOST_CALL ExportTables() {
    g_module.exportedTables = true;
    return true;
}

HostBool ACROHOST_CALL ImportReplaceAndRegister() {
    g_module.replacedAndRegistered = true;
    return true;
}

HostBool ACROHOST_CALL Init() {
    PluginInit();
    return true;
}

HostBool ACROHOST_CALL Unload() {
    PluginUnload();
    return true;
}

HostBool ACROHOST_CALL Handshake(Version version, HandshakeData* data) {
    if (version != kHandshakeVersion || !data) return false;
    if (!CoreVersionHolds(122)) return false;
    data->extensionName = AtomOf(kExtensionName);
    if (!CoreVersionHolds(152)) return false;
    data->exportTables = MakeCallback(&ExportTables);
    if (!CoreVersionHolds(159)) return false;
    data->importReplaceAndRegister = MakeCallback(&ImportReplaceAndRegister);
    if (!CoreVersionHolds(162)) return false;
    data->init = MakeCallback(&Init);
    if (!CoreVersionHolds(165)) return false;
    data->unload = MakeCallback(&Unload);
    return true;
}

HostBool ACROHOST_CALL Setup(Version version, SetupData* data) {
    if (version != kHandshakeVersion || !data || data->handshakeVersion != kHandshakeVersion) return false;
    if (!data->core) return false;
    g_module.extension = data->extension;
    g_module.core = data->core;
    g_module.coreVersion = kCoreVersion;
    g_module.tables = ModuleTables{};
    HostTableSource host;
    if (!ImportAllTables(host, g_module.tables)) return false;
    data->handshake = MakeCallback(&Handshake);
    return data->handshake != nullptr;
}

}  // namespace

extern "C" HostBool __stdcall PlugInMain(Version hostVersion, Version* handshakeVersion, SetupProc* setup,
                                         const WindowsData* windowsData) {
    if (windowsData) g_module.windows = *windowsData;
    if (handshakeVersion) *handshakeVersion = std::min<Version>(hostVersion, kHandshakeVersion);
    if (setup) *setup = &Setup;
    return true;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        ::DisableThreadLibraryCalls(instance);
        g_module.instance = instance;
    }
    return TRUE;
}
