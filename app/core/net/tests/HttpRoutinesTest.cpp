// The server routines against the loopback HTTP server (run beside this
// program by tests/httpserver/loopback.py).
#include <gtest/gtest.h>

#include <windows.h>
#include <gdiplus.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/core/main/AppHttpHost.h"
#include "app/core/net/HttpRoutines.h"
#include "app/core/main/PondrelApp.h"
#include "app/core/net/UrlEncodeUtf8.h"
#include "fx/Handle.h"
#include "log/Logger.h"
#include "tests/httpserver/LoopbackServer.h"
#include "tests/logviewer/ViewerLog.h"
#include "tests/support/TestSupport.h"

namespace {

using loopback::PatternBytes;
using loopback::Url;

// The application's side as the routines see it: settable flags, the log URL
// and a record of the tray calls.
class FakeHost : public HttpHost {
public:
    bool disabled = false, settingsLoaded = true, online = true, starting = false;
    std::wstring logUrl;
    DWORD deadlineMs = 0;

    bool IsDisabled() const override { return disabled; }
    bool IsSettingsLoaded() const override { return settingsLoaded; }
    bool IsOnline() const override { return online; }
    bool IsStarting() const override { return starting; }
    std::wstring LogUrl() const override { return logUrl; }
    void ShowConnectingState() override { Note('C'); }
    void UpdateTrayIcon() override { Note('N'); }
    DWORD RequestDeadlineMs() const override { return deadlineMs; }

    // "C" for each connecting look, "N" for each normal look, in call order.
    std::string Calls() {
        std::lock_guard<std::mutex> lock(mutex_);
        return calls_;
    }

private:
    void Note(char c) {
        std::lock_guard<std::mutex> lock(mutex_);
        calls_ += c;
    }
    std::mutex mutex_;
    std::string calls_;
};

std::string ReadFileBytes(const std::wstring& path) {
    fx::UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                        nullptr));
    std::string out;
    if (!file) return "<missing>";
    char buf[8192];
    DWORD got = 0;
    while (::ReadFile(file.get(), buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
    return out;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    fx::UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file);
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
}

bool FileExists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class HttpTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(loopback::Port(), 0) << "run beside tests/httpserver/loopback.py";
        loopback::Clear();
        SetHttpHost(&host_);
        wchar_t temp[MAX_PATH];
        ASSERT_GT(::GetTempPathW(MAX_PATH, temp), 0u);
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::wstring(temp) + L"pondrel-http-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
               std::wstring(info->name(), info->name() + std::strlen(info->name()));
        ::CreateDirectoryW(dir_.c_str(), nullptr);
    }
    void TearDown() override {
        SetHttpHost(nullptr);
        for (const auto& f : DirFiles()) ::DeleteFileW((dir_ + L"\\" + f).c_str());
        ::RemoveDirectoryW(dir_.c_str());
    }

    // Names of the files in the test's directory.
    std::vector<std::wstring> DirFiles() {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW fd;
        HANDLE find = ::FindFirstFileW((dir_ + L"\\*").c_str(), &fd);
        if (find == INVALID_HANDLE_VALUE) return names;
        do {
            std::wstring n = fd.cFileName;
            if (n != L"." && n != L"..") names.push_back(n);
        } while (::FindNextFileW(find, &fd));
        ::FindClose(find);
        return names;
    }

    FakeHost host_;
    std::wstring dir_;
};

// ------------------------------------------------------------ connectivity

TEST(NetworkUp, TrueOnThisMachinesRoutingTable) {
    EXPECT_TRUE(IsNetworkUp());
}

// ------------------------------------------------------------ GET to memory

