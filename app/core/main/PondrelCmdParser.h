// The main program's command line: "startup", "shut" and "jscmd:" tokens only.
#pragma once

#include <string>

#include "fx/App.h"

class PondrelCmdParser : public fx::CommandLineInfo {
public:
    void ParseParam(const wchar_t* param, bool flag, bool last) override;
};

// The default GUID piece of "jcmd.txt" when a token brings none.
constexpr const wchar_t* kDefaultJcmdGuid = L"64BD9E73-2C6E-4597-AC6D-B606E6725485";

// The text "jcmd.txt" receives for a token that holds "jscmd:" at `pos`: the
// GUID piece (the token's first 41 characters, or what it has, when it begins
// with "guid:"; else "guid:" and the default GUID), then the text after
// "jscmd:".
std::wstring JcmdText(const std::wstring& token, size_t pos);
