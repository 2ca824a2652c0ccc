#include "app/panels/thread/LaunchRules.h"

#include "Hextens/HXLib/UrlEncode.h"
#include "app/core/common/AppMessages.h"
#include "app/panels/templates/TemplateValues.h"

namespace panels {

namespace {

using templates::ToPixels;

void ReplaceAll(std::wstring& s, const std::wstring& from, const std::wstring& to) {
    if (from.empty()) return;
    for (size_t at = s.find(from); at != std::wstring::npos; at = s.find(from, at + to.size())) s.replace(at, from.size(), to);
}

}  // namespace

uint32_t TimeLeft(const TimeShare& share, uint32_t now) {
    if (share.ms == 0) return kUnbounded;
    const uint32_t spent = now - share.startTick;
    return spent < share.ms ? share.ms - spent : 0;
}

uint32_t LaunchFlags(uint32_t flags, uint32_t recordPlacement) {
    if (recordPlacement != 0 && flags != 8) flags |= recordPlacement;
    return flags;
}

std::wstring TemplateUrl(const std::wstring& templatesUrl, const std::wstring& skin) {
    return templatesUrl + L"?template=ecp&skin=" + skin;
}

unsigned FinalLaunchMessage(uint32_t flags) { return (flags & 0x08) ? panel_msg::kCloseNow : panel_msg::kFadeIn; }
bool WantsMask(uint32_t flags) { return (flags & (0x10 | 0x40)) != 0; }
bool IsMenuPanelLaunch(uint32_t flags) { return (flags & 0x10) != 0; }
bool IsStickyMenuPanel(bool singleInstance, uint32_t flags) { return singleInstance && (flags & 0x40) != 0; }

std::wstring BuildEcpUrl(const EcpUrlParts& p) {
    std::wstring url = p.ecpUrl + p.id;
    if (p.queryText.find(L"&token=") != std::wstring::npos)
        url += p.queryText;
    else
        url += L"&token=" + urlenc::PercentEncodeWide(p.queryText);
    if (!p.showAds) url += L"&pqads=off";
    url += L"&pqecp=1";
    url += L"&pq_userid=" + p.userId;
    url += L"&pq_version=" + p.version;
    if (!p.context.empty()) url += L"&context=" + p.context;
    return url;
}

std::wstring BrowserActionUrl(const std::wstring& actionUrl, const std::wstring& queryText,
                              const std::wstring& whitespace) {
    std::wstring token = urlenc::PercentEncodeWide(queryText);
    ReplaceAll(token, L"%20", whitespace);
    std::wstring url = actionUrl;
    ReplaceAll(url, L"{pq_token}", token);
    return url;
}

ReloadStep DecideReload(const ReloadInput& in) {
    if (in.noSkin) return ReloadStep::kOpenInBrowser;
    if (!in.networkUp) return ReloadStep::kOffline;
    if (in.currentUrlEmpty && !in.oneVisit) return ReloadStep::kRefresh;
    if (in.hasContent && !in.oneVisit) return ReloadStep::kNavigateContent;
    return ReloadStep::kOpenRecord;
}

bool ReloadTakesUrlAsQuery(bool keepQuery, bool searchable, bool urlIsQuery) {
    return !keepQuery && (!searchable || urlIsQuery);
}

NavigatePlan PlanNavigate(bool hasContent, bool oneVisit, bool searchPanel, bool hasSearchControl,
                          bool skipFirstReload) {
    NavigatePlan plan;
    if ((hasContent || oneVisit) && !searchPanel) {
        plan.reload = true;
        return plan;
    }
    plan.showInControl = hasSearchControl;
    plan.reload = searchPanel && !skipFirstReload;
    return plan;
}

TailPlace FirstTailPlace(int panelHeight, double tailWidth, double tailHeight) {
    TailPlace place;
    place.corner = kTailLeftLower;
    place.x = ToPixels(7.0 - tailWidth);
    place.y = ToPixels(panelHeight - (panelHeight / 2 + tailHeight * 0.5 - 40.0));
    return place;
}

TailPlace FinalTailPlace(const TailPlace& first, bool wentLeft, int dy, int panelWidth, int panelHeight,
                         double leftUpperHeight, double rightUpperHeight) {
    TailPlace place = first;
    if (wentLeft) {
        place.corner = kTailRightLower;
        place.x = panelWidth - 13;
    }
    if (dy != 0) {
        const double moved = static_cast<double>(first.y) - dy;
        place.y = ToPixels(moved);
        if (place.y < panelHeight / 2) {
            const bool right = place.corner == kTailRightLower;
            place.corner = right ? kTailRightUpper : kTailLeftUpper;
            place.y = ToPixels(moved + (right ? rightUpperHeight : leftUpperHeight));
        }
    }
    return place;
}

int LeftOfAnchorX(int anchorLeft, int panelWidth, double tailWidth) {
    return ToPixels(static_cast<double>(anchorLeft) - panelWidth - tailWidth + 7);
}

}  // namespace panels
