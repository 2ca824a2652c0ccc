// The window-template cache against the loopback server: when it downloads,
// what a failed download leaves, refused skin keys, image cache names, and
// two panels refreshing one stale skin at once.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <set>
#include <thread>

#include "app/core/common/SharedUtilities.h"
#include "app/core/config/RegistryValues.h"
#include "app/tests/support/CoreTestFiles.h"
#include "app/panels/cache/TemplateCache.h"
#include "fx/Handle.h"
#include "TestSupport.h"
#include "tests/httpserver/LoopbackServer.h"
#include "tests/support/GdiplusTestEnv.h"

namespace {

using panels::LoadedTemplate;
using panels::TemplateSource;

std::wstring HttpRoot() { return testsupport::WinDir(CACHE_HTTP_ROOT); }

const char kTemplateV2[] = "<window><style><zoom>80%</zoom></style><mark>v2</mark></window>";
const char kTemplateV3[] = "<window><style><zoom>0.5</zoom></style><mark>v3</mark></window>";
const wchar_t kUserKey[] = L"Software\\Pondrel";

// Every file and folder below dir, relative to it ("{k}\\{k}.xml", "{k}\\").
std::set<std::wstring> Tree(const std::wstring& dir, const std::wstring& prefix = L"", bool deep = true) {
    std::set<std::wstring> out;
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((dir + L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return out;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out.insert(prefix + name + L"\\");
            if (deep)
                for (const std::wstring& sub : Tree(dir + name + L"\\", prefix + name + L"\\")) out.insert(sub);
        } else {
            out.insert(prefix + name);
        }
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    return out;
}

class TemplateCacheTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Wine gives process ids again: a folder of an earlier run may be there.
        cacheDir_ = coretest::ScratchDir();
        RemoveDirectoryTree(cacheDir_, false);
        coretest::WriteFile(HttpRoot(), L"v3.xml", kTemplateV3);
        coretest::WriteFile(HttpRoot(), L"notxml.txt", "this is <not xml");
        loopback::Clear();
    }
    void TearDown() override {
        for (const std::wstring& key : keys_) ::RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(kUserKey) + L"\\" + key).c_str());
    }

    // A skin key of this test only, with its recorded version ("" : none).
    std::wstring Key(const wchar_t* name, const wchar_t* version) {
        std::wstring key = std::wstring(L"tc-") + name;
        keys_.push_back(key);
        ::RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(kUserKey) + L"\\" + key).c_str());
        if (version) WriteRegistryValue(version, key.c_str());
        return key;
    }
    std::wstring Recorded(const std::wstring& key) {
        std::wstring v;
        ReadRegistryValue(key.c_str(), v);
        return v;
    }
    // The skin's folder with a cached v2 template, an image and a subfolder.
    void CacheV2(const std::wstring& key) {
        const std::wstring folder = panels::TemplateFolder(cacheDir_, key);
        ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
        coretest::WriteFile(folder, L"{" + key + L"}.xml", kTemplateV2);
        coretest::WriteFile(folder, L"{" + key + L"}{pq_images_skin}close.png", "old image");
        ASSERT_TRUE(::CreateDirectoryW((folder + L"sub").c_str(), nullptr));
        coretest::WriteFile(folder + L"sub\\", L"x.txt", "x");
    }
    TemplateSource Source(const std::wstring& key, const std::wstring& url, const wchar_t* server) {
        return TemplateSource{cacheDir_, key, url, server};
    }
    static std::wstring Mark(LoadedTemplate& t) { return t.config->GetText(L"/window/mark"); }
    std::string Cached(const std::wstring& key) { return coretest::ReadFile(panels::TemplateFile(cacheDir_, key)); }

    std::wstring cacheDir_;
    std::vector<std::wstring> keys_;
};

TEST_F(TemplateCacheTest, EqualVersionsWithACachedFileMakeNoRequest) {
    for (const wchar_t* version : {L"3", L""}) {
        const std::wstring key = Key(*version ? L"equal" : L"bothempty", version);
        CacheV2(key);
        loopback::Clear();
        LoadedTemplate t = panels::LoadTemplate(Source(key, loopback::Url(L"/files/v3.xml"), version));
        EXPECT_TRUE(loopback::Requests().empty());
        EXPECT_FALSE(t.stale);
        EXPECT_EQ(Mark(t), L"v2");
        EXPECT_EQ(t.folder, cacheDir_ + L"{" + key + L"}\\");
        EXPECT_EQ(Recorded(key), version);
    }
}

