#include "Hextens/HXFirefox/FirefoxEnhancer.h"

namespace {
HRESULT Empty(BSTR* out) {
    if (!out) return S_OK;
    *out = ::SysAllocString(L"");
    return S_OK;
}
HRESULT Zero(LONG* out) {
    if (out) *out = 0;
    return S_OK;
}
}  // namespace

CFirefoxEnhancer::CFirefoxEnhancer() : dispatch_(LIBID_HXIELib, 1, 0, IID_IAction) {}

STDMETHODIMP CFirefoxEnhancer::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, IID_IAction)) {
        *out = static_cast<IAction*>(this);
    } else if (IsEqualIID(iid, IID_IFirefoxEnhancer)) {
        *out = static_cast<IFirefoxEnhancer*>(this);
    } else {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP CFirefoxEnhancer::GetTypeInfoCount(UINT* count) { return dispatch_.GetTypeInfoCount(count); }
STDMETHODIMP CFirefoxEnhancer::GetTypeInfo(UINT index, LCID lcid, ITypeInfo** out) {
    return dispatch_.GetTypeInfo(index, lcid, out);
}
STDMETHODIMP CFirefoxEnhancer::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) {
    return dispatch_.GetIDsOfNames(riid, names, count, lcid, ids);
}
STDMETHODIMP CFirefoxEnhancer::Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                                      VARIANT* result, EXCEPINFO* excepInfo, UINT* argError) {
    return dispatch_.Invoke(static_cast<IAction*>(this), id, riid, lcid, flags, params, result, excepInfo, argError);
}

STDMETHODIMP CFirefoxEnhancer::SendMsg(LONG) { return S_OK; }
STDMETHODIMP CFirefoxEnhancer::IdleLoop() { return S_OK; }
STDMETHODIMP CFirefoxEnhancer::get_enhancertype(BSTR* pVal) {
    if (pVal) *pVal = ::SysAllocString(L"Firefox Enhancer");
    return S_OK;
}
STDMETHODIMP CFirefoxEnhancer::put_enhancertype(BSTR) { return S_OK; }
STDMETHODIMP CFirefoxEnhancer::Init() { return S_OK; }
STDMETHODIMP CFirefoxEnhancer::get_NumEnhancerAreas(LONG* pVal) { return Zero(pVal); }
STDMETHODIMP CFirefoxEnhancer::get_ActiveAreaTitle(BSTR* pVal) { return Empty(pVal); }
STDMETHODIMP CFirefoxEnhancer::HotSpotTransferBegin(LONG) { return S_OK; }
STDMETHODIMP CFirefoxEnhancer::HotSpotTransferEnd() { return S_OK; }
STDMETHODIMP CFirefoxEnhancer::HotSpotTransferNext(LONG* nextId) { return Zero(nextId); }
STDMETHODIMP CFirefoxEnhancer::HaveActiveEnhancerAreas(LONG* haveActive) { return Zero(haveActive); }
STDMETHODIMP CFirefoxEnhancer::Update(LONG* haveChanges) { return Zero(haveChanges); }
STDMETHODIMP CFirefoxEnhancer::GetDomain(BSTR* name) { return Empty(name); }
STDMETHODIMP CFirefoxEnhancer::GetHRef(BSTR* ref) { return Empty(ref); }
STDMETHODIMP CFirefoxEnhancer::GetHotSpotText(BSTR* text) { return Empty(text); }
STDMETHODIMP CFirefoxEnhancer::GetSelectedText(BSTR* text) { return Empty(text); }
STDMETHODIMP CFirefoxEnhancer::GetHotSpotLeft(LONG* left) { return Zero(left); }
STDMETHODIMP CFirefoxEnhancer::GetHotSpotTop(LONG* top) { return Zero(top); }
STDMETHODIMP CFirefoxEnhancer::GetHotSpotRight(LONG* right) { return Zero(right); }
STDMETHODIMP CFirefoxEnhancer::GetHotSpotBottom(LONG* bottom) { return Zero(bottom); }
STDMETHODIMP CFirefoxEnhancer::GetSelTextLeft(LONG* left) { return Zero(left); }
STDMETHODIMP CFirefoxEnhancer::GetSelTextTop(LONG* top) { return Zero(top); }
STDMETHODIMP CFirefoxEnhancer::GetSelTextRight(LONG* right) { return Zero(right); }
STDMETHODIMP CFirefoxEnhancer::GetSelTextBottom(LONG* bottom) { return Zero(bottom); }
STDMETHODIMP CFirefoxEnhancer::TextHotSpotTransferBegin() { return S_OK; }
STDMETHODIMP CFirefoxEnhancer::TextHotSpotTransferNext(LONG* id) { return Zero(id); }
STDMETHODIMP CFirefoxEnhancer::TextHotSpotTransferEnd() { return S_OK; }
STDMETHODIMP CFirefoxEnhancer::GetContext(BSTR* context) { return Empty(context); }
STDMETHODIMP CFirefoxEnhancer::Unload() { return S_OK; }
STDMETHODIMP CFirefoxEnhancer::SetSiteEnhancer(IUnknown*) { return S_OK; }
STDMETHODIMP CFirefoxEnhancer::GetBestGuess(BSTR* bstrCannedBestGuess) { return Empty(bstrCannedBestGuess); }
STDMETHODIMP CFirefoxEnhancer::GetHotSpotPlacementFlags(LONG* flags) {
    if (flags) *flags = 255;
    return S_OK;
}
STDMETHODIMP CFirefoxEnhancer::GetSelTextPlacementFlags(LONG* flags) {
    if (flags) *flags = 255;
    return S_OK;
}
STDMETHODIMP CFirefoxEnhancer::SetConfigurationOption(LONG, VARIANT*, VARIANT*, VARIANT*, VARIANT*) { return S_OK; }
STDMETHODIMP CFirefoxEnhancer::NavigateToURL(OLE_HANDLE, BSTR*, LONG, VARIANT_BOOL* isSuccess) {
    if (isSuccess) *isSuccess = 0;
    return S_OK;
}
STDMETHODIMP CFirefoxEnhancer::UpdateForECP(IUnknown*, LONG* haveChanges) { return Zero(haveChanges); }
