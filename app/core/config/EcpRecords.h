// Rebuilding the content-panel records from the panel tree of the settings
// document: one record per panel entry, in document order, each logged and
// bound when it is a well-known panel.
#pragma once

#include <windows.h>

#include <string>

class Settings;
class XmlConfig;

// What the records take from the application besides the document.
struct EcpRecordSources {
    std::wstring installDir;
    std::wstring imagesUrl;
    std::wstring templatesUrl;
    std::wstring searchEcp;
    std::wstring* defaultEcp = nullptr;  // filled with the settings panel when empty
};

// Deletes the view's records and bindings and builds them anew from reader.
// loadStartTick: when the settings load began (for the "Ticks: " lines).
void RebuildEcpRecords(XmlConfig& reader, Settings& view, const EcpRecordSources& app, DWORD loadStartTick);
