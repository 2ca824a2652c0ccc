// The class factory of an in-process server and the module's class table.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <cstddef>

#include "fx/ComModule.h"

namespace fx {

using CreateInstanceFn = HRESULT (*)(REFIID iid, void** out);

// One creatable class of the module.
struct ComClass {
    const CLSID* clsid;
    const wchar_t* description;               // "Action Class"
    const wchar_t* progId;                    // "HXIE.Action.1"
    const wchar_t* versionIndependentProgId;  // "HXIE.Action"
    CreateInstanceFn create;                  // usually CreateObject<T>
};

// What an in-process server registers and serves.
struct ComServer {
    const GUID* appId;          // none: no AppID entries
    const wchar_t* appName;     // default value of the AppID key, "HXIE"
    const wchar_t* moduleKey;   // file name key under AppID, "HXIE.DLL"
    const GUID* libId;          // the type library embedded as TYPELIB 1; none: no library
    const ComClass* classes;
    size_t classCount;
};

class ClassFactory : public IClassFactory, private ModuleObject {
public:
    explicit ClassFactory(CreateInstanceFn create) : create_(create) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return AddRefObject(); }
    STDMETHODIMP_(ULONG) Release() override { return ReleaseObject(); }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
    STDMETHODIMP LockServer(BOOL lock) override;

private:
    CreateInstanceFn create_;
};

// The bodies of the DLL exports DllGetClassObject and DllCanUnloadNow.
HRESULT GetClassObject(const ComServer& server, REFCLSID clsid, REFIID iid, void** out);
HRESULT CanUnloadNow();

}  // namespace fx
