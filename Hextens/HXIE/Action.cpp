#include "Hextens/HXIE/Action.h"

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

CAction::CAction()
    : fx::DispatchImpl<IAction>(LIBID_HXIELib, 1, 0, IID_IAction),
      fx::SingleConnectionPointContainer(DIID__IActionEvents) {}

STDMETHODIMP CAction::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, IID_IAction)) {
        *out = static_cast<IAction*>(this);
    } else if (IsEqualIID(iid, IID_IConnectionPointContainer)) {
        *out = static_cast<IConnectionPointContainer*>(this);
    } else {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP CAction::SendMsg(LONG) { return S_OK; }
STDMETHODIMP CAction::IdleLoop() { return S_OK; }
STDMETHODIMP CAction::get_enhancertype(BSTR* pVal) {
    if (pVal) *pVal = ::SysAllocString(L"Internet Explorer Enhancer");
    return S_OK;
}
STDMETHODIMP CAction::put_enhancertype(BSTR) { return S_OK; }
STDMETHODIMP CAction::Init() { return S_OK; }
STDMETHODIMP CAction::get_NumEnhancerAreas(LONG* pVal) { return Zero(pVal); }
STDMETHODIMP CAction::get_ActiveAreaTitle(BSTR* pVal) { return Empty(pVal); }
STDMETHODIMP CAction::HotSpotTransferBegin(LONG) { return S_OK; }
STDMETHODIMP CAction::HotSpotTransferEnd() { return S_OK; }
STDMETHODIMP CAction::HotSpotTransferNext(LONG* nextId) { return Zero(nextId); }
STDMETHODIMP CAction::HaveActiveEnhancerAreas(LONG* haveActive) { return Zero(haveActive); }
STDMETHODIMP CAction::Update(LONG* haveChanges) { return Zero(haveChanges); }
STDMETHODIMP CAction::GetDomain(BSTR* name) { return Empty(name); }
STDMETHODIMP CAction::GetHRef(BSTR* ref) { return Empty(ref); }
STDMETHODIMP CAction::GetHotSpotText(BSTR* text) { return Empty(text); }
STDMETHODIMP CAction::GetSelectedText(BSTR* text) { return Empty(text); }
STDMETHODIMP CAction::GetHotSpotLeft(LONG* left) { return Zero(left); }
STDMETHODIMP CAction::GetHotSpotTop(LONG* top) { return Zero(top); }
STDMETHODIMP CAction::GetHotSpotRight(LONG* right) { return Zero(right); }
STDMETHODIMP CAction::GetHotSpotBottom(LONG* bottom) { return Zero(bottom); }
STDMETHODIMP CAction::GetSelTextLeft(LONG* left) { return Zero(left); }
STDMETHODIMP CAction::GetSelTextTop(LONG* top) { return Zero(top); }
STDMETHODIMP CAction::GetSelTextRight(LONG* right) { return Zero(right); }
STDMETHODIMP CAction::GetSelTextBottom(LONG* bottom) { return Zero(bottom); }
STDMETHODIMP CAction::TextHotSpotTransferBegin() { return S_OK; }
STDMETHODIMP CAction::TextHotSpotTransferNext(LONG* id) { return Zero(id); }
STDMETHODIMP CAction::TextHotSpotTransferEnd() { return S_OK; }
STDMETHODIMP CAction::GetContext(BSTR* context) { return Empty(context); }
STDMETHODIMP CAction::Unload() { return S_OK; }
STDMETHODIMP CAction::SetSiteEnhancer(IUnknown*) { return S_OK; }
STDMETHODIMP CAction::GetBestGuess(BSTR* bstrCannedBestGuess) { return Empty(bstrCannedBestGuess); }
STDMETHODIMP CAction::GetHotSpotPlacementFlags(LONG* flags) {
    if (flags) *flags = 255;
    return S_OK;
}
STDMETHODIMP CAction::GetSelTextPlacementFlags(LONG* flags) {
    if (flags) *flags = 255;
    return S_OK;
}
STDMETHODIMP CAction::SetConfigurationOption(LONG, VARIANT*, VARIANT*, VARIANT*, VARIANT*) { return S_OK; }
STDMETHODIMP CAction::NavigateToURL(OLE_HANDLE, BSTR*, LONG, VARIANT_BOOL* isSuccess) {
    if (isSuccess) *isSuccess = 0;
    return S_OK;
}
STDMETHODIMP CAction::UpdateForECP(IUnknown*, LONG* haveChanges) { return Zero(haveChanges); }
