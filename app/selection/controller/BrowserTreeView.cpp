#include "app/selection/controller/BrowserTreeView.h"

#include <commctrl.h>

#include <set>

#include "app/core/common/GlobalLocks.h"
#include "fx/Lock.h"
#include "app/core/main/BestGuessThread.h"
#include "app/core/main/PondrelApp.h"
#include "app/core/main/PondrelDoc.h"
#include "app/core/config/Settings.h"
#include "app/core/config/UserSetting.h"
#include "app/panels/thread/HoverThread.h"
#include "app/selection/controller/ControllerMessages.h"
#include "app/selection/controller/ControllerSteps.h"
#include "app/selection/controller/EnhancerCalls.h"
#include "app/selection/menus/AppMenu.h"
#include "app/selection/menus/TrayMenu.h"
#include "log/PondrelLog.h"

namespace {

template <class Menu>
std::unique_ptr<Menu> MakeMenu(const wchar_t* name, BrowserTreeView* view, Observer* observer) {
    auto menu = std::make_unique<Menu>();
    if (!menu->CreateMenu(name, view, observer)) LogWithPrefix(L"Could not create the pop-up window %s", name);
    return menu;
}

}  // namespace

BrowserTreeView::BrowserTreeView() : m_pHotspot(std::make_unique<TxSelWin>()), m_Observer(*this) {
    m_MakePanelThread = panels::MakeHoverThread;
    m_Observer.m_HotSpots.SetHotspotLinkSlot(&m_pHotspot->m_pLinkRecord);
    m_Observer.m_Selections.SetHotspotLinkSlot(&m_pHotspot->m_pLinkRecord);
}

BrowserTreeView::~BrowserTreeView() {
    if (hwnd()) ::KillTimer(hwnd(), kHeartbeatTimer);
    // Nothing that waits for the enhancers runs any more.
    ::UnloadEnhancers(m_Enhancers, &theApp.m_pSiteEnhancer, &theApp.m_pSiteEnhancerDispatch);
    theApp.m_EnhancerCount = 0;
    m_pCurrentLink = nullptr;
}

bool BrowserTreeView::Create(HWND parent, const RECT& rc, UINT id) {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TREEVIEW_CLASSES};
    ::InitCommonControlsEx(&icc);
    return CreateEx(0, WC_TREEVIEWW, L"", WS_CHILD | WS_VISIBLE | WS_BORDER, rc.left, rc.top, rc.right - rc.left,
                    rc.bottom - rc.top, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)));
}

void BrowserTreeView::OnInitialUpdate() {
    LONG_PTR style = ::GetWindowLongPtrW(hwnd(), GWL_STYLE);
    ::SetWindowLongPtrW(hwnd(), GWL_STYLE, style | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT);
    CreatePopupWindows();
    ::SetTimer(hwnd(), kHeartbeatTimer, kHeartbeatPeriodMs, nullptr);
}

// The hotspot and the four root menus, hidden; the menus build their items
// as they are created.
void BrowserTreeView::CreatePopupWindows() {
    if (!m_pHotspot->CreateHotspot(TxMenuWin::kClass, this, HotspotImages()))
        LogWithPrefix(L"Could not create the pop-up window %s", L"HoverHotspot");
    m_pTextMenu = MakeMenu<TextRootMenu>(L"TxMenu", this, &m_Observer);
    m_pSearchMenu = MakeMenu<SearchMenu>(L"SearchMenu", this, &m_Observer);
    m_pAppMenu = MakeMenu<AppMenu>(L"AppMenu", this, &m_Observer);
    m_pTrayMenu = MakeMenu<TrayMenu>(L"TrayMenu", this, nullptr);
}

template <class F>
auto BrowserTreeView::CallEnhancers(F&& call) -> decltype(call()) {
    auto result = [&] {
        enhancer_gate::Gate::Call inCall(m_Gate);
        return call();
    }();
    RunDeferredWork();
    return result;
}

// What arrived while the enhancers were being called: the reload first (it
// replaces every enhancer), then the poll and the rescan over the list as it
// is now.  Each runs once; more work arriving meanwhile runs after it.
void BrowserTreeView::RunDeferredWork() {
    using namespace enhancer_gate;
    for (unsigned work = m_Gate.Take(); work != 0; work = m_Gate.Take()) {
        if (work & kReload) {
            LogLine(L"Reload Settings after the enhancer call");
            theApp.ReloadSettings();
        }
        if (work & kPoll) PollOnce();
        if (work & (kRescan | kRescanWithTick)) Rescan((work & kRescanWithTick) != 0);
    }
}

