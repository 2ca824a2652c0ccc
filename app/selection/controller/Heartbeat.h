// The controller's heartbeat as steps over what the controller offers: one
// tick, the re-collection from the last results, the single poll of the
// raw-input handler and the settings retry.  The decisions live here; the
// controller window only answers the questions and carries out the steps.
#pragma once

#include <windows.h>

#include <functional>

// The bits IAction::Update reports.
namespace change_bits {
constexpr LONG kSelection = 0x01;         // selection items present
constexpr LONG kHotSpot = 0x02;           // a hot spot present
constexpr LONG kPageChanged = 0x04;       // page or browser changed
constexpr LONG kSelectionChanged = 0x08;  // the selection changed
constexpr LONG kSecure = 0x20;            // an https page
}  // namespace change_bits

class HeartbeatHost {
public:
    virtual ~HeartbeatHost() = default;

    // Questions.
    virtual bool IsStarting() = 0;
    virtual bool IsMenuPanelOpen() = 0;
    virtual bool IsTextMenuVisible() = 0;
    virtual bool IsOnline() = 0;
    virtual bool ShowLinkPreviews() = 0;
    virtual bool ShowContextMenu() = 0;
    virtual bool IsForegroundPopup() = 0;
    // The first hot spot / selection record stands where the hotspot window
    // already points (its target rectangle); false when the list is empty.
    virtual bool FirstHotSpotIsHotspotTarget() = 0;
    virtual bool FirstSelectionIsHotspotTarget() = 0;

    // Steps.
    virtual LONG PollEnhancers() = 0;
    virtual void ClearObserver() = 0;  // the hot-spot list emptied, current link null
    virtual void ForgetCurrentLink() = 0;
    virtual void EmptySelections() = 0;
    virtual void SetNewSelection(bool value) = 0;
    virtual int CollectHotSpots() = 0;    // records added
    virtual int CollectSelections() = 0;
    virtual void HideHotspot() = 0;
    virtual void TrackHover() = 0;
    virtual void RetrySettings() = 0;
    virtual void RunPeriodicChecks() = 0;  // connection, server messages, statistics
};

// Runs ticks over a host; a tick that starts while one is running (an
// enhancer, a message box or a request pumping messages) is skipped.
class Heartbeat {
public:
    // One tick; false when it was skipped as nested.
    bool Tick(HeartbeatHost& host);
    // Clears and re-collects from the enhancers' last results; runTick then
    // runs a whole tick.
    void Rescan(HeartbeatHost& host, bool runTick);
    // One poll and collection for the raw-input handler: the bits, or 0 when
    // the first record is the one the hotspot already stands for.
    LONG PollOnce(HeartbeatHost& host);

    bool InTick() const { return inTick_; }

private:
    void TickSteps(HeartbeatHost& host);
    bool inTick_ = false;
};

// The retry of a failed settings load: due when the settings are not loaded
// and more than `interval` milliseconds passed since lastTick (the tick count
// may wrap).
bool SettingsRetryDue(bool settingsLoaded, DWORD now, DWORD lastTick, DWORD interval);
// When due by clock(): loaded = reload(), then lastTick = clock().
void RetrySettingsStep(bool& settingsLoaded, DWORD& lastTick, DWORD interval, const std::function<DWORD()>& clock,
                       const std::function<bool()>& reload);
