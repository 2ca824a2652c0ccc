#include "app/core/main/BackThreadMsgHandler.h"

#include "app/core/common/AppMessages.h"
#include "app/core/main/BackThread.h"
#include "log/PondrelLog.h"

BackThreadMsgHandler::~BackThreadMsgHandler() { Destroy(); }

bool BackThreadMsgHandler::CreateHandler() { return CreateEx(0, kClass, L"", 0, 0, 0, 10, 10, nullptr, nullptr); }

bool BackThreadMsgHandler::OnMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) {
    if (msg != back_thread_msg::kDownload) return false;
    OnDownload();
    result = 0;
    return true;
}

void BackThreadMsgHandler::OnDownload() {
    const bool saved = m_pThread->DownloadSetup();
    HWND controller = m_pThread->m_hController;
    const UINT tell = saved ? controller_msg::kRunSetup : controller_msg::kSetupDownloadFailed;
    if (!controller || !::PostMessageW(controller, tell, 0, 0))
        LogLine(saved ? L"DownloadSetup: the controller could not be told to run the setup program"
                      : L"DownloadSetup: the controller could not be told of the failed download");
}
