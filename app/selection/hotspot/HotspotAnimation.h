// The hotspot's two animation tracks as plain state: the fade-in of the icon
// and the highlight pulse while best-guess items arrive.  The hotspot window
// advances them on its timer and paints with their values.
#pragma once

#include <cstdint>

#include "app/selection/skin/KeyFrame.h"

class HotspotAnimation {
public:
    // The fade-in: opacity 0 now, 1 after 7 key-frame units (about 233 ms).
    void StartFade(uint32_t now);
    // The highlight pulse: 0 now, 1 after 15 units (500 ms).
    void StartHighlight(uint32_t now);

    struct Step {
        bool stepped = false;   // a track moved: paint again
        bool finished = false;  // both tracks ended with this step: stop the timer
    };
    // One animation step: the fade track sets the icon's opacity; while the
    // highlight is above 0.5 the icon's opacity shrinks by a fifteenth, and
    // returns to 1 when the highlight ends.
    Step Advance(uint32_t now);

    bool Running() const { return !fadeKeys.m_AtEnd || !highlightKeys.m_AtEnd; }

    KeyFrameList fadeKeys;
    KeyFrameList highlightKeys;
    float fade = 1.0f;
    float highlight = 0.0f;
};
