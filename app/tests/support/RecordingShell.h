// The tray's shell call recorded: the data and the calling thread of every
// call, answered with `answer`; the tips and balloons they showed.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/core/tray/SystemTray.h"

namespace apptest {

struct Call {
    DWORD message;
    NOTIFYICONDATAW data;
    DWORD thread;
};

struct Balloon {
    std::wstring title, text;
};

class RecordingShell : public TrayShell {
public:
    BOOL NotifyIcon(DWORD message, NOTIFYICONDATAW* data) override {
        calls.push_back({message, *data, ::GetCurrentThreadId()});
        return answer;
    }

    // The balloons the calls showed (an info text set), in their order.
    std::vector<Balloon> Balloons() const {
        std::vector<Balloon> shown;
        for (const Call& c : calls)
            if ((c.data.uFlags & NIF_INFO) && c.data.szInfo[0]) shown.push_back({c.data.szInfoTitle, c.data.szInfo});
        return shown;
    }
    // The same as "title: text" lines.
    std::vector<std::wstring> BalloonLines() const {
        std::vector<std::wstring> lines;
        for (const Balloon& b : Balloons()) lines.push_back(b.title + L": " + b.text);
        return lines;
    }
    // The tip the last call that set one gave ("" when none did).
    std::wstring LastTip() const {
        for (auto it = calls.rbegin(); it != calls.rend(); ++it)
            if (it->data.uFlags & NIF_TIP) return it->data.szTip;
        return std::wstring();
    }

    std::vector<Call> calls;
    BOOL answer = TRUE;
};

}  // namespace apptest
