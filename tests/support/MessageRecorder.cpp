#include "tests/support/MessageRecorder.h"

#include <algorithm>

#include "tests/support/TestSupport.h"

namespace testsupport {

MessageRecorder::~MessageRecorder() { Destroy(); }

bool MessageRecorder::Make(const RECT& at, DWORD exStyle, const wchar_t* className) {
    static const std::wstring ownClass = fx::RegisterWindowClass(0);
    return CreateEx(exStyle, className ? className : ownClass.c_str(), L"", WS_POPUP, at.left, at.top,
                    at.right - at.left, at.bottom - at.top, nullptr, nullptr);
}

std::vector<MessageRecorder::Message> MessageRecorder::Messages() const {
    std::lock_guard<std::mutex> hold(mutex_);
    return messages_;
}

std::vector<UINT> MessageRecorder::Ids() const {
    std::vector<UINT> ids;
    for (const Message& m : Messages()) ids.push_back(m.msg);
    return ids;
}

size_t MessageRecorder::Count(UINT msg) const {
    const std::vector<UINT> ids = Ids();
    return static_cast<size_t>(std::count(ids.begin(), ids.end(), msg));
}

bool MessageRecorder::Got(UINT msg) const { return Count(msg) > 0; }

bool MessageRecorder::Has(const Message& m) const {
    const std::vector<Message> all = Messages();
    return std::find(all.begin(), all.end(), m) != all.end();
}

LPARAM MessageRecorder::LastLParam(UINT msg) const {
    const std::vector<Message> all = Messages();
    for (auto it = all.rbegin(); it != all.rend(); ++it)
        if (it->msg == msg) return it->lp;
    return 0;
}

void MessageRecorder::Clear() {
    std::lock_guard<std::mutex> hold(mutex_);
    messages_.clear();
}

void MessageRecorder::Drain() {
    MSG m;
    while (hwnd() && ::PeekMessageW(&m, hwnd(), 0, 0, PM_REMOVE)) ::DispatchMessageW(&m);
}

bool MessageRecorder::Flush(fx::UiThread& from, DWORD timeoutMs) {
    const LONG n = ++sentinelsPosted_;
    const HWND window = hwnd();
    if (!RunOn(
            from, [&] { ::PostMessageW(window, kSentinel, static_cast<WPARAM>(n), 0); }, timeoutMs))
        return false;
    return WaitFor([&] { return sentinelsSeen_.load() >= n; }, timeoutMs);
}

bool MessageRecorder::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == kSentinel) {
        sentinelsSeen_.store(static_cast<LONG>(wp));
        result = 0;
        return true;
    }
    if (msg < first_ || msg > last_) return fx::Window::OnMessage(msg, wp, lp, result);
    const Message m{msg, wp, lp};
    OnRecord(m);
    {
        std::lock_guard<std::mutex> hold(mutex_);
        messages_.push_back(m);
    }
    result = 0;
    return true;
}

}  // namespace testsupport
