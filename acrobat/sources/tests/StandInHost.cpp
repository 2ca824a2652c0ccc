#include "StandInHost.h"

#include <cstdio>
#include <cstring>

#include "TableImport.h"
#include "hosts/HostWindowClasses.h"

namespace standin {

Host* g_host = nullptr;

namespace {

const char* const kAllTables[] = {
    "AcroSupport",      "Core",           "AcroView",  "Cos",         "PDSWrite", "PDModel",
    "PDSRead",          "PDFEditWrite",   "Win",       "PDFEditRead", "ASExtra",  "PDSysFont",
    "AcroViewSweetPea", "PagePDEContent", "PDMetadata"};
constexpr int kTableEntries = 512;

std::string Hex(uint32_t v) {
    char b[16];
    snprintf(b, sizeof b, "%x", v);
    return b;
}

void Record(const std::string& what) {
    g_host->calls.push_back(what);
    if (g_host->onCall) g_host->onCall(what);
}

// Core
Atom ACROHOST_CALL CoreAtom(const char* text) {
    Record(std::string("Core.5 ") + (text ? text : ""));
    return g_host->AtomFor(text ? text : "");
}
Callback ACROHOST_CALL CoreCallback(ExtensionId ext, void* proc) {
    Record(ext == g_host->extension ? "Core.8" : "Core.8 foreign extension");
    return proc;
}
Table ACROHOST_CALL CoreRequest(Atom name, Version v) {
    const std::string n = g_host->AtomName(name);
    Record("Core.10 " + n + "@" + Hex(v));
    if (!g_host->offered[n].count(v)) return nullptr;
    g_host->granted[n] = v;
    return g_host->TableFor(n);
}
// AcroSupport
Version ACROHOST_CALL SupportVersion(Table t) {
    const std::string n = g_host->TableName(t);
    Record("AcroSupport.103 " + n);
    auto r = g_host->reported.find(n);
    return r != g_host->reported.end() ? r->second : g_host->granted[n];
}
// AcroView
Document ACROHOST_CALL ViewActive() {
    Record("AcroView.12");
    return g_host->active ? g_host->doc : nullptr;
}
void ACROHOST_CALL ViewRegisterIdle(Callback proc, void* clientData, int32_t period) {
    Record("AcroView.39 " + std::to_string(period) + (clientData ? " data" : ""));
    g_host->idle = proc;
    g_host->idlePeriod = period;
}
void ACROHOST_CALL ViewRegisterNotification(int32_t n, ExtensionId ext, Callback cb, void* clientData) {
    Record("AcroView.41 " + std::to_string(n));
    g_host->notifications[n] = cb;
    g_host->notificationData[n] = clientData;
    g_host->notificationExtensions.push_back(ext);
}
PdfDocument ACROHOST_CALL ViewPdf(Document d) {
    Record("AcroView.48");
    return d == g_host->doc ? g_host->pdf : nullptr;
}
PageView ACROHOST_CALL ViewDocPageView(Document d) {
    Record("AcroView.49");
    return d == g_host->doc ? g_host->pageView : nullptr;
}
DocWindow ACROHOST_CALL ViewDocWindow(Document d) {
    Record("AcroView.50");
    return d == g_host->doc ? g_host->docWindow : nullptr;
}
Atom ACROHOST_CALL ViewSelectionType(Document) {
    Record("AcroView.56");
    return g_host->AtomFor(g_host->textSelection ? "Text" : "Annotation");
}
Selection ACROHOST_CALL ViewSelection(Document) {
    Record("AcroView.57");
    return g_host->hasSelection ? g_host->selection : nullptr;
}
Document ACROHOST_CALL ViewPageViewDoc(PageView pv) {
    Record("AcroView.107");
    return pv == g_host->pageView ? g_host->doc : nullptr;
}
int32_t ACROHOST_CALL ViewCurrentPage(PageView) {
    Record("AcroView.112");
    return g_host->currentPage;
}
void* ACROHOST_CALL ViewPlatformWindow(DocWindow w) {
    Record("AcroView.190");
    return w == g_host->docWindow ? g_host->frame : nullptr;
}
HostBool ACROHOST_CALL ViewPageShown(PageView, int32_t page) {
    Record("AcroView.221 " + std::to_string(page));
    return g_host->shownPages.count(page) ? 1 : 0;
}
void ACROHOST_CALL ViewGoToPage(PageView, int32_t page) {
    Record("AcroView.222 " + std::to_string(page));
    g_host->currentPage = page;
    if (g_host->onGoToPage) g_host->onGoToPage(page);
}
void ACROHOST_CALL ViewEnumShownPages(Document, Callback proc, void* clientData) {
    Record("AcroView.291");
    auto f = reinterpret_cast<ShownPagesProc>(proc);
    if (f) f(g_host->pageView, g_host->firstPage, g_host->lastPage, clientData);
}
void ACROHOST_CALL ViewPageOrigin(PageView, DevicePoint* origin) {
    Record("AcroView.406");
    auto it = g_host->origins.find(g_host->currentPage);
    *origin = it != g_host->origins.end() ? it->second : DevicePoint{0, 0};
}
void ACROHOST_CALL ViewPageToDevice(PageView pv, const PageRect* r, DeviceRect* d) {
    char b[96];
    snprintf(b, sizeof b, "AcroView.413 %d,%d,%d,%d%s", r->left, r->top, r->right, r->bottom,
             pv == g_host->pageView ? "" : " foreign page view");
    Record(b);
    *d = g_host->device;
}
// PDModel
int32_t ACROHOST_CALL ModelInfoText(PdfDocument, const char* key, char* buffer, int32_t size) {
    Record(std::string("PDModel.104 ") + key + " " + std::to_string(size));
    if (g_host->onTitle) g_host->onTitle();
    int32_t n = static_cast<int32_t>(g_host->titleBytes.size());
    if (n > size) n = size;
    std::memcpy(buffer, g_host->titleBytes.data(), static_cast<size_t>(n));
    return n;
}
void ACROHOST_CALL ModelEnumText(Selection, Callback proc, void* clientData) {
    Record("PDModel.223");
    auto f = reinterpret_cast<TextChunkProc>(proc);
    for (const auto& c : g_host->chunks)
        if (!f(c.data(), static_cast<int32_t>(c.size()), clientData)) break;
}
HostBool ACROHOST_CALL ModelBounds(Selection, PageRect* r) {
    Record("PDModel.225");
    *r = g_host->bounds;
    return 1;
}

LRESULT CALLBACK PlainWindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return ::DefWindowProcW(w, m, wp, lp); }

void RegisterClasses() {
    static bool done = false;
    if (done) return;
    for (const wchar_t* name : {host_class::kAcrobatFrame, host_class::kAcrobatView}) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = PlainWindowProc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = name;
        wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
        ::RegisterClassW(&wc);
    }
    done = true;
}

