// The cache file name of a server-named image and the other text rules of
// the shared utilities, over fuzzed URLs, versions and browser commands.
// No sanitizer report, and
//   - a cache name is the prefix and a name of only A-Z, a-z, 0-9, ".", "_"
//     and "-", neither empty, "." nor holding "..", whose base (up to its
//     first dot) is none of the device names Windows reserves whatever the
//     extension (COM0 and LPT0 among them);
//   - what follows the first "#" of the URL does not change the name, and a
//     query does (URLs that differ only in their query keep files of their
//     own);
//   - a browser command cut to its executable is a beginning of it;
//   - a number's text reads back as its integer part within the 32-bit range.
//
// The input, one item a line: the URL, the version, a browser command; the
// first eight bytes of the input also make the number.
#include <cmath>
#include <cstring>
#include <string>

#include "app/core/common/CommonRules.h"
#include "app/core/graphics/GraphicsRules.h"
#include "tests/support/FuzzInput.h"

namespace {

bool NameCharacter(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9') || c == L'.' ||
           c == L'_' || c == L'-';
}

bool DeviceName(std::wstring base) {
    for (wchar_t& c : base)
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    for (const wchar_t* d : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"})
        if (base == d) return true;
    for (const wchar_t* d : {L"COM", L"LPT"})
        for (wchar_t n = L'0'; n <= L'9'; ++n)
            if (base == std::wstring(d) + n) return true;
    return false;
}

void CheckCacheName(const std::wstring& url, const std::wstring& version) {
    const std::wstring prefix = L"EcpIcons\\";
    const std::wstring got = CacheFileNameFromUrl(url, version, prefix);
    if (url.find_first_of(L"?#") == std::wstring::npos) {
        FUZZ_CHECK(CacheFileNameFromUrl(url + L"#a?b", version, prefix) == got);
        FUZZ_CHECK(CacheFileNameFromUrl(url + L"?v=2#top", version, prefix) ==
                   CacheFileNameFromUrl(url + L"?v=2", version, prefix));
        if (!got.empty()) FUZZ_CHECK(CacheFileNameFromUrl(url + L"?v=2", version, prefix) != got);
    }
    if (got.empty()) return;
    FUZZ_CHECK(got.compare(0, prefix.size(), prefix) == 0);
    const std::wstring name = got.substr(prefix.size());
    FUZZ_CHECK(!name.empty() && name != L"." && name.find(L"..") == std::wstring::npos);
    for (wchar_t c : name) FUZZ_CHECK(NameCharacter(c));
    FUZZ_CHECK(!DeviceName(name.substr(0, name.find(L'.'))));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::wstring> fields = FuzzFields(data, size, 3);
    CheckCacheName(FieldAt(fields, 0), FieldAt(fields, 1));
    CheckCacheName(FieldAt(fields, 0), L"");

    const std::wstring& command = FieldAt(fields, 2);
    const std::wstring cut = CutBrowserArguments(command);
    FUZZ_CHECK(command.compare(0, cut.size(), cut) == 0);

    if (size >= sizeof(double)) {
        double number;
        std::memcpy(&number, data, sizeof number);
        const long long back = std::stoll(NumberToString(number));
        FUZZ_CHECK(back >= -2147483648LL && back <= 2147483647LL);
        if (std::isfinite(number) && std::fabs(number) < 2147483647.0)
            FUZZ_CHECK(back == static_cast<long long>(std::trunc(number)));
    }
    return 0;
}
