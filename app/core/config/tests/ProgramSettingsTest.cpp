// The real PondRel.exe against the loopback server: start-up downloads and
// applies the demo settings, and completes without them too; with the demo
// settings, a selection in the stand-in Firefox reaches the controller.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/tests/support/CoreTestFiles.h"
#include "app/tests/support/ProgramHarness.h"
#include "TestSupport.h"
#include "fx/Handle.h"
#include "tests/httpserver/LoopbackServer.h"

namespace {

using programharness::SavedInstallValue;

std::wstring Root() { return testsupport::WinDir(PROGRAM_HTTP_ROOT); }

class ProgramSettingsTest : public testing::Test {
protected:
    void SetUp() override {
        install_ = coretest::ScratchDir();
        server_ = testsupport::Utf8(loopback::Url(L"/files"));
        path_.Set(install_.substr(0, install_.size() - 1));
        loopback::Clear();
    }
    // Starts PondRel with settings.xml served as xml; true once its reload ended.
    bool StartWith(const std::string& xml) {
        coretest::WriteFile(Root(), L"settings.xml", xml);
        init_.Set(loopback::Url(L"/files/settings.xml"));
        if (!program_.Start(PONDREL_EXE, {}, install_)) return false;
        return testsupport::WaitFor([&] {
            for (auto& l : log_.Lines()) {
                lines_.push_back(l);
                if (l == L"Reload Settings done") return true;
            }
            return false;
        }, 30000);
    }
    // Waits until a log line equal to line arrives.
    bool WaitLogged(const std::wstring& line, DWORD timeoutMs) {
        return testsupport::WaitFor([&] {
            for (auto& l : log_.Lines()) lines_.push_back(l);
            return Logged(line);
        }, timeoutMs);
    }
    bool Logged(const std::wstring& line) const {
        for (auto& l : lines_)
            if (l == line) return true;
        return false;
    }
    // "shut" makes the running instance quit; it must end in time.
    void Shut() {
        EXPECT_EQ(testsupport::Run(PONDREL_EXE, {L"shut"}, 30000), 0);
        EXPECT_TRUE(program_.Wait(15000));
    }

    coretest::CapturedLog log_;
    SavedInstallValue init_{L"init"};
    SavedInstallValue path_{L"path"};
    std::wstring install_;
    std::string server_;
    testsupport::Child program_;
    std::vector<std::wstring> lines_;
};

TEST_F(ProgramSettingsTest, StartUpDownloadsAndAppliesTheDemoSettings) {
    const std::string sample = coretest::SampleSettings(server_);
    ASSERT_TRUE(StartWith(sample));
    // The reload's enhancer loading also fetches the ignore list; the action
    // marker and the menus' icons come from the images URL (the demo's icons/).  The version
    // check and the messages file follow the reload (not counted here).
    std::vector<loopback::Request> requests, ignores, images;
    for (auto& r : loopback::Requests()) {
        if (r.target.find("pq_check=version") != std::string::npos ||
            r.target.rfind("/files/messages.xml", 0) == 0) {
            continue;
        } else if (r.target.rfind("/files/ignores.txt", 0) == 0) {
            ignores.push_back(r);
        } else if (r.target.rfind("/files/icons/", 0) == 0) {
            images.push_back(r);
        } else {
            requests.push_back(r);
        }
    }
    EXPECT_EQ(ignores.size(), 1u) << "the ignore list of the enhancer loading";
    EXPECT_FALSE(images.empty()) << "the action marker image";
    ASSERT_EQ(requests.size(), 2u) << "the start-up download and the reload";
    for (auto& r : requests) {
        EXPECT_EQ(r.target.rfind("/files/settings.xml?pq_userid=%", 0), 0u) << r.target;
        EXPECT_NE(r.target.find("&pq_version="), std::string::npos) << r.target;
    }
    EXPECT_EQ(coretest::ReadFile(install_ + L"settings.xml"), sample);
    EXPECT_TRUE(Logged(L"Category Count 2"));
    EXPECT_TRUE(Logged(L"Images " + std::wstring(server_.begin(), server_.end()) + L"/icons/"));
    EXPECT_TRUE(Logged(L"Catagory =  Reference : Target Count 2"));
    EXPECT_TRUE(Logged(L"GUID 6A2F0D93-5C1E-4B78-A0D4-93E7B2C61F05"));
    EXPECT_FALSE(Logged(L"-------------------------->Faild to load settings!"));
    EXPECT_FALSE(program_.Wait(0)) << "resident";
    Shut();
}

TEST_F(ProgramSettingsTest, StartUpCompletesWithoutCategories) {
    ASSERT_TRUE(StartWith("<init><urls><images>" + server_ + "/images/</images></urls><ecptree/></init>"));
    EXPECT_TRUE(Logged(L"-------------------------->Faild to load settings!"));
    EXPECT_FALSE(Logged(L"Category Count 0")) << "nothing is applied";
    EXPECT_FALSE(program_.Wait(500)) << "still resident";
    Shut();
}

// The whole path of a Firefox selection: the stand-in extension (with its
// "MozillaUIWindowClass" window in front) answers HXFirefox, which the demo
// settings list; the heartbeat's poll collects the piece into the
// controller's selection records, one per rectangle.
TEST_F(ProgramSettingsTest, FirefoxSelectionReachesTheControllersRecords) {
    const std::wstring script = coretest::WriteFile(install_, L"firefox-page.txt",
        "location http://example.test/pond\n"
        "domain example.test\n"
        "title Ponds\n"
        "piece Pond life|12,30,140,48|12,48,90,66\n"
        "flags page selection\n");
    const std::wstring report = install_ + L"firefox-report.txt";
    testsupport::Child firefox;
    ASSERT_TRUE(firefox.Start(FIREFOX_EXT_EXE, {L"--window", L"--script", script, L"--report", report,
                                                L"--run-ms", L"60000"}));
    auto reported = [&](const char* what) {
        return testsupport::WaitFor([&] {
            return coretest::ReadFile(report).find(what) != std::string::npos;
        }, 10000);
    };
    ASSERT_TRUE(reported("foreground\n")) << coretest::ReadFile(report);

    ASSERT_TRUE(StartWith(coretest::SampleSettings(server_)));
    EXPECT_TRUE(reported("ready")) << "the extension found the enhancer's channel";
    EXPECT_TRUE(WaitLogged(L"Selection: \"Pond life\" at 12,30,140,48", 15000));
    EXPECT_TRUE(WaitLogged(L"Selection: \"Pond life\" at 12,48,90,66", 5000));
    EXPECT_TRUE(coretest::ReadFile(report).find("answered request") != std::string::npos);
    Shut();
    firefox.Kill();
}

}  // namespace
