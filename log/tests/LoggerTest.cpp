#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <map>
#include <regex>
#include <string>
#include <thread>

#include "TestSupport.h"
#include "ViewerLog.h"
#include "log/Logger.h"
#include "log/PondrelLog.h"

namespace {

int32_t IntAt(const unsigned char* base, int offset) {
    int32_t v;
    std::memcpy(&v, base + offset, 4);
    return v;
}

std::wstring TextAt(const unsigned char* base, int offset) {
    return std::wstring(reinterpret_cast<const wchar_t*>(base + offset));
}

class LoggerTest : public testing::Test {
protected:
    void TearDown() override {
        delete g_pLogger;
        g_pLogger = nullptr;
    }
    void Attach() {
        g_pLogger = Logger::Open();
        ASSERT_NE(g_pLogger, nullptr);
        ASSERT_TRUE(g_pLogger->IsAttached());
    }
    ViewerLog viewer;
};

TEST_F(LoggerTest, TwoLinesIntoAFreshLogLeaveTheDocumentedBytes) {
    ASSERT_TRUE(viewer.Create());
    Attach();
    LogMessage(L"a");
    LogMessage(L"bc");
    const unsigned char* v = viewer.view();
    EXPECT_EQ(IntAt(v, 0), 122);
    EXPECT_EQ(IntAt(v, 104), 112);
    EXPECT_EQ(TextAt(v, 108), L"a");
    EXPECT_EQ(IntAt(v, 112), 122);
    EXPECT_EQ(TextAt(v, 116), L"bc");
    EXPECT_EQ(IntAt(v, 122), 0);
    EXPECT_EQ(viewer.ReadAll(), (std::vector<std::wstring>{L"a", L"bc"}));
}

TEST_F(LoggerTest, NoMappingAtOpenMeansNoLogEvenAfterAViewerStarts) {
    EXPECT_EQ(Logger::Open(), nullptr);
    ASSERT_TRUE(viewer.Create());
    LogMessage(L"lost");
    LogLine(L"lost too");
    EXPECT_EQ(viewer.WriteOffset(), 104);
    EXPECT_TRUE(viewer.ReadAll().empty());
}

TEST_F(LoggerTest, WithoutTheViewerWindowNothingIsAppendedNorCarriedOver) {
    ASSERT_TRUE(viewer.Create());
    Attach();
    viewer.CloseWindow();
    LogMessage(L"while closed");
    EXPECT_EQ(viewer.WriteOffset(), 104);
    ASSERT_TRUE(viewer.OpenWindow());
    LogMessage(L"after");
    EXPECT_EQ(viewer.ReadAll(), (std::vector<std::wstring>{L"after"}));
}

// The viewer window vanishes after the line was formatted and before it is
// flushed: the line is lost, and it is not carried into the next one.
ViewerLog* g_closing = nullptr;
void CloseTheViewerWindow() { g_closing->CloseWindow(); }

TEST_F(LoggerTest, ALineFormattedWhenTheViewerVanishesIsNotCarriedIntoTheNext) {
    ASSERT_TRUE(viewer.Create());
    Attach();
    g_closing = &viewer;
    logseam::beforeFlush = &CloseTheViewerWindow;
    LogMessage(L"formatted, never flushed");
    logseam::beforeFlush = nullptr;
    EXPECT_EQ(viewer.WriteOffset(), 104);
    ASSERT_TRUE(viewer.OpenWindow());
    LogMessage(L"after");
    EXPECT_EQ(viewer.ReadAll(), (std::vector<std::wstring>{L"after"}));
}

// The viewer's title fills all 50 characters of the header with no
// terminator; the record area follows it.  The module's copy stops at 50
// characters and still finds the viewer's window.
TEST_F(LoggerTest, AnUnterminatedViewerTitleIsCopiedToItsFiftyCharacters) {
    const std::wstring title(50, L'T');
    ASSERT_TRUE(viewer.Create(title.c_str()));
    unsigned char* v = viewer.view();
    {
        fx::MutexLock lock(viewer.mutex(), 10000);
        ASSERT_TRUE(lock.acquired());
        reinterpret_cast<wchar_t*>(v + 4)[49] = L'T';
        const wchar_t after[2] = {L'X', 0};  // what follows the title: not part of it
        std::memcpy(v + 104, after, sizeof after);
        const int32_t at = 112, end = 0;
        std::memcpy(v, &at, 4);
        std::memcpy(v + 112, &end, 4);
    }
    Attach();
    LogMessage(L"found");
    EXPECT_EQ(IntAt(v, 0), 112 + 4 + 2 * 6);
    EXPECT_EQ(IntAt(v, 112), 112 + 4 + 2 * 6);
    EXPECT_EQ(TextAt(v, 116), L"found");
}

// A writer that died holding the log's mutex leaves it abandoned: the next
// wait gets it with WAIT_ABANDONED, and that counts as having it.
TEST_F(LoggerTest, AMutexAbandonedByADeadWriterIsTakenOver) {
    ASSERT_TRUE(viewer.Create());
    Attach();
    bool held = false;
    std::thread dying([&] {
        HANDLE m = ::OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, SharedLog::kMutexName);
        held = m && ::WaitForSingleObject(m, 5000) == WAIT_OBJECT_0;
        if (m) ::CloseHandle(m);  // ends without releasing it
    });
    dying.join();
    ASSERT_TRUE(held);
    LogMessage(L"after the writer died");
    LogMessage(L"and the next");
    EXPECT_EQ(viewer.ReadAll(), (std::vector<std::wstring>{L"after the writer died", L"and the next"}));
}

