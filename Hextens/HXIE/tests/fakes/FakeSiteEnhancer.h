// A site enhancer for tests: enhanced domains and hot-spot links from lists,
// best guesses per link, a failure switch, and a record of the calls.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "hosts/SiteEnhancer.h"

namespace fakeie {

class FakeSiteEnhancer : public ISiteEnhancer {
public:
    std::set<std::wstring> enhancedDomains;
    std::set<std::wstring> hotSpotLinks;
    std::map<std::wstring, std::wstring> bestGuesses;  // href -> best guess
    bool fail = false;                                 // every call answers E_FAIL

    std::vector<std::wstring> domainCalls;  // IsEnhancedDomain's domains
    struct LinkCall {
        std::wstring location, href, ids;
    };
    std::vector<LinkCall> linkCalls;
    LONG refs = 1;  // the test's own

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--refs); }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Setup(BSTR, BSTR*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Shutdown() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE IsHotSpotLink(BSTR location, BSTR href, BSTR ids, BSTR* bestGuess,
                                            VARIANT_BOOL* isHotSpot) override;
    HRESULT STDMETHODCALLTYPE IsEnhancedDomain(BSTR domain, VARIANT_BOOL* isEnhanced) override;
    HRESULT STDMETHODCALLTYPE GetSiteEntry(LONG, BSTR* entry) override;
    HRESULT STDMETHODCALLTYPE SetUserKey(BSTR*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetVersion(BSTR*) override { return S_OK; }
};

}  // namespace fakeie
