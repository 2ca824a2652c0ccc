// The main program's log lines: "(Pondrel) " and a local time stamp before
// every text.
#pragma once

#include <cstddef>

// Writes "(Pondrel) yyyy/mm/dd hh:mm:ss:mmm \t " into buffer (at least
// kLogPrefixChars characters).
constexpr size_t kLogPrefixChars = 1024;
void BuildLogPrefix(wchar_t* buffer);

// Logs prefix + format with one string argument.
void LogWithPrefix(const wchar_t* format, const wchar_t* text);

// Logs one fixed label or text with the prefix.
void LogLine(const wchar_t* text);

// Logs prefix + "1.0<number>".
void LogVersionNumber(int number);
