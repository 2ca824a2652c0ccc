// Owner of a WinINet handle (session, connection, request or opened URL).
// Users link wininet.
#pragma once

#include <windows.h>
#include <wininet.h>

namespace fx {

class InternetHandle {
public:
    InternetHandle() = default;
    explicit InternetHandle(HINTERNET h) : h_(h) {}
    ~InternetHandle() { reset(); }
    InternetHandle(InternetHandle&& o) noexcept : h_(o.release()) {}
    InternetHandle& operator=(InternetHandle&& o) noexcept { reset(o.release()); return *this; }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;

    HINTERNET get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    HINTERNET release() { HINTERNET h = h_; h_ = nullptr; return h; }
    void reset(HINTERNET h = nullptr) {
        if (h_) ::InternetCloseHandle(h_);
        h_ = h;
    }

private:
    HINTERNET h_ = nullptr;
};

}  // namespace fx
