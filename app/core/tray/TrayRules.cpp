#include "app/core/tray/TrayRules.h"

namespace tray {

namespace {
// Icon resources and string ids of the looks.
constexpr unsigned kIconDisabledOffline = 151, kIconStartingOrDisabled = 152, kIconOffline = 153,
                   kIconOnline = 154, kIconNoSettings = 157, kIconConnecting = 158;
constexpr unsigned kTipEnabledOnline = 104, kTipDisabledOnline = 105, kTipEnabledOffline = 106,
                   kTipDisabledOffline = 107, kTipConnecting = 108, kTipUnableToConnect = 109;
}  // namespace

Look EnabledLook(const StateFlags& f) {
    if (f.online && f.settingsLoaded && f.downloadTried)
        return f.starting ? Look{kIconStartingOrDisabled, kTipConnecting} : Look{kIconOnline, kTipEnabledOnline};
    if (f.online && !f.settingsLoaded)
        return f.starting ? Look{kIconStartingOrDisabled, kTipConnecting}
                          : Look{kIconNoSettings, kTipUnableToConnect};
    return {kIconOffline, kTipEnabledOffline};
}

Look DisabledLook(const StateFlags& f) {
    if (f.starting) return {kIconStartingOrDisabled, kTipDisabledOnline};
    if (f.online) return f.settingsLoaded ? Look{kIconStartingOrDisabled, kTipDisabledOnline}
                                          : Look{kIconNoSettings, kTipUnableToConnect};
    return {kIconDisabledOffline, kTipDisabledOffline};
}

Look CurrentLook(const StateFlags& f) { return f.disabled ? DisabledLook(f) : EnabledLook(f); }

Look ConnectingLook(bool starting) {
    return {starting ? kIconStartingOrDisabled : kIconConnecting, kTipConnecting};
}

bool IsReady(const StateFlags& f) { return !f.disabled && f.settingsLoaded && f.online && !f.starting; }

ConnectionStep TakeRouteTest(Connection& c, bool routeUp, bool notify, bool haveDocument, bool settingsLoaded,
                             bool reloadRunning) {
    ConnectionStep step;
    c.wasOnline = c.online;
    c.online = routeUp;
    if (c.online) c.offlineNoticeShown = false;
    if (notify && !c.online && !c.offlineNoticeShown) {
        c.offlineNoticeShown = true;
        step.showOfflineBalloon = true;
    }
    if (c.online && !c.wasOnline && haveDocument) {
        if (settingsLoaded)
            step.onReturn = OnReturn::ResendBestGuess;
        else if (!reloadRunning)
            step.onReturn = OnReturn::ReloadSettings;
    }
    return step;
}

}  // namespace tray
