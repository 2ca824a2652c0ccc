// The browser windows seen before a launch, and the two searches over all
// top-level windows that find the browser window to send the next URL to.
#pragma once

#include <windows.h>

#include <deque>
#include <string>

// One browser process seen: its first window of the searched class and how
// many further windows of that class it has.
struct IEWindowNode {
    HWND window = nullptr;
    DWORD processId = 0;
    int count = 0;
};

class BrowserWindowList {
public:
    enum Mode { Collect, FindFirst };

    void Clear() { nodes_.clear(); }
    const std::deque<IEWindowNode>& Nodes() const { return nodes_; }
    IEWindowNode* FindProcess(DWORD processId);

    // One top-level window for the collecting or find-first search over
    // windows of browserClass; false stops the enumeration (*result is then
    // the first window of a process not seen before).
    bool EnumStep(Mode mode, const std::wstring& browserClass, HWND window, DWORD processId,
                  const std::wstring& windowClass, HWND* result);

private:
    std::deque<IEWindowNode> nodes_;  // newest first
};

// One top-level window for the search by process: a window of processId
// becomes *result whatever its class; the enumeration always goes on, so the
// last such window wins.  Windows of browserClass are logged.
void FindProcessStep(const std::wstring& browserClass, DWORD wantedProcessId, HWND window, DWORD processId,
                     const std::wstring& windowClass, HWND* result);

// The searches over all top-level windows.  With collect set: the windows of
// browserClass are gathered into list (Collect; the caller clears the list
// first), or the first window of a process the list does not hold is found
// (FindFirst); with collect clear: the last window of processId is found
// (FindProcessStep).  The window found, or null.
HWND SearchBrowserWindows(BrowserWindowList& list, const std::wstring& browserClass, DWORD processId, bool collect,
                          BrowserWindowList::Mode mode);
