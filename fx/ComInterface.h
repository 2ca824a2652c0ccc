// The IUnknown::QueryInterface and plain IDispatch bodies the module's
// objects share.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "fx/ComBoundary.h"

namespace fx {

// In QueryInterfaceFor's list: interface I answered with the object's Base
// (for an I such as IDispatch that the object inherits along several bases).
template <class I, class Base>
struct Via {};

namespace detail {
template <class I>
struct QiEntry {
    static const IID& iid() { return __uuidof(I); }
    template <class T>
    static void* cast(T* self) { return static_cast<I*>(self); }
};
template <class I, class Base>
struct QiEntry<Via<I, Base>> {
    static const IID& iid() { return __uuidof(I); }
    template <class T>
    static void* cast(T* self) { return static_cast<I*>(static_cast<Base*>(self)); }
};
}  // namespace detail

// Answers QueryInterface for IUnknown and for each listed interface of self
// (named by __uuidof, or Via<I, Base>); the first one stands for IUnknown.
// A found interface is handed out with a reference, anything else is
// E_NOINTERFACE.
template <class First, class... Rest, class T>
HRESULT QueryInterfaceFor(T* self, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    void* found = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, detail::QiEntry<First>::iid()))
        found = detail::QiEntry<First>::cast(self);
    else
        (void)((IsEqualIID(iid, detail::QiEntry<Rest>::iid()) && (found = detail::QiEntry<Rest>::cast(self)) != nullptr) ||
               ...);
    *out = found;
    if (!found) return E_NOINTERFACE;
    static_cast<IUnknown*>(found)->AddRef();
    return S_OK;
}

// The IDispatch half of an interface I that offers no type information and
// no names: late-bound callers find nothing to call.
template <class I>
class NoTypeInfoDispatch : public I {
public:
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        return ComBoundary(L"IDispatch::GetTypeInfoCount", kComFailed, [&] {
            if (count) *count = 0;
            return S_OK;
        }, count);
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** out) override {
        return ComBoundary(L"IDispatch::GetTypeInfo", kComFailed, [&] {
            if (out) *out = nullptr;
            return DISP_E_BADINDEX;
        }, out);
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return ComBoundary(L"IDispatch::GetIDsOfNames", kComFailed, [&] { return DISP_E_UNKNOWNNAME; });
    }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return ComBoundary(L"IDispatch::Invoke", kComFailed, [&] { return DISP_E_MEMBERNOTFOUND; });
    }
};

}  // namespace fx
