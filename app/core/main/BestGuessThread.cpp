#include "app/core/main/BestGuessThread.h"

#include <cwchar>

#include "app/core/common/AppMessages.h"
#include "app/core/common/GlobalLocks.h"
#include "app/core/main/BestGuessRules.h"
#include "app/core/main/BestGuessThreadMsgHandler.h"
#include "app/core/main/PondrelApp.h"
#include "log/PondrelLog.h"

namespace {

std::wstring Hex(HRESULT hr) {
    wchar_t text[16];
    _snwprintf(text, 15, L"0x%08lX", static_cast<unsigned long>(hr));
    text[15] = L'\0';
    return text;
}

// The component through the driver, as the answer's steps ask it.
class DriverSource : public best_guess::GuessSource {
public:
    explicit DriverSource(BestGuessDriver& driver) : d_(driver) {}
    int32_t RunQuery(const std::wstring& q1, const std::wstring& q2, const std::wstring& q3) override {
        return d_.CallWithTextRefs(best_guess::kRunQuery, q1, q2, q3);
    }
    int32_t RowCount(long* count) override { return d_.GetLong(best_guess::kRowCount, count); }
    int32_t Title(std::wstring* title) override { return d_.GetTextAt(best_guess::kResultTitle, 0, title); }
    int32_t RowText(long dispid, long row, std::wstring* text) override { return d_.GetTextAt(dispid, row, text); }
    int32_t ExtraText(std::wstring* text) override { return d_.GetText(best_guess::kExtraText, text); }

private:
    BestGuessDriver& d_;
};

}  // namespace

BestGuessThread::BestGuessThread() : m_WindowReady(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    SetName(L"BestGuessThread");
}

BestGuessThread::~BestGuessThread() = default;

bool BestGuessThread::Check(long dispid, HRESULT hr) {
    if (SUCCEEDED(hr)) return true;
    LogLine(BestGuessDriver::Describe(dispid, hr).c_str());
    return false;
}

bool BestGuessThread::InitInstance() {
    HRESULT hr = m_Driver.Create(kProgId);
    m_Created = SUCCEEDED(hr);
    if (!m_Created) {
        LogWithPrefix(L"BestGuess: no component, best guesses are off (%s)", Hex(hr).c_str());
    } else {
        std::wstring ecp, key;
        {
            fx::ScopedLock hold(g_BestGuessLock);
            ecp = m_BestGuessEcp;
            key = theApp.m_KeyShared;
        }
        Check(best_guess::kSetPanelId, m_Driver.CallWithText(best_guess::kSetPanelId, ecp));
        Check(best_guess::kSetServiceUrl, m_Driver.CallWithTextRef(best_guess::kSetServiceUrl, m_ServiceUrl));
        Check(best_guess::kSetUserKey, m_Driver.CallWithTextRef(best_guess::kSetUserKey, key));
        Check(best_guess::kSetVersion, m_Driver.CallWithTextRef(best_guess::kSetVersion, m_Version));
    }

    m_pHandler = std::make_unique<BestGuessThreadMsgHandler>(*this);
    const bool made = m_pHandler->Create();
    if (!made) {
        LogWithPrefix(L"BestGuess: the thread's window could not be made (error %s)",
                      std::to_wstring(::GetLastError()).c_str());
        m_pHandler.reset();
    }
    const HWND window = made ? m_pHandler->hwnd() : nullptr;
    m_hHandler = window;
    ::SetEvent(m_WindowReady.get());
    if (!made) return false;

    if (QuitRequested()) return true;  // the starter gave up waiting: nobody is told
    if (!m_hController) {
        LogLine(L"BestGuess: no controller window to tell");
    } else {
        ::PostMessageW(m_hController, controller_msg::kBestGuessWindow, reinterpret_cast<WPARAM>(window), 0);
    }
    return true;
}

