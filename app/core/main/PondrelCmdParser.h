// The main program's command line: "startup", "shut" and "jscmd:" tokens only
// (what each asks for: CommandLineRules.h).
#pragma once

#include "fx/App.h"

class PondrelCmdParser : public fx::CommandLineInfo {
public:
    void ParseParam(const wchar_t* param, bool flag, bool last) override;
};
