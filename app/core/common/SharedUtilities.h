// Small helpers shared across the main program: directories and files,
// GUID text, centring a window, the default browser's path.  The image, font
// and text routines are in app/core/graphics/ImageRoutines.h; the text rules
// (number text, browser command) in app/core/common/CommonRules.h.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

#include "app/core/common/CommonRules.h"

// True when the path exists or was created (one level).
bool EnsureDirectory(const std::wstring& path);
// True when the path names an existing file or directory.  Wildcards match
// nothing; a path of 260 characters or more is reported as missing.
bool FileExists(const std::wstring& path);
// True for the directory entries "." and "..".
bool IsDotEntry(const wchar_t* name);
// Removes everything inside a directory, depth first: read-only files are
// made writable first; a reparse point (junction, link) is removed as the
// link itself, never followed.  Stops at the first entry it cannot remove.
// With removeSelf the result is that of removing the directory itself;
// without it the directory stays and the result is false.  Paths of any
// length.
bool RemoveDirectoryTree(const std::wstring& path, bool removeSelf);
// A new empty file of a unique name in dir (GetTempFileNameW with prefix),
// its full path; empty when none could be made.
std::wstring NewTempFileIn(const std::wstring& dir, const wchar_t* prefix);
// A temporary file that is deleted unless it was moved into place.
class TempFile {
public:
    explicit TempFile(std::wstring path) : path_(std::move(path)) {}
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const std::wstring& path() const { return path_; }
    // Replaces target with this file.  A reader holding target open may
    // refuse the replacement for a moment: a few short retries.
    bool MoveTo(const std::wstring& target, DWORD* error);

private:
    std::wstring path_;
};
// A new GUID as text: 36 lower-case hexadecimal characters with hyphens, no
// braces.
std::wstring NewGuidString();
// Moves a window to the middle of the primary screen (size kept) and repaints.
void CenterWindowOnScreen(HWND hwnd);
// The executable (possibly quoted) of the user's default web browser, or an
// empty string: Internet Explorer for every user choice but Firefox.
std::wstring GetDefaultBrowserPath();
// A string value of a registry key (REG_SZ or REG_EXPAND_SZ, unexpanded),
// read size first and always terminated; false when the key or value is
// missing or of another type.
bool ReadRegistryString(HKEY root, const wchar_t* subKey, const wchar_t* valueName, std::wstring* out);
