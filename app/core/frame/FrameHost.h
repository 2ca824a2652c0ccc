// What the hidden main frame and its settings page ask of the application
// object: its run-state flags, its document, the tray icon's callbacks, the
// about box, the version title and the shared font.  The application object
// implements this interface (app/core/main/AppFrameHost.cpp) and installs it
// when it is made.  Until a host is installed the frame gets the answers of
// an empty program: no flag set, no document, 0 for the tray's callbacks.
#pragma once

#include <windows.h>

#include <string>

class FrameDocument;

class FrameHost {
public:
    virtual ~FrameHost() = default;

    // The run-state flags (any thread may set them).
    virtual bool IsStarting() const = 0;
    virtual bool IsDisabled() const = 0;
    virtual bool IsSettingsLoaded() const = 0;
    virtual bool IsOnline() const = 0;
    // The application's document; null before it is made and after its end.
    virtual FrameDocument* Document() const = 0;
    // The tray icon's callback message, forwarded by the frame.
    virtual LRESULT OnTrayNotification(WPARAM wp, LPARAM lp) = 0;
    // The framework's about command.
    virtual void OnAppAbout() = 0;
    // The title the open command's search panel gets.
    virtual std::wstring VersionTitle() const = 0;
    // The font of the page's buttons.
    virtual HFONT SharedGdiFont() const = 0;
};

// Installs the host (null: none).  User-interface thread.
void SetFrameHost(FrameHost* host);
// The installed host, or the empty program's answers when none is.
FrameHost& GetFrameHost();
