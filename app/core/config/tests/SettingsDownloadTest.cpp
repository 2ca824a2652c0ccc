// Settings download and reload against the loopback server: the request URL,
// offline and failed downloads, the document variants, and panel threads
// asking template versions while reloads replace the reader.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "app/tests/support/AppFixture.h"
#include "TestSupport.h"
#include "tests/httpserver/LoopbackServer.h"

namespace {

using coretest::ReadFile;
using coretest::ReplaceAll;

std::wstring Root() { return testsupport::WinDir(SETTINGS_HTTP_ROOT); }


class SettingsDownloadTest : public coretest::AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        theApp.m_UserId.clear();
        theApp.m_Version = L"17";
        server_ = testsupport::Utf8(loopback::Url(L"/files"));
        Serve(L"good.xml", coretest::SampleSettings(server_));
        loopback::Clear();
    }
    void Serve(const wchar_t* name, const std::string& xml) { coretest::WriteFile(Root(), name, xml); }
    void InitFrom(const std::wstring& path) { theApp.m_InitUrl = loopback::Url(path); }
    std::string OnDisk() { return ReadFile(dir_ + L"settings.xml"); }
    // Reloads from the good sample and checks it loaded.
    void GoodReload() {
        InitFrom(L"/files/good.xml");
        ASSERT_TRUE(theApp.ReloadSettings());
        ASSERT_EQ(View().m_EcpList.GetCount(), 14u);
    }
    std::string server_;
};

TEST_F(SettingsDownloadTest, RequestUrlCarriesTheEncodedUserIdAndVersion) {
    struct Case { const wchar_t* init; const wchar_t* user; const char* target; };
    const Case cases[] = {
        {L"/files/good.xml", L"", "/files/good.xml"},
        {L"/files/good.xml", L"A\u00e9-1", "/files/good.xml?pq_userid=%41%c3%a9%2d%31&pq_version=17"},
        {L"/files/good.xml?lang=en", L"A", "/files/good.xml?lang=en&pq_userid=%41&pq_version=17"},
    };
    for (const Case& c : cases) {
        loopback::Clear();
        InitFrom(c.init);
        theApp.m_UserId = c.user;
        EXPECT_TRUE(theApp.DownloadSettings()) << c.target;
        auto requests = loopback::Requests();
        ASSERT_EQ(requests.size(), 1u) << c.target;
        EXPECT_EQ(requests[0].method, "GET");
        EXPECT_EQ(requests[0].target, c.target);
        EXPECT_EQ(testsupport::Utf8(theApp.m_SettingsUrl), testsupport::Utf8(loopback::Url(L"")) + c.target);
        ASSERT_NE(theApp.m_pSettings, nullptr);
        EXPECT_EQ(theApp.m_pSettings->Source(), theApp.m_SettingsUrl);
        EXPECT_TRUE(theApp.m_HaveInitDispatch);
        EXPECT_TRUE(theApp.m_DownloadTried);
        EXPECT_TRUE(theApp.m_SettingsLoaded);
        EXPECT_EQ(OnDisk(), coretest::SampleSettings(server_));
    }
}

TEST_F(SettingsDownloadTest, OfflineReloadSendsNothingAndKeepsTheLastValues) {
    GoodReload();
    const std::string before = OnDisk();
    loopback::Clear();
    theApp.m_Online = false;
    EXPECT_FALSE(theApp.ReloadSettings());
    // No settings download; only the enhancer loading's ignore-list request,
    // which does not look at the connection state.
    for (auto& r : loopback::Requests()) EXPECT_EQ(r.target.rfind("/files/ignores.txt", 0), 0u) << r.target;
    EXPECT_EQ(theApp.m_pSettings, nullptr) << "the old reader is gone";
    EXPECT_FALSE(theApp.m_SettingsLoaded);
    EXPECT_FALSE(theApp.m_Starting);
    EXPECT_EQ(View().m_EcpList.GetCount(), 14u);
    EXPECT_NE(View().m_pSearchEcp, nullptr);
    EXPECT_EQ(theApp.m_ImagesUrl, std::wstring(server_.begin(), server_.end()) + L"/icons/");
    EXPECT_EQ(OnDisk(), before);
    EXPECT_TRUE(log_->Contains(L"Reload Settings done"));
}

