#include "Hextens/HXLib/CoreLog.h"

namespace hxcore {

namespace {
LogSink g_sink = nullptr;
}

void SetLogSink(LogSink sink) { g_sink = sink; }

void Log(const String& line) {
    if (g_sink) g_sink(line);
}

String Decimal(long long n) {
    String digits;
    unsigned long long v = n < 0 ? 0ULL - static_cast<unsigned long long>(n) : static_cast<unsigned long long>(n);
    do {
        digits.insert(digits.begin(), static_cast<Char>(u'0' + v % 10));
        v /= 10;
    } while (v);
    if (n < 0) digits.insert(digits.begin(), u'-');
    return digits;
}

String Ascii(const char* text) {
    String s;
    for (; text && *text; ++text) s += static_cast<Char>(static_cast<unsigned char>(*text));
    return s;
}

}  // namespace hxcore