int BestGuessThread::ExitInstance() {
    if (m_pHandler) m_pHandler->Destroy();
    m_pHandler.reset();
    m_hHandler = nullptr;
    m_Driver.Release();
    m_Created = false;
    return fx::UiThread::ExitInstance();
}

void BestGuessThread::RunQuery(int requestId, LPARAM passBack) {
    if (!m_Created) return;
    best_guess::Queries queries;
    {
        fx::ScopedLock hold(g_BestGuessLock);
        const text_menu::BestGuessShared& shared = theApp.m_BestGuessShared;
        if (shared.requestId != requestId) return;  // a newer query follows
        queries = best_guess::Queries{shared.query1, shared.query2, shared.query3};
    }
    DriverSource source(m_Driver);
    best_guess::Answer answer;
    best_guess::Failure failure;
    if (!best_guess::FetchAnswer(source, queries, &answer, &failure)) {
        std::wstring line = BestGuessDriver::Describe(failure.dispid, failure.status);
        if (failure.row >= 0) line += L" (row " + std::to_wstring(failure.row) + L")";
        line += L"; request " + std::to_wstring(requestId) + L" is not answered";
        LogLine(line.c_str());
        return;
    }
    {
        fx::ScopedLock hold(g_BestGuessLock);
        best_guess::StoreAnswer(theApp.m_BestGuessShared, answer, requestId);
    }
    if (m_hController)
        ::PostMessageW(m_hController, controller_msg::kBestGuessAnswer, static_cast<WPARAM>(requestId), passBack);
}

void BestGuessThread::SetBestGuessEcp() {
    if (!m_Created) return;
    std::wstring ecp;
    {
        fx::ScopedLock hold(g_BestGuessLock);
        m_BestGuessEcp = theApp.m_BestGuessEcpShared;
        ecp = m_BestGuessEcp;
    }
    Check(best_guess::kSetPanelId, m_Driver.CallWithText(best_guess::kSetPanelId, ecp));
}

void BestGuessThread::ResendSettings() {
    if (!m_Created) return;
    std::wstring ecp, url, key;
    {
        fx::ScopedLock hold(g_BestGuessLock);
        ecp = theApp.m_DefaultBestGuessEcp;
        url = theApp.m_BestGuessUrl;
        key = theApp.m_KeyShared;
    }
    Check(best_guess::kSetPanelId, m_Driver.CallWithText(best_guess::kSetPanelId, ecp));
    Check(best_guess::kSetServiceUrl, m_Driver.CallWithTextRef(best_guess::kSetServiceUrl, url));
    Check(best_guess::kSetUserKey, m_Driver.CallWithTextRef(best_guess::kSetUserKey, key));
}

bool StartBestGuessWorker(const BestGuessStart& start, DWORD waitMs, fx::ThreadOwner<BestGuessThread>* thread) {
    thread->reset();
    fx::ThreadOwner<BestGuessThread> t = fx::StartSuspended<BestGuessThread>(fx::Apartment::Sta);
    if (!t) {
        LogLine(L"BestGuess: the thread could not be started");
        return false;
    }
    t->m_BestGuessEcp = start.bestGuessEcp;
    t->m_ServiceUrl = start.serviceUrl;
    t->m_Key = start.key;
    t->m_Version = start.version;
    t->m_hController = start.controller;
    t->Resume();
    const DWORD waited = fx::WaitDispatchingSent(t->WindowReadyEvent(), waitMs);
    const bool ready = waited == WAIT_OBJECT_0 && t->HandlerWindow() != nullptr;
    if (!ready) {
        if (waited == WAIT_OBJECT_0)
            LogLine(L"BestGuess: the thread has no window; going on without best guesses");
        else
            LogWithPrefix(L"BestGuess: no window from the thread within %s ms; going on without best guesses",
                          std::to_wstring(waitMs).c_str());
        t->RequestQuit();
    }
    *thread = std::move(t);
    return ready;
}
