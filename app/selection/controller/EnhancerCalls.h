// The controller's calls on its enhancer list: the poll, the collection of
// hot spots and selection pieces into link records, navigation of a browser
// window, and the unload.  Every enhancer is called on the user-interface
// thread through its IAction pointer; every string it returns is freed here.
#pragma once

#include <windows.h>

#include <string>

#include "app/core/enhancers/LinkInfo.h"
#include "app/core/enhancers/WatcherNode.h"

struct ISiteEnhancer;

// When the poll is off altogether.
struct PollGate {
    int enhancerCount = 0;
    bool leftButtonDown = false;
    bool enhancersOff = false;
};

// Update on every active enhancer, in list order, each answer kept in the
// node's last bits (0 for an inactive node or a failed call); returns their
// OR, or 0 without asking (or logging) anything when the gate is closed or
// the list is empty.
LONG PollEnhancers(WatcherObList& enhancers, const PollGate& gate);

// The most items one transfer takes from one enhancer (a zero-width
// selection piece counts too); an enhancer offering more is cut there, with
// a log line, and its transfer still ended.
constexpr int kMaxTransferItems = 1000;

// An exception during a transfer ends the whole collection: the enhancer's
// transfer is still ended, the records so far stay in list and their count
// is returned.
//
// The hot spots of every enhancer whose last bits have 0x02 into list;
// areaTitle gets the active-area title of the last enhancer asked for it.
// Returns the number of records added.
int CollectHotSpots(WatcherObList& enhancers, LinkList& list, std::wstring* areaTitle);
// The selection pieces of every enhancer whose last bits have 0x01 into list
// (a piece of zero width is skipped).  Returns the number of records added.
int CollectSelections(WatcherObList& enhancers, LinkList& list);

// The log line of one collected selection record: its text (cut to a
// readable length) and its rectangle as left,top,right,bottom.
std::wstring SelectionRecordLine(const LinkInfo& record);

// Asks every active enhancer to send browser to url; true when one did.
bool NavigateBrowser(WatcherObList& enhancers, HWND browser, const std::wstring& url);

// Unloads, releases and deletes every enhancer (the list is empty
// afterwards), then shuts down and releases the site enhancer when held.
void UnloadEnhancers(WatcherObList& enhancers, ISiteEnhancer** siteEnhancer, IDispatch** siteDispatch);
