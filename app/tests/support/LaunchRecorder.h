// A controller for tests that records what it is asked to open instead of
// opening it: each URL for the user's browser and each panel launch with its
// arguments (the setting's context too).  Base is the controller it stands
// on: the recording controller or the real one.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/core/config/UserSetting.h"

template <class Base>
class LaunchRecorder : public Base {
public:
    struct Launch {
        RECT anchor;
        UserSetting* record;
        std::wstring context, text, title;
        DWORD flags;
    };
    std::vector<std::wstring> urls;
    std::vector<Launch> launches;
    HWND launchAnswer = nullptr;  // what a launch answers (the panel's window)

    void OpenUrlInBrowser(const std::wstring& url) override { urls.push_back(url); }
    HWND LaunchEcp(const RECT& anchor, UserSetting* record, const std::wstring& text, const std::wstring& title,
                   DWORD flags) override {
        launches.push_back({anchor, record, record ? record->m_Context : std::wstring(), text, title, flags});
        return launchAnswer;
    }
};
