// The splash's timer steps: fade in, hold, fade out and hide, and the
// shrinking scatter radius.
#include <gtest/gtest.h>

#include <vector>

#include "app/selection/skin/SplashAnimation.h"

namespace {

TEST(SplashAnimation, AlphaOfEveryTickUntilHidden) {
    // Tick n's alpha (n from 1); the 34th tick hides the window.
    const std::vector<double> alphas = {
        45, 90, 135, 180, 225, 255,                                          // fade in: six ticks
        255, 255, 255, 255, 255, 255, 255, 255, 255, 255,                    // hold: 21 ticks
        255, 255, 255, 255, 255, 255, 255, 255, 255, 255,                    //   with the 6th
        220, 185, 150, 115, 80, 45, 10, 0,                                   // fade out: eight ticks
    };
    ASSERT_EQ(alphas.size(), 34u);
    SplashAnimation animation;
    double alpha = 0.0;  // the splash starts transparent
    int hiddenOn = 0;
    for (size_t i = 0; i < alphas.size(); ++i) {
        const int tick = static_cast<int>(i) + 1;
        const bool hide = animation.Step(alpha);
        EXPECT_EQ(alpha, alphas[i]) << "tick " << tick;
        EXPECT_EQ(animation.m_FadingOut != 0, tick >= 26) << "tick " << tick;
        if (hide) {
            EXPECT_EQ(hiddenOn, 0) << "hidden twice";
            hiddenOn = tick;
        }
    }
    EXPECT_EQ(hiddenOn, 34);
    EXPECT_EQ(hiddenOn * static_cast<int>(SplashAnimation::kTimerPeriodMs), 1700);
    EXPECT_EQ(animation.m_HoldCount, 21);
}

TEST(SplashAnimation, HoldCountsFromTheTickThatReachedFullOpacity) {
    struct Case {
        int ticks;
        int holdCount;
        int fadingOut;
    } cases[] = {{5, 0, 0}, {6, 1, 0}, {7, 2, 0}, {25, 20, 0}, {26, 21, 1}, {27, 21, 1}};
    for (const Case& c : cases) {
        SplashAnimation animation;
        double alpha = 0.0;
        for (int i = 0; i < c.ticks; ++i) animation.Step(alpha);
        EXPECT_EQ(animation.m_HoldCount, c.holdCount) << c.ticks << " ticks";
        EXPECT_EQ(animation.m_FadingOut, c.fadingOut) << c.ticks << " ticks";
    }
}

TEST(SplashAnimation, NothingMovesAfterTheEnd) {
    SplashAnimation animation;
    double alpha = 0.0;
    for (int i = 0; i < 34; ++i) animation.Step(alpha);
    for (int i = 0; i < 5; ++i) {
        EXPECT_FALSE(animation.Step(alpha));
        EXPECT_EQ(alpha, 0.0);
    }
}

TEST(SplashAnimation, ScatterRadiusShrinksToNothing) {
    struct Case {
        double start;
        std::vector<double> radii;  // after each tick
        std::vector<int> blocks;
    } cases[] = {
        {0.0, {0.0}, {3}},  // the splash's own start: over on the first tick
        {1.0, {0.7, 0.4, 0.1, 0.0}, {3, 3, 3, 3}},
        {10.0, {9.7, 9.4}, {9, 9}},
        {3.5, {3.2, 2.9}, {3, 3}},
    };
    for (const Case& c : cases) {
        SplashAnimation animation;
        animation.m_ScatterRadius = c.start;
        double alpha = 0.0;
        for (size_t i = 0; i < c.radii.size(); ++i) {
            animation.Step(alpha);
            EXPECT_NEAR(animation.m_ScatterRadius, c.radii[i], 1e-9) << c.start << " tick " << i + 1;
            EXPECT_EQ(animation.ScatterBlockSize(), c.blocks[i]) << c.start << " tick " << i + 1;
            EXPECT_EQ(animation.Scatters(), c.radii[i] != 0.0);
            EXPECT_EQ(animation.m_Scattering, c.radii[i] != 0.0);
        }
    }
}

}  // namespace
