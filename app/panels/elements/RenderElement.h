// What is drawn for one element of a content panel: its background picture,
// a filled box or a line of text.  The panel draws the render element of
// every element into its back buffer, into the element's inner rectangle in
// panel-window coordinates.  An element owns its render element.
#pragma once

#include "app/panels/elements/DrawTypes.h"

class UserSetting;
class WindowElement;

class RenderElement {
public:
    RenderElement() = default;
    virtual ~RenderElement() = default;
    RenderElement(const RenderElement&) = delete;
    RenderElement& operator=(const RenderElement&) = delete;

    // Takes the panel record's icon as the picture; only the icon element
    // draws one.
    virtual void SetIcon(const UserSetting& /*record*/) {}

    // Draws into g: rect is the element's inner window rectangle, width and
    // height the element's zoomed size, opacity 0..1.
    virtual void Draw(Gdiplus::Graphics& g, const RECT& rect, int width, int height, float opacity) = 0;

    WindowElement* owner = nullptr;  // the element drawn for (set when it is attached)
    int state = 0;                   // 1 selects the disabled picture
};
