#include "app/core/graphics/GraphicsRules.h"

#include <cmath>
#include <cstdint>
#include <cwctype>

const unsigned kTextIds[kTextCount] = {1,   2,   3,   102, 103, 104, 105, 106, 107, 108,
                                       109, 110, 111, 112, 113, 114, 131, 133, 134, 135};

int TextIndexOf(unsigned id) {
    for (int i = 0; i < kTextCount; ++i)
        if (kTextIds[i] == id) return i;
    return -1;
}

namespace {

bool Allowed(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9') || c == L'.' ||
           c == L'_' || c == L'-';
}

std::wstring Sanitized(const std::wstring& text) {
    std::wstring out = text;
    for (wchar_t& c : out)
        if (!Allowed(c)) c = L'_';
    return out;
}

std::wstring Upper(const std::wstring& text) {
    std::wstring out = text;
    for (wchar_t& c : out)
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    return out;
}

// The names Windows reserves for devices whatever their extension (COM0 and
// LPT0 among them).
bool IsDeviceName(const std::wstring& base) {
    const std::wstring b = Upper(base);
    if (b == L"CON" || b == L"PRN" || b == L"AUX" || b == L"NUL" || b == L"CONIN$" || b == L"CONOUT$") return true;
    if (b.size() == 4 && (b.compare(0, 3, L"COM") == 0 || b.compare(0, 3, L"LPT") == 0) && b[3] >= L'0' &&
        b[3] <= L'9')
        return true;
    return false;
}

// "_q" and 8 hexadecimal digits of the query's FNV-1a hash; "" for no query.
std::wstring QueryTag(const std::wstring& query) {
    if (query.empty()) return std::wstring();
    uint32_t hash = 2166136261u;
    for (wchar_t c : query) {
        const uint32_t unit = static_cast<uint16_t>(c);
        for (uint32_t b : {unit & 0xFFu, unit >> 8}) {
            hash ^= b;
            hash *= 16777619u;
        }
    }
    static const wchar_t kHex[] = L"0123456789abcdef";
    std::wstring tag = L"_q";
    for (int shift = 28; shift >= 0; shift -= 4) tag += kHex[(hash >> shift) & 0xFu];
    return tag;
}

}  // namespace

std::wstring CacheFileNameFromUrl(const std::wstring& url, const std::wstring& version, const std::wstring& prefix) {
    // The fragment never reaches the server; the query does, and picks the
    // image as much as the path does.
    const std::wstring sent = url.substr(0, url.find(L'#'));
    const std::size_t question = sent.find(L'?');
    const std::wstring text = sent.substr(0, question);
    const std::wstring query = question == std::wstring::npos ? std::wstring() : sent.substr(question + 1);
    std::size_t slash = text.rfind(L'/');
    std::wstring segment = (slash != std::wstring::npos && slash >= 1) ? text.substr(slash + 1) : text;
    segment = Sanitized(segment);
    const std::wstring v = Sanitized(version) + QueryTag(query);

    std::size_t dot = segment.find(L'.');
    std::wstring name = dot == std::wstring::npos ? segment + v : segment.substr(0, dot) + v + segment.substr(dot);
    std::wstring base = name.substr(0, name.find(L'.'));
    if (name.empty() || name == L"." || name.find(L"..") != std::wstring::npos || IsDeviceName(base)) return L"";
    return prefix + name;
}

std::wstring NumberToString(double number) {
    long long n = 0;
    if (std::isnan(number))
        n = 0;
    else if (number >= 2147483647.0)
        n = 2147483647;
    else if (number <= -2147483648.0)
        n = -2147483647LL - 1;
    else
        n = static_cast<long long>(number);  // toward zero
    return std::to_wstring(n);
}

std::wstring CutBrowserArguments(const std::wstring& command) {
    if (command.empty() || command.find(L'\\', 1) == std::wstring::npos) return command;
    std::size_t space = command.find(L' ', command.rfind(L'\\'));
    return space == std::wstring::npos ? command : command.substr(0, space);
}