// A writer that hangs holding the log's mutex: a line that cannot get it
// within its bound is dropped instead of waiting, and once the mutex is free
// again lines are written as before.
TEST_F(LoggerTest, ALineThatCannotGetTheMutexIsDropped) {
    ASSERT_TRUE(viewer.Create());
    Attach();
    fx::UniqueHandle held(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    fx::UniqueHandle release(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::thread hung([&] {
        HANDLE m = ::OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, SharedLog::kMutexName);
        if (m && ::WaitForSingleObject(m, 5000) == WAIT_OBJECT_0) {
            ::SetEvent(held.get());
            ::WaitForSingleObject(release.get(), 20000);
            ::ReleaseMutex(m);
        }
        if (m) ::CloseHandle(m);
    });
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(held.get(), 5000));
    LogMessage(L"while the mutex is held");
    LogMessage(L"and again");
    ::SetEvent(release.get());
    hung.join();
    LogMessage(L"after");
    EXPECT_EQ(viewer.ReadAll(), (std::vector<std::wstring>{L"after"}));
}

TEST_F(LoggerTest, WideFormatsFollowTheMicrosoftConvention) {
    ASSERT_TRUE(viewer.Create());
    Attach();
    LogMessage(L"(%s) %s %d %S", L"HXIE", L"wide", 42, "narrow");
    EXPECT_EQ(viewer.ReadAll(), (std::vector<std::wstring>{L"(HXIE) wide 42 narrow"}));
}

TEST_F(LoggerTest, OverLongTextIsCutAt9999Characters) {
    ASSERT_TRUE(viewer.Create());
    Attach();
    std::wstring big(20000, L'x');
    LogMessage(L"%s", big.c_str());
    LogMessage(big.c_str());
    LogMessage(L"next");
    auto lines = viewer.ReadAll();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], std::wstring(9999, L'x'));
    EXPECT_EQ(lines[1], std::wstring(9999, L'x'));
    EXPECT_EQ(lines[2], L"next");
}

TEST_F(LoggerTest, MainProgramLinesCarryThePrefixAndTimeStamp) {
    ASSERT_TRUE(viewer.Create());
    Attach();
    LogLine(L"hello 100% sure");
    LogVersionNumber(7);
    LogWithPrefix(L"Settings loaded from: %s", L"http://x/");
    auto lines = viewer.ReadAll();
    ASSERT_EQ(lines.size(), 3u);
    const std::wstring stamp = L"\\(Pondrel\\) \\d{4}/\\d{2}/\\d{2} \\d{2}:\\d{2}:\\d{2}:\\d{3} \t ";
    EXPECT_TRUE(std::regex_match(lines[0], std::wregex(stamp + L"hello 100% sure"))) << lines[0].c_str();
    EXPECT_TRUE(std::regex_match(lines[1], std::wregex(stamp + L"1\\.07")));
    EXPECT_TRUE(std::regex_match(lines[2], std::wregex(stamp + L"Settings loaded from: http://x/")));
}

