// The decisions of one Update poll that need no browser: the page's domain,
// the change bits against the previous poll, and when the frame walk is due.
#pragma once

#include <string>

#include "Hextens/HXIE/PageGeometry.h"

namespace hxie {

// The bits Update returns.
enum HaveChangesFlags : long {
    kSelectionPresent = 0x01,
    kHotSpotPresent = 0x02,
    kPageChanged = 0x04,
    kSelectionChanged = 0x08,
    kSecurePage = 0x20,
};

// The domain of a host name: its last two labels when it has two dots or more;
// a host with one dot or none has no domain ("").
std::wstring DomainOfHost(const std::wstring& host);

// What decides whether a selection changed: its text and rectangle.
struct SelectionKey {
    std::wstring text;
    Rect rect;
    bool operator==(const SelectionKey& o) const { return rect == o.rect && text == o.text; }
    bool operator!=(const SelectionKey& o) const { return !(*this == o); }
};

// What one poll carries over to the next.
struct PollMemory {
    bool browserFound = false;
    bool browserFoundBefore = false;
    Rect lastServerRect;
};

// What one poll saw.
struct PollObservation {
    bool windowFound = false;  // a browser window was found
    long checkBits = 0;        // 0x01/0x02 from the document checks
    std::wstring titleBefore;  // the page title of the previous poll
    std::wstring title;        // the page title now
    SelectionKey selectionBefore;
    SelectionKey selection;
    Rect serverRect;  // the document window's screen rectangle (empty: none)
    bool securePage = false;
};

// The bits of this poll; updates memory for the next one.
long DecideChanges(PollMemory& memory, const PollObservation& poll);

// Whether the frame walk still has something to look for, and whether the
// bits hold everything looked for (a hot spot only on an enhanced domain).
bool FrameWalkNeeded(bool domainEnhanced, long bits);
bool AllFound(bool domainEnhanced, long bits);

}  // namespace hxie
