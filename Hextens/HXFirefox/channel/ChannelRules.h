// Rules over data read from and written to the Firefox channel, kept apart
// from the Win32 code so they can be checked in tables.  The extension is
// outside our control: every count, length and offset it leaves in the block
// is checked here before anything is copied or indexed with it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "ChannelLayout.h"

namespace ffchannel {

// Length of the text in a field of `capacity` units: the index of the first
// NUL, or -1 when the field holds no terminator.  Never reads past capacity.
int BoundedLength(const char16_t* field, int capacity);
int BoundedLength(const char* field, int capacity);

// Why a read was refused (kOk when it was not).
enum class Refusal {
    kOk,
    kCountOutOfRange,
    kRectCountOutOfRange,
    kTooManyRects,
    kTextUnterminated,
};
const wchar_t* RefusalText(Refusal r);

struct SelectionCheck {
    Refusal refusal = Refusal::kOk;
    int pieces = 0;  // selection pieces to use
    int rects = 0;   // rectangles of those pieces in all
};
// count and the first count entries of rectCounts (kMaxSelectionPieces of
// them) as the extension left them; textLength from BoundedLength.
SelectionCheck CheckSelection(int32_t count, const int32_t* rectCounts, int textLength);

// count as the extension left it; the three lengths from BoundedLength.
Refusal CheckHotSpots(int32_t count, int textsLength, int hrefsLength, int idsLength);

// The same checks on a private copy of the whole block (one no other side
// writes to while it is looked at).
SelectionCheck CheckSelection(const ChannelBlock& copy);
Refusal CheckHotSpots(const ChannelBlock& copy);
// The reads of the extension's answers out of the block, each copying first
// and judging the copy (the extension may write meanwhile, lock or not).
//
// A page text (location, domain, title) into dest (kPageTextChars units):
// true when it holds a terminator; otherwise dest keeps what it held.
bool CopyPageText(const char16_t* field, char16_t* dest);

// The selection answer: text (kSelectionChars units), rectCounts
// (kMaxSelectionPieces) and the check's rectangles into rects
// (kMaxSelectionRects); refused: text emptied, no rectangles.
SelectionCheck CopySelection(const ChannelBlock& block, char16_t* text, int32_t* rectCounts, ChannelRect* rects);

// The hot-spot answer: the three texts (kHotSpotChars units each) and the
// count's rectangles into rects (kMaxHotSpots); *count gets the hot spots to
// use (0 when refused, the texts then emptied).
Refusal CopyHotSpots(const ChannelBlock& block, char16_t* texts, char16_t* hrefs, char16_t* ids, ChannelRect* rects,
                     int* count);

// Where a new site string of textLength characters goes in the pool, given
// the entry count and the pool bytes already used (both as found in the
// block): its byte offset, or -1 when it is dropped.
int64_t SiteStringOffset(int32_t count, int64_t usedBytes, int64_t textLength);

// The 8-bit form of a navigation URL: ASCII kept, every other character
// percent-encoded as UTF-8.  False when the result would not fit in
// kNavigateUrlChars - 1 characters (nothing is to be written then).
bool EncodeNavigateUrl(const char16_t* url, size_t length, std::string& out);

// Widens the extension's 8-bit log (one character per byte) into out, which
// holds outChars characters including the terminator; reads at most
// kExtensionLogBytes bytes of log and stops at its first NUL.  Returns the
// number of characters written before the terminator.
int WidenExtensionLog(const char* log, char16_t* out, int outChars);

}  // namespace ffchannel
