#include "app/core/enhancers/BrowserWindows.h"

#include <string>

#include "fx/Fault.h"
#include "log/PondrelLog.h"

IEWindowNode* BrowserWindowList::FindProcess(DWORD processId) {
    for (IEWindowNode& node : nodes_)
        if (node.processId == processId) return &node;
    return nullptr;
}

bool BrowserWindowList::EnumStep(Mode mode, const std::wstring& browserClass, HWND window, DWORD processId,
                                 const std::wstring& windowClass, HWND* result) {
    if (::lstrcmpiW(windowClass.c_str(), browserClass.c_str()) != 0) return true;
    if (IEWindowNode* known = FindProcess(processId)) {
        ++known->count;
        return true;
    }
    if (mode == FindFirst) {
        *result = window;
        return false;
    }
    nodes_.push_front(IEWindowNode{window, processId, 0});
    return true;
}

void FindProcessStep(const std::wstring& browserClass, DWORD wantedProcessId, HWND window, DWORD processId,
                     const std::wstring& windowClass, HWND* result) {
    if (::lstrcmpiW(windowClass.c_str(), browserClass.c_str()) == 0) {
        std::wstring line = windowClass + L" : " + std::to_wstring(processId) + L" : " + std::to_wstring(wantedProcessId);
        LogLine(line.c_str());
    }
    if (processId == wantedProcessId) *result = window;
}

namespace {

struct Search {
    BrowserWindowList* list;
    const std::wstring* browserClass;
    DWORD processId;
    BrowserWindowList::Mode mode;
    HWND result;
};

void WindowFacts(HWND window, DWORD* processId, std::wstring* windowClass) {
    *processId = 0;
    ::GetWindowThreadProcessId(window, processId);
    wchar_t name[257] = {};
    ::GetClassNameW(window, name, 256);
    *windowClass = name;
}

// The enumeration's callbacks: an exception (a failed allocation) stops the
// enumeration there instead of crossing the system's frames.
BOOL CALLBACK EnumBrowserWindowsProc(HWND window, LPARAM lp) {
    BOOL more = FALSE;
    fx::Guarded(L"the browser window enumeration", [&] {
        Search& s = *reinterpret_cast<Search*>(lp);
        DWORD pid;
        std::wstring cls;
        WindowFacts(window, &pid, &cls);
        more = s.list->EnumStep(s.mode, *s.browserClass, window, pid, cls, &s.result);
    });
    return more;
}

BOOL CALLBACK FindProcessWindowProc(HWND window, LPARAM lp) {
    BOOL more = FALSE;
    fx::Guarded(L"the browser window search", [&] {
        Search& s = *reinterpret_cast<Search*>(lp);
        DWORD pid;
        std::wstring cls;
        WindowFacts(window, &pid, &cls);
        FindProcessStep(*s.browserClass, s.processId, window, pid, cls, &s.result);
        more = TRUE;
    });
    return more;
}

}  // namespace

HWND SearchBrowserWindows(BrowserWindowList& list, const std::wstring& browserClass, DWORD processId, bool collect,
                          BrowserWindowList::Mode mode) {
    Search s{&list, &browserClass, processId, mode, nullptr};
    ::EnumWindows(collect ? EnumBrowserWindowsProc : FindProcessWindowProc, reinterpret_cast<LPARAM>(&s));
    return s.result;
}
