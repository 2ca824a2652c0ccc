// Whether the "open search panel" command opens the search panel: the program
// must be enabled, online, past its start with its settings loaded, and the
// search binding must name a record of the current list (a binding left from
// an earlier list is never followed).
#pragma once

struct SearchPanelState {
    bool disabled = false;
    bool settingsLoaded = false;
    bool online = false;
    bool starting = false;
    bool haveController = false;       // the document has a controller
    bool haveSettingsView = false;     // and a settings view
    bool searchBound = false;          // the view binds a search record
    bool searchInCurrentList = false;  // that record is one of the view's records
};

bool ShouldOpenSearchPanel(const SearchPanelState& s);
