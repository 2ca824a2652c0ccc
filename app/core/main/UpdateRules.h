// The decisions of the update check, the setup download and the server
// messages, apart from Win32: the version-check URL, the version text of a
// reply, the update state's moves, when the messages file is polled and what
// one message asks for.  No Win32 call (built and tested natively too).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace update_rules {

// CPondrelApp::m_UpdateState.  Only a failed setup download moves it back to
// kNone.
constexpr int kNone = 0;
constexpr int kDownloadRequested = 1;  // the setup download was asked for (and may be running)
constexpr int kSetupStarted = 3;
constexpr int kNewVersionReported = 4;

// The file names in the temporary folder: the setup program, the file it is
// downloaded into until it is whole, and the server-messages file.
constexpr const wchar_t* kSetupFileName = L"PondrelSetup.exe";
constexpr const wchar_t* kSetupPartSuffix = L".part";
constexpr const wchar_t* kMessagesFileName = L"pondrellpppdata.xml";
// The setup program's parameter: a silent install.
constexpr const wchar_t* kSetupParameters = L"/S";

// The version check's request: the init URL, then "?pq_userid=" with the
// (already percent-encoded) user id and "&pq_check=version"; without a user
// id "?pq_check=version".  An init URL that has a query already is followed
// by "&" instead of the "?".
std::wstring VersionCheckUrl(const std::wstring& initUrl, const std::wstring& encodedUserId);

// The text with the blanks, tabs, carriage returns and line feeds at both
// ends removed.
std::wstring Trim(const std::wstring& text);

// The version a reply names: the text after "<version>" up to the next "<"
// (all of the rest is no version: empty), trimmed.  False when the reply
// holds no "<version>".
bool ReplyVersion(const std::wstring& reply, std::wstring* version);

// Whether a reply reports another version than ours (and so raises the
// new-version balloon): it names a version and that differs from ours,
// compared exactly.
bool ReportsOtherVersion(const std::wstring& reply, const std::wstring& ownVersion);

// The state after the server reported another version: none and reported
// become reported; a download asked for or a started setup stay as they are.
int StateAfterNewVersion(int state);
// The state after ShellExecute was asked to start the downloaded setup
// program: started when the shell answered more than 32, else the download
// state stays.
int StateAfterSetupStart(bool started);
// The state after the download thread reported a failed setup download, with
// the downloads asked for that are still on their way: a download asked for
// goes back to none once none is left (so that a later message or the tray
// menu can ask again); any other state stays.
int StateAfterDownloadFailed(int state, int downloadsStillPending);
inline bool ShellStarted(intptr_t shellResult) { return shellResult > 32; }
// A silent download asked for by the server waits while one is asked for
// already (it may be running).
inline bool SilentDownloadAllowed(int state) { return state != kDownloadRequested; }

// Whether the messages file is due: online, a non-zero interval, and more
// than the interval since the last poll (tick difference, wrapping).
inline bool MessagesPollDue(bool online, uint32_t intervalMs, uint32_t now, uint32_t lastPoll) {
    return online && intervalMs != 0 && static_cast<uint32_t>(now - lastPoll) > intervalMs;
}

// The element paths of message n (1-based) of the messages file.
std::wstring MessagePath(int n, const wchar_t* field);

// One message of the messages file, as its elements' texts.
struct ServerMessage {
    std::wstring url;
    std::wstring update;
    std::wstring ecp;
    std::wstring context;
    std::wstring token;
};

// The most messages of one messages file that are read and acted on; a file
// with more has the rest left unread (the caller logs how many).
constexpr int kMaxServerMessages = 16;

// The messages of a messages file that holds count of them, in order, each
// field read through text (the text of an element path, empty when absent):
// at most kMaxServerMessages; *unread gets how many were left.
using MessageText = std::function<std::wstring(const std::wstring& path)>;
std::vector<ServerMessage> ReadServerMessages(int count, const MessageText& text, int* unread);

enum class MessageAction {
    OpenUrl,             // open url in the user's browser
    RefuseUrl,           // url is not an http or https URL: nothing (logged)
    SilentDownload,      // the setup download without a balloon
    DownloadWithBalloon, // the setup download with its balloon
    DownloadInFlight,    // a download was asked for already: nothing (logged)
    NewVersionBalloon,   // the update state and the new-version balloon
    OpenPanel,           // the panel record ecp with context and token
    Nothing,             // none of these
};

// What one message asks for: a url first (and only), then an update value
// ("silent", "silent-bubble", "new-version-bubble", ignoring case), then a
// panel.
MessageAction DecideMessage(const ServerMessage& message, int updateState);

}  // namespace update_rules
