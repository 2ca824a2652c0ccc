#include "app/core/config/SettingsLog.h"

#include "log/Logger.h"
#include "log/PondrelLog.h"

namespace settings_log {

void Separator() { LogLine(std::wstring(65, L'-').c_str()); }

void Value(const wchar_t* label, const std::wstring& value) {
    if (!g_pLogger) return;  // no line to make: logging is off
    LogLine((label + value).c_str());
}

void Value(const wchar_t* label, long long value) { Value(label, std::to_wstring(value)); }

void TicksSince(DWORD startTick) {
    Separator();
    Value(L"Ticks: ", std::to_wstring(static_cast<unsigned long>(::GetTickCount() - startTick)));
    Separator();
}

void Section(const wchar_t* title) {
    Separator();
    LogLine(title);
    Separator();
}

}  // namespace settings_log
