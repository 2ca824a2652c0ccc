// BackThreadMsgHandler: the download thread's hidden message window
// ("BackWin777", 10 x 10 at 0,0, no style, never shown), the receiver of
// 11401: it runs the setup download and, when the setup program is whole,
// posts 11146 to the controller; a failed download posts 11149 there.
#pragma once

#include <windows.h>

#include "app/core/common/WindowClasses.h"
#include "fx/Window.h"

class BackThread;

class BackThreadMsgHandler : public fx::Window {
public:
    static constexpr const wchar_t* kClass = window_class::kBackWin;

    explicit BackThreadMsgHandler(BackThread* thread) : m_pThread(thread) {}
    ~BackThreadMsgHandler() override;

    // Creates the window on the calling thread (the download thread).
    bool CreateHandler();
    // 11401.
    void OnDownload();

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    BackThread* m_pThread;
};
