// The hotspot's fade and highlight tracks on an injected clock.
#include <gtest/gtest.h>

#include "app/selection/hotspot/HotspotAnimation.h"

TEST(HotspotAnimation, FadeInTakesAbout233ms) {
    HotspotAnimation a;
    a.StartFade(10000);
    EXPECT_EQ(a.fade, 0.0f);
    EXPECT_TRUE(a.Running());
    HotspotAnimation::Step s = a.Advance(10000 + 117);  // 3.51 units
    EXPECT_TRUE(s.stepped);
    EXPECT_FALSE(s.finished);
    EXPECT_NEAR(a.fade, 0.5f, 0.01f);
    s = a.Advance(10000 + 234);  // 7.02 units: the end
    EXPECT_TRUE(s.stepped);
    EXPECT_TRUE(s.finished);
    EXPECT_EQ(a.fade, 1.0f);
    EXPECT_FALSE(a.Running());
    s = a.Advance(10000 + 300);
    EXPECT_FALSE(s.stepped);
    EXPECT_FALSE(s.finished);
}

TEST(HotspotAnimation, HighlightShrinksTheIconAndRestoresItAtItsEnd) {
    HotspotAnimation a;
    a.StartHighlight(0);
    a.fade = 1.0f;
    HotspotAnimation::Step s = a.Advance(200);  // 6 units: 0.4
    EXPECT_TRUE(s.stepped);
    EXPECT_NEAR(a.highlight, 0.4f, 1e-4f);
    EXPECT_EQ(a.fade, 1.0f);
    a.Advance(300);  // 9 units: 0.6, above 0.5
    EXPECT_NEAR(a.fade, 14.0f / 15.0f, 1e-5f);
    a.Advance(333);
    EXPECT_NEAR(a.fade, 14.0f / 15.0f * 14.0f / 15.0f, 1e-5f);
    s = a.Advance(600);  // 18 units: past the end
    EXPECT_TRUE(s.finished);
    EXPECT_EQ(a.fade, 1.0f);
    EXPECT_FALSE(a.Running());
}

TEST(HotspotAnimation, TheTracksRunTogether) {
    HotspotAnimation a;
    a.StartFade(0);
    a.StartHighlight(0);
    HotspotAnimation::Step s = a.Advance(250);  // fade ends, highlight still runs
    EXPECT_TRUE(s.stepped);
    EXPECT_FALSE(s.finished);
    EXPECT_TRUE(a.Running());
    s = a.Advance(600);
    EXPECT_TRUE(s.finished);
}
