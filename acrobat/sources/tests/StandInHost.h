// A stand-in for the Acrobat/Reader host: loads the plug-in, calls
// PlugInMain, answers the setup and handshake with tables whose entries
// record their calls, delivers notifications and idle calls, and plays one
// document with page views (real windows of the host's classes), a text
// selection, pages and a title.  One Host at a time per process.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "fx/Handle.h"
#include "hosts/acrobat/PluginHost.h"

namespace standin {

using namespace acrohost;

class Host {
public:
    Host();
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // --- the plug-in
    bool Load(const std::wstring& path);
    HostBool Main(Version hostVersion, Version* answered);
    HostBool Setup(Version callVersion = kHandshakeVersion, Version dataVersion = kHandshakeVersion);
    HostBool Handshake(Version version = kHandshakeVersion);
    HostBool Init();
    HostBool Unload();
    void Free();
    // Load, PlugInMain, setup, handshake, initialisation.
    bool Start(const std::wstring& path);

    void Notify(int32_t notification, void* subject);
    void Idle();

    // --- what the host offers
    std::map<std::string, std::set<Version>> offered;  // table -> versions granted
    std::map<std::string, Version> reported;           // what AcroSupport 103 says (default: granted)

    // --- the document
    // Frame of class "AcrobatSDIWindow" at (x, y), 600 x 400 (one per process); page view i at
    // client (10 + 20 i, 20 + 10 i), 500 x 300, each followed by two scroll bars.
    bool CreateDocument(int x, int y, int pageViews = 1);
    void DestroyDocument();
    HWND Container() const;  // the child of the frame that holds the page views
    HWND frame = nullptr;
    std::vector<HWND> pageViews;
    bool FocusPageView(int i);

    bool active = true;         // AcroView 12 answers the document
    bool textSelection = true;  // selection type "Text" (else another type)
    bool hasSelection = true;
    std::vector<std::string> chunks;  // the selected text as the host hands it out
    PageRect bounds{1, 2, 3, 4};
    DeviceRect device{150, 60, 250, 80};
    int32_t firstPage = 0, lastPage = 0;
    std::set<int32_t> shownPages{0};
    std::map<int32_t, DevicePoint> origins{{0, {40, 40}}};
    int32_t currentPage = 0;
    std::string titleBytes;
    std::function<void()> onTitle;                   // runs inside PDModel 104
    std::function<void(int32_t)> onGoToPage;         // runs inside AcroView 222, after the change
    std::function<void(const std::string&)> onCall;  // runs at every call into the tables

    void Select(const std::string& text) { chunks = {text}; }

    // --- what was seen
    std::vector<std::string> calls;  // "Table.selector detail"
    int Count(const std::string& prefix) const;
    std::map<int32_t, Callback> notifications;
    std::map<int32_t, void*> notificationData;
    std::vector<ExtensionId> notificationExtensions;
    Callback idle = nullptr;
    int32_t idlePeriod = 0;
    SetupData setupData{};
    HandshakeData handshakeData{};
    SetupProc setup = nullptr;
    std::string AtomName(Atom a) const;
    Atom AtomFor(const std::string& name);

    // Opaque objects handed to the plug-in.
    Document doc;
    DocWindow docWindow;
    PageView pageView;
    PdfDocument pdf;
    Selection selection;
    ExtensionId extension;

    // Implementation of the table entries.
    Table TableFor(const std::string& name);
    std::string TableName(Table t) const;
    std::map<std::string, Version> granted;

private:
    fx::UniqueModule module_;
    PlugInMainProc main_ = nullptr;
    std::map<std::string, std::vector<Entry>> tables_;
    std::map<std::string, Atom> atoms_;
    std::vector<std::string> atomNames_;
    char tags_[8] = {};
};

extern Host* g_host;

}  // namespace standin
