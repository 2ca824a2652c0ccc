#include "app/core/main/BackThread.h"

#include "app/core/main/BackThreadMsgHandler.h"
#include "app/core/main/PondrelApp.h"
#include "app/core/main/UpdateRules.h"
#include "app/core/net/HttpRoutines.h"
#include "log/PondrelLog.h"

BackThread::BackThread() : m_WindowDone(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    SetName(L"BackThread");
}

BackThread::~BackThread() = default;

bool BackThread::InitInstance() {
    m_pHandler = std::make_unique<BackThreadMsgHandler>(this);
    if (!m_pHandler->CreateHandler()) {
        LogLine(L"BackThread: the download window could not be made");
        m_pHandler.reset();
        PublishWindow(nullptr);
        return false;
    }
    PublishWindow(m_pHandler->hwnd());
    return true;
}

int BackThread::ExitInstance() {
    m_pHandler.reset();  // destroys the window on its own thread
    return fx::UiThread::ExitInstance();
}

void BackThread::PublishWindow(HWND window) {
    *m_hPublished.Lock() = window;
    if (m_WindowDone) ::SetEvent(m_WindowDone.get());
}

HWND BackThread::WaitForWindow(DWORD waitMs) {
    if (!m_WindowDone) return nullptr;
    if (fx::WaitDispatchingSent(m_WindowDone.get(), waitMs) != WAIT_OBJECT_0) return nullptr;
    return m_hPublished.Copy();
}

bool BackThread::DownloadSetup() {
    std::shared_ptr<const AppSnapshot> app = theApp.Snapshot();
    if (app->tempDir.empty()) {
        LogLine(L"DownloadSetup: no temporary folder; nothing downloaded");
        return false;
    }
    const std::wstring target = app->tempDir + update_rules::kSetupFileName;
    GetFileOptions options;
    options.routine = L"DownloadSetup";
    options.only200 = true;
    options.partPath = target + update_rules::kSetupPartSuffix;
    options.ioTimeoutMs = m_ReceiveTimeoutMs.load();
    options.cancel = m_Cancel;
    LogWithPrefix(L"DownloadSetup: %s", app->updatesUrl.c_str());
    if (!HttpGetToFile(app->updatesUrl, target, options)) return false;
    LogWithPrefix(L"DownloadSetup: saved %s", target.c_str());
    // Lets the controller act on the 11146 that follows.
    ++theApp.m_SetupsSaved;
    return true;
}
