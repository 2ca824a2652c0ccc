#include "Hextens/HXLib/CharClass.h"

#include <algorithm>
#include <iterator>

#if defined(_WIN32)
#include <cwctype>
#endif

namespace hxcore {

namespace {

// Runs of code units with the same class bits: each entry holds the first
// code unit of a run and its bits, in ascending order.
struct ClassRun {
    unsigned short first;
    unsigned char bits;
};
// Code units whose lower-case form differs from themselves.
struct LowerPair {
    unsigned short from;
    unsigned short to;
};

#include "Hextens/HXLib/CharTable.inc"

}  // namespace

unsigned char TableClass(Char c) {
    auto it = std::upper_bound(std::begin(kClassRuns), std::end(kClassRuns), c,
                               [](Char v, const ClassRun& r) { return v < r.first; });
    return it == std::begin(kClassRuns) ? 0 : std::prev(it)->bits;
}

Char TableLower(Char c) {
    auto it = std::lower_bound(std::begin(kLowerPairs), std::end(kLowerPairs), c,
                               [](const LowerPair& p, Char v) { return p.from < v; });
    return (it != std::end(kLowerPairs) && it->from == c) ? static_cast<Char>(it->to) : c;
}

#if defined(_WIN32)
static_assert(sizeof(wchar_t) == sizeof(Char), "UTF-16 wchar_t");
bool IsAlnum(Char c) { return std::iswalnum(c) != 0; }
bool IsAlpha(Char c) { return std::iswalpha(c) != 0; }
bool IsDigit(Char c) { return std::iswdigit(c) != 0; }
bool IsSpace(Char c) { return std::iswspace(c) != 0; }
Char ToLower(Char c) { return static_cast<Char>(std::towlower(c)); }
#else
bool IsAlnum(Char c) { return (TableClass(c) & kAlnum) != 0; }
bool IsAlpha(Char c) { return (TableClass(c) & kAlpha) != 0; }
bool IsDigit(Char c) { return (TableClass(c) & kDigit) != 0; }
bool IsSpace(Char c) { return (TableClass(c) & kSpace) != 0; }
Char ToLower(Char c) { return TableLower(c); }
#endif

bool EqualNoCase(const Char* a, size_t aLen, const Char* b, size_t bLen) {
    if (aLen != bLen) return false;
    for (size_t i = 0; i < aLen; ++i)
        if (a[i] != b[i] && ToLower(a[i]) != ToLower(b[i])) return false;
    return true;
}

size_t Length(const Char* text) {
    if (!text) return 0;
    // Four code units a round: the parser measures whole documents.
    size_t n = 0;
    for (;; n += 4) {
        if (!text[n]) return n;
        if (!text[n + 1]) return n + 1;
        if (!text[n + 2]) return n + 2;
        if (!text[n + 3]) return n + 3;
    }
}

}  // namespace hxcore
