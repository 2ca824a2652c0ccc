// BackThread: the download thread.  It makes its message window
// (BackThreadMsgHandler) and then sleeps in its message loop until the update
// logic posts 11401 there; each 11401 downloads the setup program from the
// settings' updates URL into the temporary folder and, when it arrived whole,
// counts it in CPondrelApp::m_SetupsSaved (the controller acts on no 11146
// without) and the window posts 11146 to the controller.
//
// Start (CPondrelApp::StartBackThread): made suspended, given the controller
// window, resumed; the starter then waits a bounded time for WaitForWindow.
// The window is handed over under its own lock; an event tells the
// starter that the thread has made its window (or failed to).
//
// The download takes status 200 and the whole body only: the body goes into
// "PondrelSetup.exe.part" beside the target, which it replaces only once
// complete; on any failure nothing is posted and no partial file stays.  A
// transfer that stalls ends after m_ReceiveTimeoutMs without data.
//
// End: CancelDownload (the exit, on its own thread) closes the running
// download's request, which ends its read at once; the thread then fails
// that download (removing the partial file) and quits.  Its owner holds it
// in an fx::ThreadOwner and ends it with fx::EndOrLeave, never terminating
// it: a thread stopped inside WinINet could keep the loader's or the heap's
// lock for the rest of the exit.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>

#include "app/core/net/RequestCancel.h"
#include "fx/Handle.h"
#include "fx/Locked.h"
#include "fx/UiThread.h"

class BackThreadMsgHandler;

class BackThread : public fx::UiThread {
public:
    // How long one send or receive of the download may wait.
    static constexpr DWORD kReceiveTimeoutMs = 30000;

    BackThread();
    ~BackThread() override;  // its owner ends the thread first (fx::ThreadOwner)

    bool InitInstance() override;
    int ExitInstance() override;

    // Downloads the setup program (on this thread); true when the target
    // holds it whole (counted in CPondrelApp::m_SetupsSaved).
    bool DownloadSetup();

    // Waits up to waitMs (dispatching sent messages) until the thread has
    // made its window or failed to; the window, or null.  Any thread.
    HWND WaitForWindow(DWORD waitMs);

    // Any thread: ends the download now running (its request handle is
    // closed here) and makes every later one fail at once.
    void CancelDownload() { m_Cancel->Cancel(); }
    // What its owner calls before asking it to quit.
    void CancelWork() override { CancelDownload(); }

    // Given before the thread runs: the receiver of 11146.
    HWND m_hController = nullptr;
    // The download's send and receive time-out (tests shorten it).
    std::atomic<DWORD> m_ReceiveTimeoutMs{kReceiveTimeoutMs};

protected:
    // Hands the window (null when none was made) to the starter.
    void PublishWindow(HWND window);

private:
    std::unique_ptr<BackThreadMsgHandler> m_pHandler;
    fx::Locked<HWND> m_hPublished{nullptr};  // the window handed to the starter
    fx::UniqueHandle m_WindowDone;  // set once PublishWindow ran
    const std::shared_ptr<RequestCancel> m_Cancel = std::make_shared<RequestCancel>();
};
