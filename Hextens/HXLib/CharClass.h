// Character classes for the portable cores of HXLib.  The cores work on
// 16-bit UTF-16 code units (wchar_t is 32-bit on Linux), and every class
// question goes through this one shim so that the Windows build and the native
// build answer alike.  The Windows build asks the C runtime (iswalnum,
// iswalpha, iswdigit, iswspace, towlower); the native build reads a table
// recorded from that runtime (CharTable.inc, written by CharTableGen).
#pragma once

#include <cstddef>
#include <string>

namespace hxcore {

using Char = char16_t;
using String = std::u16string;

bool IsAlnum(Char c);
bool IsAlpha(Char c);
bool IsDigit(Char c);
bool IsSpace(Char c);
Char ToLower(Char c);

// Equality ignoring case, as the runtime's towlower folds.
bool EqualNoCase(const Char* a, size_t aLen, const Char* b, size_t bLen);
inline bool EqualNoCase(const String& a, const String& b) {
    return EqualNoCase(a.data(), a.size(), b.data(), b.size());
}

size_t Length(const Char* text);

// The class bits CharTable.inc records for one code unit.
enum : unsigned char { kAlnum = 1, kAlpha = 2, kDigit = 4, kSpace = 8 };
unsigned char TableClass(Char c);
Char TableLower(Char c);

}  // namespace hxcore
