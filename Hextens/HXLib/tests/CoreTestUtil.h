// Helpers shared by the HXLib core tests (native and Windows builds).
#pragma once

#include <string>
#include <string_view>

#include "Hextens/HXLib/CharClass.h"
#include "Hextens/HXLib/UrlEncode.h"

namespace coretest {

// UTF-16 as UTF-8, for readable expectations and failure messages.
inline std::string Utf8(std::u16string_view s) { return urlenc::Utf16ToUtf8(s.data(), s.size()); }

}  // namespace coretest
