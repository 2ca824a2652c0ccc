#include "app/core/main/BestGuessThreadMsgHandler.h"

#include "app/core/common/AppMessages.h"
#include "app/core/common/WindowClasses.h"
#include "app/core/main/BestGuessThread.h"

BestGuessThreadMsgHandler::~BestGuessThreadMsgHandler() {
    if (hwnd() && OnOwnThread()) Destroy();
}

bool BestGuessThreadMsgHandler::Create() {
    return CreateEx(0, window_class::kBackWin, L"", 0, 0, 0, 10, 10, nullptr, nullptr);
}

bool BestGuessThreadMsgHandler::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
        case best_guess_msg::kQuery: OnQuery(wp, lp); break;
        case best_guess_msg::kSetBestGuessEcp: OnSetBestGuessEcp(); break;
        case best_guess_msg::kResendSettings: OnResendSettings(); break;
        default: return fx::Window::OnMessage(msg, wp, lp, result);
    }
    result = 0;
    return true;
}

void BestGuessThreadMsgHandler::OnQuery(WPARAM requestId, LPARAM passBack) {
    thread_.RunQuery(static_cast<int>(requestId), passBack);
}

void BestGuessThreadMsgHandler::OnSetBestGuessEcp() { thread_.SetBestGuessEcp(); }

void BestGuessThreadMsgHandler::OnResendSettings() { thread_.ResendSettings(); }
