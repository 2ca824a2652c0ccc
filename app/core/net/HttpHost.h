// What the server routines need from the application object: the flags that
// gate the statistics POST, the log URL it goes to, the tray look shown
// while a request runs, and the overall deadline of a request.  The application object installs its host at start;
// tests install their own.  Without a host no tray call is made and the POST
// is never sent.
#pragma once

#include <windows.h>

#include <string>

class HttpHost {
public:
    virtual ~HttpHost() = default;

    virtual bool IsDisabled() const = 0;
    virtual bool IsSettingsLoaded() const = 0;
    virtual bool IsOnline() const = 0;
    virtual bool IsStarting() const = 0;
    // The statistics POST target (settings //init//urls//log).
    virtual std::wstring LogUrl() const = 0;

    // Tray look: connecting while a request runs, then the normal look.
    virtual void ShowConnectingState() = 0;
    virtual void UpdateTrayIcon() = 0;

    // The overall bound of a request made on the calling thread, from its
    // start to its whole answer, besides the per-call time-outs (which a
    // server that drips its answer never reaches); 0 for none.
    virtual DWORD RequestDeadlineMs() const { return 0; }
};

// Installs the host (null: none).  Requests read it on whichever thread makes them.
void SetHttpHost(HttpHost* host);
HttpHost* GetHttpHost();
