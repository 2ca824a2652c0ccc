// The main program's command-line tokens under fuzzed arguments, one a line,
// each handed over as the framework does (a leading "/" or "-" taken off).
// No sanitizer report, and
//   - only "startup" in any letter case reads the start flag and only "shut"
//     asks the running instance to quit;
//   - a token writes "jcmd.txt" exactly when it holds "jscmd:", and the text
//     is a GUID piece ("guid:" and at most 36 characters more) followed by
//     all of the token after its first "jscmd:".
#include <string>
#include <vector>

#include "app/core/main/CommandLineRules.h"
#include "tests/support/FuzzInput.h"

using namespace command_line;

namespace {

std::wstring LowerAscii(std::wstring s) {
    for (wchar_t& c : s)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (const std::wstring& argument : FuzzFields(data, size, 64)) {
        const bool flag = !argument.empty() && (argument[0] == L'/' || argument[0] == L'-');
        const std::wstring token = flag ? argument.substr(1) : argument;
        const TokenRequest r = ReadToken(token);
        FUZZ_CHECK(r.readStartFlag == (LowerAscii(token) == L"startup"));
        FUZZ_CHECK(r.quitOther == (token == L"shut"));
        const size_t at = token.find(L"jscmd:");
        FUZZ_CHECK(r.writeJcmd == (at != std::wstring::npos));
        if (!r.writeJcmd) {
            FUZZ_CHECK(r.jcmdText.empty());
            continue;
        }
        const std::wstring tail = token.substr(at + 6);
        FUZZ_CHECK(r.jcmdText.size() >= tail.size() &&
                   r.jcmdText.compare(r.jcmdText.size() - tail.size(), tail.size(), tail) == 0);
        const size_t piece = r.jcmdText.size() - tail.size();
        FUZZ_CHECK(r.jcmdText.compare(0, 5, L"guid:") == 0 && piece >= 5 && piece <= 41);
        if (token.compare(0, 5, L"guid:") != 0)
            FUZZ_CHECK(r.jcmdText.compare(0, piece, std::wstring(L"guid:") + kDefaultJcmdGuid) == 0);
    }
    return 0;
}
