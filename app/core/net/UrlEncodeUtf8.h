// The main program's percent-encoding of a text for a URL or a query: every
// byte of its UTF-8 form becomes "%" and two lower-case hex digits.  The same
// code as HXLib's UtilityLib::URLEncode2 (Hextens/HXLib/UrlEncode.h).
#pragma once

#include <string>

std::wstring UrlEncodeUtf8(const std::wstring& text);
