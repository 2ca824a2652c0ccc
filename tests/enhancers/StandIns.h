// The stand-in COM servers the tests register in their Wine prefix:
//
// SiteEnhancerStandIn.dll: the outside site-enhancer object, class
//   {276A523E-D788-4B38-B5A0-0FE77199914D}, implementing ISiteEnhancer.
//   Rules (script file named by PONDREL_SITE_SCRIPT, read at every call):
//     domain <suffix>       an enhanced domain: the domain itself or one ending
//                           in "." + suffix; with no domain line every domain
//                           is enhanced
//     link <part> <guess>   a link whose href contains <part> ("*": every
//                           link) is a hot spot with best guess <guess>
//     entry <text>          site entries 0, 1, ... (then an empty text)
//     fail <Method> <hex>   Method returns that HRESULT
//     nullquery             QueryInterface for ISiteEnhancer answers S_OK
//                           with a null pointer
//   With no script: every domain enhanced, no hot-spot link, no entries.
//
// RecordingEnhancer.dll: classes A and B implement IAction and record every
//   call; class C is creatable but has no IAction.  Script (PONDREL_RECORDER_SCRIPT,
//   read at every Init and Update; a line "A:..." or "B:..." is for that class
//   only):
//     type <text>           get_enhancertype (default "Recording Enhancer A"/"B")
//     update <n> <n> ...    what successive Update calls return; the last repeats
//                           (the sequence starts over when the script changes)
//     active <n>            HaveActiveEnhancerAreas and NumEnhancerAreas (default 1)
//     title <text>          ActiveAreaTitle
//     selection <l> <t> <r> <b> <flags> <text>|<context>|<best guess>
//     hotspot <l> <t> <r> <b> <flags> <domain>|<text>|<href>|<context>|<best guess>
//     navigate <n>          NavigateToURL's isSuccess (default 0)
//     fail <Method> <hex>   Method returns that HRESULT (and records the call)
//     pump <Method>         Method, after recording its call, dispatches every
//                           message waiting for the thread, then records
//                           "Pumped <n> | refs <count>" (its own reference
//                           count once the pump is over)
//     nullquery             QueryInterface for IAction answers S_OK with a
//                           null pointer (read when the object is made)
//
// Both write one line per call to the file named by PONDREL_SITE_LOG /
// PONDREL_RECORDER_LOG (UTF-8): "<object> <Method> <arguments...>", arguments
// separated by " | " with "\\", "\n", "\r", "\t" escaped; "<object>" is "S1", "A1",
// "B2", ... (class letter and a number per process).  The object's last line
// is "<object> Destroyed" when its reference count reaches 0.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace standin {

// {276A523E-D788-4B38-B5A0-0FE77199914D}
constexpr CLSID kSiteEnhancerClsid = {0x276a523e, 0xd788, 0x4b38, {0xb5, 0xa0, 0x0f, 0xe7, 0x71, 0x99, 0x91, 0x4d}};
// {6C1E2A10-3B7D-4F5E-9A21-5D4C3B2A1F01} .. F03
constexpr CLSID kRecordingA = {0x6c1e2a10, 0x3b7d, 0x4f5e, {0x9a, 0x21, 0x5d, 0x4c, 0x3b, 0x2a, 0x1f, 0x01}};
constexpr CLSID kRecordingB = {0x6c1e2a10, 0x3b7d, 0x4f5e, {0x9a, 0x21, 0x5d, 0x4c, 0x3b, 0x2a, 0x1f, 0x02}};
constexpr CLSID kNoIAction = {0x6c1e2a10, 0x3b7d, 0x4f5e, {0x9a, 0x21, 0x5d, 0x4c, 0x3b, 0x2a, 0x1f, 0x03}};
constexpr const wchar_t* kRecordingAText = L"6C1E2A10-3B7D-4F5E-9A21-5D4C3B2A1F01";
constexpr const wchar_t* kRecordingBText = L"6C1E2A10-3B7D-4F5E-9A21-5D4C3B2A1F02";
constexpr const wchar_t* kNoIActionText = L"6C1E2A10-3B7D-4F5E-9A21-5D4C3B2A1F03";

constexpr const wchar_t* kSiteScriptVar = L"PONDREL_SITE_SCRIPT";
constexpr const wchar_t* kSiteLogVar = L"PONDREL_SITE_LOG";
constexpr const wchar_t* kRecorderScriptVar = L"PONDREL_RECORDER_SCRIPT";
constexpr const wchar_t* kRecorderLogVar = L"PONDREL_RECORDER_LOG";

// "key rest" of a script line: the text before the first space and what
// follows it; false for a line that starts with a space or is empty.
bool SplitKey(const std::wstring& line, std::wstring& key, std::wstring& rest);

// " | "-separated, escaped arguments.
std::wstring Escape(const std::wstring& text);

// Appends "<object> <line>" to the file named by the variable (nothing when unset).
void Record(const wchar_t* logVar, const std::wstring& object, const std::wstring& line);

// The script's lines (none when the variable is unset or the file is missing).
std::vector<std::wstring> ReadScript(const wchar_t* scriptVar);

// For tests: the record lines of a log file, and a script written as UTF-8.
std::vector<std::wstring> ReadRecords(const std::wstring& path);
bool WriteScript(const std::wstring& path, const std::wstring& text);

}  // namespace standin