TEST_F(HttpTest, GetToMemoryDeliversWholeBodiesWithTheExactCount) {
    struct Case {
        const wchar_t* path;
        size_t size;
    } cases[] = {
        {L"/bytes/10000", 10000},          // several reads and a short last one
        {L"/bytes/8192", 8192},            // exactly two full reads
        {L"/bytes/300", 300},              // binary, starts with a zero byte
        {L"/bytes/0", 0},                  // empty body
        {L"/chunked/bytes/9000", 9000},    // no Content-Length
        {L"/bytes/1000000", 1000000},      // large
    };
    for (auto& c : cases) {
        int count = -7;
        std::unique_ptr<char[]> body = HttpGetToMemory(Url(c.path), &count);
        ASSERT_TRUE(body) << c.path;
        ASSERT_EQ(count, static_cast<int>(c.size)) << c.path;
        EXPECT_TRUE(std::string(body.get(), count) == PatternBytes(c.size)) << c.path;
        EXPECT_EQ(body[count], '\0') << c.path;
    }
}

TEST_F(HttpTest, GetToMemoryRefusesBodiesBeyondItsCap) {
    struct Case {
        const wchar_t* path;
        bool ok;
    } cases[] = {
        {L"/bytes/4096", true},             // exactly the cap
        {L"/bytes/4097", false},            // announced beyond it
        {L"/chunked/bytes/4096", true},
        {L"/chunked/bytes/9000", false},    // no Content-Length: stopped while reading
    };
    for (auto& c : cases) {
        int count = -7;
        std::unique_ptr<char[]> body = HttpGetToMemory(Url(c.path), &count, 4096);
        EXPECT_EQ(c.ok, body != nullptr) << c.path;
        EXPECT_EQ(c.ok ? 4096 : -7, count) << c.path;
    }
}

TEST_F(HttpTest, GetSendsOneRequestAsTheAppWithTheTrayConnectingMeanwhile) {
    int count = 0;
    ASSERT_TRUE(HttpGetToMemory(Url(L"/bytes/10?x=1"), &count));
    auto requests = loopback::Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].target, "/bytes/10?x=1");
    EXPECT_EQ(requests[0].Header("User-Agent"), "PondRel");
    EXPECT_EQ(host_.Calls(), "CN");
}

TEST_F(HttpTest, GetToMemoryFailsOnErrorStatusTruncationAndDeadServer) {
    struct Case {
        std::wstring url;
    } cases[] = {
        {Url(L"/status/404")},
        {Url(L"/status/500")},
        {Url(L"/status/302")},
        {Url(L"/truncate/5000/bytes/10000")},
        {loopback::DeadUrl(L"/bytes/10")},
    };
    for (auto& c : cases) {
        int count = -7;
        DWORD start = ::GetTickCount();
        EXPECT_FALSE(HttpGetToMemory(c.url, &count)) << std::string(c.url.begin(), c.url.end());
        EXPECT_EQ(count, -7);
        EXPECT_LT(::GetTickCount() - start, 3000u);
    }
    // Each request restored the tray look, whatever became of it.
    EXPECT_EQ(host_.Calls(), "CNCNCNCNCN");
}

TEST_F(HttpTest, SlowAnswerStillArrivesWhole) {
    // Only the connection has a time limit, not the answer.
    int count = 0;
    std::unique_ptr<char[]> body = HttpGetToMemory(Url(L"/slow/2500/bytes/5000"), &count);
    ASSERT_TRUE(body);
    EXPECT_TRUE(std::string(body.get(), count) == PatternBytes(5000));
}

TEST_F(HttpTest, WorksWithoutAHost) {
    SetHttpHost(nullptr);
    int count = 0;
    EXPECT_TRUE(HttpGetToMemory(Url(L"/bytes/10"), &count));
    EXPECT_TRUE(HttpPostForm(L"x"));  // no flags to open the gate: not sent
    EXPECT_EQ(loopback::Requests().size(), 1u);
}

// ------------------------------------------------------------ GET to file