TEST_F(TemplateCacheTest, EqualVersionsWithoutAFileDownloadAndLeaveTheVersion) {
    const std::wstring key = Key(L"missing", L"3");
    LoadedTemplate t = panels::LoadTemplate(Source(key, loopback::Url(L"/files/v3.xml"), L"3"));
    ASSERT_EQ(loopback::Requests().size(), 1u);
    EXPECT_EQ(loopback::Requests()[0].target, "/files/v3.xml");
    EXPECT_FALSE(t.stale);
    EXPECT_EQ(Mark(t), L"v3");
    EXPECT_EQ(Cached(key), kTemplateV3);
    EXPECT_EQ(Recorded(key), L"3");
    EXPECT_EQ(Tree(cacheDir_), (std::set<std::wstring>{L"{" + key + L"}\\", L"{" + key + L"}\\{" + key + L"}.xml"}));
}

TEST_F(TemplateCacheTest, ChangedVersionEmptiesTheFolderDownloadsAndRecordsTheVersion) {
    const std::wstring key = Key(L"changed", L"2");
    CacheV2(key);
    LoadedTemplate t = panels::LoadTemplate(Source(key, loopback::Url(L"/files/v3.xml"), L"3"));
    EXPECT_EQ(loopback::Requests().size(), 1u);
    EXPECT_TRUE(t.stale);
    EXPECT_EQ(Mark(t), L"v3");
    EXPECT_EQ(Cached(key), kTemplateV3);
    EXPECT_EQ(Recorded(key), L"3");
    // The old images and everything else in the folder are gone; the folder stays.
    EXPECT_EQ(Tree(cacheDir_), (std::set<std::wstring>{L"{" + key + L"}\\", L"{" + key + L"}\\{" + key + L"}.xml"}));

    // The next load finds the versions equal.
    loopback::Clear();
    LoadedTemplate again = panels::LoadTemplate(Source(key, loopback::Url(L"/files/v3.xml"), L"3"));
    EXPECT_TRUE(loopback::Requests().empty());
    EXPECT_FALSE(again.stale);
    EXPECT_EQ(Mark(again), L"v3");
}

// A download that fails in any way keeps the cached template and its version,
// leaves no temporary file, and the next load tries again.
TEST_F(TemplateCacheTest, FailedDownloadKeepsTheOldFileAndVersion) {
    struct Case {
        const wchar_t* name;
        std::wstring url;
    };
    const Case cases[] = {
        {L"404", loopback::Url(L"/status/404/files/v3.xml")},
        {L"truncated", loopback::Url(L"/truncate/20/files/v3.xml")},
        {L"notxml", loopback::Url(L"/files/notxml.txt")},
        {L"dead", loopback::DeadUrl(L"/files/v3.xml")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testsupport::Utf8(c.name));
        const std::wstring key = Key(c.name, L"2");
        CacheV2(key);
        const std::set<std::wstring> before = Tree(cacheDir_);
        LoadedTemplate t = panels::LoadTemplate(Source(key, c.url, L"3"));
        EXPECT_EQ(Mark(t), L"v2") << "the old template is used";
        EXPECT_EQ(Cached(key), kTemplateV2);
        EXPECT_EQ(Recorded(key), L"2");
        EXPECT_EQ(Tree(cacheDir_), before) << "nothing emptied, no temporary file left";

        // The next panel retries and succeeds.
        loopback::Clear();
        LoadedTemplate retry = panels::LoadTemplate(Source(key, loopback::Url(L"/files/v3.xml"), L"3"));
        EXPECT_EQ(loopback::Requests().size(), 1u);
        EXPECT_EQ(Mark(retry), L"v3");
        EXPECT_EQ(Recorded(key), L"3");
    }
    // Without an old file: nothing cached, nothing recorded, a panel without elements.
    const std::wstring key = Key(L"nofile", L"2");
    LoadedTemplate t = panels::LoadTemplate(Source(key, loopback::Url(L"/status/404"), L"3"));
    EXPECT_FALSE(t.config->IsLoaded());
    EXPECT_EQ(Mark(t), L"");
    EXPECT_EQ(Recorded(key), L"2");
    EXPECT_EQ(Tree(cacheDir_).count(L"{" + key + L"}\\{" + key + L"}.xml"), 0u);
}

