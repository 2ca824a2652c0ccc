// The drawing objects a panel's element build asks for, over a loaded window
// template: background pictures through the skin folder's image cache
// (LoadElementImage), the record's icon, boxes, and texts in the panel's
// title font.
#pragma once

#include <memory>
#include <string>

#include "app/panels/cache/TemplateCache.h"
#include "app/panels/elements/ElementPanel.h"
#include "fx/GdiPlus.h"

namespace panels {

class TemplateRenderFactory : public RenderFactory {
public:
    // loaded and font outlive the factory; font may be null (texts draw nothing).
    TemplateRenderFactory(const LoadedTemplate& loaded, std::wstring templateBase, const Gdiplus::Font* font)
        : loaded_(loaded), templateBase_(std::move(templateBase)), font_(font) {}

    std::unique_ptr<RenderElement> Bitmap(const WindowElement& element, const templates::ElementStyle& style) override;
    std::unique_ptr<RenderElement> Icon(const WindowElement& element, const templates::ElementStyle& style) override;
    std::unique_ptr<RenderElement> Box(uint32_t colour) override;
    std::unique_ptr<RenderElement> Text(const std::wstring& text, uint32_t colour) override;

private:
    ArgbBitmap Load(const std::wstring& reference) const;

    const LoadedTemplate& loaded_;
    std::wstring templateBase_;
    const Gdiplus::Font* font_;
};

}  // namespace panels
