// The application's updates and server messages: the download thread's
// start, the version check, the setup download and run, and the heartbeat's
// messages file.  The decisions are update_rules (UpdateRules.h).
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "app/core/common/AppMessages.h"
#include "app/core/common/Resource.h"
#include "app/core/config/Settings.h"
#include "app/core/config/UserSetting.h"
#include "app/core/config/XmlConfig.h"
#include "app/core/frame/ControllerOps.h"
#include "app/core/main/BackThread.h"
#include "app/core/main/PondrelApp.h"
#include "app/core/main/PondrelDoc.h"
#include "app/core/main/SetupTrust.h"
#include "app/core/main/UpdateRules.h"
#include "app/core/net/HttpRoutines.h"
#include "app/core/net/UrlEncodeUtf8.h"
#include "log/PondrelLog.h"

namespace {

constexpr DWORD kBackThreadQuitWaitMs = 2000;
constexpr const wchar_t* kBalloonTitle = L"PondRel";
constexpr const wchar_t* kMessagePanelTitle = L"Message";
constexpr RECT kMessagePanelAnchor{0, 0, 20, 20};

// The reply's bytes as text, in the ANSI code page.
std::wstring AnsiToWide(const char* bytes, int count) {
    if (!bytes || count <= 0) return std::wstring();
    int n = ::MultiByteToWideChar(CP_ACP, 0, bytes, count, nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring text(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, bytes, count, &text[0], n);
    return text;
}

// Takes one of the setup programs the download thread saved: false when none
// is waiting.
bool TakeSavedSetup(std::atomic<int>& saved) {
    int n = saved.load();
    while (n > 0 && !saved.compare_exchange_weak(n, n - 1)) {
    }
    return n > 0;
}

std::wstring ThisProgramFile() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (n == 0) return std::wstring();
        if (n < path.size()) return path.substr(0, n);
        if (path.size() >= 32768) return std::wstring();
        path.resize(path.size() * 2);
    }
}

// Whether the setup program may run: signed by this program's own signer and
// not changed since (an unsigned program, a development build, runs it
// unchecked).  A checked file stays open in *held, so that nothing writes or
// replaces it before it has started.
bool SetupProgramMayRun(const std::wstring& file, const std::wstring& ownFile, fx::UniqueHandle* held) {
    using namespace setup_trust;
    const Signer own = ReadSigner(ownFile);
    if (own.state == Signer::State::None) {
        LogWithPrefix(L"RunSetup: this program is not signed (a development build): the setup program is run unchecked: %s",
                      file.c_str());
        return true;
    }
    held->reset(::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!*held) {
        LogWithPrefix(L"RunSetup: the setup program cannot be opened; not run: %s", file.c_str());
        return false;
    }
    const uint32_t trust = CheckSignature(held->get(), file);
    const Verdict verdict = Decide(own, trust, ReadSigner(file));
    wchar_t answer[16];
    _snwprintf(answer, 15, L"0x%08lX", static_cast<unsigned long>(trust));
    answer[15] = L'\0';
    switch (verdict) {
        case Verdict::Run:
        case Verdict::RunUnchecked:
            return true;
        case Verdict::RefuseOwnUnknown:
            LogWithPrefix(L"RunSetup: this program's own signer could not be read; the setup program is not run: %s",
                          ownFile.c_str());
            break;
        case Verdict::RefuseUnsigned:
            LogWithPrefix(L"RunSetup: the setup program is not signed; not run: %s", file.c_str());
            break;
        case Verdict::RefuseBadSignature:
            LogWithPrefix(L"RunSetup: the setup program's signature does not hold (%s); not run", answer);
            break;
        case Verdict::RefuseOtherSigner:
            LogWithPrefix(L"RunSetup: the setup program is signed by another signer than this program; not run: %s",
                          file.c_str());
            break;
    }
    return false;
}

}  // namespace

bool CPondrelApp::StartBackThread() { return StartBackThread(GetControllerWindow()); }

bool CPondrelApp::StartBackThread(HWND controller) {
    if (m_pBackThread) return m_hBackThreadWnd != nullptr;
    fx::ThreadOwner<BackThread> thread = m_MakeBackThread ? m_MakeBackThread() : std::make_unique<BackThread>();
    if (!thread || !thread->Start(fx::Apartment::None, true)) {
        LogLine(L"StartBackThread: the download thread could not be started; going on without it");
        return false;
    }
    thread->m_hController = controller;
    thread->Resume();
    HWND window = thread->WaitForWindow(m_BackThreadStartWaitMs);
    if (!window) {
        LogLine(L"StartBackThread: the download thread has no window; going on without it");
        fx::EndOrLeave(thread, kBackThreadQuitWaitMs);
        return false;
    }
    m_pBackThread = std::move(thread);
    m_hBackThreadWnd = window;
    return true;
}

void CPondrelApp::StartSetupDownload(bool withBalloon) {
    if (!m_hBackThreadWnd || !::PostMessageW(m_hBackThreadWnd, back_thread_msg::kDownload, 0, 0)) {
        LogLine(L"StartSetupDownload: no download thread; the setup download was skipped");
        return;
    }
    if (withBalloon) {
        m_BalloonStartsUpdate = false;
        ShowTrayBalloon(Text(IDS_DOWNLOADING_BALLOON).c_str(), kBalloonTitle, m_hIconBalloon);
    }
    m_UpdateState = update_rules::kDownloadRequested;
    ++m_SetupDownloadsPending;
}

