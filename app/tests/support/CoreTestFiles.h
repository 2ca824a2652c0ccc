// Test helpers for the application core: scratch XML files and the captured
// main-program log lines.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ViewerLog.h"

namespace coretest {

// A fresh scratch directory under the temp directory (with a trailing "\").
std::wstring ScratchDir();
// Writes text as UTF-8 into dir + name; returns the full path.
std::wstring WriteFile(const std::wstring& dir, const std::wstring& name, const std::string& utf8);
// (also while another process holds it open for writing)
std::string ReadFile(const std::wstring& path);
// The project's source tree as a Windows path with a trailing "\".
std::wstring SourceDir();
// demo/settings.xml with "{server}" replaced by server.
std::string SampleSettings(const std::string& server = "http://127.0.0.1:8080/files");
// Every occurrence of from in text replaced by to.
std::string ReplaceAll(std::string text, const std::string& from, const std::string& to);

// Creates the viewer's log and attaches this module's logger; the lines read
// back have the "(Pondrel) <time stamp> \t " prefix removed.
class CapturedLog {
public:
    CapturedLog();
    ~CapturedLog();
    std::vector<std::wstring> Lines();  // new lines since the last call
    bool Contains(const std::wstring& fragment);

private:
    ViewerLog viewer_;
};

}  // namespace coretest
