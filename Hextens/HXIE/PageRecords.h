// The one hot spot and the one selection item the enhancer holds per poll.
#pragma once

#include <string>

#include "Hextens/HXIE/PageGeometry.h"

namespace hxie {

struct HotSpotRecord {
    std::wstring href;  // the link's "href" attribute
    std::wstring text;  // its inner text after the selection filter
    std::wstring contextXml;
    std::wstring bestGuess;  // as the site enhancer gave it, or empty
    Rect rect;               // screen rectangle
    void Clear() { *this = HotSpotRecord(); }
};

struct SelectionRecord {
    std::wstring text;  // the selected text after the selection filter
    std::wstring contextXml;
    std::wstring bestGuess;  // always empty in this enhancer
    Rect rect;               // screen rectangle after clipping
    void Clear() { *this = SelectionRecord(); }
    // Equal in rectangle and text; context and best guess are not compared.
    bool operator==(const SelectionRecord& o) const { return rect == o.rect && text == o.text; }
    bool operator!=(const SelectionRecord& o) const { return !(*this == o); }
};

}  // namespace hxie
