// BestGuessThread: the worker that drives the outside best-guess component
// ("PondrelBestGuess.BestGuess", created by ProgID in the thread's own
// apartment, so a slow component never holds the user-interface thread).
// The text menu writes a query into CPondrelApp::m_BestGuessShared under
// g_BestGuessLock and posts 11801 to the thread's window
// (BestGuessThreadMsgHandler); the thread asks the component, stores the
// answer there and posts 11140 to the controller window.  11802 and 11803
// bring settings changes to the component.
//
// Rules: g_BestGuessLock is held only to copy values in or out, never across
// a call into the component; every call's HRESULT is checked, and a failed
// call drops that answer (logged, no 11140) while the thread goes on.
// Without the component the thread still runs and answers nothing.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>

#include "app/core/main/BestGuessDriver.h"
#include "fx/Handle.h"
#include "fx/UiThread.h"

class BestGuessThreadMsgHandler;

class BestGuessThread : public fx::UiThread {
public:
    static constexpr const wchar_t* kProgId = L"PondrelBestGuess.BestGuess";

    BestGuessThread();
    ~BestGuessThread() override;  // its owner ends the thread first (fx::ThreadOwner)

    // Given by the starter before the thread runs.
    std::wstring m_BestGuessEcp;   // the best-guess panel id (then under g_BestGuessLock)
    std::wstring m_ServiceUrl;     // CPondrelApp::m_BestGuessUrl at start
    std::wstring m_Key;            // CPondrelApp::m_Key at start (not passed on)
    std::wstring m_Version;        // CPondrelApp::m_Version
    HWND m_hController = nullptr;  // receives 11147 and 11140

    // On the thread: creates the component and hands it the panel id, the
    // service URL, the user key and the version; makes the window; posts
    // 11147 (wParam the window) to the controller.  False, ending the thread,
    // when the window cannot be made.
    bool InitInstance() override;
    // Destroys the window and releases the component before the apartment ends.
    int ExitInstance() override;

    // The window's messages (on the thread).
    // 11801: answers the request when it is still the latest one.
    void RunQuery(int requestId, LPARAM passBack);
    // 11802: CPondrelApp::m_BestGuessEcpShared becomes the panel id.
    void SetBestGuessEcp();
    // 11803: the default best-guess panel, service URL and user key again.
    void ResendSettings();

    // Signalled once InitInstance has made its window or failed to; then
    // HandlerWindow() is the window or null.  Any thread.
    HANDLE WindowReadyEvent() const { return m_WindowReady.get(); }
    HWND HandlerWindow() const { return m_hHandler.load(); }
    // Whether the component was created (on the thread).
    bool Created() const { return m_Created; }

private:
    // True when hr succeeded; otherwise logs the failed call.
    static bool Check(long dispid, HRESULT hr);

    BestGuessDriver m_Driver;
    bool m_Created = false;
    std::unique_ptr<BestGuessThreadMsgHandler> m_pHandler;
    fx::UniqueHandle m_WindowReady;
    std::atomic<HWND> m_hHandler{nullptr};
};

// What the starter hands the thread.
struct BestGuessStart {
    std::wstring bestGuessEcp, serviceUrl, key, version;
    HWND controller = nullptr;
};

// How long the start waits for the thread's window.
constexpr DWORD kBestGuessStartWaitMs = 5000;

// Starts the thread (apartment-threaded) and waits up to waitMs for its
// window, dispatching messages sent to the caller meanwhile.  *thread gets
// the thread (null when it could not be made).  True when its window is
// there; otherwise the failure is logged and a thread still running has been
// asked to quit.
bool StartBestGuessWorker(const BestGuessStart& start, DWORD waitMs, fx::ThreadOwner<BestGuessThread>* thread);
