// BestGuessDriver: the best-guess component's IDispatch, called late-bound by
// dispatch id.  Every call returns the HRESULT of its Invoke (or of the
// result's conversion); nothing is thrown.  The driver owns the one reference
// it holds and is used on the thread (apartment) that created the component;
// it releases that reference only there.  A driver that goes on another
// thread (its own thread was terminated inside a call, so its apartment is
// gone) leaves the reference unreleased and logs it.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

#include "fx/ComPtr.h"

class BestGuessDriver {
public:
    BestGuessDriver() = default;
    ~BestGuessDriver();
    BestGuessDriver(const BestGuessDriver&) = delete;
    BestGuessDriver& operator=(const BestGuessDriver&) = delete;

    // Creates the component by its ProgID and keeps its IDispatch.
    HRESULT Create(const wchar_t* progId);
    bool created() const { return static_cast<bool>(dispatch_); }
    // Releases the component (on its thread; see above).
    void Release();

    // A method with one BSTR argument.
    HRESULT CallWithText(DISPID id, const std::wstring& text);
    // A method with BSTR-by-reference arguments (null for an empty text).
    HRESULT CallWithTextRef(DISPID id, const std::wstring& text);
    HRESULT CallWithTextRefs(DISPID id, const std::wstring& first, const std::wstring& second,
                             const std::wstring& third);
    // A property get answering a long.
    HRESULT GetLong(DISPID id, long* value);
    // A method without arguments answering a string.
    HRESULT GetText(DISPID id, std::wstring* text);
    // A method given a long (a row index) answering a string.
    HRESULT GetTextAt(DISPID id, long index, std::wstring* text);

    // A failed call's description for the log: "<what> (<dispid>) failed: 0x<hr>".
    static std::wstring Describe(DISPID id, HRESULT hr);

private:
    // Invoke with the arguments in call order (reversed for DISPPARAMS here).
    HRESULT Invoke(DISPID id, WORD flags, VARIANT* args, UINT count, VARIANT* result);

    fx::ComPtr<IDispatch> dispatch_;
    DWORD thread_ = 0;  // the thread that created dispatch_
};
