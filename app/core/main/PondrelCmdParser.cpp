#include "app/core/main/PondrelCmdParser.h"

#include <windows.h>

#include "app/core/main/PondrelApp.h"
#include "fx/Handle.h"
#include "log/PondrelLog.h"

namespace {
constexpr const wchar_t* kJscmd = L"jscmd:";
constexpr size_t kJscmdLength = 6;
constexpr size_t kGuidPieceLength = 41;  // "guid:" and 36 characters

void WriteJcmdFile(const std::wstring& token, size_t pos) {
    std::wstring path = theApp.m_InstallDir + L"jcmd.txt";
    LogLine(path.c_str());
    fx::UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        LogLine(L"open fail");
        return;
    }
    std::wstring text = JcmdText(token, pos);
    DWORD written = 0;
    ::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written, nullptr);
    file.reset();
    LogLine(L"Post = true");
}
}  // namespace

std::wstring JcmdText(const std::wstring& token, size_t pos) {
    std::wstring text;
    if (token.compare(0, 5, L"guid:") == 0)
        text = token.substr(0, kGuidPieceLength);
    else
        text = std::wstring(L"guid:") + kDefaultJcmdGuid;
    if (pos + kJscmdLength <= token.size()) text += token.substr(pos + kJscmdLength);
    return text;
}

void PondrelCmdParser::ParseParam(const wchar_t* param, bool, bool) {
    std::wstring token = param ? param : L"";
    LogLine(L"Parsing");
    if (_wcsicmp(token.c_str(), L"startup") == 0) theApp.ReadStartFlag();
    if (token == L"shut") {
        LogLine(L"Shut parm recieved");
        theApp.m_QuitOther = true;
    }
    size_t pos = token.find(kJscmd);
    if (pos != std::wstring::npos) WriteJcmdFile(token, pos);
}