void CPondrelApp::OnSetupDownloadFailed() {
    if (m_SetupDownloadsPending > 0) --m_SetupDownloadsPending;
    const int before = m_UpdateState;
    m_UpdateState = update_rules::StateAfterDownloadFailed(m_UpdateState, m_SetupDownloadsPending);
    if (before != m_UpdateState) LogLine(L"StartSetupDownload: the setup download failed; it may be asked for again");
}

void CPondrelApp::CheckForNewVersion() {
    const std::wstring url =
        update_rules::VersionCheckUrl(m_InitUrl, m_UserId.empty() ? std::wstring() : UrlEncodeUtf8(m_UserId));
    int count = 0;
    std::unique_ptr<char[]> body = HttpGetToMemory(url, &count);
    const std::wstring reply = body ? AnsiToWide(body.get(), count) : std::wstring();
    std::wstring version;
    if (!update_rules::ReplyVersion(reply, &version)) return;
    if (!update_rules::ReportsOtherVersion(reply, m_Version)) return;
    LogWithPrefix(L"CheckForNewVersion: the server names version %s", version.c_str());
    ReportNewVersion();
}

void CPondrelApp::ReportNewVersion() {
    m_UpdateState = update_rules::StateAfterNewVersion(m_UpdateState);
    m_BalloonStartsUpdate = false;
    ShowTrayBalloon(Text(IDS_NEW_VERSION).c_str(), kBalloonTitle, m_hIconBalloon);
    m_BalloonStartsUpdate = true;
}

void CPondrelApp::RunSetup() {
    const std::wstring file = m_TempDir + update_rules::kSetupFileName;
    // Any program of the desktop can post 11146: only one that follows a
    // download of this program's own is acted on (and counts as that
    // download's end).
    if (!TakeSavedSetup(m_SetupsSaved)) {
        LogLine(L"RunSetup: 11146 without a setup program downloaded by this program; nothing run");
        return;
    }
    if (m_SetupDownloadsPending > 0) --m_SetupDownloadsPending;
    fx::UniqueHandle held;
    if (!SetupProgramMayRun(file, m_OwnSignerFile.empty() ? ThisProgramFile() : m_OwnSignerFile, &held)) {
        m_UpdateState = update_rules::StateAfterSetupStart(false);
        return;
    }
    HINSTANCE result =
        m_ShellExecute(nullptr, nullptr, file.c_str(), update_rules::kSetupParameters, nullptr, SW_SHOWNORMAL);
    const bool started = update_rules::ShellStarted(reinterpret_cast<intptr_t>(result));
    m_UpdateState = update_rules::StateAfterSetupStart(started);
    if (started)
        LogWithPrefix(L"RunSetup: started %s", file.c_str());
    else
        LogWithPrefix(L"RunSetup: the setup program could not be started: %s", file.c_str());
}

void CPondrelApp::ProcessServerMessages() {
    if (!update_rules::MessagesPollDue(m_Online, m_MessagesInterval, ::GetTickCount(), m_LastMessagesTick)) return;
    // Taken now too, so that a message loop run while a message is acted on
    // (the browser's start) does not poll again meanwhile.
    m_LastMessagesTick = ::GetTickCount();
    const std::wstring path = m_TempDir + update_rules::kMessagesFileName;
    if (HttpGetToFile(m_MessagesUrl, path)) {
        std::vector<update_rules::ServerMessage> messages;
        {
            XmlConfig file(path.c_str());
            if (!file.IsLoaded()) {
                LogWithPrefix(L"ProcessServerMessages: the messages file did not load: %s", path.c_str());
            } else {
                const int count = static_cast<int>(file.SelectNodes(L"/messages/message").size());
                int unread = 0;
                messages = update_rules::ReadServerMessages(
                    count, [&file](const std::wstring& p) { return file.GetText(p); }, &unread);
                if (unread > 0)
                    LogLine((L"ProcessServerMessages: " + std::to_wstring(unread) + L" messages after the first " +
                             std::to_wstring(update_rules::kMaxServerMessages) + L" left unread")
                                .c_str());
            }
        }
        for (const update_rules::ServerMessage& m : messages) ActOnServerMessage(m);
    }
    m_LastMessagesTick = ::GetTickCount();
}

void CPondrelApp::ActOnServerMessage(const update_rules::ServerMessage& message) {
    using update_rules::MessageAction;
    switch (update_rules::DecideMessage(message, m_UpdateState)) {
        case MessageAction::OpenUrl:
            OpenUrlInBrowser(message.url);
            break;
        case MessageAction::RefuseUrl:
            LogWithPrefix(L"Server message: not an http or https URL, not opened: %s", message.url.c_str());
            break;
        case MessageAction::SilentDownload:
            StartSetupDownload(false);
            break;
        case MessageAction::DownloadWithBalloon:
            StartSetupDownload(true);
            break;
        case MessageAction::DownloadInFlight:
            LogLine(L"Server message: a setup download was asked for already; no other started");
            break;
        case MessageAction::NewVersionBalloon:
            ReportNewVersion();
            break;
        case MessageAction::OpenPanel: {
            Settings* settings = m_pDoc ? m_pDoc->GetSettingsView() : nullptr;
            UserSetting* record = settings ? settings->FindEcp(message.ecp) : nullptr;
            ControllerOps* controller = m_pDoc ? m_pDoc->GetController() : nullptr;
            if (!record || !controller) {
                LogWithPrefix(L"Server message: no panel %s", message.ecp.c_str());
                break;
            }
            record->m_Context = message.context;
            controller->LaunchEcp(kMessagePanelAnchor, record, message.token, kMessagePanelTitle,
                                  record->m_Placement);
            break;
        }
        case MessageAction::Nothing:
            break;
    }
}
