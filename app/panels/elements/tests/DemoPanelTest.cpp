// The demo's window templates (demo/templates/ecp/) built into element trees,
// laid out for panel sizes of demo/settings.xml and drawn into a back buffer:
// the frame's pictures, the title, the controls, the content and search areas
// filled white where their child windows will sit.  Each skin is written as a
// PNG under the build tree (DEMO_PANELS_OUT) for a person to look at.
#include "Fakes.h"
#include "GdiplusTestEnv.h"
#include "TestSupport.h"

#include "app/core/graphics/ImageRoutines.h"
#include "app/panels/elements/RenderElements.h"
#include "app/panels/elements/Win32Elements.h"
#include "app/panels/templates/TemplateValues.h"
#include "fx/BackBuffer.h"
#include "tests/support/PngFile.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace elements_test;

namespace {

const std::string kTemplates = std::string(DEMO_DIR) + "/templates/ecp/";

// Pictures from the demo's template folder, as the panel's image cache would
// give them; the record's icon and text in a font the system has.
class DemoFactory : public RenderFactory {
 public:
  DemoFactory(std::wstring key, const Gdiplus::Font* font) : key_(std::move(key)), font_(font) {}
  std::unique_ptr<RenderElement> Bitmap(const WindowElement&, const templates::ElementStyle& style) override {
    ArgbBitmap image = Load(style.background.image);
    if (!image) return nullptr;
    ArgbBitmap mouseOff = Load(style.mouseoffImage);
    return std::make_unique<BitmapElement>(mouseOff ? std::move(mouseOff) : std::move(image),
                                           Load(style.disabledImage), Load(style.mouseoverImage));
  }
  std::unique_ptr<RenderElement> Icon(const WindowElement& e, const templates::ElementStyle& style) override {
    return Bitmap(e, style);
  }
  std::unique_ptr<RenderElement> Box(uint32_t colour) override { return std::make_unique<BoxElement>(colour); }
  std::unique_ptr<RenderElement> Text(const std::wstring& text, uint32_t colour) override {
    return std::make_unique<TextElement>(text, colour, font_);
  }

 private:
  ArgbBitmap Load(const std::wstring& reference) {
    if (reference.empty()) return nullptr;
    const std::wstring base = testsupport::WinDir(kTemplates);
    return LoadImageFile(templates::ExpandPlaceholders(reference, base, key_), 0, 0);
  }
  std::wstring key_;
  const Gdiplus::Font* font_;
};

// Premultiplied BGRA.
int Alpha(uint32_t pixel) { return static_cast<int>(pixel >> 24); }

using testsupport::SavePng;

struct DemoCase {
  const char* skin;
  int width;
  int height;
  bool showSearch;
  const char* png;  // written for this case, or none
};

TEST(DemoPanels, BuildLayOutAndDrawEverySkin) {
  const std::wstring family = testsupport::SomeInstalledFontFamily();
  auto font = CreateGdiFont(family.c_str(), 9, Gdiplus::FontStyleBold);
  const std::vector<DemoCase> cases = {
      {"Classic", 420, 360, false, "Classic.png"}, {"Classic", 360, 240, false, nullptr},
      {"Slate", 360, 420, true, "Slate.png"},      {"Slate", 300, 250, false, nullptr},
      {"Mini", 320, 240, false, "Mini.png"},       {"Mini", 200, 120, false, nullptr},
  };
  ::CreateDirectoryW(testsupport::WinPath(DEMO_PANELS_OUT).c_str(), nullptr);
  for (const DemoCase& c : cases) {
    SCOPED_TRACE(std::string(c.skin) + " " + std::to_string(c.width) + "x" + std::to_string(c.height));
    XmlConfig config(testsupport::WinPath(kTemplates + c.skin + ".xml").c_str());
    ASSERT_TRUE(config.IsLoaded());
    XmlTemplateDocument document(config);
    PanelRecord record;
    record.flags.showSearch = c.showSearch;
    record.flags.resizable = record.flags.dockable = true;
    record.flags.actionUrl = L"http://example.test/";
    record.name = L"Pond life";
    const std::wstring key(c.skin, c.skin + std::string(c.skin).size());
    DemoFactory factory(key, font.get());
    ElementPanel panel;
    panel.zoom = templates::ReadZoom(document.Text(L"/window/style/zoom"));
    panel.BuildElements(document, record, {c.width, c.height}, factory);
    const LayoutRect rect = panel.LayoutPanel();
    if (panel.hasResizeControl) panel.CreateResizeHandles(rect);

    // The tree: the frame first, a content area, the title, the controls.
    ASSERT_NE(nullptr, panel.windowElement);
    ASSERT_GT(panel.windowElement->ChildCount(), 0u);
    EXPECT_NE(std::wstring::npos, panel.windowElement->Child(0)->id.find(L"pq_ecp_frame_"));
    ASSERT_NE(nullptr, panel.mainContent);
    EXPECT_NE(nullptr, panel.titleElement);
    EXPECT_FALSE(panel.close.Empty());
    EXPECT_EQ(c.showSearch, panel.searchElement != nullptr);
    EXPECT_GE(rect.right, c.width);
    EXPECT_GE(rect.bottom, c.height);

    // Drawn as the panel window draws it, the child windows' places white.
    auto buffer = fx::BackBuffer::Create(rect.right, rect.bottom);
    ASSERT_NE(nullptr, buffer);
    {
      Gdiplus::Graphics g(buffer->bitmap());
      panel.drawn.DrawAll(g, 1.0f, true);
      panel.windowed.FillRects(g);
      g.Flush(Gdiplus::FlushIntentionSync);
    }
    // The content area is white; the frame around it is drawn.
    const LayoutRect& content = panel.mainContent->windowRect;
    const int cx = (content.left + content.right) / 2;
    const int cy = (content.top + content.bottom) / 2;
    EXPECT_EQ(0xFFFFFFFFu, buffer->Pixel(cx, cy));
    int opaque = 0;
    for (int y = 0; y < rect.bottom; ++y) {
      for (int x = 0; x < rect.right; ++x) opaque += Alpha(buffer->Pixel(x, y)) == 255 ? 1 : 0;
    }
    EXPECT_GT(opaque, (content.right - content.left) * (content.bottom - content.top));
    auto* titleText = dynamic_cast<TextElement*>(panel.titleElement->Render());
    ASSERT_NE(nullptr, titleText);
    EXPECT_EQ(L"Pond life", titleText->text);
    // The title's text leaves pixels of its own inside the title's rectangle.
    const LayoutRect& title = panel.titleElement->innerWindowRect;
    int titleInk = 0;
    for (int y = std::max(0, title.top); y < std::min(rect.bottom, title.top + 16); ++y) {
      for (int x = std::max(0, title.left); x < std::min(rect.right, title.left + 120); ++x) {
        titleInk += Alpha(buffer->Pixel(x, y)) > 0 ? 1 : 0;
      }
    }
    EXPECT_GT(titleInk, 0);

    if (c.png != nullptr) {
      EXPECT_TRUE(SavePng(*buffer->bitmap(), testsupport::WinPath(std::string(DEMO_PANELS_OUT) + "/" + c.png)));
    }
  }
}

}  // namespace
