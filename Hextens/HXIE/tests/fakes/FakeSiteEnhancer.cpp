#include "FakeSiteEnhancer.h"

namespace fakeie {
namespace {
std::wstring Text(BSTR b) { return b ? std::wstring(b, ::SysStringLen(b)) : std::wstring(); }
}  // namespace

HRESULT FakeSiteEnhancer::QueryInterface(REFIID iid, void** out) {
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_ISiteEnhancer) {
        *out = static_cast<ISiteEnhancer*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

HRESULT FakeSiteEnhancer::GetTypeInfoCount(UINT* n) {
    if (n) *n = 0;
    return S_OK;
}

HRESULT FakeSiteEnhancer::IsHotSpotLink(BSTR location, BSTR href, BSTR ids, BSTR* bestGuess,
                                        VARIANT_BOOL* isHotSpot) {
    linkCalls.push_back({Text(location), Text(href), Text(ids)});
    if (fail) return E_FAIL;
    const bool yes = hotSpotLinks.count(Text(href)) != 0;
    *isHotSpot = yes ? VARIANT_TRUE : VARIANT_FALSE;
    auto guess = bestGuesses.find(Text(href));
    if (bestGuess) *bestGuess = yes && guess != bestGuesses.end() ? ::SysAllocString(guess->second.c_str()) : nullptr;
    return S_OK;
}

HRESULT FakeSiteEnhancer::IsEnhancedDomain(BSTR domain, VARIANT_BOOL* isEnhanced) {
    domainCalls.push_back(Text(domain));
    if (fail) return E_FAIL;
    *isEnhanced = enhancedDomains.count(Text(domain)) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT FakeSiteEnhancer::GetSiteEntry(LONG, BSTR* entry) {
    if (entry) *entry = ::SysAllocString(L"");
    return S_OK;
}

}  // namespace fakeie
