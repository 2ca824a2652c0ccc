// Module-wide state of an in-process COM server: the DLL's instance handle and
// its lock count (live objects plus IClassFactory::LockServer locks), and the
// reference-counted base every object of the module derives from.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <new>
#include <string>

namespace fx {

// The module whose resources and file name the COM pieces use (set by the
// DLL's entry point; an executable's own handle when never set).
void SetModuleInstance(HINSTANCE instance);
HINSTANCE ModuleInstance();
// Full path of the module's file.
std::wstring ModulePath();

void LockModule();
void UnlockModule();
LONG ModuleLockCount();

// Reference count of one object; the object holds the module from
// construction to destruction.  The final class implements IUnknown with
// AddRefObject / ReleaseObject.
class ModuleObject {
protected:
    ModuleObject() { LockModule(); }
    // Pure: a ModuleObject is only ever the base of an object, and no
    // Release is compiled as the deletion of a bare one.
    virtual ~ModuleObject() = 0;
    ModuleObject(const ModuleObject&) = delete;
    ModuleObject& operator=(const ModuleObject&) = delete;

    // Nothing here throws (the destructors are noexcept): AddRef and Release
    // need no exception boundary of their own.
    ULONG AddRefObject() noexcept { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }
    ULONG ReleaseObject() noexcept {
        LONG n = ::InterlockedDecrement(&refs_);
        if (n == 0) delete this;
        return static_cast<ULONG>(n);
    }

private:
    LONG refs_ = 0;
};

inline ModuleObject::~ModuleObject() { UnlockModule(); }

// Creates a T and asks it for iid; the new object lives only as long as the
// answer holds it.
template <class T>
HRESULT CreateObject(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    T* object = new (std::nothrow) T();
    if (!object) return E_OUTOFMEMORY;
    object->AddRef();
    HRESULT hr = object->QueryInterface(iid, out);
    object->Release();
    return hr;
}

}  // namespace fx
