// The Firefox enhancer's decisions that need no Win32 call: cutting the
// extension's TAB-separated answers, the id list's XML, the context text,
// the selection items of a poll, its change bits and the extension log's
// lines.  Portable, tested in tables.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace fftext {

struct Box {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const Box& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

struct TextItem {
    Box rect;
    std::wstring text;
};

// Hands out the TAB-separated fields of a text in order; past the last one
// every field is empty.
class TabFields {
public:
    explicit TabFields(const wchar_t* text) : at_(text) {}
    std::wstring Next();

private:
    const wchar_t* at_;
};

constexpr size_t kMaxIdsXml = 999;

// "<id>part</id>" for each non-empty LF-separated part of ids, in order, the
// part escaped; "" for "".  A part whose element would take the text beyond
// kMaxIdsXml characters is left out (later ones that fit are kept).
std::wstring IdListToXml(const std::wstring& ids);

// The context of a hot spot being transferred; location and href are made
// safe for their CDATA sections, idsXml comes from IdListToXml.
std::wstring HotSpotContext(const std::wstring& location, const std::wstring& href, const std::wstring& idsXml);
// The context of a selection item, or of no item.
std::wstring PlainContext();

// The selection items of an answer: for each of the pieceCount TAB-separated
// pieces, one item per rectangle of the piece when its filtered text is not
// empty.  rectCounts and rects were checked against their maxima already.
typedef std::function<std::wstring(const std::wstring&)> Filter;
std::vector<TextItem> SelectionItems(const wchar_t* text, int pieceCount, const int32_t* rectCounts, const Box* rects,
                                     const Filter& filter);

// Bits 0x01 / 0x08 / 0x09 from the selection list before and after a read.
long SelectionBits(const std::vector<TextItem>& before, const std::vector<TextItem>& after);

// What one poll saw.
struct PollFacts {
    bool foreground = false;        // Firefox is the foreground window
    bool wasActive = false;         // ... and was at the previous poll
    bool extensionAnswers = false;  // the extension is alive and the channel open
    bool updated = false;           // the extension answered the update request
    long selectionBits = 0;         // SelectionBits of the selection read (when updated)
    bool haveHotSpots = false;      // the hot-spot list holds an item
    bool pageChanged = false;       // the extension flagged a new page
    bool secure = false;            // the location is an "https:" one (when updated)
};

// The change bits of a poll: 0x1F when Firefox just left the foreground, else
// the selection bits, 0x02 with hot spots, 0x04 for a new page (or the first
// poll in the foreground) and 0x20 on a secure page, all only while the
// extension answers.
long PollBits(const PollFacts& poll);

// The non-empty LF-separated lines of the extension's log text.
std::vector<std::wstring> LogLines(const std::wstring& text);

}  // namespace fftext