bool BrowserTreeView::DeferReload() { return m_Gate.Defer(enhancer_gate::kReload); }

void BrowserTreeView::Tick() {
    if (m_Gate.Busy()) return;  // an enhancer pumping messages: the next tick
    RunDeferredWork();
    m_Heartbeat.Tick(*this);
}

LONG BrowserTreeView::PollEnhancers() {
    PollGate gate;
    gate.enhancerCount = theApp.m_EnhancerCount;
    gate.leftButtonDown = IsLeftButtonDown();
    gate.enhancersOff = theApp.m_EnhancersOff;
    return CallEnhancers([&] { return ::PollEnhancers(m_Enhancers, gate); });
}

void BrowserTreeView::Rescan(bool runTick) {
    if (m_Gate.Defer(runTick ? enhancer_gate::kRescanWithTick : enhancer_gate::kRescan)) return;
    m_Heartbeat.Rescan(*this, runTick);
}

// During a call into an enhancer the poll runs once that call has returned;
// the raw-input handler meanwhile sees nothing new.
int BrowserTreeView::PollOnce() {
    if (m_Gate.Defer(enhancer_gate::kPoll)) return 0;
    return static_cast<int>(m_Heartbeat.PollOnce(*this));
}

void BrowserTreeView::HideMenus(bool includeSearchMenu) {
    if (includeSearchMenu && m_pSearchMenu && ::IsWindowVisible(m_pSearchMenu->hwnd())) HideMenu(*m_pSearchMenu);
    for (TxMenuWin* menu : {static_cast<TxMenuWin*>(m_pTextMenu.get()), m_pAppMenu.get(), m_pTrayMenu.get()})
        if (menu) HideMenu(*menu);
}

// The tray menu with its bottom edge 2 pixels above the cursor, the
// controller as owner and no observer.  A pending rebuild (after a settings
// load) replaces the items instead of adding to them.
void BrowserTreeView::ShowTrayMenu(POINT cursor) {
    if (!m_pTrayMenu) return;
    if (auto* tray = dynamic_cast<TrayMenu*>(m_pTrayMenu.get()); tray && tray->m_Rebuild) tray->ClearItems();
    m_pTrayMenu->BuildItems();
    m_pTrayMenu->MeasureItems();
    const LONG top = cursor.y - m_pTrayMenu->m_Height - 2;
    m_pTrayMenu->ShowAt(RECT{cursor.x, top, cursor.x, top}, this, nullptr);
}

void BrowserTreeView::SetDebugItemText(const std::wstring& text) {
    if (m_pAppMenu && m_pAppMenu->m_pDebugItem) m_pAppMenu->m_pDebugItem->m_Text = text;
}

void BrowserTreeView::RequestTrayMenuRebuild() {
    if (auto* menu = dynamic_cast<TrayMenu*>(m_pTrayMenu.get())) menu->m_Rebuild = true;
}

void BrowserTreeView::RebuildMenus() {
    for (TxMenuWin* menu : {static_cast<TxMenuWin*>(m_pSearchMenu.get()), static_cast<TxMenuWin*>(m_pTextMenu.get()),
                            m_pAppMenu.get(), m_pTrayMenu.get()})
        if (menu) RebuildMenu(*menu);
}

int BrowserTreeView::CollectHotSpots() {
    return CallEnhancers([&] { return ::CollectHotSpots(m_Enhancers, m_Observer.m_HotSpots, &m_Observer.m_AreaTitle); });
}

int BrowserTreeView::CollectSelections() {
    int count = CallEnhancers([&] { return ::CollectSelections(m_Enhancers, m_Observer.m_Selections); });
    LogNewSelections();
    return count;
}

// The collected records go to the log when they differ from the ones logged
// last, so a selection that stays as it is appears once.
void BrowserTreeView::LogNewSelections() {
    std::vector<std::wstring> lines;
    for (size_t i = 0; i < m_Observer.m_Selections.GetCount(); ++i)
        lines.push_back(SelectionRecordLine(*m_Observer.m_Selections.GetAt(i)));
    if (lines == m_LoggedSelections) return;
    for (const std::wstring& line : lines) LogLine(line.c_str());
    m_LoggedSelections = std::move(lines);
}

void BrowserTreeView::UnloadEnhancers() {
    CallEnhancers([&] {
        ::UnloadEnhancers(m_Enhancers, &theApp.m_pSiteEnhancer, &theApp.m_pSiteEnhancerDispatch);
        theApp.m_EnhancerCount = 0;
        return 0;
    });
}

