#include "Hextens/HXIE/UpdateCycle.h"

namespace hxie {

std::wstring DomainOfHost(const std::wstring& host) {
    const size_t last = host.rfind(L'.');
    if (last == std::wstring::npos || last == 0) return {};
    const size_t secondLast = host.rfind(L'.', last - 1);
    if (secondLast == std::wstring::npos) return {};
    return host.substr(secondLast + 1);
}

long DecideChanges(PollMemory& memory, const PollObservation& poll) {
    long bits = 0;
    if (poll.windowFound) {
        bits = poll.checkBits;
        if (poll.title != poll.titleBefore) bits |= kPageChanged;
        memory.browserFound = true;
    } else {
        memory.browserFound = false;
    }
    if (memory.browserFound != memory.browserFoundBefore) bits |= kPageChanged;
    memory.browserFoundBefore = memory.browserFound;
    if (poll.serverRect != memory.lastServerRect) bits |= kPageChanged;
    memory.lastServerRect = poll.serverRect;
    if (poll.selection != poll.selectionBefore) bits |= kSelectionPresent | kSelectionChanged;
    if (poll.securePage) bits |= kSecurePage;
    return bits;
}

bool FrameWalkNeeded(bool domainEnhanced, long bits) {
    return (domainEnhanced && !(bits & kHotSpotPresent)) || !(bits & kSelectionPresent);
}

bool AllFound(bool domainEnhanced, long bits) {
    const long wanted = domainEnhanced ? (kSelectionPresent | kHotSpotPresent) : kSelectionPresent;
    return (bits & wanted) == wanted;
}

}  // namespace hxie
