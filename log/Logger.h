// The shared debug log.  An outside viewer creates the mapping
// "HXLoggerMemoryFile" and shows a window titled with the text it stores in the
// header; every module appends lines to it while that window exists.
//
// Wide formats follow the Microsoft convention throughout the project: in a
// wide format "%s" is a wide string and "%S" a narrow one.  All formatting goes
// through the CRT's _vsnwprintf, never through the ISO swprintf family.
#pragma once

#include <windows.h>

#include "fx/Handle.h"
#include <cstdarg>
#include <cstddef>
#include <cstdint>

// Layout of the mapping (all integers 32-bit little-endian, text UTF-16LE).
struct SharedLogHeader {
    int32_t writeOffset;  // offset of the record slot that receives the next line
    wchar_t title[50];    // viewer window title, NUL-terminated
};
static_assert(offsetof(SharedLogHeader, writeOffset) == 0, "write offset at 0");
static_assert(offsetof(SharedLogHeader, title) == 4, "title at 4");
static_assert(sizeof(SharedLogHeader) == 104, "records start at 104");

namespace SharedLog {
constexpr const wchar_t* kMappingName = L"HXLoggerMemoryFile";
constexpr const wchar_t* kMutexName = L"HXLoggerMutex";
constexpr int32_t kFirstRecord = 104;
constexpr int kMaxLine = 9999;       // characters kept of one line
constexpr int kBufferChars = 10000;  // formatting buffers
constexpr int kTitleChars = 52;      // module copy of the viewer title

// Bytes a record of a text of len characters occupies.
constexpr int64_t RecordBytes(int64_t len) { return 4 + 2 * (len + 1); }

// True when a record of len characters at offset w, followed by the 0 end mark,
// lies inside a view of viewSize bytes.
constexpr bool RecordFits(int64_t w, int64_t len, int64_t viewSize) {
    return w >= kFirstRecord && w + RecordBytes(len) + 4 <= viewSize;
}
}  // namespace SharedLog

class Logger {
public:
    // Opens the viewer's mapping; none when the viewer has not created it.
    static Logger* Open();

    // Keeps the mapping (may be none).  create=false attaches to the viewer's
    // layout; create=true lays out an empty log titled "LogViewer".
    Logger(HANDLE mapping, bool create);
    virtual ~Logger();

    Logger(const Logger&) = delete;
    Logger& operator=(const Logger&) = delete;

    void Write(const wchar_t* format, ...);
    void WriteV(const wchar_t* format, va_list args);

    // Writes "(module) <product version> - RELEASE" from this module's
    // version resource.
    void LogVersion(const wchar_t* module);

    bool IsAttached() const { return view_ != nullptr; }

    // For a module that was lent this logger by another module (HXLib through
    // UtilityLib::SetLogger): copies the viewer title into the calling
    // module's own title buffer, which its writes look for.
    void AdoptInModule();

private:
    bool ViewerPresent() const;
    void Format(const wchar_t* format, va_list args);
    void Flush();

    fx::UniqueHandle mapping_;
    fx::UniqueHandle mutex_;
    fx::MappedView viewOwner_;
    unsigned char* view_ = nullptr;
    int32_t* header_ = nullptr;
    unsigned char* firstRecord_ = nullptr;
    SIZE_T viewSize_ = 0;
};

// Test seam: when set, runs inside every write between formatting the line
// and flushing it (the viewer window can vanish in between).  Never set by a
// deliverable.
namespace logseam {
extern void (*beforeFlush)();
}

// The module's logger (none: logging off).  Each module links its own copy.
extern Logger* g_pLogger;

// The module-level logging call: does nothing without a logger.
void LogMessage(const wchar_t* format, ...);
void LogMessageV(const wchar_t* format, va_list args);

// Reads the product version text of the module that contains `address`
// ("" when it has none).  Returns false when there is no version resource.
bool ReadProductVersion(const void* address, wchar_t* out, int outChars);
