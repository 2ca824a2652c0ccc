// The entry points of an in-process COM server DLL, written once:
//   FX_INPROC_SERVER_EXPORTS(kServer, nullptr)
// defines DllMain and the four COM exports for the module's ComServer table.
// The detach hook (or nullptr) runs at DLL_PROCESS_DETACH; processEnding is
// true when the process is terminating (DllMain's reserved argument is set),
// false when the DLL is unloaded by FreeLibrary.
#pragma once

#include <windows.h>
#include <olectl.h>

#include "fx/ClassFactory.h"
#include "fx/ComModule.h"
#include "fx/ComRegistry.h"

namespace fx {

using DetachHook = void (*)(bool processEnding);

// The body of DllMain: records the module's instance at attach and runs the
// hook at detach; thread attach/detach calls are switched off.
inline BOOL InprocServerMain(HINSTANCE instance, DWORD reason, void* reserved, DetachHook onDetach) {
    if (reason == DLL_PROCESS_ATTACH) {
        SetModuleInstance(instance);
        ::DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH && onDetach) {
        onDetach(reserved != nullptr);
    }
    return TRUE;
}

}  // namespace fx

#define FX_INPROC_SERVER_EXPORTS(server, detachHook)                                                         \
    extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void* reserved) {                       \
        return ::fx::InprocServerMain(instance, reason, reserved, (detachHook));                             \
    }                                                                                                        \
    STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {                                      \
        return ::fx::GetClassObject((server), clsid, iid, out);                                              \
    }                                                                                                        \
    STDAPI DllCanUnloadNow() { return ::fx::CanUnloadNow(); }                                                \
    STDAPI DllRegisterServer() { return ::fx::RegisterServer(server); }                                      \
    STDAPI DllUnregisterServer() { return ::fx::UnregisterServer(server); }
