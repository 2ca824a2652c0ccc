// The small decisions of the settings load, apart from any document or window:
// how texts of settings.xml become flags, numbers, placements and hot keys, and
// how the settings request URL is made.
#pragma once

#include <string>

// Identifiers of the well-known panels.
namespace well_known {
extern const wchar_t* const kHelp;
extern const wchar_t* const kFeedback;
extern const wchar_t* const kBug;  // not a GUID: holds "MLA0"
extern const wchar_t* const kAbout;
extern const wchar_t* const kDockToggle;
extern const wchar_t* const kSettings;
extern const wchar_t* const kMobile;
extern const wchar_t* const kPromo;
extern const wchar_t* const kMiniBrowser;
extern const wchar_t* const kSingleInstanceOnly;  // no binding, single instance
}  // namespace well_known

namespace settings_rules {

// How much of the panel tree of a settings document is read: its first 64
// categories, each one's first 64 targets and each target's first 256
// entries (the reader counts no more, for the records and the menus alike),
// and no more than 1024 records in all.  Each cut is logged once per load.
constexpr int kMaxCategories = 64;
constexpr int kMaxTargets = 64;
constexpr int kMaxTargetEntries = 256;
constexpr int kMaxRecords = 1024;
// Each enhancer listed is an in-process component created and polled: the
// first 16 are loaded.
constexpr int kMaxEnhancers = 16;

// ASCII letters compared without case; every other character exactly.
bool EqualsNoCase(const std::wstring& a, const std::wstring& b);

// User settings and a panel entry's active flag: true when empty or "true".
bool FlagOrEmpty(const std::wstring& text);
// Every other panel option: true only for "true".
bool FlagTrue(const std::wstring& text);
// A panel's parent flag: false only for "false" (missing gives true).
bool ParentFlag(const std::wstring& text);

// Leading decimal digits (after blanks and one sign); 0 when none.
int LeadingInt(const std::wstring& text);
// Seconds text to milliseconds (0 for missing, empty or no number).
unsigned IntervalMs(const std::wstring& text);

// Panel placement from location: "center" 1, "tray" 128, else 0.
constexpr unsigned kPlaceCenter = 1;
constexpr unsigned kPlaceTray = 128;
unsigned Placement(const std::wstring& location);

// Hot-key names; a name not in the table keeps `previous`.
int HotKeyModifiers(const std::wstring& mode, int previous);
int HotKeyVirtualKey(const std::wstring& key, int previous);

// The host-name fragment of the production application server.
extern const wchar_t* const kProductionHostFragment;
// True when the settings URL names the production server (case-sensitive).
bool IsProductionUrl(const std::wstring& settingsUrl);
// The production application server's URL, "http://" + the fragment: the
// default init URL's server, so a program left on its defaults counts as on
// the production server.
std::wstring ProductionServerUrl();

// The settings request: the init URL alone for an empty user id, else with
// "pq_userid" (already percent-encoded by the caller) and "pq_version".  An
// init URL that already has a query gets "&" instead of a second "?".
std::wstring SettingsRequestUrl(const std::wstring& initUrl, const std::wstring& encodedUserId,
                                const std::wstring& version);

// The well-known panel a record's id names and what that sets on the record.
// The ids are tried in this order, ignoring case, and the first match wins:
// help, feedback, about, dock toggle, bug, settings, mobile, promo, the
// settings' search panel (searchEcp), mini browser, single-instance-only.
enum class EcpRole { kNone, kHelp, kFeedback, kAbout, kDockToggle, kBug, kSettings, kMobile, kPromo, kSearch,
                     kMiniBrowser };
struct EcpBinding {
    EcpRole role = EcpRole::kNone;
    int singleInstance = -1;        // 0 or 1 is set on the record; -1 keeps its value
    bool settingsPanel = false;     // the record is the settings panel
    bool searchPanel = false;       // the record is the search panel
    bool defaultWhenUnset = false;  // its id becomes the default panel when none is named
};
EcpBinding BindingFor(const std::wstring& id, const std::wstring& searchEcp);

}  // namespace settings_rules
