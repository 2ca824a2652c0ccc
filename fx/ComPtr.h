// Reference-counted COM interface pointer with a typed query, and the
// one-line HRESULT check.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <cstddef>
#include <utility>

// Evaluates a COM call once and returns its HRESULT from the enclosing
// function when it failed:  FX_RETURN_IF_FAILED(lib->GetLibAttr(&attr));
#define FX_RETURN_IF_FAILED(expr)                   \
    do {                                            \
        const HRESULT fx_hr_ = (expr);              \
        if (FAILED(fx_hr_)) return fx_hr_;          \
    } while (0)

namespace fx {

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes a new reference on p.
    explicit ComPtr(T* p) : p_(p) { if (p_) p_->AddRef(); }
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr& o) : p_(o.p_) { if (p_) p_->AddRef(); }
    ComPtr(ComPtr&& o) noexcept : p_(o.detach()) {}
    ComPtr& operator=(const ComPtr& o) { ComPtr(o).swap(*this); return *this; }
    ComPtr& operator=(ComPtr&& o) noexcept { ComPtr(std::move(o)).swap(*this); return *this; }

    // Adopts p without adding a reference.
    static ComPtr Attach(T* p) { ComPtr c; c.p_ = p; return c; }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // Address for an out-parameter; releases what was held.
    T** put() { reset(); return &p_; }
    void** put_void() { return reinterpret_cast<void**>(put()); }
    T* detach() { T* p = p_; p_ = nullptr; return p; }
    void reset() { if (p_) { T* p = p_; p_ = nullptr; p->Release(); } }
    void swap(ComPtr& o) noexcept { std::swap(p_, o.p_); }

    // The object's interface U (empty when it has none, or when this is empty).
    template <class U>
    ComPtr<U> As() const {
        ComPtr<U> out;
        As(out);
        return out;
    }
    // The same with the failure code; iid names U where U has no __uuidof.
    template <class U>
    HRESULT As(ComPtr<U>& out, REFIID iid = __uuidof(U)) const {
        if (!p_) { out.reset(); return E_POINTER; }
        HRESULT hr = p_->QueryInterface(iid, out.put_void());
        // A failed query hands out nothing, whatever it left in the slot.
        if (FAILED(hr)) out.detach();
        return hr;
    }

private:
    T* p_ = nullptr;
};

}  // namespace fx
