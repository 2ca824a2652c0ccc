// The application's side of the best-guess thread: its start and the
// settings it is sent again after a reload or when the network returns.
#include "app/core/common/AppMessages.h"
#include "app/core/main/BestGuessThread.h"
#include "app/core/main/PondrelApp.h"

// Starts the thread and waits a bounded time for its window; without the
// window the program goes on without best guesses (logged).
bool CPondrelApp::StartBestGuessThread() {
    if (m_pBestGuessThread) return m_BestGuessStarted;
    BestGuessStart start;
    {
        fx::ScopedLock hold(g_BestGuessLock);
        start.bestGuessEcp = m_DefaultBestGuessEcp;
        start.serviceUrl = m_BestGuessUrl;
    }
    start.key = m_Key;
    start.version = m_Version;
    start.controller = GetControllerWindow();
    return StartBestGuessWorker(start, kBestGuessStartWaitMs, &m_pBestGuessThread);
}

// The default best-guess panel becomes the shared one; the thread's window
// (once known) is told to pass it and the other settings on.
void CPondrelApp::RefreshBestGuessSettings() {
    if (!m_pBestGuessThread || !m_BestGuessStarted) return;
    {
        fx::ScopedLock hold(g_BestGuessLock);
        m_BestGuessEcpShared = m_DefaultBestGuessEcp;
    }
    if (!m_hBestGuessWnd) return;
    ::PostMessageW(m_hBestGuessWnd, best_guess_msg::kSetBestGuessEcp, 0, 0);
    ::PostMessageW(m_hBestGuessWnd, best_guess_msg::kResendSettings, 0, 0);
}
