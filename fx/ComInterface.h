// The IUnknown::QueryInterface and plain IDispatch bodies the module's
// objects share.
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace fx {

// Answers QueryInterface for IUnknown and for each listed interface of self
// (named by __uuidof); the first one stands for IUnknown.  A found interface
// is handed out with a reference, anything else is E_NOINTERFACE.
template <class First, class... Rest, class T>
HRESULT QueryInterfaceFor(T* self, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    void* found = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, __uuidof(First))) found = static_cast<First*>(self);
    else (void)((IsEqualIID(iid, __uuidof(Rest)) && (found = static_cast<Rest*>(self)) != nullptr) || ...);
    *out = found;
    if (!found) return E_NOINTERFACE;
    static_cast<First*>(self)->AddRef();
    return S_OK;
}

// The IDispatch half of an interface I that offers no type information and
// no names: late-bound callers find nothing to call.
template <class I>
class NoTypeInfoDispatch : public I {
public:
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** out) override {
        if (out) *out = nullptr;
        return DISP_E_BADINDEX;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return DISP_E_MEMBERNOTFOUND;
    }
};

}  // namespace fx
