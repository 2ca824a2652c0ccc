// RAII owners for handles: one move-only template, UniqueOwner, and a typed
// alias per kind of handle (kernel objects, mapped views, modules, registry
// keys, GDI objects, memory DCs, icons, menus).  None has a bare close path.
// Also the scope of an object selected into a DC.
// Also here for its users: ComPtr (fx/ComPtr.h) and MutexLock.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <utility>

#include "fx/ComPtr.h"

namespace fx {

// Owns one handle described by Traits:
//   using pointer = <the handle type>;
//   static bool Valid(pointer);   // false for every "none" value
//   static void Close(pointer);   // called once per valid handle
template <class Traits>
class UniqueOwner {
public:
    using pointer = typename Traits::pointer;

    UniqueOwner() = default;
    explicit UniqueOwner(pointer h) : h_(h) {}
    ~UniqueOwner() { reset(); }
    UniqueOwner(UniqueOwner&& o) noexcept : h_(o.release()) {}
    UniqueOwner& operator=(UniqueOwner&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }
    UniqueOwner(const UniqueOwner&) = delete;
    UniqueOwner& operator=(const UniqueOwner&) = delete;

    pointer get() const { return h_; }
    explicit operator bool() const { return Traits::Valid(h_); }
    // Address for an out-parameter; closes what was held.
    pointer* put() { reset(); return &h_; }
    pointer release() { pointer h = h_; h_ = pointer(); return h; }
    void reset(pointer h = pointer()) {
        pointer old = h_;
        h_ = h;
        if (old != h && Traits::Valid(old)) Traits::Close(old);
    }

private:
    pointer h_ = pointer();
};

// A handle kind for which NULL means "none" and close is its one close call.
template <class T, auto close>
struct NonNullTraits {
    using pointer = T;
    static bool Valid(T h) { return h != nullptr; }
    static void Close(T h) { close(h); }
};

struct KernelHandleTraits {
    using pointer = HANDLE;
    static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { ::CloseHandle(h); }
};
using ModuleTraits = NonNullTraits<HMODULE, &::FreeLibrary>;
using MappedViewTraits = NonNullTraits<void*, &::UnmapViewOfFile>;
using RegistryKeyTraits = NonNullTraits<HKEY, &::RegCloseKey>;
template <class T>
using GdiObjectTraits = NonNullTraits<T, &::DeleteObject>;
using MemoryDcTraits = NonNullTraits<HDC, &::DeleteDC>;
using IconTraits = NonNullTraits<HICON, &::DestroyIcon>;
using MenuTraits = NonNullTraits<HMENU, &::DestroyMenu>;

// A kernel handle (NULL and INVALID_HANDLE_VALUE both mean "none").
using UniqueHandle = UniqueOwner<KernelHandleTraits>;
// A loaded module (FreeLibrary).
using UniqueModule = UniqueOwner<ModuleTraits>;
// An open registry key.
using UniqueHKey = UniqueOwner<RegistryKeyTraits>;
// A GDI object: pen, brush, font, bitmap (also a DIB section), region.
template <class T>
using GdiObject = UniqueOwner<GdiObjectTraits<T>>;
using UniqueBitmap = GdiObject<HBITMAP>;
using UniqueBrush = GdiObject<HBRUSH>;
using UniquePen = GdiObject<HPEN>;
using UniqueFont = GdiObject<HFONT>;
using UniqueRegion = GdiObject<HRGN>;
// A DC of our own making (CreateCompatibleDC, CreateDC): DeleteDC.  A DC
// borrowed from a window is fx::WindowDC, a window's paint DC fx::PaintDC
// (fx/Gdi.h).
class MemoryDC : public UniqueOwner<MemoryDcTraits> {
public:
    using UniqueOwner<MemoryDcTraits>::UniqueOwner;
    // A memory DC compatible with the screen.
    bool CreateCompatible() {
        reset(::CreateCompatibleDC(nullptr));
        return static_cast<bool>(*this);
    }
};

// Selects an object into a DC for a scope and selects back what it replaced
// when the scope ends (an object must not be deleted while selected).
class SelectObjectScope {
public:
    SelectObjectScope(HDC dc, HGDIOBJ object) : dc_(dc), old_(dc && object ? ::SelectObject(dc, object) : nullptr) {}
    ~SelectObjectScope() {
        if (*this) ::SelectObject(dc_, old_);
    }
    SelectObjectScope(const SelectObjectScope&) = delete;
    SelectObjectScope& operator=(const SelectObjectScope&) = delete;

    // False when the object could not be selected.
    explicit operator bool() const { return old_ && old_ != HGDI_ERROR; }

private:
    HDC dc_;
    HGDIOBJ old_;
};
// An icon made or copied here (CreateIconIndirect, CopyIcon, ExtractIcon);
// never a shared icon from LoadIcon.
using UniqueIcon = UniqueOwner<IconTraits>;
// A menu not attached to a window (a window destroys its own menu bar).
using UniqueMenu = UniqueOwner<MenuTraits>;

// A view of a file mapping, also readable as bytes.
class MappedView : public UniqueOwner<MappedViewTraits> {
public:
    using UniqueOwner<MappedViewTraits>::UniqueOwner;
    unsigned char* bytes() const { return static_cast<unsigned char*>(get()); }
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
