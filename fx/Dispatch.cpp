#include "fx/Dispatch.h"

#include <oleauto.h>

#include "fx/ComModule.h"

namespace fx {

HRESULT TypeInfoDispatch::Load() {
    if (info_) return S_OK;
    ComPtr<ITypeLib> lib;
    HRESULT hr = ::LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, lib.put());
    if (SUCCEEDED(hr)) {
        TLIBATTR* attr = nullptr;
        bool same = false;
        if (SUCCEEDED(lib->GetLibAttr(&attr))) {
            same = IsEqualGUID(attr->guid, libId_);
            lib->ReleaseTLibAttr(attr);
        }
        if (!same) lib.reset();
    }
    if (!lib && FAILED(hr = ::LoadRegTypeLib(libId_, major_, minor_, lcid_, lib.put()))) return hr;
    return lib->GetTypeInfoOfGuid(iid_, info_.put());
}

HRESULT TypeInfoDispatch::GetTypeInfo(ITypeInfo** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    FX_RETURN_IF_FAILED(Load());
    *out = info_.get();
    (*out)->AddRef();
    return S_OK;
}

HRESULT TypeInfoDispatch::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
}

HRESULT TypeInfoDispatch::GetTypeInfo(UINT index, LCID, ITypeInfo** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    return GetTypeInfo(out);
}

HRESULT TypeInfoDispatch::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    FX_RETURN_IF_FAILED(Load());
    return ::DispGetIDsOfNames(info_.get(), names, count, ids);
}

HRESULT TypeInfoDispatch::Invoke(void* self, DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                 VARIANT* result, EXCEPINFO* excepInfo, UINT* argError) {
    if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    FX_RETURN_IF_FAILED(Load());
    return info_->Invoke(self, id, flags, params, result, excepInfo, argError);
}

}  // namespace fx
