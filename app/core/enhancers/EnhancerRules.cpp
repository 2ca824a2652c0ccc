#include "app/core/enhancers/EnhancerRules.h"

namespace enhancerseam {
std::vector<std::wstring> extraClasses;
}

namespace enhancer_rules {

namespace {

wchar_t Upper(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

bool SameId(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Upper(a[i]) != Upper(b[i])) return false;
    return true;
}

}  // namespace

bool IsOwnEnhancer(const std::wstring& id, const std::vector<std::wstring>& extra) {
    if (SameId(id, kInternetExplorerEnhancer) || SameId(id, kFirefoxEnhancer)) return true;
    for (const std::wstring& other : extra)
        if (!other.empty() && SameId(id, other)) return true;
    return false;
}

}  // namespace enhancer_rules
