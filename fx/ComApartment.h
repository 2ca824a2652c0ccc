// Owner of this thread's COM start: CoInitializeEx's result is kept and only
// a start that succeeded (S_OK or S_FALSE) is ended with CoUninitialize.  A
// thread already in another COM model refuses the start and keeps its own.
#pragma once

#include <windows.h>
#include <objbase.h>

namespace fx {

class ComApartment {
public:
    ComApartment() = default;
    explicit ComApartment(DWORD model) { Start(model); }
    ~ComApartment() { Stop(); }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

    // Starts COM on this thread (once per owner); the result of CoInitializeEx.
    HRESULT Start(DWORD model) {
        if (started_) return S_FALSE;
        result_ = ::CoInitializeEx(nullptr, model);
        started_ = SUCCEEDED(result_);
        return result_;
    }
    // Ends our own start, if any.
    void Stop() {
        if (started_) ::CoUninitialize();
        started_ = false;
    }
    bool started() const { return started_; }
    HRESULT result() const { return result_; }

private:
    HRESULT result_ = E_FAIL;
    bool started_ = false;
};

}  // namespace fx
