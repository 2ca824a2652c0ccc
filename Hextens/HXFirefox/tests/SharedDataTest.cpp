// The channel as the enhancer uses it, with this test (or a second process)
// playing the extension.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <thread>

#include "ChannelLayout.h"
#include "SharedData.h"
#include "fx/Handle.h"
#include "TestSupport.h"

using namespace ffchannel;

namespace {

using testsupport::ReadAll;
using testsupport::TempFile;
using testsupport::WriteAll;

// The extension's view of the block, opened by name.
class ExtensionView {
public:
    ExtensionView()
        : mapping_(::OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, kMappingName)),
          view_(mapping_ ? ::MapViewOfFile(mapping_.get(), FILE_MAP_ALL_ACCESS, 0, 0, kBlockSize) : nullptr) {}
    ChannelBlock* operator->() const { return static_cast<ChannelBlock*>(view_.get()); }
    ChannelBlock& block() const { return *static_cast<ChannelBlock*>(view_.get()); }
    unsigned char* bytes() const { return view_.bytes(); }
    explicit operator bool() const { return bool(view_); }

private:
    fx::UniqueHandle mapping_;
    fx::MappedView view_;
};

void PutText(char16_t* field, const std::u16string& s) { std::memcpy(field, s.c_str(), 2 * (s.size() + 1)); }

