// Every value reader of a window template over the texts of a fuzzed
// template (one text a line): no sanitizer report, and the rules that other
// code leans on hold for every text.
//   - A number is one form: a fraction is finite and the integer is 0 then.
//   - A zoom never scales edges by less than 1.
//   - A pixel background position reads back the same from its own text.
//   - An image's cache-name part holds no path separator, drive colon,
//     wildcard, quote, angle bracket, bar, control character or "..", and is
//     the reference itself when that was safe already.
//   - An accepted skin key is a safe cache-name part as it stands.
//   - A reference without a known placeholder stays as written; with one it
//     begins with the template base.
#include <cmath>
#include <cstdlib>
#include <string>

#include "app/panels/templates/ElementTypes.h"
#include "app/panels/templates/TemplateValues.h"
#include "tests/support/FuzzInput.h"

using namespace templates;

namespace {

bool SafeNamePart(const std::wstring& s) {
    for (wchar_t c : s)
        if (c < 0x20 || std::wstring(L"/\\:*?\"<>|").find(c) != std::wstring::npos) return false;
    return s.find(L"..") == std::wstring::npos;
}

void ReadOne(const std::wstring& text, const std::wstring& base, const std::wstring& key) {
    const TemplateSize size{320, 240};
    const TemplateNumber n = ReadNumber(text, size);
    FUZZ_CHECK(std::isfinite(n.fraction) && (n.fraction == 0.0 || n.integer == 0));
    const TemplateLength length = ReadLength(text, 344.0, size);
    FUZZ_CHECK(length.mode == kLengthPixels || length.mode == kLengthPercent);
    FUZZ_CHECK(IntegerZoom(ReadZoom(text)) >= 1);

    (void)ReadColour(text);
    (void)ReadDisplay(text);
    (void)ReadPosition(text);
    (void)ReadVerticalAlign(text);
    (void)ReadTextCentred(text);
    (void)ReadElementType(text);
    const ElementIdRoles roles = ClassifyElementId(text);
    (void)CorrectWidthForId(roles, length.value, roles.searchBox, n.fraction, n.integer);

    const Background background = ReadBackground(base, text, key);
    const BackgroundPosition& p = background.position;
    if (p.set && !p.centred) {
        const BackgroundPosition again =
            ReadBackgroundPosition(std::to_wstring(p.x) + L"px " + std::to_wstring(p.y) + L"px");
        FUZZ_CHECK(again.set && !again.centred && again.x == p.x && again.y == p.y);
    }

    const std::wstring suffix = ImageCacheSuffix(text);
    FUZZ_CHECK(SafeNamePart(suffix) && suffix.size() <= text.size());
    if (SafeNamePart(text)) FUZZ_CHECK(suffix == text);
    if (IsAcceptedTemplateKey(text)) FUZZ_CHECK(ImageCacheSuffix(text) == text);

    const std::wstring url = ExpandPlaceholders(text, base, key);
    if (text.find(L"{pq_images") == std::wstring::npos) FUZZ_CHECK(url == text);
    else if (url != text) FUZZ_CHECK(url.compare(0, base.size(), base) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::wstring> fields = FuzzFields(data, size, 64);
    for (size_t i = 0; i < fields.size(); ++i)
        ReadOne(fields[i], FieldAt(fields, i + 1), FieldAt(fields, i + 2));
    return 0;
}
