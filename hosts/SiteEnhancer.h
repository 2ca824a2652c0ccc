// ISiteEnhancer, the interface of the outside site-enhancer object, as its
// callers use it (vtable order after IDispatch's).
#pragma once

#include <windows.h>
#include <oaidl.h>

// {B54B0A2E-85B2-4192-A811-7A8DBC32A483}
MIDL_INTERFACE("B54B0A2E-85B2-4192-A811-7A8DBC32A483")
ISiteEnhancer : public IDispatch {
public:
    virtual HRESULT STDMETHODCALLTYPE Setup(BSTR siteEnhancerUrl, BSTR * settingsXml) = 0;
    virtual HRESULT STDMETHODCALLTYPE Shutdown() = 0;
    virtual HRESULT STDMETHODCALLTYPE IsHotSpotLink(BSTR location, BSTR href, BSTR ids, BSTR * bestGuess,
                                                    VARIANT_BOOL * isHotSpot) = 0;
    virtual HRESULT STDMETHODCALLTYPE IsEnhancedDomain(BSTR domain, VARIANT_BOOL * isEnhanced) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSiteEntry(LONG index, BSTR * entry) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetUserKey(BSTR * userKey) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetVersion(BSTR * version) = 0;
};
__CRT_UUID_DECL(ISiteEnhancer, 0xb54b0a2e, 0x85b2, 0x4192, 0xa8, 0x11, 0x7a, 0x8d, 0xbc, 0x32, 0xa4, 0x83)

constexpr IID IID_ISiteEnhancer = {0xb54b0a2e, 0x85b2, 0x4192, {0xa8, 0x11, 0x7a, 0x8d, 0xbc, 0x32, 0xa4, 0x83}};