// A key that is no safe name makes no folder, file or registry value and
// still gives the panel its template.
TEST_F(TemplateCacheTest, RefusedSkinKeysLoadWithoutTheCache) {
    coretest::CapturedLog log;
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::set<std::wstring> tempBefore = Tree(temp, L"", false);
    const std::set<std::wstring> startBefore = testsupport::RegistryTree(HKEY_CURRENT_USER, std::wstring(kUserKey) + L"\\Start");
    for (const wchar_t* key : {L"..", L"..\\..\\evil", L"a/b", L"a\\b", L"C:x", L"a b", L"x..y", L"Start", L"userid",
                               L"TID", L"", L"k*"}) {
        SCOPED_TRACE(testsupport::Utf8(key));
        loopback::Clear();
        LoadedTemplate t = panels::LoadTemplate(Source(key, loopback::Url(L"/files/v3.xml"), L"3"));
        EXPECT_EQ(loopback::Requests().size(), 1u);
        EXPECT_EQ(Mark(t), L"v3");
        EXPECT_TRUE(t.stale);
        EXPECT_TRUE(t.folder.empty());
        EXPECT_TRUE(Tree(cacheDir_).empty()) << "no folder, no file, no temporary file";
        EXPECT_TRUE(log.Contains(std::wstring(L"Template key refused, loading without the cache: \"") + key + L"\""));
    }
    for (const std::wstring& entry : Tree(temp, L"", false))
        EXPECT_TRUE(tempBefore.count(entry) || entry.rfind(L"tpl", 0) != 0) << testsupport::Utf8(entry);
    EXPECT_EQ(testsupport::RegistryTree(HKEY_CURRENT_USER, std::wstring(kUserKey) + L"\\Start"), startBefore);
    EXPECT_TRUE(testsupport::RegistryTree(HKEY_CURRENT_USER, std::wstring(kUserKey) + L"\\a").empty());
    EXPECT_TRUE(testsupport::RegistryTree(HKEY_CURRENT_USER, std::wstring(kUserKey) + L"\\x..y").empty());
}

TEST_F(TemplateCacheTest, TwoPanelsOnOneStaleSkinDownloadOnce) {
    const std::wstring key = Key(L"twice", L"2");
    CacheV2(key);
    const std::wstring url = loopback::Url(L"/slow/600/files/v3.xml");
    std::wstring marks[2];
    bool stale[2] = {};
    std::thread threads[2];
    for (int i = 0; i < 2; ++i) {
        threads[i] = std::thread([&, i] {
            LoadedTemplate t = panels::LoadTemplate(Source(key, url, L"3"));
            marks[i] = Mark(t);
            stale[i] = t.stale;
        });
    }
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(loopback::Requests().size(), 1u);
    EXPECT_EQ(marks[0], L"v3");
    EXPECT_EQ(marks[1], L"v3");
    EXPECT_NE(stale[0], stale[1]) << "one refreshed the cache, the other found it current";
    EXPECT_EQ(Recorded(key), L"3");
}

TEST_F(TemplateCacheTest, BusySkinLoadsWithoutTheCache) {
    const std::wstring key = Key(L"busy", L"3");
    CacheV2(key);
    fx::UniqueHandle other(::CreateMutexW(nullptr, TRUE, panels::TemplateMutexName(key).c_str()));
    ASSERT_TRUE(other);
    std::wstring mark;
    std::thread panel([&] {
        LoadedTemplate t = panels::LoadTemplate(Source(key, loopback::Url(L"/files/v3.xml"), L"3"), 200);
        mark = Mark(t);
    });
    panel.join();
    ::ReleaseMutex(other.get());
    EXPECT_EQ(mark, L"v3") << "downloaded for this panel only";
    EXPECT_EQ(Cached(key), kTemplateV2);
    EXPECT_EQ(Tree(cacheDir_).size(), 5u) << "no temporary file left";
}

