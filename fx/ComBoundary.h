// The exception boundary of a COM method.  A C++ exception must never cross a
// COM call: the caller knows only HRESULTs, and an exception unwinding into
// another module's frames ends the process.  So every method body of the
// plug-ins' COM objects, and of the fx pieces they are made of, runs inside
// ComBoundary:
//
//   STDMETHODIMP CAction::GetDomain(BSTR* name) {
//       return fx::ComBoundary(L"IAction::GetDomain", iaction::kOnException, [&] {
//           return Out(name, m_Domain);
//       }, name);
//   }
//
// An exception escaping the body is logged as a fault ("(<module>) ***
// Exception caught in IAction::GetDomain: <what>", fx/Fault.h), each [out]
// parameter listed after the body is set to nothing (a value-initialised T:
// 0, NULL, an empty BSTR, VT_EMPTY) and the interface's contract value is
// returned: kComFailed for an interface that reports failures, what the
// interface itself promises otherwise (IAction: S_OK, never a failure).
//
// tools/check-com-boundary holds every STDMETHODIMP body of Hextens/,
// acrobat/ and fx's COM server pieces to it: a body is one return of
// ComBoundary named after its own method.  Only AddRef and Release, which do
// nothing but count references, stay outside.
#pragma once

#include <windows.h>

#include "fx/Fault.h"

namespace fx {

// What a method of an interface that reports failures returns when its body
// threw.
constexpr HRESULT kComFailed = E_UNEXPECTED;

// Runs body() (which returns the method's HRESULT) and returns its result; an
// exception escaping it is logged with `method`, `outs` are cleared and
// onException is returned.
template <class Body, class... Out>
HRESULT ComBoundary(const wchar_t* method, HRESULT onException, Body&& body, Out*... outs) noexcept {
    try {
        return body();
    } catch (...) {
        LogCaughtException(method);
        (static_cast<void>(outs ? (*outs = Out{}, 0) : 0), ...);
        return onException;
    }
}

}  // namespace fx
