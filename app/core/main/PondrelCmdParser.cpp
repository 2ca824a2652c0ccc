#include "app/core/main/PondrelCmdParser.h"

#include <windows.h>

#include <string>

#include "app/core/main/CommandLineRules.h"
#include "app/core/main/PondrelApp.h"
#include "fx/Handle.h"
#include "log/PondrelLog.h"

namespace {
void WriteJcmdFile(const std::wstring& text) {
    std::wstring path = theApp.m_InstallDir + L"jcmd.txt";
    LogLine(path.c_str());
    fx::UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        LogLine(L"open fail");
        return;
    }
    DWORD written = 0;
    ::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written, nullptr);
    file.reset();
    LogLine(L"Post = true");
}
}  // namespace

void PondrelCmdParser::ParseParam(const wchar_t* param, bool, bool) {
    const command_line::TokenRequest request = command_line::ReadToken(param ? param : L"");
    LogLine(L"Parsing");
    if (request.readStartFlag) theApp.ReadStartFlag();
    if (request.quitOther) {
        LogLine(L"Shut parm recieved");
        theApp.m_QuitOther = true;
    }
    if (request.writeJcmd) WriteJcmdFile(request.jcmdText);
}
