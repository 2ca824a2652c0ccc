// Our own minimal declarations of the Acrobat/Reader plug-in interface: only
// what PondrelHXAcrobat calls or is called through.  The host hands out its
// services as function tables: arrays of entries indexed by selector; the
// plug-in casts the entry at a selector to that selector's signature.
//
// These declarations were written for this project; compatibility with a real
// host's data layouts and calling conventions is assumed, not proven here.
#pragma once

#include <cstdint>

namespace acrohost {

// Calling convention of every table entry and every callback, and of the
// exported entry point (the native build of the portable rules has no host
// and no such conventions).
#if defined(_WIN32)
#define ACROHOST_CALL __cdecl
#define ACROHOST_ENTRY __stdcall
#else
#define ACROHOST_CALL
#define ACROHOST_ENTRY
#endif

using HostBool = int32_t;
using Version = uint32_t;
using Atom = uint32_t;
using ExtensionId = void*;
// A callback made by the host (Core 8) from one of the plug-in's procedures.
using Callback = void*;
using Entry = void*;
using Table = Entry*;

// Opaque host objects.
using Document = void*;
using DocWindow = void*;
using PageView = void*;
using PdfDocument = void*;
using Selection = void*;

// A rectangle in page space, as the host gives it; the plug-in only passes it on.
struct PageRect {
    int32_t left, top, right, bottom;
};
// A rectangle and a point in device (page-view window) pixels.
struct DeviceRect {
    int32_t left, top, right, bottom;
};
struct DevicePoint {
    int32_t x, y;
};

constexpr Version kHandshakeVersion = 0x20000;

// The Windows-specific data handed to PlugInMain: two values, kept as given.
struct WindowsData {
    void* first;
    void* second;
};

// Given to the setup procedure.
struct SetupData {
    Version handshakeVersion;
    ExtensionId extension;
    Table core;
    Callback handshake;  // out: the handshake callback
};

// Given to the handshake procedure; the plug-in fills everything but the version.
struct HandshakeData {
    Version handshakeVersion;
    Atom extensionName;
    Callback exportTables;
    Callback importReplaceAndRegister;
    Callback init;
    Callback unload;
};

// Procedures the host calls.
using SetupProc = HostBool(ACROHOST_CALL*)(Version handshakeVersion, SetupData* data);
using HandshakeProc = HostBool(ACROHOST_CALL*)(Version handshakeVersion, HandshakeData* data);
using PlainProc = HostBool(ACROHOST_CALL*)();
using NotificationProc = void(ACROHOST_CALL*)(void* subject, void* clientData);
using IdleProc = void(ACROHOST_CALL*)(void* clientData);
using TextChunkProc = HostBool(ACROHOST_CALL*)(const char* chunk, int32_t length, void* clientData);
using ShownPagesProc = HostBool(ACROHOST_CALL*)(PageView view, int32_t firstPage, int32_t lastPage, void* clientData);

// The exported entry point (standard calling convention, undecorated name).
using PlugInMainProc = HostBool(ACROHOST_ENTRY*)(Version hostVersion, Version* handshakeVersion, SetupProc* setup,
                                                 const WindowsData* windowsData);

// Selectors and their signatures.
namespace core {
constexpr int kAtomFromText = 5;
using AtomFromText = Atom(ACROHOST_CALL*)(const char* text);
constexpr int kCreateCallback = 8;
using CreateCallback = Callback(ACROHOST_CALL*)(ExtensionId extension, void* procedure);
constexpr int kRequestTable = 10;
using RequestTable = Table(ACROHOST_CALL*)(Atom name, Version version);
}  // namespace core

namespace support {
constexpr int kTableVersion = 103;
using TableVersion = Version(ACROHOST_CALL*)(Table table);
}  // namespace support

namespace view {
constexpr int kActiveDocument = 12;
using ActiveDocument = Document(ACROHOST_CALL*)();
constexpr int kRegisterIdle = 39;
using RegisterIdle = void(ACROHOST_CALL*)(Callback idle, void* clientData, int32_t period);
constexpr int kRegisterNotification = 41;
using RegisterNotification = void(ACROHOST_CALL*)(int32_t notification, ExtensionId extension, Callback handler,
                                                  void* clientData);
constexpr int kDocumentPdf = 48;
using DocumentPdf = PdfDocument(ACROHOST_CALL*)(Document doc);
constexpr int kDocumentPageView = 49;
using DocumentPageView = PageView(ACROHOST_CALL*)(Document doc);
constexpr int kDocumentWindow = 50;
using DocumentWindow = DocWindow(ACROHOST_CALL*)(Document doc);
constexpr int kSelectionType = 56;
using SelectionType = Atom(ACROHOST_CALL*)(Document doc);
constexpr int kSelection = 57;
using GetSelection = Selection(ACROHOST_CALL*)(Document doc);
constexpr int kPageViewDocument = 107;
using PageViewDocument = Document(ACROHOST_CALL*)(PageView view);
constexpr int kCurrentPage = 112;
using CurrentPage = int32_t(ACROHOST_CALL*)(PageView view);
constexpr int kPlatformWindow = 190;
using PlatformWindow = void*(ACROHOST_CALL*)(DocWindow window);
constexpr int kPageShown = 221;
using PageShown = HostBool(ACROHOST_CALL*)(PageView view, int32_t page);
constexpr int kGoToPage = 222;
using GoToPage = void(ACROHOST_CALL*)(PageView view, int32_t page);
constexpr int kEnumShownPages = 291;
using EnumShownPages = void(ACROHOST_CALL*)(Document doc, Callback proc, void* clientData);
constexpr int kPageOrigin = 406;
using PageOrigin = void(ACROHOST_CALL*)(PageView view, DevicePoint* origin);
constexpr int kPageToDevice = 413;
using PageToDevice = void(ACROHOST_CALL*)(PageView view, const PageRect* rect, DeviceRect* device);
}  // namespace view

namespace model {
constexpr int kInfoText = 104;
// Copies at most `size` bytes of the information entry `key`; returns the
// number of bytes copied (no terminator is promised).
using InfoText = int32_t(ACROHOST_CALL*)(PdfDocument pdf, const char* key, char* buffer, int32_t size);
constexpr int kEnumSelectedText = 223;
using EnumSelectedText = void(ACROHOST_CALL*)(Selection selection, Callback proc, void* clientData);
constexpr int kSelectionBounds = 225;
using SelectionBounds = HostBool(ACROHOST_CALL*)(Selection selection, PageRect* rect);
}  // namespace model

// Host notifications the plug-in registers for.
namespace notify {
constexpr int32_t kDocumentCaptureA = 10;   // capture for the given document
constexpr int32_t kDocumentCaptureB = 114;  // capture for the given document
constexpr int32_t kPageViewCapture = 103;   // capture for the given page view
constexpr int32_t kRegistered[] = {10, 114, 83, 53, 52, 121, 100, 103};
}  // namespace notify

// The entry at `selector` of `table` as signature F (null when absent).
template <class F>
F EntryOf(Table table, int selector) {
    return table ? reinterpret_cast<F>(table[selector]) : nullptr;
}

}  // namespace acrohost
