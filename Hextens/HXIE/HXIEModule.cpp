// HXIE's module: its COM class table and the four COM exports.
#include <windows.h>
#include <olectl.h>

#include "Hextens/HXIE/Action.h"
#include "fx/ClassFactory.h"
#include "fx/ComRegistry.h"
#include "fx/InprocServer.h"

namespace {

// AppID {DD673879-655E-4658-BD71-48EB879CB6A7}
const GUID kHXIEAppId = {0xdd673879, 0x655e, 0x4658, {0xbd, 0x71, 0x48, 0xeb, 0x87, 0x9c, 0xb6, 0xa7}};

const fx::ComClass kClasses[] = {
    {&CLSID_Action, L"Action Class", L"HXIE.Action.1", L"HXIE.Action", &fx::CreateObject<CAction>},
};

const fx::ComServer kServer = {&kHXIEAppId, L"HXIE", L"HXIE.DLL", &LIBID_HXIELib, kClasses, ARRAYSIZE(kClasses)};

}  // namespace

FX_INPROC_SERVER_EXPORTS(kServer, nullptr)
