// An in-process site enhancer for tests: enhanced domains and hot-spot links
// from lists (or a link rule), best guesses per link, site entries, failure
// switches, and a record of the calls.  The test owns the object; its
// reference count is only counted.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "fx/ComInterface.h"
#include "hosts/SiteEnhancer.h"

namespace fakes {

class FakeSiteEnhancer : public fx::NoTypeInfoDispatch<ISiteEnhancer> {
public:
    std::set<std::wstring> enhancedDomains;
    std::set<std::wstring> hotSpotLinks;
    std::map<std::wstring, std::wstring> bestGuesses;  // href -> best guess
    // When set, decides each link in place of hotSpotLinks / bestGuesses:
    // answers whether href is a hot spot and sets its guess (none when empty).
    std::function<bool(const std::wstring& href, std::wstring& guess)> linkRule;
    std::vector<std::wstring> entries;  // GetSiteEntry's answers; "" past the end
    LONG failEntryAt = -1;              // GetSiteEntry fails at this index
    bool fail = false;                  // IsHotSpotLink and IsEnhancedDomain answer E_FAIL
    bool answersSiteEnhancer = true;    // false: an object that is no site enhancer

    std::vector<std::wstring> domainCalls;  // IsEnhancedDomain's domains
    struct LinkCall {
        std::wstring location, href, ids;
    };
    std::vector<LinkCall> linkCalls;
    int entryCalls = 0;
    LONG refs = 1;  // the test's own

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!answersSiteEnhancer) {
            if (!out) return E_POINTER;
            *out = nullptr;
            return E_NOINTERFACE;
        }
        return fx::QueryInterfaceFor<ISiteEnhancer, IDispatch>(this, iid, out);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++refs); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--refs); }
    STDMETHODIMP Setup(BSTR, BSTR*) override { return S_OK; }
    STDMETHODIMP Shutdown() override { return S_OK; }
    STDMETHODIMP IsHotSpotLink(BSTR location, BSTR href, BSTR ids, BSTR* bestGuess, VARIANT_BOOL* isHotSpot) override;
    STDMETHODIMP IsEnhancedDomain(BSTR domain, VARIANT_BOOL* isEnhanced) override;
    STDMETHODIMP GetSiteEntry(LONG index, BSTR* entry) override;
    STDMETHODIMP SetUserKey(BSTR*) override { return S_OK; }
    STDMETHODIMP SetVersion(BSTR*) override { return S_OK; }
};

}  // namespace fakes

// The HXIE action tests' name for it.
namespace fakeie {
using FakeSiteEnhancer = fakes::FakeSiteEnhancer;
}  // namespace fakeie
