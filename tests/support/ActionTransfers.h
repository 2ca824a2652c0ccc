// IAction's transfers seen from both sides: reading an enhancer's selection
// and hot-spot transfers item by item (the enhancer tests), and the calls the
// controller's transfers make, as a recording enhancer lists them (the
// controller tests).  Users link hxie_idl.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "Hextens/HXIE/HXIE.h"
#include "TextSupport.h"

namespace testsupport {

// One item of a transfer (a hot spot's domain and href; "" for a selection).
struct TransferItem {
    LONG l = 0, t = 0, r = 0, b = 0, flags = 0;
    std::wstring text, domain, href, context, guess;
};

// Begin, every item while Next answers one (at most limit items), End.
inline std::vector<TransferItem> ReadSelectionTransfer(IAction* action, size_t limit = 200) {
    std::vector<TransferItem> items;
    action->TextHotSpotTransferBegin();
    LONG more = 0;
    while (items.size() < limit && (action->TextHotSpotTransferNext(&more), more)) {
        TransferItem it;
        BSTR s = nullptr;
        action->GetSelTextLeft(&it.l);
        action->GetSelTextTop(&it.t);
        action->GetSelTextRight(&it.r);
        action->GetSelTextBottom(&it.b);
        action->GetSelTextPlacementFlags(&it.flags);
        action->GetSelectedText(&s);
        it.text = Take(s);
        action->GetContext(&s);
        it.context = Take(s);
        action->GetBestGuess(&s);
        it.guess = Take(s);
        items.push_back(it);
    }
    action->TextHotSpotTransferEnd();
    return items;
}

inline std::vector<TransferItem> ReadHotSpotTransfer(IAction* action, size_t limit = 200) {
    std::vector<TransferItem> items;
    action->HotSpotTransferBegin(0);
    LONG more = 0;
    while (items.size() < limit && (action->HotSpotTransferNext(&more), more)) {
        TransferItem it;
        BSTR s = nullptr;
        action->GetHotSpotLeft(&it.l);
        action->GetHotSpotTop(&it.t);
        action->GetHotSpotRight(&it.r);
        action->GetHotSpotBottom(&it.b);
        action->GetHotSpotPlacementFlags(&it.flags);
        action->GetHotSpotText(&s);
        it.text = Take(s);
        action->GetDomain(&s);
        it.domain = Take(s);
        action->GetHRef(&s);
        it.href = Take(s);
        action->GetContext(&s);
        it.context = Take(s);
        action->GetBestGuess(&s);
        it.guess = Take(s);
        items.push_back(it);
    }
    action->HotSpotTransferEnd();
    return items;
}

// The names of IAction calls, in order.
using Calls = std::vector<std::wstring>;

// The controller's selection transfer over pieces in order: a kept piece is
// read whole, a zero-width one is dropped after its left and right.
inline Calls SelectionTransferCalls(std::initializer_list<bool> kept) {
    Calls calls = {L"HaveActiveEnhancerAreas", L"TextHotSpotTransferBegin"};
    for (bool keep : kept) {
        calls.push_back(L"TextHotSpotTransferNext");
        if (keep)
            calls.insert(calls.end(), {L"GetSelTextLeft", L"GetSelTextRight", L"GetSelTextTop", L"GetSelTextLeft",
                                       L"GetSelTextBottom", L"GetSelTextRight", L"GetSelectedText", L"GetContext",
                                       L"GetBestGuess"});
        else
            calls.insert(calls.end(), {L"GetSelTextLeft", L"GetSelTextRight"});
    }
    calls.insert(calls.end(), {L"TextHotSpotTransferNext", L"TextHotSpotTransferEnd"});
    return calls;
}

// The controller's hot-spot transfer that finds one hot spot.
inline Calls OneHotSpotTransferCalls() {
    return {L"HaveActiveEnhancerAreas", L"get_ActiveAreaTitle", L"HotSpotTransferBegin 0",
            L"HotSpotTransferNext", L"GetHotSpotTop", L"GetHotSpotLeft", L"GetHotSpotBottom",
            L"GetHotSpotRight", L"GetDomain", L"GetHotSpotText", L"GetHRef", L"GetContext",
            L"GetBestGuess", L"HotSpotTransferNext", L"HotSpotTransferEnd"};
}

}  // namespace testsupport