// Another thread holds the channel's lock from the holder's making until
// Release (or its end), as an extension busy inside the block does.
class LockHolder {
public:
    explicit LockHolder(HANDLE mutex) : thread_([this, mutex] { Hold(mutex); }) {
        ::WaitForSingleObject(held_.get(), 5000);
    }
    ~LockHolder() { Release(); }
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;
    void Release() {
        ::SetEvent(done_.get());
        if (thread_.joinable()) thread_.join();
    }

private:
    void Hold(HANDLE mutex) {
        ::WaitForSingleObject(mutex, 1000);
        ::SetEvent(held_.get());
        ::WaitForSingleObject(done_.get(), 5000);
        ::ReleaseMutex(mutex);
    }
    fx::UniqueHandle held_{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    fx::UniqueHandle done_{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::thread thread_;
};

class ChannelTest : public ::testing::Test {
protected:
    void SetUp() override {
        channel = CreateFirefoxChannel();
        ASSERT_TRUE(channel);
        view = std::make_unique<ExtensionView>();
        ASSERT_TRUE(*view);
    }
    std::unique_ptr<SharedData> channel;
    std::unique_ptr<ExtensionView> view;
    ExtensionView& ext() { return *view; }
};

}  // namespace

TEST_F(ChannelTest, EveryFieldAtItsOffsetFromASecondProcess) {
    channel->MarkInitialised();
    ASSERT_TRUE(channel->AddSiteString(L"alpha"));
    ASSERT_TRUE(channel->AddSiteString(L"beta"));
    ASSERT_TRUE(channel->SetNavigate(reinterpret_cast<HWND>(0x1234), L"http://ex.com/caf\u00e9", 7));

    testsupport::Child probe;
    ASSERT_TRUE(probe.Start(CHANNEL_PROBE_EXE, {}));
    EXPECT_TRUE(channel->RequestUpdate(111, 222));
    DWORD code = 99;
    ASSERT_TRUE(probe.Wait(10000, &code));
    EXPECT_EQ(0u, code) << "the probe found a field off its offset (see its output)";
    EXPECT_EQ(0, ext()->updateRequested);

    wchar_t text[kPageTextChars] = L"";
    EXPECT_TRUE(channel->ReadLocation(text));
    EXPECT_STREQ(L"https://ex.com/page", text);
    EXPECT_TRUE(channel->ReadDomain(text));
    EXPECT_STREQ(L"ex.com", text);
    EXPECT_TRUE(channel->ReadTitle(text));
    EXPECT_STREQ(L"A page", text);
    EXPECT_TRUE(channel->PageChanged());
    EXPECT_TRUE(channel->SelectionChanged());
    EXPECT_TRUE(channel->HotSpotsChanged());

    auto sel = std::make_unique<SelectionData>();
    ASSERT_EQ(2, channel->ReadSelection(*sel));
    EXPECT_STREQ(L"one\ttwo", sel->text);
    EXPECT_EQ(1, sel->rectCounts[0]);
    EXPECT_EQ(2, sel->rectCounts[1]);
    ASSERT_EQ(3, sel->rectTotal);
    EXPECT_EQ(1, sel->rects[0].left);
    EXPECT_EQ(8, sel->rects[1].bottom);
    EXPECT_EQ(11, sel->rects[2].right);
    EXPECT_FALSE(channel->SelectionChanged());

    auto hot = std::make_unique<HotSpotData>();
    ASSERT_EQ(1, channel->ReadHotSpots(*hot));
    EXPECT_STREQ(L"link", hot->texts);
    EXPECT_STREQ(L"http://ex.com/l", hot->hrefs);
    EXPECT_STREQ(L"a\nb", hot->ids);
    EXPECT_EQ(20, hot->rects[0].left);
    EXPECT_EQ(50, hot->rects[0].bottom);
    EXPECT_FALSE(channel->HotSpotsChanged());

    channel->ClearPageChanged();
    EXPECT_FALSE(channel->PageChanged());

    wchar_t log[4096];
    EXPECT_EQ(18, channel->ReadExtensionLog(log, 4096));
    EXPECT_STREQ(L"line one\nline two\n", log);
    EXPECT_EQ(0, ext()->extensionLog[0]);
}

TEST_F(ChannelTest, CreatorModeLaysTheBlockOutAfresh) {
    ext()->hotSpotCount = 5;
    ext()->selectionCount = 3;
    ext()->pageChanged = 1;
    PutText(ext()->location, u"stale");
    ext()->siteStringCount = 9;
    channel->MarkAbsent();
    channel->Reinitialise();
    EXPECT_EQ(1, ext()->enhancerPresent);
    EXPECT_EQ(0, ext()->enhancerInitialised);
    EXPECT_EQ(0, ext()->hotSpotCount);
    EXPECT_EQ(0, ext()->selectionCount);
    EXPECT_EQ(0, ext()->pageChanged);
    EXPECT_EQ(0, ext()->location[0]);
    EXPECT_EQ(0, ext()->siteStringCount);
    channel->MarkInitialised();
    EXPECT_EQ(1, ext()->enhancerInitialised);
    channel->MarkAbsentWithoutWaiting();
    EXPECT_EQ(0, ext()->enhancerPresent);
}

TEST_F(ChannelTest, UnansweredRequestTimesOutAndIsWithdrawn) {
    DWORD start = ::GetTickCount();
    EXPECT_FALSE(channel->RequestUpdate(5, 6));
    DWORD took = ::GetTickCount() - start;
    EXPECT_GE(took, 450u);
    EXPECT_EQ(0, ext()->updateRequested);
    EXPECT_EQ(5, ext()->cursorX);
}

TEST_F(ChannelTest, AnAnswerGivenAtOnceIsNotLost) {
    // A stale answer from before the request does not count ...
    ::SetEvent(channel->updateEvent());
    // ... and an extension answering the instant the flag rises is seen.
    std::thread extension([&] {
        DWORD start = ::GetTickCount();
        while (ext()->updateRequested == 0 && ::GetTickCount() - start < 5000) ::Sleep(0);
        ::SetEvent(channel->updateEvent());
    });
    EXPECT_TRUE(channel->RequestUpdate(1, 2));
    extension.join();
}

TEST_F(ChannelTest, AbandonedLockIsTakenOverAndReleased) {
    std::thread dying([&] { ::WaitForSingleObject(channel->mutex(), 1000); });  // ends holding it
    dying.join();
    PutText(ext()->title, u"after");
    wchar_t title[kPageTextChars] = L"";
    EXPECT_TRUE(channel->ReadTitle(title));
    EXPECT_STREQ(L"after", title);
    // Released again: another thread takes it at once.
    DWORD r = 0;
    std::thread other([&] {
        r = ::WaitForSingleObject(channel->mutex(), 0);
        if (r == WAIT_OBJECT_0) ::ReleaseMutex(channel->mutex());
    });
    other.join();
    EXPECT_EQ(WAIT_OBJECT_0, r);
}

TEST_F(ChannelTest, HeldLockSkipsTheAccessAfterItsWait) {
    LockHolder holder(channel->mutex());
    PutText(ext()->location, u"new");
    wchar_t location[kPageTextChars] = L"old";
    DWORD start = ::GetTickCount();
    EXPECT_FALSE(channel->ReadLocation(location));
    EXPECT_GE(::GetTickCount() - start, 950u);
    EXPECT_STREQ(L"old", location);
    EXPECT_FALSE(channel->AddSiteString(L"x"));
}

// A lock wait that ran out makes the channel silent: later accesses wait
// 0 ms (and still take a free lock) until the extension answers again.
TEST_F(ChannelTest, ALockWaitThatRanOutSilencesTheWaitsUntilAnAnswer) {
    LockHolder holder(channel->mutex());
    EXPECT_EQ(kLockWaitMs, channel->LockWaitMs());
    wchar_t title[kPageTextChars] = L"";
    EXPECT_FALSE(channel->ReadTitle(title));
    EXPECT_TRUE(channel->Silent());
    EXPECT_EQ(0u, channel->LockWaitMs());
    EXPECT_FALSE(channel->RequestAnswer(1, 2)) << "a request that cannot be raised is not waited for";
    EXPECT_EQ(0, ext()->updateRequested);
    holder.Release();

    // The lock is free again: taken without waiting, the channel still silent.
    EXPECT_TRUE(channel->AddSiteString(L"ex.com"));
    EXPECT_TRUE(channel->Silent());
    channel->RaiseRequest(3, 4);
    EXPECT_FALSE(channel->AnswerArrived());
    EXPECT_TRUE(channel->Silent());
    ::SetEvent(channel->updateEvent());  // the extension answers
    EXPECT_TRUE(channel->AnswerArrived());
    EXPECT_FALSE(channel->Silent());
    EXPECT_EQ(kLockWaitMs, channel->LockWaitMs());

    // An unanswered request silences it too; a fresh layout ends that.
    channel->MarkUnanswered();
    EXPECT_TRUE(channel->Silent());
    channel->Reinitialise();
    EXPECT_FALSE(channel->Silent());
}

// A poll's one access: the block copied, the request lowered or kept, the
// page flag cleared, the log emptied, and the selection and hot-spot flags
// cleared only for an answer whose data passes the checks.
TEST_F(ChannelTest, TakePollCopiesTheBlockAndClearsWhatItTook) {
    struct Case {
        const char* name;
        PollTake take;
        bool selectionFlag, hotSpotsFlag;  // set by the extension before
        int32_t selectionCount, hotSpotCount;
        uint8_t requestAfter, selectionFlagAfter, hotSpotsFlagAfter;
    };
    const Case cases[] = {
        {"answered, both changed", {true, false, false}, true, true, 1, 1, 0, 0, 0},
        {"answered, nothing flagged", {true, false, false}, false, false, 1, 1, 0, 0, 0},
        {"answered, selection wanted", {true, true, false}, false, false, 1, 1, 0, 0, 0},
        {"answered, refused data", {true, true, false}, true, true, 33, 101, 0, 1, 1},
        {"unanswered", {false, false, true}, true, true, 1, 1, 1, 1, 1},
        {"not answered, request lowered", {false, false, false}, true, true, 1, 1, 0, 1, 1},
    };
    auto copy = std::make_unique<ChannelBlock>();
    for (const Case& c : cases) {
        ext()->updateRequested = 1;
        ext()->pageChanged = 1;
        ext()->selectionChanged = c.selectionFlag;
        ext()->hotSpotsChanged = c.hotSpotsFlag;
        ext()->selectionCount = c.selectionCount;
        ext()->selectionRectCounts[0] = 1;
        PutText(ext()->selectionText, u"word");
        ext()->hotSpotCount = c.hotSpotCount;
        PutText(ext()->hotSpotTexts, u"link");
        PutText(ext()->hotSpotHrefs, u"http://ex.com/");
        PutText(ext()->hotSpotIds, u"");
        PutText(ext()->title, u"A title");
        std::memcpy(ext()->extensionLog, "a line\n", 8);
        std::memset(copy.get(), 0xAB, sizeof *copy);
        ASSERT_TRUE(channel->TakePoll(c.take, *copy)) << c.name;
        EXPECT_EQ(0, std::memcmp(copy->title, u"A title", 16)) << c.name;
        EXPECT_EQ(1, copy->pageChanged) << c.name << ": the copy is the block as found";
        EXPECT_EQ(c.selectionFlag, copy->selectionChanged != 0) << c.name;
        EXPECT_EQ(c.requestAfter, ext()->updateRequested) << c.name;
        EXPECT_EQ(0, ext()->pageChanged) << c.name;
        EXPECT_EQ(0, ext()->extensionLog[0]) << c.name;
        EXPECT_EQ(c.selectionFlagAfter, ext()->selectionChanged) << c.name;
        EXPECT_EQ(c.hotSpotsFlagAfter, ext()->hotSpotsChanged) << c.name;

        wchar_t log[16];
        EXPECT_EQ(7, CopyExtensionLog(*copy, log, 16)) << c.name;
        auto sel = std::make_unique<SelectionData>();
        auto hot = std::make_unique<HotSpotData>();
        const bool refused = c.selectionCount > kMaxSelectionPieces;
        EXPECT_EQ(refused ? 0 : 1, CopySelection(*copy, *sel)) << c.name;
        EXPECT_EQ(refused ? 0 : 1, CopyHotSpots(*copy, *hot)) << c.name;
        if (!refused) {
            EXPECT_STREQ(L"word", sel->text) << c.name;
            EXPECT_STREQ(L"http://ex.com/", hot->hrefs) << c.name;
        }
    }
}

TEST_F(ChannelTest, PageTextsLongerThan255AreRefused) {
    wchar_t location[kPageTextChars] = L"kept";
    std::u16string ok(255, u'a');
    PutText(ext()->location, ok);
    EXPECT_TRUE(channel->ReadLocation(location));
    EXPECT_EQ(255u, wcslen(location));
    std::memset(location, 0, sizeof location);
    wcscpy(location, L"kept");
    for (auto& c : ext()->location) c = u'b';  // no terminator in the field
    EXPECT_FALSE(channel->ReadLocation(location));
    EXPECT_STREQ(L"kept", location);
}

TEST_F(ChannelTest, RefusedSelectionAndHotSpotsGiveNothingAndKeepTheFlag) {
    auto sel = std::make_unique<SelectionData>();
    ext()->selectionChanged = 1;
    ext()->selectionCount = 33;
    PutText(ext()->selectionText, u"x");
    EXPECT_EQ(0, channel->ReadSelection(*sel));
    EXPECT_EQ(1, ext()->selectionChanged);
    ext()->selectionCount = 1;
    ext()->selectionRectCounts[0] = 101;
    EXPECT_EQ(0, channel->ReadSelection(*sel));
    ext()->selectionRectCounts[0] = 1;
    for (auto& c : ext()->selectionText) c = u'y';
    EXPECT_EQ(0, channel->ReadSelection(*sel));
    EXPECT_EQ(1, ext()->selectionChanged);

    auto hot = std::make_unique<HotSpotData>();
    ext()->hotSpotsChanged = 1;
    ext()->hotSpotCount = -1;
    EXPECT_EQ(0, channel->ReadHotSpots(*hot));
    ext()->hotSpotCount = 1;
    for (auto& c : ext()->hotSpotIds) c = u'z';
    EXPECT_EQ(0, channel->ReadHotSpots(*hot));
    EXPECT_EQ(1, ext()->hotSpotsChanged);
}

TEST_F(ChannelTest, SiteStringsFillThePoolAndGarbageIsRefused) {
    ASSERT_TRUE(channel->AddSiteString(L"first"));
    std::wstring big(4090, L'x');  // 12 + 8180 + 2 >= 8192: dropped
    EXPECT_FALSE(channel->AddSiteString(big.c_str()));
    EXPECT_TRUE(channel->AddSiteString(L"second"));
    EXPECT_EQ(2, ext()->siteStringCount);
    EXPECT_EQ(12, ext()->siteStringOffsets[1].offset);
    EXPECT_EQ(0, std::memcmp(ext()->siteStringPool + 6, u"second", 14));

    ext()->siteStringNext = 0xDEADBEEF;  // the extension scribbled on it
    EXPECT_FALSE(channel->AddSiteString(L"third"));
    channel->Reinitialise();
    ext()->siteStringCount = 256;
    EXPECT_FALSE(channel->AddSiteString(L"third"));
    ext()->siteStringCount = -4;
    EXPECT_FALSE(channel->AddSiteString(L"third"));
}

TEST_F(ChannelTest, NavigationIsWrittenOnlyWhenItFits) {
    std::wstring tooLong = L"http://" + std::wstring(249, L'a');  // 256 characters
    EXPECT_FALSE(channel->SetNavigate(reinterpret_cast<HWND>(0x42), tooLong.c_str(), 1));
    EXPECT_EQ(0, ext()->navigateUrl[0]);
    EXPECT_EQ(0u, ext()->navigateWindow);
    std::wstring fits = tooLong.substr(0, 255);
    EXPECT_TRUE(channel->SetNavigate(reinterpret_cast<HWND>(0x42), fits.c_str(), 3));
    EXPECT_EQ(255u, strlen(ext()->navigateUrl));
    EXPECT_EQ(0x42u, ext()->navigateWindow);
    EXPECT_EQ(3, ext()->navigateFlags);
}

TEST_F(ChannelTest, ExtensionLogIsBoundedToItsBuffer) {
    std::memset(ext()->extensionLog, 'q', sizeof ext()->extensionLog);  // no terminator
    wchar_t log[4096];
    EXPECT_EQ(4095, channel->ReadExtensionLog(log, 4096));
    EXPECT_EQ(0, ext()->extensionLog[0]);
    EXPECT_EQ(0, channel->ReadExtensionLog(log, 4096));
    EXPECT_STREQ(L"", log);
}

// Random bytes written over the whole block, without the lock, while the
// enhancer reads: nothing is read outside the block, nothing crashes.
TEST_F(ChannelTest, RandomBytesInTheBlockNeverBreakTheReads) {
    std::atomic<bool> stop{false};
    std::atomic<long> scribbles{0};
    std::thread hostile([&] {
        std::mt19937 rng(12345);
        std::uniform_int_distribution<uint32_t> at(0, kBlockSize - 1);
        while (!stop) {
            for (int i = 0; i < 512; ++i) ext().bytes()[at(rng)] = static_cast<unsigned char>(rng());
            // Now and then a field pushed to its worst value.
            ext()->selectionCount = static_cast<int32_t>(rng());
            ext()->hotSpotCount = static_cast<int32_t>(rng() % 202) - 50;
            ext()->siteStringNext = rng();
            ++scribbles;
            ::Sleep(0);
        }
    });
    auto sel = std::make_unique<SelectionData>();
    auto hot = std::make_unique<HotSpotData>();
    wchar_t text[kPageTextChars];
    wchar_t log[4096];
    long polls = 0;
    DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < 2000) {
        channel->ReadLocation(text);
        channel->ReadDomain(text);
        channel->ReadTitle(text);
        int n = channel->ReadSelection(*sel);
        EXPECT_LE(n, kMaxSelectionPieces);
        EXPECT_LE(sel->rectTotal, kMaxSelectionRects);
        EXPECT_LE(channel->ReadHotSpots(*hot), kMaxHotSpots);
        channel->ReadExtensionLog(log, 4096);
        channel->AddSiteString(L"site");
        ++polls;
    }
    stop = true;
    hostile.join();
    std::printf("random-bytes run: %ld read rounds, %ld scribble rounds\n", polls, (long)scribbles);
}

