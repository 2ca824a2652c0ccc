#include <gtest/gtest.h>

#include <windows.h>

#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "RecordFile.h"
#include "SharedData.h"
#include "ViewerLog.h"
#include "log/Logger.h"

using namespace AcrobatRecordLayout;
using acrotest::Equal;

namespace {

// A second view of the block, as another process would see it.
class RawBlock {
public:
    bool Open() {
        mapping_.reset(::OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, kMappingName));
        if (!mapping_) return false;
        view_.reset(::MapViewOfFile(mapping_.get(), FILE_MAP_ALL_ACCESS, 0, 0, kSize));
        return static_cast<bool>(view_);
    }
    AcrobatRecord* operator->() const { return static_cast<AcrobatRecord*>(view_.get()); }

private:
    fx::UniqueHandle mapping_;
    fx::MappedView view_;
};

class SharedDataTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(viewer.Create());
        g_pLogger = Logger::Open();
        ASSERT_NE(g_pLogger, nullptr);
    }
    void TearDown() override {
        delete g_pLogger;
        g_pLogger = nullptr;
    }
    std::unique_ptr<SharedData> Attach() {
        std::unique_ptr<SharedData> r(AttachAcrobatRecord());
        EXPECT_NE(r, nullptr);
        return r;
    }
    bool Logged(const std::wstring& line) {
        for (const auto& l : viewer.ReadAll())
            if (l == line) return true;
        return false;
    }
    ViewerLog viewer;
};

const AcroRect kRect{10, 20, 30, 40};

TEST_F(SharedDataTest, AttachesCountAndLogAndALaterAttachKeepsTheContent) {
    auto first = Attach();
    ASSERT_TRUE(first);
    EXPECT_TRUE(Logged(L"(PondrelHXAcrobat) Reference count = 1"));
    ASSERT_TRUE(first->Lock());
    first->SetTitle(L"Doc");
    first->AddEntry(L"kept", kRect);
    first->Unlock();

    auto second = Attach();
    ASSERT_TRUE(second);
    EXPECT_TRUE(Logged(L"(PondrelHXAcrobat) Reference count = 2"));
    AcrobatRecord r;
    ASSERT_EQ(acrotest::ReadRecord(r), 0);
    EXPECT_EQ(r.attachCount, 2);
    EXPECT_EQ(acrotest::Text(r.title), L"Doc");
    EXPECT_EQ(r.entryCount, 1);
    EXPECT_EQ(acrotest::Text(r.entryTexts[0]), L"kept");

    second.reset();
    ASSERT_EQ(acrotest::ReadRecord(r), 0);
    EXPECT_EQ(r.attachCount, 1);
}

TEST_F(SharedDataTest, WritesLandAtTheDocumentedOffsets) {
    auto rec = Attach();
    ASSERT_TRUE(rec);
    ASSERT_TRUE(rec->Lock());
    rec->ClearEntries();
    rec->SetViewRect(AcroRect{1, 2, 3, 4});
    rec->SetTitle(L"T");
    rec->AddEntry(L"ab", AcroRect{5, 6, 7, 8});
    rec->Unlock();

    AcrobatRecord r;
    ASSERT_EQ(acrotest::ReadRecord(r), 0);
    const auto* b = reinterpret_cast<const unsigned char*>(&r);
    auto i32 = [&](int off) {
        int32_t v;
        std::memcpy(&v, b + off, 4);
        return v;
    };
    auto u16 = [&](int off) {
        uint16_t v;
        std::memcpy(&v, b + off, 2);
        return v;
    };
    EXPECT_EQ(i32(0), 1);
    EXPECT_EQ(i32(4), 1);
    EXPECT_EQ(i32(16), 4);
    EXPECT_EQ(u16(20), u'T');
    EXPECT_EQ(u16(22), 0);
    EXPECT_EQ(i32(532), 1);
    EXPECT_EQ(u16(536), u'a');
    EXPECT_EQ(u16(538), u'b');
    EXPECT_EQ(u16(540), 0);
    EXPECT_EQ(i32(16920), 5);
    EXPECT_EQ(i32(16932), 8);
}

