// The splash window's animation as plain state: one step per 50 ms timer tick
// fades the window's constant alpha in by 45 to 255, holds it for 21 ticks
// (the tick that reached 255 included), fades it out by 35 and then asks for
// the window to be hidden: hidden on the 34th tick, about 1.70 s after it was
// shown.  The scatter radius shrinks by 0.3 a tick until it reaches 0.
#pragma once

#include "app/core/common/AppMessages.h"

class SplashAnimation {
public:
    static constexpr unsigned kTimerId = timer_id::kFade;
    static constexpr unsigned kTimerPeriodMs = 50;

    // One timer step on the window's alpha; true when the window is to be
    // hidden now (the fade-out has reached 0).
    bool Step(double& alpha);

    // The scatter effect's block size for the current radius: the radius
    // truncated, at least 3.
    int ScatterBlockSize() const;
    // Whether the scatter effect is drawn (a radius other than 0).
    bool Scatters() const { return m_ScatterRadius != 0.0; }

    int m_FadingOut = 0;          // the fade-out phase has begun
    int m_HoldCount = 0;          // ticks spent at full opacity
    double m_ScatterRadius = 0.0;  // radius of the scatter effect
    bool m_Scattering = true;      // the radius is still being decreased
};
