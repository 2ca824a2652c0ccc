// Small RAII owners for kernel handles, mapped views, registry keys, GDI objects
// and COM pointers.  Every owner is move-only; none has a bare close path.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <utility>

namespace fx {

// Owner of a kernel handle (NULL and INVALID_HANDLE_VALUE both mean "none").
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE h) : h_(h) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(UniqueHandle&& o) noexcept : h_(o.release()) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept { reset(o.release()); return *this; }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
    HANDLE release() { HANDLE h = h_; h_ = nullptr; return h; }
    void reset(HANDLE h = nullptr) {
        if (h_ && h_ != INVALID_HANDLE_VALUE) ::CloseHandle(h_);
        h_ = h;
    }

private:
    HANDLE h_ = nullptr;
};

// Owner of a loaded module (FreeLibrary when it goes).
class UniqueModule {
public:
    UniqueModule() = default;
    explicit UniqueModule(HMODULE m) : m_(m) {}
    ~UniqueModule() { reset(); }
    UniqueModule(UniqueModule&& o) noexcept : m_(o.release()) {}
    UniqueModule& operator=(UniqueModule&& o) noexcept { reset(o.release()); return *this; }
    UniqueModule(const UniqueModule&) = delete;
    UniqueModule& operator=(const UniqueModule&) = delete;

    HMODULE get() const { return m_; }
    explicit operator bool() const { return m_ != nullptr; }
    HMODULE release() { HMODULE m = m_; m_ = nullptr; return m; }
    void reset(HMODULE m = nullptr) {
        if (m_) ::FreeLibrary(m_);
        m_ = m;
    }

private:
    HMODULE m_ = nullptr;
};

// Owner of a view of a file mapping.
class MappedView {
public:
    MappedView() = default;
    explicit MappedView(void* p) : p_(p) {}
    ~MappedView() { reset(); }
    MappedView(MappedView&& o) noexcept : p_(o.release()) {}
    MappedView& operator=(MappedView&& o) noexcept { reset(o.release()); return *this; }
    MappedView(const MappedView&) = delete;
    MappedView& operator=(const MappedView&) = delete;

    void* get() const { return p_; }
    unsigned char* bytes() const { return static_cast<unsigned char*>(p_); }
    explicit operator bool() const { return p_ != nullptr; }
    void* release() { void* p = p_; p_ = nullptr; return p; }
    void reset(void* p = nullptr) {
        if (p_) ::UnmapViewOfFile(p_);
        p_ = p;
    }

private:
    void* p_ = nullptr;
};

// Owner of an open registry key.
class UniqueHKey {
public:
    UniqueHKey() = default;
    explicit UniqueHKey(HKEY k) : k_(k) {}
    ~UniqueHKey() { reset(); }
    UniqueHKey(UniqueHKey&& o) noexcept : k_(o.release()) {}
    UniqueHKey& operator=(UniqueHKey&& o) noexcept { reset(o.release()); return *this; }
    UniqueHKey(const UniqueHKey&) = delete;
    UniqueHKey& operator=(const UniqueHKey&) = delete;

    HKEY get() const { return k_; }
    HKEY* put() { reset(); return &k_; }
    explicit operator bool() const { return k_ != nullptr; }
    HKEY release() { HKEY k = k_; k_ = nullptr; return k; }
    void reset(HKEY k = nullptr) {
        if (k_) ::RegCloseKey(k_);
        k_ = k;
    }

private:
    HKEY k_ = nullptr;
};

// Owner of a GDI object (pen, brush, font, bitmap, region).
template <class T>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(T h) : h_(h) {}
    ~GdiObject() { reset(); }
    GdiObject(GdiObject&& o) noexcept : h_(o.release()) {}
    GdiObject& operator=(GdiObject&& o) noexcept { reset(o.release()); return *this; }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    T get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    T release() { T h = h_; h_ = nullptr; return h; }
    void reset(T h = nullptr) {
        if (h_) ::DeleteObject(h_);
        h_ = h;
    }

private:
    T h_ = nullptr;
};

// Reference-counted COM interface pointer.
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

    template <class U>
    HRESULT As(ComPtr<U>& out, REFIID iid) const {
        if (!p_) { out.reset(); return E_POINTER; }
        return p_->QueryInterface(iid, out.put_void());
    }

private:
    T* p_ = nullptr;
};

// Holds a mutex from a successful wait until destruction.  A wait that returns
// WAIT_ABANDONED (the previous owner died holding it) counts as acquired.
class MutexLock {
public:
    MutexLock(HANDLE mutex, DWORD timeoutMs);
    ~MutexLock();
    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;

    bool acquired() const { return acquired_; }
    bool abandoned() const { return abandoned_; }
    void unlock();

private:
    HANDLE mutex_;
    bool acquired_ = false;
    bool abandoned_ = false;
};

}  // namespace fx

namespace fx {

// Owner of a memory device context (DeleteDC when it goes).
class MemoryDC {
public:
    MemoryDC() = default;
    ~MemoryDC() { reset(); }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;

    // A memory DC compatible with the screen.
    bool CreateCompatible() { reset(::CreateCompatibleDC(nullptr)); return dc_ != nullptr; }
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }
    void reset(HDC dc = nullptr) {
        if (dc_) ::DeleteDC(dc_);
        dc_ = dc;
    }

private:
    HDC dc_ = nullptr;
};

// Selects an object into a DC for a scope and puts the previous one back.
class SelectObjectScope {
public:
    SelectObjectScope(HDC dc, HGDIOBJ obj) : dc_(dc), old_(::SelectObject(dc, obj)) {}
    ~SelectObjectScope() { if (old_ && old_ != HGDI_ERROR) ::SelectObject(dc_, old_); }
    SelectObjectScope(const SelectObjectScope&) = delete;
    SelectObjectScope& operator=(const SelectObjectScope&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

}  // namespace fx
