// The application values that threads other than the user-interface thread
// read (HTTP request, panel, dock and worker threads): server URLs, user ids,
// directories, the flags of the loaded settings and the shared cursors, as
// one immutable snapshot.  The user-interface thread publishes a fresh one
// when it sets the user ids at start-up, once the shared graphics are loaded
// and at each settings download and load (CPondrelApp::PublishSnapshot); a
// reader takes theApp.Snapshot() once, keeps it while it uses it, and never
// reads the application object's members.
#pragma once

#include <windows.h>

#include <string>

struct AppSnapshot {
    // Server URLs.
    std::wstring initUrl;
    std::wstring settingsUrl;
    std::wstring previewUrl;
    std::wstring logUrl;
    std::wstring uploadUrl;
    std::wstring ecpUrl;
    std::wstring adsUrl;
    std::wstring imagesUrl;
    std::wstring templatesUrl;
    std::wstring siteEnhancerUrl;
    std::wstring messagesUrl;
    std::wstring ignoresUrl;
    std::wstring updatesUrl;
    std::wstring defaultEcp;
    std::wstring searchEcp;
    // The user and the program.
    std::wstring userId;
    std::wstring tid;
    std::wstring version;
    std::wstring installDir;
    std::wstring cacheDir;
    std::wstring tempDir;
    // Flags of the loaded settings.
    bool useIgnoreList = false;
    bool enableBestGuess = false;
    bool showLinkPreviews = false;
    bool showDockBar = true;
    bool scriptErrorsSuppressed = false;
    bool logAuth = true;
    // The shared graphics' system cursors (SharedGraphics), null before they
    // are loaded.
    HCURSOR arrowCursor = nullptr;
    HCURSOR handCursor = nullptr;
    HCURSOR sizeNWSECursor = nullptr;
    HCURSOR sizeNESWCursor = nullptr;
    HCURSOR sizeWECursor = nullptr;
    HCURSOR sizeNSCursor = nullptr;
};