// Once a load's time is up nothing more is downloaded and a busy skin is
// not waited for: the cache gives what it holds (a stale template stays,
// with its version), else the reader answers empty.
TEST_F(TemplateCacheTest, NoTimeLeftDownloadsNothing) {
    const panels::TimeLeftFn spent = [] { return DWORD{0}; };
    const struct {
        const wchar_t* name;
        bool cached, busy;
        const wchar_t* mark;
    } cases[] = {
        {L"spent-stale", true, false, L"v2"},
        {L"spent-missing", false, false, L""},
        {L"spent-busy", true, true, L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testsupport::Utf8(c.name));
        const std::wstring key = Key(c.name, L"2");
        if (c.cached) CacheV2(key);
        fx::UniqueHandle other;
        if (c.busy) other.reset(::CreateMutexW(nullptr, TRUE, panels::TemplateMutexName(key).c_str()));
        loopback::Clear();
        TemplateSource source = Source(key, loopback::Url(L"/files/v3.xml"), L"3");
        source.timeLeft = spent;
        std::wstring mark;
        std::thread panel([&] {
            LoadedTemplate t = panels::LoadTemplate(source);
            mark = Mark(t);
        });
        panel.join();
        if (other) ::ReleaseMutex(other.get());
        EXPECT_EQ(mark, c.mark);
        EXPECT_TRUE(loopback::Requests().empty());
        EXPECT_EQ(Recorded(key), L"2");
    }
}

TEST_F(TemplateCacheTest, MutexNameIgnoresCase) {
    EXPECT_EQ(panels::TemplateMutexName(L"Classic"), panels::TemplateMutexName(L"cLASSIC"));
    EXPECT_EQ(panels::TemplateMutexName(L"Classic"), L"PondrelTemplateCache-classic");
}

