#include "app/core/graphics/HtmlRenderer.h"

namespace render {

void HTML_Renderer::Measure(Render_Info& info) {
    for (HtmlRenderPart* part : m_Parts) part->Measure(info);
}

void HTML_Renderer::Render(Render_Info& info) {
    for (HtmlRenderPart* part : m_Parts) part->Render(info);
}

}  // namespace render
