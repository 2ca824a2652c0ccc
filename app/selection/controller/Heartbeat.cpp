#include "app/selection/controller/Heartbeat.h"

using namespace change_bits;

namespace {

// Sets a flag for its lifetime; an exception out of a step clears it too.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
};

}  // namespace

bool Heartbeat::Tick(HeartbeatHost& host) {
    if (inTick_) return false;
    FlagScope running(inTick_);
    TickSteps(host);
    return true;
}

void Heartbeat::TickSteps(HeartbeatHost& host) {
    if (host.IsStarting()) return;

    // No polling and no hover tracking while a menu panel or the text menu is
    // open: the hotspot stays as it is.
    if (!host.IsMenuPanelOpen() && !host.IsTextMenuVisible()) {
        bool clear = false;
        if (!host.IsOnline()) {
            clear = true;
        } else {
            LONG bits = host.PollEnhancers();
            if (bits == 0) {
                clear = true;
            } else {
                if (bits & kHotSpot) {
                    host.ClearObserver();
                    host.EmptySelections();
                    if (host.ShowLinkPreviews()) host.CollectHotSpots();
                }
                if (bits & (kSelectionChanged | kSelection)) {
                    if (bits & kSelectionChanged) host.ForgetCurrentLink();
                    host.EmptySelections();
                    host.SetNewSelection(false);
                    if (host.ShowContextMenu() && (bits & kSelection)) {
                        host.SetNewSelection(true);
                        host.CollectSelections();
                    }
                }
                // A page change alone leaves nothing to show, whatever else
                // the poll did.
                if (host.IsMenuPanelOpen() || bits == kPageChanged) clear = true;
            }
        }
        if (clear) {
            host.ClearObserver();
            host.EmptySelections();
            host.HideHotspot();
        }
        if (!host.IsForegroundPopup()) host.TrackHover();
    }

    host.RetrySettings();
    host.RunPeriodicChecks();
}

void Heartbeat::Rescan(HeartbeatHost& host, bool runTick) {
    host.ForgetCurrentLink();
    if (host.IsMenuPanelOpen() || host.IsTextMenuVisible()) return;
    host.ClearObserver();
    if (host.ShowLinkPreviews()) host.CollectHotSpots();
    host.ForgetCurrentLink();
    host.EmptySelections();
    host.SetNewSelection(false);
    if (host.ShowContextMenu()) {
        host.SetNewSelection(true);
        host.CollectSelections();
    }
    if (runTick) Tick(host);
}

LONG Heartbeat::PollOnce(HeartbeatHost& host) {
    if (!host.IsOnline()) return 0;
    LONG bits = host.PollEnhancers();
    if (bits == kPageChanged) return bits;
    if (bits & kHotSpot) {
        host.ClearObserver();
        if (!host.ShowLinkPreviews()) return bits;
        host.CollectHotSpots();
        return host.FirstHotSpotIsHotspotTarget() ? 0 : bits;
    }
    if (bits & kSelection) {
        host.EmptySelections();
        host.SetNewSelection(false);
        if (!host.ShowContextMenu()) return bits;
        host.SetNewSelection(true);
        host.CollectSelections();
        return host.FirstSelectionIsHotspotTarget() ? 0 : bits;
    }
    return bits;
}

bool SettingsRetryDue(bool settingsLoaded, DWORD now, DWORD lastTick, DWORD interval) {
    return !settingsLoaded && static_cast<DWORD>(now - lastTick) > interval;
}

void RetrySettingsStep(bool& settingsLoaded, DWORD& lastTick, DWORD interval, const std::function<DWORD()>& clock,
                       const std::function<bool()>& reload) {
    if (!SettingsRetryDue(settingsLoaded, clock(), lastTick, interval)) return;
    settingsLoaded = reload();
    lastTick = clock();
}