// Children in creation order, the way the host lays them out.
HWND Child(const wchar_t* cls, const wchar_t* text, DWORD style, HWND parent, int x, int y, int w, int h) {
    HWND c = ::CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent, nullptr,
                               ::GetModuleHandleW(nullptr), nullptr);
    ::SetWindowPos(c, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return c;
}

}  // namespace

Host::Host() {
    g_host = this;
    doc = &tags_[0];
    docWindow = &tags_[1];
    pageView = &tags_[2];
    pdf = &tags_[3];
    selection = &tags_[4];
    extension = &tags_[5];
    offered["AcroSupport"] = {kSupportVersion};
    for (const auto& t : kImportedTables) offered[t.name] = {t.version};
    for (const char* name : kAllTables) tables_[name].assign(kTableEntries, nullptr);
    auto set = [&](const char* t, int sel, auto f) { tables_[t][sel] = reinterpret_cast<Entry>(f); };
    set("Core", 5, &CoreAtom);
    set("Core", 8, &CoreCallback);
    set("Core", 10, &CoreRequest);
    set("AcroSupport", 103, &SupportVersion);
    set("AcroView", 12, &ViewActive);
    set("AcroView", 39, &ViewRegisterIdle);
    set("AcroView", 41, &ViewRegisterNotification);
    set("AcroView", 48, &ViewPdf);
    set("AcroView", 49, &ViewDocPageView);
    set("AcroView", 50, &ViewDocWindow);
    set("AcroView", 56, &ViewSelectionType);
    set("AcroView", 57, &ViewSelection);
    set("AcroView", 107, &ViewPageViewDoc);
    set("AcroView", 112, &ViewCurrentPage);
    set("AcroView", 190, &ViewPlatformWindow);
    set("AcroView", 221, &ViewPageShown);
    set("AcroView", 222, &ViewGoToPage);
    set("AcroView", 291, &ViewEnumShownPages);
    set("AcroView", 406, &ViewPageOrigin);
    set("AcroView", 413, &ViewPageToDevice);
    set("PDModel", 104, &ModelInfoText);
    set("PDModel", 223, &ModelEnumText);
    set("PDModel", 225, &ModelBounds);
}

Host::~Host() {
    Free();
    DestroyDocument();
    g_host = nullptr;
}

Table Host::TableFor(const std::string& name) {
    auto it = tables_.find(name);
    return it != tables_.end() ? it->second.data() : nullptr;
}

std::string Host::TableName(Table t) const {
    for (const auto& [n, v] : tables_)
        if (v.data() == t) return n;
    return "?";
}

