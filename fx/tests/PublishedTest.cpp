// fx::Published: a snapshot read on other threads while one thread replaces
// it is always whole, and a reader's snapshot stays as it was.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "fx/Published.h"

namespace {

// Two fields the writer always sets together.
struct Pair {
    std::wstring url;
    std::wstring sameUrl;
};

TEST(Published, ReadersKeepTheirSnapshotWhenTheWriterReplacesIt) {
    fx::Published<Pair> slot(Pair{L"http://a/", L"http://a/"});
    std::shared_ptr<const Pair> held = slot.Get();
    slot.Publish(Pair{L"http://b/", L"http://b/"});
    EXPECT_EQ(L"http://a/", held->url);
    EXPECT_EQ(L"http://b/", slot.Get()->url);
    // The old snapshot lives as long as its last reader holds it.
    std::weak_ptr<const Pair> old = held;
    held.reset();
    EXPECT_TRUE(old.expired());
    // A default slot holds a default value, never null.
    fx::Published<Pair> empty;
    ASSERT_NE(nullptr, empty.Get());
    EXPECT_EQ(L"", empty.Get()->url);
}

TEST(Published, ConcurrentReadersNeverSeeAHalfWrittenValue) {
    fx::Published<Pair> slot(Pair{L"start", L"start"});
    std::atomic<bool> stop{false};
    std::atomic<long> torn{0}, reads{0};
    std::vector<std::thread> readers;
    for (int i = 0; i < 4; ++i) {
        readers.emplace_back([&] {
            while (!stop) {
                std::shared_ptr<const Pair> s = slot.Get();
                if (s->url != s->sameUrl) ++torn;
                ++reads;
            }
        });
    }
    for (int i = 0; i < 20000; ++i) {
        // Long enough that a copy in place could be caught half done.
        std::wstring url = L"http://server-" + std::to_wstring(i) + L".example.com/a/long/path/to/log.asp";
        slot.Publish(Pair{url, url});
    }
    stop = true;
    for (std::thread& t : readers) t.join();
    EXPECT_EQ(0, torn.load());
    EXPECT_GT(reads.load(), 0);
}

}  // namespace
