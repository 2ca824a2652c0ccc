#include "app/panels/children/SearchMatrixRules.h"

#include "app/core/common/WindowClasses.h"

namespace panels {

bool MatrixShouldHide(const MatrixHideInput& in) {
    if (in.escapeDown) return true;
    if (!in.visible || in.clickOutsOff) return false;
    return in.foregroundClass != window_class::kSearchMatrix && in.foregroundClass != window_class::kHoverWin;
}

bool MatrixCountdownTick(int& countdown) {
    if (countdown <= 0) return false;
    return --countdown == 0;
}

}  // namespace panels
