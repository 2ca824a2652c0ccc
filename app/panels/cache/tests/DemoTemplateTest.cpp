// The demo's window templates as the loopback server serves demo/: each skin
// that demo/settings.xml versions downloads through the cache and parses,
// every element type is one the builder knows, every image it names loads,
// and laid out for its panels' sizes the frame surrounds the content area
// with the controls in its title bar.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <vector>

#include "app/core/common/SharedUtilities.h"
#include "app/core/config/XmlConfig.h"
#include "app/core/main/tests/CoreTestFiles.h"
#include "app/panels/cache/TemplateCache.h"
#include "app/panels/templates/ElementLayout.h"
#include "app/panels/templates/ElementStyle.h"
#include "app/panels/templates/ElementTypes.h"
#include "TestSupport.h"
#include "tests/httpserver/LoopbackServer.h"
#include "tests/support/GdiplusTestEnv.h"

namespace {

using templates::ElementType;
using templates::LayoutNode;
using templates::LayoutRect;

struct Panel {
    const wchar_t* skin;
    int width;
    int height;
    bool showSearch;
};
// Sizes and search flags of demo/settings.xml's panel records.
const Panel kPanels[] = {
    {L"Classic", 420, 360, false}, {L"Classic", 360, 240, false}, {L"Slate", 360, 420, true},
    {L"Slate", 560, 440, true},    {L"Slate", 300, 250, false},    {L"Mini", 320, 240, false},
    {L"Mini", 200, 120, false},
};

// One built element: its type, id and layout values.
struct Built : LayoutNode {
    ElementType type = ElementType::kUnknown;
    std::wstring id;
    std::wstring path;
};

class DemoTemplateTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Wine gives process ids again: a folder of an earlier run may be there.
        cacheDir_ = coretest::ScratchDir();
        RemoveDirectoryTree(cacheDir_, false);
        base_ = loopback::Url(L"/files/templates/ecp/");
    }
    void TearDown() override {
        for (const wchar_t* skin : {L"Classic", L"Slate", L"Mini"})
            ::RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(L"Software\\Pondrel\\") + skin).c_str());
    }
    panels::LoadedTemplate Load(const std::wstring& skin) {
        return panels::LoadTemplate({cacheDir_, skin, loopback::Url(L"/files/templates/?template=ecp&skin=" + skin),
                                     L"demo"});
    }

    // Builds one sibling level the way the panel does, for the layout's sake:
    // the frame first, unknown types and the search area (without search)
    // left out with their subtrees, tails and the resize control not laid out.
    void BuildLevel(XmlConfig& config, const std::wstring& parentPath, Built& parent, const Panel& panel) {
        const std::vector<XmlNode> types = config.SelectNodes(parentPath + L"/element/type");
        std::vector<std::wstring> ids;
        for (size_t i = 0; i < types.size(); ++i)
            ids.push_back(config.GetText(templates::ElementPath(parentPath, static_cast<int>(i + 1)) + L"/id"));
        for (int index : templates::OrderElementNodes(ids)) {
            const ElementType type = templates::ReadElementType(types[index - 1].text);
            const std::wstring path = templates::ElementPath(parentPath, index);
            EXPECT_NE(type, ElementType::kUnknown) << testsupport::Utf8(path);
            templates::RecordFlags flags;
            flags.showSearch = panel.showSearch;
            flags.resizable = flags.dockable = true;
            if (!templates::IsElementBuilt(type, flags, true)) continue;
            if (type == ElementType::kResize || templates::IsTailCorner(type)) continue;
            if (type == ElementType::kTail) {
                BuildLevel(config, path, parent, panel);
                continue;
            }
            auto element = std::make_unique<Built>();
            templates::StyleReadContext context;
            context.size = {panel.width, panel.height};
            context.parent = &parent;
            if (type == ElementType::kSearchSubmit) context.fixedId = L"submitty";
            templates::ElementStyle style;
            templates::ReadElementStyle(panels::LookupIn(config), path, context, *element, style);
            if (style.roles.searchArea && !panel.showSearch) continue;
            element->type = type;
            element->id = style.id;
            element->path = path;
            parent.children.push_back(element.get());
            Built& built = *element;
            all_.push_back(std::move(element));
            BuildLevel(config, path, built, panel);
        }
    }

    const Built* Find(ElementType type) const {
        for (const auto& e : all_)
            if (e->type == type) return e.get();
        return nullptr;
    }

    std::wstring cacheDir_;
    std::wstring base_;
    std::vector<std::unique_ptr<Built>> all_;
};

