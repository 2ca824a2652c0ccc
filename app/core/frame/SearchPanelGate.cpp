#include "app/core/frame/SearchPanelGate.h"

bool ShouldOpenSearchPanel(const SearchPanelState& s) {
    if (s.disabled || !s.settingsLoaded || !s.online || s.starting) return false;
    return s.haveController && s.haveSettingsView && s.searchBound && s.searchInCurrentList;
}
