// HackBrowser: the hidden web view every BannerView owns.  A main content
// view hands it each new window a page opens and arms it; its first
// navigation then goes to the user's browser (11144 to the controller, http
// and https only) and is cancelled, and it disarms.
#pragma once

#include "fx/WebBrowserHost.h"

namespace panels {

class BannerView;

class HackBrowser : public fx::WebBrowserHost {
public:
    explicit HackBrowser(BannerView& owner) : owner_(owner) {}

    void Arm() { armed_ = true; }
    bool Armed() const { return armed_; }
    BannerView& Owner() const { return owner_; }

    void OnBeforeNavigate2(IDispatch* disp, const std::wstring& url, bool topLevel, bool* cancel) override;

private:
    BannerView& owner_;
    bool armed_ = false;
};

}  // namespace panels
