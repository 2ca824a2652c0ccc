#include "app/core/main/BestGuessDriver.h"

#include <oleauto.h>

#include <cwchar>
#include <vector>

#include "fx/ComString.h"
#include "fx/Variant.h"
#include "log/PondrelLog.h"

namespace {

// The exception record of a failed Invoke, freed when it goes.
struct ExcepInfo : EXCEPINFO {
    ExcepInfo() : EXCEPINFO() {}
    ~ExcepInfo() {
        ::SysFreeString(bstrSource);
        ::SysFreeString(bstrDescription);
        ::SysFreeString(bstrHelpFile);
    }
    ExcepInfo(const ExcepInfo&) = delete;
    ExcepInfo& operator=(const ExcepInfo&) = delete;
};

// The text of an answer: a string, or what converts to one.
HRESULT TextOf(VARIANT& v, std::wstring* text) {
    if (v.vt == VT_EMPTY || v.vt == VT_NULL) {
        text->clear();
        return S_OK;
    }
    fx::Variant converted;
    HRESULT hr = ::VariantChangeType(converted.put(), &v, 0, VT_BSTR);
    if (FAILED(hr)) return hr;
    *text = converted.str();
    return S_OK;
}

}  // namespace

BestGuessDriver::~BestGuessDriver() { Release(); }

void BestGuessDriver::Release() {
    if (!dispatch_) return;
    if (thread_ == ::GetCurrentThreadId()) {
        dispatch_.reset();
        return;
    }
    // The reference belongs to the creating thread's apartment: it is not
    // released from here.
    LogLine(L"BestGuess: the component is left unreleased (its thread ended inside a call)");
    dispatch_.detach();
}

HRESULT BestGuessDriver::Create(const wchar_t* progId) {
    Release();
    CLSID clsid;
    HRESULT hr = ::CLSIDFromProgID(progId, &clsid);
    if (FAILED(hr)) return hr;
    hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                            dispatch_.put_void());
    if (FAILED(hr)) {
        dispatch_.detach();  // a failed creation hands out nothing
        return hr;
    }
    thread_ = ::GetCurrentThreadId();
    return dispatch_ ? S_OK : E_NOINTERFACE;
}

HRESULT BestGuessDriver::Invoke(DISPID id, WORD flags, VARIANT* args, UINT count, VARIANT* result) {
    if (!dispatch_) return E_POINTER;
    std::vector<VARIANTARG> reversed(args, args + count);
    for (UINT i = 0; i < count; ++i) reversed[i] = args[count - 1 - i];
    DISPPARAMS params{count ? reversed.data() : nullptr, nullptr, count, 0};
    ExcepInfo excep;
    UINT argError = 0;
    HRESULT hr = dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &excep, &argError);
    if (hr == DISP_E_EXCEPTION) {
        if (excep.pfnDeferredFillIn) excep.pfnDeferredFillIn(&excep);
        if (FAILED(excep.scode)) hr = excep.scode;
    }
    return hr;
}

HRESULT BestGuessDriver::CallWithText(DISPID id, const std::wstring& text) {
    fx::Variant arg = fx::Variant::FromString(text);
    return Invoke(id, DISPATCH_METHOD, arg.get(), 1, nullptr);
}

HRESULT BestGuessDriver::CallWithTextRef(DISPID id, const std::wstring& text) {
    fx::Bstr value;
    if (!text.empty()) value = fx::Bstr(text);
    VARIANT arg;
    ::VariantInit(&arg);
    arg.vt = VT_BSTR | VT_BYREF;
    arg.pbstrVal = value.inout();  // the callee may leave another string there: value frees it
    return Invoke(id, DISPATCH_METHOD, &arg, 1, nullptr);
}

HRESULT BestGuessDriver::CallWithTextRefs(DISPID id, const std::wstring& first, const std::wstring& second,
                                          const std::wstring& third) {
    fx::Bstr values[3];
    const std::wstring* texts[3] = {&first, &second, &third};
    VARIANT args[3];
    for (int i = 0; i < 3; ++i) {
        if (!texts[i]->empty()) values[i] = fx::Bstr(*texts[i]);
        ::VariantInit(&args[i]);
        args[i].vt = VT_BSTR | VT_BYREF;
        args[i].pbstrVal = values[i].inout();
    }
    return Invoke(id, DISPATCH_METHOD, args, 3, nullptr);
}

HRESULT BestGuessDriver::GetLong(DISPID id, long* value) {
    fx::Variant result;
    HRESULT hr = Invoke(id, DISPATCH_PROPERTYGET, nullptr, 0, result.put());
    if (FAILED(hr)) return hr;
    fx::Variant converted;
    hr = ::VariantChangeType(converted.put(), result.get(), 0, VT_I4);
    if (FAILED(hr)) return hr;
    *value = converted.get()->lVal;
    return S_OK;
}

HRESULT BestGuessDriver::GetText(DISPID id, std::wstring* text) {
    fx::Variant result;
    HRESULT hr = Invoke(id, DISPATCH_METHOD, nullptr, 0, result.put());
    if (FAILED(hr)) return hr;
    return TextOf(*result.get(), text);
}

HRESULT BestGuessDriver::GetTextAt(DISPID id, long index, std::wstring* text) {
    fx::Variant arg = fx::Variant::FromLong(index);
    fx::Variant result;
    HRESULT hr = Invoke(id, DISPATCH_METHOD, arg.get(), 1, result.put());
    if (FAILED(hr)) return hr;
    return TextOf(*result.get(), text);
}

std::wstring BestGuessDriver::Describe(DISPID id, HRESULT hr) {
    wchar_t text[96];
    _snwprintf(text, 95, L"BestGuess: call %ld failed: 0x%08lX", static_cast<long>(id),
               static_cast<unsigned long>(hr));
    text[95] = L'\0';
    return text;
}
