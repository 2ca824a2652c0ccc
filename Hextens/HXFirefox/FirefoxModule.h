// HXFirefox's module-wide state: the channel to the extension, the alive
// events, the hot-spot and selection lists with their locks, the copy
// buffers of the extension's answers, the logger and the UtilityLib.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "FirefoxText.h"
#include "Hextens/HXFirefox/channel/SharedData.h"
#include "Hextens/HXLib/UtilityLib.h"
#include "fx/Handle.h"

struct FirefoxHotSpot {
    RECT rect;
    std::wstring text, href, idsXml, bestGuess;
};

struct FirefoxModule {
    // Created once per process; re-initialised at every Init.  Null when
    // its creation failed.
    std::unique_ptr<ffchannel::SharedData> channel;
    bool channelInUse = false;  // between Init and Unload
    fx::UniqueHandle enhancerAlive, extensionAlive;
    fx::UniqueHandle hotSpotLock, selectionLock;

    std::vector<FirefoxHotSpot> hotSpots;
    std::vector<fftext::TextItem> selection;

    wchar_t location[ffchannel::kPageTextChars] = L"";
    wchar_t domain[ffchannel::kPageTextChars] = L"";
    wchar_t title[ffchannel::kPageTextChars] = L"";
    // The block as the last poll found it, and the answers read from it.
    std::unique_ptr<ffchannel::ChannelBlock> blockCopy{new ffchannel::ChannelBlock()};
    std::unique_ptr<ffchannel::SelectionData> selectionCopy{new ffchannel::SelectionData()};
    std::unique_ptr<ffchannel::HotSpotData> hotSpotCopy{new ffchannel::HotSpotData()};

    tagCONFIG* config = nullptr;

    // The channel while the enhancer uses it (null otherwise).
    ffchannel::SharedData* Channel() const { return channelInUse ? channel.get() : nullptr; }
};

extern const wchar_t kModuleName[];  // "HXFirefox"
FirefoxModule& Module();
UtilityLib& Utility();

// Run by every IAction::Init.
void InitEnhancer();
// Run by IAction::Unload and when the module unloads; a second run does nothing.
void ReleaseEnhancer();
// At process termination, under the loader lock: marks the enhancer absent
// and closes handles; no waits, no logging.
void ReleaseAtProcessExit();

// A window whose class name is "MozillaUIWindowClass".
bool IsFirefoxWindow(HWND window);
// The foreground window's root owner is a Firefox window.
bool FirefoxInForeground();
