// Key-frame animation: a time-ordered list of (time, value) keys with a
// current time, evaluated by linear interpolation.  Time runs in key-frame
// units; an owner advances it on its animation timer by the elapsed
// wall-clock seconds times the list's speed.  No window or system call here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Base of the key frames (no data of its own).
struct KeyFrame {};

struct FloatKeyFrame : KeyFrame {
    FloatKeyFrame(float time, float value) : m_Time(time), m_Value(value) {}
    float m_Time;
    float m_Value;
};

class KeyFrameList {
public:
    // Inserts a key in time order; a key at an existing time only takes the
    // new value.
    void Add(float time, float value);
    // The value at m_Time; sets m_AtEnd when m_Time has reached the last key
    // (an empty list answers 0.0 and is at its end).
    float Evaluate(bool unused = false);
    // The last key at or before `time` (the first key when all are later);
    // null for an empty list.
    const FloatKeyFrame* FindBefore(float time) const;
    // The earliest key at or after `time` (the last key when all are
    // earlier); null for an empty list.
    const FloatKeyFrame* FindAfter(float time) const;
    void RemoveAll() { keys_.clear(); }
    int GetCount() const { return static_cast<int>(keys_.size()); }
    const FloatKeyFrame& GetAt(int i) const { return keys_[static_cast<std::size_t>(i)]; }

    // The owners' protocol.  Start: time 0, the tick of the start, not at the
    // end (the owner adds its keys after).  Advance: moves the time on by the
    // ticks since the last advance (an unsigned difference, so the counter
    // may wrap between two ticks) and evaluates.
    void Start(uint32_t now);
    float Advance(uint32_t now);

    float m_Time = 0.0f;
    float m_Speed = 30.0f;
    uint32_t m_LastTick = 0;
    bool m_AtEnd = true;

private:
    std::vector<FloatKeyFrame> keys_;
};
