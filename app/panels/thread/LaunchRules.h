// The launcher's and the panel thread's plain rules: the flags word a panel
// gets, the template URL, how the launch ends, the content URL a panel's main
// view loads and the URL a panel hands to the browser.
#pragma once

#include <cstdint>
#include <string>

namespace panels {

// More panels than this are refused.
constexpr int kMaxPanels = 16;

// A panel's start, from its resume to its report that its window exists,
// takes at most kPanelStartMs: the window template and its pictures within
// kStartTemplateMs of it, the children thread's windows within
// kStartChildrenMs, the window's own work in the rest.  The launcher waits a
// margin longer for each of the panel's reports, so a panel that is slow
// (a slow template server, a skin another panel is refreshing) still opens.
constexpr uint32_t kPanelStartMs = 20000;
constexpr uint32_t kStartTemplateMs = 8000;
constexpr uint32_t kStartChildrenMs = 10000;
constexpr uint32_t kLaunchWaitMs = kPanelStartMs + 5000;
static_assert(kStartTemplateMs + kStartChildrenMs < kPanelStartMs, "the start's shares fit in its bound");
static_assert(kPanelStartMs < kLaunchWaitMs, "the launcher outwaits a panel's start");

// A share of time that began at startTick; ms 0 is no bound.
struct TimeShare {
    uint32_t startTick = 0;
    uint32_t ms = 0;
};
constexpr uint32_t kUnbounded = 0xFFFFFFFFu;
// What is left of the share at now (tick counts wrap): 0 once it has passed,
// kUnbounded for a share without a bound.
uint32_t TimeLeft(const TimeShare& share, uint32_t now);

// The flags word handed to the panel: the record's location bits (1 centre,
// 0x80 tray) are added unless the word is exactly 8 (a panel that is never
// shown keeps no placement).
uint32_t LaunchFlags(uint32_t flags, uint32_t recordPlacement);
// templatesUrl + "?template=ecp&skin=" + skin.
std::wstring TemplateUrl(const std::wstring& templatesUrl, const std::wstring& skin);
// The message that ends a launch: close at once (11205) for a hidden panel,
// else fade in (11219).
unsigned FinalLaunchMessage(uint32_t flags);
// Whether the panel saves its mask image for the launcher.
bool WantsMask(uint32_t flags);
bool IsMenuPanelLaunch(uint32_t flags);
// A single-instance menu panel that stays open on outside clicks.
bool IsStickyMenuPanel(bool singleInstance, uint32_t flags);

// The parts of a panel's content URL.
struct EcpUrlParts {
    std::wstring ecpUrl;     // the settings' //init//urls//ecp
    std::wstring id;         // the record's identifier
    std::wstring queryText;  // the record's query text
    bool showAds = true;
    std::wstring userId;
    std::wstring version;
    std::wstring context;
};
std::wstring BuildEcpUrl(const EcpUrlParts& parts);

// The browser URL of a record: its action URL with every "{pq_token}" replaced
// by the query text percent-encoded, each "%20" of that written as the
// record's whitespace text.
std::wstring BrowserActionUrl(const std::wstring& actionUrl, const std::wstring& queryText,
                              const std::wstring& whitespace);

// What a reload (11202, and a navigation's reload) does, first match: a
// record without skin opens its action URL in the browser; without network
// the controller hears of it; with no current URL and no one-visit record the
// panel only refreshes (ready again, its content URL rebuilt and drawn); a
// panel with a content element navigates it; anything else asks the
// application to open the record.
enum class ReloadStep { kOpenInBrowser, kOffline, kRefresh, kNavigateContent, kOpenRecord };
struct ReloadInput {
    bool noSkin = false;
    bool networkUp = true;
    bool currentUrlEmpty = false;
    bool oneVisit = false;
    bool hasContent = false;
};
ReloadStep DecideReload(const ReloadInput& in);
// Whether a reload makes the current URL the query text: wParam 0 (the query
// is not kept) and the record not searchable or lParam > 0.
bool ReloadTakesUrlAsQuery(bool keepQuery, bool searchable, bool urlIsQuery);

// What a navigation (11201) does after it took the next record: a content
// panel or a one-visit record (not the search panel) reloads; else the search
// control shows the record and a search panel reloads unless this is its
// first navigation.
struct NavigatePlan {
    bool reload = false;         // OnReload(1, lParam)
    bool showInControl = false;  // the search control takes the record's icon, the panel is drawn
};
NavigatePlan PlanNavigate(bool hasContent, bool oneVisit, bool searchPanel, bool hasSearchControl,
                          bool skipFirstReload);

// A menu panel's tail (flag 0x10): one of the template's four tails, which
// points from the panel's side at the anchor rectangle.  Corners in the order
// of the panel's tail fields.
enum TailCorner { kTailLeftUpper = 0, kTailLeftLower = 1, kTailRightUpper = 2, kTailRightLower = 3 };
struct TailPlace {
    int corner = kTailLeftLower;
    int x = 0, y = 0;  // panel-window coordinates
    bool operator==(const TailPlace& o) const { return corner == o.corner && x == o.x && y == o.y; }
};
// Before the window is placed: the left-lower tail just outside the panel's
// left edge (7 pixels of it over the panel), a little below the middle of a
// panel of panelHeight.  The anchor moves right by the tail's width so that
// the panel leaves room for it.
TailPlace FirstTailPlace(int panelHeight, double tailWidth, double tailHeight);
// After the placement: a panel that had to go left of its anchor (it is then
// moved to leftOfAnchorX) points with its right-lower tail; a placement
// corrected vertically by dy moves the tail by the opposite amount, and a
// tail that ends up in the upper half becomes the upper tail of its side,
// placed by that tail's height below (upperHeights: the heights of the
// left-upper and right-upper tails).
TailPlace FinalTailPlace(const TailPlace& first, bool wentLeft, int dy, int panelWidth, int panelHeight,
                         double leftUpperHeight, double rightUpperHeight);
// Where a panel that went left of its anchor is moved: its right edge with
// the tail's 7 pixels just left of the anchor.
int LeftOfAnchorX(int anchorLeft, int panelWidth, double tailWidth);

}  // namespace panels
