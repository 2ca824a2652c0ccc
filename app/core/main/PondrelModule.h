// The program's COM module: its AppID and its class objects (it has none).
#pragma once

#include <windows.h>
#include <objbase.h>

class CPondrelModule {
public:
    // {F541994C-BA50-4388-86C0-DCA44E437460}
    static constexpr GUID kAppId = {0xF541994C, 0xBA50, 0x4388, {0x86, 0xC0, 0xDC, 0xA4, 0x4E, 0x43, 0x74, 0x60}};

    // Registers the class object of every entry of the module's object map
    // (the map is empty) and revokes them again.
    HRESULT RegisterClassObjects(DWORD context, DWORD flags);
    void RevokeClassObjects();
};

extern CPondrelModule _Module;
