#include <gtest/gtest.h>

#include "app/core/frame/SearchPanelGate.h"

namespace {

SearchPanelState Ready() {
    SearchPanelState s;
    s.settingsLoaded = s.online = true;
    s.haveController = s.haveSettingsView = s.searchBound = s.searchInCurrentList = true;
    return s;
}

TEST(SearchPanelGate, OpensOnlyWhenEveryConditionHolds) {
    struct Case {
        const char* what;
        void (*change)(SearchPanelState&);
        bool opens;
    } cases[] = {
        {"ready", [](SearchPanelState&) {}, true},
        {"disabled", [](SearchPanelState& s) { s.disabled = true; }, false},
        {"settings not loaded", [](SearchPanelState& s) { s.settingsLoaded = false; }, false},
        {"offline", [](SearchPanelState& s) { s.online = false; }, false},
        {"starting", [](SearchPanelState& s) { s.starting = true; }, false},
        {"no controller", [](SearchPanelState& s) { s.haveController = false; }, false},
        {"no settings view", [](SearchPanelState& s) { s.haveSettingsView = false; }, false},
        {"no search record", [](SearchPanelState& s) { s.searchBound = s.searchInCurrentList = false; }, false},
        {"binding from an earlier list", [](SearchPanelState& s) { s.searchInCurrentList = false; }, false},
    };
    for (const auto& c : cases) {
        SearchPanelState s = Ready();
        c.change(s);
        EXPECT_EQ(ShouldOpenSearchPanel(s), c.opens) << c.what;
    }
}

}  // namespace
