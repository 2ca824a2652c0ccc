// The URL rules shared by the server routines, the update rules and the
// panels (UrlParam.h), and the percent-encoding the program sends texts with
// (UrlEncodeUtf8, HXLib's rule), over fuzzed texts.  No sanitizer report, and
//   - a web URL is an http:// or https:// one, in any letter case, with
//     something after the scheme;
//   - a key's value is read back as written, up to the next "&";
//   - a percent-encoded text is "%" and two lower-case hex digits a byte and
//     decodes to the text's UTF-8 form (a lone surrogate as U+FFFD); the
//     navigation form is ASCII and keeps the ASCII characters in order.
//
// The input, one item a line: a URL, a key, a value, the text to encode.
#include <string>

#include "Hextens/HXLib/UrlEncode.h"
#include "app/core/net/UrlParam.h"
#include "tests/support/FuzzInput.h"

namespace {

std::wstring Lower(std::wstring s) {
    for (wchar_t& c : s)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    return s;
}

int Hex(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    return -1;
}

// UTF-16 with lone surrogates as U+FFFD, then as UTF-8, independently of
// the rule under test.
std::string ExpectedUtf8(const std::u16string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = text[i];
        const bool high = c >= 0xD800 && c <= 0xDBFF, low = c >= 0xDC00 && c <= 0xDFFF;
        if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        else if (high || low)
            c = 0xFFFD;
        const int extra = c < 0x80 ? 0 : c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
        static const unsigned char kLead[] = {0x00, 0xC0, 0xE0, 0xF0};
        out += static_cast<char>(kLead[extra] | (c >> (6 * extra)));
        for (int k = extra - 1; k >= 0; --k) out += static_cast<char>(0x80 | ((c >> (6 * k)) & 0x3F));
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::wstring> fields = FuzzFields(data, size, 4);
    const std::wstring& url = FieldAt(fields, 0);
    const std::wstring lower = Lower(url);
    FUZZ_CHECK(IsWebUrl(url) == ((lower.compare(0, 7, L"http://") == 0 && url.size() > 7) ||
                                 (lower.compare(0, 8, L"https://") == 0 && url.size() > 8)));

    const std::wstring& key = FieldAt(fields, 1);
    const std::wstring value = FieldAt(fields, 2).substr(0, FieldAt(fields, 2).find(L'&'));
    const std::wstring written = url + key + L"=" + value;
    if (!key.empty() && written.find(key) == url.size()) {
        FUZZ_CHECK(GetUrlParam(written, key) == value);
        FUZZ_CHECK(GetUrlParam(written + L"&" + url, key) == value);
    }
    FUZZ_CHECK(GetUrlParam(url, key).find(L'&') == std::wstring::npos);

    const std::wstring& wide = FieldAt(fields, 3);
    const std::u16string text(wide.begin(), wide.end());
    const std::u16string encoded = urlenc::PercentEncodeUtf8(text.data(), text.size());
    FUZZ_CHECK(encoded.size() % 3 == 0);
    std::string bytes;
    for (size_t i = 0; i < encoded.size(); i += 3) {
        FUZZ_CHECK(encoded[i] == u'%' && Hex(encoded[i + 1]) >= 0 && Hex(encoded[i + 2]) >= 0);
        bytes += static_cast<char>(Hex(encoded[i + 1]) * 16 + Hex(encoded[i + 2]));
    }
    FUZZ_CHECK(bytes == ExpectedUtf8(text));

    const std::string navigation = urlenc::PercentEncodeNonAsciiUtf8(text.data(), text.size());
    std::string ascii, kept;
    for (char16_t c : text)
        if (c < 0x80) ascii += static_cast<char>(c);
    for (char c : navigation) {
        FUZZ_CHECK(static_cast<unsigned char>(c) < 0x80);
        kept += c;
    }
    // The ASCII characters of the text stand in the navigation form in order.
    size_t at = 0;
    for (char c : ascii) {
        at = kept.find(c, at);
        FUZZ_CHECK(at != std::string::npos);
        ++at;
    }
    return 0;
}