bool BrowserTreeView::NavigateBrowser(HWND browser, const std::wstring& url) {
    return CallEnhancers([&] { return ::NavigateBrowser(m_Enhancers, browser, url); });
}

bool BrowserTreeView::IsTextMenuVisible() { return m_pTextMenu && ::IsWindowVisible(m_pTextMenu->hwnd()); }

void BrowserTreeView::HideTextMenu() { ::HideTextMenu(*this); }
bool BrowserTreeView::HotspotGuessesRequested() const { return ::HotspotGuessesRequested(*this); }
HWND BrowserTreeView::TextSubMenuWindow() const { return ::TextSubMenuWindow(*this); }
void BrowserTreeView::AdvanceHotspotFade() { ::AdvanceHotspotFade(*this); }
void BrowserTreeView::CloseMenuEcp() { ::CloseMenuEcp(*this); }
bool BrowserTreeView::IsPointOverPopup(POINT pt, bool buttonDown) { return ::IsPointOverPopup(*this, pt, buttonDown); }
void BrowserTreeView::HideHotspot() { ::HideHotspot(*this); }
void BrowserTreeView::TrackHover() { ::TrackHover(*this); }

bool BrowserTreeView::IsStarting() { return theApp.m_Starting; }
bool BrowserTreeView::IsOnline() { return theApp.m_Online; }
bool BrowserTreeView::ShowLinkPreviews() { return theApp.m_ShowLinkPreviews; }
bool BrowserTreeView::ShowContextMenu() { return theApp.m_ShowContextMenu; }

bool BrowserTreeView::IsForegroundPopup() {
    HWND foreground = ::GetForegroundWindow();
    return foreground && (::GetWindowLongPtrW(foreground, GWL_STYLE) & WS_POPUP);
}

bool BrowserTreeView::FirstHotSpotIsHotspotTarget() {
    LinkInfo* first = m_Observer.m_HotSpots.GetHead();
    return first && HotspotTargetIs(*this, first->m_Rect);
}

bool BrowserTreeView::FirstSelectionIsHotspotTarget() {
    LinkInfo* first = m_Observer.m_Selections.GetHead();
    return first && HotspotTargetIs(*this, first->m_Rect);
}

void BrowserTreeView::EmptySelections() { m_Observer.m_Selections.RemoveAllLinks(); }

void BrowserTreeView::RetrySettings() {
    bool loaded = theApp.m_SettingsLoaded;
    RetrySettingsStep(loaded, theApp.m_SettingsRetryTick, theApp.m_SettingsRetryInterval, m_Clock,
                      [] { return theApp.ReloadSettings(); });
    theApp.m_SettingsLoaded = loaded;
}

void BrowserTreeView::RunPeriodicChecks() {
    AppPollConnection();
    AppProcessServerMessages();
    CollectUsageStats();
}

bool BrowserTreeView::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    using namespace controller_msg;
    result = 0;
    switch (msg) {
        case WM_TIMER:
            if (wp != kHeartbeatTimer) return false;  // the tree control's own timers
            Tick();
            return true;
        case WM_HOTKEY: OnHotKey(wp); return true;
        case kLoadEcpList: AppLoadEcpList(wp, lp); return true;
        case kSaveContents: AppSaveContents(); return true;
        case kOpenDefaultPanel: AppOpenDefaultPanel(); return true;
        case kNothing11115: return true;
        case kSplashFlag: return true;  // a splash flag that nothing reads
        case kOpenSettingsPanel: AppOpenSettingsPanel(); return true;
        case kToggleEnhancers: theApp.OnToggleEnhancers(); return true;
        case kToggleClickOuts: theApp.OnToggleClickOuts(); return true;
        case kOpenPromoPanel: AppOpenPromoPanel(); return true;
        case kOpenMobilePanel: AppOpenMobilePanel(); return true;
        case kOpenMiniBrowser: AppOpenMiniBrowser(); return true;
        case kReloadSettings: theApp.OnReloadSettings(); return true;
        case kToggleContextPanel: AppToggleContextPanel(*this, lp); return true;
        case kHideMenus: AppHideMenus(); return true;
        case kReportBug: AppReportBug(*this); return true;
        case kMenuPanelGone:
            // wParam: the window of the panel whose tail went (its children
            // thread posts it); only the recorded menu panel's counts, as a
            // panel closed meanwhile is not the one recorded any more.
            if (reinterpret_cast<HWND>(wp) != m_hMenuPanel) return true;
            m_pMenuPanelMask.reset();
            m_pMenuPanel = nullptr;
            return true;
        case kRescan:
            m_Panels.ReapEnded();
            if (!theApp.m_Starting) Rescan(true);
            return true;
        case kBestGuessAnswer: OnBestGuessAnswer(wp, lp); return true;
        case kConnectionState: theApp.UpdateConnectionState(true); return true;
        case kDockAnimation: PostToAllPanels11203(*this); return true;
        case kPanelUsage: OnPanelUsage(wp, lp); return true;
        case kNavigateUrl: {
            OpenUrlInBrowser(theApp.m_NavigateUrl.Copy());
            return true;
        }
        case kDockEcp: DockEcp(); return true;
        case kRunSetup: RunSetup(); return true;
        case kSetupDownloadFailed: theApp.OnSetupDownloadFailed(); return true;
        case kBestGuessWindow: {
            // Any window can post this: only the best-guess thread's own window is taken.
            const HWND window = reinterpret_cast<HWND>(wp);
            const BestGuessThread* thread = theApp.m_pBestGuessThread.get();
            if (window && thread && window == thread->HandlerWindow())
                theApp.m_hBestGuessWnd = window;
            else
                LogLine(L"BestGuess: 11147 names no window of the best-guess thread; ignored");
            return true;
        }
        case kRequestGuesses: RequestGuesses(*this); return true;
        default: return false;
    }
}

