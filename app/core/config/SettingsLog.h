// Log lines of the settings load: fixed labels followed by the value as read,
// sections between lines of 65 "-".
#pragma once

#include <windows.h>

#include <string>

namespace settings_log {

void Separator();
// label + value, one line.
void Value(const wchar_t* label, const std::wstring& value);
void Value(const wchar_t* label, long long value);
// Separator, "Ticks: " + milliseconds since startTick, separator.
void TicksSince(DWORD startTick);
// Separator, title, separator.
void Section(const wchar_t* title);

}  // namespace settings_log
