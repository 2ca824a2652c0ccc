// Rectangles of a page, its selection and its frames, worked out from the
// numbers the document objects report.  No Win32 call in here.
#pragma once

#include <optional>
#include <vector>

namespace hxie {

// Screen or document pixels; right and bottom exclusive.
struct Rect {
    long left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const Rect& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
    bool operator!=(const Rect& o) const { return !(*this == o); }
};

struct Point {
    long x = 0, y = 0;
};

// No area: right <= left or bottom <= top.
bool IsEmpty(const Rect& r);
Rect Offset(const Rect& r, long dx, long dy);
// The common part (an empty rectangle when there is none).
Rect Intersect(const Rect& a, const Rect& b);
// Each edge pulled inside clip: max of the left/top edges, min of the others.
Rect ClampInto(const Rect& r, const Rect& clip);

// A text range's bounding box as its metrics report it.
struct RangeMetrics {
    long left = 0, top = 0, width = 0, height = 0;
};

// The width of a range whose metrics gave width 0 (a right-to-left run): the
// start moved one character on gave `moved`; the range spans from the first
// left edge to the end of the moved box.
long RightToLeftWidth(const RangeMetrics& first, const RangeMetrics& moved);

// Where a selection lies on the screen.
struct SelectionPlacement {
    RangeMetrics metrics;  // width already corrected for right-to-left runs
    Point textAreaOffset;  // a text area's scroll offsets, else 0
    Rect textAreaClip;     // a text area's rectangle, else empty (no clip)
    Point documentOrigin;  // the document window's top-left screen corner
    Point scroll;          // the body's scroll offsets
    Rect visible;          // the visible part of the document on the screen
};
// The selection's screen rectangle after both clips (may be empty).
Rect SelectionScreenRect(const SelectionPlacement& p);

// A hot spot's screen rectangle from the link's client rectangle.
Rect HotSpotScreenRect(const Rect& client, const Point& documentOrigin);

// One element of an offsetParent chain.
struct OffsetStep {
    long offsetLeft = 0, offsetTop = 0;
    bool scrollKnown = false;  // the element answered its scroll offsets
    long scrollLeft = 0, scrollTop = 0;
};
// An element's rectangle in document coordinates from its own offset box and
// its offsetParent chain (innermost parent first); none without a parent.
std::optional<Rect> ElementRectFromOffsets(long offsetLeft, long offsetTop, long width, long height,
                                           const std::vector<OffsetStep>& parents);

// A document's screen rectangle from its window's screen corner and its body
// size; empty when any of the four reads failed.
Rect DocumentScreenRect(const std::optional<long>& screenLeft, const std::optional<long>& screenTop,
                        const std::optional<long>& width, const std::optional<long>& height);

// A frame inside the page: its document rectangle moved by the accumulated
// root scroll, and the part of `area` it covers.
struct FrameView {
    bool usable = false;  // the moved rectangle is not empty and meets area
    Rect clip;            // the part of area it covers
    Point origin;         // the moved rectangle's top-left corner
};
FrameView FrameViewIn(const Rect& frameRect, const Point& rootScroll, const Rect& area);

}  // namespace hxie
