// The rule for every URL handed to the shell or a browser, and the plain
// parts of opening one: which browser the default is, its command line and
// the wait for its window.
#pragma once

#include <cstdint>
#include <string>

namespace browser_url {

// The URL as it may be handed over: an http or https URL (scheme in any
// case) with every '"' percent-encoded; empty when the URL is refused (any
// other scheme, nothing after the scheme, control characters).
std::wstring SafeUrl(const std::wstring& url);

// A URL made safe (SafeUrl) as one argument of a command line: quoted, with
// the backslashes before the closing quote doubled.
std::wstring QuoteArgument(const std::wstring& safeUrl);

// Whether the default browser's path names Firefox: "firefox.exe" or
// "FIREFOX.EXE" (exactly these cases) after the path's first character.
bool IsFirefoxPath(const std::wstring& path);

// The window class of the browser's main window.
const wchar_t* BrowserWindowClass(bool firefox);

// The parameters the browser is started with for a safe URL.
std::wstring StartParameters(const std::wstring& safeUrl, bool firefox);

// The wait for the started browser's window: a look every kPollStepMs, and
// another look while no more than kPollLimitMs - 1 have passed.
constexpr uint32_t kPollStepMs = 200;
constexpr uint32_t kPollLimitMs = 3000;
// Before that, the wait for the started browser to take input: at most
// kInputIdleWaitMs (the shell's own wait for it would hold the
// user-interface thread up to a minute).
constexpr uint32_t kInputIdleWaitMs = 2000;
inline bool KeepPolling(uint32_t elapsedMs) { return elapsedMs < kPollLimitMs; }

}  // namespace browser_url
