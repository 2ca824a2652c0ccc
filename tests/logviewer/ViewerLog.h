// The viewer side of the shared debug log, as the outside log viewer plays it:
// creates "HXLoggerMemoryFile" with the empty-log layout, shows a top-level
// window titled as the header says, and reads the records back under
// "HXLoggerMutex".  Used by tests and by the LogViewer program.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fx/Handle.h"

class ViewerLog {
public:
    ViewerLog() = default;
    ~ViewerLog();
    ViewerLog(const ViewerLog&) = delete;
    ViewerLog& operator=(const ViewerLog&) = delete;

    // Creates the mapping (size bytes) with the empty layout and the title.
    bool Create(const wchar_t* title = L"LogViewer", DWORD size = 4 * 1024 * 1024);
    // Shows (creates) or destroys the viewer window.  Create() shows it.
    bool OpenWindow();
    void CloseWindow();
    HWND window() const { return window_; }

    // Every step under "HXLoggerMutex" waits for it at most 10 s; a step that
    // does not get it fails (Create false, reads empty) with a line on stderr.
    // All records from the first one, following their offsets up to the 0 mark.
    std::vector<std::wstring> ReadAll();
    // The records appended since the last ReadNew.
    std::vector<std::wstring> ReadNew();

    unsigned char* view() const { return view_.bytes(); }
    DWORD size() const { return size_; }
    int32_t WriteOffset() const;
    // False (and a line on stderr) when the mutex stays taken for 10 s.
    bool SetWriteOffset(int32_t offset);
    HANDLE mutex() const { return mutex_.get(); }

private:
    std::vector<std::wstring> ReadFrom(int32_t& offset);

    fx::UniqueHandle mapping_;
    fx::UniqueHandle mutex_;
    fx::MappedView view_;
    DWORD size_ = 0;
    HWND window_ = nullptr;
    std::wstring title_;
    int32_t readOffset_ = 104;
};
