// The stand-in site enhancer: ISiteEnhancer answered from a small rule
// script, every call recorded (rules and record format in StandIns.h).
#include <windows.h>
#include <olectl.h>

#include <string>
#include <vector>

#include "StandIns.h"
#include "TextSupport.h"
#include "fx/ClassFactory.h"
#include "fx/ComInterface.h"
#include "fx/ComModule.h"
#include "fx/ComRegistry.h"
#include "fx/InprocServer.h"
#include "hosts/SiteEnhancer.h"

namespace {

LONG g_objects = 0;

using standin::SplitKey;
using testsupport::Text;

std::wstring TextAt(BSTR* b) { return b ? (*b ? Text(*b) : L"(null)") : L"(none)"; }

std::wstring Lower(std::wstring s) {
    for (auto& c : s) c = static_cast<wchar_t>(::towlower(c));
    return s;
}

class SiteEnhancer : public fx::NoTypeInfoDispatch<ISiteEnhancer>, private fx::ModuleObject {
public:
    SiteEnhancer() : name_(L"S" + std::to_wstring(::InterlockedIncrement(&g_objects))) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (out && IsEqualIID(iid, IID_ISiteEnhancer) && Scripted(L"nullquery")) {
            *out = nullptr;
            return S_OK;
        }
        return fx::QueryInterfaceFor<ISiteEnhancer, IDispatch>(this, iid, out);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return AddRefObject(); }
    STDMETHODIMP_(ULONG) Release() override { return ReleaseObject(); }

    STDMETHODIMP Setup(BSTR url, BSTR* settings) override {
        return Call(L"Setup", {Text(url), TextAt(settings)});
    }
    STDMETHODIMP Shutdown() override { return Call(L"Shutdown", {}); }

    STDMETHODIMP IsHotSpotLink(BSTR location, BSTR href, BSTR ids, BSTR* bestGuess, VARIANT_BOOL* isHotSpot) override {
        HRESULT hr = Call(L"IsHotSpotLink", {Text(location), Text(href), Text(ids)});
        const std::wstring link = Text(href);
        bool hit = false;
        std::wstring guess;
        for (const std::wstring& line : standin::ReadScript(standin::kSiteScriptVar)) {
            std::wstring key, rest;
            if (!SplitKey(line, key, rest) || key != L"link") continue;
            std::wstring part, g;
            SplitKey(rest, part, g);
            if (part == L"*" || link.find(part) != std::wstring::npos) {
                hit = true;
                guess = g;
                break;
            }
        }
        if (isHotSpot) *isHotSpot = hit ? VARIANT_TRUE : VARIANT_FALSE;
        if (bestGuess) *bestGuess = hit ? ::SysAllocString(guess.c_str()) : nullptr;
        return hr;
    }

    STDMETHODIMP IsEnhancedDomain(BSTR domain, VARIANT_BOOL* isEnhanced) override {
        HRESULT hr = Call(L"IsEnhancedDomain", {Text(domain)});
        const std::wstring d = Lower(Text(domain));
        bool listed = false, hit = false;
        for (const std::wstring& line : standin::ReadScript(standin::kSiteScriptVar)) {
            std::wstring key, suffix;
            if (!SplitKey(line, key, suffix) || key != L"domain") continue;
            listed = true;
            suffix = Lower(suffix);
            if (d == suffix || (d.size() > suffix.size() && d.compare(d.size() - suffix.size(), suffix.size(), suffix) == 0 &&
                                d[d.size() - suffix.size() - 1] == L'.'))
                hit = true;
        }
        if (isEnhanced) *isEnhanced = (!listed || hit) ? VARIANT_TRUE : VARIANT_FALSE;
        return hr;
    }

    STDMETHODIMP GetSiteEntry(LONG index, BSTR* entry) override {
        HRESULT hr = Call(L"GetSiteEntry", {std::to_wstring(index)});
        std::vector<std::wstring> entries;
        for (const std::wstring& line : standin::ReadScript(standin::kSiteScriptVar)) {
            std::wstring key, text;
            if (SplitKey(line, key, text) && key == L"entry") entries.push_back(text);
        }
        if (entry)
            *entry = ::SysAllocString(index >= 0 && static_cast<size_t>(index) < entries.size() ? entries[index].c_str() : L"");
        return hr;
    }

    STDMETHODIMP SetUserKey(BSTR* key) override { return Call(L"SetUserKey", {TextAt(key)}); }
    STDMETHODIMP SetVersion(BSTR* version) override { return Call(L"SetVersion", {TextAt(version)}); }

private:
    static bool Scripted(const wchar_t* word) {
        for (const std::wstring& line : standin::ReadScript(standin::kSiteScriptVar))
            if (line == word) return true;
        return false;
    }

    ~SiteEnhancer() override { standin::Record(standin::kSiteLogVar, name_, L"Destroyed"); }

    // Records the call and gives the scripted result for it.
    HRESULT Call(const wchar_t* method, const std::vector<std::wstring>& args) {
        std::wstring line = method;
        for (size_t i = 0; i < args.size(); ++i) line += (i ? L" | " : L" ") + standin::Escape(args[i]);
        standin::Record(standin::kSiteLogVar, name_, line);
        for (const std::wstring& s : standin::ReadScript(standin::kSiteScriptVar)) {
            std::wstring key, rest, name, code;
            if (!SplitKey(s, key, rest) || key != L"fail") continue;
            SplitKey(rest, name, code);
            if (name == method) return static_cast<HRESULT>(std::wcstoul(code.c_str(), nullptr, 16));
        }
        return S_OK;
    }

    std::wstring name_;
};

const fx::ComClass kClasses[] = {
    {&standin::kSiteEnhancerClsid, L"Pondrel Site Enhancer Stand-in", L"PondrelTest.SiteEnhancer.1",
     L"PondrelTest.SiteEnhancer", &fx::CreateObject<SiteEnhancer>},
};
const fx::ComServer kServer = {nullptr, nullptr, nullptr, nullptr, kClasses, ARRAYSIZE(kClasses)};

}  // namespace

FX_INPROC_SERVER_EXPORTS(kServer, nullptr)