TEST_F(LoggerTest, LogVersionReadsTheModulesVersionResource) {
    ASSERT_TRUE(viewer.Create());
    Attach();
    g_pLogger->LogVersion(L"LogTest");
    EXPECT_EQ(viewer.ReadAll(), (std::vector<std::wstring>{L"(LogTest) 1, 2, 3, 4 - RELEASE"}));
}

TEST_F(LoggerTest, ANearlyFullLogDropsWhatDoesNotFitAndKeepsLogging) {
    ASSERT_TRUE(viewer.Create(L"LogViewer", 4096));
    Attach();
    std::wstring line(1000, L'y');  // 2006 bytes a record
    LogMessage(line.c_str());       // 104 -> 2110
    LogMessage(line.c_str());       // needs 4120 > 4096: dropped
    EXPECT_EQ(viewer.WriteOffset(), 2110);
    LogMessage(L"short");                                 // fits
    std::wstring exact((4096 - 2126 - 4 - 6) / 2, L'z');  // ends exactly at the view's end
    LogMessage(exact.c_str());
    EXPECT_EQ(viewer.WriteOffset(), 4096 - 4);
    LogMessage(L"");  // 6 + 4 bytes do not fit any more
    auto lines = viewer.ReadAll();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], L"short");
    EXPECT_EQ(lines[2], exact);
    EXPECT_EQ(IntAt(viewer.view(), 4096 - 4), 0);
}

TEST_F(LoggerTest, AHostileWriteOffsetNeverLeadsOutsideTheView) {
    ASSERT_TRUE(viewer.Create(L"LogViewer", 8192));
    Attach();
    for (int32_t bad : {-5, 0, 50, 103, 8190, 8192, 0x7ffffff0, static_cast<int32_t>(0x80000000)}) {
        viewer.SetWriteOffset(bad);
        LogMessage(L"must not land");
        EXPECT_EQ(viewer.WriteOffset(), bad);
    }
    viewer.SetWriteOffset(104);
    LogMessage(L"lands");
    EXPECT_EQ(viewer.ReadAll(), (std::vector<std::wstring>{L"lands"}));
}

TEST_F(LoggerTest, TwoProcessesWithSeveralThreadsNeverTearALine) {
    ASSERT_TRUE(viewer.Create());
    const int kThreads = 4, kLines = 150;
    testsupport::Child a, b;
    ASSERT_TRUE(a.Start(LOGWRITER_EXE, {L"A", std::to_wstring(kThreads), std::to_wstring(kLines)}));
    ASSERT_TRUE(b.Start(LOGWRITER_EXE, {L"B", std::to_wstring(kThreads), std::to_wstring(kLines)}));
    DWORD codeA = 99, codeB = 99;
    ASSERT_TRUE(a.Wait(60000, &codeA));
    ASSERT_TRUE(b.Wait(60000, &codeB));
    EXPECT_EQ(codeA, 0u);
    EXPECT_EQ(codeB, 0u);

    std::map<std::wstring, int> seen;
    for (const auto& l : viewer.ReadAll()) ++seen[l];
    EXPECT_EQ(seen.size(), static_cast<size_t>(2 * kThreads * kLines));
    for (const wchar_t* tag : {L"A", L"B"})
        for (int t = 0; t < kThreads; ++t)
            for (int i = 0; i < kLines; ++i) {
                wchar_t expect[200];
                _snwprintf(expect, 199, L"(%s) thread %d line %d %s", tag, t, i,
                           L"some text long enough to make a torn record visible");
                expect[199] = 0;
                EXPECT_EQ(seen[expect], 1) << "missing or repeated line";
            }
}

}  // namespace
