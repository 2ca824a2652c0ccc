#include "app/include/ImageCheck.h"

#include <atomic>
#include <cstdio>
#include <string>

#ifdef _WIN32
#include "log/PondrelLog.h"
#endif

namespace {

void DefaultReporter(const char* check, const char* file, int line) {
#ifdef _WIN32
    std::wstring text = L"Image check failed: ";
    for (const char* p = check; *p; ++p) text += static_cast<wchar_t>(static_cast<unsigned char>(*p));
    text += L" in ";
    for (const char* p = file; *p; ++p) text += static_cast<wchar_t>(static_cast<unsigned char>(*p));
    text += L" line " + std::to_wstring(line);
    LogLine(text.c_str());
#else
    std::fprintf(stderr, "Image check failed: %s in %s line %d\n", check, file, line);
#endif
}

std::atomic<ImageCheckReporter> g_reporter{&DefaultReporter};

}  // namespace

ImageCheckReporter SetImageCheckReporter(ImageCheckReporter reporter) {
    return g_reporter.exchange(reporter ? reporter : &DefaultReporter);
}

void ReportImageCheck(const char* check, const char* file, int line) { g_reporter.load()(check, file, line); }
