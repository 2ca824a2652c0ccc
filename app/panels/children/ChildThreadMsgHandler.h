// ChildThreadMsgHandler: the hidden message window ("BackWin777", 10 x 10,
// never shown) of a panel's children thread, the receiver of 11301-11312.
// It is also how the views reach their thread (ChildLink::FromHandler).
#pragma once

#include <windows.h>

#include "app/core/common/WindowClasses.h"
#include "fx/Window.h"

namespace panels {

class ChildrenThread;

class ChildThreadMsgHandler : public fx::Window {
public:
    static constexpr const wchar_t* kClass = window_class::kBackWin;

    explicit ChildThreadMsgHandler(ChildrenThread* thread) : m_pThread(thread) {}
    ~ChildThreadMsgHandler() override;

    bool CreateHandler();
    ChildrenThread* Thread() const { return m_pThread; }

    void OnSetSearchText();  // 11308
    void OnFocusSearch();    // 11309
    void OnGoForward();      // 11311
    void OnGoBack();         // 11312

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    ChildrenThread* m_pThread;
};

}  // namespace panels
