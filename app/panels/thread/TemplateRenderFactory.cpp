#include "app/panels/thread/TemplateRenderFactory.h"

#include "app/panels/elements/RenderElements.h"

namespace panels {

ArgbBitmap TemplateRenderFactory::Load(const std::wstring& reference) const {
    if (reference.empty()) return nullptr;
    return LoadElementImage(loaded_, reference, templateBase_);
}

// The mouse-off picture, when the template gives one, is the one drawn.
std::unique_ptr<RenderElement> TemplateRenderFactory::Bitmap(const WindowElement&,
                                                             const templates::ElementStyle& style) {
    ArgbBitmap image = Load(style.background.image);
    if (!image) return nullptr;
    ArgbBitmap mouseOff = Load(style.mouseoffImage);
    return std::make_unique<BitmapElement>(mouseOff ? std::move(mouseOff) : std::move(image),
                                           Load(style.disabledImage), Load(style.mouseoverImage));
}

// The search control shows the record's icon; its template picture stands in
// until the icon is set.
std::unique_ptr<RenderElement> TemplateRenderFactory::Icon(const WindowElement&,
                                                           const templates::ElementStyle& style) {
    return std::make_unique<ECP_IconElement>(Load(style.background.image));
}

std::unique_ptr<RenderElement> TemplateRenderFactory::Box(uint32_t colour) {
    return std::make_unique<BoxElement>(colour);
}

std::unique_ptr<RenderElement> TemplateRenderFactory::Text(const std::wstring& text, uint32_t colour) {
    return std::make_unique<TextElement>(text, colour, font_);
}

}  // namespace panels
