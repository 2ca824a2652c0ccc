// Loads HXFirefox.dll the way the main program does (in-process, by its
// class object), initialises one enhancer and then leaves without Unload:
//   EnhancerHost <dll> exit   ends the process with the enhancer loaded
//   EnhancerHost <dll> free   releases the object and unloads the DLL
// Exit code 0 when the enhancer had marked itself present and set its alive
// event, and, for "free", when the unload cleared the mark and the event again.
#include <windows.h>

#include "Hextens/HXFirefox/HXFirefox.h"
#include "Hextens/HXFirefox/channel/ChannelLayout.h"
#include "Hextens/HXIE/HXIE.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    ::CoInitialize(nullptr);
    HMODULE dll = ::LoadLibraryExW(argv[1], nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!dll) return 3;
    typedef HRESULT(WINAPI * GetClassObjectFn)(REFCLSID, REFIID, void**);
    auto get = reinterpret_cast<GetClassObjectFn>(::GetProcAddress(dll, "DllGetClassObject"));
    IClassFactory* factory = nullptr;
    IAction* action = nullptr;
    if (!get || FAILED(get(CLSID_FirefoxEnhancer, IID_IClassFactory, reinterpret_cast<void**>(&factory)))) return 4;
    if (FAILED(factory->CreateInstance(nullptr, IID_IAction, reinterpret_cast<void**>(&action)))) return 5;
    factory->Release();
    action->Init();

    HANDLE mapping = ::OpenFileMappingW(FILE_MAP_READ, FALSE, ffchannel::kMappingName);
    const unsigned char* block =
        mapping ? static_cast<const unsigned char*>(::MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0)) : nullptr;
    if (!block || block[0] != 1) return 6;
    HANDLE aliveNow = ::OpenEventW(SYNCHRONIZE, FALSE, ffchannel::kEnhancerAliveName);
    if (!aliveNow || ::WaitForSingleObject(aliveNow, 0) != WAIT_OBJECT_0) return 8;
    ::CloseHandle(aliveNow);

    if (wcscmp(argv[2], L"exit") == 0) ::ExitProcess(0);  // no Unload, no unload of the DLL

    action->Release();
    ::FreeLibrary(dll);
    HANDLE alive = ::OpenEventW(SYNCHRONIZE, FALSE, ffchannel::kEnhancerAliveName);
    bool stillAlive = alive && ::WaitForSingleObject(alive, 0) == WAIT_OBJECT_0;
    return block[0] == 0 && !stillAlive ? 0 : 7;
}
