// Which enhancer classes the program creates in-process.  The settings that
// name the enhancers come from a server: a class they list is not loaded just
// because some DLL on the machine registered it.  Only the program's own
// enhancer classes load: the Internet Explorer enhancer's Action and the
// Firefox enhancer's FirefoxEnhancer.  Portable, tested in tables.
#pragma once

#include <string>
#include <vector>

namespace enhancer_rules {

// CLSID texts without braces, as settings.xml gives them.
constexpr const wchar_t* kInternetExplorerEnhancer = L"5FA5BCF8-7C6F-4E28-9479-3AB992F8B579";
constexpr const wchar_t* kFirefoxEnhancer = L"B5BDB5FF-5288-4423-A77D-6418C864F6F6";

// True when the record's id names one of the program's own enhancer classes
// or one of `extra` (same text, ASCII case ignored).
bool IsOwnEnhancer(const std::wstring& id, const std::vector<std::wstring>& extra = {});

}  // namespace enhancer_rules

namespace enhancerseam {
// Test seam: classes a test lets load beside the program's own (its stand-in
// enhancers).  Never set by a deliverable.
extern std::vector<std::wstring> extraClasses;
}  // namespace enhancerseam
