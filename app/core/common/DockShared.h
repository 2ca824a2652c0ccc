// What the dock shares with the application and the controller: the dock
// items the settings name (m_DockImports) and the request an imported item's
// click leaves for the controller (m_DockRequest), together in one
// DockImportState, which the application keeps locked
// (CPondrelApp::m_DockImportState).
#pragma once

#include <string>
#include <vector>

// One dock item of the settings (/init/dock/areas/item[n]/...).
struct DockItemImportNode {
    std::wstring text;
    std::wstring ecpId;     // ecp: the panel record's identifier
    std::wstring iconPath;  // icon: the local path of the downloaded icon file
    std::wstring context;
    bool control = false;   // control is "true" (ignoring case): the item is shown
    bool docked = false;    // docked is "true" (ignoring case); read by nothing
};
using DockItemImportList = std::vector<DockItemImportNode>;

// The panel an imported item's click opens (controller message 11145).
struct DockRequest {
    std::wstring ecpId;
    std::wstring url;
};

struct DockImportState {
    DockItemImportList m_DockImports;  // the settings' dock items
    DockRequest m_DockRequest;         // an imported item's click for 11145
};
