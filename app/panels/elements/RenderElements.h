// The drawing kinds of the element tree: an element's background picture
// (tiled or placed as its style says), the panel record's icon, a filled box
// and a line of text with a one-pixel shadow.  Each draws into the panel's
// back buffer (or a tail's bitmap window) at the element's inner window
// rectangle and reads the element it is attached to for its style.
#pragma once

#include <cstdint>
#include <string>

#include "app/core/graphics/ImageRoutines.h"
#include "app/panels/elements/RenderElement.h"
#include "fx/GdiPlus.h"

class BitmapElement : public RenderElement {
public:
    // The current picture (the template's background image, or its
    // mouse-off image when one is given), the disabled and the mouse-over
    // pictures; any may be null.
    BitmapElement(ArgbBitmap image, ArgbBitmap disabled, ArgbBitmap mouseOver);

    // The disabled picture while state is 1 and there is one, else the
    // current one; tiled or placed by the element's repeat, position, size
    // modes, zoom and id, at the opacity.  Nothing without a picture.
    void Draw(Gdiplus::Graphics& g, const RECT& rect, int width, int height, float opacity) override;

    Gdiplus::Bitmap* image() const { return image_.get(); }
    Gdiplus::Bitmap* disabledImage() const { return disabled_.get(); }
    Gdiplus::Bitmap* mouseOverImage() const { return mouseOver_.get(); }

protected:
    ArgbBitmap image_;
    ArgbBitmap disabled_;
    ArgbBitmap mouseOver_;
};

// The panel record's icon.
class ECP_IconElement : public BitmapElement {
public:
    explicit ECP_IconElement(ArgbBitmap icon) : BitmapElement(std::move(icon), nullptr, nullptr) {}
    // Replaces the picture by the record's icon (through the icon cache under
    // the record's install directory; the product icon when that fails).
    void SetIcon(const UserSetting& record) override;
    // The two halves of SetIcon, for a caller that holds a lock while it
    // changes the picture: the load (which may download the icon) before
    // taking it, the swap under it.
    static ArgbBitmap LoadRecordIcon(const UserSetting& record);
    void TakeIcon(ArgbBitmap icon) { image_ = std::move(icon); }
};

class BoxElement : public RenderElement {
public:
    explicit BoxElement(uint32_t boxColour = 0xFF000000u) : colour(boxColour) {}
    // Fills (rect.left, rect.top, width, height) with the colour's red, green
    // and blue at an alpha byte of the opacity truncated to an integer: 1 at
    // full opacity, 0 below it.
    void Draw(Gdiplus::Graphics& g, const RECT& rect, int width, int height, float opacity) override;

    uint32_t colour;  // ARGB
};

class TextElement : public RenderElement {
public:
    // font: the program's shared text font (the title font); no font draws
    // nothing.
    TextElement(std::wstring elementText, uint32_t textColour, const Gdiplus::Font* font)
        : text(std::move(elementText)), colour(textColour), font_(font) {}
    // Draws the text (cut to 40 characters and "...") in black one pixel
    // down and right of the rectangle's corner, then in the colour's red,
    // green and blue at the corner, both at alpha opacity x 255.
    void Draw(Gdiplus::Graphics& g, const RECT& rect, int width, int height, float opacity) override;

    std::wstring text;
    uint32_t colour;  // ARGB

private:
    const Gdiplus::Font* font_;
};