Atom Host::AtomFor(const std::string& name) {
    auto it = atoms_.find(name);
    if (it != atoms_.end()) return it->second;
    atomNames_.push_back(name);
    return atoms_[name] = static_cast<Atom>(atomNames_.size());
}

std::string Host::AtomName(Atom a) const {
    return a >= 1 && a <= atomNames_.size() ? atomNames_[a - 1] : std::string("?");
}

int Host::Count(const std::string& prefix) const {
    int n = 0;
    for (const auto& c : calls)
        if (c.compare(0, prefix.size(), prefix) == 0 && (c.size() == prefix.size() || c[prefix.size()] == ' ')) ++n;
    return n;
}

bool Host::Load(const std::wstring& path) {
    module_.reset(::LoadLibraryW(path.c_str()));
    if (!module_) return false;
    main_ = reinterpret_cast<PlugInMainProc>(::GetProcAddress(module_.get(), "PlugInMain"));
    return main_ != nullptr;
}

HostBool Host::Main(Version hostVersion, Version* answered) {
    static const WindowsData windowsData{reinterpret_cast<void*>(0x11), reinterpret_cast<void*>(0x22)};
    setup = nullptr;
    return main_ ? main_(hostVersion, answered, &setup, &windowsData) : 0;
}

HostBool Host::Setup(Version callVersion, Version dataVersion) {
    if (!setup) return 0;
    setupData = SetupData{};
    setupData.handshakeVersion = dataVersion;
    setupData.extension = extension;
    setupData.core = TableFor("Core");
    return setup(callVersion, &setupData);
}

HostBool Host::Handshake(Version version) {
    auto f = reinterpret_cast<HandshakeProc>(setupData.handshake);
    if (!f) return 0;
    handshakeData = HandshakeData{};
    handshakeData.handshakeVersion = version;
    return f(version, &handshakeData);
}

HostBool Host::Init() {
    auto f = reinterpret_cast<PlainProc>(handshakeData.init);
    return f ? f() : 0;
}

HostBool Host::Unload() {
    auto f = reinterpret_cast<PlainProc>(handshakeData.unload);
    HostBool r = f ? f() : 0;
    handshakeData.unload = nullptr;
    return r;
}

void Host::Free() {
    if (!module_) return;
    if (handshakeData.unload) Unload();
    module_.reset();
    main_ = nullptr;
    handshakeData = HandshakeData{};
    setupData = SetupData{};
}

bool Host::Start(const std::wstring& path) {
    Version answered = 0;
    return Load(path) && Main(kHandshakeVersion, &answered) && Setup() && Handshake() && Init();
}

void Host::Notify(int32_t notification, void* subject) {
    auto f = reinterpret_cast<NotificationProc>(notifications[notification]);
    if (f) f(subject, notificationData[notification]);
}

void Host::Idle() {
    auto f = reinterpret_cast<IdleProc>(idle);
    if (f) f(nullptr);
}

// The frame window lives for the whole process: Wine without a window
// manager takes seconds to take a top-level window that had the focus off
// the screen, so a document change rebuilds only its child windows.
HWND g_frame = nullptr;
HWND g_container = nullptr;

bool Host::CreateDocument(int x, int y, int views) {
    RegisterClasses();
    DestroyDocument();
    if (!g_frame)
        g_frame = ::CreateWindowExW(0, host_class::kAcrobatFrame, L"Document - Stand-in", WS_POPUP | WS_VISIBLE, x, y,
                                    600, 400, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (!g_frame) return false;
    ::SetWindowPos(g_frame, nullptr, x, y, 600, 400, SWP_NOZORDER | SWP_NOACTIVATE);
    frame = g_frame;
    g_container = Child(host_class::kAcrobatView, L"AVDocView", 0, frame, 0, 0, 600, 400);
    for (int i = 0; i < views; ++i) {
        HWND pv =
            Child(host_class::kAcrobatView, L"AVPageView", WS_TABSTOP, g_container, 10 + 20 * i, 20 + 10 * i, 500, 300);
        Child(L"ScrollBar", L"", SBS_VERT, g_container, 510, 20, 16, 300);
        Child(L"ScrollBar", L"", SBS_HORZ, g_container, 10, 320, 500, 16);
        pageViews.push_back(pv);
    }
    return true;
}

HWND Host::Container() const { return g_container; }

void Host::DestroyDocument() {
    if (g_container) {
        if (g_frame) ::SetFocus(g_frame);
        ::DestroyWindow(g_container);
    }
    g_container = nullptr;
    frame = nullptr;
    pageViews.clear();
}

bool Host::FocusPageView(int i) {
    if (i < 0 || i >= static_cast<int>(pageViews.size())) return false;
    ::SetFocus(pageViews[i]);
    return ::GetFocus() == pageViews[i];
}

}  // namespace standin
