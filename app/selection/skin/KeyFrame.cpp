#include "app/selection/skin/KeyFrame.h"

#include <cstddef>

void KeyFrameList::Add(float time, float value) {
    // From the tail: a key at the same time takes the value; the first
    // earlier key gets the new one right after it; none earlier: the head.
    for (std::size_t i = keys_.size(); i-- > 0;) {
        if (keys_[i].m_Time == time) {
            keys_[i].m_Value = value;
            return;
        }
        if (keys_[i].m_Time < time) {
            keys_.insert(keys_.begin() + static_cast<std::ptrdiff_t>(i + 1), FloatKeyFrame(time, value));
            return;
        }
    }
    keys_.insert(keys_.begin(), FloatKeyFrame(time, value));
}

const FloatKeyFrame* KeyFrameList::FindBefore(float time) const {
    if (keys_.empty()) return nullptr;
    const FloatKeyFrame* found = &keys_.front();
    for (const FloatKeyFrame& k : keys_) {
        if (k.m_Time > time) break;
        found = &k;
    }
    return found;
}

const FloatKeyFrame* KeyFrameList::FindAfter(float time) const {
    if (keys_.empty()) return nullptr;
    const FloatKeyFrame* found = &keys_.back();
    for (std::size_t i = keys_.size(); i-- > 0;) {
        if (keys_[i].m_Time < time) break;
        found = &keys_[i];
    }
    return found;
}

float KeyFrameList::Evaluate(bool) {
    const FloatKeyFrame* before = FindBefore(m_Time);
    const FloatKeyFrame* after = FindAfter(m_Time);
    if (!before || !after) {
        // Nothing to animate: finished, at rest.
        m_AtEnd = true;
        return 0.0f;
    }
    m_AtEnd = false;
    if (before == after) {
        if (before == &keys_.back()) m_AtEnd = true;
        return before->m_Value;
    }
    return before->m_Value +
           (after->m_Value - before->m_Value) / (after->m_Time - before->m_Time) * (m_Time - before->m_Time);
}

void KeyFrameList::Start(uint32_t now) {
    m_Time = 0.0f;
    m_LastTick = now;
    m_AtEnd = false;
}

float KeyFrameList::Advance(uint32_t now) {
    uint32_t elapsed = now - m_LastTick;
    m_LastTick = now;
    m_Time = static_cast<float>(m_Time + elapsed / 1000.0 * m_Speed);
    return Evaluate();
}
