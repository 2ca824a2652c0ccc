// A buffered archive over an open file: a storing archive collects what is
// written in its buffer and writes it out when the buffer is full and at
// Close; a loading archive reads the file a buffer at a time.  The archive
// does not own the file.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace fx {

class Archive {
public:
    enum class Mode { Store, Load };
    Archive(HANDLE file, Mode mode, size_t bufferSize = 4096);
    ~Archive();  // a storing archive not closed is flushed
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    bool IsStoring() const { return mode_ == Mode::Store; }
    // Storing: false once a write to the file failed.
    bool Write(const void* data, size_t size);
    bool Write(const std::vector<uint8_t>& bytes) { return Write(bytes.data(), bytes.size()); }
    // Loading: the number of bytes read into data (fewer at the file's end).
    size_t Read(void* data, size_t size);
    // Storing: writes out the buffer; false when the file refused it (or an
    // earlier write failed).  Nothing more is written after Close.
    bool Close();

private:
    bool Flush();
    HANDLE file_;
    Mode mode_;
    std::vector<uint8_t> buffer_;
    size_t used_ = 0;  // storing: bytes waiting; loading: bytes in the buffer
    size_t next_ = 0;  // loading: the next byte to hand out
    bool failed_ = false;
    bool closed_ = false;
};

}  // namespace fx