TEST(TemplateWindowValues, ZoomAndEdges) {
    struct Case {
        std::map<std::wstring, std::wstring> paths;
        panels::WindowValues expected;
    };
    const templates::TemplateSize size{300, 200};
    const Case cases[] = {
        {{}, {1.0, 0, 0, 0, 0}},
        {{{L"/window/style/zoom", L"80%"}, {L"/window/edges/top", L"12"}}, {0.8, 12, 0, 0, 0}},
        {{{L"/window/style/zoom", L"0.75"}, {L"/window/edges/left", L"{pq_width}"}}, {0.75, 0, 300, 0, 0}},
        {{{L"/window/style/zoom", L"2"}, {L"/window/edges/bottom", L"{pq_height}"}, {L"/window/edges/right", L"9"}},
         {1.0, 0, 0, 200, 9}},
        {{{L"/window/style/zoom", L"150%"}, {L"/window/edges/top", L"x"}}, {1.5, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        auto read = [&](const std::wstring& path) {
            auto it = c.paths.find(path);
            return it == c.paths.end() ? std::wstring() : it->second;
        };
        const panels::WindowValues v = panels::ReadWindowValues(read, size);
        EXPECT_DOUBLE_EQ(v.zoom, c.expected.zoom);
        EXPECT_EQ(v.top, c.expected.top);
        EXPECT_EQ(v.left, c.expected.left);
        EXPECT_EQ(v.bottom, c.expected.bottom);
        EXPECT_EQ(v.right, c.expected.right);
    }
}

// Template images: the cache file is the skin folder + "{key}" + the reference
// with unsafe characters made "_"; a current template reuses it, a stale one
// downloads again; without a cache nothing stays behind.
class ElementImageTest : public TemplateCacheTest {
protected:
    void SetUp() override {
        TemplateCacheTest::SetUp();
        const std::string png = coretest::ReadFile(coretest::SourceDir() + L"demo\\Images\\pondrel.png");
        ASSERT_FALSE(png.empty());
        ::CreateDirectoryW((HttpRoot() + L"ecp").c_str(), nullptr);
        ::CreateDirectoryW((HttpRoot() + L"ecp\\images").c_str(), nullptr);
        ::CreateDirectoryW((HttpRoot() + L"ecp\\tc-img").c_str(), nullptr);
        ::CreateDirectoryW((HttpRoot() + L"ecp\\tc-img\\images").c_str(), nullptr);
        coretest::WriteFile(HttpRoot() + L"ecp\\images\\", L"dot.png", png);
        coretest::WriteFile(HttpRoot() + L"ecp\\tc-img\\images\\", L"dot.png", png);
        base_ = loopback::Url(L"/files/ecp/");
    }
    std::wstring base_;
};

TEST_F(ElementImageTest, CacheNamesStayInTheSkinFolder) {
    const std::wstring key = Key(L"img", L"1");
    const std::wstring folder = panels::TemplateFolder(cacheDir_, key);
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    struct Case {
        std::wstring reference;
        std::wstring cacheName;  // after "{key}"
        bool served;
    };
    const std::wstring port = std::to_wstring(loopback::Port());
    const Case cases[] = {
        {L"{pq_images_skin}dot.png", L"{pq_images_skin}dot.png", true},
        {L"{pq_images}dot.png", L"{pq_images}dot.png", true},
        {L"{pq_images}../images/dot.png", L"{pq_images}__images_dot.png", true},
        {L"{pq_images}..\\..\\..\\dot.png", L"{pq_images}______dot.png", false},
        {loopback::Url(L"/files/ecp/images/dot.png"), L"http___127.0.0.1_" + port + L"_files_ecp_images_dot.png",
         true},
        {L"C:\\Windows\\x.png", L"C__Windows_x.png", false},
        {L"{pq_images}a|b<c>\"d?*.png", L"{pq_images}a_b_c__d__.png", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testsupport::Utf8(c.reference));
        const std::wstring file = folder + L"{" + key + L"}" + c.cacheName;
        LoadedTemplate stale{nullptr, true, folder, key};
        loopback::Clear();
        ArgbBitmap image = panels::LoadElementImage(stale, c.reference, base_);
        if (c.served) {
            ASSERT_TRUE(image) << testsupport::Utf8(file);
            EXPECT_EQ(image->GetWidth(), 16u);
            EXPECT_TRUE(::GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES);
            // A current template takes the cached file without asking.
            loopback::Clear();
            LoadedTemplate current{nullptr, false, folder, key};
            EXPECT_TRUE(panels::LoadElementImage(current, c.reference, base_));
            EXPECT_TRUE(loopback::Requests().empty());
        }
        for (const std::wstring& entry : Tree(cacheDir_))
            EXPECT_EQ(entry.rfind(L"{" + key + L"}\\", 0), 0u) << testsupport::Utf8(entry);
    }
    EXPECT_FALSE(panels::LoadElementImage(LoadedTemplate{nullptr, true, folder, key}, L"", base_));
}

// With no time left no picture is downloaded: a cached one is still drawn.
TEST_F(ElementImageTest, NoTimeLeftTakesOnlyCachedPictures) {
    const panels::TimeLeftFn spent = [] { return DWORD{0}; };
    const std::wstring key = Key(L"img-spent", L"1");
    const std::wstring folder = panels::TemplateFolder(cacheDir_, key);
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    EXPECT_FALSE(panels::LoadElementImage(LoadedTemplate{nullptr, true, folder, key, spent}, L"{pq_images}dot.png",
                                          base_));
    EXPECT_FALSE(panels::LoadElementImage(LoadedTemplate{nullptr, true, L"", key, spent}, L"{pq_images}dot.png",
                                          base_));
    EXPECT_TRUE(loopback::Requests().empty());
    ASSERT_TRUE(panels::LoadElementImage(LoadedTemplate{nullptr, true, folder, key}, L"{pq_images}dot.png", base_));
    loopback::Clear();
    for (bool stale : {false, true})
        EXPECT_TRUE(panels::LoadElementImage(LoadedTemplate{nullptr, stale, folder, key, spent}, L"{pq_images}dot.png",
                                             base_))
            << stale;
    EXPECT_TRUE(loopback::Requests().empty());
}

TEST_F(ElementImageTest, WithoutACacheNothingStaysBehind) {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::set<std::wstring> before = Tree(temp, L"", false);
    LoadedTemplate uncached{nullptr, true, L"", L"a/b"};
    ArgbBitmap image = panels::LoadElementImage(uncached, L"{pq_images}dot.png", base_);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->GetWidth(), 16u);
    EXPECT_FALSE(panels::LoadElementImage(uncached, L"{pq_images}none.png", base_));
    std::set<std::wstring> after = Tree(temp, L"", false);
    for (const std::wstring& entry : after)
        EXPECT_TRUE(before.count(entry) || entry.rfind(L"tpi", 0) != 0) << testsupport::Utf8(entry);
    EXPECT_TRUE(Tree(cacheDir_).empty());
}

}  // namespace
