// The main road end to end, with no call into the program: the real
// PondRel.exe on the demo settings and images, the stand-in Firefox extension
// (its window in front) reporting a selection, the stand-in browser as the
// prefix's default browser.  The pointer is driven with xdotool on the test's
// own display: the hotspot appears beside the selection, the pointer on it
// opens the text menu ("TxMenu"), the pointer on its category opens the
// category's sub-menu, and a click on a search opens its URL, with the
// selected text encoded in it, in the stand-in browser; a click on a panel
// item there opens its panel window.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/core/main/tests/CoreTestFiles.h"
#include "app/core/main/tests/ProgramHarness.h"
#include "tests/httpserver/LoopbackServer.h"
#include "tests/support/Scene.h"
#include "tests/support/TestSupport.h"

namespace {

using programharness::SavedInstallValue;
using scene::Shown;
using testsupport::WaitFor;

std::wstring Root() { return testsupport::WinDir(PROGRAM_HTTP_ROOT); }

class MainRoad : public testing::Test {
protected:
    void SetUp() override {
        install_ = coretest::ScratchDir();
        server_ = testsupport::Utf8(loopback::Url(L"/files"));
        // The demo install's images: the hotspot's and the menus' skin.
        const std::wstring images = install_ + L"Images\\";
        ::CreateDirectoryW(images.c_str(), nullptr);
        ASSERT_GT(scene::CopyFiles(coretest::SourceDir() + L"demo\\Images\\", L"*.png", images), 0);
        path_.Set(install_.substr(0, install_.size() - 1));

        // The stand-in browser as the default browser.
        browser_ = std::make_unique<scene::DefaultBrowser>(BROWSER_STANDIN_EXE);
        ASSERT_TRUE(browser_->registered());
        loopback::Clear();
    }
    void TearDown() override {
        if (program_.Wait(0) == false) {
            testsupport::Run(PONDREL_EXE, {L"shut"}, 30000);
            if (!program_.Wait(15000)) program_.Kill();
        }
        firefox_.Kill();
        browser_.reset();
    }
    // The program's log so far, for a failure's message.
    std::string Log() {
        for (auto& l : log_.Lines()) lines_.push_back(l);
        std::string out;
        for (size_t i = lines_.size() > 60 ? lines_.size() - 60 : 0; i < lines_.size(); ++i)
            out += testsupport::Utf8(lines_[i]) + "\n";
        return out;
    }
    bool Logged(const std::wstring& line, DWORD timeoutMs) {
        return WaitFor([&] {
            for (auto& l : log_.Lines()) lines_.push_back(l);
            for (auto& l : lines_)
                if (l == line) return true;
            return false;
        }, timeoutMs);
    }

    coretest::CapturedLog log_;
    SavedInstallValue init_{L"init"};
    SavedInstallValue path_{L"path"};
    std::wstring install_;
    std::string server_;
    std::unique_ptr<scene::DefaultBrowser> browser_;
    testsupport::Child program_;
    testsupport::Child firefox_;
    std::vector<std::wstring> lines_;
    scene::Road road_;

    // Firefox in front with "Pond life" selected and the program on the demo
    // settings; the pointer then opens the hotspot's text menu and the
    // "Reference" category's sub-menu (their places kept in road_).
    void OpenTheSubMenu() {
        const scene::Log log = [this] { return Log(); };
        ASSERT_NO_FATAL_FAILURE(scene::StartFirefoxInFront(firefox_, FIREFOX_EXT_EXE, install_));

        // The program on the demo settings.
        coretest::WriteFile(Root(), L"settings.xml", coretest::SampleSettings(server_));
        init_.Set(loopback::Url(L"/files/settings.xml"));
        ASSERT_TRUE(program_.Start(PONDREL_EXE, {}, install_));
        ASSERT_TRUE(Logged(L"Reload Settings done", 30000)) << Log();

        // The selection arrives and the hotspot fades in beside it.
        ASSERT_TRUE(Logged(L"Selection: \"Pond life\" at 300,300,420,318", 15000)) << Log();
        ASSERT_NO_FATAL_FAILURE(scene::AwaitHotspot(road_, log));
        scene::Snapshot("hotspot", {scene::kPiece, road_.hotspot});

        // The pointer on the hotspot opens the text menu below it.
        ASSERT_NO_FATAL_FAILURE(scene::OpenTextMenu(road_, log));
        scene::Snapshot("text-menu", {scene::kPiece, road_.hotspot, road_.menu});

        // The pointer on "Reference" opens its sub-menu of panels and searches.
        ASSERT_NO_FATAL_FAILURE(scene::OpenSubMenu(road_, log));
    }
};

TEST_F(MainRoad, SelectionHotspotTextMenuSearchOpensInTheBrowser) {
    ASSERT_NO_FATAL_FAILURE(OpenTheSubMenu());
    ASSERT_NO_FATAL_FAILURE(scene::ClickSubMenuItem(road_, scene::kSearchTheWeb, "sub-menu"));

    // The browser receives the search URL with the text percent-encoded as
    // UTF-8 in place of "{pq_token}", as one quoted argument.
    ASSERT_TRUE(WaitFor([&] { return browser_->Record().find(scene::kSearchTail) != std::string::npos; }, 15000))
        << "browser record: " << browser_->Record() << "\nmenu " << Shown(L"TxMenu") << " sub " << Shown(L"company")
        << " hotspot " << Shown(L"HoverHotspot") << "\n" << Log();
    // The choice closed the menus.
    EXPECT_TRUE(WaitFor([] { return !Shown(L"TxMenu") && !Shown(L"company"); }, 3000));
}

// A panel item of the sub-menu opens its panel: "Dictionary", the demo's
// Slate panel of 360 by 420, in a "BackWin777" window shown on the screen.
TEST_F(MainRoad, SelectionHotspotTextMenuPanelItemOpensItsPanel) {
    ASSERT_NO_FATAL_FAILURE(OpenTheSubMenu());
    ASSERT_NO_FATAL_FAILURE(scene::ClickSubMenuItem(road_, scene::kDictionary));

    HWND panel = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        panel = ::FindWindowW(L"BackWin777", nullptr);
        return panel && ::IsWindowVisible(panel);
    }, 15000)) << "no panel window\n" << Log();
    const RECT shown = scene::WindowRect(panel);
    EXPECT_EQ(shown.right - shown.left, 360);
    EXPECT_EQ(shown.bottom - shown.top, 420);
    // The choice closed the menus.
    EXPECT_TRUE(WaitFor([] { return !Shown(L"TxMenu") && !Shown(L"company"); }, 3000));
    scene::Snapshot("panel", {shown});
}

}  // namespace
