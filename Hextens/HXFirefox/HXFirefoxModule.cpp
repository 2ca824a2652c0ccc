// HXFirefox's module: its COM class table and the four COM exports.
#include <windows.h>
#include <olectl.h>

#include "Hextens/HXFirefox/FirefoxEnhancer.h"
#include "Hextens/HXFirefox/FirefoxModule.h"
#include "fx/ClassFactory.h"
#include "fx/ComRegistry.h"
#include "fx/InprocServer.h"

namespace {

// AppID {B0EEADAE-4AEA-41B4-954C-A3B9FF951250}
const GUID kHXFirefoxAppId = {0xb0eeadae, 0x4aea, 0x41b4, {0x95, 0x4c, 0xa3, 0xb9, 0xff, 0x95, 0x12, 0x50}};

const fx::ComClass kClasses[] = {
    {&CLSID_FirefoxEnhancer, L"FirefoxEnhancer Class", L"HXFirefox.FirefoxEnhancer.1", L"HXFirefox.FirefoxEnhancer",
     &fx::CreateObject<CFirefoxEnhancer>},
};

const fx::ComServer kServer = {&kHXFirefoxAppId,    L"HXFirefox", L"HXFirefox.DLL",
                               &LIBID_HXFirefoxLib, kClasses,     ARRAYSIZE(kClasses)};

// The application object's exit: the enhancer lets go of the alive
// events, list locks and the channel's presence flag even when the
// main program never called Unload.  At process termination only
// what needs no wait and no log line.
void OnDetach(bool processEnding) {
    if (processEnding) ReleaseAtProcessExit();
    else ReleaseEnhancer();
}

}  // namespace

FX_INPROC_SERVER_EXPORTS(kServer, &OnDetach)
