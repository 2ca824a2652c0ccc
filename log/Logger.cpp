#include "log/Logger.h"

#include <atomic>
#include <cstring>
#include <utility>
#include <cwchar>

#include "fx/Fault.h"

Logger* g_pLogger = nullptr;

namespace logseam {
void (*beforeFlush)() = nullptr;
}

namespace {

// Module state beside the logger: the viewer title copied at attach and the
// text pending between formatting and flushing.  Used only under the mutex.
wchar_t g_viewerTitle[SharedLog::kTitleChars];
wchar_t g_pending[SharedLog::kBufferChars];

bool Acquired(DWORD r) { return r == WAIT_OBJECT_0 || r == WAIT_ABANDONED; }

// Every wait for the log's mutex has a bound, and a line that does not get
// the mutex is dropped: a writer (of any process) that hangs holding it costs
// the others one full wait, and after that each line only a short one, until
// the mutex is had again.
constexpr DWORD kLockWaitMs = 500;
constexpr DWORD kStuckLockWaitMs = 20;
std::atomic<bool> g_lockStuck{false};

DWORD WaitBounded(HANDLE mutex) {
    DWORD r = ::WaitForSingleObject(mutex, g_lockStuck ? kStuckLockWaitMs : kLockWaitMs);
    g_lockStuck = !Acquired(r);
    return r;
}

}  // namespace

Logger* Logger::Open() {
    HANDLE mapping = ::OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, SharedLog::kMappingName);
    if (!mapping) return nullptr;
    return new Logger(mapping, false);
}

