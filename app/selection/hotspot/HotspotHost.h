// What the hotspot asks of its owner, the controller: whether best-guess
// items were offered for the current target, whether the text menu or the
// menu panel is open, and what moving onto the icon opens.  The controller
// implements it and hands itself to the hotspot when it creates it; every
// call comes from the hotspot's window, on the user-interface thread.
#pragma once

#include <windows.h>

class LinkInfo;

class HotspotHost {
public:
    virtual ~HotspotHost() = default;

    // Best-guess items were offered for the current target (the icon then
    // shows the best-guess look).
    virtual bool HaveGuesses() const = 0;
    virtual bool IsTextMenuVisible() = 0;
    virtual bool IsMenuPanelOpen() = 0;
    // The text menu at the hotspot's place (menu mode), or the best-guess
    // panel launched at once.
    virtual void OpenTextMenuFromHotspot(const RECT& anchor, const LinkInfo& record) = 0;
    virtual void LaunchBestGuess(const RECT& anchor, const LinkInfo& record) = 0;
};
