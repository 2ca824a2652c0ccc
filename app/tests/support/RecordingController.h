// A stand-in controller for the document and the main frame: it records each
// operation called on it and answers the queries from its fields.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/core/frame/ControllerOps.h"
#include "fx/DocTemplate.h"
#include "tests/support/Utf8.h"

class RecordingController : public ControllerOps {
public:
    std::vector<std::string> calls;
    RECT createdRect{};
    HWND createdParent = nullptr;
    UINT createdId = 0;
    fx::View window;  // the controller's window

    // State answers.
    bool hasMenuPanel = false;
    HWND menuPanel = nullptr;
    bool sticky = false;
    HWND hotspot = nullptr;
    bool guessesRequested = false;
    bool overPopup = false;
    bool buttonDownSeen = true;
    bool downOverPopup = false;
    std::vector<int> pollResults;

    // LaunchEcp's arguments.
    RECT launchAnchor{};
    UserSetting* launchRecord = nullptr;
    std::wstring launchText, launchTitle;
    DWORD launchFlags = 0;

    bool CreateControllerWindow(HWND parent, const RECT& rc, UINT id) override {
        calls.push_back("Create");
        createdParent = parent;
        createdRect = rc;
        createdId = id;
        return window.CreateView(parent, rc, id, WS_CHILD);
    }
    void InitialUpdate() override { calls.push_back("InitialUpdate"); }
    bool HasMenuPanel() const override { return hasMenuPanel; }
    HWND MenuPanelWindow() const override { return menuPanel; }
    bool MenuPanelSticky() const override { return sticky; }
    HWND HotspotWindow() const override { return hotspot; }
    bool HotspotGuessesRequested() const override { return guessesRequested; }
    HWND TextMenuWindow() const override { return nullptr; }
    HWND TextSubMenuWindow() const override { return nullptr; }
    bool ButtonDownSeen() const override { return buttonDownSeen; }
    bool DownOverPopup() const override { return downOverPopup; }
    void AdvanceHotspotFade() override { calls.push_back("AdvanceHotspotFade"); }
    void HideHotspot() override { calls.push_back("HideHotspot"); }
    void HideMenus(bool includeSearch) override {
        calls.push_back(includeSearch ? "HideMenus(search)" : "HideMenus(keep search)");
    }
    void CloseMenuEcp() override { calls.push_back("CloseMenuEcp"); }
    bool IsPointOverPopup(POINT, bool down) override {
        calls.push_back(down ? "IsPointOverPopup(down)" : "IsPointOverPopup(up)");
        return overPopup;
    }
    int PollOnce() override {
        calls.push_back("PollOnce");
        if (pollResults.empty()) return 0;
        int r = pollResults.front();
        pollResults.erase(pollResults.begin());
        return r;
    }
    HWND ControllerWindow() const override { return nullptr; }
    WatcherObList& Enhancers() override { return enhancers; }
    void UnloadEnhancers() override { calls.push_back("UnloadEnhancers"); }
    void RebuildMenus() override { calls.push_back("RebuildMenus"); }
    void OpenUrlInBrowser(const std::wstring&) override { calls.push_back("OpenUrlInBrowser"); }
    WatcherObList enhancers;
    void Rescan(bool runTick) override { calls.push_back(runTick ? "Rescan(tick)" : "Rescan"); }
    bool DeferReload() override { return deferReload; }
    void ShowTrayMenu(POINT) override { calls.push_back("ShowTrayMenu"); }
    void RequestTrayMenuRebuild() override { calls.push_back("RequestTrayMenuRebuild"); }
    void HideTextMenu() override { calls.push_back("HideTextMenu"); }
    void SetDebugItemText(const std::wstring& text) override { calls.push_back("SetDebugItemText(" + testsupport::Utf8(text) + ")"); }
    void CloseAllPanels() override { calls.push_back("CloseAllPanels"); }
    void PostToAllPanels(UINT msg) override { calls.push_back("PostToAllPanels(" + std::to_string(msg) + ")"); }
    bool deferReload = false;
    HWND LaunchEcp(const RECT& anchor, UserSetting* record, const std::wstring& text, const std::wstring& title,
                   DWORD flags) override {
        calls.push_back("LaunchEcp");
        launchAnchor = anchor;
        launchRecord = record;
        launchText = text;
        launchTitle = title;
        launchFlags = flags;
        return nullptr;
    }
};
