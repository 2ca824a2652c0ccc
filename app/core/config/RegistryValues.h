// The per-user values (each the default value of its own subkey of
// HKCU "Software\Pondrel") and the installer's HKLM "Software\Pondrel" values.
#pragma once

#include <string>

// Reads the default value of HKCU "Software\Pondrel\<name>" into out (256-byte
// buffer).  Missing key, a non-string value or one too long: out is empty.
void ReadRegistryValue(const wchar_t* name, std::wstring& out);
// Sets the default value of HKCU "Software\Pondrel\<name>" (REG_SZ), creating
// "Software\Pondrel" when it is missing.
void WriteRegistryValue(const wchar_t* value, const wchar_t* name);
// The same two one at a time (under one lock), for panel threads.
void ReadRegistryValueLocked(const wchar_t* name, std::wstring& out);
void WriteRegistryValueLocked(const wchar_t* value, const wchar_t* name);

void WriteStartFlag(const wchar_t* text);
void WriteSplashFlag(const wchar_t* text);

// Reads string value `name` of HKLM "Software\Pondrel" whatever its length;
// false (out empty) when the key or value is missing or not a string.
bool ReadInstallValue(const wchar_t* name, std::wstring& out);

// Decisions on the texts read.
bool StartFlagAllows(const std::wstring& text);   // empty or "true" ignoring case
bool SplashFlagSet(const std::wstring& text);     // "true" ignoring case
bool IsFirstRunMark(const std::wstring& text);    // empty or "Yes" ignoring case
