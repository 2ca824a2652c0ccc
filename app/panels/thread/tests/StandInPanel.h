// A stand-in panel thread for the launcher and panel-list tests: it makes a
// plain window, reports itself created, waits (bounded) for the go, answers
// 11213 with its readiness and closes on 11205 like a panel (usage, own node
// out, quit), each step switchable so a test can play a panel that hangs.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "app/panels/thread/HoverThreadList.h"
#include "app/core/common/AppMessages.h"
#include "fx/Window.h"

namespace panels::testing {

struct StandInScript {
    bool reportCreated = true;
    bool reportReady = true;
    bool closeOnRequest = true;
    DWORD closeDelayMs = 0;
    DWORD goWaitMs = 30000;
    DWORD windowDelayMs = 0;  // a start this slow to make its window
    // On 11205 it takes the panel list's lock and keeps it (up to a minute)
    // instead of closing: a panel that hangs inside the list.
    bool hangHoldingListLock = false;
};

class StandInPanel : public PanelThread {
public:
    explicit StandInPanel(StandInScript script = {}) : script_(script) {}

    // Messages the panel window received, in order.
    std::vector<UINT> Messages() const {
        std::lock_guard<std::mutex> hold(mutex_);
        return messages_;
    }
    // The launch data as the thread saw it at its start.
    uint32_t flagsAtStart = 0;
    std::wstring templateUrlAtStart;
    bool saveMaskAtStart = false;
    bool goSeen = false;
    // Its close has taken its node out of the list (Remove returned).
    std::atomic<bool> removed{false};
    // It holds the list's lock (hangHoldingListLock).
    std::atomic<bool> holdingListLock{false};

    bool InitInstance() override {
        flagsAtStart = m_Flags;
        templateUrlAtStart = m_TemplateUrl;
        saveMaskAtStart = m_SaveMask.load();
        if (script_.windowDelayMs) ::Sleep(script_.windowDelayMs);
        if (!window_.CreateEx(WS_EX_TOOLWINDOW, fx::RegisterWindowClass(0).c_str(), L"", WS_POPUP, 10, 10, 60, 40,
                              nullptr, nullptr))
            return false;
        window_.owner = this;
        SetPanelWindow(window_.hwnd());
        if (script_.reportCreated) {
            RECT rc{10, 10, 70, 50};
            m_pHost->ReportCreated(this, rc);
            goSeen = fx::PollDispatchingSent([&] { return m_pHost->GoGiven(this); }, script_.goWaitMs);
        }
        return true;
    }
    int ExitInstance() override {
        window_.Destroy();
        return PanelThread::ExitInstance();
    }

private:
    class StandInWindow : public fx::Window {
    public:
        StandInPanel* owner = nullptr;

    protected:
        bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override {
            if (msg < panel_msg::kNavigate || msg > panel_msg::kArmAndClose || !owner)
                return fx::Window::OnMessage(msg, wp, lp, result);
            owner->OnPanelMessage(msg);
            result = 0;
            return true;
        }
    };

    void OnPanelMessage(UINT msg) {
        {
            std::lock_guard<std::mutex> hold(mutex_);
            messages_.push_back(msg);
        }
        if (msg == panel_msg::kReady && script_.reportReady) m_pHost->ReportReady(this);
        if (msg == panel_msg::kCloseNow && script_.hangHoldingListLock) {
            m_pHost->Panels().Lock().Lock();
            holdingListLock = true;
            for (int i = 0; i < 600; ++i) ::Sleep(100);
            m_pHost->Panels().Lock().Unlock();
            return;
        }
        if (msg == panel_msg::kCloseNow && script_.closeOnRequest && !closing_) {
            closing_ = true;
            if (script_.closeDelayMs) ::Sleep(script_.closeDelayMs);
            m_pHost->PostUsage(m_Current.m_Id, 5);
            m_pHost->Panels().Remove(this);
            removed = true;
            ::PostQuitMessage(0);
        }
    }

    StandInScript script_;
    StandInWindow window_;
    bool closing_ = false;
    mutable std::mutex mutex_;
    std::vector<UINT> messages_;
};

}  // namespace panels::testing
