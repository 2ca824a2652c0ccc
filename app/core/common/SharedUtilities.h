// Small helpers shared across the main program.
#pragma once

#include <windows.h>

#include <string>

// Creates the directory when it does not exist.
void EnsureDirectory(const std::wstring& path);
// A new GUID as text: hexadecimal with hyphens, no braces.
std::wstring NewGuidString();
// True when the file (not a directory) exists.
bool FileExists(const std::wstring& path);
