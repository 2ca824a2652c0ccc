// The controller as a panel thread sees it (panels::PanelHost), recorded: a
// window of the test's thread that records the controller messages (111xx)
// the panels post to it, the launch handshake with the go given as `go`
// says, the panel list, and what the panels leave with the controller (usage
// reports, the final URL, the report, the search menu's offer).  Header
// only: the test links pondrel_panels.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "app/panels/thread/HoverThreadList.h"
#include "app/panels/thread/PanelThread.h"
#include "fx/Lock.h"
#include "tests/support/MessageRecorder.h"

namespace apptest {

class RecordingPanelHost : public panels::PanelHost {
public:
    struct SearchMenuOffer {
        RECT dropDown{};
        HWND panel = nullptr;
        std::wstring text;
        int count = 0;
    };

    // Makes the host's window on the calling thread.
    RecordingPanelHost() : window_(*this) { window_.Make(); }

    HWND HostWindow() const override { return window_.hwnd(); }
    void ReportCreated(const panels::PanelThread*, const RECT& rect) override {
        {
            std::lock_guard<std::mutex> hold(mutex_);
            createdRect_ = rect;
        }
        created = true;
    }
    bool GoGiven(const panels::PanelThread*) override { return go; }
    void ReportReady(const panels::PanelThread*) override { ready = true; }
    panels::HoverThreadList& Panels() override { return list; }
    void PostUsage(const std::wstring& id, DWORD) override {
        std::lock_guard<std::mutex> hold(mutex_);
        events_.push_back(L"11143 " + id);
        ++usages_;
    }
    void LeavePanelUrl(const std::wstring& url) override {
        std::lock_guard<std::mutex> hold(mutex_);
        lastUrl_ = url;
    }
    void UpdateReport(const std::function<void(panels::PanelReport&)>& change) override {
        std::lock_guard<std::mutex> hold(mutex_);
        change(report_);
    }
    void OfferSearchMenu(const RECT& dropDown, HWND panel, const std::wstring& text) override {
        std::lock_guard<std::mutex> hold(mutex_);
        offer_.dropDown = dropDown;
        offer_.panel = panel;
        offer_.text = text;
        ++offer_.count;
    }

    // The messages posted to the host's window, in their order.
    std::vector<UINT> Messages() const { return window_.Ids(); }
    size_t Count(UINT msg) const { return window_.Count(msg); }
    bool Got(UINT msg) const { return window_.Got(msg); }
    // The lParam of the last message msg (0 when none came).
    LPARAM LastLParam(UINT msg) const { return window_.LastLParam(msg); }
    // The posted messages and the usage reports as they came: "11139" for a
    // message, "11143 <id>" for a usage report.
    std::vector<std::wstring> Events() {
        std::lock_guard<std::mutex> hold(mutex_);
        return events_;
    }
    int Usages() {
        std::lock_guard<std::mutex> hold(mutex_);
        return usages_;
    }
    RECT CreatedRect() {
        std::lock_guard<std::mutex> hold(mutex_);
        return createdRect_;
    }
    // The URL the last panel left ("(none)" before any).
    std::wstring LastUrl() {
        std::lock_guard<std::mutex> hold(mutex_);
        return lastUrl_;
    }
    panels::PanelReport Report() {
        std::lock_guard<std::mutex> hold(mutex_);
        return report_;
    }
    SearchMenuOffer Offer() {
        std::lock_guard<std::mutex> hold(mutex_);
        return offer_;
    }

    panels::HoverThreadList list;
    std::atomic<bool> created{false}, go{true}, ready{false};

private:
    class Window : public testsupport::MessageRecorder {
    public:
        explicit Window(RecordingPanelHost& host) : MessageRecorder(11100, 11199), host_(host) {}

    protected:
        void OnRecord(const Message& m) override {
            std::lock_guard<std::mutex> hold(host_.mutex_);
            host_.events_.push_back(std::to_wstring(m.msg));
        }

    private:
        RecordingPanelHost& host_;
    };

    std::mutex mutex_;
    std::vector<std::wstring> events_;
    int usages_ = 0;
    RECT createdRect_{};
    std::wstring lastUrl_ = L"(none)";
    panels::PanelReport report_;
    SearchMenuOffer offer_;
    Window window_;
};

}  // namespace apptest
