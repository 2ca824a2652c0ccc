// A COM object for the fx tests: IDispatch first, IConnectionPointContainer
// second (two vtables, so the second interface's pointer differs from the
// object's start), answered by QueryInterfaceFor, with its references
// counted.  With staleOnFailure a refused query leaves a stale pointer in
// the out slot, as a careless implementation would.
#pragma once

#include <ocidl.h>

#include <cstdint>

#include "fx/ComInterface.h"

namespace fxtest {

class TwoFaced : public fx::NoTypeInfoDispatch<IDispatch>, public IConnectionPointContainer {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        HRESULT hr = fx::QueryInterfaceFor<IDispatch, IConnectionPointContainer>(this, iid, out);
        if (FAILED(hr) && out && staleOnFailure) *out = reinterpret_cast<void*>(static_cast<uintptr_t>(0xBAADF00D));
        return hr;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--refs); }
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
    STDMETHODIMP FindConnectionPoint(REFIID, IConnectionPoint**) override { return E_NOTIMPL; }

    LONG refs = 1;
    bool staleOnFailure = false;
};

}  // namespace fxtest
