// The update check's reply and the server messages under fuzzed texts, the
// messages acted on in order as the application does.  No sanitizer report,
// and
//   - a reply's version is trimmed, holds no "<" and stands in the reply;
//     the version a reply names is never another version than itself;
//   - a message with a URL asks to open it or refuses it, nothing else, and
//     only a web URL is opened;
//   - one messages file is read for at most its bound of messages, and
//     starts at most one setup download, never while one was asked for.
//
// The input, one item a line: the version reply, our own version, the update
// state (its first character picks one), then the messages file: five lines
// a message (url, update, ecp, context, token).
#include <map>
#include <string>
#include <vector>

#include "app/core/main/UpdateRules.h"
#include "app/core/net/UrlParam.h"
#include "tests/support/FuzzInput.h"

using namespace update_rules;

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::wstring> fields = FuzzFields(data, size, 3 + 5 * 64);
    const std::wstring& reply = FieldAt(fields, 0);
    const std::wstring& own = FieldAt(fields, 1);

    std::wstring version;
    if (ReplyVersion(reply, &version)) {
        FUZZ_CHECK(version.find(L'<') == std::wstring::npos && reply.find(version) != std::wstring::npos);
        FUZZ_CHECK(version.empty() || (!IsBlank(version.front()) && !IsBlank(version.back())));
        FUZZ_CHECK(!ReportsOtherVersion(reply, version));
        FUZZ_CHECK(ReportsOtherVersion(reply, own) == (version != own));
    } else {
        FUZZ_CHECK(!ReportsOtherVersion(reply, own));
    }
    FUZZ_CHECK(Trim(Trim(own)) == Trim(own));
    FUZZ_CHECK(VersionCheckUrl(reply, own).compare(0, reply.size(), reply) == 0);

    const std::wstring& stateText = FieldAt(fields, 2);
    const int kStates[] = {kNone, kDownloadRequested, kSetupStarted, kNewVersionReported};
    int state = stateText.empty() ? kNone : kStates[stateText[0] % 4];
    // The messages file as its element paths' texts.
    const int count = fields.size() > 3 ? static_cast<int>((fields.size() - 3 + 4) / 5) : 0;
    std::map<std::wstring, std::wstring> file;
    static const wchar_t* const kFields[] = {L"url", L"update", L"ecp", L"context", L"token"};
    for (int n = 1; n <= count; ++n)
        for (size_t f = 0; f < 5; ++f) file[MessagePath(n, kFields[f])] = FieldAt(fields, 3 + 5 * (n - 1) + f);
    int unread = -1;
    const std::vector<ServerMessage> messages = ReadServerMessages(
        count, [&file](const std::wstring& path) { return file.count(path) ? file[path] : std::wstring(); }, &unread);
    FUZZ_CHECK(messages.size() <= static_cast<size_t>(kMaxServerMessages));
    FUZZ_CHECK(static_cast<int>(messages.size()) + unread == count);

    int downloads = 0;
    for (const ServerMessage& m : messages) {
        const int before = state;
        const MessageAction action = DecideMessage(m, state);
        if (!m.url.empty())
            FUZZ_CHECK(action == (IsWebUrl(m.url) ? MessageAction::OpenUrl : MessageAction::RefuseUrl));
        if (action == MessageAction::OpenUrl) FUZZ_CHECK(IsWebUrl(m.url));
        switch (action) {
            case MessageAction::SilentDownload:
            case MessageAction::DownloadWithBalloon:
                FUZZ_CHECK(before != kDownloadRequested);
                ++downloads;
                state = kDownloadRequested;
                break;
            case MessageAction::NewVersionBalloon:
                state = StateAfterNewVersion(state);
                FUZZ_CHECK(state != kNone);
                break;
            case MessageAction::DownloadInFlight:
                FUZZ_CHECK(before == kDownloadRequested);
                break;
            default:
                break;
        }
    }
    FUZZ_CHECK(downloads <= 1);
    return 0;
}
