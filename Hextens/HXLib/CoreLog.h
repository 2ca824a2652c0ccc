// Where the portable cores send their log lines.  The text of a line is
// complete without the "(HXLib) " prefix; the library's LogMessage adds it.
// None set: the cores log nothing.
#pragma once

#include "Hextens/HXLib/CharClass.h"

namespace hxcore {

using LogSink = void (*)(const String& line);
void SetLogSink(LogSink sink);
void Log(const String& line);

// Decimal text of n.
String Decimal(long long n);
// A narrow ASCII literal as UTF-16.
String Ascii(const char* text);

}  // namespace hxcore
