// The demo's window templates as the loopback server serves demo/: each skin
// that demo/settings.xml versions downloads through the cache and parses,
// every image it names loads, and built and laid out by the panel's builder
// for its panels' sizes the frame surrounds the content area with the
// controls in its title bar.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <vector>

#include "app/core/common/SharedUtilities.h"
#include "app/core/config/XmlConfig.h"
#include "app/tests/support/CoreTestFiles.h"
#include "app/panels/cache/TemplateCache.h"
#include "app/panels/elements/ElementPanel.h"
#include "app/panels/elements/Win32Elements.h"
#include "app/panels/elements/tests/Fakes.h"
#include "TestSupport.h"
#include "tests/httpserver/LoopbackServer.h"
#include "tests/support/GdiplusTestEnv.h"

namespace {

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

    std::wstring cacheDir_;
    std::wstring base_;
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
        XmlTemplateDocument document(*t.config);
        PanelRecord record;
        record.flags.showSearch = panel.showSearch;
        record.flags.resizable = record.flags.dockable = true;
        record.name = L"Dictionary";
        elements_test::FakeFactory factory;
        ElementPanel tree;
        tree.BuildElements(document, record, {panel.width, panel.height}, factory);
        const LayoutRect rect = tree.LayoutPanel();

        ASSERT_NE(tree.windowElement, nullptr);
        ASSERT_FALSE(tree.windowElement->children.empty());
        EXPECT_NE(static_cast<WindowElement*>(tree.windowElement->children[0])->id.find(L"pq_ecp_frame_{pq_object_id}"),
                  std::wstring::npos);
        ASSERT_NE(tree.mainContent, nullptr);
        EXPECT_EQ(tree.mainContent->layoutRect, (LayoutRect{0, 0, panel.width, panel.height}));
        ASSERT_NE(tree.titleElement, nullptr);
        EXPECT_EQ(elements_test::KindOf(*tree.titleElement), "text Dictionary");
        EXPECT_TRUE(tree.hasResizeControl);
        for (const auto& tail : tree.tails) EXPECT_NE(tail, nullptr);

        // The frame's pieces make the panel: a border on three sides, the
        // title bar above the content.
        const LayoutRect content = tree.mainContent->windowRect;
        EXPECT_GT(content.left, 0);
        EXPECT_GE(content.top, 16);
        EXPECT_GT(rect.right, content.right);
        EXPECT_GT(rect.bottom, content.bottom);
        EXPECT_EQ(rect.right - content.right, content.left - 1) << "as wide on both sides";
        const LayoutRect titleBar{content.left, 0, content.right, content.top};
        std::vector<const WindowElement*> controls;
        for (const ElementList* list : {&tree.close, &tree.navigate, &tree.openInBrowser, &tree.searchSubmit,
                                        &tree.dock, &tree.move}) {
            if (list != &tree.dock && list != &tree.searchSubmit) EXPECT_GT(list->Count(), 0u);
            for (const WindowElement* e : *list) {
                EXPECT_TRUE(Inside(e->windowRect, titleBar)) << testsupport::Utf8(e->id);
                if (list != &tree.move) controls.push_back(e);
            }
        }
        EXPECT_EQ(tree.searchSubmit.Count() != 0, panel.showSearch);
        EXPECT_EQ(tree.searchElement != nullptr, panel.showSearch);
        EXPECT_EQ(tree.searchControl != nullptr, panel.showSearch);
        if (tree.searchElement != nullptr) {
            EXPECT_TRUE(Inside(tree.searchElement->windowRect, titleBar));
            controls.push_back(tree.searchElement);
        }
        // The title bar's controls never overlap each other.
        for (size_t i = 0; i < controls.size(); ++i)
            for (size_t j = i + 1; j < controls.size(); ++j) {
                const LayoutRect& a = controls[i]->windowRect;
                const LayoutRect& b = controls[j]->windowRect;
                EXPECT_TRUE(a.right <= b.left || b.right <= a.left || a.bottom <= b.top || b.bottom <= a.top)
                    << testsupport::Utf8(controls[i]->id) << " and " << testsupport::Utf8(controls[j]->id);
            }
    }
}

}  // namespace
