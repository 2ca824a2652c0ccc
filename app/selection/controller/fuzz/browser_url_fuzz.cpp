// The rule for URLs handed to a browser, over fuzzed URLs (from server
// messages, pages and settings) and default-browser paths (from the
// registry).  No sanitizer report, and
//   - a URL let through is a web URL with no quote, no control character and
//     no DEL, and is the URL itself when that had none of them;
//   - the browser's command line made for it splits, by the rules the
//     browser's runtime splits its command line with, into the program, the
//     new-window switch for Firefox, and exactly that URL as one argument.
#include <string>
#include <vector>

#include "app/core/net/UrlParam.h"
#include "app/selection/controller/BrowserUrl.h"
#include "tests/support/FuzzInput.h"

using namespace browser_url;

namespace {

// A command line split as CommandLineToArgvW and the C runtime split it: the
// program name up to its closing quote (or the first blank), then arguments
// separated by blanks outside quotes, where 2n backslashes before a quote
// give n and the quote opens or closes, 2n+1 give n and a literal quote, and
// inside quotes a run of quotes gives a literal one for every third.
std::vector<std::wstring> SplitCommandLine(const std::wstring& line) {
    std::vector<std::wstring> args;
    size_t i = 0;
    std::wstring program;
    if (i < line.size() && line[i] == L'"') {
        for (++i; i < line.size() && line[i] != L'"'; ++i) program += line[i];
        if (i < line.size()) ++i;
    } else {
        for (; i < line.size() && line[i] != L' ' && line[i] != L'\t'; ++i) program += line[i];
    }
    args.push_back(program);
    while (i < line.size() && (line[i] == L' ' || line[i] == L'\t')) ++i;
    if (i >= line.size()) return args;
    std::wstring arg;
    int quotes = 0;
    size_t backslashes = 0;
    while (i < line.size()) {
        const wchar_t c = line[i];
        if ((c == L' ' || c == L'\t') && quotes == 0) {
            args.push_back(arg);
            arg.clear();
            while (i < line.size() && (line[i] == L' ' || line[i] == L'\t')) ++i;
            if (i >= line.size()) return args;
            backslashes = 0;
        } else if (c == L'\\') {
            arg += c;
            ++backslashes;
            ++i;
        } else if (c == L'"') {
            if (backslashes % 2 == 0) {
                arg.erase(arg.size() - backslashes / 2);
                ++quotes;
            } else {
                arg.erase(arg.size() - backslashes / 2 - 1);
                arg += L'"';
            }
            ++i;
            backslashes = 0;
            while (i < line.size() && line[i] == L'"') {
                if (++quotes == 3) {
                    arg += L'"';
                    quotes = 0;
                }
                ++i;
            }
            if (quotes == 2) quotes = 0;
        } else {
            arg += c;
            backslashes = 0;
            ++i;
        }
    }
    args.push_back(arg);
    return args;
}

bool Unsafe(wchar_t c) { return c < 0x20 || c == 0x7f || c == L'"'; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::wstring> fields = FuzzFields(data, size, 2);
    const std::wstring& url = FieldAt(fields, 0);
    (void)IsFirefoxPath(FieldAt(fields, 1));

    const std::wstring safe = SafeUrl(url);
    bool plain = IsWebUrl(url);
    for (wchar_t c : url) plain = plain && !Unsafe(c);
    if (plain) FUZZ_CHECK(safe == url);
    if (safe.empty()) return 0;
    FUZZ_CHECK(IsWebUrl(safe));
    for (wchar_t c : safe) FUZZ_CHECK(!Unsafe(c));

    const std::wstring program = L"C:\\Program Files\\Browser\\browser.exe";
    for (bool firefox : {false, true}) {
        const std::vector<std::wstring> args =
            SplitCommandLine(L"\"" + program + L"\" " + StartParameters(safe, firefox));
        std::vector<std::wstring> expected{program};
        if (firefox) expected.push_back(L"-new-window");
        expected.push_back(safe);
        FUZZ_CHECK(args == expected);
    }
    return 0;
}
