#include "Hextens/HXIE/PageGeometry.h"

#include <algorithm>

namespace hxie {

bool IsEmpty(const Rect& r) { return r.right <= r.left || r.bottom <= r.top; }

Rect Offset(const Rect& r, long dx, long dy) { return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; }

Rect Intersect(const Rect& a, const Rect& b) {
    const Rect r = ClampInto(a, b);
    return IsEmpty(r) ? Rect{} : r;
}

Rect ClampInto(const Rect& r, const Rect& clip) {
    return {std::max(r.left, clip.left), std::max(r.top, clip.top), std::min(r.right, clip.right),
            std::min(r.bottom, clip.bottom)};
}

long RightToLeftWidth(const RangeMetrics& first, const RangeMetrics& moved) {
    return moved.left + moved.width - first.left;
}

Rect SelectionScreenRect(const SelectionPlacement& p) {
    Rect r{p.metrics.left, p.metrics.top, p.metrics.left + p.metrics.width, p.metrics.top + p.metrics.height};
    r = Offset(r, p.textAreaOffset.x, p.textAreaOffset.y);
    if (!IsEmpty(p.textAreaClip)) r = ClampInto(r, p.textAreaClip);
    r = Offset(r, p.documentOrigin.x + p.scroll.x, p.documentOrigin.y + p.scroll.y);
    return ClampInto(r, p.visible);
}

Rect HotSpotScreenRect(const Rect& client, const Point& documentOrigin) {
    return Offset(client, documentOrigin.x, documentOrigin.y);
}

std::optional<Rect> ElementRectFromOffsets(long offsetLeft, long offsetTop, long width, long height,
                                           const std::vector<OffsetStep>& parents) {
    if (parents.empty()) return std::nullopt;
    long x = offsetLeft, y = offsetTop;
    for (const OffsetStep& p : parents) {
        x += p.offsetLeft;
        y += p.offsetTop;
        if (p.scrollKnown) {
            x -= p.scrollLeft;
            y -= p.scrollTop;
        }
    }
    return Rect{x, y, x + width, y + height};
}

Rect DocumentScreenRect(const std::optional<long>& screenLeft, const std::optional<long>& screenTop,
                        const std::optional<long>& width, const std::optional<long>& height) {
    if (!screenLeft || !screenTop || !width || !height) return {};
    return {*screenLeft, *screenTop, *screenLeft + *width, *screenTop + *height};
}

FrameView FrameViewIn(const Rect& frameRect, const Point& rootScroll, const Rect& area) {
    FrameView v;
    const Rect moved = Offset(frameRect, -rootScroll.x, -rootScroll.y);
    if (IsEmpty(moved)) return v;
    const Rect clip = Intersect(moved, area);
    if (IsEmpty(clip)) return v;
    v.usable = true;
    v.clip = clip;
    v.origin = {moved.left, moved.top};
    return v;
}

}  // namespace hxie
