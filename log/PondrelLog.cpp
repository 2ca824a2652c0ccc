#include "log/PondrelLog.h"

#include "log/Logger.h"

#include <cwchar>

void BuildLogPrefix(wchar_t* buffer) {
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    wchar_t stamp[999];
    _snwprintf(stamp, 998, L"%04d/%02d/%02d %02d:%02d:%02d:%03d \t ", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
               t.wSecond, t.wMilliseconds);
    stamp[998] = L'\0';
    _snwprintf(buffer, kLogPrefixChars - 1, L"(Pondrel) %s", stamp);
    buffer[kLogPrefixChars - 1] = L'\0';
}

namespace {
// prefix + pattern, cut to the 10000-character buffer.
void BuildPattern(wchar_t (&out)[10000], const wchar_t* pattern) {
    wchar_t prefix[kLogPrefixChars];
    BuildLogPrefix(prefix);
    _snwprintf(out, 9999, L"%s%s", prefix, pattern);
    out[9999] = L'\0';
}
}  // namespace

void LogWithPrefix(const wchar_t* format, const wchar_t* text) {
    if (!g_pLogger) return;
    wchar_t pattern[10000];
    BuildPattern(pattern, format ? format : L"");
    LogMessage(pattern, text ? text : L"");
}

void LogLine(const wchar_t* text) { LogWithPrefix(L"%s", text); }

void LogVersionNumber(int number) {
    if (!g_pLogger) return;
    wchar_t pattern[10000];
    BuildPattern(pattern, L"1.0%d");
    LogMessage(pattern, number);
}
