#include "app/selection/hotspot/HotspotAnimation.h"

void HotspotAnimation::StartFade(uint32_t now) {
    fade = 0.0f;
    fadeKeys.RemoveAll();
    fadeKeys.Start(now);
    fadeKeys.Add(0.0f, 0.0f);
    fadeKeys.Add(7.0f, 1.0f);
}

void HotspotAnimation::StartHighlight(uint32_t now) {
    highlight = 0.0f;
    highlightKeys.RemoveAll();
    highlightKeys.Start(now);
    highlightKeys.Add(0.0f, 0.0f);
    highlightKeys.Add(15.0f, 1.0f);
}

HotspotAnimation::Step HotspotAnimation::Advance(uint32_t now) {
    Step step;
    if (!fadeKeys.m_AtEnd) {
        fade = fadeKeys.Advance(now);
        step.stepped = true;
    }
    if (!highlightKeys.m_AtEnd) {
        step.stepped = true;
        highlight = highlightKeys.Advance(now);
        if (highlight > 0.5f) fade -= fade / 15.0f;
        if (fade < 0.0f) fade = 0.0f;
        if (highlightKeys.m_AtEnd) fade = 1.0f;
    }
    if (fadeKeys.m_AtEnd && highlightKeys.m_AtEnd && step.stepped) {
        step.finished = true;
        fade = 1.0f;
    }
    return step;
}