TEST_F(HttpTest, GetToFileStoresTheExactBodyAndLeavesNothingElse) {
    const std::wstring target = dir_ + L"\\settings.xml";
    ASSERT_TRUE(HttpGetToFile(Url(L"/bytes/10000"), target));
    EXPECT_TRUE(ReadFileBytes(target) == PatternBytes(10000));
    // A second download replaces the file.
    ASSERT_TRUE(HttpGetToFile(Url(L"/bytes/300"), target));
    EXPECT_TRUE(ReadFileBytes(target) == PatternBytes(300));
    EXPECT_EQ(DirFiles(), std::vector<std::wstring>{L"settings.xml"});
    EXPECT_EQ(host_.Calls(), "CNCN");
}

TEST_F(HttpTest, FailedGetToFileKeepsTheOldFileAndLeavesNoPartialFile) {
    const std::string old = "<settings>the last good copy</settings>";
    struct Case {
        std::wstring url;
    } cases[] = {
        {Url(L"/status/404")},
        {Url(L"/status/500")},
        {Url(L"/truncate/6000/bytes/10000")},
        {loopback::DeadUrl(L"/bytes/10")},
    };
    for (auto& c : cases) {
        const std::string what(c.url.begin(), c.url.end());
        const std::wstring existing = dir_ + L"\\existing.xml";
        const std::wstring fresh = dir_ + L"\\fresh.xml";
        WriteFileBytes(existing, old);
        EXPECT_FALSE(HttpGetToFile(c.url, existing)) << what;
        EXPECT_EQ(ReadFileBytes(existing), old) << what;
        EXPECT_FALSE(HttpGetToFile(c.url, fresh)) << what;
        EXPECT_FALSE(FileExists(fresh)) << what;
        EXPECT_EQ(DirFiles(), std::vector<std::wstring>{L"existing.xml"}) << what;
    }
}

// A body larger than the bound (announced, or an endless one ended only by
// closing) fails the download at the bound: the target keeps what it held
// and no partial file remains.
TEST_F(HttpTest, GetToFileRefusesBodiesBeyondItsBound) {
    const std::string old = "<settings>the last good copy</settings>";
    const std::wstring target = dir_ + L"\\settings.xml";
    struct Case {
        const wchar_t* path;
        size_t bound;
    } cases[] = {
        {L"/endless", 1024 * 1024},
        {L"/bytes/5000", 4096},           // announced
        {L"/chunked/bytes/5000", 4096},   // not announced
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testsupport::Utf8(c.path));
        WriteFileBytes(target, old);
        EXPECT_FALSE(HttpGetToFile(Url(c.path), target, c.bound));
        EXPECT_EQ(ReadFileBytes(target), old);
        EXPECT_EQ(DirFiles(), std::vector<std::wstring>{L"settings.xml"});
    }
    ASSERT_TRUE(HttpGetToFile(Url(L"/bytes/4096"), target, 4096));  // exactly the bound
    EXPECT_TRUE(ReadFileBytes(target) == PatternBytes(4096));
}

// The download form with its rules: only 200 taken when asked, the body
// kept in the named part file until it is whole (gone on failure), and its
// own time-out for a stalled body while the routines' default stays.
TEST_F(HttpTest, GetToFileWithItsRules) {
    const std::wstring target = dir_ + L"\\setup.bin";
    GetFileOptions options;
    options.routine = L"DownloadTest";
    options.only200 = true;
    options.partPath = target + L".part";
    options.ioTimeoutMs = 1500;
    struct Case {
        const wchar_t* path;
        bool ok;
    } cases[] = {
        {L"/status/201", false},
        {L"/status/204", false},
        {L"/truncate/100/bytes/10000", false},
        {L"/stall/100/bytes/10000", false},  // ends within the request's own time-out
        {L"/bytes/10000", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testsupport::Utf8(c.path));
        EXPECT_EQ(HttpGetToFile(Url(c.path), target, options), c.ok);
        EXPECT_FALSE(FileExists(options.partPath));
        EXPECT_EQ(FileExists(target), c.ok);
    }
    EXPECT_TRUE(ReadFileBytes(target) == PatternBytes(10000));
    EXPECT_EQ(DirFiles(), std::vector<std::wstring>{L"setup.bin"});
    EXPECT_EQ(HttpIoTimeout(), kDefaultIoTimeoutMs);
    options.only200 = false;
    EXPECT_TRUE(HttpGetToFile(Url(L"/status/201"), target, options)) << "any 2xx without the rule";
}

