#include "fx/GdiPlus.h"

namespace fx {

bool GdiplusSession::Startup() {
    if (token_) return true;
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return false;
    token_ = token;
    return true;
}

void GdiplusSession::Shutdown() {
    if (!token_) return;
    Gdiplus::GdiplusShutdown(token_);
    token_ = 0;
}

}  // namespace fx