TEST_F(SharedDataTest, WithoutTheLockWritesDoNothingAndReadsAreEmpty) {
    auto rec = Attach();
    ASSERT_TRUE(rec);
    ASSERT_TRUE(rec->Lock());
    rec->SetTitle(L"Doc");
    rec->SetViewRect(kRect);
    rec->AddEntry(L"text", kRect);
    rec->Unlock();

    rec->ClearEntries();
    rec->SetTitle(L"other");
    EXPECT_FALSE(rec->AddEntry(L"more", kRect));
    EXPECT_TRUE(Equal(rec->GetViewRect(), AcroRect{}));
    EXPECT_EQ(rec->GetTitle(), L"");
    EXPECT_EQ(rec->GetEntryCount(), 0);
    EXPECT_EQ(rec->GetEntryText(0), L"");
    EXPECT_TRUE(Equal(rec->GetEntryRect(0), AcroRect{}));

    ASSERT_TRUE(rec->Lock());
    EXPECT_TRUE(rec->Lock()) << "a second lock while locked answers at once";
    EXPECT_EQ(rec->GetTitle(), L"Doc");
    EXPECT_TRUE(Equal(rec->GetViewRect(), kRect));
    EXPECT_EQ(rec->GetEntryCount(), 1);
    EXPECT_EQ(rec->GetEntryText(0), L"text");
    EXPECT_TRUE(Equal(rec->GetEntryRect(0), kRect));
    rec->Unlock();
    // One unlock releases the mutex for others, however often Lock answered.
    AcrobatRecord r;
    EXPECT_EQ(acrotest::ReadRecord(r), 0);
}

TEST_F(SharedDataTest, TextsKeepAtMost255UnitsAndATerminator) {
    auto rec = Attach();
    ASSERT_TRUE(rec);
    struct Case {
        size_t length;
        size_t stored;
    } cases[] = {{0, 0}, {1, 1}, {255, 255}, {256, 255}, {300, 255}};
    for (const auto& c : cases) {
        std::wstring text(c.length, L'q');
        ASSERT_TRUE(rec->Lock());
        rec->ClearEntries();
        rec->SetTitle(text.c_str());
        rec->AddEntry(text.c_str(), kRect);
        EXPECT_EQ(rec->GetTitle(), std::wstring(c.stored, L'q')) << c.length;
        EXPECT_EQ(rec->GetEntryText(0), std::wstring(c.stored, L'q')) << c.length;
        rec->Unlock();
    }
}

TEST_F(SharedDataTest, EntriesPastTheTextTableAndHostileCountsAreRefused) {
    auto rec = Attach();
    ASSERT_TRUE(rec);
    RawBlock raw;
    ASSERT_TRUE(raw.Open());
    ASSERT_TRUE(rec->Lock());
    rec->ClearEntries();
    for (int i = 0; i < kTextSlots; ++i) EXPECT_TRUE(rec->AddEntry(L"e", AcroRect{i, i, i, i}));
    EXPECT_FALSE(rec->AddEntry(L"past", AcroRect{9, 9, 9, 9}));
    EXPECT_EQ(rec->GetEntryCount(), kTextSlots);
    EXPECT_TRUE(Equal(raw->entryRects[kTextSlots], AcroRect{}));

    for (int32_t bad : {-1, kTextSlots, 1000, INT_MIN, INT_MAX}) {
        raw->entryCount = bad;
        EXPECT_FALSE(rec->AddEntry(L"x", kRect)) << bad;
        EXPECT_EQ(raw->entryCount, bad);
        EXPECT_EQ(rec->GetEntryText(bad), L"");
        EXPECT_TRUE(Equal(rec->GetEntryRect(bad), AcroRect{}));
        // A reader takes no more entries than there are slots, and none for a negative count.
        EXPECT_EQ(rec->GetEntryCount(), bad < 0 ? 0 : kTextSlots) << bad;
    }
    rec->Unlock();
    EXPECT_TRUE(Logged(L"(PondrelHXAcrobat) Record entry refused: entry count 32 is outside the 32 slots"));
    EXPECT_TRUE(Logged(L"(PondrelHXAcrobat) Record entry count 1000 is outside the 32 slots; 32 read"));
}

TEST_F(SharedDataTest, AnAttachCountLeftAtItsLimitStaysThere) {
    auto first = Attach();
    ASSERT_TRUE(first);
    RawBlock raw;
    ASSERT_TRUE(raw.Open());
    raw->attachCount = INT_MAX;
    {
        auto second = Attach();
        ASSERT_TRUE(second);
        EXPECT_EQ(raw->attachCount, INT_MAX);
    }
    EXPECT_EQ(raw->attachCount, INT_MAX - 1);
    raw->attachCount = -3;
    {
        auto third = Attach();
        ASSERT_TRUE(third);
        EXPECT_EQ(raw->attachCount, 0);
    }
    EXPECT_EQ(raw->attachCount, 0);
}

TEST_F(SharedDataTest, UnterminatedTextsFromAnotherWriterReadAsAtMost255Units) {
    auto rec = Attach();
    ASSERT_TRUE(rec);
    RawBlock raw;
    ASSERT_TRUE(raw.Open());
    for (auto& c : raw->title) c = L'x';
    for (auto& c : raw->entryTexts[31]) c = L'y';
    ASSERT_TRUE(rec->Lock());
    EXPECT_EQ(rec->GetTitle(), std::wstring(255, L'x'));
    EXPECT_EQ(rec->GetEntryText(31), std::wstring(255, L'y'));
    rec->Unlock();
}

