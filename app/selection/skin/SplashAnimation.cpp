#include "app/selection/skin/SplashAnimation.h"

namespace {
constexpr double kFadeInStep = 45.0;
constexpr double kFadeOutStep = 35.0;
constexpr double kOpaque = 255.0;
constexpr int kHoldTicks = 20;  // fade out once the hold count exceeds this
constexpr double kScatterStep = 0.3;
constexpr int kMinScatterBlock = 3;
}  // namespace

bool SplashAnimation::Step(double& alpha) {
    bool hide = false;
    // Fade in; the tick that reaches full opacity starts the hold count.
    if (alpha < kOpaque && m_FadingOut == 0) {
        alpha += kFadeInStep;
        if (alpha > kOpaque) {
            alpha = kOpaque;
            m_HoldCount = 0;
        }
    } else if (alpha > 0.0 && m_FadingOut != 0) {
        // Fade out; below 0 the window is hidden.
        alpha -= kFadeOutStep;
        if (alpha < 0.0) {
            alpha = 0.0;
            hide = true;
        }
    }
    // Hold at full opacity, this tick included.
    if (alpha == kOpaque && m_FadingOut == 0) {
        ++m_HoldCount;
        if (m_HoldCount > kHoldTicks) m_FadingOut = 1;
    }
    // Shrink the scatter radius until it is gone.
    if (m_Scattering) {
        m_ScatterRadius -= kScatterStep;
        if (m_ScatterRadius <= 0.0) {
            m_ScatterRadius = 0.0;
            m_Scattering = false;
        }
    }
    return hide;
}

int SplashAnimation::ScatterBlockSize() const {
    const int radius = static_cast<int>(m_ScatterRadius);
    return radius > kMinScatterBlock ? radius : kMinScatterBlock;
}
