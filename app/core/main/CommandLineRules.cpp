#include "app/core/main/CommandLineRules.h"

namespace command_line {

namespace {
constexpr const wchar_t* kJscmd = L"jscmd:";
constexpr size_t kJscmdLength = 6;
constexpr size_t kGuidPieceLength = 41;  // "guid:" and 36 characters

bool EqualsIgnoringAsciiCase(const std::wstring& text, const wchar_t* word) {
    size_t i = 0;
    for (; word[i]; ++i) {
        if (i >= text.size()) return false;
        wchar_t c = text[i];
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
        if (c != word[i]) return false;
    }
    return i == text.size();
}
}  // namespace

TokenRequest ReadToken(const std::wstring& token) {
    TokenRequest request;
    request.readStartFlag = EqualsIgnoringAsciiCase(token, L"startup");
    request.quitOther = token == L"shut";
    const size_t pos = token.find(kJscmd);
    if (pos != std::wstring::npos) {
        request.writeJcmd = true;
        request.jcmdText = JcmdText(token, pos);
    }
    return request;
}

std::wstring JcmdText(const std::wstring& token, size_t pos) {
    std::wstring text;
    if (token.compare(0, 5, L"guid:") == 0)
        text = token.substr(0, kGuidPieceLength);
    else
        text = std::wstring(L"guid:") + kDefaultJcmdGuid;
    if (pos + kJscmdLength <= token.size()) text += token.substr(pos + kJscmdLength);
    return text;
}

}  // namespace command_line