TEST_F(SharedDataTest, AnAbandonedMutexCountsAsObtainedAndIsReleased) {
    auto rec = Attach();
    ASSERT_TRUE(rec);
    // A thread takes the mutex and ends without releasing it.
    std::thread([] {
        HANDLE m = ::OpenMutexW(SYNCHRONIZE, FALSE, kMutexName);
        ::WaitForSingleObject(m, 5000);
        ::CloseHandle(m);
    }).join();
    ASSERT_TRUE(rec->Lock());
    rec->SetTitle(L"after abandon");
    rec->Unlock();
    EXPECT_TRUE(Logged(L"(PondrelHXAcrobat) Record mutex was abandoned by its owner; taken over"));
    AcrobatRecord r;
    ASSERT_EQ(acrotest::ReadRecord(r), 0) << "the record is not locked out";
    EXPECT_EQ(acrotest::Text(r.title), L"after abandon");

    std::thread([] {
        HANDLE m = ::OpenMutexW(SYNCHRONIZE, FALSE, kMutexName);
        ::WaitForSingleObject(m, 5000);
        ::CloseHandle(m);
    }).join();
    auto second = Attach();
    ASSERT_TRUE(second) << "an abandoned mutex does not stop an attach";
    ASSERT_EQ(acrotest::ReadRecord(r), 0);
    EXPECT_EQ(r.attachCount, 2);
}

TEST_F(SharedDataTest, AMutexHeldElsewhereSkipsTheAccessAndTheDetachCount) {
    auto keeper = Attach();
    auto rec = Attach();
    ASSERT_TRUE(keeper && rec);
    // Held for longer than the plug-in waits (but not for long): the access
    // gives up before the reader lets go.
    acrotest::HeldRecord held;
    ASSERT_TRUE(held.Start(600));
    EXPECT_FALSE(rec->Lock());
    rec.reset();  // its wait fails too: the count stays
    ASSERT_TRUE(held.Wait(10000));

    AcrobatRecord r;
    ASSERT_EQ(acrotest::ReadRecord(r), 0) << "the failed detach released nothing it did not hold";
    EXPECT_EQ(r.attachCount, 2);
    keeper.reset();
    EXPECT_EQ(acrotest::ReadRecord(r), 3) << "the last detach closes the block";
}

// At plug-in start the attach waits on the host's thread too: behind a
// mutex held for longer than its bound it gives up, logged, and the host
// runs on without a record.
TEST_F(SharedDataTest, AnAttachBehindAHeldMutexGivesUpWithinItsBound) {
    auto keeper = Attach();
    ASSERT_TRUE(keeper);
    acrotest::HeldRecord held;
    ASSERT_TRUE(held.Start(2500));
    std::unique_ptr<SharedData> late(AttachAcrobatRecord());
    EXPECT_EQ(late, nullptr);
    ASSERT_TRUE(held.Wait(10000));
    EXPECT_TRUE(Logged(L"(PondrelHXAcrobat) Record mutex not obtained within 1000 ms"));
    AcrobatRecord r;
    ASSERT_EQ(acrotest::ReadRecord(r), 0);
    EXPECT_EQ(r.attachCount, 1);
}

TEST_F(SharedDataTest, AReaderThatCannotTakeTheMutexReadsNothing) {
    auto rec = Attach();
    ASSERT_TRUE(rec);
    ASSERT_TRUE(rec->Lock());
    rec->SetTitle(L"private");
    AcrobatRecord r;
    EXPECT_EQ(acrotest::ReadRecord(r), 4) << "the reader gives up after 1000 ms";
    EXPECT_EQ(acrotest::Text(r.title), L"");
    rec->Unlock();
    ASSERT_EQ(acrotest::ReadRecord(r), 0);
    EXPECT_EQ(acrotest::Text(r.title), L"private");
}

TEST_F(SharedDataTest, AttachFailsSafelyOverForeignObjectsOfTheSameNames) {
    {
        // A block of the record's name but too small to hold it.
        fx::UniqueHandle small(
            ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 100, kMappingName));
        ASSERT_TRUE(small);
        EXPECT_EQ(AttachAcrobatRecord(), nullptr);
    }
    {
        // Another kind of object under the mutex's name.
        fx::UniqueHandle event(::CreateEventW(nullptr, TRUE, FALSE, kMutexName));
        ASSERT_TRUE(event);
        EXPECT_EQ(AttachAcrobatRecord(), nullptr);
    }
    auto rec = Attach();
    EXPECT_TRUE(rec) << "with the foreign objects gone the attach works";
}

}  // namespace
