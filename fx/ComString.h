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
    explicit Bstr(const wchar_t* text) : b_(text ? ::SysAllocString(text) : nullptr) {}
    explicit Bstr(const std::wstring& text)
        : b_(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    ~Bstr() { reset(); }
    Bstr(Bstr&& o) noexcept : b_(o.release()) {}
    Bstr& operator=(Bstr&& o) noexcept { reset(o.release()); return *this; }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;

    BSTR get() const { return b_; }
    // Address for an out-parameter; frees what was held.
    BSTR* put() { reset(); return &b_; }
    BSTR release() { BSTR b = b_; b_ = nullptr; return b; }
    void reset(BSTR b = nullptr) {
        if (b_) ::SysFreeString(b_);
        b_ = b;
    }
    // The text (a BSTR may hold NULs; its stored length counts).
    std::wstring str() const { return b_ ? std::wstring(b_, ::SysStringLen(b_)) : std::wstring(); }

private:
    BSTR b_ = nullptr;
};

}  // namespace fx
