// The main program's command-line tokens, apart from the application object:
// what each token the framework hands over asks for.  No Win32 call (built
// and tested natively too).
#pragma once

#include <string>

namespace command_line {

// The default GUID piece of "jcmd.txt" when a token brings none.
constexpr const wchar_t* kDefaultJcmdGuid = L"64BD9E73-2C6E-4597-AC6D-B606E6725485";

// What one token asks for: "startup" (ASCII letters in any case) reads the
// start flag, "shut" (exactly) asks the running instance to quit, a token
// that holds "jscmd:" anywhere writes "jcmd.txt" with jcmdText.
struct TokenRequest {
    bool readStartFlag = false;
    bool quitOther = false;
    bool writeJcmd = false;
    std::wstring jcmdText;
};
TokenRequest ReadToken(const std::wstring& token);

// The text "jcmd.txt" receives for a token that holds "jscmd:" at `pos`: the
// GUID piece (the token's first 41 characters, or what it has, when it begins
// with "guid:"; else "guid:" and the default GUID), then the text after
// "jscmd:".
std::wstring JcmdText(const std::wstring& token, size_t pos);

}  // namespace command_line
