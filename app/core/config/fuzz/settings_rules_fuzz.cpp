// The settings load's decisions over fuzzed texts of settings.xml and the
// user's values.  No sanitizer report, and
//   - "true" in any letter case is the only true flag, an empty text too for
//     the flags that default to true, and only "false" clears a parent flag;
//   - a number is its leading digits held within the int range, and a
//     number's own text reads back as it; an interval is whole seconds in
//     milliseconds, 0 for none, held within 32 bits;
//   - placements and hot keys are one of their table's values or the value
//     before;
//   - the settings request begins with the init URL and carries the version
//     as its last key;
//   - the well-known panel a record's id names does not depend on the
//     letter case of the id or of the search panel's id.
//
// The input, one item a line: texts read for flags, numbers, places and hot
// keys, a record's id, the search panel's id, the init URL, the encoded user
// id, the version.
#include <climits>
#include <string>

#include "app/core/config/SettingsRules.h"
#include "tests/support/FuzzInput.h"

using namespace settings_rules;

namespace {

std::wstring Upper(std::wstring s) {
    for (wchar_t& c : s)
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    return s;
}

void ReadValue(const std::wstring& t) {
    const bool isTrue = Upper(t) == L"TRUE";
    FUZZ_CHECK(FlagTrue(t) == isTrue);
    FUZZ_CHECK(FlagOrEmpty(t) == (isTrue || t.empty()));
    FUZZ_CHECK(ParentFlag(t) == (Upper(t) != L"FALSE"));

    const int n = LeadingInt(t);
    if (n != INT_MIN) FUZZ_CHECK(LeadingInt(std::to_wstring(n)) == n);
    const unsigned ms = IntervalMs(t);
    if (n <= 0) FUZZ_CHECK(ms == 0);
    else if (n <= 4294967) FUZZ_CHECK(ms == static_cast<unsigned>(n) * 1000u);
    else FUZZ_CHECK(ms == 0xFFFFFFFFu);

    const unsigned place = Placement(t);
    FUZZ_CHECK(place == 0 || place == kPlaceCenter || place == kPlaceTray);
    const int modifiers = HotKeyModifiers(t, -7);
    FUZZ_CHECK(modifiers == -7 || modifiers == 1 || modifiers == 2 || modifiers == 4 || modifiers == 8);
    const int key = HotKeyVirtualKey(t, -7);
    FUZZ_CHECK(key == -7 || (key > 0 && key < 0x100));
    FUZZ_CHECK(HotKeyModifiers(Upper(t), -7) == modifiers && HotKeyVirtualKey(Upper(t), -7) == key);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::wstring> fields = FuzzFields(data, size, 64);
    for (const std::wstring& t : fields) ReadValue(t);

    const size_t n = fields.size();
    const std::wstring& id = FieldAt(fields, n >= 5 ? n - 5 : 0);
    const std::wstring& search = FieldAt(fields, n >= 4 ? n - 4 : 1);
    const EcpBinding binding = BindingFor(id, search);
    const EcpBinding upper = BindingFor(Upper(id), Upper(search));
    FUZZ_CHECK(upper.role == binding.role && upper.singleInstance == binding.singleInstance &&
               upper.settingsPanel == binding.settingsPanel && upper.searchPanel == binding.searchPanel);

    const std::wstring& init = FieldAt(fields, n >= 3 ? n - 3 : 2);
    const std::wstring& user = FieldAt(fields, n >= 2 ? n - 2 : 3);
    const std::wstring& version = FieldAt(fields, n - 1);
    const std::wstring request = SettingsRequestUrl(init, user, version);
    FUZZ_CHECK(request.compare(0, init.size(), init) == 0);
    if (user.empty()) FUZZ_CHECK(request == init);
    else FUZZ_CHECK(request.size() >= version.size() + 12 &&
                    request.compare(request.size() - version.size() - 12, std::wstring::npos,
                                    L"&pq_version=" + version) == 0);
    (void)IsProductionUrl(init);
    return 0;
}
