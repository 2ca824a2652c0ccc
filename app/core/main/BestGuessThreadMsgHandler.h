// BestGuessThreadMsgHandler: the best-guess thread's hidden top-level window
// ("BackWin777", empty title, no style, 10 x 10 at 0,0).  Other threads post
// it 11801 (a query: wParam the request id, lParam passed back with the
// answer), 11802 (the best-guess panel changed) and 11803 (the settings
// resent); it hands each to its thread.
#pragma once

#include "fx/Window.h"

class BestGuessThread;

class BestGuessThreadMsgHandler : public fx::Window {
public:
    explicit BestGuessThreadMsgHandler(BestGuessThread& thread) : thread_(thread) {}
    ~BestGuessThreadMsgHandler() override;

    bool Create();

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void OnQuery(WPARAM requestId, LPARAM passBack);
    void OnSetBestGuessEcp();
    void OnResendSettings();

    BestGuessThread& thread_;
};
