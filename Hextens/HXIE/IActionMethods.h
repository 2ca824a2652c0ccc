// The members of IAction, declared once for every class that implements it,
// and the bodies the implementations share (namespace iaction):
//   class CAction : public IAction { ... IACTION_METHODS ... };
// Each body runs inside fx::ComBoundary with iaction::kOnException.
#pragma once

#define IACTION_METHODS                                                                                             \
    STDMETHODIMP SendMsg(LONG msg_id) override;                                                                     \
    STDMETHODIMP IdleLoop() override;                                                                               \
    STDMETHODIMP get_enhancertype(BSTR* pVal) override;                                                             \
    STDMETHODIMP put_enhancertype(BSTR value) override;                                                             \
    STDMETHODIMP Init() override;                                                                                   \
    STDMETHODIMP get_NumEnhancerAreas(LONG* pVal) override;                                                         \
    STDMETHODIMP get_ActiveAreaTitle(BSTR* pVal) override;                                                          \
    STDMETHODIMP HotSpotTransferBegin(LONG id) override;                                                            \
    STDMETHODIMP HotSpotTransferEnd() override;                                                                     \
    STDMETHODIMP HotSpotTransferNext(LONG* nextId) override;                                                        \
    STDMETHODIMP HaveActiveEnhancerAreas(LONG* haveActive) override;                                                \
    STDMETHODIMP Update(LONG* haveChanges) override;                                                                \
    STDMETHODIMP GetDomain(BSTR* name) override;                                                                    \
    STDMETHODIMP GetHRef(BSTR* ref) override;                                                                       \
    STDMETHODIMP GetHotSpotText(BSTR* text) override;                                                               \
    STDMETHODIMP GetSelectedText(BSTR* text) override;                                                              \
    STDMETHODIMP GetHotSpotLeft(LONG* left) override;                                                               \
    STDMETHODIMP GetHotSpotTop(LONG* top) override;                                                                 \
    STDMETHODIMP GetHotSpotRight(LONG* right) override;                                                             \
    STDMETHODIMP GetHotSpotBottom(LONG* bottom) override;                                                           \
    STDMETHODIMP GetSelTextLeft(LONG* left) override;                                                               \
    STDMETHODIMP GetSelTextTop(LONG* top) override;                                                                 \
    STDMETHODIMP GetSelTextRight(LONG* right) override;                                                             \
    STDMETHODIMP GetSelTextBottom(LONG* bottom) override;                                                           \
    STDMETHODIMP TextHotSpotTransferBegin() override;                                                               \
    STDMETHODIMP TextHotSpotTransferNext(LONG* id) override;                                                        \
    STDMETHODIMP TextHotSpotTransferEnd() override;                                                                 \
    STDMETHODIMP GetContext(BSTR* context) override;                                                                \
    STDMETHODIMP Unload() override;                                                                                 \
    STDMETHODIMP SetSiteEnhancer(IUnknown* siteEnhancer) override;                                                  \
    STDMETHODIMP GetBestGuess(BSTR* bstrCannedBestGuess) override;                                                  \
    STDMETHODIMP GetHotSpotPlacementFlags(LONG* flags) override;                                                    \
    STDMETHODIMP GetSelTextPlacementFlags(LONG* flags) override;                                                    \
    STDMETHODIMP SetConfigurationOption(LONG id, VARIANT* data1, VARIANT* data2, VARIANT* data3, VARIANT* data4)    \
        override;                                                                                                   \
    STDMETHODIMP NavigateToURL(OLE_HANDLE hwndBrowser, BSTR* url, LONG navFlags, VARIANT_BOOL* isSuccess) override; \
    STDMETHODIMP UpdateForECP(IUnknown* browser, LONG* haveChanges) override;

#include <windows.h>
#include <oleauto.h>

#include <string>

#include "Hextens/HXLib/UtilityLib.h"
#include "fx/ComBoundary.h"
#include "hosts/SiteEnhancer.h"
#include "log/Logger.h"

// The IAction bodies both enhancers share.
namespace iaction {

// IAction reports no failure: a method whose body threw returns S_OK as
// every other call does, with nothing (0, an empty string) in its [out]
// parameters.
constexpr HRESULT kOnException = S_OK;

// An [out] string: a copy of text for the caller to free.
inline HRESULT Out(BSTR* out, const std::wstring& text) {
    if (out) *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return S_OK;
}

// An [out] number.
inline HRESULT Out(LONG* out, LONG value) {
    if (out) *out = value;
    return S_OK;
}

// SetSiteEnhancer: the site enhancer's ISiteEnhancer, held without a
// reference of our own (the caller keeps it alive while it calls Update;
// asked for the interface, the extra reference is returned).  NULL when none
// is given or it does not answer ISiteEnhancer (logged).
inline ISiteEnhancer* LendSiteEnhancer(IUnknown* siteEnhancer, const wchar_t* moduleName) {
    if (!siteEnhancer) return nullptr;
    ISiteEnhancer* site = nullptr;
    if (FAILED(siteEnhancer->QueryInterface(IID_ISiteEnhancer, reinterpret_cast<void**>(&site))) || !site) {
        LogMessage(L"(%s) *** The site enhancer does not answer ISiteEnhancer", moduleName);
        return nullptr;
    }
    site->Release();
    return site;
}

// SetConfigurationOption: option 1 is the server's settings text, option 2
// the ignore-words list, each a string in data1; other options are ignored.
inline HRESULT ApplyConfigurationOption(UtilityLib& utility, LONG id, const VARIANT* data1) {
    if (id != 1 && id != 2) return S_OK;
    if (!data1 || data1->vt != VT_BSTR) {
        LogMessage(L"*** Wrong data type for AddConfigurationOption(%d,...)", static_cast<int>(id));
        return S_OK;
    }
    const wchar_t* text = data1->bstrVal ? data1->bstrVal : L"";
    if (id == 1) utility.ConfigureServerInit(text);
    else utility.ConfigureIgnoreWordsList(text);
    return S_OK;
}

}  // namespace iaction
