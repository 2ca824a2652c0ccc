// The entry points of an in-process COM server DLL, written once:
//   FX_INPROC_SERVER_EXPORTS(kServer, nullptr)
// defines DllMain and the four COM exports for the module's ComServer table,
// each inside the COM exception boundary (fx/ComBoundary.h).
// The detach hook (or nullptr) runs at DLL_PROCESS_DETACH; processEnding is
// true when the process is terminating (DllMain's reserved argument is set),
// false when the DLL is unloaded by FreeLibrary.
#pragma once

#include <windows.h>
#include <olectl.h>

#include "fx/ClassFactory.h"
#include "fx/ComBoundary.h"
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
        return ::fx::ComBoundary(L"DllGetClassObject", ::fx::kComFailed, [&] {                               \
            return ::fx::GetClassObject((server), clsid, iid, out);                                          \
        }, out);                                                                                             \
    }                                                                                                        \
    /* A module whose state is in doubt stays loaded. */                                                     \
    STDAPI DllCanUnloadNow() {                                                                               \
        return ::fx::ComBoundary(L"DllCanUnloadNow", S_FALSE, [] { return ::fx::CanUnloadNow(); });          \
    }                                                                                                        \
    STDAPI DllRegisterServer() {                                                                             \
        return ::fx::ComBoundary(L"DllRegisterServer", ::fx::kComFailed, [] {                                \
            return ::fx::RegisterServer(server);                                                             \
        });                                                                                                  \
    }                                                                                                        \
    STDAPI DllUnregisterServer() {                                                                           \
        return ::fx::ComBoundary(L"DllUnregisterServer", ::fx::kComFailed, [] {                              \
            return ::fx::UnregisterServer(server);                                                           \
        });                                                                                                  \
    }
