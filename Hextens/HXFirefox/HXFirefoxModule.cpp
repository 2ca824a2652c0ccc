// HXFirefox's module: its COM class table and the four COM exports.
#include <windows.h>
#include <olectl.h>

#include "Hextens/HXFirefox/FirefoxEnhancer.h"
#include "Hextens/HXFirefox/FirefoxModule.h"
#include "fx/ClassFactory.h"
#include "fx/ComRegistry.h"

namespace {

// AppID {B0EEADAE-4AEA-41B4-954C-A3B9FF951250}
const GUID kHXFirefoxAppId = {0xb0eeadae, 0x4aea, 0x41b4, {0x95, 0x4c, 0xa3, 0xb9, 0xff, 0x95, 0x12, 0x50}};

const fx::ComClass kClasses[] = {
    {&CLSID_FirefoxEnhancer, L"FirefoxEnhancer Class", L"HXFirefox.FirefoxEnhancer.1", L"HXFirefox.FirefoxEnhancer",
     &fx::CreateObject<CFirefoxEnhancer>},
};

const fx::ComServer kServer = {&kHXFirefoxAppId, L"HXFirefox", L"HXFirefox.DLL", &LIBID_HXFirefoxLib, kClasses, ARRAYSIZE(kClasses)};

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void* reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        fx::SetModuleInstance(instance);
        ::DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        // The application object's exit: the enhancer lets go of the alive
        // events, list locks and the channel's presence flag even when the
        // main program never called Unload.  At process termination only
        // what needs no wait and no log line.
        if (reserved) ReleaseAtProcessExit();
        else ReleaseEnhancer();
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) { return fx::GetClassObject(kServer, clsid, iid, out); }
STDAPI DllCanUnloadNow() { return fx::CanUnloadNow(); }
STDAPI DllRegisterServer() { return fx::RegisterServer(kServer); }
STDAPI DllUnregisterServer() { return fx::UnregisterServer(kServer); }
