#include "fx/Archive.h"

#include <algorithm>
#include <cstring>

namespace fx {

Archive::Archive(HANDLE file, Mode mode, size_t bufferSize)
    : file_(file), mode_(mode), buffer_(bufferSize ? bufferSize : 1) {}

Archive::~Archive() { Close(); }

bool Archive::Flush() {
    size_t at = 0;
    while (at < used_ && !failed_) {
        DWORD wrote = 0;
        if (!::WriteFile(file_, buffer_.data() + at, static_cast<DWORD>(used_ - at), &wrote, nullptr) || wrote == 0)
            failed_ = true;
        at += wrote;
    }
    used_ = 0;
    return !failed_;
}

bool Archive::Write(const void* data, size_t size) {
    if (mode_ != Mode::Store || closed_ || failed_) return false;
    const auto* bytes = static_cast<const uint8_t*>(data);
    while (size > 0) {
        if (used_ == buffer_.size() && !Flush()) return false;
        const size_t n = std::min(size, buffer_.size() - used_);
        std::memcpy(buffer_.data() + used_, bytes, n);
        used_ += n;
        bytes += n;
        size -= n;
    }
    return true;
}

size_t Archive::Read(void* data, size_t size) {
    if (mode_ != Mode::Load || closed_) return 0;
    auto* out = static_cast<uint8_t*>(data);
    size_t done = 0;
    while (done < size) {
        if (next_ == used_) {
            DWORD got = 0;
            if (!::ReadFile(file_, buffer_.data(), static_cast<DWORD>(buffer_.size()), &got, nullptr) || got == 0)
                break;
            used_ = got;
            next_ = 0;
        }
        const size_t n = std::min(size - done, used_ - next_);
        std::memcpy(out + done, buffer_.data() + next_, n);
        next_ += n;
        done += n;
    }
    return done;
}

bool Archive::Close() {
    if (closed_) return !failed_;
    if (mode_ == Mode::Store) Flush();
    closed_ = true;
    return !failed_;
}

}  // namespace fx
