#include "fx/ClassFactory.h"

#include <new>

#include "fx/ComBoundary.h"
#include "fx/ComInterface.h"

namespace fx {

STDMETHODIMP ClassFactory::QueryInterface(REFIID iid, void** out) {
    return ComBoundary(L"IUnknown::QueryInterface", kComFailed, [&] {
        return QueryInterfaceFor<IClassFactory>(this, iid, out);
    }, out);
}

STDMETHODIMP ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
    return ComBoundary(L"IClassFactory::CreateInstance", kComFailed, [&] {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return create_(iid, out);
    }, out);
}

STDMETHODIMP ClassFactory::LockServer(BOOL lock) {
    return ComBoundary(L"IClassFactory::LockServer", kComFailed, [&] {
        if (lock) LockModule();
        else UnlockModule();
        return S_OK;
    });
}

HRESULT GetClassObject(const ComServer& server, REFCLSID clsid, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    for (size_t i = 0; i < server.classCount; ++i) {
        const ComClass& c = server.classes[i];
        if (!IsEqualCLSID(clsid, *c.clsid)) continue;
        ClassFactory* factory = new (std::nothrow) ClassFactory(c.create);
        if (!factory) return E_OUTOFMEMORY;
        factory->AddRef();
        HRESULT hr = factory->QueryInterface(iid, out);
        factory->Release();
        return hr;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT CanUnloadNow() { return ModuleLockCount() == 0 ? S_OK : S_FALSE; }

}  // namespace fx
