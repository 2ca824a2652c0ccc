// Owner of an automation string (BSTR).  Move-only; frees with SysFreeString.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <utility>

namespace fx {

class Bstr {
public:
    Bstr() = default;
    // A copy of text (NULL stays NULL).
    explicit Bstr(const wchar_t* text) : b_(text ? ::SysAllocString(text) : nullptr) {}
    explicit Bstr(const std::wstring& text)
        : b_(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    ~Bstr() { reset(); }
    Bstr(Bstr&& o) noexcept : b_(o.release()) {}
    Bstr& operator=(Bstr&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;

    // Adopts b (allocated by SysAlloc*) without copying it.
    static Bstr Attach(BSTR b) {
        Bstr out;
        out.b_ = b;
        return out;
    }

    BSTR get() const { return b_; }
    // Address for an out-parameter; frees what was held.
    BSTR* put() { reset(); return &b_; }
    // Address for an in/out parameter: the callee reads the string and may
    // free it and leave another, which is then held here.
    BSTR* inout() { return &b_; }
    BSTR release() { BSTR b = b_; b_ = nullptr; return b; }
    void reset(BSTR b = nullptr) {
        if (b_ && b_ != b) ::SysFreeString(b_);
        b_ = b;
    }
    // The text (a BSTR may hold NULs; its stored length counts).
    std::wstring str() const { return b_ ? std::wstring(b_, ::SysStringLen(b_)) : std::wstring(); }

private:
    BSTR b_ = nullptr;
};

}  // namespace fx
