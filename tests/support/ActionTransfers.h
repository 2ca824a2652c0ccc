// IAction's transfers seen from both sides: reading an enhancer's selection
// and hot-spot transfers item by item (the enhancer tests), and the calls the
// controller's transfers make, as a recording enhancer lists them (the
// controller tests).  Users link hxie_idl.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "Hextens/HXIE/HXIE.h"
#include "TextSupport.h"

namespace testsupport {

// One item of a transfer (a hot spot's domain and href; "" for a selection).
struct TransferItem {
    LONG l = 0, t = 0, r = 0, b = 0, flags = 0;
    std::wstring text, domain, href, context, guess;
};

// The calls of one kind of transfer: Begin, Next and End, and the getters of
// an item's numbers and texts.
struct TransferCalls {
    using LongGetter = HRESULT (STDMETHODCALLTYPE IAction::*)(LONG*);
    using TextGetter = HRESULT (STDMETHODCALLTYPE IAction::*)(BSTR*);
    HRESULT (STDMETHODCALLTYPE IAction::*begin)();
    LongGetter next;
    HRESULT (STDMETHODCALLTYPE IAction::*end)();
    std::vector<std::pair<LongGetter, LONG TransferItem::*>> numbers;
    std::vector<std::pair<TextGetter, std::wstring TransferItem::*>> texts;
};

// Begin, every item while Next answers one (at most limit items), End.
inline std::vector<TransferItem> ReadTransfer(IAction* action, const TransferCalls& calls, size_t limit) {
    std::vector<TransferItem> items;
    if (calls.begin) (action->*calls.begin)();
    LONG more = 0;
    while (items.size() < limit && ((action->*calls.next)(&more), more)) {
        TransferItem it;
        for (const auto& [get, field] : calls.numbers) (action->*get)(&(it.*field));
        for (const auto& [get, field] : calls.texts) {
            BSTR s = nullptr;
            (action->*get)(&s);
            it.*field = Take(s);
        }
        items.push_back(it);
    }
    (action->*calls.end)();
    return items;
}

inline std::vector<TransferItem> ReadSelectionTransfer(IAction* action, size_t limit = 200) {
    static const TransferCalls calls = {
        &IAction::TextHotSpotTransferBegin, &IAction::TextHotSpotTransferNext, &IAction::TextHotSpotTransferEnd,
        {{&IAction::GetSelTextLeft, &TransferItem::l}, {&IAction::GetSelTextTop, &TransferItem::t},
         {&IAction::GetSelTextRight, &TransferItem::r}, {&IAction::GetSelTextBottom, &TransferItem::b},
         {&IAction::GetSelTextPlacementFlags, &TransferItem::flags}},
        {{&IAction::GetSelectedText, &TransferItem::text}, {&IAction::GetContext, &TransferItem::context},
         {&IAction::GetBestGuess, &TransferItem::guess}}};
    return ReadTransfer(action, calls, limit);
}

inline std::vector<TransferItem> ReadHotSpotTransfer(IAction* action, size_t limit = 200) {
    // Begin takes an id here: called before, the table names no Begin.
    action->HotSpotTransferBegin(0);
    static const TransferCalls calls = {
        nullptr, &IAction::HotSpotTransferNext, &IAction::HotSpotTransferEnd,
        {{&IAction::GetHotSpotLeft, &TransferItem::l}, {&IAction::GetHotSpotTop, &TransferItem::t},
         {&IAction::GetHotSpotRight, &TransferItem::r}, {&IAction::GetHotSpotBottom, &TransferItem::b},
         {&IAction::GetHotSpotPlacementFlags, &TransferItem::flags}},
        {{&IAction::GetHotSpotText, &TransferItem::text}, {&IAction::GetDomain, &TransferItem::domain},
         {&IAction::GetHRef, &TransferItem::href}, {&IAction::GetContext, &TransferItem::context},
         {&IAction::GetBestGuess, &TransferItem::guess}}};
    return ReadTransfer(action, calls, limit);
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
