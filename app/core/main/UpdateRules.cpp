#include "app/core/main/UpdateRules.h"

#include "app/core/net/UrlParam.h"

namespace update_rules {

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

wchar_t LowerAscii(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

bool EqualsIgnoringCase(const std::wstring& text, const wchar_t* word) {
    size_t i = 0;
    for (; word[i]; ++i)
        if (i >= text.size() || LowerAscii(text[i]) != word[i]) return false;
    return i == text.size();
}

}  // namespace

std::wstring VersionCheckUrl(const std::wstring& initUrl, const std::wstring& encodedUserId) {
    // An init URL with a query of its own keeps it: the keys follow with "&".
    const wchar_t* join = initUrl.find(L'?') == std::wstring::npos ? L"?" : L"&";
    if (encodedUserId.empty()) return initUrl + join + L"pq_check=version";
    return initUrl + join + L"pq_userid=" + encodedUserId + L"&pq_check=version";
}

std::wstring Trim(const std::wstring& text) {
    size_t begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

bool ReplyVersion(const std::wstring& reply, std::wstring* version) {
    static const wchar_t kTag[] = L"<version>";
    size_t at = reply.find(kTag);
    if (at == std::wstring::npos) return false;
    size_t begin = at + (sizeof kTag / sizeof kTag[0] - 1);
    size_t end = reply.find(L'<', begin);
    *version = end == std::wstring::npos ? std::wstring() : Trim(reply.substr(begin, end - begin));
    return true;
}

bool ReportsOtherVersion(const std::wstring& reply, const std::wstring& ownVersion) {
    std::wstring version;
    return ReplyVersion(reply, &version) && version != ownVersion;
}

int StateAfterNewVersion(int state) {
    return (state == kNone || state == kNewVersionReported) ? kNewVersionReported : state;
}

int StateAfterSetupStart(bool started) { return started ? kSetupStarted : kDownloadRequested; }

int StateAfterDownloadFailed(int state, int downloadsStillPending) {
    return state == kDownloadRequested && downloadsStillPending <= 0 ? kNone : state;
}

std::wstring MessagePath(int n, const wchar_t* field) {
    return L"/messages/message[" + std::to_wstring(n) + L"]/" + field;
}

std::vector<ServerMessage> ReadServerMessages(int count, const MessageText& text, int* unread) {
    const int read = count < 0 ? 0 : count > kMaxServerMessages ? kMaxServerMessages : count;
    if (unread) *unread = count > read ? count - read : 0;
    std::vector<ServerMessage> messages;
    messages.reserve(static_cast<size_t>(read));
    for (int n = 1; n <= read; ++n) {
        ServerMessage m;
        m.url = text(MessagePath(n, L"url"));
        m.update = text(MessagePath(n, L"update"));
        m.ecp = text(MessagePath(n, L"ecp"));
        m.context = text(MessagePath(n, L"context"));
        m.token = text(MessagePath(n, L"token"));
        messages.push_back(std::move(m));
    }
    return messages;
}

MessageAction DecideMessage(const ServerMessage& message, int updateState) {
    if (!message.url.empty()) return IsWebUrl(message.url) ? MessageAction::OpenUrl : MessageAction::RefuseUrl;
    const bool silent = EqualsIgnoringCase(message.update, L"silent");
    const bool silentBubble = EqualsIgnoringCase(message.update, L"silent-bubble");
    if (silent || silentBubble) {
        if (!SilentDownloadAllowed(updateState)) return MessageAction::DownloadInFlight;
        return silent ? MessageAction::SilentDownload : MessageAction::DownloadWithBalloon;
    }
    if (EqualsIgnoringCase(message.update, L"new-version-bubble")) return MessageAction::NewVersionBalloon;
    if (!message.ecp.empty()) return MessageAction::OpenPanel;
    return MessageAction::Nothing;
}

}  // namespace update_rules
