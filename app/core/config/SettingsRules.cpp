#include "app/core/config/SettingsRules.h"

#include <climits>

namespace well_known {
const wchar_t* const kHelp = L"8B33A94F-37ED-4EA3-9053-D6B32D3DD608";
const wchar_t* const kFeedback = L"7B143EB0-67E7-42F2-A976-D7EE507D0EA5";
const wchar_t* const kBug = L"EF59F3D4-13D1-4A05-88B3-4832MLA0C742";
const wchar_t* const kAbout = L"B738D536-E6B1-49C4-B565-C4A425A0973B";
const wchar_t* const kDockToggle = L"235DA57D-4BE6-4ABA-A46E-78012268DD93";
const wchar_t* const kSettings = L"2338AD2E-CDAC-11DB-8314-0800200C9A66";
const wchar_t* const kMobile = L"PondRel Mobile";
const wchar_t* const kPromo = L"PondRel Offers";
const wchar_t* const kMiniBrowser = L"4C733FB7-1F02-4F4F-BBBD-C5156B5B9872";
const wchar_t* const kSingleInstanceOnly = L"DE493F68-8353-1A76-AEF1-E3CD929F5C4C";
}  // namespace well_known

namespace settings_rules {

namespace {
wchar_t FoldAscii(wchar_t c) { return (c >= L'A' && c <= L'Z') ? wchar_t(c - L'A' + L'a') : c; }
}  // namespace

bool EqualsNoCase(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    return true;
}

bool FlagOrEmpty(const std::wstring& text) { return text.empty() || EqualsNoCase(text, L"true"); }
bool FlagTrue(const std::wstring& text) { return EqualsNoCase(text, L"true"); }
bool ParentFlag(const std::wstring& text) { return !EqualsNoCase(text, L"false"); }

int LeadingInt(const std::wstring& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == L' ' || text[i] == L'\t' || text[i] == L'\r' || text[i] == L'\n'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
    long long v = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        v = v * 10 + (text[i] - L'0');
        if (v > INT_MAX) { v = INT_MAX; break; }
    }
    return static_cast<int>(negative ? -v : v);
}

unsigned IntervalMs(const std::wstring& text) {
    long long seconds = LeadingInt(text);
    if (seconds <= 0) return 0;
    long long ms = seconds * 1000;
    return ms > 0xFFFFFFFFLL ? 0xFFFFFFFFu : static_cast<unsigned>(ms);
}

unsigned Placement(const std::wstring& location) {
    if (EqualsNoCase(location, L"center")) return kPlaceCenter;
    if (EqualsNoCase(location, L"tray")) return kPlaceTray;
    return 0;
}

int HotKeyModifiers(const std::wstring& mode, int previous) {
    static const struct { const wchar_t* name; int value; } kModes[] = {
        {L"Alt", 1}, {L"Windows", 8}, {L"Control", 2}, {L"Shift", 4}};
    for (const auto& m : kModes)
        if (EqualsNoCase(mode, m.name)) return m.value;
    return previous;
}

int HotKeyVirtualKey(const std::wstring& key, int previous) {
    static const struct { const wchar_t* name; int value; } kKeys[] = {
        {L"Tab", 9},  {L"Space", 32}, {L"Back Space", 8}, {L"Enter", 13}, {L"End", 35},
        {L"Pause", 19}, {L"Esc", 27}, {L"Print", 42},     {L"Up", 38}};
    for (const auto& k : kKeys)
        if (EqualsNoCase(key, k.name)) return k.value;
    return previous;
}

const wchar_t* const kProductionHostFragment = L"www.pondrel.com";

bool IsProductionUrl(const std::wstring& settingsUrl) {
    return settingsUrl.find(kProductionHostFragment) != std::wstring::npos;
}

std::wstring ProductionServerUrl() { return std::wstring(L"http://") + kProductionHostFragment; }

std::wstring SettingsRequestUrl(const std::wstring& initUrl, const std::wstring& encodedUserId,
                                const std::wstring& version) {
    if (encodedUserId.empty()) return initUrl;
    std::wstring url = initUrl;
    url += (initUrl.find(L'?') == std::wstring::npos) ? L"?pq_userid=" : L"&pq_userid=";
    url += encodedUserId;
    url += L"&pq_version=";
    url += version;
    return url;
}

EcpBinding BindingFor(const std::wstring& id, const std::wstring& searchEcp) {
    namespace wk = well_known;
    struct Row {
        const wchar_t* id;  // nullptr: the settings' search panel
        EcpBinding binding;
    };
    static const Row kRows[] = {
        {wk::kHelp, {EcpRole::kHelp}},
        {wk::kFeedback, {EcpRole::kFeedback, 0}},
        {wk::kAbout, {EcpRole::kAbout, 1}},
        {wk::kDockToggle, {EcpRole::kDockToggle, 1}},
        {wk::kBug, {EcpRole::kBug}},
        {wk::kSettings, {EcpRole::kSettings, 1, true, false, true}},
        {wk::kMobile, {EcpRole::kMobile}},
        {wk::kPromo, {EcpRole::kPromo}},
        {nullptr, {EcpRole::kSearch, 1, false, true}},
        {wk::kMiniBrowser, {EcpRole::kMiniBrowser, 0}},
        {wk::kSingleInstanceOnly, {EcpRole::kNone, 1}},
    };
    for (const Row& row : kRows)
        if (row.id ? EqualsNoCase(id, row.id) : EqualsNoCase(id, searchEcp)) return row.binding;
    return EcpBinding{};
}

}  // namespace settings_rules
