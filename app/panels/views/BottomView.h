// BottomView: a panel's main content web view.  Top-level pages may come only
// from the application server; every navigation goes through the content
// filter (views::ContentFilter); the element's zoom is applied when a
// navigation completes; a new window a page opens is handed to the hidden
// browser, which sends its URL to the user's browser.
#pragma once

#include "app/panels/views/BannerView.h"

namespace panels {

class BottomView : public BannerView {
public:
    explicit BottomView(ViewHost& host) : BannerView(host) {}

    // Whether the navigation under way belongs to the top-level frame.
    bool TopLevelNavigation() const { return topLevelNavigation_; }

    void OnBeforeNavigate2(IDispatch* disp, const std::wstring& url, bool topLevel, bool* cancel) override;
    void OnNavigateComplete2(IDispatch* disp, const std::wstring& url) override;
    void OnNewWindow2(IDispatch** newWindow, bool* cancel) override;

protected:
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    bool topLevelNavigation_ = false;
};

}  // namespace panels
