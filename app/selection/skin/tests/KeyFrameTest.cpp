#include "app/selection/skin/KeyFrame.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

std::vector<std::pair<float, float>> Keys(const KeyFrameList& l) {
    std::vector<std::pair<float, float>> out;
    for (int i = 0; i < l.GetCount(); ++i) out.emplace_back(l.GetAt(i).m_Time, l.GetAt(i).m_Value);
    return out;
}

TEST(KeyFrameList, AddKeepsTimeOrderAndReplacesEqualTimes) {
    struct Case {
        const char* what;
        std::vector<std::pair<float, float>> adds;
        std::vector<std::pair<float, float>> keys;
    } cases[] = {
        {"in order", {{0, 0}, {7, 1}}, {{0, 0}, {7, 1}}},
        {"reversed", {{7, 1}, {0, 0}}, {{0, 0}, {7, 1}}},
        {"middle", {{0, 0}, {7, 1}, {3, 5}}, {{0, 0}, {3, 5}, {7, 1}}},
        {"same time replaces the value", {{0, 0}, {7, 1}, {7, 2}}, {{0, 0}, {7, 2}}},
        {"same first time", {{0, 0}, {7, 1}, {0, 9}}, {{0, 9}, {7, 1}}},
    };
    for (const Case& c : cases) {
        KeyFrameList l;
        for (auto& a : c.adds) l.Add(a.first, a.second);
        EXPECT_EQ(Keys(l), c.keys) << c.what;
    }
}

TEST(KeyFrameList, EvaluatesByLinearInterpolation) {
    struct Case {
        const char* what;
        std::vector<std::pair<float, float>> keys;
        float time;
        float value;
        bool atEnd;
    } cases[] = {
        {"no keys", {}, 3.0f, 0.0f, true},
        {"one key is always at its end", {{5, 0.25f}}, 0.0f, 0.25f, true},
        {"before the first key", {{2, 0.3f}, {7, 1}}, 0.0f, 0.3f, false},
        {"on the first key", {{0, 0}, {7, 1}}, 0.0f, 0.0f, false},
        {"half way", {{0, 0}, {7, 1}}, 3.5f, 0.5f, false},
        {"falling", {{0, 1}, {10, 0}}, 2.5f, 0.75f, false},
        {"on the last key", {{0, 0}, {7, 1}}, 7.0f, 1.0f, true},
        {"past the last key", {{0, 0}, {7, 1}}, 70.0f, 1.0f, true},
        {"on a middle key", {{0, 0}, {3, 0.8f}, {7, 1}}, 3.0f, 0.8f, false},
        {"second segment", {{0, 0}, {4, 1}, {8, 0}}, 6.0f, 0.5f, false},
    };
    for (const Case& c : cases) {
        KeyFrameList l;
        for (auto& k : c.keys) l.Add(k.first, k.second);
        l.m_AtEnd = !c.atEnd;
        l.m_Time = c.time;
        EXPECT_FLOAT_EQ(l.Evaluate(), c.value) << c.what;
        EXPECT_EQ(l.m_AtEnd, c.atEnd) << c.what;
    }
}

TEST(KeyFrameList, FindBeforeAndAfter) {
    KeyFrameList l;
    EXPECT_EQ(l.FindBefore(1), nullptr);
    EXPECT_EQ(l.FindAfter(1), nullptr);
    l.Add(2, 0);
    l.Add(6, 1);
    EXPECT_EQ(l.FindBefore(0)->m_Time, 2);
    EXPECT_EQ(l.FindBefore(4)->m_Time, 2);
    EXPECT_EQ(l.FindBefore(6)->m_Time, 6);
    EXPECT_EQ(l.FindAfter(4)->m_Time, 6);
    EXPECT_EQ(l.FindAfter(2)->m_Time, 2);
    EXPECT_EQ(l.FindAfter(9)->m_Time, 6);
}

// The hotspot's fade: keys (0, 0) and (7, 1) at 30 units a second.
TEST(KeyFrameList, AdvancesOnTheTickCounter) {
    struct Case {
        const char* what;
        uint32_t start;
        std::vector<uint32_t> ticks;
        float value;
        bool atEnd;
    } cases[] = {
        {"117 ms: half way", 1000, {1117}, 0.5f, false},
        {"in steps", 1000, {1033, 1066, 1117}, 0.5f, false},
        {"234 ms: at the end", 1000, {1234}, 1.0f, true},
        {"long after", 1000, {1050, 9000}, 1.0f, true},
        {"the counter wraps", 0xFFFFFFC0u, {0x35u}, 0.5f, false},  // 117 ms across the wrap
        {"wraps to the end", 0xFFFFFF00u, {0x100u}, 1.0f, true},
    };
    for (const Case& c : cases) {
        KeyFrameList l;
        l.Start(c.start);
        EXPECT_FALSE(l.m_AtEnd);
        l.Add(0, 0);
        l.Add(7, 1);
        float v = 0;
        for (uint32_t t : c.ticks) v = l.Advance(t);
        EXPECT_NEAR(v, c.value, 0.003f) << c.what;
        EXPECT_EQ(l.m_AtEnd, c.atEnd) << c.what;
        EXPECT_EQ(l.m_LastTick, c.ticks.back()) << c.what;
    }
    // 116.7 ms of wall-clock time is 3.5 units: the value is 0.5.
    KeyFrameList l;
    l.Add(0, 0);
    l.Add(7, 1);
    l.m_Time = static_cast<float>(116.7 / 1000.0 * l.m_Speed);
    EXPECT_NEAR(l.Evaluate(), 0.5f, 1e-3f);
}

TEST(KeyFrameList, StartsAtRest) {
    KeyFrameList l;
    EXPECT_EQ(l.m_Time, 0.0f);
    EXPECT_EQ(l.m_Speed, 30.0f);
    EXPECT_TRUE(l.m_AtEnd);
    EXPECT_EQ(l.GetCount(), 0);
}

}  // namespace