namespace {

std::wstring W(const std::string& s) { return std::wstring(s.begin(), s.end()); }

}  // namespace

TEST_F(ChannelTest, StandInExtensionAnswersAndTakesRequests) {
    std::string script = TempFile("ffext_channel_script.txt"), report = TempFile("ffext_channel_report.txt");
    WriteAll(script, "location https://ex.com/p\ndomain ex.com\ntitle T\npiece one|1,2,3,4\n");
    ASSERT_TRUE(channel->AddSiteString(L"ex.com"));
    testsupport::Child ext;
    ASSERT_TRUE(ext.Start(FIREFOX_EXT_EXE, {L"--script", W(script), L"--report", W(report), L"--run-ms", L"20000"}));
    ASSERT_TRUE(testsupport::WaitFor([&] { return ReadAll(report).find("ready") != std::string::npos; }, 10000));
    ASSERT_TRUE(channel->RequestUpdate(7, 8));
    auto sel = std::make_unique<SelectionData>();
    EXPECT_EQ(1, channel->ReadSelection(*sel));
    EXPECT_STREQ(L"one", sel->text);
    EXPECT_TRUE(channel->SetNavigate(reinterpret_cast<HWND>(0x77), L"http://ex.com/\u00e9", 0));
    ASSERT_TRUE(testsupport::WaitFor([&] { return ReadAll(report).find("navigate") != std::string::npos; }, 5000));
    std::string seen = ReadAll(report);
    EXPECT_NE(std::string::npos, seen.find("site 0 0 ex.com")) << seen;
    EXPECT_NE(std::string::npos, seen.find("navigate 00000077 0 http://ex.com/%C3%A9")) << seen;
    wchar_t log[4096];
    ASSERT_TRUE(testsupport::WaitFor(
        [&] { return channel->ReadExtensionLog(log, 4096) > 0 && wcsstr(log, L"navigating to") != nullptr; }, 5000));
}

TEST_F(ChannelTest, ExtensionKilledHoldingTheLockIsRecoveredFrom) {
    std::string report = TempFile("ffext_kill_report.txt");
    {
        testsupport::Child dying;
        ASSERT_TRUE(dying.Start(FIREFOX_EXT_EXE, {L"--die-holding-lock", L"--report", W(report)}));
        DWORD code = 0;
        ASSERT_TRUE(dying.Wait(10000, &code));
        EXPECT_EQ(9u, code);
    }
    ASSERT_NE(std::string::npos, ReadAll(report).find("holding the lock"));
    // The next access takes the abandoned lock and gives it back.
    wchar_t title[kPageTextChars];
    EXPECT_TRUE(channel->ReadTitle(title));
    // A restarted extension is served.
    testsupport::Child restarted;
    ASSERT_TRUE(restarted.Start(FIREFOX_EXT_EXE, {L"--report", W(report), L"--run-ms", L"20000"}));
    ASSERT_TRUE(testsupport::WaitFor(
        [&] {
            std::string r = ReadAll(report);
            return r.find("ready", r.find("holding the lock")) != std::string::npos;
        },
        10000));
    EXPECT_TRUE(channel->RequestUpdate(1, 1));
}
