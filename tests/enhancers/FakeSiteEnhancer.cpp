#include "FakeSiteEnhancer.h"

#include "TextSupport.h"

namespace fakes {
namespace {
using testsupport::Text;
}  // namespace

STDMETHODIMP FakeSiteEnhancer::IsHotSpotLink(BSTR location, BSTR href, BSTR ids, BSTR* bestGuess,
                                             VARIANT_BOOL* isHotSpot) {
    const std::wstring link = Text(href);
    linkCalls.push_back({Text(location), link, Text(ids)});
    if (fail) return E_FAIL;
    bool yes;
    std::wstring guess;
    if (linkRule) {
        yes = linkRule(link, guess);
    } else {
        yes = hotSpotLinks.count(link) != 0;
        auto found = bestGuesses.find(link);
        if (yes && found != bestGuesses.end()) guess = found->second;
    }
    if (isHotSpot) *isHotSpot = yes ? VARIANT_TRUE : VARIANT_FALSE;
    if (bestGuess) *bestGuess = guess.empty() ? nullptr : ::SysAllocString(guess.c_str());
    return S_OK;
}

STDMETHODIMP FakeSiteEnhancer::IsEnhancedDomain(BSTR domain, VARIANT_BOOL* isEnhanced) {
    domainCalls.push_back(Text(domain));
    if (fail) return E_FAIL;
    if (isEnhanced) *isEnhanced = enhancedDomains.count(Text(domain)) ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

STDMETHODIMP FakeSiteEnhancer::GetSiteEntry(LONG index, BSTR* entry) {
    ++entryCalls;
    if (index == failEntryAt) return E_FAIL;
    const bool listed = index >= 0 && static_cast<size_t>(index) < entries.size();
    if (entry) *entry = ::SysAllocString(listed ? entries[index].c_str() : L"");
    return S_OK;
}

}  // namespace fakes