bool Inside(const LayoutRect& inner, const LayoutRect& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

TEST_F(DemoTemplateTest, EverySkinDownloadsParsesAndLoadsItsImages) {
    for (const wchar_t* skin : {L"Classic", L"Slate", L"Mini"}) {
        SCOPED_TRACE(testsupport::Utf8(skin));
        panels::LoadedTemplate t = Load(skin);
        ASSERT_TRUE(t.config->IsLoaded());
        EXPECT_EQ(coretest::ReadFile(panels::TemplateFile(cacheDir_, skin)),
                  coretest::ReadFile(coretest::SourceDir() + L"demo\\templates\\ecp\\" + skin + L".xml"));
        EXPECT_GE(t.config->SelectNodes(L"/window/element/type").size(), 8u);
        const panels::WindowValues values = panels::ReadWindowValues(panels::LookupIn(*t.config), {400, 300});
        EXPECT_DOUBLE_EQ(values.zoom, 1.0);

        int images = 0;
        for (const wchar_t* kind : {L"style/backgroundImage", L"mouseoverImage", L"disabledImage", L"mouseoffImage"}) {
            for (const XmlNode& node : t.config->SelectNodes(std::wstring(L"//element/") + kind)) {
                SCOPED_TRACE(testsupport::Utf8(node.text));
                ArgbBitmap image = panels::LoadElementImage(t, node.text, base_);
                EXPECT_TRUE(image);
                ++images;
            }
        }
        EXPECT_GE(images, 15);
    }
}

TEST_F(DemoTemplateTest, TheFrameSurroundsTheContentWithTheControlsInItsTitleBar) {
    for (const Panel& panel : kPanels) {
        SCOPED_TRACE(testsupport::Utf8(panel.skin) + " " + std::to_string(panel.width) + "x" +
                     std::to_string(panel.height));
        panels::LoadedTemplate t = Load(panel.skin);
        ASSERT_TRUE(t.config->IsLoaded());
        all_.clear();
        Built root;
        root.width = panel.width;
        root.height = panel.height;
        BuildLevel(*t.config, L"/window", root, panel);
        templates::ContentBounds bounds;
        const LayoutRect rect = templates::LayoutPanel(root, 1.0, &bounds);

        ASSERT_FALSE(root.children.empty());
        EXPECT_NE(static_cast<Built*>(root.children[0])->id.find(L"pq_ecp_frame_{pq_object_id}"), std::wstring::npos);
        const Built* content = Find(ElementType::kContent);
        ASSERT_NE(content, nullptr);
        EXPECT_EQ(content->layoutRect, (LayoutRect{0, 0, panel.width, panel.height}));
        // The frame's pieces make the panel's bounds: a border on three sides,
        // the title bar on top.
        const LayoutRect frame = bounds.rect;
        EXPECT_LT(frame.left, 0);
        EXPECT_LE(frame.top, -16);
        EXPECT_GT(frame.right, panel.width);
        EXPECT_GT(frame.bottom, panel.height);
        EXPECT_EQ(rect, (LayoutRect{0, 0, frame.right - frame.left, frame.bottom - frame.top}));
        const LayoutRect titleBar{0, frame.top, panel.width, 0};
        for (ElementType control : {ElementType::kClose, ElementType::kBack, ElementType::kNext,
                                    ElementType::kChildOpen, ElementType::kMove}) {
            const Built* e = Find(control);
            ASSERT_NE(e, nullptr) << static_cast<int>(control);
            EXPECT_TRUE(Inside(e->layoutRect, titleBar)) << testsupport::Utf8(e->path);
        }
        for (ElementType control : {ElementType::kSearchText, ElementType::kSearchSubmit, ElementType::kSearchControl}) {
            const Built* e = Find(control);
            EXPECT_EQ(e != nullptr, panel.showSearch);
            if (e != nullptr) EXPECT_TRUE(Inside(e->layoutRect, titleBar)) << testsupport::Utf8(e->path);
        }
        // Controls of the title bar never overlap each other.
        std::vector<const Built*> controls;
        for (const auto& e : all_)
            if (e->type != ElementType::kMove && e->type != ElementType::kAreaDesign && e->type != ElementType::kContent &&
                e->type != ElementType::kSearchControl)
                controls.push_back(e.get());
        for (size_t i = 0; i < controls.size(); ++i)
            for (size_t j = i + 1; j < controls.size(); ++j) {
                const LayoutRect& a = controls[i]->layoutRect;
                const LayoutRect& b = controls[j]->layoutRect;
                EXPECT_TRUE(a.right <= b.left || b.right <= a.left || a.bottom <= b.top || b.bottom <= a.top)
                    << testsupport::Utf8(controls[i]->path) << " and " << testsupport::Utf8(controls[j]->path);
            }
    }
}

}  // namespace
