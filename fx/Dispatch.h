// IDispatch through a type library: the type information of one interface,
// taken from the module's own embedded library when it is that library, else
// from the registered one (by LIBID and version).
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "fx/ComBoundary.h"
#include "fx/Handle.h"

namespace fx {

class TypeInfoDispatch {
public:
    // lcid: the locale the library is registered under (the project's
    // libraries are 0x409).
    TypeInfoDispatch(REFGUID libId, WORD major, WORD minor, REFIID iid, LCID lcid = 0x409)
        : libId_(libId), major_(major), minor_(minor), lcid_(lcid), iid_(iid) {}
    TypeInfoDispatch(const TypeInfoDispatch&) = delete;
    TypeInfoDispatch& operator=(const TypeInfoDispatch&) = delete;

    // Loaded on first use and kept.
    HRESULT GetTypeInfo(ITypeInfo** out);

    // The IDispatch members; self is the interface the type information describes.
    HRESULT GetTypeInfoCount(UINT* count);
    HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** out);
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids);
    HRESULT Invoke(void* self, DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                   VARIANT* result, EXCEPINFO* excepInfo, UINT* argError);

private:
    HRESULT Load();

    GUID libId_;
    WORD major_, minor_;
    LCID lcid_;
    IID iid_;
    ComPtr<ITypeInfo> info_;
};

// Implements the IDispatch half of a dual interface I described in libId.
template <class I>
class DispatchImpl : public I {
protected:
    DispatchImpl(REFGUID libId, WORD major, WORD minor, REFIID iid, LCID lcid = 0x409)
        : dispatch_(libId, major, minor, iid, lcid) {}

public:
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        return ComBoundary(L"IDispatch::GetTypeInfoCount", kComFailed, [&] {
            return dispatch_.GetTypeInfoCount(count);
        }, count);
    }
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** out) override {
        return ComBoundary(L"IDispatch::GetTypeInfo", kComFailed, [&] {
            return dispatch_.GetTypeInfo(index, lcid, out);
        }, out);
    }
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override {
        return ComBoundary(L"IDispatch::GetIDsOfNames", kComFailed, [&] {
            return dispatch_.GetIDsOfNames(riid, names, count, lcid, ids);
        });
    }
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excepInfo, UINT* argError) override {
        return ComBoundary(L"IDispatch::Invoke", kComFailed, [&] {
            return dispatch_.Invoke(static_cast<I*>(this), id, riid, lcid, flags, params, result, excepInfo,
                                    argError);
        });
    }

private:
    TypeInfoDispatch dispatch_;
};

}  // namespace fx
