#include "ViewerLog.h"

#include <cstdio>
#include <cstring>

namespace {
constexpr wchar_t kClass[] = L"PondrelLogViewerStandIn";

// A writer that never lets go of the log's mutex fails the reader's step
// (with a line on stderr) instead of hanging the test.
constexpr DWORD kLockWaitMs = 10000;

bool Held(const fx::MutexLock& lock, const char* step) {
    if (lock.acquired()) return true;
    std::fprintf(stderr, "ViewerLog: HXLoggerMutex not acquired within %lu ms (%s)\n",
                 static_cast<unsigned long>(kLockWaitMs), step);
    return false;
}

ATOM RegisterViewerClass() {
    static ATOM atom = 0;
    if (!atom) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = kClass;
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
        atom = ::RegisterClassW(&wc);
    }
    return atom;
}
}  // namespace

ViewerLog::~ViewerLog() { CloseWindow(); }

bool ViewerLog::Create(const wchar_t* title, DWORD size) {
    mapping_.reset(::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size,
                                        L"HXLoggerMemoryFile"));
    if (!mapping_) return false;
    mutex_.reset(::CreateMutexW(nullptr, FALSE, L"HXLoggerMutex"));
    view_.reset(::MapViewOfFile(mapping_.get(), FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (!view_ || !mutex_) return false;
    size_ = size;
    title_ = title;
    {
        fx::MutexLock lock(mutex_.get(), kLockWaitMs);
        if (!Held(lock, "create")) return false;
        std::memset(view_.get(), 0, 104 + 4);
        *reinterpret_cast<int32_t*>(view_.bytes()) = 104;
        wcsncpy(reinterpret_cast<wchar_t*>(view_.bytes() + 4), title, 49);
        *reinterpret_cast<int32_t*>(view_.bytes() + 104) = 0;
    }
    readOffset_ = 104;
    return OpenWindow();
}

bool ViewerLog::OpenWindow() {
    if (window_) return true;
    RegisterViewerClass();
    window_ = ::CreateWindowExW(0, kClass, title_.c_str(), WS_OVERLAPPEDWINDOW, 40, 40, 720, 480,
                                nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    return window_ != nullptr;
}

void ViewerLog::CloseWindow() {
    if (window_) ::DestroyWindow(window_);
    window_ = nullptr;
}

int32_t ViewerLog::WriteOffset() const {
    return view_ ? *reinterpret_cast<const int32_t*>(view_.bytes()) : 0;
}

bool ViewerLog::SetWriteOffset(int32_t offset) {
    fx::MutexLock lock(mutex_.get(), kLockWaitMs);
    if (!Held(lock, "set the write offset")) return false;
    *reinterpret_cast<int32_t*>(view_.bytes()) = offset;
    return true;
}

std::vector<std::wstring> ViewerLog::ReadFrom(int32_t& offset) {
    std::vector<std::wstring> lines;
    if (!view_) return lines;
    fx::MutexLock lock(mutex_.get(), kLockWaitMs);
    if (!Held(lock, "read")) return lines;
    const unsigned char* base = view_.bytes();
    while (offset >= 104 && offset + 4 <= static_cast<int64_t>(size_)) {
        int32_t next;
        std::memcpy(&next, base + offset, 4);
        if (next == 0) break;                     // the end mark
        if (next <= offset + 4 || next > static_cast<int64_t>(size_)) break;  // corrupt
        const wchar_t* text = reinterpret_cast<const wchar_t*>(base + offset + 4);
        size_t maxChars = (next - offset - 4) / 2;
        size_t n = 0;
        while (n < maxChars && text[n]) ++n;
        lines.emplace_back(text, n);
        offset = next;
    }
    return lines;
}

std::vector<std::wstring> ViewerLog::ReadAll() {
    int32_t offset = 104;
    return ReadFrom(offset);
}

std::vector<std::wstring> ViewerLog::ReadNew() { return ReadFrom(readOffset_); }