Logger::Logger(HANDLE mapping, bool create) : mapping_(mapping) {
    if (!mapping_) return;
    mutex_.reset(::CreateMutexW(nullptr, FALSE, SharedLog::kMutexName));
    fx::MappedView view(::MapViewOfFile(mapping_.get(), FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (!view) return;
    MEMORY_BASIC_INFORMATION mbi{};
    if (!::VirtualQuery(view.get(), &mbi, sizeof mbi) || mbi.RegionSize < sizeof(SharedLogHeader) + 4) return;
    viewOwner_ = std::move(view);
    view_ = viewOwner_.bytes();
    viewSize_ = mbi.RegionSize;
    header_ = reinterpret_cast<int32_t*>(view_);
    firstRecord_ = view_ + SharedLog::kFirstRecord;

    auto* hdr = reinterpret_cast<SharedLogHeader*>(view_);
    if (create) {
        hdr->writeOffset = SharedLog::kFirstRecord;
        *reinterpret_cast<int32_t*>(firstRecord_) = 0;
        std::wmemset(hdr->title, 0, 50);
        std::wcscpy(hdr->title, L"LogViewer");
    }
    AdoptInModule();
}

void Logger::AdoptInModule() {
    if (!view_) return;
    auto* hdr = reinterpret_cast<SharedLogHeader*>(view_);
    // The other process may leave the title unterminated: copy with a bound.
    std::wmemset(g_viewerTitle, 0, SharedLog::kTitleChars);
    for (int i = 0; i < 50 && hdr->title[i]; ++i) g_viewerTitle[i] = hdr->title[i];
}

Logger::~Logger() {
    if (mutex_) {
        DWORD r = WaitBounded(mutex_.get());
        mapping_.reset();
        if (Acquired(r)) ::ReleaseMutex(mutex_.get());
    }
    // viewOwner_ unmaps the view: the logger's owner deletes it only when no
    // other thread of the module can still be writing through it.
}

bool Logger::ViewerPresent() const { return ::FindWindowW(nullptr, g_viewerTitle) != nullptr; }

void Logger::Write(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    WriteV(format, args);
    va_end(args);
}

void Logger::WriteV(const wchar_t* format, va_list args) {
    if (!format || !view_ || !mutex_ || !ViewerPresent()) return;
    DWORD r = WaitBounded(mutex_.get());
    if (!Acquired(r)) return;
    Format(format, args);
    if (logseam::beforeFlush) logseam::beforeFlush();
    Flush();
    ::ReleaseMutex(mutex_.get());
}

void Logger::Format(const wchar_t* format, va_list args) {
    if (!ViewerPresent()) return;
    if (!Acquired(WaitBounded(mutex_.get()))) return;
    wchar_t pattern[SharedLog::kBufferChars];
    wchar_t text[SharedLog::kBufferChars];
    if (_snwprintf(pattern, SharedLog::kMaxLine, L"%s", format) < 0) pattern[SharedLog::kMaxLine] = L'\0';
    pattern[SharedLog::kMaxLine] = L'\0';
    va_list copy;
    va_copy(copy, args);
    if (_vsnwprintf(text, SharedLog::kMaxLine, pattern, copy) < 0) text[SharedLog::kMaxLine] = L'\0';
    va_end(copy);
    text[SharedLog::kMaxLine] = L'\0';
    size_t have = std::wcslen(g_pending);
    size_t room = SharedLog::kMaxLine - have;
    std::wcsncat(g_pending, text, room);
    ::ReleaseMutex(mutex_.get());
}

void Logger::Flush() {
    if (!ViewerPresent() || !Acquired(WaitBounded(mutex_.get()))) {
        // The text can never be flushed now: drop it so the next line starts clean.
        g_pending[0] = L'\0';
        return;
    }
    const int64_t w = *header_;
    const int64_t len = static_cast<int64_t>(std::wcslen(g_pending));
    if (SharedLog::RecordFits(w, len, static_cast<int64_t>(viewSize_))) {
        const int64_t next = w + SharedLog::RecordBytes(len);
        std::memcpy(view_ + w + 4, g_pending, static_cast<size_t>(2 * (len + 1)));
        *header_ = static_cast<int32_t>(next);
        *reinterpret_cast<int32_t*>(view_ + w) = static_cast<int32_t>(next);
        *reinterpret_cast<int32_t*>(view_ + next) = 0;
    }
    // A line that does not fit, or a write offset outside the view, is dropped.
    g_pending[0] = L'\0';
    ::ReleaseMutex(mutex_.get());
}

bool ReadProductVersion(const void* address, wchar_t* out, int outChars) {
    if (outChars <= 0) return false;
    out[0] = L'\0';
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              static_cast<LPCWSTR>(address), &module))
        return false;
    wchar_t path[MAX_PATH];
    DWORD n = ::GetModuleFileNameW(module, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return false;
    DWORD ignored = 0;
    DWORD size = ::GetFileVersionInfoSizeW(path, &ignored);
    if (size == 0) return false;
    void* data = ::HeapAlloc(::GetProcessHeap(), 0, size);
    if (!data) return false;
    bool ok = false;
    if (::GetFileVersionInfoW(path, 0, size, data)) {
        struct LangCodePage {
            WORD lang;
            WORD codePage;
        };
        LangCodePage* tr = nullptr;
        UINT trLen = 0;
        if (::VerQueryValueW(data, L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&tr), &trLen) && tr &&
            trLen >= sizeof(LangCodePage)) {
            wchar_t key[50];
            _snwprintf(key, 49, L"\\StringFileInfo\\%04X%04X\\ProductVersion", tr->lang, tr->codePage);
            key[49] = L'\0';
            wchar_t* text = nullptr;
            UINT textLen = 0;
            if (::VerQueryValueW(data, key, reinterpret_cast<void**>(&text), &textLen) && text) {
                int i = 0;
                for (; i < outChars - 1 && i < static_cast<int>(textLen) && text[i]; ++i) out[i] = text[i];
                out[i] = L'\0';
                ok = true;
            }
        }
    }
    ::HeapFree(::GetProcessHeap(), 0, data);
    return ok;
}

void Logger::LogVersion(const wchar_t* module) {
    wchar_t version[256];
    if (ReadProductVersion(reinterpret_cast<const void*>(&g_viewerTitle), version, 256))
        Write(L"(%s) %s - RELEASE", module, version);
}

void LogMessageV(const wchar_t* format, va_list args) {
    if (!g_pLogger) return;
    g_pLogger->WriteV(format, args);
}

void LogMessage(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    LogMessageV(format, args);
    va_end(args);
}

namespace {

// fx's fault lines go into the module's log.  Installed when the module
// starts: every module that has a logger links this file, since it holds
// g_pLogger.
class LogFaultSink final : public fx::FaultSink {
public:
    LogFaultSink() { fx::SetFaultSink(this); }
    bool IsOpen() const override { return g_pLogger != nullptr; }
    void Write(const wchar_t* line) override { LogMessage(L"%s", line); }
};

LogFaultSink g_faultSink;

}  // namespace
