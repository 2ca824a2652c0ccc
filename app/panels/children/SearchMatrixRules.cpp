#include "app/panels/children/SearchMatrixRules.h"

namespace panels {

bool MatrixShouldHide(const MatrixHideInput& in) {
    if (in.escapeDown) return true;
    if (!in.visible || in.clickOutsOff) return false;
    return in.foregroundClass != L"SearchMatrix777" && in.foregroundClass != L"HoverWin";
}

bool MatrixCountdownTick(int& countdown) {
    if (countdown <= 0) return false;
    return --countdown == 0;
}

}  // namespace panels
