// Which messages a settings reload sends about the dock flag.
#pragma once

// The dock flag a reload compares against: the current one while settings
// are loaded, true otherwise.
inline bool RememberedDockFlag(bool settingsLoaded, bool showDockBar) {
    return settingsLoaded ? showDockBar : true;
}

struct ReloadMessages {
    bool toDock = false;    // 11117 to the dock bar: show or hide
    bool toPanels = false;  // 11214 to every open panel
};

inline ReloadMessages MessagesAfterReload(bool rememberedDock, bool loadedNow, bool showDockBarNow) {
    ReloadMessages m;
    m.toDock = showDockBarNow != rememberedDock;
    m.toPanels = loadedNow && m.toDock;
    return m;
}
