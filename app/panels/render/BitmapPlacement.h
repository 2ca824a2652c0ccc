// Where an element's background picture is drawn: the tiles of a repeated
// picture, or the one placement of an unrepeated one, from the element's
// style, the picture's size and the element's inner rectangle; and the text
// a text element shows.  Plain code: the render elements draw what this
// plans, and the tests check it without GDI+.
#pragma once

#include <climits>
#include <string>
#include <vector>

#include "app/panels/templates/ElementLayout.h"
#include "app/panels/templates/TemplateValues.h"

namespace render {

struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PixelRect& o) const {
        return x == o.x && y == o.y && width == o.width && height == o.height;
    }
};

// One draw: the picture's source rectangle into the destination rectangle.
struct ImageDraw {
    PixelRect source;
    PixelRect dest;
    bool operator==(const ImageDraw& o) const { return source == o.source && dest == o.dest; }
};

// What the placement reads from the element.
struct BitmapStyle {
    int repeat = templates::kRepeatBoth;  // backgroundRepeat (kRepeatBoth: unspecified)
    bool centred = false;                 // backgroundPosition "center center"
    bool widthPercent = false;            // width given in percent
    bool heightPercent = false;           // height given in percent
    double zoom = 1.0;                    // the element's zoom
    bool searchBox = false;               // id begins with "pq_ecp_search_box"
    bool currentItem = false;             // id begins with "pq_ecp_current"
};

// The id's part of the style: the search box and the current-item marker.
void ApplyElementId(const std::wstring& id, BitmapStyle& style);

// The draws of a picture of imageWidth by imageHeight for an element whose
// inner rectangle is rect and whose zoomed size is width by height:
//  - "repeat-x": tiles along the rectangle's width less one pixel, each as
//    high as the picture, the last one cut to what is left;
//  - "repeat-y", or unspecified outside the search box: tiles down the
//    zoomed height less one pixel, the same way;
//  - otherwise one draw at the picture's size (the zoomed size for a
//    percentage width or height), times the integer part of the zoom but
//    never less than once, centred when asked; the current-item marker sits
//    3 pixels higher; the search box 4 pixels higher, 24 pixels narrower,
//    with its picture's first column stretched over it.
// A picture without pixels, and a draw that would be empty or mirrored (no
// positive width or height), plan nothing.  Tiles wholly outside `visible`
// (the surface's bounds) are left out, so a huge element costs no more than
// what can be seen of it.
constexpr templates::LayoutRect kEverywhere = {INT_MIN, INT_MIN, INT_MAX, INT_MAX};
std::vector<ImageDraw> PlanBitmapDraws(const BitmapStyle& style, int imageWidth, int imageHeight,
                                       const templates::LayoutRect& rect, int width, int height,
                                       const templates::LayoutRect& visible = kEverywhere);

// A text element's text: at most 40 characters, a longer one cut to its
// first 40 with "..." after them.
std::wstring ShortenElementText(const std::wstring& text);

}  // namespace render