// A server that accepts and then sends nothing (before its answer, or in the
// middle of its body) ends the request within the send/receive time-out.
TEST_F(HttpTest, AStalledServerEndsTheRequestWithinItsTimeOut) {
    SetHttpIoTimeout(1500);
    const std::wstring target = dir_ + L"\\x.xml";
    int count = -1;
    struct Case {
        const char* name;
        std::function<bool()> request;  // true: it failed as it must
    } cases[] = {
        {"no answer, into memory", [&] { return !HttpGetToMemory(Url(L"/slow/60000/bytes/10"), &count); }},
        {"half a body, into memory", [&] { return !HttpGetToMemory(Url(L"/stall/100/bytes/10000"), &count); }},
        {"half a body, into a file", [&] { return !HttpGetToFile(Url(L"/stall/100/bytes/10000"), target); }},
        {"no answer to the form", [&] {
             host_.logUrl = Url(L"/slow/60000/status/200/lc.asp");
             return HttpPostForm(L"x");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DWORD start = ::GetTickCount();
        EXPECT_TRUE(c.request());
        EXPECT_LT(::GetTickCount() - start, 20000u) << "the server stalls for 60 s or more";
    }
    EXPECT_EQ(count, -1);
    EXPECT_FALSE(FileExists(target));
    SetHttpIoTimeout(0);
    EXPECT_EQ(HttpIoTimeout(), kDefaultIoTimeoutMs);
}

TEST_F(HttpTest, SettingsFileComesFromTheServedDirectory) {
    const std::wstring source = testsupport::WinPath(std::string(PONDREL_SOURCE_DIR) + "/demo/settings.xml");
    const std::wstring target = dir_ + L"\\settings.xml";
    ASSERT_TRUE(HttpGetToFile(Url(L"/files/settings.xml"), target));
    EXPECT_EQ(ReadFileBytes(target), ReadFileBytes(source));
    // Nothing outside the served directory is reachable.
    EXPECT_FALSE(HttpGetToFile(Url(L"/files/..%2FCMakeLists.txt"), target));
    EXPECT_FALSE(HttpGetToFile(Url(L"/files/missing.xml"), target));
    EXPECT_EQ(ReadFileBytes(target), ReadFileBytes(source));
}

TEST_F(HttpTest, GetToFileIntoAMissingDirectoryFails) {
    EXPECT_FALSE(HttpGetToFile(Url(L"/bytes/10"), dir_ + L"\\no such dir\\x.xml"));
}

TEST_F(HttpTest, TwoThreadsDownloadingOneTargetLeaveOneWholeBody) {
    const std::wstring target = dir_ + L"\\image.png";
    for (int round = 0; round < 3; ++round) {
        std::atomic<int> ok{0};
        std::thread a([&] { ok += HttpGetToFile(Url(L"/slow/200/bytes/300000"), target); });
        std::thread b([&] { ok += HttpGetToFile(Url(L"/slow/200/bytes/200000"), target); });
        a.join();
        b.join();
        EXPECT_EQ(ok, 2);
        std::string got = ReadFileBytes(target);
        EXPECT_TRUE(got == PatternBytes(300000) || got == PatternBytes(200000)) << got.size();
        EXPECT_EQ(DirFiles(), std::vector<std::wstring>{L"image.png"});
    }
}

// ------------------------------------------------------------ POST

std::string ToAnsi(const std::wstring& text) {
    int n = ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                  nullptr);
    std::string out(n, '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

TEST_F(HttpTest, PostSendsTheFormAsTheServerSeesIt) {
    host_.logUrl = Url(L"/status/200/upload/lc.asp?src=pq");
    const std::wstring text = L"1\tOpen ECP\t12\nsearch \x00e9t\x00e9 & more=1%\n";
    EXPECT_FALSE(HttpPostForm(text));

    auto requests = loopback::Requests();
    ASSERT_EQ(requests.size(), 1u);
    const auto& r = requests[0];
    EXPECT_EQ(r.method, "POST");
    EXPECT_EQ(r.target, "/status/200/upload/lc.asp?src=pq");
    EXPECT_EQ(r.version, "HTTP/1.1");
    EXPECT_EQ(r.Header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(r.Header("Host"), "127.0.0.1:" + std::to_string(loopback::Port()));
    EXPECT_EQ(r.Header("User-Agent"), "Pondrel");
    const std::string expected = "data=" + ToAnsi(text);
    EXPECT_EQ(r.body, expected);
    EXPECT_EQ(r.Header("Content-Length"), std::to_string(expected.size()));
    EXPECT_EQ(host_.Calls(), "CN");
}

TEST_F(HttpTest, PostIsFalseOnlyForStatus200) {
    struct Case {
        std::wstring logUrl;
        bool result;
    } cases[] = {
        {Url(L"/status/200/lc.asp"), false},
        {Url(L"/status/201/lc.asp"), true},
        {Url(L"/status/304/lc.asp"), true},
        {Url(L"/status/404/lc.asp"), true},
        {Url(L"/status/500/lc.asp"), true},
        {loopback::DeadUrl(L"/lc.asp"), true},
        {L"ftp://127.0.0.1/lc.asp", true},
        {L"", true},
    };
    for (auto& c : cases) {
        host_.logUrl = c.logUrl;
        EXPECT_EQ(HttpPostForm(L"a\tb"), c.result) << std::string(c.logUrl.begin(), c.logUrl.end());
    }
    EXPECT_EQ(loopback::Requests().size(), 5u);
    EXPECT_EQ(host_.Calls(), "CNCNCNCNCNCNCNCN");
}

TEST_F(HttpTest, HttpsLogUrlGetsASecureRequestOnItsPort) {
    host_.logUrl = L"https://127.0.0.1:" + std::to_wstring(loopback::Port()) + L"/status/200/lc.asp";
    EXPECT_TRUE(HttpPostForm(L"a\tb"));  // the loopback server speaks no TLS
    auto requests = loopback::Requests();
    ASSERT_FALSE(requests.empty());
    for (const auto& r : requests) EXPECT_EQ(r.method, "TLS-HANDSHAKE");
}

TEST_F(HttpTest, ClosedGateSendsNothingAndLeavesTheTrayAlone) {
    host_.logUrl = Url(L"/status/200/lc.asp");
    struct Case {
        const char* name;
        bool disabled, settingsLoaded, online, starting;
    } cases[] = {
        {"disabled", true, true, true, false},
        {"no settings", false, false, true, false},
        {"offline", false, true, false, false},
        {"starting", false, true, true, true},
    };
    for (auto& c : cases) {
        host_.disabled = c.disabled;
        host_.settingsLoaded = c.settingsLoaded;
        host_.online = c.online;
        host_.starting = c.starting;
        EXPECT_TRUE(HttpPostForm(L"a\tb")) << c.name;
    }
    EXPECT_TRUE(loopback::Requests().empty());
    EXPECT_EQ(host_.Calls(), "");
}

TEST_F(HttpTest, TheApplicationsFlagsAndLogUrlDriveThePost) {
    SetHttpHost(AppHttpHost());
    // The request reads the published log URL, never the member the
    // user-interface thread may be replacing.
    theApp.m_LogUrl = Url(L"/status/200/app/lc.asp");
    theApp.PublishSnapshot();
    theApp.m_LogUrl = Url(L"/status/200/not-published/lc.asp");
    struct Case {
        const char* name;
        bool disabled, settingsLoaded, online, starting;
        bool sent;
    } cases[] = {
        {"ready", false, true, true, false, true},
        {"disabled", true, true, true, false, false},
        {"no settings", false, false, true, false, false},
        {"offline", false, true, false, false, false},
        {"starting", false, true, true, true, false},
    };
    for (auto& c : cases) {
        loopback::Clear();
        theApp.m_Disabled = c.disabled;
        theApp.m_SettingsLoaded = c.settingsLoaded;
        theApp.m_Online = c.online;
        theApp.m_Starting = c.starting;
        EXPECT_EQ(HttpPostForm(L"x"), !c.sent) << c.name;
        auto requests = loopback::Requests();
        ASSERT_EQ(requests.size(), c.sent ? 1u : 0u) << c.name;
        if (c.sent) EXPECT_EQ(requests[0].target, "/status/200/app/lc.asp");
    }
}

// ------------------------------------------------------------ failures in the log

class HttpLogTest : public HttpTest {
protected:
    void SetUp() override {
        HttpTest::SetUp();
        ASSERT_TRUE(viewer_.Create());
        g_pLogger = Logger::Open();
        ASSERT_NE(g_pLogger, nullptr);
        viewer_.ReadNew();
    }
    void TearDown() override {
        delete g_pLogger;
        g_pLogger = nullptr;
        HttpTest::TearDown();
    }
    // The lines logged since the last call, each expected to carry the prefix.
    std::vector<std::wstring> NewLines() {
        auto lines = viewer_.ReadNew();
        for (const auto& l : lines) EXPECT_EQ(l.rfind(L"(Pondrel) ", 0), 0u) << std::string(l.begin(), l.end());
        return lines;
    }
    static bool Has(const std::wstring& line, const std::wstring& part) { return line.find(part) != std::wstring::npos; }

    ViewerLog viewer_;
};

TEST_F(HttpLogTest, EachFailureIsOneLogLine) {
    int count = 0;
    struct Case {
        std::function<void()> call;
        const wchar_t* routine;
        const wchar_t* detail;
    } cases[] = {
        {[&] { HttpGetToMemory(Url(L"/status/404"), &count); }, L"HttpGetToMemory failed", L"404"},
        {[&] { HttpGetToFile(Url(L"/truncate/10/bytes/100"), dir_ + L"\\x"); }, L"HttpGetToFile failed", L"100"},
        {[&] { HttpGetToFile(loopback::DeadUrl(L"/x"), dir_ + L"\\x"); }, L"HttpGetToFile failed", L"/x"},
        {[&] { host_.logUrl = Url(L"/status/500/lc.asp"); HttpPostForm(L"x"); }, L"HttpPostForm failed", L"500"},
        {[&] { host_.logUrl = loopback::DeadUrl(L"/lc.asp"); HttpPostForm(L"x"); }, L"HttpPostForm failed",
         L"/lc.asp"},
        {[&] { HttpGetToMemory(Url(L"/status/404/" + std::wstring(400, L'a')), &count); },
         L"HttpGetToMemory failed", L"404"},
        {[&] { HttpGetToMemory(Url(L"/bytes/5000"), &count, 4096); }, L"HttpGetToMemory failed",
         L"larger than 4096"},
        {[&] { HttpGetToMemory(Url(L"/chunked/bytes/5000"), &count, 4096); }, L"HttpGetToMemory failed",
         L"larger than 4096"},
    };
    for (auto& c : cases) {
        c.call();
        auto lines = NewLines();
        ASSERT_EQ(lines.size(), 1u) << std::string(c.routine, c.routine + wcslen(c.routine));
        EXPECT_TRUE(Has(lines[0], c.routine)) << std::string(lines[0].begin(), lines[0].end());
        EXPECT_TRUE(Has(lines[0], c.detail)) << std::string(lines[0].begin(), lines[0].end());
        // The text after the prefix's time stamp is at most 254 characters.
        size_t text = lines[0].find(L"\t ");
        ASSERT_NE(text, std::wstring::npos);
        EXPECT_LE(lines[0].size() - (text + 2), 254u);
    }
    // Successes log nothing.
    HttpGetToMemory(Url(L"/bytes/10"), &count);
    host_.logUrl = Url(L"/status/200/lc.asp");
    HttpPostForm(L"x");
    EXPECT_TRUE(NewLines().empty());
}

// A server that drips its answer (a byte every 500 ms, 15 s in all) lets no
// per-call time-out pass; the host's deadline for the calling thread ends
// each request there, failed as any broken answer: nothing delivered, the
// old file kept and no partial one, the tray's look back, one log line.
// Answers that come whole within the deadline, or without one, are taken.
TEST_F(HttpLogTest, ADrippingServerIsEndedByTheRequestsDeadline) {
    const std::wstring target = dir_ + L"\\x.xml";
    WriteFileBytes(target, "old");
    const std::wstring dripping = Url(L"/drip/500/bytes/30");
    int count = -1;
    struct Case {
        const char* name;
        std::function<bool()> failed;
        const wchar_t* routine;
    } cases[] = {
        {"into memory", [&] { return !HttpGetToMemory(dripping, &count); }, L"HttpGetToMemory failed: "},
        {"into a file", [&] { return !HttpGetToFile(dripping, target); }, L"HttpGetToFile failed: "},
        {"the form's answer",
         [&] {
             host_.logUrl = dripping;
             return HttpPostForm(L"x");
         },
         L"HttpPostForm failed: "},
    };
    host_.deadlineMs = 1500;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string before = host_.Calls();
        EXPECT_TRUE(c.failed()) << "the whole answer came";
        const std::string calls = host_.Calls().substr(before.size());
        EXPECT_EQ(calls.substr(0, 1), "C");
        EXPECT_EQ(calls.substr(calls.size() - 1), "N") << "the normal look is back";
        auto lines = NewLines();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_TRUE(Has(lines[0], std::wstring(c.routine) + L"no whole answer within the deadline of 1500 ms"))
            << std::string(lines[0].begin(), lines[0].end());
    }
    EXPECT_EQ(count, -1);
    EXPECT_EQ(ReadFileBytes(target), "old");
    EXPECT_EQ(DirFiles(), std::vector<std::wstring>{L"x.xml"}) << "no partial file";

    const std::wstring quick = Url(L"/drip/20/bytes/20");
    for (DWORD deadline : {10000u, 0u}) {
        host_.deadlineMs = deadline;
        count = -1;
        std::unique_ptr<char[]> body = HttpGetToMemory(quick, &count);
        ASSERT_TRUE(body) << deadline;
        EXPECT_EQ(std::string(body.get(), count), PatternBytes(20));
    }
    EXPECT_TRUE(NewLines().empty());
}

// ------------------------------------------------------------ JPEG encoder, encoding

TEST(JpegEncoder, FoundAmongTheGdiplusEncoders) {
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    ASSERT_EQ(Gdiplus::GdiplusStartup(&token, &input, nullptr), Gdiplus::Ok);
    CLSID clsid{};
    int index = GetJpegEncoderClsid(&clsid);
    // {557CF401-1A04-11D3-9A73-0000F81EF32E}, the JPEG encoder.
    const CLSID jpeg = {0x557CF401, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
    EXPECT_GE(index, 0);
    EXPECT_TRUE(IsEqualCLSID(clsid, jpeg));
    Gdiplus::GdiplusShutdown(token);
}

TEST(UrlEncode, MainProgramUsesTheOneRule) {
    EXPECT_EQ(UrlEncodeUtf8(L"a b\x00e9"), L"%61%20%62%c3%a9");
}

}  // namespace
