#include "app/panels/elements/RenderElements.h"

#include <cmath>

#include "app/core/config/EcpIcon.h"
#include "app/core/graphics/AppImages.h"
#include "app/core/config/UserSetting.h"
#include "app/panels/elements/WindowElement.h"
#include "app/panels/render/BitmapPlacement.h"
#include "app/core/graphics/OpacityDraw.h"

namespace {

// An alpha byte from a value that may lie outside 0..255 (or be NaN).
BYTE AlphaByte(double value) {
    if (!(value > 0.0)) return 0;
    if (value >= 255.0) return 255;
    return static_cast<BYTE>(value);
}

Gdiplus::Color WithAlpha(uint32_t colour, BYTE alpha) {
    return Gdiplus::Color(alpha, static_cast<BYTE>(colour >> 16), static_cast<BYTE>(colour >> 8),
                          static_cast<BYTE>(colour));
}

// What the placement reads from the element.
render::BitmapStyle StyleOf(const WindowElement* element) {
    render::BitmapStyle style;
    if (element == nullptr) return style;
    style.repeat = element->backgroundRepeat;
    style.centred = element->backgroundPosition == 2;
    style.widthPercent = element->widthMode == templates::kLengthPercent;
    style.heightPercent = element->heightMode == templates::kLengthPercent;
    style.zoom = element->zoom;
    render::ApplyElementId(element->id, style);
    return style;
}

// The part of the surface that can be drawn on, in world coordinates.
templates::LayoutRect VisibleBounds(Gdiplus::Graphics& g) {
    Gdiplus::Rect clip;
    if (g.GetVisibleClipBounds(&clip) != Gdiplus::Ok) return render::kEverywhere;
    return {clip.X, clip.Y, clip.X + clip.Width, clip.Y + clip.Height};
}

}  // namespace

BitmapElement::BitmapElement(ArgbBitmap image, ArgbBitmap disabled, ArgbBitmap mouseOver)
    : image_(std::move(image)), disabled_(std::move(disabled)), mouseOver_(std::move(mouseOver)) {}

void BitmapElement::Draw(Gdiplus::Graphics& g, const RECT& rect, int width, int height, float opacity) {
    Gdiplus::Bitmap* picture = (state == 1 && disabled_) ? disabled_.get() : image_.get();
    if (picture == nullptr) return;
    const int pictureWidth = static_cast<int>(picture->GetWidth());
    const int pictureHeight = static_cast<int>(picture->GetHeight());
    const templates::LayoutRect inner = {rect.left, rect.top, rect.right, rect.bottom};
    const auto draws =
        render::PlanBitmapDraws(StyleOf(owner), pictureWidth, pictureHeight, inner, width, height, VisibleBounds(g));
    for (const render::ImageDraw& d : draws) {
        render::DrawImageWithOpacity(d.dest.x, d.dest.y, d.dest.width, d.dest.height, picture, d.source.x,
                                     d.source.y, d.source.width, d.source.height, opacity, nullptr,
                                     Gdiplus::InterpolationModeDefault, g);
    }
}

ArgbBitmap ECP_IconElement::LoadRecordIcon(const UserSetting& record) { return LoadEcpIcon(record.m_InstallDir, record); }

void ECP_IconElement::SetIcon(const UserSetting& record) {
    image_.reset();
    TakeIcon(LoadRecordIcon(record));
}

void BoxElement::Draw(Gdiplus::Graphics& g, const RECT& rect, int width, int height, float opacity) {
    // The alpha byte is the opacity itself, not scaled to 0..255.
    Gdiplus::SolidBrush brush(WithAlpha(colour, AlphaByte(std::trunc(opacity))));
    g.FillRectangle(&brush, static_cast<INT>(rect.left), static_cast<INT>(rect.top), width, height);
}

void TextElement::Draw(Gdiplus::Graphics& g, const RECT& rect, int /*width*/, int /*height*/, float opacity) {
    if (font_ == nullptr) return;
    const BYTE alpha = AlphaByte(std::trunc(static_cast<double>(opacity) * 255.0));
    const std::wstring shown = render::ShortenElementText(text);
    const float x = static_cast<float>(rect.left);
    const float y = static_cast<float>(rect.top);
    Gdiplus::SolidBrush shadow(WithAlpha(0xFF000000u, alpha));
    DrawTextString(&g, shown, x + 1.0f, y + 1.0f, font_, &shadow);
    Gdiplus::SolidBrush face(WithAlpha(colour, alpha));
    DrawTextString(&g, shown, x, y, font_, &face);
}