// After a good load, each bad answer leaves the records and URLs of the good
// one; a failed transfer also leaves the good settings.xml on disk.
TEST_F(SettingsDownloadTest, BadDocumentsKeepTheLastGoodRecordsAndUrls) {
    Serve(L"nocat.xml", "<init><urls><images>http://elsewhere/</images></urls><ecptree/></init>");
    Serve(L"bad.xml", coretest::SampleSettings(server_).substr(0, 900));
    struct Case { const char* what; std::wstring init; bool fetched; bool reader; const wchar_t* logged; };
    const Case cases[] = {
        {"no category", loopback::Url(L"/files/nocat.xml"), true, true, nullptr},
        {"malformed", loopback::Url(L"/files/bad.xml"), true, true, L"Did not load the xml file because: "},
        {"404", loopback::Url(L"/status/404"), false, false, nullptr},
        {"truncated", loopback::Url(L"/truncate/100/files/good.xml"), false, false, nullptr},
        {"no server", loopback::DeadUrl(L"/files/good.xml"), false, false, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GoodReload();
        const std::string good = OnDisk();
        const std::wstring images = theApp.m_ImagesUrl;
        UserSetting* search = View().m_pSearchEcp;
        log_->Lines();
        theApp.m_InitUrl = c.init;
        EXPECT_FALSE(theApp.ReloadSettings());
        EXPECT_FALSE(theApp.m_SettingsLoaded);
        EXPECT_EQ(theApp.m_HaveInitDispatch, c.fetched);
        EXPECT_EQ(theApp.m_pSettings != nullptr, c.reader);
        EXPECT_EQ(View().m_EcpList.GetCount(), 14u);
        EXPECT_EQ(View().m_pSearchEcp, search);
        EXPECT_EQ(theApp.m_ImagesUrl, images);
        if (!c.fetched) EXPECT_EQ(OnDisk(), good) << "the last good settings.xml stays";
        if (c.logged) EXPECT_TRUE(log_->Contains(c.logged));
    }
    GoodReload();
}

// A panel-like thread asks template versions while reloads delete and
// replace the settings reader: no crash, and no answer older than the
// reload that had finished before the question.
TEST_F(SettingsDownloadTest, ReloadWhileAPanelThreadAsksTemplateVersions) {
    auto docFor = [&](int k) {
        return ReplaceAll(coretest::SampleSettings(server_), "<Slate><version>5</version></Slate>",
                          "<Slate><version>" + std::to_string(k) + "</version></Slate>");
    };
    Serve(L"versions.xml", docFor(1));
    InitFrom(L"/files/versions.xml");
    ASSERT_TRUE(theApp.ReloadSettings());
    std::atomic<int> published{1}, stale{0}, asked{0};
    std::atomic<bool> done{false};
    std::thread panel([&] {
        while (!done) {
            int floor = published.load();
            std::wstring v = XmlConfig::GetTemplateVersion(L"Slate");
            if (v.empty() || std::stoi(v) < floor) ++stale;
            ++asked;
        }
    });
    testsupport::StopAndJoin stopPanel(done, panel);
    const int kReloads = 40;
    for (int k = 2; k <= kReloads; ++k) {
        Serve(L"versions.xml", docFor(k));
        ASSERT_TRUE(theApp.ReloadSettings()) << k;
        published = k;
    }
    done = true;
    panel.join();
    EXPECT_EQ(stale.load(), 0);
    EXPECT_GT(asked.load(), kReloads);
    EXPECT_EQ(XmlConfig::GetTemplateVersion(L"Slate"), std::to_wstring(kReloads));
}

}  // namespace
