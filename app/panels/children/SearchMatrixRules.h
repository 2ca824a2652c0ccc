// The search-matrix window's timer rules, apart from the window: when it
// hides itself, and when its countdown brings it to the foreground.
#pragma once

#include <string>

namespace panels {

struct MatrixHideInput {
    bool escapeDown = false;
    bool visible = false;
    bool clickOutsOff = false;            // the application's click-outs-off flag
    std::wstring foregroundClass;         // the foreground window's class
};

// Hide when Escape is down; else, while visible and click-outs are not off,
// when the foreground window is neither the matrix ("SearchMatrix777") nor
// the hotspot ("HoverWin").
bool MatrixShouldHide(const MatrixHideInput& in);

// One timer tick of the countdown: a positive count goes down by one; true
// when it reached 0 on this tick (the window comes to the foreground).
bool MatrixCountdownTick(int& countdown);

}  // namespace panels
