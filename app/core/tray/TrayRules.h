// The connection state's rules as plain code: the icon and tooltip of the
// tray's enabled and disabled looks (first matching row), and what a new
// default-route test leads to (one offline balloon per offline period, and on
// the route's return a best-guess resend or a settings reload, never a second
// reload while one runs).
#pragma once

namespace tray {

struct StateFlags {
    bool online = false;
    bool settingsLoaded = false;
    bool downloadTried = false;
    bool starting = false;
    bool disabled = false;
};

// An icon resource id and a string id of the program's texts.
struct Look {
    unsigned icon;
    unsigned tooltip;
};

// The enabled look (the caller shows nothing while disabled).
Look EnabledLook(const StateFlags& f);
Look DisabledLook(const StateFlags& f);
// The look for the current state: disabled or enabled.
Look CurrentLook(const StateFlags& f);
// The connecting look: icon 152 while starting, else 158; tooltip 108.
Look ConnectingLook(bool starting);
// Not disabled, settings loaded, online and not starting.
bool IsReady(const StateFlags& f);

// The online flags of the application.
struct Connection {
    bool online = false;
    bool wasOnline = false;
    bool offlineNoticeShown = false;
};

enum class OnReturn { Nothing, ResendBestGuess, ReloadSettings };

struct ConnectionStep {
    bool showOfflineBalloon = false;
    OnReturn onReturn = OnReturn::Nothing;
};

// Takes the result of a route test into c.  notify: a lost route may show
// the balloon.  reloadRunning: a settings reload is under way (it downloads
// the settings anyway, so no second one starts).
ConnectionStep TakeRouteTest(Connection& c, bool routeUp, bool notify, bool haveDocument, bool settingsLoaded,
                             bool reloadRunning);

}  // namespace tray
