#include "app/panels/views/BottomView.h"

#include "app/panels/views/HackBrowser.h"
#include "log/PondrelLog.h"

namespace panels {

void BottomView::OnBeforeNavigate2(IDispatch*, const std::wstring& url, bool topLevel, bool* cancel) {
    // Each navigation is marked for itself: a frame after a top-level page is a frame.
    topLevelNavigation_ = topLevel;
    views::Decision d = views::ContentFilter(state_, url, topLevelNavigation_, host_.ServerDomain(), Splitter());
    Perform(d);
    if (d.cancel && cancel) *cancel = true;
}

void BottomView::OnNavigateComplete2(IDispatch* disp, const std::wstring& url) {
    if (ZoomChanged()) SetOpticalZoom(ZoomPercent());
    BannerView::OnNavigateComplete2(disp, url);
}

void BottomView::OnNewWindow2(IDispatch** newWindow, bool* cancel) {
    HackBrowser* hidden = HiddenBrowser();
    IDispatch* app = hidden && hidden->HasBrowser() ? hidden->ApplicationDispatch() : nullptr;
    if (!app) {
        // No hidden browser to take it: no window opens.
        LogLine(L"New window refused: no hidden browser");
        if (cancel) *cancel = true;
        return;
    }
    *newWindow = app;  // the control takes this reference
    hidden->Arm();
}

bool BottomView::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
        case WM_PAINT:
            ::ValidateRect(hwnd(), nullptr);
            result = 0;
            return true;
        case WM_ERASEBKGND:
            result = TRUE;
            return true;
        default:
            return BannerView::OnMessage(msg, wp, lp, result);
    }
}

}  // namespace panels
