// Owner of an automation VARIANT: initialised empty, cleared (VariantClear,
// which frees a held BSTR or releases a held interface) when it goes or is
// given a new value.  Move-only.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

namespace fx {

class Variant {
public:
    Variant() { ::VariantInit(&v_); }
    ~Variant() { ::VariantClear(&v_); }
    Variant(Variant&& o) noexcept : v_(o.v_) { ::VariantInit(&o.v_); }
    Variant& operator=(Variant&& o) noexcept {
        if (this != &o) {
            ::VariantClear(&v_);
            v_ = o.v_;
            ::VariantInit(&o.v_);
        }
        return *this;
    }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;

    // A VT_BSTR holding a copy of text (its stored length counts; a NULL BSTR
    // gives an empty string).
    static Variant FromBstr(BSTR text) {
        Variant v;
        v.v_.vt = VT_BSTR;
        v.v_.bstrVal = ::SysAllocStringLen(text, ::SysStringLen(text));
        return v;
    }
    // A VT_BSTR holding a copy of text.
    static Variant FromString(const std::wstring& text) {
        Variant v;
        v.v_.vt = VT_BSTR;
        v.v_.bstrVal = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        return v;
    }
    // A VT_I4.
    static Variant FromLong(LONG value) {
        Variant v;
        v.v_.vt = VT_I4;
        v.v_.lVal = value;
        return v;
    }

    VARIANT* get() { return &v_; }
    const VARIANT* get() const { return &v_; }
    // Address for an out-parameter; clears what was held.
    VARIANT* put() {
        ::VariantClear(&v_);
        return &v_;
    }
    VARTYPE vt() const { return v_.vt; }
    // The held string when this is a VT_BSTR ("" otherwise).
    std::wstring str() const {
        if (v_.vt != VT_BSTR || !v_.bstrVal) return std::wstring();
        return std::wstring(v_.bstrVal, ::SysStringLen(v_.bstrVal));
    }
    // Hands the VARIANT to the caller, who clears it; this one is left empty.
    VARIANT release() {
        VARIANT out = v_;
        ::VariantInit(&v_);
        return out;
    }

private:
    VARIANT v_;
};

}  // namespace fx
