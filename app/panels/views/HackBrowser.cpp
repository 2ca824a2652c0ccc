#include "app/panels/views/HackBrowser.h"

#include "app/panels/views/BannerView.h"
#include "app/panels/views/PanelKeyRules.h"

namespace panels {

void HackBrowser::OnBeforeNavigate2(IDispatch*, const std::wstring& url, bool, bool* cancel) {
    // The new window's first navigation goes to the user's browser; none loads here.
    views::Decision d = views::HiddenBrowserFilter(armed_, url);
    owner_.Perform(d);
    if (cancel) *cancel = d.cancel;
}

}  // namespace panels
