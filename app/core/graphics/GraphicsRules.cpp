#include "app/core/graphics/GraphicsRules.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cwctype>

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

namespace {

unsigned Be16(const unsigned char* p) { return (unsigned{p[0]} << 8) | p[1]; }
unsigned Le16(const unsigned char* p) { return unsigned{p[0]} | (unsigned{p[1]} << 8); }
unsigned long Be32(const unsigned char* p) { return (static_cast<unsigned long>(Be16(p)) << 16) | Be16(p + 2); }
unsigned long Le32(const unsigned char* p) { return Le16(p) | (static_cast<unsigned long>(Le16(p + 2)) << 16); }
long long SignedLe32(const unsigned char* p) {
    const unsigned long v = Le32(p);
    return v >= 0x80000000UL ? static_cast<long long>(v) - 0x100000000LL : static_cast<long long>(v);
}

// A JPEG's frame header (any SOF marker but the DHT, JPG and DAC ones),
// found by walking the segments from the start-of-image marker.
bool JpegSize(const unsigned char* b, std::size_t n, long long* width, long long* height) {
    std::size_t at = 2;
    while (at + 4 <= n) {
        if (b[at] != 0xFF) return false;
        const unsigned marker = b[at + 1];
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {  // no length
            at += 2;
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA) return false;  // image ended or data began without a frame
        const unsigned length = Be16(b + at + 2);
        if (length < 2) return false;
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (at + 9 > n) return false;
            *height = Be16(b + at + 5);
            *width = Be16(b + at + 7);
            return true;
        }
        at += 2 + length;
    }
    return false;
}

}  // namespace

bool ImageHeaderSize(const unsigned char* b, std::size_t n, long long* width, long long* height) {
    if (b == nullptr || width == nullptr || height == nullptr) return false;
    static const unsigned char kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (n >= 24 && std::equal(kPng, kPng + 8, b) && std::equal(b + 12, b + 16, "IHDR")) {
        *width = static_cast<long long>(Be32(b + 16));
        *height = static_cast<long long>(Be32(b + 20));
        return true;
    }
    if (n >= 10 && (std::equal(b, b + 6, "GIF87a") || std::equal(b, b + 6, "GIF89a"))) {
        *width = Le16(b + 6);
        *height = Le16(b + 8);
        return true;
    }
    if (n >= 26 && b[0] == 'B' && b[1] == 'M') {
        if (Le32(b + 14) == 12) {  // the old core header: 16-bit sizes
            *width = Le16(b + 18);
            *height = Le16(b + 20);
        } else {
            *width = std::llabs(SignedLe32(b + 18));
            *height = std::llabs(SignedLe32(b + 22));
        }
        return true;
    }
    if (n >= 4 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF) return JpegSize(b, n, width, height);
    // An icon or cursor directory: the largest of its entries (0 stands for 256).
    if (n >= 6 && b[0] == 0 && b[1] == 0 && (b[2] == 1 || b[2] == 2) && b[3] == 0) {
        const unsigned entries = Le16(b + 4);
        if (entries == 0 || n < 6 + 16 * static_cast<std::size_t>(entries)) return false;
        long long w = 0, h = 0;
        for (unsigned i = 0; i < entries; ++i) {
            const unsigned char* e = b + 6 + 16 * i;
            w = std::max<long long>(w, e[0] ? e[0] : 256);
            h = std::max<long long>(h, e[1] ? e[1] : 256);
        }
        *width = w;
        *height = h;
        return true;
    }
    return false;
}

bool ImageSizeAcceptable(long long width, long long height) {
    if (width < 0 || height < 0 || width > kMaxImageSide || height > kMaxImageSide) return false;
    return width * height <= kMaxImagePixels;
}
