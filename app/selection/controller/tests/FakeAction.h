// An in-process IAction for the controller's tests: answers from its fields
// and records every call ("Update", "GetSelTextLeft", ...) in order.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "Hextens/HXIE/HXIE.h"

namespace fake {

struct Piece {
    RECT rect{};
    std::wstring text, context, bestGuess, domain, href;
};

class FakeAction : public IAction {
public:
    explicit FakeAction(std::vector<std::wstring>* calls = nullptr, std::wstring tag = L"") : calls_(calls), tag_(tag) {}
    virtual ~FakeAction() = default;

    // The script.
    LONG bits = 0;
    LONG active = 1;
    std::wstring title, type = L"Fake";
    std::vector<Piece> selections, hotSpots;
    VARIANT_BOOL navigate = 0;
    bool endless = false;  // ...TransferNext never answers 0: the pieces repeat
    std::map<std::wstring, HRESULT> fail;  // method -> failure code
    std::map<std::wstring, int> throwAt;   // method -> its call that throws (1 = the first)
    std::vector<std::wstring> navigatedUrls;

    LONG refs() const { return refs_; }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, IID_IAction)) {
            *out = static_cast<IAction*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override { return --refs_; }
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override { return E_NOTIMPL; }

    STDMETHODIMP SendMsg(LONG) override { return Call(L"SendMsg"); }
    STDMETHODIMP IdleLoop() override { return Call(L"IdleLoop"); }
    STDMETHODIMP get_enhancertype(BSTR* out) override { return Text(L"get_enhancertype", out, type); }
    STDMETHODIMP put_enhancertype(BSTR) override { return Call(L"put_enhancertype"); }
    STDMETHODIMP Init() override { return Call(L"Init"); }
    STDMETHODIMP get_NumEnhancerAreas(LONG* out) override { return Long(L"get_NumEnhancerAreas", out, active); }
    STDMETHODIMP get_ActiveAreaTitle(BSTR* out) override { return Text(L"get_ActiveAreaTitle", out, title); }
    STDMETHODIMP HotSpotTransferBegin(LONG id) override {
        list_ = &hotSpots;
        at_ = -1;
        return Call(L"HotSpotTransferBegin " + std::to_wstring(id));
    }
    STDMETHODIMP HotSpotTransferEnd() override { return Call(L"HotSpotTransferEnd"); }
    STDMETHODIMP HotSpotTransferNext(LONG* out) override { return Next(L"HotSpotTransferNext", out); }
    STDMETHODIMP HaveActiveEnhancerAreas(LONG* out) override { return Long(L"HaveActiveEnhancerAreas", out, active); }
    STDMETHODIMP Update(LONG* out) override { return Long(L"Update", out, bits); }
    STDMETHODIMP GetDomain(BSTR* out) override { return Text(L"GetDomain", out, Cur().domain); }
    STDMETHODIMP GetHRef(BSTR* out) override { return Text(L"GetHRef", out, Cur().href); }
    STDMETHODIMP GetHotSpotText(BSTR* out) override { return Text(L"GetHotSpotText", out, Cur().text); }
    STDMETHODIMP GetSelectedText(BSTR* out) override { return Text(L"GetSelectedText", out, Cur().text); }
    STDMETHODIMP GetHotSpotLeft(LONG* out) override { return Long(L"GetHotSpotLeft", out, Cur().rect.left); }
    STDMETHODIMP GetHotSpotTop(LONG* out) override { return Long(L"GetHotSpotTop", out, Cur().rect.top); }
    STDMETHODIMP GetHotSpotRight(LONG* out) override { return Long(L"GetHotSpotRight", out, Cur().rect.right); }
    STDMETHODIMP GetHotSpotBottom(LONG* out) override { return Long(L"GetHotSpotBottom", out, Cur().rect.bottom); }
    STDMETHODIMP GetSelTextLeft(LONG* out) override { return Long(L"GetSelTextLeft", out, Cur().rect.left); }
    STDMETHODIMP GetSelTextTop(LONG* out) override { return Long(L"GetSelTextTop", out, Cur().rect.top); }
    STDMETHODIMP GetSelTextRight(LONG* out) override { return Long(L"GetSelTextRight", out, Cur().rect.right); }
    STDMETHODIMP GetSelTextBottom(LONG* out) override { return Long(L"GetSelTextBottom", out, Cur().rect.bottom); }
    STDMETHODIMP TextHotSpotTransferBegin() override {
        list_ = &selections;
        at_ = -1;
        return Call(L"TextHotSpotTransferBegin");
    }
    STDMETHODIMP TextHotSpotTransferNext(LONG* out) override { return Next(L"TextHotSpotTransferNext", out); }
    STDMETHODIMP TextHotSpotTransferEnd() override { return Call(L"TextHotSpotTransferEnd"); }
    STDMETHODIMP GetContext(BSTR* out) override { return Text(L"GetContext", out, Cur().context); }
    STDMETHODIMP Unload() override { return Call(L"Unload"); }
    STDMETHODIMP SetSiteEnhancer(IUnknown*) override { return Call(L"SetSiteEnhancer"); }
    STDMETHODIMP GetBestGuess(BSTR* out) override { return Text(L"GetBestGuess", out, Cur().bestGuess); }
    STDMETHODIMP GetHotSpotPlacementFlags(LONG* out) override { return Long(L"GetHotSpotPlacementFlags", out, 0); }
    STDMETHODIMP GetSelTextPlacementFlags(LONG* out) override { return Long(L"GetSelTextPlacementFlags", out, 0); }
    STDMETHODIMP SetConfigurationOption(LONG, VARIANT*, VARIANT*, VARIANT*, VARIANT*) override {
        return Call(L"SetConfigurationOption");
    }
    STDMETHODIMP NavigateToURL(OLE_HANDLE, BSTR* url, LONG, VARIANT_BOOL* ok) override {
        navigatedUrls.push_back(url && *url ? std::wstring(*url, ::SysStringLen(*url)) : std::wstring());
        *ok = navigate;
        return Call(L"NavigateToURL");
    }
    STDMETHODIMP UpdateForECP(IUnknown*, LONG* out) override { return Long(L"UpdateForECP", out, 0); }

private:
    HRESULT Call(const std::wstring& what) {
        if (calls_) calls_->push_back(tag_ + what);
        std::wstring method = what.substr(0, what.find(L' '));
        auto t = throwAt.find(method);
        if (t != throwAt.end() && ++counts_[method] == t->second) throw std::runtime_error("scripted");
        auto f = fail.find(method);
        return f == fail.end() ? S_OK : f->second;
    }
    HRESULT Long(const wchar_t* what, LONG* out, LONG value) {
        HRESULT hr = Call(what);
        *out = SUCCEEDED(hr) ? value : 0;
        return hr;
    }
    HRESULT Text(const wchar_t* what, BSTR* out, const std::wstring& value) {
        HRESULT hr = Call(what);
        *out = SUCCEEDED(hr) ? ::SysAllocStringLen(value.data(), static_cast<UINT>(value.size())) : nullptr;
        return hr;
    }
    HRESULT Next(const wchar_t* what, LONG* out) {
        HRESULT hr = Call(what);
        if (endless) {
            ++at_;
            *out = at_ + 1;
            return hr;
        }
        if (list_ && at_ < static_cast<long>(list_->size())) ++at_;
        *out = list_ && at_ < static_cast<long>(list_->size()) ? at_ + 1 : 0;
        return hr;
    }
    const Piece& Cur() const {
        static const Piece none;
        if (!list_ || list_->empty() || at_ < 0) return none;
        if (endless) return (*list_)[at_ % static_cast<long>(list_->size())];
        return at_ < static_cast<long>(list_->size()) ? (*list_)[at_] : none;
    }

    std::vector<std::wstring>* calls_;
    std::wstring tag_;
    std::map<std::wstring, int> counts_;
    LONG refs_ = 0;
    std::vector<Piece>* list_ = nullptr;
    long at_ = -1;
};

}  // namespace fake
