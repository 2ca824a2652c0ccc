#include "app/panels/render/BitmapPlacement.h"

#include <algorithm>
#include <climits>

namespace render {
namespace {

int Clamp(long long v) {
    return static_cast<int>(std::max<long long>(INT_MIN, std::min<long long>(INT_MAX, v)));
}

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
    return text.compare(0, std::char_traits<wchar_t>::length(prefix), prefix) == 0;
}

void AddDraw(std::vector<ImageDraw>& draws, const PixelRect& source, const PixelRect& dest) {
    if (source.width <= 0 || source.height <= 0 || dest.width <= 0 || dest.height <= 0) return;
    draws.push_back({source, dest});
}

// Tiles of `size` pixels along a run of `budget` pixels from `start`; the
// last tile shrinks to what is left.  Only tiles that reach into [low, high)
// are placed: the ones before are skipped in one step, and the run ends at
// high, so a huge run costs no more than the visible part.
template <class Place>
void Tile(int size, long long budget, long long start, long long low, long long high, Place place) {
    const long long tile = size;
    long long at = start;
    if (budget > 0 && at + tile <= low) {
        const long long skipped = std::min((low - at) / tile, budget / tile);
        at += skipped * tile;
        budget -= skipped * tile;
    }
    while (budget > 0 && at < high) {
        const long long t = std::min(tile, budget);
        place(Clamp(at), static_cast<int>(t));
        at += t;
        budget -= t;
    }
}

}  // namespace

void ApplyElementId(const std::wstring& id, BitmapStyle& style) {
    style.searchBox = StartsWith(id, L"pq_ecp_search_box");
    style.currentItem = StartsWith(id, L"pq_ecp_current");
}

std::vector<ImageDraw> PlanBitmapDraws(const BitmapStyle& style, int imageWidth, int imageHeight,
                                       const templates::LayoutRect& rect, int width, int height,
                                       const templates::LayoutRect& visible) {
    std::vector<ImageDraw> draws;
    if (imageWidth <= 0 || imageHeight <= 0) return draws;

    if (style.repeat == templates::kRepeatX) {
        const long long budget = static_cast<long long>(rect.right) - rect.left - 1;
        Tile(imageWidth, budget, rect.left, visible.left, visible.right, [&](int x, int t) {
            AddDraw(draws, {0, 0, t, imageHeight}, {x, rect.top, t, imageHeight});
        });
        return draws;
    }
    if (style.repeat == templates::kRepeatY || (style.repeat == templates::kRepeatBoth && !style.searchBox)) {
        const long long budget = static_cast<long long>(height) - 1;
        Tile(imageHeight, budget, rect.top, visible.top, visible.bottom, [&](int y, int t) {
            AddDraw(draws, {0, 0, imageWidth, t}, {rect.left, y, imageWidth, t});
        });
        return draws;
    }

    // One unrepeated picture.  Its size scales by the integer part of the
    // zoom, at least once: a zoom below 1 keeps the picture instead of
    // shrinking it to nothing.
    long long dw = style.widthPercent ? width : imageWidth;
    long long dh = style.heightPercent ? height : imageHeight;
    const int zi = templates::IntegerZoom(style.zoom);
    dw *= zi;
    dh *= zi;
    long long offsetX = 0;
    long long offsetY = 0;
    if (style.centred) {
        offsetX = (width - dw) / 2;
        offsetY = (height - dh) / 2;
    }
    if (style.currentItem) offsetY -= 3;
    int sourceWidth = imageWidth;
    if (style.searchBox) {
        offsetY -= 4;
        dw -= 24;
        sourceWidth = 1;  // the first column stretched over the box
    }
    AddDraw(draws, {0, 0, sourceWidth, imageHeight},
            {Clamp(rect.left + offsetX), Clamp(rect.top + offsetY), Clamp(dw), Clamp(dh)});
    return draws;
}

std::wstring ShortenElementText(const std::wstring& text) {
    constexpr size_t kLongest = 40;
    if (text.size() <= kLongest) return text;
    return text.substr(0, kLongest) + L"...";
}

}  // namespace render