void BrowserTreeView::OnHotKey(WPARAM id) {
    if (id != kSearchHotKeyId) return;
    Settings* settings = theApp.m_pDoc ? theApp.m_pDoc->GetSettingsView() : nullptr;
    RECT anchor{0, 0, 20, 20};
    LaunchEcp(anchor, settings ? settings->m_pSearchEcp : nullptr, L"", theApp.GetVersionTitle(), 1);
}

void BrowserTreeView::OnPanelUsage(WPARAM openMs, LPARAM block) {
    std::wstring id;
    if (!TakePanelUsageId(block, &id)) return;
    Settings* settings = theApp.m_pDoc ? theApp.m_pDoc->GetSettingsView() : nullptr;
    if (UserSetting* record = settings ? settings->FindEcp(id) : nullptr) {
        record->m_OpenCount += 1;
        record->m_OpenTime += static_cast<int32_t>(openMs);
    }
}

void BrowserTreeView::OnBestGuessAnswer(WPARAM requestId, LPARAM onSearchMenu) {
    if (static_cast<int>(requestId) != theApp.m_BestGuessRequestId) return;  // a stale answer
    TakeBestGuessAnswer(onSearchMenu != 0);
}

void BrowserTreeView::TakeBestGuessAnswer(bool onSearchMenu) {
    TakeBestGuessResult();
    AddGuessItems(*this, onSearchMenu);
    RefreshTrayState();
}

namespace {

// The 11143 blocks handed out and not yet taken back: the controller window
// can be found from other processes, so an lParam is freed only when it is
// one of these.
struct PanelUsageBlocks {
    fx::CriticalSection lock;
    std::set<const std::wstring*> out;
};

PanelUsageBlocks& HandedOutBlocks() {
    static PanelUsageBlocks blocks;
    return blocks;
}

}  // namespace

bool PostPanelUsage(HWND controller, const std::wstring& ecpId, DWORD openMs) {
    auto block = std::make_unique<std::wstring>(ecpId);
    PanelUsageBlocks& blocks = HandedOutBlocks();
    {
        fx::ScopedLock hold(blocks.lock);
        blocks.out.insert(block.get());
    }
    if (::PostMessageW(controller, controller_msg::kPanelUsage, openMs, reinterpret_cast<LPARAM>(block.get()))) {
        block.release();
        return true;
    }
    fx::ScopedLock hold(blocks.lock);
    blocks.out.erase(block.get());
    return false;
}

bool TakePanelUsageId(LPARAM block, std::wstring* id) {
    auto* p = reinterpret_cast<const std::wstring*>(block);
    PanelUsageBlocks& blocks = HandedOutBlocks();
    bool ours = false;
    {
        fx::ScopedLock hold(blocks.lock);
        ours = blocks.out.erase(p) != 0;
    }
    if (!ours) {
        wchar_t line[96];
        _snwprintf(line, 95, L"Panel usage message with an unknown block 0x%p ignored", reinterpret_cast<void*>(block));
        line[95] = 0;
        LogLine(line);
        return false;
    }
    std::unique_ptr<const std::wstring> owned(p);
    if (id) *id = *owned;
    return true;
}

std::unique_ptr<ControllerOps> MakeBrowserTreeView() { return std::make_unique<BrowserTreeView>(); }
